#include <QFile>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "base/StringTable.h"
#include "files/WindowCatalogue.h"
#include "files/clsScreenFiles.h"
#include "files/clsWndManager.h"
#include "groups/CDataGroup.h"
#include "groups/CDisplayWindow.h"
#include "groups/CSetupDialog.h"
#include "groups/DisplayWindowFactory.h"
#include "groups/sourceinfo/DW_M852_SourceInfo.h"

namespace {

// What a display window must say of itself: its class (objectName), its caption and whether it has a
// setup dialog.
struct WindowRow {
    qint32 type;
    const char* objectName;
    const char* caption;
    bool setup;
};

// ONE ROW PER WINDOW TYPE THIS BUILD CAN CREATE. A new group adds its line here (and its line in
// DisplayWindowFactory) and every test below runs for it: identity, WinID routing, setup rules per
// role, connection and freshness, open counts and the screen-file round trip in all three states.
// The test fails while a type the factory creates has no line here.
constexpr WindowRow kWindows[] = {
    {0, "DW_M852_DateTime", "Date / Time", true},
    {1, "DW_M852_TimeDelay", "Time Delays", true},
    {2, "DW_M852_DIPSwitch", "DIP Switch Settings", false},
    {3, "DW_M852_SourceInfo", "Source Info", true},
    {4, "DW_M852_FreqSet", "Frequency Setpoints", true},
    {5, "DW_M852_VoltSet", "Voltage Setpoints", true},
    {6, "DW_M852_LoadCtrl", "Load Control", true},
    {7, "DW_M852_History", "Event History", false},
    {8, "DW_M852_CFault", "Common Alarms", true},
    {9, "DW_M852_Manual", "Manual Operation", false},
    {10, "DW_M852_SysSummary", "System Summary", true},
    {11, "DW_M852_StateMachine", "State Machine", false},
    {12, "DW_M852_ProgIO", "Programmable Input/Output", true},
    {13, "DW_M852_NIP", "Network Port", true},
    {14, "DW_M852_SysInfo", "System Info", true},
    {15, "DW_M852_Maint", "Maintenance", true},
    {16, "DW_M852_MsgLog", "Message Logs", false},
    {17, "DW_M852_PlantEx", "Exerciser", true},
    {18, "DW_M852_Calibration", "Meter Calibration", false},
    {19, "DW_M852_ActiveTimeDelay", "Active Time Delay", false},
    {20, "DW_M852_Calendar", "Calendar Mode", true},
};

const WindowRow* rowOf(qint32 type) {
    for (const WindowRow& r : kWindows)
        if (r.type == type) return &r;
    return nullptr;
}

void addTypeColumn() { QTest::addColumn<int>("type"); }

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

CDisplayWindow* onlyWindow(GroupTestRig& rig) {
    const QList<CDisplayWindow*> all = rig.windows().DisplayWindows();
    return all.size() == 1 ? all.constFirst() : nullptr;
}

}  // namespace

class tst_WindowConformance : public QObject {
    Q_OBJECT
private slots:
    // The table above and the factory agree: every creatable type has a row, every row is creatable.
    void tableMatchesFactory() {
        for (qint32 c = 0; c < WindowCatalogue::kTypeCount; ++c) {
            QVERIFY2(DisplayWindowFactory::Exists(c) == (rowOf(c) != nullptr),
                     qPrintable(QStringLiteral("type %1: factory and conformance table disagree").arg(c)));
        }
    }

    void identity_data() {
        addTypeColumn();
        for (const WindowRow& r : kWindows) QTest::addRow("%s", r.objectName) << int(r.type);
    }
    // Name in the lists = string 500 + type; class, caption and WinID as the window says; its data
    // object polls under that WinID and every one of its read blocks is answered and decoded.
    void identity() {
        QFETCH(int, type);
        const WindowRow& row = *rowOf(type);
        GroupTestRig rig(3);
        QVERIFY(rig.windows().CreateWnd(type, 0, 0, 0));
        CDisplayWindow* w = onlyWindow(rig);
        QVERIFY(w);
        const QString title = StringTable::lookup(WindowCatalogue::kTitleBase + type).value_or(QString());
        QVERIFY(!title.isEmpty());
        QCOMPARE(rig.windows().Title(type), title);
        QCOMPARE(w->objectName(), QString::fromLatin1(row.objectName));
        QCOMPARE(w->windowTitle(), QString::fromLatin1(row.caption));
        QCOMPARE(clsWndManager::SubWindowOf(w)->windowTitle(), QString::fromLatin1(row.caption));
        QCOMPARE(w->WinID(), type);
        QCOMPARE(w->Data().WinID(), type);
        QCOMPARE(w->SetupAvailable(), row.setup);

        QVERIFY(!w->Data().IsFresh() || w->Data().ReadBlocks().empty());
        rig.cycle();
        QVERIFY2(w->Data().IsFresh(), "not every read block was answered and decoded in one cycle");

        // The setup dialog is loaded (hidden) with the window exactly when the window has one.
        CSetupDialog* dialog = w->SetupDialog();
        QCOMPARE(dialog != nullptr, row.setup);
        if (dialog) {
            QVERIFY(dialog->objectName().startsWith(QStringLiteral("SU_M852_")));
            QVERIFY(!dialog->windowTitle().isEmpty());
            QVERIFY(!dialog->isVisible());
        }
    }

    void setupRules_data() {
        addTypeColumn();
        QTest::addColumn<int>("role");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("read");  // every read block decoded since the window opened
        for (const WindowRow& r : kWindows)
            for (int role : {1, 2, 3, 4})
                for (bool connected : {true, false})
                    for (bool read : {true, false})
                        QTest::addRow("%s role %d %s %s", r.objectName, role,
                                      connected ? "connected" : "disconnected", read ? "read" : "unread")
                            << int(r.type) << role << connected << read;
    }
    // The setup dialog opens (by double-click on the background, and as the Setup menu item asks)
    // only for a window with one, while connected, for a non-guest, once its group has been read.
    void setupRules() {
        QFETCH(int, type);
        QFETCH(int, role);
        QFETCH(bool, connected);
        QFETCH(bool, read);
        const WindowRow& row = *rowOf(type);
        GroupTestRig rig(role);
        QVERIFY(rig.windows().CreateWnd(type, 0, 0, 0));
        CDisplayWindow* w = onlyWindow(rig);
        QVERIFY(w);
        if (read) rig.cycle();
        rig.setConnected(connected);
        const bool allowed = row.setup && role != 4 && connected && read;
        QCOMPARE(w->CanRunSetup(), allowed);

        ScriptedUiServices ui;
        QStringList shown;
        for (int i = 0; allowed && i < 2; ++i)
            ui.queueDialog([&](QDialog& d) {
                shown << d.objectName();
                return ScriptedUiServices::click(d, "cmdCancel");
            });
        QTest::mouseDClick(w, Qt::LeftButton, {}, QPoint(1, 1));
        w->RunSetup();  // any other way in asks the same
        QCOMPARE(ui.callsOf(ScriptedUiServices::Kind::ExecDialog).size(), allowed ? 2 : 0);
        QVERIFY(ui.allConsumed());
        for (const QString& name : shown) QVERIFY(name.startsWith(QStringLiteral("SU_M852_")));
    }

    void openCount_data() {
        addTypeColumn();
        for (const WindowRow& r : kWindows) QTest::addRow("%s", r.objectName) << int(r.type);
    }
    // Each window counts once while open; closing it makes the type available again.
    void openCount() {
        QFETCH(int, type);
        GroupTestRig rig(3);
        auto offered = [&] {
            QString name;
            qint32 t = 0;
            bool found = false;
            while (rig.windows().AvailWnds(name, t)) found = found || t == type;
            return found;
        };
        QVERIFY(offered());
        QVERIFY(rig.windows().CreateWnd(type, 0, 0, 0));
        QVERIFY(rig.windows().CreateWnd(type, 300, 300, 0));
        QCOMPARE(rig.windows().OpenCount(type), 2);
        QCOMPARE(rig.windows().NumWindowsOpen(), 2);
        QVERIFY(!offered());
        const QList<QMdiSubWindow*> subs = rig.area().subWindowList(QMdiArea::CreationOrder);
        QCOMPARE(subs.size(), 2);
        subs.at(0)->close();
        QCOMPARE(rig.windows().OpenCount(type), 1);
        QVERIFY(!offered());
        subs.at(1)->close();
        QCOMPARE(rig.windows().OpenCount(type), 0);
        QCOMPARE(rig.windows().NumWindowsOpen(), 0);
        QVERIFY(offered());
        QCOMPARE(rig.manager().queueSize(), qint16(0));  // every poll left with its window
    }

    void screenFileRoundTrip_data() {
        addTypeColumn();
        QTest::addColumn<int>("state");
        for (const WindowRow& r : kWindows)
            for (int state : {0, 1, 2})
                QTest::addRow("%s state %d", r.objectName, state) << int(r.type) << state;
    }
    // A window saved in a screen file comes back as the same type, in the same state (maximized
    // included) and, when normal, at the same place; saving again writes the same file.
    void screenFileRoundTrip() {
        QFETCH(int, type);
        QFETCH(int, state);
        GroupTestRig rig(3);
        QCOMPARE(rig.area().logicalDpiX(), 96);  // 15 twips per pixel
        QVERIFY(rig.windows().CreateWnd(type, 1500, 3000, state));
        QTemporaryDir dir;
        rig.screenFileName = dir.filePath(QStringLiteral("screen.scn"));
        rig.screens().WriteScreenFile();
        const QByteArray written = readFile(rig.screenFileName);
        QVERIFY2(written.startsWith(QByteArray::number(type) + ','), written.constData());
        QVERIFY2(written.endsWith(',' + QByteArray::number(state) + "\r\n"), written.constData());
        if (state == 0) QCOMPARE(written, QByteArray::number(type) + ",1500,3000,0\r\n");

        rig.screens().LoadScreenFile(rig.screenFileName);
        CDisplayWindow* w = onlyWindow(rig);
        QVERIFY(w);
        QCOMPARE(w->WinID(), type);
        QCOMPARE(rig.windows().OpenCount(type), 1);
        QMdiSubWindow* sub = clsWndManager::SubWindowOf(w);
        QCOMPARE(sub->isMinimized(), state == 1);
        QCOMPARE(sub->isMaximized(), state == 2);
        if (state == 0) QCOMPARE(sub->pos(), QPoint(200, 100));
        rig.screens().WriteScreenFile();
        QCOMPARE(readFile(rig.screenFileName), written);
    }

    // A factory row that makes a window of another group is refused cleanly: no window, no count, no
    // polls, and the other type's own window is untouched.
    void factoryRowWithAnotherWinIdRefused() {
        GroupTestRig rig(3);
        QVERIFY(rig.windows().CreateWnd(3, 0, 0, 0));
        const qint16 queued = rig.manager().queueSize();
        clsWndManager::Host host;
        host.area = &rig.area();
        host.owner = &rig.mainWindow();
        clsWndManager faulty(host);
        faulty.setWindowFactory(
            [](qint32) -> CDisplayWindow* { return new DW_M852_SourceInfo(); });  // WinID 3
        QVERIFY(!faulty.CreateWnd(4, 0, 0, 0));
        QCOMPARE(faulty.OpenCount(4), 0);
        QCOMPARE(faulty.NumWindowsOpen(), 0);
        QCOMPARE(rig.area().subWindowList().size(), 1);
        QCOMPARE(rig.manager().queueSize(), queued);  // the survivor's polls are all still there
        QVERIFY(faulty.CreateWnd(3, 0, 0, 0));        // the same factory's correct row still works
        QCOMPARE(faulty.OpenCount(3), 1);
    }
};

QObject* makeWindowConformanceTest() { return new tst_WindowConformance; }

#include "tst_WindowConformance.moc"
