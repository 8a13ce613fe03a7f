// Maintenance group: counters and dates as shown, the four confirmed commands and the role rules.
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include "GroupTestHelpers.h"
#include "GroupTestRig.h"
#include "ScriptedUiServices.h"
#include "base/Clock.h"
#include "groups/CDisplayWindow.h"
#include "groups/maint/C_M852_Maint.h"

using namespace grouptest;

namespace {

CDisplayWindow* openWindow(GroupTestRig& rig, qint32 type) {
    if (!rig.windows().CreateWnd(type, 0, 0, 0)) return nullptr;
    return rig.windows().DisplayWindows().constLast();
}

struct SentWrite {
    int function;
    int start;
    QList<quint16> values;
    bool operator==(const SentWrite& o) const {
        return function == o.function && start == o.start && values == o.values;
    }
};

QList<SentWrite> sentWrites(const GroupTestRig& rig) {
    QList<SentWrite> out;
    for (const QByteArray& f : writesOf(rig.host.sent)) out << SentWrite{frameFunction(f), frameStart(f), frameValues(f)};
    return out;
}

}  // namespace

class tst_Maint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanup() { Clock::setNowFunction({}); }

    void counters_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("0, 90") << 0 << 90 << 90 << "1:30";
        QTest::newRow("1, 0: times 65535, not 65536") << 1 << 0 << 65535 << "1092:15";
        QTest::newRow("0, 0xFFFF: signed second word") << 0 << 0xFFFF << -1 << "0:01";
        QTest::newRow("2, 5") << 2 << 5 << 131075 << "2184:35";
        QTest::newRow("largest") << 0x7FFF << 0x7FFF << 2147418112 << "35790301:52";
    }
    // Every counter block decodes with first × 65535 + second (signed words) into its own label.
    void counters() {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, minutes);
        QFETCH(QString, shown);
        QCOMPARE(C_M852_Maint::Counter(qint16(quint16(first)), qint16(quint16(second))), minutes);
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, 15);
        QVERIFY(w);
        QCOMPARE(labelText(w, "lblOperTimeMaint"), QStringLiteral("HHHHH:MM"));
        const char* labels[] = {"lblNotInPrefTotal", "lblNotInPrefMaint", "lblInStandbyTotal",
                                "lblInStandbyMaint", "lblOperTimeTotal",  "lblOperTimeMaint"};
        for (int c = 0; c < 6; ++c) {
            rig.image.set(1300 + 2 * c, quint16(c == 0 ? first : 0));
            rig.image.set(1301 + 2 * c, quint16(c == 0 ? second : c));
        }
        rig.cycle();
        QCOMPARE(labelText(w, labels[0]), shown);
        for (int c = 1; c < 6; ++c) QCOMPARE(labelText(w, labels[c]), QStringLiteral("0:0%1").arg(c));
    }

    void countsTimesAndDates() {
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, 15);
        const QList<quint16> singles{412, 37, 2, 0, 23, 0xFFFF, 96, 88,
                                     quint16((19 << 9) | (3 << 5) | 14),    // 14 March 2019
                                     quint16((100 << 9) | (11 << 5) | 2)};  // 2 November 2100 (bit 15 set)
        for (int i = 0; i < singles.size(); ++i) rig.image.set(1312 + i, singles[i]);
        rig.cycle();
        const char* names[] = {"lblTransfersTotal", "lblTransfersSinceReset", "lblFailTransTotal",
                               "lblFailTransSinceReset", "lblLostPrefTransTotal", "lblLostPrefTransSinceReset",
                               "lblTransferTimeNE", "lblTransferTimeEN", "lblSysStartDate", "lblMaintDate"};
        const QStringList shown{"412", "37", "2", "0", "23", "-1", "96", "88", "03/14/2019", "11/02/2100"};
        for (int i = 0; i < shown.size(); ++i) QCOMPARE(labelText(w, names[i]), shown[i]);
    }

    // A reply for a register the group does not poll decodes nothing.
    void unknownBlockIgnored() {
        GroupTestRig rig;
        C_M852_Maint data(&rig.manager());
        CMsgPacketNode reply;
        reply.setWinID(15);
        reply.setMsgType(3);
        reply.setStartingReg(1314);
        reply.setNumReg(2);
        reply.setData(0, 1);
        reply.setData(1, 2);
        QVERIFY(!data.DecodeReply(reply));
        QCOMPARE(data.FailTransTotal(), qint16(0));
    }

    void commands_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::newRow("reload defaults") << "cmdReloadDefaults"
                                         << "Reloading defaults will reset all system parameters and" << 0 << 1;
        QTest::newRow("reset history") << "cmdResetHistory"
                                       << "Resetting historical records will clear all information displayed" << 0 << 2;
        QTest::newRow("reset maintenance") << "cmdResetMaint"
                                           << "Resetting maintainence records will clear all maintainence" << 1 << 0;
    }
    // Yes sends exactly the two function-6 packets, 1350 first; No sends nothing; the dialog stays.
    void commands() {
        QFETCH(QString, button);
        QFETCH(QString, firstLine);
        QFETCH(int, a);
        QFETCH(int, b);
        GroupTestRig rig(3);
        CDisplayWindow* w = openWindow(rig, 15);
        rig.cycle();
        ScriptedUiServices ui;
        ui.queueMessage(ui::Answer::No, firstLine);
        ui.queueMessage(ui::Answer::Yes, firstLine);
        bool stayedOpen = false;
        ui.queueDialog("SU_M852_Maint", [&](QDialog& d) {
            auto* cmd = d.findChild<QPushButton*>(button);
            cmd->click();  // No
            cmd->click();  // Yes
            stayedOpen = d.isVisible();
            return ScriptedUiServices::click(d, "cmdClose");
        });
        rig.host.sent.clear();
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        QVERIFY(stayedOpen);
        const auto box = ui.messages().constFirst();
        QCOMPARE(box.title, QStringLiteral("WARNING"));
        QCOMPARE(box.icon, ui::Icon::Exclamation);
        QCOMPARE(box.buttons, ui::Buttons::YesNo);
        QVERIFY(box.text.endsWith(QStringLiteral("\n\nDo you want to continue?")));
        QCOMPARE(box.text.count(QLatin1Char('\n')), 3);
        rig.cycle();
        const QList<SentWrite> expected{{6, 1350, {quint16(a)}}, {6, 1353, {quint16(b)}}};
        QCOMPARE(sentWrites(rig), expected);
    }

    void startDate_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("word");  // -1: nothing written
        QTest::newRow("2026-12-10, yes") << QDate(2026, 12, 10) << true << ((26 << 9) | (12 << 5) | 10);
        QTest::newRow("2026-12-10, no") << QDate(2026, 12, 10) << false << -1;
        QTest::newRow("2127-12-31, yes") << QDate(2127, 12, 31) << true << ((127 << 9) | (12 << 5) | 31);
        QTest::newRow("2128-01-01 refused") << QDate(2128, 1, 1) << true << -1;
        QTest::newRow("1999-12-31 refused") << QDate(1999, 12, 31) << true << -1;
    }
    // The computer's date as a PackedDate to 1320; a date the word cannot hold is refused with a
    // message before any question.
    void startDate() {
        QFETCH(QDate, today);
        QFETCH(bool, answer);
        QFETCH(int, word);
        Clock::setNowFunction([today] { return QDateTime(today, QTime(12, 0)); });
        GroupTestRig rig(3);
        CDisplayWindow* w = openWindow(rig, 15);
        rig.cycle();
        ScriptedUiServices ui;
        const bool refused = today.year() >= 2128 || today.year() < 2000;
        if (refused)
            ui.queueMessage(ui::Answer::Ok, QStringLiteral("2000 to 2127"));
        else
            ui.queueMessage(answer ? ui::Answer::Yes : ui::Answer::No,
                            QStringLiteral("Resetting the system start date will change the controller's"));
        ui.queueDialog("SU_M852_Maint", [](QDialog& d) {
            d.findChild<QPushButton*>("cmdSetStartDate")->click();
            return ScriptedUiServices::click(d, "cmdClose");
        });
        rig.host.sent.clear();
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        rig.cycle();
        QList<SentWrite> expected;
        if (word >= 0) expected << SentWrite{6, 1320, {quint16(word)}};
        QCOMPARE(sentWrites(rig), expected);
    }

    void roles_data() {
        QTest::addColumn<int>("role");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("role 1") << 1 << false;
        QTest::newRow("role 2") << 2 << true;
        QTest::newRow("role 3") << 3 << true;
    }
    void roles() {
        QFETCH(int, role);
        QFETCH(bool, enabled);
        GroupTestRig rig(role);
        CDisplayWindow* w = openWindow(rig, 15);
        rig.cycle();
        ScriptedUiServices ui;
        ui.queueDialog("SU_M852_Maint", [&](QDialog& d) {
            [&] {
                QCOMPARE(d.windowTitle(), QStringLiteral("Maintenance Setup"));
                QCOMPARE(d.findChild<QPushButton*>("cmdSetStartDate")->isEnabled(), enabled);
                QCOMPARE(d.findChild<QPushButton*>("cmdResetHistory")->isEnabled(), enabled);
                QVERIFY(d.findChild<QPushButton*>("cmdReloadDefaults")->isEnabled());
                QVERIFY(d.findChild<QPushButton*>("cmdResetMaint")->isEnabled());
                QVERIFY(!d.findChild<QPushButton*>("cmdOK")->isVisible());
            }();
            return ScriptedUiServices::click(d, "cmdClose");
        });
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        rig.host.sent.clear();
        rig.cycle();
        QVERIFY(writesOf(rig.host.sent).isEmpty());
    }
};

QObject* makeMaintTest() { return new tst_Maint; }

#include "tst_Maint.moc"
