#include <QTest>
#include <map>
#include <stdexcept>
#include <vector>

#include "CommTestUtil.h"
#include "comm/CMsgPacketNode.h"
#include "comm/CQueue.h"

namespace {

// A packet named by a letter, kept in its WinID.
PacketPtr packetNamed(char name) {
    auto packet = std::make_shared<CMsgPacketNode>();
    packet->setWinID(static_cast<qint16>(name));
    return packet;
}

char nameOf(const std::shared_ptr<INode>& node) {
    return node ? static_cast<char>(std::static_pointer_cast<CMsgPacketNode>(node)->WinID()) : '_';
}

}  // namespace

class TestQueue : public QObject {
    Q_OBJECT

private slots:
    void freshQueue();
    void order_data();
    void order();
    void noLinksOrCyclesLeftBehind();
    void refusesNullAndQueuedNodes();
    void countOverflows();
    void newPacket();
    void packetDataGrows();
};

void TestQueue::freshQueue() {
    CQueue queue;
    QCOMPARE(queue.Size(), qint16(0));
    QVERIFY(queue.IsEmpty());
    QVERIFY(queue.Dequeue() == nullptr);
    QCOMPARE(queue.Size(), qint16(0));
}

void TestQueue::order_data() {
    // Script of operations on packets A..Z: "eA" enqueue A, "pA" push A at the front, "d" dequeue
    // (its name is recorded, '_' for none), "r" enqueue again the packet dequeued last. Afterwards
    // the queue is drained.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("dequeued");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("drained");

    QTest::newRow("first in first out") << "eA eB eC d d d"
                                        << "ABC" << 0 << "";
    QTest::newRow("push goes in front") << "eB eC pD"
                                        << "" << 3 << "DBC";
    QTest::newRow("push into empty queue") << "pA eB"
                                           << "" << 2 << "AB";
    QTest::newRow("requeue goes to the back") << "eA eB eC d r"
                                              << "A" << 3 << "BCA";
    QTest::newRow("requeue twice in turn") << "eA eB eC d r d r"
                                           << "AB" << 3 << "CAB";
    QTest::newRow("requeue the only packet") << "eA d r d r"
                                             << "AA" << 1 << "A";
    QTest::newRow("emptied queue starts afresh") << "eA eB d d eC eD"
                                                 << "AB" << 2 << "CD";
    QTest::newRow("push after emptying") << "eA d pB eC"
                                         << "A" << 2 << "BC";
    QTest::newRow("dequeue from empty") << "d eA d d"
                                        << "_A_" << 0 << "";
}

void TestQueue::order() {
    QFETCH(QString, script);
    QFETCH(QString, dequeued);
    QFETCH(int, size);
    QFETCH(QString, drained);

    std::map<char, PacketPtr> packets;
    const auto packet = [&](char name) -> PacketPtr& {
        auto& p = packets[name];
        if (!p) p = packetNamed(name);
        return p;
    };

    CQueue queue;
    QString out;
    std::shared_ptr<INode> last;
    for (const QString& op : script.split(' ')) {
        const char name = op.size() > 1 ? op.at(1).toLatin1() : 0;
        switch (op.at(0).toLatin1()) {
            case 'e':
                queue.Enqueue(packet(name));
                break;
            case 'p':
                queue.PushQueue(packet(name));
                break;
            case 'd':
                last = queue.Dequeue();
                out += QLatin1Char(nameOf(last));
                break;
            case 'r':
                queue.Enqueue(last);
                break;
        }
    }
    QCOMPARE(out, dequeued);
    QCOMPARE(queue.Size(), qint16(size));

    QString rest;
    while (!queue.IsEmpty()) rest += QLatin1Char(nameOf(queue.Dequeue()));
    QCOMPARE(rest, drained);
    QVERIFY(queue.Dequeue() == nullptr);
}

void TestQueue::noLinksOrCyclesLeftBehind() {
    std::vector<std::weak_ptr<INode>> watched;
    {
        CQueue queue;
        std::vector<std::shared_ptr<INode>> nodes;
        for (int i = 0; i < 4; ++i) {
            nodes.push_back(i % 2 ? std::make_shared<INode>()
                                  : std::static_pointer_cast<INode>(packetNamed('A')));
            watched.push_back(nodes.back());
            queue.Enqueue(nodes.back());
        }
        // Rotate the way polling does; a stale link on a re-queued node would close a loop.
        for (int turn = 0; turn < 6; ++turn) {
            auto node = queue.Dequeue();
            QVERIFY(node->NextNode() == nullptr);
            QVERIFY(!node->IsQueued());
            queue.Enqueue(node);
        }
        auto taken = queue.Dequeue();
        QCOMPARE(queue.Size(), qint16(3));
        nodes.clear();
        taken.reset();
        // The dequeued node is free now; the others live on in the queue alone.
        QCOMPARE(std::count_if(watched.begin(), watched.end(), [](auto& w) { return w.expired(); }), 1);
    }
    for (const auto& w : watched) QVERIFY(w.expired());
}

void TestQueue::refusesNullAndQueuedNodes() {
    CQueue queue;
    const auto a = packetNamed('A');
    const auto b = packetNamed('B');
    queue.Enqueue(a);
    queue.Enqueue(b);

    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, queue.Enqueue(nullptr));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, queue.PushQueue(nullptr));
    // Linking A in again would make B point back at A and loop for ever.
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, queue.Enqueue(a));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, queue.PushQueue(b));
    CQueue other;
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, other.Enqueue(b));

    QCOMPARE(queue.Size(), qint16(2));
    QCOMPARE(nameOf(queue.Dequeue()), 'A');
    QCOMPARE(nameOf(queue.Dequeue()), 'B');
    QVERIFY(queue.IsEmpty());
}

void TestQueue::countOverflows() {
    CQueue queue;
    for (int i = 0; i < 32767; ++i) queue.Enqueue(std::make_shared<INode>());
    QCOMPARE(queue.Size(), qint16(32767));

    const auto extra = std::make_shared<INode>();
    QVERIFY_THROWS_EXCEPTION(OverflowError, queue.Enqueue(extra));
    QVERIFY_THROWS_EXCEPTION(OverflowError, queue.PushQueue(extra));
    QCOMPARE(queue.Size(), qint16(32767));
    QVERIFY(!extra->IsQueued());

    // Room again after one leaves.
    (void)queue.Dequeue();
    queue.Enqueue(extra);
    QCOMPARE(queue.Size(), qint16(32767));
}

void TestQueue::newPacket() {
    const CMsgPacketNode packet;
    QCOMPARE(packet.WinID(), qint16(0));
    QCOMPARE(packet.DeviceAddr(), qint16(0));
    QCOMPARE(packet.StartingReg(), qint16(0));
    QCOMPARE(packet.MsgType(), 3);
    QCOMPARE(packet.NumReg(), qint16(1));
    QVERIFY(packet.Persistent());
    QCOMPARE(packet.DataCount(), 1);
    QCOMPARE(packet.Data(0), qint16(0));
    QVERIFY(packet.NextNode() == nullptr);
}

void TestQueue::packetDataGrows() {
    CMsgPacketNode packet;
    packet.setData(0, 5);
    packet.setData(35, -7);
    QCOMPARE(packet.DataCount(), 36);
    QCOMPARE(packet.Data(0), qint16(5));
    for (int i = 1; i <= 34; ++i) QCOMPARE(packet.Data(i), qint16(0));
    QCOMPARE(packet.Data(35), qint16(-7));

    // Never shrinks; reads beyond the end and negative indexes fail.
    packet.setData(3, 9);
    QCOMPARE(packet.DataCount(), 36);
    QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)packet.Data(36));
    QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)packet.Data(-1));
    QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, packet.setData(-1, 1));
    QCOMPARE(packet.DataCount(), 36);
}

int runQueueTests(int argc, char** argv) {
    TestQueue test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CQueue.moc"
