#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "ScriptedUiServices.h"
#include "SetpointTestUtil.h"
#include "base/ComponentError.h"
#include "groups/InputValidation.h"
#include "groups/freqset/C_M852_FreqSet.h"
#include "groups/voltset/C_M852_VoltSet.h"

using namespace setpoints_test;

namespace {

constexpr qint32 kFreq = 4;
constexpr qint32 kVolt = 5;

}  // namespace

class tst_Setpoints : public QObject {
    Q_OBJECT
private slots:
    // Absolute values from the unrounded nominal: 480.0 V x 110 % = 528 V, x 95 % = 501.6 -> 502;
    // 60.0 Hz x 110 % = 66.0 Hz, x 102 % = 67.32 -> 67.3.
    void voltageWindow() {
        GroupTestRig rig;
        rig.image.set(24, 4800);
        rig.image.set(45, 110);
        rig.image.set(46, 95);
        rig.image.set(47, 90);
        rig.image.set(48, 90);
        rig.image.set(49, 15);
        CDisplayWindow* w = openWindow(rig, kVolt);
        QCOMPARE(w->windowTitle(), QStringLiteral("Voltage Setpoints"));
        QCOMPARE(text(w, "lblOverDrop_0"), QStringLiteral("110"));
        QCOMPARE(text(w, "lblOverDropVolt_0"), QStringLiteral("(528 V)"));
        QCOMPARE(text(w, "lblOverPickVolt_0"), QStringLiteral("(502 V)"));
        QCOMPARE(text(w, "lblUnderPickVolt_0"), QStringLiteral("(432 V)"));
        QCOMPARE(text(w, "lblUnderDropVolt_0"), QStringLiteral("(389 V)"));  // 388.8
        QCOMPARE(text(w, "lblDebounceTime_0"), QStringLiteral("1.5"));
        QCOMPARE(text(w, "lblDebounceTime_1"), QStringLiteral("0.5"));
    }

    void frequencyWindow() {
        GroupTestRig rig;
        rig.image.set(26, 600);
        rig.image.set(55, 102);
        rig.image.set(56, 110);
        CDisplayWindow* w = openWindow(rig, kFreq);
        QCOMPARE(w->windowTitle(), QStringLiteral("Frequency Setpoints"));
        QCOMPARE(text(w, "lblOverPickFreq_0"), QStringLiteral("(66.0 Hz)"));
        QCOMPARE(text(w, "lblOverDropFreq_0"), QStringLiteral("(67.3 Hz)"));
        QCOMPARE(text(w, "lblUnderPickFreq_0"), QStringLiteral("(54.0 Hz)"));
        QCOMPARE(text(w, "lblUnderDropFreq_0"), QStringLiteral("(52.4 Hz)"));  // 54 x 0.97 = 52.38
        QCOMPARE(text(w, "lblDebounceTime_1"), QStringLiteral("3.0"));
    }

    // The thresholds arrive before the nominal values: (0 V) first; a reply at 24 then changes only
    // the nominal values and every absolute value follows.
    void nominalBlock() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(kVolt, 0, 0, 0));
        CDisplayWindow* w = rig.windows().DisplayWindows().constFirst();
        rig.tick();  // 45 sent
        rig.tick();  // 45 decoded
        QCOMPARE(text(w, "lblOverDropVolt_0"), QStringLiteral("(0 V)"));
        rig.tick();
        QCOMPARE(text(w, "lblOverDropVolt_0"), QStringLiteral("(528 V)"));

        auto& d = static_cast<C_M852_VoltSet&>(w->Data());
        QVERIFY(d.DecodeReply(*reply(24, {2080, 2400})));
        QCOMPARE(d.OverDrop(0), qint16(110));
        QCOMPARE(d.UnderPick(1), qint16(90));
        QCOMPARE(d.NominalVolts(0), 208.0);
        QCOMPARE(d.OverDropVolts(0), 228.8);
        QCOMPARE(d.UnderPickVolts(1), 216.0);
        // any start other than 45 is the nominal block
        QVERIFY(d.DecodeReply(*reply(99, {4800, 4800})));
        QCOMPARE(d.NominalVolts(1), 480.0);
        QCOMPARE(d.OverDrop(1), qint16(110));
    }

    // Field order in the blocks differs between the groups.
    void decodeOrder() {
        GroupTestRig rig;
        C_M852_VoltSet v;
        QVERIFY(v.DecodeReply(*reply(45, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})));
        QCOMPARE(QList<int>({v.OverDrop(0), v.OverPick(0), v.UnderPick(0), v.UnderDrop(0), v.OverDrop(1),
                             v.UnderDrop(1)}),
                 QList<int>({1, 2, 3, 4, 6, 9}));
        QCOMPARE(v.DebounceTime(1), 1.0);
        C_M852_FreqSet f;
        QVERIFY(f.DecodeReply(*reply(55, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})));
        QCOMPARE(QList<int>({f.OverDrop(0), f.OverPick(0), f.UnderDrop(0), f.UnderPick(0), f.OverDrop(1),
                             f.UnderPick(1)}),
                 QList<int>({1, 2, 3, 4, 6, 9}));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)f.OverDrop(3));
    }

    // A no-edit OK writes what the controller holds; the voltage write is two packets (45, 50), the
    // frequency write one (55, ten registers). 2.25 s writes 22 (22.5, half to even).
    void writes_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("debounceN");
        QTest::addColumn<QString>("expected");
        QTest::newRow("voltage, no edit") << kVolt << ""
                                          << "45:110,95,90,90,5 50:110,95,90,90,5";
        QTest::newRow("voltage, 2.25 s") << kVolt << "2.25"
                                         << "45:110,95,90,90,22 50:110,95,90,90,5";
        QTest::newRow("frequency, no edit") << kFreq << ""
                                            << "55:102,110,97,90,30,102,110,97,90,30";
        QTest::newRow("frequency, 15 s") << kFreq << "15"
                                         << "55:102,110,97,90,150,102,110,97,90,30";
    }
    void writes() {
        QFETCH(int, type);
        QFETCH(QString, debounceN);
        QFETCH(QString, expected);
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, type);
        ScriptedUiServices ui;
        ui.queueDialog([&](QDialog& d) {
            if (!debounceN.isEmpty()) ScriptedUiServices::setText(d, "txtDebounceTime_0", debounceN);
            return ScriptedUiServices::click(d, "cmdOK");
        });
        w->RunSetup();
        QVERIFY(ui.allConsumed());
        QStringList got;
        for (const Write& wr : writesSent(rig)) {
            QStringList values;
            for (quint16 v : wr.values) values << QString::number(v);
            QCOMPARE(wr.function, 16);
            got << QStringLiteral("%1:%2").arg(wr.start).arg(values.join(u','));
        }
        QCOMPARE(got.join(u' '), expected);
    }

    // Ranges when a box is left (light red, focus kept, no message) and the time boxes' one ".".
    void ranges_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("valid");
        QTest::newRow("volt debounce 9.9") << kVolt << "txtDebounceTime_0"
                                           << "9.9" << true;
        QTest::newRow("volt debounce 10") << kVolt << "txtDebounceTime_1"
                                          << "10" << false;
        QTest::newRow("volt debounce 0") << kVolt << "txtDebounceTime_0"
                                         << "0" << false;
        QTest::newRow("volt under pickup 85") << kVolt << "txtUnderPick_0"
                                              << "85" << true;
        QTest::newRow("volt under pickup 84") << kVolt << "txtUnderPick_0"
                                              << "84" << false;
        QTest::newRow("volt over dropout 136") << kVolt << "txtOverDrop_1"
                                               << "136" << false;
        QTest::newRow("freq dropout time 15") << kFreq << "txtDebounceTime_0"
                                              << "15" << true;
        QTest::newRow("freq dropout time 15.1") << kFreq << "txtDebounceTime_0"
                                                << "15.1" << false;
        QTest::newRow("freq over dropout 101") << kFreq << "txtOverDrop_0"
                                               << "101" << true;
        QTest::newRow("freq over pickup 121") << kFreq << "txtOverPick_1"
                                              << "121" << false;
        QTest::newRow("freq under pickup empty") << kFreq << "txtUnderPick_0"
                                                 << "" << false;
    }
    void ranges() {
        QFETCH(int, type);
        QFETCH(QString, box);
        QFETCH(QString, entered);
        QFETCH(bool, valid);
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, type);
        ScriptedUiServices ui;
        bool red = false, focusKept = false;
        int result = -1;
        ui.queueDialog([&](QDialog& d) {
            auto* b = d.findChild<QLineEdit*>(box);
            b->setFocus();
            waitForFocus(b);
            b->setText(entered);
            QTest::keyClick(b, Qt::Key_Tab);
            QCoreApplication::processEvents();
            red = BackColor(b) == kInvalidBackColor;
            focusKept = b->hasFocus();
            result = ScriptedUiServices::click(d, "cmdOK");
            return result;
        });
        w->RunSetup();
        QCOMPARE(red, !valid);
        QCOMPARE(focusKept, !valid);
        QCOMPARE(result, valid ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QVERIFY(ui.messages().isEmpty());
        QCOMPARE(writesSent(rig).isEmpty(), !valid);
    }

    // Typing: digits only in the percentage boxes; one "." in the time boxes, a second beeps.
    void keys() {
        GroupTestRig rig;
        CDisplayWindow* w = openWindow(rig, kVolt);
        ScriptedUiServices ui;
        QString time, pct;
        ui.queueDialog([&](QDialog& d) {
            auto* t = d.findChild<QLineEdit*>("txtDebounceTime_0");
            t->clear();
            QTest::keyClicks(t, "1.2.");
            time = t->text();
            auto* p = d.findChild<QLineEdit*>("txtUnderPick_1");
            p->clear();
            QTest::keyClicks(p, "9.0a");
            pct = p->text();
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QCOMPARE(time, QStringLiteral("1.2"));
        QCOMPARE(pct, QStringLiteral("90"));
        QCOMPARE(ui.beeps(), 3);
    }

    // Live labels follow the texts; a box that is not a number leaves its labels as they were.
    void liveLabels() {
        GroupTestRig rig;
        rig.image.set(24, 4805);  // 480.5 V: the voltage dialog rounds it (half to even) to 480
        CDisplayWindow* w = openWindow(rig, kVolt);
        ScriptedUiServices ui;
        QStringList seen;
        ui.queueDialog([&](QDialog& d) {
            auto label = [&d](const char* n) { return d.findChild<QLabel*>(QLatin1String(n))->text(); };
            seen << label("lblOverDropVolts_0") << label("lblOverPickVolts_0");
            ScriptedUiServices::setText(d, "txtOverDrop_0", "120");
            seen << label("lblOverDropVolts_0") << label("lblOverPickVolts_0");
            ScriptedUiServices::setText(d, "txtOverDrop_0", "");
            seen << label("lblOverDropVolts_0") << label("lblOverPickVolts_0")
                 << label("lblUnderPickVolts_0");
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        w->RunSetup();
        QCOMPARE(seen, QStringList({"528V", "502V", "576V", "547V", "576V", "547V", "432V"}));

        ScriptedUiServices ui2;
        QStringList freq;
        QVERIFY(rig.windows().CreateWnd(kFreq, 0, 0, 0));
        CDisplayWindow* f = rig.windows().DisplayWindows().constLast();
        rig.cycle();
        ui2.queueDialog([&](QDialog& d) {
            auto label = [&d](const char* n) { return d.findChild<QLabel*>(QLatin1String(n))->text(); };
            freq << label("lblOverPickFreq_1") << label("lblOverDropFreq_1");
            ScriptedUiServices::setText(d, "txtOverPick_1", "105.5");
            freq << label("lblOverPickFreq_1") << label("lblOverDropFreq_1");
            return ScriptedUiServices::click(d, "cmdCancel");
        });
        f->RunSetup();
        QCOMPARE(freq, QStringList({"66.0 Hz", "67.3 Hz", "63.3 Hz", "64.6 Hz"}));
    }
};

QObject* makeSetpointsTest() { return new tst_Setpoints; }

#include "tst_Setpoints.moc"
