// Maintenance, system information, common alarm and programmable I/O windows in the real program
// against the simulated controller program on a pseudo-terminal: the windows show its values; a
// no-edit OK in each dialog writes exactly its own block with the values the controller holds; the
// Reset Maintenance command writes 1350 <- 1, then 1353 <- 0, and nothing else.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "ScriptedUiServices.h"
#include "app/clsApplication.h"
#include "app/mdiMain.h"
#include "base/StringTable.h"
#include "comm/CScanLoop.h"
#include "files/clsWndManager.h"
#include "groups/CDataGroup.h"
#include "groups/CDisplayWindow.h"
#include "groups/SharedRoutines.h"
#include "groups/maint/C_M852_Maint.h"
#include "sim/SimProcess.h"

namespace {

struct Write {
    int function;
    int start;
    QList<quint16> values;
};

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

}  // namespace

class tst_MaintEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void showsAndWritesTheController() {
#ifndef Q_OS_UNIX
        QSKIP("the simulated controller program needs pseudo-terminals");
#endif
        const QString program = QDir(QCoreApplication::applicationDirPath()).filePath("m852-sim");
        if (!QFile::exists(program)) QSKIP("m852-sim is not built");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QTemporaryDir home;
        const QString log = home.filePath("requests.jsonl");
        sim::SimProcess sim(program);
        QVERIFY2(sim.start({"--log", log}), qPrintable(sim.errorString()));

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
        for (int type : {8, 12, 14, 15}) QVERIFY(main.WindowMgr()->CreateWnd(type, 0, 0, 0));
        const QList<CDisplayWindow*> windows = main.WindowMgr()->DisplayWindows();
        auto window = [&windows](int id) -> CDisplayWindow* {
            for (CDisplayWindow* w : windows)
                if (w->WinID() == id) return w;
            return nullptr;
        };
        auto label = [&](int id, const char* name) {
            auto* l = window(id)->findChild<QLabel*>(QLatin1String(name));
            return l ? l->text() : QString();
        };

        const auto held = [&sim](int reg, int count) { return sim.registers(reg, count).value_or(QList<quint16>{}); };
        QTRY_COMPARE_WITH_TIMEOUT(label(15, "lblNotInPrefTotal"), QStringLiteral("1234:00"), 10000);
        // Both words signed, first × 65535 + second: the simulator's second word may be 32768 or more.
        // The operating time runs (a minute at a time), so the label may be one poll behind.
        QTRY_VERIFY_WITH_TIMEOUT(window(15)->Data().IsFresh(), 10000);  // every counter block decoded
        const QString operShown = label(15, "lblOperTimeTotal");
        const QList<quint16> oper = held(1308, 2);
        QCOMPARE(oper.size(), 2);
        const qint32 operNow = C_M852_Maint::Counter(qint16(oper[0]), qint16(oper[1]));
        QVERIFY2(operShown == FormatMinutes(operNow) || operShown == FormatMinutes(operNow - 1), qPrintable(operShown));
        QTRY_COMPARE_WITH_TIMEOUT(label(15, "lblSysStartDate"), QStringLiteral("03/14/2019"), 10000);
        QCOMPARE(label(15, "lblTransfersTotal"), QStringLiteral("412"));
        QTRY_COMPARE_WITH_TIMEOUT(label(14, "lblDesignation"), QStringLiteral("ATS-1 MAIN BUILDING"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(14, "lblDeviceID"), QStringLiteral("0x852"), 10000);
        QCOMPARE(label(14, "lblControlVersion"), QStringLiteral("2.21"));
        QCOMPARE(label(14, "lblROB1Version"), QStringLiteral("1.2"));
        QCOMPARE(label(14, "lblROB3Version"), QStringLiteral("N/A"));
        QTRY_COMPARE_WITH_TIMEOUT(label(12, "lblMLBOutput"), StringTable::text(3074), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(window(8)->findChild<QPlainTextEdit*>("txtCommonFaults")->toPlainText().contains(
                                     StringTable::text(3088)),
                                 10000);
        QTRY_VERIFY_WITH_TIMEOUT(window(15)->CanRunSetup() && window(14)->CanRunSetup() &&
                                     window(12)->CanRunSetup() && window(8)->CanRunSetup(),
                                 10000);
        QVERIFY(loggedWrites(log).isEmpty());

        const QList<quint16> alarms = held(800, 45);
        const QList<quint16> io = held(65, 35);
        QList<QList<quint16>> texts;
        for (auto [start, count] : {std::pair{1110, 10}, {1120, 10}, {1130, 10}, {1140, 10}, {1150, 5}, {1155, 5}, {1160, 5}})
            texts << held(start, count);
        QCOMPARE(io.size(), 35);

        ScriptedUiServices ui;
        for (const char* dialog : {"SU_M852_CFault", "SU_M852_ProgIO", "SU_M852_SysInfo"})
            ui.queueDialog(QLatin1String(dialog), [](QDialog& d) { return ScriptedUiServices::click(d, "cmdOK"); });
        ui.queueMessage(ui::Answer::Yes, QStringLiteral("Resetting maintainence records"));
        ui.queueDialog("SU_M852_Maint", [](QDialog& d) {
            d.findChild<QPushButton*>("cmdResetMaint")->click();
            return ScriptedUiServices::click(d, "cmdClose");
        });
        for (int id : {8, 12, 14, 15}) window(id)->RunSetup();
        QVERIFY(ui.allConsumed());

        QTRY_COMPARE_WITH_TIMEOUT(loggedWrites(log).size(), 11, 10000);
        QTest::qWait(300);  // a few more scan ticks: nothing else may be written
        const QList<Write> writes = loggedWrites(log);
        QCOMPARE(writes.size(), 11);
        QCOMPARE(writes[0].function, 16);
        QCOMPARE(writes[0].start, 800);
        QCOMPARE(writes[0].values, alarms);
        QCOMPARE(writes[1].start, 65);
        QCOMPARE(writes[1].values, io);
        const int starts[7] = {1110, 1120, 1130, 1140, 1150, 1155, 1160};
        for (int t = 0; t < 7; ++t) {
            QCOMPARE(writes[2 + t].function, 16);
            QCOMPARE(writes[2 + t].start, starts[t]);
            QCOMPARE(writes[2 + t].values, texts[t]);
        }
        QCOMPARE(writes[9].function, 6);
        QCOMPARE(writes[9].start, 1350);
        QCOMPARE(writes[9].values, QList<quint16>{1});
        QCOMPARE(writes[10].function, 6);
        QCOMPARE(writes[10].start, 1353);
        QCOMPARE(writes[10].values, QList<quint16>{0});
        // The controller reset its maintenance counters; the window shows it at the next poll.
        QTRY_COMPARE_WITH_TIMEOUT(label(15, "lblOperTimeMaint"), QStringLiteral("0:00"), 10000);

        QVERIFY(main.DisconnectLink());
        QCOMPARE(sim.stop(), 0);
    }
};

QObject* makeMaintEndToEndTest() { return new tst_MaintEndToEnd; }

#include "tst_MaintEndToEnd.moc"
