// Tests of the simulated M852: slave framing against hand-computed frames, the register image and its
// commands, fault injection, the in-process port's byte timing and the m852-sim program on a
// pseudo-terminal.

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "sim/FaultInjector.h"
#include "sim/M852Image.h"
#include "sim/SimProcess.h"
#include "sim/SimulatedPort.h"
#include "sim/SlaveEngine.h"

using sim::FaultConfig;
using sim::FaultInjector;
using sim::M852Image;
using sim::SimulatedPort;
using sim::SlaveEngine;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

bool crcOk(const QByteArray& frame) {
    if (frame.size() < 3) return false;
    return SlaveEngine::withCrc(frame.left(frame.size() - 2)) == frame;
}

quint16 packDate(int y, int m, int d) { return quint16(((y - 2000) << 9) | (m << 5) | d); }

// The record layout of the event history: record r at 150 + 5r (time, date, code, state, spare).
int eventCode(const M852Image& image, int record) { return image.valueOr(150 + 5 * record + 2); }

}  // namespace

class TestSim : public QObject {
    Q_OBJECT

private slots:
    void crc_data();
    void crc();
    void frames_data();
    void frames();
    void streamFindsFramesAmongGarbage();
    void writesAreApplied();
    void imageContents();
    void clockAndCountdownRun();
    void commands_data();
    void commands();
    void faultStatistics();
    void simulatedPortTiming_data();
    void simulatedPortTiming();
    void simulatedPortClearAndDestroy();
    void ptyProgram();
};

void TestSim::crc_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("crc");
    QTest::newRow("check string") << QByteArray("123456789") << 0x4B37;
    QTest::newRow("read 750 x 36") << hex("00 03 02 ED 00 24") << 0x8DD5;  // sent as D5 8D
    QTest::newRow("empty") << QByteArray() << 0xFFFF;
}

void TestSim::crc() {
    QFETCH(QByteArray, data);
    QFETCH(int, crc);
    QCOMPARE(int(SlaveEngine::crc16(data)), crc);
}

// Request frame -> exact reply frame (CRCs computed by hand with a separate implementation).
void TestSim::frames_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("read register 1") << hex("00 03 00 00 00 01 85 DB") << hex("00 03 02 67 41 6F 84");
    QTest::newRow("own address") << hex("01 06 00 17 08 20 3F D6") << hex("01 06 00 17 08 20 3F D6");
    QTest::newRow("write multiple") << hex("01 10 04 55 00 02 04 42 41 00 43 01 F1")
                                    << hex("01 10 04 55 00 02 50 E8");
    QTest::newRow("illegal function") << hex("00 04 00 00 00 01 30 1B") << hex("00 84 01 D3 00");
    QTest::newRow("read unmapped 100") << hex("00 03 00 63 00 01 75 C5") << hex("00 83 02 91 31");
    QTest::newRow("read runs into unmapped") << hex("00 03 00 5F 00 0A F4 0E") << hex("00 83 02 91 31");
    QTest::newRow("read count 126") << hex("00 03 00 00 00 7E C4 3B") << hex("00 83 03 50 F1");
    QTest::newRow("write single unmapped") << hex("00 06 00 63 00 0A F8 02") << hex("00 86 02 92 61");
    QTest::newRow("byte count mismatch")
        << hex("01 10 04 55 00 02 03 42 41 00 43 B4 31") << hex("01 90 03 0C 01");
    QTest::newRow("write count 0") << hex("01 10 04 55 00 00 00 43 DC 7F") << hex("01 90 03 0C 01");
    QTest::newRow("other slave") << hex("05 03 00 00 00 01 85 8E") << QByteArray();
    QTest::newRow("bad crc") << hex("00 03 00 00 00 01 85 DC") << QByteArray();
}

void TestSim::frames() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    M852Image image;
    SlaveEngine engine(image);
    QCOMPARE(engine.handleFrame(request).toHex(' '), reply.toHex(' '));
}

void TestSim::streamFindsFramesAmongGarbage() {
    M852Image image;
    SlaveEngine engine(image);
    const QByteArray read1 = hex("00 03 00 00 00 01 85 DB");
    const QByteArray read750 = hex("00 03 02 ED 00 24 D5 8D");

    // Garbage before, a frame split over three chunks, then two frames in one chunk.
    QVERIFY(engine.feed(hex("FF 00 13")).isEmpty());
    QVERIFY(engine.feed(read1.left(3)).isEmpty());
    QVERIFY(engine.feed(read1.mid(3, 4)).isEmpty());
    const QList<QByteArray> one = engine.feed(read1.mid(7));
    QCOMPARE(one.size(), 1);
    QCOMPARE(one.first(), hex("00 03 02 67 41 6F 84"));
    const QList<QByteArray> two = engine.feed(read750 + hex("AA") + read1);
    QCOMPARE(two.size(), 2);
    QCOMPARE(two.at(0).size(), 3 + 72 + 2);
    QVERIFY(crcOk(two.at(0)));
    QCOMPARE(two.at(1), one.first());
    QCOMPARE(engine.discardedBytes(), 4);  // FF 00 13 and AA
    QCOMPARE(engine.pendingBytes(), 0);

    // A frame with one corrupted byte is dropped; the next good one is answered.
    QByteArray bad = read1;
    bad[3] = 0x05;
    QVERIFY(engine.feed(bad).isEmpty());
    QCOMPARE(engine.feed(read1).size(), 1);
}

void TestSim::writesAreApplied() {
    M852Image image;
    SlaveEngine engine(image);
    QList<SlaveEngine::Request> seen;
    engine.setRequestObserver([&](const SlaveEngine::Request& r) { seen.append(r); });

    // Function 16: system voltage N and E (24, 25) to 208.0 V; function 6: register 740.
    QVERIFY(!engine.handleFrame(SlaveEngine::withCrc(hex("00 10 00 17 00 02 04 08 20 08 20"))).isEmpty());
    QVERIFY(!engine.handleFrame(SlaveEngine::withCrc(hex("00 06 02 E3 1F 15"))).isEmpty());
    QCOMPARE(image.valueOr(24), 2080);
    QCOMPARE(image.valueOr(25), 2080);
    QCOMPARE(image.valueOr(740), 0x1F15);
    // A write touching one unmapped register changes nothing.
    QCOMPARE(engine.handleFrame(SlaveEngine::withCrc(hex("00 10 00 62 00 02 04 00 07 00 07"))),
             SlaveEngine::withCrc(hex("00 90 02")));
    QCOMPARE(image.valueOr(99), 115);

    // The reads see the writes.
    const QByteArray reply = engine.handleFrame(SlaveEngine::withCrc(hex("00 03 00 17 00 02")));
    QCOMPARE(reply, SlaveEngine::withCrc(hex("00 03 04 08 20 08 20")));

    QCOMPARE(seen.size(), 4);
    QCOMPARE(seen.at(0).function, quint8(16));
    QCOMPARE(seen.at(0).startRegister, 24);
    QCOMPARE(seen.at(0).values, (QList<quint16>{2080, 2080}));
    QCOMPARE(seen.at(2).exception, quint8(2));
    QCOMPARE(seen.at(3).values, (QList<quint16>{2080, 2080}));
}

void TestSim::imageContents() {
    M852Image image;
    // Every block the program polls is readable in one piece.
    const QList<QPair<int, int>> polled = {
        {1250, 5},  {32, 12},  {740, 2},  {743, 1},   {2, 14},    {22, 8},    {55, 10},   {26, 2},
        {45, 10},   {24, 2},   {750, 36}, {150, 100}, {250, 100}, {350, 100}, {450, 100}, {550, 100},
        {1010, 2},  {1012, 2}, {800, 45}, {31, 1},    {600, 1},   {742, 1},   {30, 2},    {1, 1},
        {1200, 1},  {1500, 9}, {65, 35},  {1000, 4},  {1200, 7},  {1110, 10}, {1120, 10}, {1130, 10},
        {1140, 10}, {1150, 5}, {1155, 5}, {1160, 5},  {9999, 1},  {1300, 2},  {1312, 10}, {9900, 20},
        {9950, 20}, {900, 4},  {1352, 1}, {650, 3},   {905, 4},   {28, 2},    {910, 84},  {23, 9},
        {45, 20},   {1252, 3}, {1350, 4}, {1400, 12}};
    for (const auto& [first, count] : polled)
        QVERIFY2(image.isRangeMapped(first, count), qPrintable(QString::number(first)));
    QVERIFY(!image.isMapped(0));
    QVERIFY(!image.isMapped(100));
    QVERIFY(!image.isMapped(9998));

    QCOMPARE(image.valueOr(1), 0x6741);  // Source N, preferred N, state 232, both available
    QCOMPARE((image.valueOr(1) >> 3) & 0x3FF, 232);
    QCOMPARE(image.valueOr(8), 4800);
    QCOMPARE(image.valueOr(14), 600);
    QCOMPARE(image.valueOr(24), 4800);
    QCOMPARE(image.valueOr(26), 600);
    QCOMPARE(image.valueOr(28), 3);
    // Texts: two characters per register, the first in the low byte.
    QCOMPARE(image.valueOr(1150), quint16('A' | ('T' << 8)));
    // 1234 hours = 74040 minutes = 1 * 65535 + 8505.
    QCOMPARE(image.valueOr(1300), 1);
    QCOMPARE(image.valueOr(1301), 8505);

    // A full history: 100 records, plausible codes, dates not after the clock, newest first.
    quint16 previousDate = image.valueOr(1251);
    for (int r = 0; r < 100; ++r) {
        const int code = eventCode(image, r);
        QVERIFY2(code >= 1 && code <= 231, qPrintable(QStringLiteral("record %1 code %2").arg(r).arg(code)));
        const quint16 date = image.valueOr(150 + 5 * r + 1);
        QVERIFY(date <= previousDate);
        QVERIFY(((date >> 5) & 15) >= 1 && ((date >> 5) & 15) <= 12 && (date & 31) >= 1);
        QVERIFY(image.valueOr(150 + 5 * r) < 1440);
        previousDate = date;
    }
}

void TestSim::clockAndCountdownRun() {
    M852Image image(QDateTime(QDate(2024, 12, 31), QTime(23, 58, 30)));
    QCOMPARE(image.valueOr(1250), 23 * 60 + 58);
    QCOMPARE(image.valueOr(1251), packDate(2024, 12, 31));
    QCOMPARE(image.valueOr(650), 6);
    QCOMPARE(image.valueOr(651), 2400);
    const quint16 operLow = image.valueOr(1309);

    image.advance(29'999);
    QCOMPARE(image.valueOr(1250), 23 * 60 + 58);
    QCOMPARE(image.valueOr(651), 2400 - 299);  // 29.999 s = 299 whole tenths
    image.advance(1);
    QCOMPARE(image.valueOr(1250), 23 * 60 + 59);
    QCOMPARE(image.valueOr(651), 2100);
    image.advance(60'000);
    QCOMPARE(image.valueOr(1250), 0);
    QCOMPARE(image.valueOr(1251), packDate(2025, 1, 1));
    QCOMPARE(image.valueOr(1309), operLow + 2);  // operation time counts the minutes

    // The cooldown runs out: timer 0, and the controller logs the timeout as the newest event.
    image.advance(210'000);
    QCOMPARE(image.valueOr(650), 0);
    QCOMPARE(image.valueOr(651), 0);
    QCOMPARE(eventCode(image, 0), 183);
    QCOMPARE(image.valueOr(153), 1);

    // Setting the clock: minutes after midnight and a packed date, seconds start at 0.
    QVERIFY(image.write(1251, packDate(2030, 2, 28)));
    QVERIFY(image.write(1250, 1439));
    image.advance(60'000);
    QCOMPARE(image.valueOr(1250), 0);
    QCOMPARE(image.valueOr(1251), packDate(2030, 3, 1));

    // advanceTo: the first call notes the instant; parts of a millisecond carry to the next call.
    M852Image t;
    t.advanceTo(5'000'000'000);
    QCOMPARE(t.elapsedMs(), 0);
    t.advanceTo(5'000'999'999);
    QCOMPARE(t.elapsedMs(), 0);
    t.advanceTo(5'001'000'000);
    QCOMPARE(t.elapsedMs(), 1);
    t.advanceTo(65'001'500'000);
    QCOMPARE(t.elapsedMs(), 60'001);
    QCOMPARE(t.valueOr(1250), 9 * 60 + 42);  // 09:41:20 + 60 s
}

void TestSim::commands_data() {
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");
    QTest::addColumn<QList<QPair<int, int>>>("expected");  // register, value after the command
    using E = QList<QPair<int, int>>;
    QTest::newRow("clear history") << 1351 << 1
                                   << E{{152, 0}, {302, 0}, {647, 0}, {150, 0}, {600, 0x00AA}, {1351, 0}};
    QTest::newRow("end delay") << 1350 << 128 << E{{650, 0}, {651, 0}, {652, 0}, {1350, 0}, {152, 119}};
    QTest::newRow("remote exercise") << 1350 << 256
                                     << E{{650, 14}, {651, 300}, {652, 300}, {152, 170}, {153, 1}};
    QTest::newRow("peak shave start") << 1350 << 2 << E{{742, 0x0008}, {1508, 0xFFFF}, {152, 224}, {153, 1}};
    QTest::newRow("test start") << 1350 << 8 << E{{742, 0x0010}, {152, 225}};
    QTest::newRow("transfer to off") << 1350 << 32 << E{{1, 0x6740}, {1501, 0}, {1507, 0xFFFF}};
    QTest::newRow("reset maintenance") << 1350 << 1 << E{{1302, 0}, {1303, 0}, {1311, 0},
                                                         {1313, 0}, {1300, 1}, {1321, packDate(2024, 6, 12)}};
    QTest::newRow("reset historical records") << 1353 << 2 << E{{1300, 0}, {1301, 0}, {1312, 0}, {1110, 0}};
    QTest::newRow("disable manual exercise") << 1352 << 1 << E{{1352, 1}};
    QTest::newRow("no command") << 1350 << 0 << E{{650, 6}, {152, 57}};
}

void TestSim::commands() {
    QFETCH(int, reg);
    QFETCH(int, value);
    using E = QList<QPair<int, int>>;
    QFETCH(E, expected);
    M852Image image;
    QVERIFY(image.write(reg, quint16(value)));
    for (const auto& [r, v] : expected)
        QVERIFY2(image.valueOr(r) == v,
                 qPrintable(QStringLiteral("register %1 = %2").arg(r).arg(image.valueOr(r))));
}

void TestSim::faultStatistics() {
    const QByteArray reply = SlaveEngine::withCrc(hex("00 03 02 67 41"));
    FaultConfig cfg;
    cfg.dropProbability = 0.10;
    cfg.crcCorruptProbability = 0.05;
    cfg.truncateProbability = 0.05;
    cfg.strayProbability = 0.02;
    cfg.seed = 1234;
    FaultInjector a(cfg);
    FaultInjector b(cfg);
    constexpr int kRuns = 20000;
    int intact = 0;
    for (int i = 0; i < kRuns; ++i) {
        const FaultInjector::Outcome o = a.apply(reply);
        QCOMPARE(b.apply(reply).bytes, o.bytes);  // same seed, same faults
        if (o.dropped) QCOMPARE(int(o.bytes.size()), o.strayBytes);
        if (o.crcCorrupted && !o.truncated && !o.strayBytes) QVERIFY(!crcOk(o.bytes));
        if (o.truncated) QVERIFY(o.bytes.size() - o.strayBytes < reply.size());
        if (!o.dropped && !o.crcCorrupted && !o.truncated && !o.strayBytes) {
            QCOMPARE(o.bytes, reply);
            ++intact;
        }
    }
    const auto& s = a.stats();
    QCOMPARE(s.replies, qint64(kRuns));
    // Binomial: sd of the fraction is sqrt(p(1-p)/n) = 0.0021 for p = 0.1; allow 5 sd.
    QVERIFY(qAbs(double(s.dropped) / kRuns - 0.10) < 0.011);
    const double kept = kRuns - s.dropped;
    QVERIFY(qAbs(s.crcCorrupted / kept - 0.05) < 0.008);
    QVERIFY(qAbs(s.truncated / kept - 0.05) < 0.008);
    QVERIFY(qAbs(double(s.withStray) / kRuns - 0.02) < 0.005);
    QVERIFY(qAbs(double(intact) / kRuns - 0.9 * 0.95 * 0.95 * 0.98) < 0.02);
}

// The 100-register reply (3 + 200 + 2 = 205 bytes) arrives no earlier than its wire time. With a
// byte time of 173612 ns (10 bits at 57600 baud, rounded up) and 5 ms latency: the 8-byte request
// ends at 1388896 ns, the reply starts at 6388896 ns, byte k (1-based) has arrived at
// 6388896 + k * 173612 ns; the last at 41979356 ns.
void TestSim::simulatedPortTiming_data() {
    QTest::addColumn<bool>("paced");
    QTest::addColumn<qint64>("afterNs");
    QTest::addColumn<qint64>("available");
    QTest::newRow("paced, before first byte") << true << qint64(6562507) << qint64(0);
    QTest::newRow("paced, first byte") << true << qint64(6562508) << qint64(1);
    QTest::newRow("paced, 100 bytes") << true << qint64(6388896 + 100 * 173612) << qint64(100);
    QTest::newRow("paced, before last byte") << true << qint64(41979355) << qint64(204);
    QTest::newRow("paced, last byte") << true << qint64(41979356) << qint64(205);
    QTest::newRow("unpaced, in latency") << false << qint64(4999999) << qint64(0);
    QTest::newRow("unpaced, after latency") << false << qint64(5000000) << qint64(205);
}

void TestSim::simulatedPortTiming() {
    QFETCH(bool, paced);
    QFETCH(qint64, afterNs);
    QFETCH(qint64, available);
    qint64 nowNs = 1'000'000'000;
    FaultConfig cfg;
    cfg.latencyMs = 5;
    cfg.paced = paced;
    SimulatedPort port(std::make_shared<M852Image>(), cfg);
    port.setTimeSource([&] { return nowNs; });
    QVERIFY(port.open(QIODevice::ReadWrite));

    const QByteArray request = hex("00 03 00 95 00 64 55 DC");  // 150 x 100
    M852Image reference;
    SlaveEngine referenceEngine(reference);
    const QByteArray expected = referenceEngine.handleFrame(request);
    QCOMPARE(expected.size(), 205);

    QCOMPARE(port.write(request), qint64(request.size()));
    QCOMPARE(port.bytesAvailable(), 0);
    nowNs += afterNs;
    QCOMPARE(port.bytesAvailable(), available);
    QCOMPARE(port.read(1000), expected.left(available));
    nowNs += 100'000'000;
    QCOMPARE(port.readAll(), expected.mid(available));
}

void TestSim::simulatedPortClearAndDestroy() {
    FaultConfig cfg;
    cfg.latencyMs = 200;  // long enough that clear() surely comes before the second reply
    auto image = std::make_shared<M852Image>();
    auto port = std::make_unique<SimulatedPort>(image, cfg);
    QVERIFY(port->open(QIODevice::ReadWrite));
    const QByteArray read1 = hex("00 03 00 00 00 01 85 DB");
    const QByteArray reply1 = hex("00 03 02 67 41 6F 84");

    // In real time: readyRead comes once the whole reply is there.
    QSignalSpy ready(port.get(), &QIODevice::readyRead);
    port->write(read1);
    QVERIFY(ready.wait(2000));
    QCOMPARE(port->readAll(), reply1);

    // clear() drops what has arrived; what is still on its way arrives later.
    port->write(read1);
    QTRY_COMPARE(port->bytesAvailable(), qint64(reply1.size()));
    port->write(read1);
    port->clear();
    QTRY_COMPARE(port->bytesAvailable(), qint64(reply1.size()));
    QCOMPARE(port->readAll(), reply1);
    // clearAll() drops everything, also what is in flight.
    port->write(read1);
    port->clearAll();
    QCOMPARE(port->bytesInFlight(), 0);

    // A write through the port reaches the shared image; destroying the port with bytes in
    // flight is safe.
    port->write(SlaveEngine::withCrc(hex("00 06 00 17 08 20")));
    QCOMPARE(image->valueOr(24), 2080);
    port.reset();
    QTest::qWait(20);
}

void TestSim::ptyProgram() {
#ifndef M852_SIM_PROGRAM
    QSKIP("m852-sim needs POSIX pseudo-terminals");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString dump = dir.filePath(QStringLiteral("state.json"));
    const QString link = dir.filePath(QStringLiteral("ttyM852"));
    const QString log = dir.filePath(QStringLiteral("requests.jsonl"));
    sim::SimProcess proc(QStringLiteral(M852_SIM_PROGRAM));
    QVERIFY2(proc.start({QStringLiteral("--clock"), QStringLiteral("2024-06-12T09:41:20"),
                         QStringLiteral("--dump"), dump, QStringLiteral("--link"), link,
                         QStringLiteral("--log"), log, QStringLiteral("--set"), QStringLiteral("30=600")}),
             qPrintable(proc.errorString()));
    QVERIFY(proc.devicePath().startsWith(QStringLiteral("/dev/")));
    QCOMPARE(QFileInfo(link).symLinkTarget(), proc.devicePath());

    M852Image reference;  // same clock start, so the same event history
    SlaveEngine referenceEngine(reference);
    const QByteArray readHistory = SlaveEngine::withCrc(hex("00 03 00 95 00 64"));

    auto exchange = [&](const QByteArray& request, qsizetype replySize) {
        QSerialPort serial;
        serial.setPortName(link);
        serial.setBaudRate(57600);
        if (!serial.open(QIODevice::ReadWrite))
            return QByteArray("open failed: " + serial.errorString().toLatin1());
        serial.write(request);
        QByteArray got;
        QElapsedTimer t;
        t.start();
        while (got.size() < replySize && t.elapsed() < 5000) {
            if (serial.waitForReadyRead(100)) got += serial.readAll();
        }
        return got;  // the port closes here; the simulator must survive the hang-up
    };

    QCOMPARE(exchange(readHistory, 205), referenceEngine.handleFrame(readHistory));
    const QByteArray write = SlaveEngine::withCrc(hex("00 06 00 17 08 20"));
    QCOMPARE(exchange(write, write.size()), write);
    QCOMPARE(exchange(hex("00 03 00 1D 00 01 15 DD"), 7), hex("00 03 02 02 58 85 1E"));  // --set 30=600

    QCOMPARE(proc.registers(24, 2), (QList<quint16>{2080, 4800}));
    QVERIFY(proc.setRegister(25, 2400));
    const std::optional<QJsonObject> state = proc.state();
    QVERIFY(state);
    QCOMPARE(state->value(QStringLiteral("registers")).toObject().value(QStringLiteral("25")).toInt(), 2400);
    QCOMPARE(state->value(QStringLiteral("requests")).toInt(), 3);
    QCOMPARE(proc.stop(), 0);

    QFile dumped(dump);
    QVERIFY(dumped.open(QIODevice::ReadOnly));
    const QJsonObject registers =
        QJsonDocument::fromJson(dumped.readAll()).object().value(QStringLiteral("registers")).toObject();
    QCOMPARE(registers.value(QStringLiteral("24")).toInt(), 2080);
    QFile logFile(log);
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = logFile.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    const QJsonObject second = QJsonDocument::fromJson(lines.at(1)).object();
    QCOMPARE(second.value(QStringLiteral("function")).toInt(), 6);
    QCOMPARE(second.value(QStringLiteral("start")).toInt(), 24);
    QCOMPARE(second.value(QStringLiteral("values")).toArray().first().toInt(), 2080);
    QCOMPARE(second.value(QStringLiteral("answer")).toString(), QStringLiteral("ok"));
    QVERIFY(!QFileInfo::exists(link));
#endif
}

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
