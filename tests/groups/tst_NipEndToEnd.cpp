// Network port, state machine, manual operations and meter calibration in the real program against
// the simulated controller program on a pseudo-terminal: the windows show its values, and every OK
// and command writes exactly the registers it should (checked in the simulator's request log).
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "NipTestHelpers.h"
#include "ScriptedUiServices.h"
#include "app/clsApplication.h"
#include "app/mdiMain.h"
#include "comm/CScanLoop.h"
#include "files/clsWndManager.h"
#include "groups/CDisplayWindow.h"
#include "sim/SimProcess.h"

using niptest::Write;

namespace {

// The write requests of the simulator's log (one JSON object per request), in order.
QList<Write> loggedWrites(const QString& path) {
    QList<Write> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return out;
    while (!f.atEnd()) {
        const QJsonObject o = QJsonDocument::fromJson(f.readLine()).object();
        const int fn = o.value("function").toInt();
        if (fn != 6 && fn != 16) continue;
        Write w{fn, o.value("start").toInt(), {}};
        for (const QJsonValue& v : o.value("values").toArray()) w.values << quint16(v.toInt());
        out << w;
    }
    return out;
}

CDisplayWindow* windowOf(mdiMain& main, qint32 type) {
    for (CDisplayWindow* w : main.WindowMgr()->DisplayWindows())
        if (w->WinID() == type) return w;
    return nullptr;
}

QString text(CDisplayWindow* w, const char* name) {
    if (!w) return QStringLiteral("<no window>");
    if (auto* l = w->findChild<QLabel*>(QLatin1String(name))) return l->text();
    if (auto* b = w->findChild<QPushButton*>(QLatin1String(name))) return b->text();
    return QStringLiteral("<no control %1>").arg(QLatin1String(name));
}

}  // namespace

class tst_NipEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void showsAndWritesTheController() {
#ifndef Q_OS_UNIX
        QSKIP("the simulated controller program needs pseudo-terminals");
#endif
        const QString program = QDir(QCoreApplication::applicationDirPath()).filePath("m852-sim");
        if (!QFile::exists(program)) QSKIP("m852-sim is not built");
        QTemporaryDir home;
        const QString log = home.filePath("requests.log");
        sim::SimProcess sim(program);
        // Register 1002 deliberately not 1; Source E single-phase; relay 1 off and switchable.
        QVERIFY2(sim.start({"--log", log, "--set", "1002=9", "--set", "29=1", "--set", "1504=-3"}),
                 qPrintable(sim.errorString()));

        qputenv("FC_HOME", home.path().toLocal8Bit());
        clsApplication app;
        app.LoginAs(QStringLiteral("TECH"), 2);
        mdiMain main;
        main.show();
        main.setReadScanRate(40);
        main.setWriteScanRate(40);
        main.scanLoop()->serial().setPortOverrides({{1, sim.devicePath()}});
        main.setCOM_Number(1);
        QVERIFY(main.ConnectLink());
        for (int type : {13, 11, 9, 18}) QVERIFY(main.WindowMgr()->CreateWnd(type, 0, 0, 0));
        CDisplayWindow* nip = windowOf(main, 13);
        CDisplayWindow* sm = windowOf(main, 11);
        CDisplayWindow* man = windowOf(main, 9);
        CDisplayWindow* cal = windowOf(main, 18);

        // The simulator's values.
        QTRY_COMPARE_WITH_TIMEOUT(text(nip, "lblBaudRate"), QStringLiteral("19200"), 10000);
        QCOMPARE(text(nip, "lblAddr"), QStringLiteral("1"));
        QTRY_COMPARE_WITH_TIMEOUT(text(sm, "lblStandbySource"), QStringLiteral("-3"), 10000);
        QCOMPARE(text(sm, "lblContactorState"), QStringLiteral("3"));
        QCOMPARE(text(sm, "lblForcingToOff"), QStringLiteral("FALSE"));
        QTRY_COMPARE_WITH_TIMEOUT(text(man, "cmdOutput_1"), QStringLiteral("Output #1 OFF"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(man->findChild<QPushButton*>("cmdStartPeakShave")->isEnabled(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(man->findChild<QPushButton*>("cmdTransferToOff")->isEnabled(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!cal->findChild<QLineEdit*>("txtL1L2_1")->isVisibleTo(cal), 10000);
        QCOMPARE(text(cal, "lblTitleL3L1_1"), QStringLiteral("L1 - L2"));
        QVERIFY(loggedWrites(log).isEmpty());

        // Network port: address 12 at 9600.
        QTRY_VERIFY_WITH_TIMEOUT(nip->CanRunSetup(), 10000);
        ScriptedUiServices ui;
        ui.queueDialog(QStringLiteral("SU_M852_NIP"), [](QDialog& d) {
            ScriptedUiServices::setText(d, "txtAddr", "12");
            d.findChild<QComboBox*>("cboBaudRate")->setCurrentIndex(0);
            return ScriptedUiServices::click(d, "cmdOK");
        });
        nip->RunSetup();
        QVERIFY(ui.allConsumed());
        QTRY_COMPARE_WITH_TIMEOUT(text(nip, "lblBaudRate"), QStringLiteral("9600"), 10000);
        QCOMPARE(text(nip, "lblAddr"), QStringLiteral("12"));
        QCOMPARE(loggedWrites(log), (QList<Write>{{16, 1000, {12, 5, 1, 1}}}));

        // Peak Shave Start: 2 to 1350, then the relay register as read to 600.
        man->findChild<QPushButton*>("cmdStartPeakShave")->click();
        QTRY_VERIFY_WITH_TIMEOUT(man->findChild<QPushButton*>("cmdStopPeakShave")->isEnabled(), 10000);
        QVERIFY(!man->findChild<QPushButton*>("cmdStartPeakShave")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(text(sm, "lblAreaProtection"), QStringLiteral("TRUE"), 10000);
        // Relay 1: register 600 only.
        man->findChild<QPushButton*>("cmdOutput_1")->click();
        QTRY_COMPARE_WITH_TIMEOUT(text(man, "cmdOutput_1"), QStringLiteral("Output #1 ON"), 10000);

        // Calibration: Source N A - N and Source E's single row, then OK closes the window.
        cal->findChild<QLineEdit*>("txtL1L0_0")->setText("277.3");
        cal->findChild<QLineEdit*>("txtL3L1_1")->setText("240.5");
        cal->findChild<QPushButton*>("cmdOK")->click();
        QTRY_COMPARE_WITH_TIMEOUT(main.WindowMgr()->OpenCount(18), 0, 10000);
        const QList<quint16> cal12{0, 0, 0, 0, 0, 2405, 2773, 0, 0, 0, 0, 0};
        QTRY_COMPARE_WITH_TIMEOUT(sim.registers(1400, 12).value_or(QList<quint16>{}), cal12, 10000);

        const QList<Write> expected{{16, 1000, {12, 5, 1, 1}},
                                    {16, 1350, {2}},
                                    {16, 600, {0x00AA}},
                                    {16, 600, {0x00AB}},
                                    {16, 1400, cal12}};
        QTRY_COMPARE_WITH_TIMEOUT(loggedWrites(log), expected, 10000);
        QVERIFY(main.DisconnectLink());
        QCOMPARE(sim.stop(), 0);
    }
};

QObject* makeNipEndToEndTest() { return new tst_NipEndToEnd; }

#include "tst_NipEndToEnd.moc"
