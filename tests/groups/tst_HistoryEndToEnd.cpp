// Event History in the real program against the simulated controller program on a pseudo-terminal,
// and `field-console-cli events` against the same controller.
#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "ScriptedUiServices.h"
#include "app/clsApplication.h"
#include "app/mdiMain.h"
#include "comm/CScanLoop.h"
#include "files/clsWndManager.h"
#include "groups/history/C_M852_History.h"
#include "groups/history/DW_M852_History.h"
#include "groups/history/EventList.h"
#include "sim/SimProcess.h"

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
}  // namespace

class tst_HistoryEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    // Usage errors of the events command end with status 2 before any port is opened; a log file
    // that cannot be written gives 4 after the list was printed.
    void cliEventsArguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("unknown option") << QStringList{"events", "--bogus"} << 2;
        QTest::newRow("--log without a value") << QStringList{"events", "--log"} << 2;
        QTest::newRow("empty --log=") << QStringList{"events", "--log="} << 2;
        QTest::newRow("bad global option") << QStringList{"--tries", "0", "events"} << 2;
        QTest::newRow("port and device")
            << QStringList{"--port", "0", "--device", "/dev/null", "events"} << 2;
        QTest::newRow("log in a missing folder")
            << QStringList{"--scan-rate", "60", "events", "--log", "/nonexistent-folder/x.log"} << 4;
    }
    void cliEventsArguments() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        const QString cli = QDir(QCoreApplication::applicationDirPath()).filePath("field-console-cli");
        if (!QFile::exists(cli)) QSKIP("field-console-cli is not built");
        QProcess p;
        p.start(cli, args);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), status);
        const QByteArray out = p.readAllStandardOutput();
        QCOMPARE(out.isEmpty(), status == 2);  // the list is printed unless the command line was wrong
    }

    void listsSavesPrintsAndClears() {
#ifndef Q_OS_UNIX
        QSKIP("the simulated controller program needs pseudo-terminals");
#endif
        const QString dir = QCoreApplication::applicationDirPath();
        const QString program = QDir(dir).filePath("m852-sim");
        const QString cli = QDir(dir).filePath("field-console-cli");
        if (!QFile::exists(program) || !QFile::exists(cli))
            QSKIP("m852-sim or field-console-cli is not built");
        sim::SimProcess sim(program);
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));

        QTemporaryDir home;
        qputenv("FC_HOME", home.path().toLocal8Bit());
        clsApplication app;
        app.LoginAs(QStringLiteral("TECH"), 3);
        mdiMain main;
        main.show();
        main.setReadScanRate(100);  // a 100-register reply takes 36 ms at 57600 baud
        main.setWriteScanRate(100);
        main.scanLoop()->serial().setPortOverrides({{1, sim.devicePath()}});
        main.setCOM_Number(1);
        QVERIFY(main.ConnectLink());
        QVERIFY(main.WindowMgr()->CreateWnd(7, 0, 0, 0));
        auto* w = qobject_cast<DW_M852_History*>(main.WindowMgr()->DisplayWindows().constFirst());
        QVERIFY(w);
        const auto& data = static_cast<const C_M852_History&>(w->Data());
        QTRY_VERIFY_WITH_TIMEOUT(data.AllBlocksDecoded(), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(w->EventListText(), EventList::Build(data), 5000);

        // The list is the simulator's table: record 0 (the newest event) as its own registers say.
        const auto rec0 = sim.registers(150, 5);
        QVERIFY(rec0);
        const QString first =
            EventList::Line(qint16(rec0->at(0)), data.EventDate(0), qint16(rec0->at(2)), qint16(rec0->at(3)));
        const QString list = w->EventListText();
        QVERIFY2(list.startsWith(first + "\r\n"), qPrintable(list.left(200)));
        QVERIFY(list.count("\r\n") >= 30);

        // Save History
        ScriptedUiServices ui;
        QTemporaryDir out;
        const QString saved = out.filePath("window.log");
        ui.queueFile(saved);
        QTest::mouseClick(w->findChild<QPushButton*>("cmdSaveHistory"), Qt::LeftButton);
        QVERIFY(ui.allConsumed());
        QCOMPARE(readAll(saved), (list + "\r\n").toUtf8());

        // field-console-cli events against the same controller, while the program is off the line
        QVERIFY(main.DisconnectLink());
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "en_US.UTF-8");
        env.insert("LANG", "en_US.UTF-8");
        p.setProcessEnvironment(env);
        const QString cliLog = out.filePath("cli.log");
        p.start(cli, {"--device", sim.devicePath(), "--scan-rate", "100", "events", "--log", cliLog});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), QString(list).replace("\r\n", "\n"));
        QCOMPARE(readAll(cliLog), readAll(saved));
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("last loss of the preferred source: "));

        // Clear History, after Yes: the controller's table empties and so does the list
        QVERIFY(main.ConnectLink());
        ui.queueDialog("QMessageBox", [](QDialog& d) { return ScriptedUiServices::click(d, "cmdYes"); });
        QTest::mouseClick(w->findChild<QPushButton*>("cmdClearHistory"), Qt::LeftButton);
        QVERIFY(ui.allConsumed());
        QTRY_COMPARE_WITH_TIMEOUT(w->EventListText(), QString(), 15000);
        QCOMPARE(sim.registers(150, 5).value_or(QList<quint16>{1}), QList<quint16>(5, 0));
        QVERIFY(main.DisconnectLink());
        QCOMPARE(sim.stop(), 0);
    }
};

QObject* makeHistoryEndToEndTest() { return new tst_HistoryEndToEnd; }

#include "tst_HistoryEndToEnd.moc"
