// Clock, DIP switch, exerciser and calendar windows in the real program against the simulated
// controller program on a pseudo-terminal: the windows show its values, and a no-edit OK in each
// dialog writes exactly its own registers, with the values the controller holds.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include "ScriptedUiServices.h"
#include "app/clsApplication.h"
#include "app/mdiMain.h"
#include "comm/CScanLoop.h"
#include "files/clsWndManager.h"
#include "groups/CDisplayWindow.h"
#include "sim/SimProcess.h"

namespace {

struct Write {
    int function;
    int start;
    QList<quint16> values;
};

// The write requests (functions 6 and 16) in the simulator's request log.
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

class tst_ExerciserEndToEnd : public QObject {
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
        // DIP switches: transfer inhibited, loaded exercise; exerciser: calendar mode, 45 minutes.
        QVERIFY2(sim.start({"--log", log, "--set", "743=9", "--set", "900=1", "--set", "901=45"}),
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
        for (int type : {0, 2, 17, 20}) QVERIFY(main.WindowMgr()->CreateWnd(type, 0, 0, 0));
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

        QTRY_COMPARE_WITH_TIMEOUT(label(2, "lblTransferInhibit"), QStringLiteral("TRANSFER INHIBITED"),
                                  10000);
        QCOMPARE(label(2, "lblExerciseLoad"), QStringLiteral("LOADED EXERCISE"));
        QTRY_COMPARE_WITH_TIMEOUT(label(17, "lblExerMode"), QStringLiteral("Calendar Mode"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(17, "lblExerLength"), QStringLiteral("0:45"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(17, "lblCalExerLength"), QStringLiteral("1:00"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(label(20, "lblPeriod_1"), QStringLiteral("Every Month"), 10000);
        QCOMPARE(label(20, "lblPeriod_2"), QStringLiteral("Every 2 weeks"));
        QCOMPARE(label(20, "lblLoaded_1"), QStringLiteral("X"));
        QTRY_VERIFY_WITH_TIMEOUT(label(0, "lblDate") != QStringLiteral("---"), 10000);
        QVERIFY(label(0, "lblTime").endsWith(QStringLiteral("M")));
        QVERIFY(loggedWrites(log).isEmpty());

        const auto held = [&sim](int reg, int count) {
            return sim.registers(reg, count).value_or(QList<quint16>{});
        };
        const QList<quint16> clockHeld = held(1250, 5);
        const QList<quint16> exerciserHeld = held(900, 2);
        const QList<quint16> calendarHeld = held(910, 84);
        QCOMPARE(calendarHeld.size(), 84);

        ScriptedUiServices ui;
        for (const char* dialog : {"SU_M852_DateTime", "SU_M852_PlantEx", "SU_M852_Calendar"})
            ui.queueDialog(QLatin1String(dialog),
                           [](QDialog& d) { return ScriptedUiServices::click(d, "cmdOK"); });
        for (int id : {0, 17, 20}) window(id)->RunSetup();
        QVERIFY(ui.allConsumed());
        QVERIFY(ui.messages().isEmpty());

        QTRY_COMPARE_WITH_TIMEOUT(loggedWrites(log).size(), 3, 10000);
        QTest::qWait(300);  // a few more scan ticks: nothing else may be written
        const QList<Write> writes = loggedWrites(log);
        QCOMPARE(writes.size(), 3);
        QCOMPARE(writes[0].function, 16);
        QCOMPARE(writes[0].start, 1250);
        QCOMPARE(writes[0].values.size(), 5);
        // The controller's clock runs while the dialog is open; the time may be a minute on.
        QVERIFY(qAbs(int(writes[0].values[0]) - int(clockHeld[0])) <= 1 || writes[0].values[0] == 0);
        QCOMPARE(writes[0].values.mid(1), clockHeld.mid(1));
        QCOMPARE(writes[1].function, 16);
        QCOMPARE(writes[1].start, 900);
        QCOMPARE(writes[1].values, exerciserHeld);
        QCOMPARE(writes[2].function, 16);
        QCOMPARE(writes[2].start, 910);
        QList<quint16> calendarExpected = calendarHeld;
        for (int n = 0; n < 21; ++n) calendarExpected[4 * n] &= ~0x0100;  // the highlight is not written
        QCOMPARE(writes[2].values, calendarExpected);

        QVERIFY(main.DisconnectLink());
        QCOMPARE(sim.stop(), 0);
    }
};

QObject* makeExerciserEndToEndTest() { return new tst_ExerciserEndToEnd; }

#include "tst_ExerciserEndToEnd.moc"
