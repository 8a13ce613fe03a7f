#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include "ScriptedUiServices.h"
#include "SetpointTestUtil.h"
#include "groups/InputValidation.h"
#include "groups/syssummary/C_M852_SysSummary.h"
#include "groups/syssummary/DW_M852_SysSummary.h"

using namespace setpoints_test;

namespace {

constexpr qint32 kType = 10;

bool checked(QDialog& d, const char* name) {
    auto* b = d.findChild<QAbstractButton*>(QLatin1String(name));
    return b && b->isChecked();
}

}  // namespace

class tst_SysSummary : public QObject {
    Q_OBJECT
private slots:
    // Register 1: bits 0-1 contactor, bit 2 preferred source, bits 3-12 state, 13-14 availability.
    void status_data() {
        QTest::addColumn<int>("reg1");
        QTest::addColumn<QString>("contact");
        QTest::addColumn<QString>("preferred");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("prefAvail");
        QTest::addColumn<QString>("stdbyAvail");
        QTest::newRow("0x6741 System Ready") << 0x6741 << "Source N"
                                             << "Source N"
                                             << "System Ready"
                                             << "Yes"
                                             << "Yes";
        // state 1 (event text 3001), contactor 2, Source E preferred, only the standby available
        QTest::newRow("0x400E") << 0x400E << "Source E"
                                << "Source E"
                                << "End Time Delay Button"
                                << "No"
                                << "Yes";
        QTest::newRow("0x0003 fault, state 0") << 0x0003 << "Fault"
                                               << "Source N"
                                               << "DEBUG: Error Ref #3000"
                                               << "No"
                                               << "No";
        // codes 233-1023 have no event text: named as unknown, never a failure
        QTest::newRow("state 233") << (233 << 3) << "Off"
                                   << "Source N"
                                   << "Unknown state 233"
                                   << "No"
                                   << "No";
        QTest::newRow("state 1023, bit 15") << (0x8000 | (1023 << 3)) << "Off"
                                            << "Source N"
                                            << "Unknown state 1023"
                                            << "No"
                                            << "No";
    }
    void status() {
        QFETCH(int, reg1);
        GroupTestRig rig;
        rig.image.set(1, quint16(reg1));
        CDisplayWindow* w = openWindow(rig, kType);
        QVERIFY(w);
        QTEST(text(w, "lblContactPos"), "contact");
        QTEST(text(w, "lblPreferredSource"), "preferred");
        QTEST(text(w, "lblSysState"), "state");
        QTEST(text(w, "lblPrefSourceAvail"), "prefAvail");
        QTEST(text(w, "lblStandbySourceAvail"), "stdbyAvail");
    }

    // Register 31 and 740 in the window, unknown enumerations included.
    void modesAndOptions_data() {
        QTest::addColumn<int>("reg31");
        QTest::addColumn<int>("reg740");
        QTest::addColumn<QStringList>(
            "texts");  // transition, mode of op, sup mode, switch pos, IPM, commit, ext, bypass
        QTest::newRow("0x0079 / 0x1F15")
            << 0x0079 << 0x1F15
            << QStringList{
                   "Programmed", "Utility - Utility", "DEBUG: Unknown", "Manual", "Enabled ( 15 deg. LEAD )",
                   "Enabled",    "Enabled",           "Disabled"};
        QTest::newRow("0x0000 / 0x0000")
            << 0x0000 << 0x0000
            << QStringList{"Open",     "Genset - Genset", "Auto Override", "Auto", "Disabled ( 0 deg.  )",
                           "Disabled", "Disabled",        "Disabled"};
        QTest::newRow("0x001F / lagging 7")
            << 0x001F << (0x0020 | (7 << 9))
            << QStringList{"DEBUG: Unknown",          "DEBUG: Unknown", "Non Auto", "Auto",
                           "Disabled ( 7 deg. LAG )", "Disabled",       "Disabled", "Enabled"};
        // bit 15 makes the angle negative (read from the signed word); no failure
        QTest::newRow("angle bits all set")
            << 0x0002 << 0xFE04
            << QStringList{"Closed",   "Genset - Genset", "Auto Override", "Auto", "Enabled ( -1 deg. LAG )",
                           "Disabled", "Disabled",        "Disabled"};
    }
    void modesAndOptions() {
        QFETCH(int, reg31);
        QFETCH(int, reg740);
        QFETCH(QStringList, texts);
        GroupTestRig rig;
        rig.image.set(31, quint16(reg31));
        rig.image.set(740, quint16(reg740));
        rig.image.set(30, 1200);
        rig.image.set(741, 3);
        CDisplayWindow* w = openWindow(rig, kType);
        QVERIFY(w);
        const QStringList shown{text(w, "lblTransitionMode"), text(w, "lblModeOfOp"),
                                text(w, "lblSupTransMode"),   text(w, "lblSupSwitchPos"),
                                text(w, "lblInPhaseMon"),     text(w, "lblCommitToTrans"),
                                text(w, "lblExtEngStart"),    text(w, "lblPeakShaveDelayBypass")};
        QCOMPARE(shown, texts);
        QCOMPARE(text(w, "lblRatedCurrent"), QStringLiteral("1200"));
        QCOMPARE(text(w, "lblNumROBs"), QStringLiteral("3"));
    }

    void placeholdersAndCaption() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(kType, 0, 0, 0));
        CDisplayWindow* w = rig.windows().DisplayWindows().constFirst();
        QCOMPARE(w->windowTitle(), QStringLiteral("System Summary"));
        for (const char* name : {"lblSysState", "lblInPhaseMon", "lblSupSwitchPos", "lblRatedCurrent"})
            QCOMPARE(text(w, QLatin1String(name)), QStringLiteral("---"));
    }

    // 740 = 0x1F15 shows 15 DEG. LEADING in the dialog and, with transition Closed, a no-edit OK
    // writes 0x1F15 back; then 30-31, in that order, bit 6 and up of 31 as 0.
    void noEditRoundTrip() {
        GroupTestRig rig(3);
        rig.image.set(740, 0x1F15);
        rig.image.set(741, 2);
        rig.image.set(30, 800);
        rig.image.set(31, 0x0046);  // closed, genset - utility, auto override, switch manual (bit 6)
        CDisplayWindow* w = openWindow(rig, kType);
        ScriptedUiServices ui;
        QString angle, leadLag;
        ui.queueDialog(QStringLiteral("SU_M852_SysSummary"), [&](QDialog& d) {
            angle = d.findChild<QLabel*>("lblIPM_PhaseAngle")->text();
            leadLag = d.findChild<QLabel*>("lblIPM_LeadLag")->text();
            if (!checked(d, "optClosed") || !checked(d, "chkIPM_Enabled")) return int(QDialog::Rejected);
            return ScriptedUiServices::click(d, "cmdOK");
        });
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        QCOMPARE(angle, QStringLiteral("15"));
        QCOMPARE(leadLag, QStringLiteral("DEG. LEADING"));
        const QList<Write> writes = writesSent(rig);
        const QList<Write> expected{{16, 740, {0x1F15, 2}}, {16, 30, {800, 0x0006}}};
        QCOMPARE(writes, expected);
    }

    // 31 = 0x0079: supervised mode 3 is unknown; the dialog says so while filling, still opens, and
    // OK (which finds no option selected) keeps the field, so 3 goes back; bit 6 is written as 0.
    void unknownManualMode() {
        GroupTestRig rig(3);
        rig.image.set(31, 0x0079);
        CDisplayWindow* w = openWindow(rig, kType);
        ScriptedUiServices ui;
        ui.queueMessage(ui::Answer::Ok, QStringLiteral("Unknown manual mode"));
        ui.queueMessage(ui::Answer::Ok, QStringLiteral("No manual switch mode"));
        bool programmed = false, noneSelected = false;
        ui.queueDialog(QStringLiteral("SU_M852_SysSummary"), [&](QDialog& d) {
            programmed = checked(d, "optProgrammed") && checked(d, "optUtilToUtil");
            noneSelected = !checked(d, "optNonAuto") && !checked(d, "optAutoOverride");
            return ScriptedUiServices::click(d, "cmdOK");
        });
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        QVERIFY(programmed);
        QVERIFY(noneSelected);
        const auto msgs = ui.messages();
        QCOMPARE(msgs.size(), 2);
        QCOMPARE(msgs[0].title, QStringLiteral("DEBUG"));
        QCOMPARE(msgs[0].buttons, ui::Buttons::Ok);
        const QList<Write> writes = writesSent(rig);
        QCOMPARE(writes.size(), 2);
        QCOMPARE(writes[1].start, 30);
        QCOMPARE(writes[1].values.at(1), quint16(0x0039));  // 1 + 2 * 4 + 3 * 16
    }

    // The extended engine start box exists from controller version 1.21 on.
    void extStartVisible_data() {
        QTest::addColumn<int>("reg1200");
        QTest::addColumn<bool>("visible");
        QTest::newRow("0x0115 (1.21)") << 0x0115 << true;
        QTest::newRow("0x0114 (1.20)") << 0x0114 << false;
        QTest::newRow("0x0200 (2.0)") << 0x0200 << true;
    }
    void extStartVisible() {
        QFETCH(int, reg1200);
        QFETCH(bool, visible);
        GroupTestRig rig(2);
        rig.image.set(1200, quint16(reg1200));
        rig.image.set(740, 0x0001);
        CDisplayWindow* w = openWindow(rig, kType);
        ScriptedUiServices ui;
        bool shown = !visible;
        ui.queueDialog(QStringLiteral("SU_M852_SysSummary"), [&](QDialog& d) {
            shown = d.findChild<QCheckBox*>("chkExtStartTD")->isVisible();
            return ScriptedUiServices::click(d, "cmdOK");
        });
        w->RunSetup();
        QCOMPARE(shown, visible);
        // shown or hidden, no warning while filling and the bit goes back as it came
        QVERIFY(ui.messages().isEmpty());
        const QList<Write> writes = writesSent(rig);
        QCOMPARE(writes.value(0).values.value(0) & 1, 1);
    }

    // Rated current: 0..4000 when the box is left; an invalid value keeps the focus and OK writes nothing.
    void ratedCurrent_data() {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("valid");
        QTest::newRow("4000") << "4000" << true;
        QTest::newRow("0") << "0" << true;
        QTest::newRow("4001") << "4001" << false;
        QTest::newRow("-1") << "-1" << false;
        QTest::newRow("empty") << "" << false;
    }
    void ratedCurrent() {
        QFETCH(QString, entered);
        QFETCH(bool, valid);
        GroupTestRig rig(2);
        CDisplayWindow* w = openWindow(rig, kType);
        ScriptedUiServices ui;
        bool red = false, focusKept = false;
        int result = -1;
        ui.queueDialog(QStringLiteral("SU_M852_SysSummary"), [&](QDialog& d) {
            auto* box = d.findChild<QLineEdit*>("txtRatedCurrent");
            box->setFocus();
            waitForFocus(box);
            box->setText(entered);
            QTest::keyClick(box, Qt::Key_Tab);
            QCoreApplication::processEvents();
            red = BackColor(box) == kInvalidBackColor;
            focusKept = box->hasFocus();
            result = ScriptedUiServices::click(d, "cmdOK");
            return result;
        });
        w->RunSetup();
        QCOMPARE(red, !valid);
        QCOMPARE(focusKept, !valid);
        QCOMPARE(result, valid ? int(QDialog::Accepted) : int(QDialog::Rejected));
        const QList<Write> writes = writesSent(rig);
        if (valid) {
            QCOMPARE(writes.size(), 2);
            QCOMPARE(writes[1].values.value(0), quint16(entered.toInt()));
        } else {
            QVERIFY(writes.isEmpty());
        }
    }

    void setters() {
        GroupTestRig rig;
        C_M852_SysSummary d;
        d.setRatedCurrent(100);
        d.setRatedCurrent(-1);
        QCOMPARE(d.RatedCurrent(), qint16(100));
        d.setNumROBs(4);
        d.setNumROBs(5);
        d.setNumROBs(-1);
        QCOMPARE(d.NumROBs(), qint16(4));
    }

    // The supervised-transfer frame and options only for role 3.
    void supervisedTransferRole_data() {
        QTest::addColumn<int>("role");
        for (int role : {1, 2, 3}) QTest::addRow("role %d", role) << role;
    }
    void supervisedTransferRole() {
        QFETCH(int, role);
        GroupTestRig rig(role);
        CDisplayWindow* w = openWindow(rig, kType);
        ScriptedUiServices ui;
        QList<bool> enabled;
        ui.queueDialog(QStringLiteral("SU_M852_SysSummary"), [&](QDialog& d) {
            for (const char* n : {"fraSupTransfer", "optNonAuto", "optAutoOverride"})
                enabled << d.findChild<QWidget*>(QLatin1String(n))->isEnabled();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QCOMPARE(enabled, QList<bool>(3, role == 3));
    }

    // Filling runs no click rule: an Open transition with the in-phase monitor enabled stays so, and
    // a set extended start bit shows no warning. A user's clicks do run them.
    void clickRules() {
        GroupTestRig rig(3);
        rig.image.set(740, 0x0005);  // extended start, in-phase monitor enabled
        rig.image.set(31, 0x0004);   // open, genset - utility
        CDisplayWindow* w = openWindow(rig, kType);
        ScriptedUiServices ui;
        bool ipmAfterFill = false, ipmAfterOpen = true, ipmEnabledAfterProgrammed = true,
             extAfterCancel = true, extAfterOk = false;
        ui.queueDialog(QStringLiteral("SU_M852_SysSummary"), [&](QDialog& d) {
            auto* ipm = d.findChild<QCheckBox*>("chkIPM_Enabled");
            auto* ext = d.findChild<QCheckBox*>("chkExtStartTD");
            ipmAfterFill = ipm->isChecked() && checked(d, "optOpen") && ext->isChecked();
            d.findChild<QRadioButton*>("optOpen")->click();
            ipmAfterOpen = ipm->isChecked();
            ipm->setChecked(true);
            d.findChild<QRadioButton*>("optProgrammed")->click();
            ipmEnabledAfterProgrammed = ipm->isEnabled() || ipm->isChecked();
            ext->click();  // unchecked: no warning
            ext->click();  // checked: warning, Cancel clears it again
            extAfterCancel = ext->isChecked();
            ext->click();  // checked again: warning, OK keeps it
            extAfterOk = ext->isChecked();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        ui.queueMessage(ui::Answer::Cancel, QStringLiteral("A Battery Option Board must be installed"));
        ui.queueMessage(ui::Answer::Ok, QStringLiteral("A Battery Option Board must be installed"));
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        QVERIFY(ipmAfterFill);
        QVERIFY(!ipmAfterOpen);
        QVERIFY(!ipmEnabledAfterProgrammed);
        QVERIFY(!extAfterCancel);
        QVERIFY(extAfterOk);
        const auto msgs = ui.messages();
        QCOMPARE(msgs.size(), 2);
        QCOMPARE(msgs[0].text,
                 QStringLiteral("A Battery Option Board must be installed to use extended time delays."));
        QCOMPARE(msgs[0].title, QStringLiteral("WARNING"));
        QCOMPARE(msgs[0].icon, ui::Icon::Exclamation);
        QCOMPARE(msgs[0].buttons, ui::Buttons::OkCancel);
    }

    // The up-down control moves the signed angle within -20..20; OK writes it as angle and lead flag.
    void phaseAngle_data() {
        QTest::addColumn<int>("steps");  // positive: up, negative: down, from 0
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("leadLag");
        QTest::addColumn<int>("reg740");
        QTest::newRow("0") << 0 << "0"
                           << "IN PHASE" << 0x0000;
        QTest::newRow("up 3") << 3 << "3"
                              << "DEG. LAGGING" << (3 << 9);
        QTest::newRow("down 5") << -5 << "5"
                                << "DEG. LEADING" << ((5 << 9) | 0x100);
        QTest::newRow("up 25 stops at 20") << 25 << "20"
                                           << "DEG. LAGGING" << (20 << 9);
        QTest::newRow("down 25 stops at -20") << -25 << "20"
                                              << "DEG. LEADING" << ((20 << 9) | 0x100);
    }
    void phaseAngle() {
        QFETCH(int, steps);
        GroupTestRig rig(2);
        rig.image.set(740, 0x0000);
        CDisplayWindow* w = openWindow(rig, kType);
        ScriptedUiServices ui;
        QString label, leadLag;
        ui.queueDialog(QStringLiteral("SU_M852_SysSummary"), [&](QDialog& d) {
            auto* upd = d.findChild<QSpinBox*>("updPhaseAngle");
            for (int i = 0; i < std::abs(steps); ++i) upd->stepBy(steps > 0 ? 1 : -1);
            label = d.findChild<QLabel*>("lblIPM_PhaseAngle")->text();
            leadLag = d.findChild<QLabel*>("lblIPM_LeadLag")->text();
            return ScriptedUiServices::click(d, "cmdOK");
        });
        w->RunSetup();
        QTEST(label, "label");
        QTEST(leadLag, "leadLag");
        const QList<Write> writes = writesSent(rig);
        QTEST(int(writes.value(0).values.value(0)), "reg740");
    }
};

QObject* makeSysSummaryTest() { return new tst_SysSummary; }

#include "tst_SysSummary.moc"
