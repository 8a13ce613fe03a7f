#include <QSignalSpy>
#include <QTest>

#include "GroupTestRig.h"
#include "NipTestHelpers.h"
#include "groups/CDisplayWindow.h"
#include "groups/statemachine/C_M852_StateMachine.h"

using namespace niptest;

class tst_StateMachine : public QObject {
    Q_OBJECT
private slots:
    // The two flags are true only for 0xFFFF; 1 (a "true" to many other devices) reads FALSE.
    void flags_data() {
        QTest::addColumn<int>("reg");
        QTest::addColumn<QString>("shown");
        QTest::newRow("1") << 1 << "FALSE";
        QTest::newRow("0xFFFF") << 0xFFFF << "TRUE";
        QTest::newRow("0") << 0 << "FALSE";
        QTest::newRow("0xFFFE") << 0xFFFE << "FALSE";
        QTest::newRow("0x8000") << 0x8000 << "FALSE";
    }
    void flags() {
        QFETCH(int, reg);
        QFETCH(QString, shown);
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(C_M852_StateMachine::kWinID, 0, 0, 0));
        CDisplayWindow* w = rig.windows().DisplayWindows().constFirst();
        rig.image.set(1507, quint16(reg));
        rig.image.set(1508, quint16(reg == 0xFFFF ? 0 : 0xFFFF));  // the other flag the other way
        rig.cycle();
        QCOMPARE(labelText(w, "lblForcingToOff"), shown);
        QCOMPARE(labelText(w, "lblAreaProtection"),
                 reg == 0xFFFF ? QStringLiteral("FALSE") : QStringLiteral("TRUE"));
    }

    // "---" until the first reply, then every integer in decimal and in register order, signed.
    void integers() {
        GroupTestRig rig;
        QVERIFY(rig.windows().CreateWnd(C_M852_StateMachine::kWinID, 0, 0, 0));
        CDisplayWindow* w = rig.windows().DisplayWindows().constFirst();
        const char* names[] = {"lblContactorState",  "lblContactorPosition", "lblContactorFunction",
                               "lblPreferredSource", "lblStandbySource",     "lblShutdownCause",
                               "lblAutoManual",      "lblForcingToOff",      "lblAreaProtection"};
        for (const char* n : names) QCOMPARE(labelText(w, n), QStringLiteral("---"));
        const quint16 regs[] = {7, 2, 11, 0, 1, 0xFFFB /* -5 */, 32767};
        for (int i = 0; i < 7; ++i) rig.image.set(1500 + i, regs[i]);
        rig.cycle();
        const QStringList expected = {"7", "2", "11", "0", "1", "-5", "32767"};
        for (int i = 0; i < 7; ++i) QCOMPARE(labelText(w, names[i]), expected.at(i));
        QCOMPARE(labelText(w, "lblTitleShutdownCause"), QStringLiteral("Shutdown Cause"));
        QCOMPARE(labelText(w, "lblTitleAreaProtection"), QStringLiteral("Peak Shave Active"));
    }

    // A short reply: the registers copied stay, and the block does not count as decoded.
    void shortReply() {
        GroupTestRig rig;
        C_M852_StateMachine d;
        auto reply = std::make_shared<CMsgPacketNode>();
        reply->setStartingReg(1500);
        reply->setMsgType(3);
        for (int i = 0; i < 4; ++i) reply->setData(i, qint16(40 + i));
        QVERIFY(!d.DecodeReply(*reply));
        QCOMPARE(int(d.PreferredSource()), 43);
        QCOMPARE(int(d.StandbySource()), 0);
    }
};

QObject* makeStateMachineTest() { return new tst_StateMachine; }

#include "tst_StateMachine.moc"
