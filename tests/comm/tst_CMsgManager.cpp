#include <QSignalSpy>
#include <QTest>

#include "CommTestUtil.h"
#include "FakeScanHost.h"
#include "ModbusTestFrames.h"
#include "comm/CMsgManager.h"

using testframes::readReply;
using testframes::writeEcho;
using Values = QVector<qint16>;

namespace {

PacketPtr makeRead(qint16 winID, qint16 startingReg, qint16 numReg, bool persistent = true) {
    auto packet = std::make_shared<CMsgPacketNode>();
    packet->setWinID(winID);
    packet->setStartingReg(startingReg);
    packet->setNumReg(numReg);
    packet->setPersistent(persistent);
    return packet;
}

PacketPtr makeWrite(qint16 winID, qint32 msgType, qint16 startingReg, const Values& values) {
    auto packet = makeRead(winID, startingReg, static_cast<qint16>(values.size()), false);
    packet->setMsgType(msgType);
    for (int i = 0; i < values.size(); ++i) packet->setData(i, values[i]);
    return packet;
}

// 1-based register number a query frame asks for (the wire address + 1).
int startOf(const QByteArray& frame) { return (quint8(frame[2]) << 8 | quint8(frame[3])) + 1; }

QList<int> startsOf(const QList<QByteArray>& frames) {
    QList<int> starts;
    for (const auto& frame : frames) starts.append(startOf(frame));
    return starts;
}

Values dataOf(const CMsgPacketNode& packet) {
    Values values;
    for (int i = 0; i < packet.DataCount(); ++i) values.append(packet.Data(i));
    return values;
}

}  // namespace

class TestMsgManager : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readCycle();
    void writeCycle_data();
    void writeCycle();
    void idleWhenEmptyOrClosed();
    void damagedRepliesDropped_data();
    void damagedRepliesDropped();
    void receiveBufferLimit_data();
    void receiveBufferLimit();
    void extraRegistersIgnored();
    void replyMustAnswerRequest_data();
    void replyMustAnswerRequest();
    void lateReplyAfterRejectedOne();
    void nothingTakenAfterFailedBuild();
    void consecutiveRepliesOverwrite();
    void removeMsgs_data();
    void removeMsgs();
    void queryBuildFailures_data();
    void queryBuildFailures();
    void disconnectConnectResumes();
    void connectFailures();
    void packetQueuedOnlyOnce();

private:
    FakeScanHost* host = nullptr;
    CMsgManager* manager = nullptr;
    QSignalSpy* ready = nullptr;
};

void TestMsgManager::init() {
    host = new FakeScanHost;
    host->open = true;
    manager = new CMsgManager;
    manager->setScanHost(host);
    ready = new QSignalSpy(manager, &CMsgManager::MessageReady);
}

void TestMsgManager::cleanup() {
    delete ready;
    delete manager;
    delete host;
}

void TestMsgManager::readCycle() {
    manager->AddMsgPacket(makeRead(3, 750, 2));

    runTick(*manager);
    QCOMPARE(host->sent, QList<QByteArray>{hex("00 03 02 ED 00 02 54 57")});
    QCOMPARE(host->intervals, QList<bool>{true});
    QCOMPARE(manager->queueSize(), qint16(1));
    QCOMPARE(ready->count(), 0);

    host->inject(readReply(0, {10, -1}));
    runTick(*manager);
    QCOMPARE(ready->count(), 1);
    QCOMPARE(ready->at(0).at(0).toInt(), 3);
    const CMsgPacketNode& reply = manager->GetWaitingData();
    QCOMPARE(reply.DeviceAddr(), qint16(0));
    QCOMPARE(reply.MsgType(), 3);
    QCOMPARE(reply.StartingReg(), qint16(750));
    QCOMPARE(dataOf(reply), (Values{10, -1}));
    // Identity comes from the event, never from the reply packet's own fields.
    QCOMPARE(reply.WinID(), qint16(0));
    QCOMPARE(reply.NumReg(), qint16(1));
    // Polled again at once: the same request went out in the same tick.
    QCOMPARE(host->sent.size(), 2);
    QCOMPARE(host->sent.at(1), host->sent.at(0));
}

void TestMsgManager::writeCycle_data() {
    QTest::addColumn<qint32>("msgType");
    QTest::addColumn<Values>("values");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("echo");
    QTest::addColumn<Values>("replyData");

    QTest::newRow("write multiple") << 16 << Values{10, -2} << hex("00 10 00 63 00 02 04 00 0A FF FE 51 1C")
                                    << writeEcho(0, 16, 99, 2) << Values{10, -2};
    QTest::newRow("write single") << 6 << Values{-1} << hex("00 06 00 63 FF FF 79 B5")
                                  << writeEcho(0, 6, 99, -1) << Values{-1};
}

void TestMsgManager::writeCycle() {
    QFETCH(qint32, msgType);
    QFETCH(Values, values);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, echo);
    QFETCH(Values, replyData);

    manager->AddMsgPacket(makeWrite(7, msgType, 100, values));
    runTick(*manager);
    QCOMPARE(host->sent, QList<QByteArray>{frame});
    QCOMPARE(host->intervals, QList<bool>{false});
    QCOMPARE(manager->queueSize(), qint16(0));  // sent once

    host->inject(echo);
    runTick(*manager);
    QCOMPARE(ready->count(), 1);
    QCOMPARE(ready->at(0).at(0).toInt(), 7);
    const CMsgPacketNode& reply = manager->GetWaitingData();
    QCOMPARE(reply.MsgType(), msgType);
    QCOMPARE(reply.StartingReg(), qint16(100));
    QCOMPARE(dataOf(reply), replyData);
    QCOMPARE(host->sent.size(), 1);
}

void TestMsgManager::idleWhenEmptyOrClosed() {
    host->inject(hex("01 02"));
    manager->SendMsg();
    QCOMPARE(host->flushes, 0);  // not even the port's buffer is touched
    QCOMPARE(host->pending, hex("01 02"));

    manager->AddMsgPacket(makeRead(3, 1, 1));
    host->open = false;
    manager->SendMsg();
    QCOMPARE(host->flushes, 0);
    QVERIFY(host->sent.isEmpty());
    QCOMPARE(manager->queueSize(), qint16(1));
    QVERIFY(!manager->IsConnected());
}

void TestMsgManager::damagedRepliesDropped_data() {
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<qint32>("collected");

    const QByteArray good = readReply(0, {10, -1});
    QTest::newRow("stray byte") << hex("00") << 1;
    QTest::newRow("stray byte of another value") << hex("5A") << 1;
    QTest::newRow("cut after the byte count") << good.left(3) << 3;
    QTest::newRow("cut before the last CRC byte") << good.left(8) << 8;
    QTest::newRow("CRC wrong") << QByteArray(good).replace(8, 1, "\x42") << 9;
    QTest::newRow("exception reply") << hex("00 83 02 91 31") << 5;
    QTest::newRow("fewer registers than asked") << readReply(0, {10}) << 7;
    QTest::newRow("odd byte count") << hex("00 03 03 00 01 02 C4 0E") << 8;
    QTest::newRow("flood of 300 bytes") << QByteArray(300, '\x55') << 0;
    QTest::newRow("good reply inside 258 bytes") << good + QByteArray(258 - good.size(), '\0') << 0;
}

void TestMsgManager::damagedRepliesDropped() {
    QFETCH(QByteArray, received);
    QFETCH(qint32, collected);

    // One good exchange first, so the manager's buffer holds an intact older reply: a short
    // collection must not be completed from it.
    manager->AddMsgPacket(makeRead(3, 750, 2));
    runTick(*manager);
    host->inject(readReply(0, {10, -1}));
    runTick(*manager);
    QCOMPARE(ready->count(), 1);
    const int flushesBefore = host->flushes;

    host->inject(received);
    QCOMPARE(manager->BuildResponse(), collected);
    if (collected > 0) manager->StoreMsgData();
    QCOMPARE(ready->count(), 1);
    QCOMPARE(host->flushes, flushesBefore + (collected == 0 ? 1 : 0));
    QVERIFY(host->pending.isEmpty());

    // The cycle goes on: the next request goes out normally and its reply is taken.
    manager->SendMsg();
    QCOMPARE(host->sent.size(), 3);
    QCOMPARE(host->sent.last(), host->sent.first());
    host->inject(readReply(0, {4, 5}));
    runTick(*manager);
    QCOMPARE(ready->count(), 2);
    QCOMPARE(dataOf(manager->GetWaitingData()), (Values{4, 5}));
}

void TestMsgManager::receiveBufferLimit_data() {
    QTest::addColumn<int>("registers");
    QTest::addColumn<bool>("arrives");
    QTest::newRow("126 registers: 257 bytes") << 126 << true;
    QTest::newRow("127 registers: 259 bytes") << 127 << false;
}

void TestMsgManager::receiveBufferLimit() {
    QFETCH(int, registers);
    QFETCH(bool, arrives);

    manager->AddMsgPacket(makeRead(4, 150, static_cast<qint16>(registers)));
    runTick(*manager);
    Values values;
    for (int i = 0; i < registers; ++i) values.append(static_cast<qint16>(1000 - 17 * i));
    host->inject(readReply(0, values));

    QCOMPARE(manager->BuildResponse(), arrives ? 5 + 2 * registers : 0);
    manager->StoreMsgData();
    QCOMPARE(ready->count(), arrives ? 1 : 0);
    if (arrives) QCOMPARE(dataOf(manager->GetWaitingData()), values);
}

void TestMsgManager::extraRegistersIgnored() {
    manager->AddMsgPacket(makeRead(3, 750, 2));
    runTick(*manager);
    host->inject(readReply(0, {1, 2, 3, 4}));
    runTick(*manager);
    QCOMPARE(ready->count(), 1);
    QCOMPARE(dataOf(manager->GetWaitingData()), (Values{1, 2}));
}

void TestMsgManager::replyMustAnswerRequest_data() {
    // The request sent, then what arrives in its interval: an intact frame that answers it or one
    // that answers some other request (a late reply of the request before).
    QTest::addColumn<qint32>("msgType");  // request: 3 reads 750 x 2; 6 and 16 write from 100
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<bool>("taken");

    QTest::newRow("read: its reply") << 3 << readReply(0, {4, 5}) << true;
    QTest::newRow("read: longer reply") << 3 << readReply(0, {4, 5, 6}) << true;
    QTest::newRow("read: shorter reply") << 3 << readReply(0, {4}) << false;
    QTest::newRow("read: echo of 16") << 3 << writeEcho(0, 16, 749, 2) << false;
    QTest::newRow("read: echo of 6") << 3 << writeEcho(0, 6, 749, 4) << false;
    QTest::newRow("16: its echo") << 16 << writeEcho(0, 16, 99, 2) << true;
    QTest::newRow("16: echo of another address") << 16 << writeEcho(0, 16, 98, 2) << false;
    QTest::newRow("16: echo of 6, same address") << 16 << writeEcho(0, 6, 99, 4) << false;
    QTest::newRow("16: read reply") << 16 << readReply(0, {4, 5}) << false;
    QTest::newRow("6: its echo") << 6 << writeEcho(0, 6, 99, 4) << true;
    QTest::newRow("6: echo of another address") << 6 << writeEcho(0, 6, 1349, 4) << false;
    QTest::newRow("6: echo of 16, same address") << 6 << writeEcho(0, 16, 99, 1) << false;
    QTest::newRow("6: read reply of one register") << 6 << readReply(0, {4}) << false;
    QTest::newRow("6: exception reply") << 6 << hex("00 86 02 C3 A1") << false;
}

void TestMsgManager::replyMustAnswerRequest() {
    QFETCH(qint32, msgType);
    QFETCH(QByteArray, received);
    QFETCH(bool, taken);

    // One good read first, so the reply packet holds known values that a rejected reply must not
    // touch.
    manager->AddMsgPacket(makeRead(9, 200, 3, false));
    runTick(*manager);
    host->inject(readReply(0, {-7, -8, -9}));
    runTick(*manager);
    QCOMPARE(ready->count(), 1);

    manager->AddMsgPacket(msgType == 3 ? makeRead(3, 750, 2)
                                       : makeWrite(7, msgType, 100, msgType == 6 ? Values{4} : Values{4, 5}));
    runTick(*manager);
    QCOMPARE(host->sent.size(), 2);
    host->inject(received);
    runTick(*manager);

    QCOMPARE(ready->count(), taken ? 2 : 1);
    const CMsgPacketNode& reply = manager->GetWaitingData();
    if (taken) {
        QCOMPARE(ready->last().at(0).toInt(), msgType == 3 ? 3 : 7);
        QCOMPARE(reply.MsgType(), msgType);
        QCOMPARE(reply.StartingReg(), qint16(msgType == 3 ? 750 : 100));
        QCOMPARE(dataOf(reply).mid(0, msgType == 6 ? 1 : 2), (msgType == 6 ? Values{4} : Values{4, 5}));
    } else {
        QCOMPARE(reply.MsgType(), 3);
        QCOMPARE(reply.StartingReg(), qint16(200));
        QCOMPARE(dataOf(reply), (Values{-7, -8, -9}));
    }
}

void TestMsgManager::lateReplyAfterRejectedOne() {
    // A write of 16 goes out and nothing follows it in the queue; a read reply (late, of an earlier
    // request) arrives first and is refused, then the echo. The refused parse must not have left
    // its values or count behind for the echo.
    manager->AddMsgPacket(makeWrite(7, 16, 100, {31, 32}));
    runTick(*manager);
    host->inject(readReply(0, {-1, -2, -3}));
    runTick(*manager);
    QCOMPARE(ready->count(), 0);
    host->inject(writeEcho(0, 16, 99, 2));
    runTick(*manager);
    QCOMPARE(ready->count(), 1);
    QCOMPARE(manager->GetWaitingData().StartingReg(), qint16(100));
    QCOMPARE(dataOf(manager->GetWaitingData()).mid(0, 2), (Values{31, 32}));

    // The same for a read: a refused echo between the request and its late reply.
    manager->AddMsgPacket(makeRead(3, 750, 2, false));
    runTick(*manager);
    host->inject(writeEcho(0, 16, 4, 120));
    runTick(*manager);
    host->inject(readReply(0, {8, 9}));
    runTick(*manager);
    QCOMPARE(ready->count(), 2);
    QCOMPARE(ready->last().at(0).toInt(), 3);
    QCOMPARE(manager->GetWaitingData().StartingReg(), qint16(750));
    QCOMPARE(dataOf(manager->GetWaitingData()), (Values{8, 9}));
}

void TestMsgManager::nothingTakenAfterFailedBuild() {
    // A read goes out, then a packet that cannot be framed is tried: nothing was sent for it, so
    // the read's reply coming late is not taken as its answer (nor as the read's, whose interval
    // is over).
    manager->AddMsgPacket(makeRead(3, 750, 2, false));
    runTick(*manager);
    auto bad = makeRead(6, 750, 2, false);
    bad->setMsgType(4);
    manager->AddMsgPacket(bad);
    runTick(*manager);
    QCOMPARE(host->sent.size(), 1);
    host->inject(readReply(0, {4, 5}));
    runTick(*manager);
    QCOMPARE(ready->count(), 0);
}

void TestMsgManager::consecutiveRepliesOverwrite() {
    manager->AddMsgPacket(makeRead(3, 2, 3));
    manager->AddMsgPacket(makeRead(5, 22, 2));
    // What a data group sees when it reads the reply inside its handler.
    QList<QPair<int, Values>> seen;
    connect(manager, &CMsgManager::MessageReady, this, [&](qint32 winID) {
        seen.append({winID, dataOf(manager->GetWaitingData())});
    });

    runTick(*manager);
    host->inject(readReply(0, {1, 2, 3}));
    runTick(*manager);
    host->inject(readReply(0, {7, 8}));
    runTick(*manager);

    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen.at(0), (QPair<int, Values>{3, {1, 2, 3}}));
    // Same packet object: the second reply overwrote the first two values only.
    QCOMPARE(seen.at(1), (QPair<int, Values>{5, {7, 8, 3}}));
    QCOMPARE(manager->GetWaitingData().StartingReg(), qint16(22));
}

void TestMsgManager::removeMsgs_data() {
    // Queue layout: WinID then 'p' (persistent read) or 'w' (one-shot write); packet k asks for
    // register 10 * (k + 1), so the sent frames show the order.
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("winID");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QList<int>>("sentStarts");

    QTest::newRow("persistent ones go, order kept") << "1p 2p 1p 1w 3p" << 1 << 2 << QList<int>{20, 40, 50};
    QTest::newRow("pending writes stay") << "1w 2p 1w" << 1 << 0 << QList<int>{10, 20, 30};
    QTest::newRow("unknown WinID") << "1p 2p" << 9 << 0 << QList<int>{10, 20};
    QTest::newRow("everything") << "4p 4p" << 4 << 2 << QList<int>{};
}

void TestMsgManager::removeMsgs() {
    QFETCH(QString, layout);
    QFETCH(int, winID);
    QFETCH(int, removed);
    QFETCH(QList<int>, sentStarts);

    std::vector<std::weak_ptr<CMsgPacketNode>> watched;
    const QStringList entries = layout.split(' ');
    for (int k = 0; k < entries.size(); ++k) {
        const auto id = static_cast<qint16>(entries[k].left(1).toInt());
        const auto start = static_cast<qint16>(10 * (k + 1));
        auto packet = entries[k].endsWith('p') ? makeRead(id, start, 1)
                                               : makeWrite(id, 6, start, {static_cast<qint16>(k)});
        watched.push_back(packet);
        manager->AddMsgPacket(packet);
    }

    QCOMPARE(manager->RemoveMsgs(static_cast<qint16>(winID)), qint16(removed));
    QCOMPARE(manager->queueSize(), qint16(entries.size() - removed));
    // The queue held the only reference to the removed packets: they are gone.
    QCOMPARE(std::count_if(watched.begin(), watched.end(), [](auto& w) { return w.expired(); }),
             std::ptrdiff_t(removed));

    for (int k = 0; k < sentStarts.size(); ++k) runTick(*manager);
    QCOMPARE(startsOf(host->sent), sentStarts);
}

void TestMsgManager::queryBuildFailures_data() {
    QTest::addColumn<qint32>("msgType");
    QTest::addColumn<int>("numReg");
    QTest::addColumn<int>("deviceAddr");
    QTest::addColumn<int>("startingReg");
    QTest::addColumn<int>("dataCount");
    QTest::addColumn<bool>("staysQueued");

    // Rejected while its fields are handed to the codec: gone for good.
    QTest::newRow("function 0") << 0 << 1 << 0 << 5 << 1 << false;
    QTest::newRow("128 registers") << 3 << 128 << 0 << 5 << 1 << false;
    QTest::newRow("device 248") << 3 << 1 << 248 << 5 << 1 << false;
    QTest::newRow("negative register") << 3 << 1 << 0 << -5 << 1 << false;
    QTest::newRow("fewer values than registers") << 16 << 3 << 0 << 5 << 2 << false;
    // Rejected while framing, after the re-queue: stays and fails on every turn.
    QTest::newRow("function 4") << 4 << 1 << 0 << 5 << 1 << true;
    QTest::newRow("single write of no register") << 6 << 0 << 0 << 5 << 1 << true;
}

void TestMsgManager::queryBuildFailures() {
    QFETCH(qint32, msgType);
    QFETCH(int, numReg);
    QFETCH(int, deviceAddr);
    QFETCH(int, startingReg);
    QFETCH(int, dataCount);
    QFETCH(bool, staysQueued);

    auto bad = makeRead(6, static_cast<qint16>(startingReg), static_cast<qint16>(numReg));
    bad->setMsgType(msgType);
    bad->setDeviceAddr(static_cast<qint16>(deviceAddr));
    for (int i = 0; i < dataCount; ++i) bad->setData(i, static_cast<qint16>(i));
    manager->AddMsgPacket(bad);
    manager->AddMsgPacket(makeRead(3, 1, 1));

    QVERIFY_THROWS_EXCEPTION(std::exception, manager->SendMsg());
    QVERIFY(host->sent.isEmpty());
    QCOMPARE(host->flushes, 1);  // the port was already flushed
    QVERIFY(host->intervals.isEmpty());

    // Three more turns: good, then bad again (if it stayed), then good.
    for (int turn = 0; turn < 3; ++turn) runTick(*manager);
    QCOMPARE(manager->queueSize(), qint16(staysQueued ? 2 : 1));
    QCOMPARE(startsOf(host->sent), (staysQueued ? QList<int>{1, 1} : QList<int>{1, 1, 1}));
}

void TestMsgManager::disconnectConnectResumes() {
    host->open = false;
    for (qint16 k = 1; k <= 3; ++k) manager->AddMsgPacket(makeRead(k, static_cast<qint16>(100 * k), 1));

    QVERIFY(manager->Connect());
    QCOMPARE(host->startScans, 1);
    QVERIFY(manager->IsConnected());
    runTick(*manager);

    QVERIFY(manager->Disconnect());
    QCOMPARE(host->stopScans, 1);
    QVERIFY(!manager->IsConnected());
    runTick(*manager);
    runTick(*manager);
    QCOMPARE(host->sent.size(), 1);

    QVERIFY(manager->Connect());
    QCOMPARE(host->startScans, 2);
    for (int turn = 0; turn < 4; ++turn) runTick(*manager);
    QCOMPARE(startsOf(host->sent), (QList<int>{100, 200, 300, 100, 200}));
    QCOMPARE(manager->queueSize(), qint16(3));
}

void TestMsgManager::connectFailures() {
    host->open = false;
    host->openSucceeds = false;
    QVERIFY(!manager->Connect());
    host->openSucceeds = true;
    host->openThrows = true;
    QVERIFY(!manager->Connect());
    QCOMPARE(host->startScans, 0);

    CMsgManager hostless;
    QVERIFY(!hostless.Connect());
    QVERIFY(!hostless.Disconnect());
    QVERIFY(!hostless.IsConnected());
    QCOMPARE(hostless.BuildResponse(), 0);
    hostless.AddMsgPacket(makeRead(1, 1, 1));
    hostless.SendMsg();
    QCOMPARE(hostless.queueSize(), qint16(1));
}

void TestMsgManager::packetQueuedOnlyOnce() {
    // Adding a packet that is still waiting would link it in twice and cut the queue; it is sent
    // once instead, and no other packet is lost.
    const auto a = makeRead(1, 10, 1);
    const auto w = makeWrite(2, 6, 20, {1});
    manager->AddMsgPacket(a);
    manager->AddMsgPacket(w);
    manager->AddMsgPacket(makeRead(3, 30, 1));
    manager->AddMsgPacket(a);
    manager->AddMsgPacket(w);
    manager->AddMsgPacket(nullptr);
    QCOMPARE(manager->queueSize(), qint16(3));

    for (int turn = 0; turn < 4; ++turn) runTick(*manager);
    QCOMPARE(startsOf(host->sent), (QList<int>{10, 20, 30, 10}));
    // Once sent, the write may be queued again.
    manager->AddMsgPacket(w);
    for (int turn = 0; turn < 3; ++turn) runTick(*manager);
    QCOMPARE(startsOf(host->sent).mid(4), (QList<int>{30, 10, 20}));
}

int runMsgManagerTests(int argc, char** argv) {
    TestMsgManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CMsgManager.moc"
