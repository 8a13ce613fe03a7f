#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>

#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "base/ComponentError.h"
#include "files/ScreenFile.h"
#include "files/WindowCatalogue.h"
#include "files/clsScreenFiles.h"
#include "files/clsWndManager.h"
#include "files/frmAddWindow.h"
#include "groups/CDisplayWindow.h"
#include "groups/DisplayWindowFactory.h"

namespace {

QString entries(const QList<ScreenFile::ReadEntry>& list) {
    QStringList out;
    for (const auto& e : list)
        out << QStringLiteral("%1,%2,%3,%4").arg(e.winId).arg(e.top).arg(e.left).arg(e.state);
    return out.join(u';');
}

bool writeFile(const QString& path, const QByteArray& contents) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(contents) == contents.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QList<int> offeredCodes(clsWndManager& windows) {
    frmAddWindow dialog(&windows, nullptr);
    QList<int> codes;
    for (int i = 0; i < dialog.lstWindows()->count(); ++i)
        codes << dialog.lstWindows()->item(i)->data(Qt::UserRole).toInt();
    std::sort(codes.begin(), codes.end());
    return codes;
}

// The codes of `codes` that this build can create a window for.
QList<int> creatable(const QList<int>& codes) {
    QList<int> out;
    for (int c : codes)
        if (DisplayWindowFactory::Exists(c)) out << c;
    return out;
}

QList<int> allCodesBut(std::initializer_list<int> skipped) {
    QList<int> codes;
    for (int c = 0; c < WindowCatalogue::kTypeCount; ++c)
        if (std::find(skipped.begin(), skipped.end(), c) == skipped.end()) codes << c;
    return codes;
}

}  // namespace

class tst_ScreenFiles : public QObject {
    Q_OBJECT
private slots:
    void read_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("one line") << QByteArray("3,1200,1500,0\r\n") << "3,1200,1500,0";
        QTest::newRow("two lines, LF only") << QByteArray("3,0,0,0\n7,15,30,1\n") << "3,0,0,0;7,15,30,1";
        QTest::newRow("no final line end") << QByteArray("3,0,0,2") << "3,0,0,2";
        QTest::newRow("fractions to nearest, half to even")
            << QByteArray("3,1234.5,15.5,0\r\n") << "3,1234,16,0";
        QTest::newRow("a window split over two lines") << QByteArray("3,0\r\n15,1\r\n") << "3,0,15,1";
        QTest::newRow("blank lines skipped")
            << QByteArray("\r\n3,0,0,0\r\n\r\n\r\n4,0,0,0\r\n") << "3,0,0,0;4,0,0,0";
        QTest::newRow("unreadable line skipped") << QByteArray("x,1,2,3\r\n3,0,0,0\r\n") << "3,0,0,0";
        QTest::newRow("bad value mid-line") << QByteArray("3,0,zz,0\r\n5,0,0,0\r\n") << "5,0,0,0";
        QTest::newRow("value beyond 32 bits") << QByteArray("3,99999999999,0,0\r\n5,0,0,0\r\n") << "5,0,0,0";
        QTest::newRow("trailing incomplete window") << QByteArray("3,0,0,0\r\n4,0\r\n") << "3,0,0,0";
        QTest::newRow("codes are not checked here")
            << QByteArray("21,0,0,0\r\n-1,0,0,9\r\n") << "21,0,0,0;-1,0,0,9";
        QTest::newRow("binary garbage") << QByteArray("\x01\xff\x00,,,\r\n3,0,0,0", 15) << "3,0,0,0";
    }
    void read() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, expected);
        QCOMPARE(entries(ScreenFile::Read(contents)), expected);
    }

    void formatTwips_data() {
        QTest::addColumn<double>("twips");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole") << 1200.0 << "1200";
        QTest::newRow("fraction") << 1234.5 << "1234.5";
        QTest::newRow("negative") << -15.0 << "-15";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("110 dpi pixel") << 1440.0 / 110.0 << "13.091";
    }
    void formatTwips() {
        QFETCH(double, twips);
        QFETCH(QString, expected);
        QCOMPARE(ScreenFile::FormatTwips(twips), expected);
    }

    // A German user: "," is the decimal point of the locale, the file still uses ".".
    void commaDecimalLocale() {
        const QLocale saved;
        const std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // when the system has it
        QCOMPARE(ScreenFile::FormatTwips(1234.5), QStringLiteral("1234.5"));
        QCOMPARE(ScreenFile::Write({{3, 1234.5, 30.25, 1}}), QByteArray("3,1234.5,30.25,1\r\n"));
        QCOMPARE(entries(ScreenFile::Read("3,1234.5,30.25,1\r\n")), QStringLiteral("3,1234,30,1"));
        {
            GroupTestRig rig;
            QVERIFY(rig.windows().CreateWnd(3, 1500, 3000, 0));
            QTemporaryDir dir;
            rig.screenFileName = dir.filePath("de.scn");
            rig.screens().WriteScreenFile();
            QCOMPARE(readFile(rig.screenFileName), QByteArray("3,1500,3000,0\r\n"));
        }
        QLocale::setDefault(saved);
        std::setlocale(LC_NUMERIC, savedC.c_str());
    }

    // Positions and states survive a save and a reopen; the file lists windows in load order.
    void roundTrip() {
        GroupTestRig rig;
        QCOMPARE(rig.area().logicalDpiX(), 96);  // 15 twips per pixel below
        QVERIFY(rig.windows().CreateWnd(3, 1500, 3000, 0));
        QVERIFY(rig.windows().CreateWnd(3, 4500, 600, 1));
        QTemporaryDir dir;
        rig.screenFileName = dir.filePath("screen.scn");
        rig.screens().WriteScreenFile();
        QVERIFY(!rig.screenChanged);
        const QByteArray written = readFile(rig.screenFileName);
        QVERIFY2(written.startsWith("3,1500,3000,0\r\n3,"), written.constData());
        QVERIFY2(written.endsWith(",1\r\n"), written.constData());

        rig.screens().LoadScreenFile(rig.screenFileName);
        QVERIFY(!rig.screenChanged);
        QCOMPARE(rig.windows().NumWindowsOpen(), 2);
        QCOMPARE(rig.manager().queueSize(), qint16(4));
        const QList<CDisplayWindow*> windows = rig.windows().DisplayWindows();
        QCOMPARE(windows.size(), 2);
        QMdiSubWindow* first = clsWndManager::SubWindowOf(windows.at(0));
        QCOMPARE(first->pos(), QPoint(200, 100));
        QVERIFY(!first->isMinimized());
        QVERIFY(clsWndManager::SubWindowOf(windows.at(1))->isMinimized());
        rig.screens().WriteScreenFile();
        QCOMPARE(readFile(rig.screenFileName), written);
    }

    void emptyFileClosesEverything() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        QTemporaryDir dir;
        const QString path = dir.filePath("empty.scn");
        QVERIFY(writeFile(path, {}));
        rig.screenChanged = true;
        rig.screens().LoadScreenFile(path);
        QCOMPARE(rig.windows().NumWindowsOpen(), 0);
        QCOMPARE(rig.manager().queueSize(), qint16(0));
        QVERIFY(!rig.screenChanged);
        QCOMPARE(rig.screenFileName, path);
    }

    // Unknown codes, bad states and bad lines open nothing; the good lines still open.
    void badLinesAndCodes() {
        GroupTestRig rig;
        QTemporaryDir dir;
        const QString path = dir.filePath("bad.scn");
        QVERIFY(writeFile(path, "21,0,0,0\r\n-1,0,0,0\r\nabc\r\n0,0,0,0\r\n3,150,150,7\r\n3,150,150,0\r\n"));
        rig.screens().LoadScreenFile(path);
        // Good lines: "0,0,0,0" (Date / Time) and "3,150,150,0".
        QCOMPARE(rig.windows().NumWindowsOpen(), 2);
        QCOMPARE(rig.windows().OpenCount(0), 1);
        QCOMPARE(rig.windows().OpenCount(3), 1);
        QCOMPARE(rig.area().subWindowList().size(), 2);
    }

    void unreadableFileKeepsWindows() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(ComponentError, rig.screens().LoadScreenFile(dir.filePath("missing.scn")));
        QCOMPARE(rig.windows().NumWindowsOpen(), 1);
        QVERIFY(rig.screenFileName.isEmpty());
    }

    // The copy limit binds only the Add Window list: a file may open a type twice, and the type is
    // offered again only when both are closed.
    void duplicateCodes() {
        GroupTestRig rig(2);
        QTemporaryDir dir;
        const QString path = dir.filePath("dup.scn");
        QVERIFY(writeFile(path, "3,0,0,0\r\n3,300,300,0\r\n"));
        rig.screens().LoadScreenFile(path);
        QCOMPARE(rig.windows().OpenCount(3), 2);
        QVERIFY(!offeredCodes(rig.windows()).contains(3));
        QList<QMdiSubWindow*> subs = rig.area().subWindowList(QMdiArea::CreationOrder);
        subs.at(0)->close();
        QVERIFY(!offeredCodes(rig.windows()).contains(3));
        subs.at(1)->close();
        QVERIFY(offeredCodes(rig.windows()).contains(3));
    }

    void addWindowListPerRole_data() {
        QTest::addColumn<int>("role");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("role 1") << 1 << creatable(allCodesBut({11, 16}));
        QTest::newRow("role 2") << 2 << creatable(allCodesBut({}));
        QTest::newRow("role 3") << 3 << creatable(allCodesBut({}));
        QTest::newRow("guest") << 4 << creatable(allCodesBut({9, 11, 16, 18}));
        QTest::newRow("unknown role") << 7 << creatable(allCodesBut({9, 11, 16, 18}));
    }
    // Only types the role may open and this build can create are offered.
    void addWindowListPerRole() {
        QFETCH(int, role);
        QFETCH(QList<int>, expected);
        GroupTestRig rig(role);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(offeredCodes(rig.windows()), expected);
        // titles come from the string table
        frmAddWindow dialog(&rig.windows(), nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Window"));
        QVERIFY(!dialog.lstWindows()->findItems(QStringLiteral("Source Info"), Qt::MatchExactly).isEmpty());
    }

    void addWindowCreatesSelected_data() {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<int>("opened");
        QTest::addColumn<QString>("message");
        QTest::newRow("one that exists") << QStringList{"Source Info"} << 1 << QString();
        QTest::newRow("one failure") << QStringList{"Source Info", "Date / Time"} << 1
                                     << "An error occured while attempting to create a new window.";
        QTest::newRow("two failures") << QStringList{"Date / Time", "Time Delays"} << 0
                                      << "At least 2 errors occured while attempting to create new windows.";
    }
    void addWindowCreatesSelected() {
        QFETCH(QStringList, selected);
        QFETCH(int, opened);
        QFETCH(QString, message);
        GroupTestRig rig;
        ScriptedUiServices ui;
        if (!message.isEmpty()) ui.queueMessage(ui::Answer::Ok, message);
        // A factory that fails for every type but Source Info (as one whose window cannot be made at
        // that moment would): the list offers every type, and the failures are reported.
        clsWndManager::Host host;
        host.area = &rig.area();
        host.owner = &rig.mainWindow();
        clsWndManager windows(host);
        windows.setWindowFactory([](qint32 type) { return DisplayWindowFactory::Create(type == 3 ? 3 : -1); });
        frmAddWindow dialog(&windows, &rig.mainWindow());
        for (const QString& title : selected)
            dialog.lstWindows()->findItems(title, Qt::MatchExactly).constFirst()->setSelected(true);
        QCOMPARE(ScriptedUiServices::click(dialog, "cmdOK"), int(QDialog::Accepted));
        QCOMPARE(windows.NumWindowsOpen(), opened);
        QCOMPARE(int(rig.area().subWindowList().size()), opened);
        QVERIFY(ui.allConsumed());
        if (!message.isEmpty()) {
            QCOMPARE(ui.messages().constFirst().title, QStringLiteral("ERROR"));
            QCOMPARE(ui.messages().constFirst().icon, ui::Icon::Critical);
        }
    }

    void windowManagerCounts() {
        GroupTestRig rig;
        clsWndManager& w = rig.windows();
        QVERIFY_THROWS_EXCEPTION(ComponentError, w.setNumWndCopies(0));
        try {
            w.setNumWndCopies(-1);
        } catch (const ComponentError& e) {
            QCOMPARE(e.number(), 0x800400C8u);
            QCOMPARE(e.source(), QStringLiteral("clsWndManager::NumWndCopies"));
        }
        QCOMPARE(w.NumWndCopies(), 1);
        QVERIFY(!w.CreateWnd(21, 0, 0, 0));
        QVERIFY(!w.CreateWnd(-1, 0, 0, 0));
        for (int c = 0; c < WindowCatalogue::kTypeCount; ++c) {
            QCOMPARE(w.CanCreate(c), DisplayWindowFactory::Exists(c));
            if (!DisplayWindowFactory::Exists(c)) QVERIFY(!w.CreateWnd(c, 0, 0, 0));  // no window in this build
        }
        QVERIFY(!w.CanCreate(21));
        QVERIFY(!w.CanCreate(-1));
        QVERIFY(!w.CreateWnd(3, 0, 0, 3));  // no such state
        QCOMPARE(w.NumWindowsOpen(), 0);
        QVERIFY(rig.area().subWindowList().isEmpty());
        QVERIFY(!rig.screenChanged);

        QVERIFY(w.CreateWnd(3, 0, 0, 0));
        QVERIFY(rig.screenChanged);
        // AvailWnds walks every type but the open one, then reports the end and starts over
        QString name;
        qint32 type = -1;
        QList<int> seen;
        while (w.AvailWnds(name, type)) seen << type;
        QCOMPARE(seen, allCodesBut({3}));
        QVERIFY(w.AvailWnds(name, type));
        QCOMPARE(type, 0);
        QCOMPARE(name, QStringLiteral("Date / Time"));
        w.setNumWndCopies(2);
        while (w.AvailWnds(name, type)) seen << type;
        QVERIFY(seen.contains(3));
    }

    // --- the save-screen questions ----------------------------------------------------------------

    void queryClose_data() {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("haveFile");
        QTest::addColumn<QList<int>>("answers");  // message answers in order (ui::Answer)
        QTest::addColumn<int>("saveAs");          // -1 no Save As dialog, 0 cancelled, 1 a path
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("exits");
        using A = ui::Answer;
        QTest::newRow("unchanged: no question") << false << false << QList<int>{} << -1 << true << true;
        QTest::newRow("cancel") << true << false << QList<int>{int(A::Cancel)} << -1 << true << false;
        QTest::newRow("no") << true << false << QList<int>{int(A::No)} << -1 << true << true;
        QTest::newRow("yes, Save As cancelled")
            << true << false << QList<int>{int(A::Yes)} << 0 << true << false;
        QTest::newRow("yes, Save As") << true << false << QList<int>{int(A::Yes)} << 1 << true << true;
        QTest::newRow("yes, known file") << true << true << QList<int>{int(A::Yes)} << -1 << true << true;
        QTest::newRow("yes, failed, exit anyway")
            << true << true << QList<int>{int(A::Yes), int(A::Yes)} << -1 << false << true;
        QTest::newRow("yes, failed, stay")
            << true << true << QList<int>{int(A::Yes), int(A::No)} << -1 << false << false;
    }
    void queryClose() {
        QFETCH(bool, changed);
        QFETCH(bool, haveFile);
        QFETCH(QList<int>, answers);
        QFETCH(int, saveAs);
        QFETCH(bool, writable);
        QFETCH(bool, exits);
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        rig.screenChanged = changed;
        QTemporaryDir dir;
        const QString target = writable ? dir.filePath("s.scn") : dir.filePath("no/such/dir/s.scn");
        if (haveFile) rig.screenFileName = target;
        ScriptedUiServices ui;
        for (int i = 0; i < answers.size(); ++i)
            ui.queueMessage(ui::Answer(answers.at(i)),
                            i == 0 ? QStringLiteral("Do you want to save the current screen?")
                                   : QStringLiteral("Do you want to exit anyway?"));
        if (saveAs >= 0) ui.queueFile(saveAs ? std::optional<QString>(target) : std::nullopt);
        QCOMPARE(rig.screens().QueryClose(), exits);
        QVERIFY(ui.allConsumed());
        if (!ui.messages().isEmpty()) {
            QCOMPARE(ui.messages().constFirst().icon, ui::Icon::Question);
            QCOMPARE(ui.messages().constFirst().buttons, ui::Buttons::YesNoCancel);
            QCOMPARE(ui.messages().constFirst().title, QStringLiteral("Field Console"));
        }
        if (answers.size() == 2)
            QVERIFY(ui.messages().at(1).text.startsWith("Attempt to save screen failed.\n"));
        const bool saved = writable && (haveFile || saveAs == 1) && !answers.isEmpty() &&
                           answers.first() == int(ui::Answer::Yes);
        QCOMPARE(QFile::exists(target), saved);
        if (saved) QVERIFY(!rig.screenChanged);
        if (saveAs == 1) {
            const auto request = ui.callsOf(ScriptedUiServices::Kind::FileDialog).constFirst().fileRequest;
            QCOMPARE(request.title, QStringLiteral("Save Screen As"));
            QCOMPARE(request.defaultSuffix, QStringLiteral("scn"));
            QVERIFY(!request.open);
        }
    }

    void closeAllCommand_data() {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("saveAs");  // -1 none, 0 cancelled, 1 a writable path, 2 an unwritable one
        QTest::addColumn<bool>("closed");
        using A = ui::Answer;
        QTest::newRow("unchanged") << false << QList<int>{} << -1 << true;
        QTest::newRow("cancel") << true << QList<int>{int(A::Cancel)} << -1 << false;
        QTest::newRow("no") << true << QList<int>{int(A::No)} << -1 << true;
        QTest::newRow("yes, saved") << true << QList<int>{int(A::Yes)} << 1 << true;
        QTest::newRow("yes, Save As cancelled") << true << QList<int>{int(A::Yes)} << 0 << false;
        QTest::newRow("yes, failed, close anyway")
            << true << QList<int>{int(A::Yes), int(A::Yes)} << 2 << true;
        QTest::newRow("yes, failed, keep") << true << QList<int>{int(A::Yes), int(A::No)} << 2 << false;
    }
    void closeAllCommand() {
        QFETCH(bool, changed);
        QFETCH(QList<int>, answers);
        QFETCH(int, saveAs);
        QFETCH(bool, closed);
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        QVERIFY(rig.windows().CreateWnd(3, 150, 150, 0));
        rig.screenChanged = changed;
        QTemporaryDir dir;
        ScriptedUiServices ui;
        for (int i = 0; i < answers.size(); ++i)
            ui.queueMessage(ui::Answer(answers.at(i)),
                            i == 0 ? QStringLiteral("Do you want to save the current screen?")
                                   : QStringLiteral("Close all windows anyway?"));
        if (saveAs == 0) ui.queueFile(std::nullopt);
        if (saveAs == 1) ui.queueFile(dir.filePath("s.scn"));
        if (saveAs == 2) ui.queueFile(dir.filePath("none/s.scn"));
        rig.screens().CloseAllCommand();
        QVERIFY(ui.allConsumed());
        QCOMPARE(rig.windows().NumWindowsOpen(), closed ? 0 : 2);
        QCOMPARE(rig.manager().queueSize(), qint16(closed ? 0 : 4));
        // changed exactly when windows were closed, or when it was and nothing was saved
        QCOMPARE(rig.screenChanged, closed || (changed && saveAs != 1));
    }

    void openScreenCommand() {
        GroupTestRig rig;
        QTemporaryDir dir;
        const QString good = dir.filePath("good.scn");
        QVERIFY(writeFile(good, "3,150,300,0\r\n"));
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        rig.screenFileName = dir.filePath("no/dir/current.scn");  // saving will fail
        rig.screenChanged = true;
        {
            // save fails, the user does not want to go on: nothing else happens
            ScriptedUiServices ui;
            ui.queueMessage(ui::Answer::Yes, QStringLiteral("Do you want to save the current screen?"));
            ui.queueMessage(ui::Answer::No,
                            QStringLiteral("Attempt to save screen failed.\nOpen a new screen anyway?"));
            rig.screens().OpenScreenCommand();
            QVERIFY(ui.allConsumed());
            QCOMPARE(rig.windows().NumWindowsOpen(), 2);
        }
        {
            // the open dialog cancelled: silently nothing
            ScriptedUiServices ui;
            ui.queueMessage(ui::Answer::No);
            ui.queueFile(std::nullopt);
            rig.screens().OpenScreenCommand();
            QVERIFY(ui.allConsumed());
            QCOMPARE(ui.messages().size(), 1);
            QCOMPARE(rig.windows().NumWindowsOpen(), 2);
        }
        {
            // a file that cannot be read is reported and the windows stay
            ScriptedUiServices ui;
            ui.queueMessage(ui::Answer::No);
            ui.queueFile(dir.filePath("missing.scn"));
            ui.queueMessage(ui::Answer::Ok, QStringLiteral("Unable to open screen file.\n"));
            rig.screens().OpenScreenCommand();
            QVERIFY(ui.allConsumed());
            QCOMPARE(ui.messages().at(1).icon, ui::Icon::Exclamation);
            QCOMPARE(rig.windows().NumWindowsOpen(), 2);
        }
        {
            ScriptedUiServices ui;
            ui.queueMessage(ui::Answer::No);
            ui.queueFile(good);
            rig.screens().OpenScreenCommand();
            QVERIFY(ui.allConsumed());
            QCOMPARE(ui.callsOf(ScriptedUiServices::Kind::FileDialog).constFirst().fileRequest.title,
                     QStringLiteral("Open Screen"));
            QCOMPARE(rig.windows().NumWindowsOpen(), 1);
            QCOMPARE(rig.screenFileName, good);
        }
        {
            // right after an open the screen is unchanged: no question
            ScriptedUiServices ui;
            ui.queueFile(std::nullopt);
            rig.screens().OpenScreenCommand();
            QVERIFY(ui.allConsumed());
            QVERIFY(ui.messages().isEmpty());
        }
    }

    // From the File menu: the first save asks for a name, later ones do not; a failure is reported.
    void saveFromMenu() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        QTemporaryDir dir;
        ScriptedUiServices ui;
        ui.queueFile(dir.filePath("first.scn"));
        QCOMPARE(rig.screens().SaveScreen(), clsScreenFiles::SaveResult::Saved);
        QVERIFY(QFile::exists(dir.filePath("first.scn")));
        QVERIFY(rig.windows().CreateWnd(3, 150, 150, 0));
        QCOMPARE(rig.screens().SaveScreen(), clsScreenFiles::SaveResult::Saved);  // no dialog
        QCOMPARE(readFile(dir.filePath("first.scn")).count("\r\n"), 2);
        QVERIFY(ui.allConsumed());

        // the target is a directory: nothing can replace it
        QVERIFY(QDir(dir.path()).mkdir("taken.scn"));
        ui.queueFile(dir.filePath("taken.scn"));
        ui.queueMessage(ui::Answer::Ok, QStringLiteral("Attempt to save screen failed.\n"));
        rig.screenChanged = true;
        QCOMPARE(rig.screens().SaveScreenAs(), clsScreenFiles::SaveResult::Failed);
        QVERIFY(ui.allConsumed());
        QVERIFY(rig.screenChanged);
        QVERIFY(ui.messages().constFirst().text.contains("taken.scn"));
    }
};

QObject* makeScreenFilesTest() { return new tst_ScreenFiles; }

#include "tst_ScreenFiles.moc"
