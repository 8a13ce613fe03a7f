// Source Info in the real program against the simulated controller program on a pseudo-terminal.
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
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

class tst_SourceInfoEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void showsAndWritesTheController() {
#ifndef Q_OS_UNIX
        QSKIP("the simulated controller program needs pseudo-terminals");
#endif
        const QString program = QDir(QCoreApplication::applicationDirPath()).filePath("m852-sim");
        if (!QFile::exists(program)) QSKIP("m852-sim is not built");
        sim::SimProcess sim(program);
        QVERIFY2(sim.start({QStringLiteral("--set"), QStringLiteral("2=2345"), QStringLiteral("--set"),
                            QStringLiteral("29=1")}),
                 qPrintable(sim.errorString()));

        QTemporaryDir home;
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
        QVERIFY(main.WindowMgr()->CreateWnd(3, 0, 0, 0));
        CDisplayWindow* w = main.WindowMgr()->DisplayWindows().constFirst();
        auto label = [w](const char* name) { return w->findChild<QLabel*>(QLatin1String(name))->text(); };

        QTRY_COMPARE_WITH_TIMEOUT(label("lblVoltAN_1"), QStringLiteral("234.5"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label("lblSysVolt_2"), QStringLiteral("480"), 10000);
        QVERIFY(!w->findChild<QLabel*>("lblVoltAB_2")->isVisibleTo(w));  // Source E single-phase

        ScriptedUiServices ui;
        ui.queueDialog(QStringLiteral("SU_M852_SourceInfo"), [](QDialog& d) {
            ScriptedUiServices::setText(d, "txtSysVoltage_0", "208");
            ScriptedUiServices::setText(d, "txtSysVoltage_1", "240");
            d.findChild<QRadioButton*>("optFreq50_0")->setChecked(true);
            d.findChild<QRadioButton*>("optRotateCBA")->setChecked(true);
            d.findChild<QRadioButton*>("optPhases3_1")->setChecked(true);
            return ScriptedUiServices::click(d, "cmdOK");
        });
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        const QList<quint16> expected{0, 2080, 2400, 500, 600, 3, 3};
        QTRY_COMPARE_WITH_TIMEOUT(sim.registers(23, 7).value_or(QList<quint16>{}), expected, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label("lblSysVolt_1"), QStringLiteral("208"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(w->findChild<QLabel*>("lblVoltAB_2")->isVisibleTo(w), 10000);
        QVERIFY(main.DisconnectLink());
        QCOMPARE(sim.stop(), 0);
    }
};

QObject* makeSourceInfoEndToEndTest() { return new tst_SourceInfoEndToEnd; }

#include "tst_SourceInfoEndToEnd.moc"
