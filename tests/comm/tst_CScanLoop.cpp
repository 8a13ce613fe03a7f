// The real scan tick: CScanLoop::tick driving the real CMsgManager over the real serial service,
// whose port 0 is a scripted device. Nothing a tick runs into may leave it: not a MessageReady
// handler that throws, not a packet whose query cannot be built.

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <stdexcept>

#include "CommTestUtil.h"
#include "ModbusTestFrames.h"
#include "comm/CScanLoop.h"

namespace {

// Port 0 for these tests: every frame written is recorded and answered at once with the next
// scripted reply (an empty one: no answer).
class ScriptedPort : public QIODevice {
public:
    using QIODevice::QIODevice;
    QList<QByteArray> written;
    QList<QByteArray> replies;
    // Bytes that arrive now, answering no write (a late reply).
    void arrive(const QByteArray& bytes) { m_incoming += bytes; }

    [[nodiscard]] bool isSequential() const override { return true; }
    [[nodiscard]] qint64 bytesAvailable() const override {
        return m_incoming.size() + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min<qint64>(maxSize, m_incoming.size());
        std::copy_n(m_incoming.constData(), n, data);
        m_incoming.remove(0, n);
        return n;
    }
    qint64 writeData(const char* data, qint64 size) override {
        written.append(QByteArray(data, size));
        if (!replies.isEmpty()) m_incoming += replies.takeFirst();
        return size;
    }

private:
    QByteArray m_incoming;
};

PacketPtr makePacket(qint16 winID, qint32 msgType, qint16 start, qint16 count, bool persistent) {
    auto p = std::make_shared<CMsgPacketNode>();
    p->setWinID(winID);
    p->setMsgType(msgType);
    p->setStartingReg(start);
    p->setNumReg(count);
    p->setPersistent(persistent);
    return p;
}

int startOf(const QByteArray& frame) { return (quint8(frame[2]) << 8 | quint8(frame[3])) + 1; }

}  // namespace

// Keeps what the manager reports of each exchange.
struct ExchangeRecorder : IExchangeObserver {
    QList<LinkExchange> seen;
    void exchangeClosed(const LinkExchange& x) override {
        LinkExchange copy = x;
        copy.reply = QByteArrayView();  // a view of the manager's buffer, gone after the call
        seen.append(copy);
    }
};

class TestScanLoop : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void throwingHandlerStaysInTick_data();
    void throwingHandlerStaysInTick();
    void unbuildableQueryStaysInTick();
    void automaticIntervalFollowsEachFrame();
    void automaticHoldsOnceForALateReply_data();
    void automaticHoldsOnceForALateReply();

private:
    CScanLoop* loop = nullptr;
    CMsgManager* manager = nullptr;
    ScriptedPort* port = nullptr;  // owned by the serial service while open
};

void TestScanLoop::init() {
    loop = new CScanLoop;
    manager = new CMsgManager;
    manager->setScanHost(loop);
    loop->setManager(manager);
    loop->serial().setBuiltInPortFactory([this](QObject* parent) {
        port = new ScriptedPort(parent);
        return port;
    });
    loop->serial().setCOM_Number(0);
    QVERIFY(manager->Connect());
    loop->StopScan();  // ticks by hand
    QVERIFY(port);
}

void TestScanLoop::cleanup() {
    delete manager;
    delete loop;
    port = nullptr;
}

void TestScanLoop::throwingHandlerStaysInTick_data() {
    QTest::addColumn<bool>("stdException");
    QTest::newRow("std::runtime_error") << true;
    QTest::newRow("int") << false;
}

void TestScanLoop::throwingHandlerStaysInTick() {
    QFETCH(bool, stdException);
    manager->AddMsgPacket(makePacket(3, 3, 2, 2, true));
    manager->AddMsgPacket(makePacket(4, 3, 22, 1, true));
    port->replies = {testframes::readReply(0, {5, 6}), testframes::readReply(0, {7})};
    int calls = 0;
    connect(manager, &CMsgManager::MessageReady, this, [&](qint32) {
        ++calls;
        if (stdException) throw std::runtime_error("handler failed");
        throw 42;
    });
    QSignalSpy ticked(loop, &CScanLoop::ticked);

    loop->tick();  // sends the read of 2
    loop->tick();  // its reply: the handler throws; the read of 22 still goes out
    QCOMPARE(calls, 1);
    QCOMPARE(ticked.count(), 2);
    QCOMPARE(port->written.size(), 2);
    QCOMPARE(startOf(port->written.at(1)), 22);
    loop->tick();  // and the next reply is taken as usual
    QCOMPARE(calls, 2);
    QCOMPARE(ticked.count(), 3);
    QCOMPARE(port->written.size(), 3);
}

void TestScanLoop::unbuildableQueryStaysInTick() {
    // Function 4 is refused while framing, after the packet went back into the queue: it fails on
    // every turn. The read of 2 goes out on the turns between.
    manager->AddMsgPacket(makePacket(6, 4, 10, 1, true));
    manager->AddMsgPacket(makePacket(3, 3, 2, 1, true));
    port->replies = {testframes::readReply(0, {5}), testframes::readReply(0, {5})};
    QSignalSpy ready(manager, &CMsgManager::MessageReady);
    QSignalSpy ticked(loop, &CScanLoop::ticked);

    // Turns: bad (nothing sent), read, bad, read; the first read's reply is taken at the third.
    for (int k = 0; k < 4; ++k) loop->tick();
    QCOMPARE(ticked.count(), 4);
    QCOMPARE(port->written.size(), 2);
    QCOMPARE(startOf(port->written.at(0)), 2);
    QCOMPARE(startOf(port->written.at(1)), 2);
    QCOMPARE(ready.count(), 1);
    loop->tick();
    QCOMPARE(ready.count(), 2);
    QCOMPARE(manager->queueSize(), qint16(2));
}

void TestScanLoop::automaticIntervalFollowsEachFrame() {
    // A 2-register read and a 1-register write take turns; every read is answered at once.
    loop->setReadScanRate(300);
    loop->setWriteScanRate(200);
    manager->AddMsgPacket(makePacket(3, 3, 2, 2, true));
    manager->AddMsgPacket(makePacket(4, 16, 40, 1, true));
    int unreported = 0;  // ticks whose timer interval is not the one reported for the exchange
    const auto runTicks = [this, &unreported](int n) {
        QList<int> intervals;
        for (int k = 0; k < n; ++k) {
            port->replies = {testframes::readReply(0, {5, 6})};
            loop->tick();
            intervals.append(loop->interval());
            if (loop->lastIntervalMs() != loop->interval()) ++unreported;
        }
        return intervals;
    };

    // Off (the default): the fixed rates, read and write in turn.
    QVERIFY(!loop->AutomaticScanRate());
    QCOMPARE(runTicks(4), (QList<int>{300, 200, 300, 200}));

    // On: each wait is the exchange's own, within its wire time and its fixed rate.
    loop->setAutomaticScanRate(true);
    const auto read = CAutoScanRate::exchange(3, 2);
    const auto write = CAutoScanRate::exchange(16, 1);
    for (int k = 0; k < 4; ++k) {
        const auto& e = k % 2 == 0 ? *read : *write;
        const int fixedMs = k % 2 == 0 ? 300 : 200;
        const int interval = runTicks(1).at(0);
        // Set at the send, from the estimate as the tick left it.
        QCOMPARE(interval, loop->autoScanRate().intervalMs(e, fixedMs));
        QVERIFY(interval < fixedMs);
        QVERIFY(qint64(interval) * 1'000'000 >= CAutoScanRate::wireTimeNs(e));
    }

    // Off again: the fixed rate at once, and on every send after.
    loop->setAutomaticScanRate(false);
    QCOMPARE(loop->interval(), 200);  // the write sent last waits the write rate
    QCOMPARE(runTicks(2), (QList<int>{300, 200}));
    QCOMPARE(port->written.size(), 10);  // one frame per tick throughout
    QCOMPARE(unreported, 0);
}

void TestScanLoop::automaticHoldsOnceForALateReply_data() {
    QTest::addColumn<bool>("arrives");
    QTest::newRow("the reply comes during the extra wait") << true;
    QTest::newRow("no reply at all") << false;
}

void TestScanLoop::automaticHoldsOnceForALateReply() {
    QFETCH(bool, arrives);
    loop->setAutomaticScanRate(true);
    manager->AddMsgPacket(makePacket(3, 3, 2, 2, true));
    ExchangeRecorder recorder;
    manager->addExchangeObserver(&recorder);
    const auto detach = qScopeGuard([&] { manager->removeExchangeObserver(&recorder); });
    QSignalSpy ready(manager, &CMsgManager::MessageReady);
    QSignalSpy ticked(loop, &CScanLoop::ticked);
    // Replies come at once, so the estimate comes down from its safe start.
    for (int k = 0; k < 60; ++k) {
        port->replies = {testframes::readReply(0, {5, 6})};
        loop->tick();
    }
    QCOMPARE(ready.count(), 59);
    QVERIFY(loop->lastLatencyUs() >= 0);
    const int settled = loop->interval();
    QVERIFY2(settled < 100, qPrintable(QString::number(settled)));

    port->replies = {QByteArray()};  // this request is not answered in its interval
    loop->tick();
    QCOMPARE(ready.count(), 60);  // the reply to the request before
    const int given = loop->lastIntervalMs();
    // Each report carries the wait its exchange was given and, for a whole reply, its latency.
    QCOMPARE(recorder.seen.size(), 60);
    QCOMPARE(recorder.seen.last().outcome, ExchangeOutcome::Valid);
    QCOMPARE(recorder.seen.last().latencyUs, loop->lastLatencyUs());
    QVERIFY(recorder.seen.last().intervalMs > 0);
    // Its tick finds nothing: one more wait, in which nothing is collected, sent or reported.
    loop->tick();
    QCOMPARE(port->written.size(), 61);
    QCOMPARE(ticked.count(), 61);
    QCOMPARE(ready.count(), 60);

    if (arrives) port->arrive(testframes::readReply(0, {7, 8}));
    port->replies = {testframes::readReply(0, {5, 6})};
    loop->tick();
    QCOMPARE(ready.count(), arrives ? 61 : 60);
    QCOMPARE(loop->lastLatencyUs() >= 0, arrives);
    // The late exchange is reported once, with the wait set at its send and the latency measured.
    QCOMPARE(recorder.seen.size(), 61);
    QCOMPARE(recorder.seen.last().outcome, arrives ? ExchangeOutcome::Valid : ExchangeOutcome::NoReply);
    QCOMPARE(recorder.seen.last().intervalMs, given);
    QCOMPARE(recorder.seen.last().latencyUs >= 0, arrives);
    QCOMPARE(port->written.size(), 62);  // and the next request goes out
    QCOMPARE(ticked.count(), 62);
    // Either way the exchanges that follow wait longer at once.
    QVERIFY2(loop->interval() >= settled + 4, qPrintable(QString::number(loop->interval())));
}

int runScanLoopTests(int argc, char** argv) {
    TestScanLoop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CScanLoop.moc"
