#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "ScriptedUiServices.h"
#include "SetpointTestUtil.h"
#include "base/ComponentError.h"
#include "groups/InputValidation.h"
#include "groups/activetimedelay/C_M852_ActiveTimeDelay.h"
#include "groups/loadctrl/C_M852_LoadCtrl.h"
#include "groups/timedelay/C_M852_TimeDelay.h"

using namespace setpoints_test;

namespace {

constexpr qint32 kTimeDelay = 1;
constexpr qint32 kLoadCtrl = 6;
constexpr qint32 kActive = 19;

}  // namespace

class tst_TimeDelays : public QObject {
    Q_OBJECT
private slots:
    // --- time delays --------------------------------------------------------------------------

    void timeDelayWindow() {
        GroupTestRig rig;
        rig.image.set(32, 75);
        rig.image.set(40, 755);   // tenths: 01:15.5
        rig.image.set(43, 4500);  // 75:00, minutes not limited to 59
        CDisplayWindow* w = openWindow(rig, kTimeDelay);
        QCOMPARE(w->windowTitle(), QStringLiteral("Time Delays"));
        QCOMPARE(text(w, "lblEngStartA"), QStringLiteral("01:15"));
        QCOMPARE(text(w, "lblOffToPref"), QStringLiteral("01:15.5"));
        QCOMPARE(text(w, "lblOffToStdby"), QStringLiteral("00:03.0"));
        QCOMPARE(text(w, "lblInPhaseSynch"), QStringLiteral("75:00"));
        QCOMPARE(text(w, "lblUnitEngCoolB"), QStringLiteral("(mm:ss)"));
    }

    // OK writes 32-43 in one packet with 34 and 35 as 0 whatever the controller holds there; 06:00.0
    // in a tenth-based box writes 3600.
    void timeDelayWrite_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<int>("index");  // into the written block
        QTest::addColumn<int>("value");
        QTest::newRow("no edit") << ""
                                 << "" << 0 << 3;
        QTest::newRow("off to preferred 06:00.0") << "txtOffToPref"
                                                  << "06:00.0" << 8 << 3600;
        QTest::newRow("off to standby 1:15.5") << "txtOffToStdby"
                                               << "1:15.5" << 9 << 755;
        QTest::newRow("engine start 1:2:3") << "txtEngStartB"
                                            << "1:2:3" << 1 << 3723;
        QTest::newRow("cooldown 32767 s") << "txtEngCoolA"
                                          << "32767" << 4 << 32767;
        QTest::newRow("empty stores 0") << "txtAcquireStdby"
                                        << "" << 10 << 0;
    }
    void timeDelayWrite() {
        QFETCH(QString, box);
        QFETCH(QString, entered);
        QFETCH(int, index);
        QFETCH(int, value);
        GroupTestRig rig;
        rig.image.set(34, 77);
        rig.image.set(35, 0xFFFF);
        CDisplayWindow* w = openWindow(rig, kTimeDelay);
        ScriptedUiServices ui;
        ui.queueDialog(QStringLiteral("SU_M852_TimeDelay"), [&](QDialog& d) {
            if (!box.isEmpty()) ScriptedUiServices::setText(d, box.toLatin1().constData(), entered);
            return ScriptedUiServices::click(d, "cmdOK");
        });
        w->RunSetup();
        const QList<Write> writes = writesSent(rig);
        QCOMPARE(writes.size(), 1);
        QCOMPARE(writes[0].start, 32);
        QList<quint16> expected{3, 3, 0, 0, 300, 300, 3, 300, 30, 30, 60, 30};
        expected[index] = quint16(value);
        QCOMPARE(writes[0].values, expected);
    }

    // An entry the register cannot hold is refused like any invalid entry: light red, focus kept,
    // OK writes nothing.
    void timeDelayTooLarge_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("valid");
        QTest::newRow("32768 s") << "txtEngStartA"
                                 << "546:08" << false;
        QTest::newRow("32767 s") << "txtEngStartA"
                                 << "546:07" << true;
        QTest::newRow("beyond 32 bits") << "txtEngCoolB"
                                        << "99999999999" << false;
        QTest::newRow("6553.5 s in tenths") << "txtOffToPref"
                                            << "109:13.5" << true;
        QTest::newRow("6553.6 s in tenths") << "txtOffToPref"
                                            << "109:13.6" << false;
    }
    void timeDelayTooLarge() {
        QFETCH(QString, box);
        QFETCH(QString, entered);
        QFETCH(bool, valid);
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, kTimeDelay);
        ScriptedUiServices ui;
        bool red = false, focusKept = false;
        ui.queueDialog(QStringLiteral("SU_M852_TimeDelay"), [&](QDialog& d) {
            auto* b = d.findChild<QLineEdit*>(box);
            b->setFocus();
            waitForFocus(b);
            b->setText(entered);
            QTest::keyClick(b, Qt::Key_Tab);
            QCoreApplication::processEvents();
            red = BackColor(b) == kInvalidBackColor;
            focusKept = b->hasFocus();
            return ScriptedUiServices::click(d, "cmdOK");
        });
        w->RunSetup();
        QCOMPARE(red, !valid);
        QCOMPARE(focusKept, !valid);
        QVERIFY(ui.messages().isEmpty());
        QCOMPARE(writesSent(rig).size(), valid ? 1 : 0);
    }

    void engineStartHints_data() {
        QTest::addColumn<int>("reg740");
        QTest::addColumn<QString>("hint");
        QTest::newRow("extended clear") << 0x0010 << "( 00:00 - 00:06 )";
        QTest::newRow("extended set") << 0x0011 << "( 00:00 - 60:00 )";
    }
    void engineStartHints() {
        QFETCH(int, reg740);
        GroupTestRig rig;
        rig.image.set(740, quint16(reg740));
        CDisplayWindow* w = openWindow(rig, kTimeDelay);
        ScriptedUiServices ui;
        QStringList hints;
        ui.queueDialog(QStringLiteral("SU_M852_TimeDelay"), [&](QDialog& d) {
            for (const char* n :
                 {"lblEngStartARange", "lblEngStartBRange", "lblEngCoolARange", "lblOffToPrefRange"})
                hints << d.findChild<QLabel*>(QLatin1String(n))->text();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QFETCH(QString, hint);
        QCOMPARE(hints, QStringList({hint, hint, "( 00:00 - 60:00 )", "( 00:00.0 - 06:00.0 )"}));
    }

    void timeDelayKeys() {
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, kTimeDelay);
        ScriptedUiServices ui;
        QString seconds, tenths;
        ui.queueDialog(QStringLiteral("SU_M852_TimeDelay"), [&](QDialog& d) {
            auto* s = d.findChild<QLineEdit*>("txtEngStartA");
            s->clear();
            QTest::keyClicks(s, "1:2:3.4");
            seconds = s->text();
            auto* t = d.findChild<QLineEdit*>("txtOffToStdby");
            t->clear();
            QTest::keyClicks(t, "1:2:3.4.5");
            tenths = t->text();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QCOMPARE(seconds, QStringLiteral("1:234"));
        QCOMPARE(tenths, QStringLiteral("1:23.45"));
        QCOMPARE(ui.beeps(), 4);
    }

    // A reply at another start decodes nothing but is no failure.
    void timeDelayOtherStart() {
        GroupTestRig rig;
        C_M852_TimeDelay d;
        QVERIFY(d.DecodeReply(*reply(32, {1, 2, 99, 99, 3, 4, 5, 6, 7, 8, 9, 10})));
        QVERIFY(d.DecodeReply(*reply(33, {50, 50})));
        QCOMPARE(d.Text(C_M852_TimeDelay::EngStartB), QStringLiteral("00:02"));
        QCOMPARE(d.Text(C_M852_TimeDelay::EngCoolA), QStringLiteral("00:03"));
        QCOMPARE(d.Text(C_M852_TimeDelay::OffToPref), QStringLiteral("00:00.7"));
        QVERIFY(d.DecodeReply(*reply(740, {0x0001})));
        QVERIFY(d.ExtEngStart());
        QVERIFY_THROWS_EXCEPTION(OverflowError,
                                 d.setText(C_M852_TimeDelay::EngStartA, QStringLiteral("546:08")));
        QCOMPARE(d.Raw(C_M852_TimeDelay::EngStartA), qint16(1));
    }

    // --- active time delay ----------------------------------------------------------------------

    void activeTimeDelay_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("remaining");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("percent");
        QTest::addColumn<int>("bar");
        QTest::addColumn<bool>("endDelay");
        QTest::newRow("code 1") << 1 << 300 << 1200 << "Source N Engine Start"
                                << "0:30.0"
                                << "(75%)" << 75 << true;
        QTest::newRow("code 14 exercise") << 14 << 300 << 1200 << "No Active Time Delay"
                                          << ""
                                          << "" << 0 << false;
        QTest::newRow("code 9") << 9 << 653 << 1000 << "Transfer Off to Standby"
                                << "1:05.3"
                                << "(35%)" << 35 << false;
        QTest::newRow("code 10") << 10 << 10 << 20 << "Transfer Off to Preferred"
                                 << "0:01.0"
                                 << "(50%)" << 50 << false;
        QTest::newRow("code 13") << 13 << 6000 << 6000 << "Failure to Acquire Standby"
                                 << "10:00.0"
                                 << "(0%)" << 0 << true;
        QTest::newRow("code 0") << 0 << 0 << 0 << "No Active Time Delay"
                                << ""
                                << "" << 0 << false;
        QTest::newRow("code 50") << 50 << 0 << 100 << "Source N->E Load Connect 8"
                                 << "0:00.0"
                                 << "(100%)" << 100 << true;
        QTest::newRow("code 51") << 51 << 300 << 1200 << "Unknown Time Delay"
                                 << ""
                                 << "" << 0 << false;
        // 400 + 100 would be a window name (500): still unknown
        QTest::newRow("code 100") << 100 << 300 << 1200 << "Unknown Time Delay"
                                  << ""
                                  << "" << 0 << false;
        QTest::newRow("code -1") << -1 << 300 << 1200 << "Unknown Time Delay"
                                 << ""
                                 << "" << 0 << false;
    }
    void activeTimeDelay() {
        QFETCH(int, code);
        QFETCH(int, remaining);
        QFETCH(int, total);
        GroupTestRig rig;
        rig.image.set(650, quint16(code));
        rig.image.set(651, quint16(remaining));
        rig.image.set(652, quint16(total));
        CDisplayWindow* w = openWindow(rig, kActive);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Active Time Delay"));
        QTEST(text(w, "lblTimeDelay"), "name");
        QTEST(text(w, "lblTimeRemaining"), "time");
        QTEST(text(w, "lblPercentRemaining"), "percent");
        QTEST(w->findChild<QProgressBar*>("pbrProgress")->value(), "bar");
        QTEST(w->findChild<QPushButton*>("cmdEndDelay")->isEnabled(), "endDelay");
    }

    // A total of 0 keeps the percentage and bar; a remaining time beyond the total shows the bar at 0.
    void activeTotalZero() {
        GroupTestRig rig;
        rig.image.set(650, 1);
        rig.image.set(651, 300);
        rig.image.set(652, 1200);
        CDisplayWindow* w = openWindow(rig, kActive);
        rig.image.set(651, 100);
        rig.image.set(652, 0);
        rig.cycle();
        QCOMPARE(text(w, "lblTimeRemaining"), QStringLiteral("0:10.0"));
        QCOMPARE(text(w, "lblPercentRemaining"), QStringLiteral("(75%)"));
        QCOMPARE(w->findChild<QProgressBar*>("pbrProgress")->value(), 75);
        rig.image.set(651, 1500);
        rig.image.set(652, 1200);
        rig.cycle();
        QCOMPARE(text(w, "lblPercentRemaining"), QStringLiteral("-(25%)"));
        QCOMPARE(w->findChild<QProgressBar*>("pbrProgress")->value(), 0);
    }

    // End Delay writes 128 to register 1350 with function 6, and nothing else.
    void endDelay() {
        GroupTestRig rig;
        rig.image.set(650, 4);
        rig.image.set(651, 50);
        rig.image.set(652, 100);
        CDisplayWindow* w = openWindow(rig, kActive);
        auto* button = w->findChild<QPushButton*>("cmdEndDelay");
        QVERIFY(button->isEnabled());
        QCOMPARE(button->text(), QStringLiteral("&End Delay"));
        button->click();
        const QList<Write> writes = writesSent(rig);
        QCOMPARE(writes, QList<Write>({{6, 1350, {128}}}));
        QCOMPARE(static_cast<C_M852_ActiveTimeDelay&>(w->Data()).EndDelayCmd(), qint16(128));
        QVERIFY(!w->SetupAvailable());
    }

    // --- load control ---------------------------------------------------------------------------

    void loadCtrlWindow() {
        GroupTestRig rig;
        rig.image.set(750, 75);
        rig.image.set(785, 3600);
        CDisplayWindow* w = openWindow(rig, kLoadCtrl);
        QCOMPARE(w->windowTitle(), QStringLiteral("Load Control"));
        QCOMPARE(text(w, "lblTime_0"), QStringLiteral("1:15"));
        QCOMPARE(text(w, "lblTime_9"), QStringLiteral("0:15"));
        QCOMPARE(text(w, "lblTime_35"), QStringLiteral("60:00"));
        auto& d = static_cast<C_M852_LoadCtrl&>(w->Data());
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)d.TimeDelay(36));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, d.setTimeDelay(-1, 0));
        // the 36 registers are taken whatever the start
        QVERIFY(d.DecodeReply(*reply(751, QList<qint16>(36, 7))));
        QCOMPARE(d.TimeDelay(35), qint16(7));
    }

    void loadCtrlTexts_data() {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("seconds");
        QTest::newRow("60:01") << "60:01" << false << 0;
        QTest::newRow("60:00") << "60:00" << true << 3600;
        QTest::newRow("3600") << "3600" << true << 3600;
        QTest::newRow("3601") << "3601" << false << 0;
        QTest::newRow("1:2:3") << "1:2:3" << false << 0;
        QTest::newRow("12a") << "12a" << false << 0;
        QTest::newRow("1:5") << "1:5" << true << 65;
        QTest::newRow("1.5") << "1.5" << false << 0;
    }
    void loadCtrlTexts() {
        QFETCH(QString, entered);
        QFETCH(bool, valid);
        QFETCH(int, seconds);
        QCOMPARE(C_M852_LoadCtrl::IsValidText(entered), valid);
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, kLoadCtrl);
        ScriptedUiServices ui;
        bool red = false, focusKept = false;
        ui.queueDialog(QStringLiteral("SU_M852_LoadCtrl"), [&](QDialog& d) {
            auto* b = d.findChild<QLineEdit*>("txtTimeDelay_20");
            b->setFocus();
            waitForFocus(b);
            b->setText(entered);
            QTest::keyClick(b, Qt::Key_Tab);
            QCoreApplication::processEvents();
            red = BackColor(b) == kInvalidBackColor;
            focusKept = b->hasFocus();
            return ScriptedUiServices::click(d, "cmdOK");
        });
        w->RunSetup();
        QCOMPARE(red, !valid);
        QCOMPARE(focusKept, !valid);
        const QList<Write> writes = writesSent(rig);
        QCOMPARE(writes.size(), valid ? 1 : 0);
        if (valid) {
            QCOMPARE(writes[0].start, 750);
            QCOMPARE(writes[0].values.size(), 36);
            QCOMPARE(writes[0].values[20], quint16(seconds));
            QCOMPARE(writes[0].values[0], quint16(5));  // the rest as the controller holds them
            QCOMPARE(writes[0].values[28], quint16(30));
        }
    }

    void loadCtrlKeys() {
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, kLoadCtrl);
        ScriptedUiServices ui;
        QString typed;
        ui.queueDialog(QStringLiteral("SU_M852_LoadCtrl"), [&](QDialog& d) {
            auto* b = d.findChild<QLineEdit*>("txtTimeDelay_3");
            b->clear();
            QTest::keyClicks(b, "1:2:3a.");
            typed = b->text();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QCOMPARE(typed, QStringLiteral("1:23"));
        QCOMPARE(ui.beeps(), 3);
    }
};

QObject* makeTimeDelaysTest() { return new tst_TimeDelays; }

#include "tst_TimeDelays.moc"
