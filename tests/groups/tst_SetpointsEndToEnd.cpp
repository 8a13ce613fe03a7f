// The system summary, setpoint, time delay, active time delay and load control windows in the real
// program against the simulated controller program on a pseudo-terminal: each window shows the
// simulator's values, and each OK (and End Delay) writes exactly its registers, read back from the
// simulator's own request log.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "ScriptedUiServices.h"
#include "app/clsApplication.h"
#include "app/mdiMain.h"
#include "comm/CMsgManager.h"
#include "comm/CScanLoop.h"
#include "files/clsWndManager.h"
#include "groups/CDisplayWindow.h"
#include "sim/SimProcess.h"

namespace {

// "fn@start:v,v,..." of every write (function 6 or 16) in the simulator's request log.
QStringList writesInLog(const QString& path) {
    QStringList out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        const int fn = o.value(QStringLiteral("function")).toInt();
        if (fn != 6 && fn != 16) continue;
        QStringList values;
        for (const QJsonValue& v : o.value(QStringLiteral("values")).toArray())
            values << QString::number(v.toInt());
        out << QStringLiteral("%1@%2:%3")
                   .arg(fn)
                   .arg(o.value(QStringLiteral("start")).toInt())
                   .arg(values.join(u','));
    }
    return out;
}

}  // namespace

class tst_SetpointsEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void showsAndWritesTheController() {
#ifndef Q_OS_UNIX
        QSKIP("the simulated controller program needs pseudo-terminals");
#endif
        const QString program = QDir(QCoreApplication::applicationDirPath()).filePath("m852-sim");
        if (!QFile::exists(program)) QSKIP("m852-sim is not built");
        QTemporaryDir home;
        const QString log = home.filePath(QStringLiteral("requests.jsonl"));
        sim::SimProcess sim(program);
        QVERIFY2(sim.start({QStringLiteral("--no-pacing"), QStringLiteral("--log"), log,
                            QStringLiteral("--set"), QStringLiteral("40=755")}),
                 qPrintable(sim.errorString()));

        qputenv("FC_HOME", home.path().toLocal8Bit());
        clsApplication app;
        app.LoginAs(QStringLiteral("TECH"), 3);
        mdiMain main;
        main.show();
        main.setReadScanRate(40);
        main.setWriteScanRate(40);
        main.scanLoop()->serial().setPortOverrides({{1, sim.devicePath()}});
        main.setCOM_Number(1);
        QVERIFY(main.ConnectLink());
        QMap<int, CDisplayWindow*> w;
        for (int type : {10, 5, 4, 1, 19, 6}) {
            QVERIFY(main.WindowMgr()->CreateWnd(type, 0, 0, 0));
            w[type] = main.WindowMgr()->DisplayWindows().constLast();
        }
        auto label = [&w](int type, const char* name) {
            auto* l = w[type]->findChild<QLabel*>(QLatin1String(name));
            return l ? l->text() : QStringLiteral("<none>");
        };

        // The simulator's values in every window.
        QTRY_COMPARE_WITH_TIMEOUT(label(10, "lblSysState"), QStringLiteral("System Ready"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(10, "lblRatedCurrent"), QStringLiteral("400"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(10, "lblTransitionMode"), QStringLiteral("Programmed"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(5, "lblOverDropVolt_0"), QStringLiteral("(528 V)"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(5, "lblOverPickVolt_1"), QStringLiteral("(502 V)"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(4, "lblOverDropFreq_0"), QStringLiteral("(67.3 Hz)"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(1, "lblOffToPref"), QStringLiteral("01:15.5"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(1, "lblEngCoolA"), QStringLiteral("05:00"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(19, "lblTimeDelay"), QStringLiteral("Source E Engine Cooldown"),
                                  10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(6, "lblTime_28"), QStringLiteral("0:30"), 10000);
        for (int type : {10, 5, 4, 1, 6}) QTRY_VERIFY_WITH_TIMEOUT(w[type]->CanRunSetup(), 10000);

        // A no-edit OK in every dialog, then End Delay.
        ScriptedUiServices ui;
        for (int type : {10, 5, 4, 1, 6}) {
            ui.queueDialog([](QDialog& d) { return ScriptedUiServices::click(d, "cmdOK"); });
            w[type]->RunSetup();
        }
        QVERIFY(ui.allConsumed());
        QVERIFY(ui.messages().isEmpty());
        auto* endDelay = w[19]->findChild<QPushButton*>("cmdEndDelay");
        QVERIFY(endDelay->isEnabled());
        endDelay->click();

        QStringList loadCtrl;
        for (int i = 0; i < 2; ++i)
            loadCtrl << "5"
                     << "10"
                     << "0"
                     << "0"
                     << "0"
                     << "0"
                     << "0"
                     << "0"
                     << "0"
                     << "15"
                     << "30"
                     << "0"
                     << "0"
                     << "0"
                     << "0"
                     << "0"
                     << "0"
                     << "0";
        const QStringList expected{
            QStringLiteral("16@740:16,2"),
            QStringLiteral("16@30:400,5"),
            QStringLiteral("16@45:110,95,90,90,5"),
            QStringLiteral("16@50:110,95,90,90,5"),
            QStringLiteral("16@55:102,110,97,90,30,102,110,97,90,30"),
            QStringLiteral("16@32:3,3,0,0,300,300,3,300,755,30,60,30"),
            QStringLiteral("16@750:") + loadCtrl.join(u','),
            QStringLiteral("6@1350:128"),
        };
        QTRY_COMPARE_WITH_TIMEOUT(writesInLog(log), expected, 10000);
        // The controller ended its delay; the window says so at the next poll.
        QTRY_COMPARE_WITH_TIMEOUT(label(19, "lblTimeDelay"), QStringLiteral("No Active Time Delay"), 10000);
        QVERIFY(!endDelay->isEnabled());
        QVERIFY(main.DisconnectLink());
        QCOMPARE(sim.stop(), 0);
    }
};

QObject* makeSetpointsEndToEndTest() { return new tst_SetpointsEndToEnd; }

#include "tst_SetpointsEndToEnd.moc"
