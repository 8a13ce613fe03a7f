#include <QPushButton>
#include <QTest>

#include "GroupTestRig.h"
#include "NipTestHelpers.h"
#include "ScriptedUiServices.h"
#include "base/ComponentError.h"
#include "groups/CDisplayWindow.h"
#include "groups/manual/C_M852_Manual.h"

using namespace niptest;

namespace {

CDisplayWindow* openManual(GroupTestRig& rig) {
    if (!rig.windows().CreateWnd(C_M852_Manual::kWinID, 0, 0, 0)) return nullptr;
    return rig.windows().DisplayWindows().constLast();
}

QPushButton* button(CDisplayWindow* w, const QString& name) {
    auto* b = w->findChild<QPushButton*>(name);
    if (!b) qWarning("no button %s", qPrintable(name));
    return b;
}

const QStringList kCommandButtons = {"cmdStartPeakShave", "cmdStopPeakShave", "cmdStartSysTest",
                                     "cmdStopSysTest",    "cmdTransferToOff", "cmdResumeNormalOp"};

}  // namespace

class tst_Manual : public QObject {
    Q_OBJECT
private slots:
    // Before the first reply every button is disabled and the relays read "Relay #k OFF".
    void onLoad() {
        GroupTestRig rig;
        CDisplayWindow* w = openManual(rig);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Manual Operation"));
        for (const QString& n : kCommandButtons) QVERIFY(!button(w, n)->isEnabled());
        for (int k = 1; k <= 4; ++k) {
            QCOMPARE(button(w, QStringLiteral("cmdOutput_%1").arg(k))->text(),
                     QStringLiteral("Relay #%1 OFF").arg(k));
            QVERIFY(!button(w, QStringLiteral("cmdOutput_%1").arg(k))->isEnabled());
        }
        QCOMPARE(button(w, "cmdTransferToOff")->text(), QStringLiteral("Transfer to OFF"));
    }

    // Register 600: relay k on in bit 2(k-1), switchable in bit 2(k-1)+1.
    void relays_data() {
        QTest::addColumn<int>("reg600");
        QTest::addColumn<QString>("on");       // one character per relay: 1 = on
        QTest::addColumn<QString>("enabled");  // 1 = switchable
        QTest::newRow("0x0003") << 0x0003 << "1000"
                                << "1000";
        QTest::newRow("0x00AA") << 0x00AA << "0000"
                                << "1111";
        QTest::newRow("0x0055") << 0x0055 << "1111"
                                << "0000";
        QTest::newRow("0x00C4") << 0x00C4 << "0101"
                                << "0001";
        QTest::newRow("0xFF00 high byte ignored") << 0xFF00 << "0000"
                                                  << "0000";
    }
    void relays() {
        QFETCH(int, reg600);
        QFETCH(QString, on);
        QFETCH(QString, enabled);
        GroupTestRig rig;
        CDisplayWindow* w = openManual(rig);
        rig.image.set(600, quint16(reg600));
        rig.cycle();
        for (int k = 1; k <= 4; ++k) {
            QPushButton* b = button(w, QStringLiteral("cmdOutput_%1").arg(k));
            const bool isOn = on.at(k - 1) == u'1';
            QCOMPARE(b->text(), QStringLiteral("Output #%1 %2").arg(k).arg(isOn ? "ON" : "OFF"));
            QCOMPARE(b->isEnabled(), enabled.at(k - 1) == u'1');
        }
    }

    // Register 742 bit 3 (peak shave) and bit 4 (system test) decide which of Start and Stop is
    // enabled; register 31 bit 0 (programmed transition) enables Transfer to OFF and Resume.
    void commandStates_data() {
        QTest::addColumn<int>("reg742");
        QTest::addColumn<int>("reg31");
        QTest::newRow("742 = 0x0008, programmed") << 0x0008 << 0x0005;
        QTest::newRow("742 = 0x0010, open transition") << 0x0010 << 0x0004;
        QTest::newRow("742 = 0x0018, programmed") << 0x0018 << 0x0001;
        QTest::newRow("742 = 0, open transition") << 0x0000 << 0x0000;
        QTest::newRow("742 = 0xFFE7, bits 3 and 4 clear") << 0xFFE7 << 0xFFFE;
    }
    void commandStates() {
        QFETCH(int, reg742);
        QFETCH(int, reg31);
        GroupTestRig rig;
        CDisplayWindow* w = openManual(rig);
        rig.image.set(742, quint16(reg742));
        rig.image.set(31, quint16(reg31));
        rig.cycle();
        const bool peak = reg742 & 0x0008, test = reg742 & 0x0010, prog = reg31 & 1;
        QCOMPARE(button(w, "cmdStopPeakShave")->isEnabled(), peak);
        QCOMPARE(button(w, "cmdStartPeakShave")->isEnabled(), !peak);
        QCOMPARE(button(w, "cmdStopSysTest")->isEnabled(), test);
        QCOMPARE(button(w, "cmdStartSysTest")->isEnabled(), !test);
        QCOMPARE(button(w, "cmdTransferToOff")->isEnabled(), prog);
        QCOMPARE(button(w, "cmdResumeNormalOp")->isEnabled(), prog);
    }

    // Each command button writes its code to 1350 and then the relay register, as read, to 600.
    void commands_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("reg742");  // so that the button is enabled
        QTest::addColumn<int>("code");
        QTest::newRow("Peak Shave Start") << "cmdStartPeakShave" << 0x0000 << 2;
        QTest::newRow("Peak Shave Stop") << "cmdStopPeakShave" << 0x0008 << 4;
        QTest::newRow("System Test Start") << "cmdStartSysTest" << 0x0000 << 8;
        QTest::newRow("System Test Stop") << "cmdStopSysTest" << 0x0010 << 16;
        QTest::newRow("Transfer to OFF") << "cmdTransferToOff" << 0x0000 << 32;
        QTest::newRow("Resume Normal Ops") << "cmdResumeNormalOp" << 0x0000 << 64;
    }
    void commands() {
        QFETCH(QString, name);
        QFETCH(int, reg742);
        QFETCH(int, code);
        GroupTestRig rig;
        CDisplayWindow* w = openManual(rig);
        rig.image.set(742, quint16(reg742));
        rig.image.set(31, 0x0005);
        rig.image.set(600, 0x00AB);
        rig.cycle();
        QPushButton* b = button(w, name);
        QVERIFY(b->isEnabled());
        QTest::mouseClick(b, Qt::LeftButton);
        const QList<Write> writes = flushWrites(rig);
        QCOMPARE(writes, (QList<Write>{{16, 1350, {quint16(code)}}, {16, 600, {0x00AB}}}));
    }

    // 600 = 0x0003: relay 1 on and switchable. Pressing it writes 0x0002 to 600 and nothing to
    // 1350, even right after a command button (which must not be sent a second time).
    void relayWritesOnlyItsRegister() {
        GroupTestRig rig;
        CDisplayWindow* w = openManual(rig);
        rig.image.set(600, 0x0003);
        rig.image.set(31, 0x0005);
        rig.cycle();
        QCOMPARE(button(w, "cmdOutput_1")->text(), QStringLiteral("Output #1 ON"));
        QTest::mouseClick(button(w, "cmdOutput_1"), Qt::LeftButton);
        QCOMPARE(flushWrites(rig), (QList<Write>{{16, 600, {0x0002}}}));
        rig.cycle();  // a poll of 600 sent after the write shows the new state
        QCOMPARE(button(w, "cmdOutput_1")->text(), QStringLiteral("Output #1 OFF"));

        QTest::mouseClick(button(w, "cmdTransferToOff"), Qt::LeftButton);
        QCOMPARE(flushWrites(rig), (QList<Write>{{16, 1350, {32}}, {16, 600, {0x0002}}}));
        QTest::mouseClick(button(w, "cmdOutput_1"), Qt::LeftButton);
        QCOMPARE(flushWrites(rig), (QList<Write>{{16, 600, {0x0003}}}));
    }

    // A view-only user who opened the window from a screen file sees the states but gets no button.
    void guestGetsNoButton() {
        GroupTestRig rig(4);
        CDisplayWindow* w = openManual(rig);
        rig.image.set(600, 0x00AA);
        rig.image.set(31, 0x0005);
        rig.cycle();
        QCOMPARE(button(w, "cmdOutput_2")->text(), QStringLiteral("Output #2 OFF"));
        for (const QString& n : kCommandButtons) QVERIFY2(!button(w, n)->isEnabled(), qPrintable(n));
        for (int k = 1; k <= 4; ++k) QVERIFY(!button(w, QStringLiteral("cmdOutput_%1").arg(k))->isEnabled());
    }

    // Disconnected, or reconnected and not yet read again: a press beeps and queues nothing, so no
    // command waits in the queue for the next Connect.
    void noWriteUnlessConnectedAndRead_data() {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("stale");
        QTest::newRow("disconnected") << false << false;
        QTest::newRow("reconnected, not read yet") << true << true;
    }
    void noWriteUnlessConnectedAndRead() {
        QFETCH(bool, connected);
        QFETCH(bool, stale);
        GroupTestRig rig;
        CDisplayWindow* w = openManual(rig);
        rig.image.set(600, 0x00AA);
        rig.cycle();
        rig.setConnected(connected);
        if (stale) CDataGroup::MarkAllStale();
        const qint16 queued = rig.manager().queueSize();
        ScriptedUiServices ui;
        button(w, "cmdStartPeakShave")->click();
        button(w, "cmdOutput_3")->click();
        QCOMPARE(ui.beeps(), 2);
        QCOMPARE(rig.manager().queueSize(), queued);
        rig.setConnected(true);
        QVERIFY(flushWrites(rig).isEmpty());
    }

    void dataClass() {
        GroupTestRig rig;
        C_M852_Manual d;
        QCOMPARE(int(d.PendingCommand()), 0);
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)d.RelayOn(0));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)d.RelayEnabled(5));
        QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, d.setRelayOn(5, true));
        // Only the relay's own bit changes.
        auto reply = std::make_shared<CMsgPacketNode>();
        reply->setStartingReg(600);
        reply->setMsgType(3);
        reply->setData(0, qint16(0xFFAA - 0x10000));
        QVERIFY(d.DecodeReply(*reply));
        d.setRelayOn(4, true);
        QCOMPARE(quint16(d.RelayOutputs()), quint16(0xFFEA));
        d.setRelayOn(4, false);
        QCOMPARE(quint16(d.RelayOutputs()), quint16(0xFFAA));
        // A reply at another start decodes nothing.
        reply->setStartingReg(601);
        QVERIFY(!d.DecodeReply(*reply));
    }
};

QObject* makeManualTest() { return new tst_Manual; }

#include "tst_Manual.moc"
