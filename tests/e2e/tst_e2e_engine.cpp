// The engine end to end: the serial service's contract against the pseudo-terminal simulator
// (m852-sim, through a real QSerialPort) and the built-in simulated port alike; the message manager
// driven by the scan loop against both; a long fault run; a device that vanishes; and the
// command-line companion as a separate process.

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "ModbusTestFrames.h"
#include "comm/CMsgManager.h"
#include "comm/CScanLoop.h"
#include "comm/CSerialService.h"
#include "sim/BuiltInController.h"
#include "sim/M852Image.h"
#include "sim/SimProcess.h"
#include "sim/SimulatedPort.h"

namespace {

// A number with no conventional device anywhere: it reaches the pseudo-terminal only through the
// override map, which is what the options dialog's mapping does for by-id paths.
constexpr int kPtyPort = 200;

const QString kPty = QStringLiteral("pty");
const QString kSimulated = QStringLiteral("simulated");

void addWord(QByteArray& frame, int word) {
    frame.append(static_cast<char>((word >> 8) & 0xFF));
    frame.append(static_cast<char>(word & 0xFF));
}

// Request frames for slave 0, framed with the test's own bitwise CRC (not the codec's).
QByteArray readRequest(int reg, int count) {
    QByteArray body("\x00\x03", 2);
    addWord(body, reg - 1);
    addWord(body, count);
    return testframes::withCrc(body);
}

QByteArray writeSingleRequest(int reg, quint16 value) {
    QByteArray body("\x00\x06", 2);
    addWord(body, reg - 1);
    addWord(body, value);
    return testframes::withCrc(body);
}

// What the engine delivered with one MessageReady.
struct Reply {
    qint32 winId = 0;
    int start = 0;
    QList<qint16> values;
};

// The manager driven by a scan loop, recording every MessageReady with the first `counts[winId]`
// values of the reply packet (read inside the handler, as data groups must).
struct Engine {
    CScanLoop loop;
    CMsgManager manager;
    QMap<qint32, int> counts;
    QList<Reply> replies;
    std::function<void(const Reply&)> onReply;

    Engine() {
        manager.setScanHost(&loop);
        loop.setManager(&manager);
        QObject::connect(&manager, &CMsgManager::MessageReady, [this](qint32 winId) {
            const CMsgPacketNode& p = manager.GetWaitingData();
            Reply r{winId, p.StartingReg(), {}};
            for (int i = 0; i < counts.value(winId); ++i) r.values.append(p.Data(i));
            replies.append(r);
            if (onReply) onReply(r);
        });
    }

    PacketPtr queue(qint16 winId, int msgType, int start, int count, bool persistent,
                    const QList<qint16>& values = {}) {
        auto p = std::make_shared<CMsgPacketNode>();
        p->setWinID(winId);
        p->setDeviceAddr(0);
        p->setMsgType(msgType);
        p->setStartingReg(static_cast<qint16>(start));
        p->setNumReg(static_cast<qint16>(count));
        p->setPersistent(persistent);
        for (int i = 0; i < values.size(); ++i) p->setData(i, values.at(i));
        counts.insert(winId, msgType == 3 ? count : (msgType == 6 ? 1 : 0));
        manager.AddMsgPacket(p);
        return p;
    }

    [[nodiscard]] int repliesFor(qint32 winId) const {
        return int(std::count_if(replies.cbegin(), replies.cend(),
                                 [winId](const Reply& r) { return r.winId == winId; }));
    }
};

QList<qint16> asSigned(const QList<quint16>& values) {
    QList<qint16> out;
    for (quint16 v : values) out.append(static_cast<qint16>(v));
    return out;
}

}  // namespace

class TestE2eEngine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_builtIn = sim::BuiltInController(); }
    void cleanupTestCase();

    // The serial service's contract, each against the pseudo-terminal and the built-in port.
    void emptyReceiveBufferLeavesNothing_data();
    void emptyReceiveBufferLeavesNothing();
    void sendKeepsEveryByte_data();
    void sendKeepsEveryByte();
    void initializeClosesOpenPort_data();
    void initializeClosesOpenPort();
    void numberChangeTakesEffectAtNextOpen();
    void comNumberRoundTrip_data();
    void comNumberRoundTrip();
    void openFailsCleanly_data();
    void openFailsCleanly();
    void busyPortIsReportedInUse();
    void detectPortsNamesMappedDevices();

    // The engine over the port.
    void pollsBlocksInRotation_data();
    void pollsBlocksInRotation();
    void writeReachesController_data();
    void writeReachesController();
    void faultRunDeliversOnlyIntactReplies();
    void lateRepliesStayOutOfOtherWindows();
    void vanishingDeviceClosesCleanly();
    void automaticScanRateAgainstSimulator_data();
    void automaticScanRateAgainstSimulator();

    // The command-line companion.
    void cliReads_data();
    void cliReads();
    void cliWritesAndRepeats();
    void cliFailures_data();
    void cliFailures();
    void cliEachPoll_data();
    void cliEachPoll();
    void cliWritesOnceToSlowController_data();
    void cliWritesOnceToSlowController();
    void cliTrace_data();
    void cliTrace();

private:
    void useBackend(CSerialService& serial, const QString& backend);
    [[nodiscard]] std::optional<QList<qint16>> controllerRegisters(const QString& backend, int reg,
                                                                   int count);
    struct CliResult {
        int exitCode = -1;
        QStringList out;
        QString err;
    };
    [[nodiscard]] CliResult runCli(const QStringList& args);

    [[nodiscard]] static sim::SimulatedPort* simulatedPort(const CSerialService& serial) {
        return qobject_cast<sim::SimulatedPort*>(serial.builtInPort());
    }

    QTemporaryDir m_dir;
    sim::BuiltInController m_builtIn;  // port 0 of each test's serial service
    std::unique_ptr<sim::SimProcess> m_sim;
    QString m_link;
};

#define REQUIRE_BACKEND(backend)                                                  \
    do {                                                                          \
        if ((backend) == kPty && !m_sim) QSKIP("m852-sim is not available here"); \
    } while (0)

void TestE2eEngine::initTestCase() {
    QVERIFY(m_dir.isValid());
#ifdef M852_SIM_PROGRAM
    m_link = m_dir.filePath(QStringLiteral("m852"));
    m_sim = std::make_unique<sim::SimProcess>(QStringLiteral(M852_SIM_PROGRAM));
    // 650=0 stops the active time delay, so no event is logged and the history stays put during the run.
    QVERIFY2(
        m_sim->start({QStringLiteral("--link"), m_link, QStringLiteral("--set"), QStringLiteral("650=0")}),
        qPrintable(m_sim->errorString()));
#endif
}

void TestE2eEngine::cleanupTestCase() {
    if (m_sim) m_sim->stop();
}

void TestE2eEngine::useBackend(CSerialService& serial, const QString& backend) {
    if (backend == kPty) {
        serial.setPortOverrides({{kPtyPort, m_link}});
        serial.setCOM_Number(kPtyPort);
    } else {
        serial.setBuiltInPortFactory(m_builtIn.portFactory());
        serial.setCOM_Number(0);
        m_builtIn.image()->write(650, 0);
    }
}

std::optional<QList<qint16>> TestE2eEngine::controllerRegisters(const QString& backend, int reg, int count) {
    if (backend == kPty) {
        const auto values = m_sim->registers(reg, count);
        if (!values) return std::nullopt;
        return asSigned(*values);
    }
    QList<qint16> out;
    for (int r = reg; r < reg + count; ++r) {
        const auto v = m_builtIn.image()->value(r);
        if (!v) return std::nullopt;
        out.append(static_cast<qint16>(*v));
    }
    return out;
}

// ---------------------------------------------------------------------------------------------------
// Serial service contract

void TestE2eEngine::emptyReceiveBufferLeavesNothing_data() {
    QTest::addColumn<QString>("backend");
    QTest::newRow("pty") << kPty;
    QTest::newRow("simulated") << kSimulated;
}

void TestE2eEngine::emptyReceiveBufferLeavesNothing() {
    QFETCH(QString, backend);
    REQUIRE_BACKEND(backend);
    CSerialService serial;
    useBackend(serial, backend);
    QVERIFY(serial.COM_OpenPort());
    QVERIFY(serial.COM_ReceiveBufferIsEmpty());

    // A whole reply (5 + 2 x 14 bytes) waits; nothing else is on its way.
    serial.COM_Send(readRequest(2, 14));
    QTRY_COMPARE(serial.bytesWaiting(), qint64(33));
    QVERIFY(!serial.COM_ReceiveBufferIsEmpty());
    serial.COM_EmptyReceiveBuffer();
    QVERIFY(serial.COM_ReceiveBufferIsEmpty());
    QCOMPARE(serial.bytesWaiting(), qint64(0));

    // Emptying discards only what was there: the next reply arrives whole.
    serial.COM_Send(readRequest(2, 1));
    QTRY_COMPARE(serial.bytesWaiting(), qint64(7));
    QByteArray got;
    while (!serial.COM_ReceiveBufferIsEmpty()) got.append(static_cast<char>(serial.COM_Receive()));
    const auto expected = controllerRegisters(backend, 2, 1);
    QVERIFY(expected);
    QCOMPARE(got.toHex(' '), testframes::readReply(0, {expected->at(0)}).toHex(' '));
    QVERIFY_THROWS_EXCEPTION(IndexOutOfRangeError, (void)serial.COM_Receive());
}

void TestE2eEngine::sendKeepsEveryByte_data() {
    QTest::addColumn<QString>("backend");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("value");
    // 8-byte write frames carrying the bytes a cooked line would eat or translate: NUL and ^Z (0x00,
    // 0x1A), CR LF, XON/XOFF, and all-ones.
    const QList<QPair<const char*, QPair<int, int>>> frames = {
        {"00 1A", {45, 0x001A}}, {"0D 0A", {46, 0x0D0A}}, {"11 13", {47, 0x1113}}, {"FF 7F", {48, 0xFF7F}}};
    for (const QString& backend : {kPty, kSimulated}) {
        for (const auto& f : frames) {
            QTest::addRow("%s %s", qPrintable(backend), f.first)
                << backend << f.second.first << f.second.second;
        }
    }
}

void TestE2eEngine::sendKeepsEveryByte() {
    QFETCH(QString, backend);
    QFETCH(int, reg);
    QFETCH(int, value);
    REQUIRE_BACKEND(backend);
    CSerialService serial;
    useBackend(serial, backend);
    QVERIFY(serial.COM_OpenPort());

    const QByteArray frame = writeSingleRequest(reg, static_cast<quint16>(value));
    QCOMPARE(frame.size(), 8);
    serial.COM_Send(frame);
    // The controller only answers a frame whose CRC holds, and its answer to function 6 is the request
    // itself: an altered byte on the way out or back shows as a missing or different echo.
    QTRY_COMPARE(serial.bytesWaiting(), qint64(8));
    QByteArray echo;
    while (!serial.COM_ReceiveBufferIsEmpty()) echo.append(static_cast<char>(serial.COM_Receive()));
    QCOMPARE(echo.toHex(' '), frame.toHex(' '));
    const auto stored = controllerRegisters(backend, reg, 1);
    QVERIFY(stored);
    QCOMPARE(static_cast<quint16>(stored->at(0)), static_cast<quint16>(value));
}

void TestE2eEngine::initializeClosesOpenPort_data() { emptyReceiveBufferLeavesNothing_data(); }

void TestE2eEngine::initializeClosesOpenPort() {
    QFETCH(QString, backend);
    REQUIRE_BACKEND(backend);
    CSerialService serial;
    useBackend(serial, backend);
    QVERIFY(serial.COM_OpenPort());
    QVERIFY(serial.COM_IsOpen());

    serial.COM_Initialize();
    QVERIFY(!serial.COM_IsOpen());
    QCOMPARE(serial.COM_Number(), qint16(1));
    QVERIFY(!serial.COM_ClosePort());  // already closed: a failure, reported as False
    QVERIFY(simulatedPort(serial) == nullptr);
    // The device mapping is configuration, not port state: it survives.
    QCOMPARE(serial.portOverrides().isEmpty(), backend != kPty);
    QVERIFY_THROWS_EXCEPTION(ComponentError, serial.COM_Send(readRequest(2, 1)));
}

void TestE2eEngine::numberChangeTakesEffectAtNextOpen() {
    if (!m_sim) QSKIP("m852-sim is not available here");
    CSerialService serial;
    useBackend(serial, kSimulated);
    QVERIFY(serial.COM_OpenPort());
    QVERIFY(simulatedPort(serial) != nullptr);

    useBackend(serial, kPty);  // while open: only the number changes
    QVERIFY(serial.COM_IsOpen());
    QCOMPARE(serial.COM_Number(), qint16(kPtyPort));
    QVERIFY(simulatedPort(serial) != nullptr);
    QVERIFY(!serial.COM_OpenPort());  // already open
    QVERIFY(serial.COM_IsOpen());

    QVERIFY(serial.COM_ClosePort());
    QVERIFY(serial.COM_OpenPort());
    QVERIFY(simulatedPort(serial) == nullptr);
    serial.COM_Send(readRequest(2, 1));
    QTRY_COMPARE(serial.bytesWaiting(), qint64(7));
}

void TestE2eEngine::comNumberRoundTrip_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("3") << 3 << true;
    QTest::newRow("12") << 12 << true;
    QTest::newRow("0 simulated controller") << 0 << true;
    QTest::newRow("highest") << CSerialService::maxPortNumber() << true;
    QTest::newRow("-1") << -1 << false;
    QTest::newRow("past highest") << CSerialService::maxPortNumber() + 1 << false;
    QTest::newRow("-32768") << -32768 << false;
}

void TestE2eEngine::comNumberRoundTrip() {
    QFETCH(int, number);
    QFETCH(bool, accepted);
    CSerialService serial;
    serial.setCOM_Number(7);
    if (accepted) {
        serial.setCOM_Number(static_cast<qint16>(number));
        QCOMPARE(serial.COM_Number(), qint16(number));
    } else {
        try {
            serial.setCOM_Number(static_cast<qint16>(number));
            QFAIL("the number was accepted");
        } catch (const ComponentError& e) {
            QCOMPARE(e.number(), kSerialErrorInvalidPort);
        }
        QCOMPARE(serial.COM_Number(), qint16(7));
    }
}

void TestE2eEngine::openFailsCleanly_data() {
    QTest::addColumn<QString>("override");  // device mapped to kPtyPort; empty: none
    QTest::addColumn<int>("kind");
    const QString missing = m_dir.filePath(QStringLiteral("no-such-tty"));
    QTest::newRow("mapped device missing") << missing << int(CSerialService::OpenFailureKind::NoSuchDevice);
    QTest::newRow("number without a device")
        << QString() << int(CSerialService::OpenFailureKind::NoSuchDevice);
#ifdef Q_OS_UNIX
    QFile plain(m_dir.filePath(QStringLiteral("plain-file")));
    if (plain.open(QIODevice::WriteOnly)) plain.write("not a terminal");
    QTest::newRow("not a serial device") << plain.fileName() << int(CSerialService::OpenFailureKind::Other);
#endif
}

void TestE2eEngine::openFailsCleanly() {
    QFETCH(QString, override);
    QFETCH(int, kind);
    CSerialService serial;
    if (!override.isEmpty()) serial.setPortOverrides({{kPtyPort, override}});
    serial.setCOM_Number(kPtyPort);
    QVERIFY(!serial.COM_OpenPort());
    QVERIFY(!serial.COM_IsOpen());
    QCOMPARE(int(serial.lastOpenFailure().kind), kind);
    QVERIFY(serial.lastOpenFailure().message.contains(QStringLiteral("COM%1").arg(kPtyPort)));
    // Nothing half-open is left behind: the closed-port operations behave as on a closed port.
    QVERIFY(serial.COM_ReceiveBufferIsEmpty());
    serial.COM_EmptyReceiveBuffer();
    QVERIFY(!serial.COM_ClosePort());
}

void TestE2eEngine::busyPortIsReportedInUse() {
    if (!m_sim) QSKIP("m852-sim is not available here");
    CSerialService first;
    useBackend(first, kPty);
    QVERIFY(first.COM_OpenPort());
    CSerialService second;
    useBackend(second, kPty);
    QVERIFY(!second.COM_OpenPort());
    QVERIFY(!second.COM_IsOpen());
    QCOMPARE(second.lastOpenFailure().kind, CSerialService::OpenFailureKind::InUse);
    QVERIFY(first.COM_IsOpen());
    QVERIFY(first.COM_ClosePort());
    QVERIFY(second.COM_OpenPort());
}

void TestE2eEngine::detectPortsNamesMappedDevices() {
    if (!m_sim) QSKIP("m852-sim is not available here");
    const QString missing = m_dir.filePath(QStringLiteral("no-such-tty"));
    const QList<CSerialService::PortInfo> ports =
        CSerialService::detectPorts({{kPtyPort, m_link}, {kPtyPort + 1, missing}});
    QVERIFY(!ports.isEmpty());
    QCOMPARE(ports.first().number, 0);  // the simulated controller is always offered
    QVERIFY(ports.first().device.isEmpty());
    // The pseudo-terminal is no serial port the system lists, but it is mapped and exists.
    const auto mapped = std::find_if(ports.cbegin(), ports.cend(),
                                     [](const CSerialService::PortInfo& p) { return p.number == kPtyPort; });
    QVERIFY(mapped != ports.cend());
    const auto real = [](const QString& path) { return QFileInfo(path).canonicalFilePath(); };
    QCOMPARE(real(mapped->device), real(m_link));
    QVERIFY(std::none_of(ports.cbegin(), ports.cend(),
                         [](const CSerialService::PortInfo& p) { return p.number == kPtyPort + 1; }));
    for (const CSerialService::PortInfo& p : ports) {
        if (p.number > 0) {
            CSerialService serial;
            serial.setPortOverrides({{kPtyPort, m_link}});
            QCOMPARE(real(serial.deviceForPort(p.number)),
                     real(p.device));  // each number opens what was listed
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// The engine

void TestE2eEngine::pollsBlocksInRotation_data() { emptyReceiveBufferLeavesNothing_data(); }

void TestE2eEngine::pollsBlocksInRotation() {
    QFETCH(QString, backend);
    REQUIRE_BACKEND(backend);
    Engine e;
    useBackend(e.loop.serial(), backend);
    // The longest exchange below (100 registers: 8 + 205 bytes) takes 37 ms of line plus 2 ms latency.
    e.loop.setReadScanRate(60);
    // Two blocks of one group and a 100-register block of another, all polled.
    e.queue(3, 3, 2, 14, true);
    e.queue(3, 3, 22, 8, true);
    e.queue(9, 3, 150, 100, true);
    QVERIFY(e.manager.Connect());
    QVERIFY(e.loop.isScanning());
    QTRY_VERIFY_WITH_TIMEOUT(e.replies.size() >= 9, 20000);
    QVERIFY(e.manager.Disconnect());
    QVERIFY(!e.loop.isScanning());

    QSet<int> starts;
    for (const Reply& r : std::as_const(e.replies)) {
        starts.insert(r.start);
        const auto expected = controllerRegisters(backend, r.start, int(r.values.size()));
        QVERIFY(expected);
        QCOMPARE(r.values, *expected);
        QCOMPARE(r.winId, r.start == 150 ? 9 : 3);
    }
    QCOMPARE(starts, (QSet<int>{2, 22, 150}));
    QCOMPARE(e.manager.queueSize(), qint16(3));  // polls go back into the queue
}

void TestE2eEngine::writeReachesController_data() {
    QTest::addColumn<QString>("backend");
    QTest::addColumn<int>("function");
    QTest::addColumn<QList<qint16>>("values");
    for (const QString& backend : {kPty, kSimulated}) {
        QTest::addRow("%s 16", qPrintable(backend)) << backend << 16 << QList<qint16>{101, 93, 88, -2};
        QTest::addRow("%s 6", qPrintable(backend)) << backend << 6 << QList<qint16>{-7};
    }
}

void TestE2eEngine::writeReachesController() {
    QFETCH(QString, backend);
    QFETCH(int, function);
    QFETCH(QList<qint16>, values);
    REQUIRE_BACKEND(backend);
    Engine e;
    useBackend(e.loop.serial(), backend);
    e.loop.setReadScanRate(30);
    e.loop.setWriteScanRate(30);
    constexpr int kFirst = 50;  // Source E voltage setpoints: plain stored values
    e.queue(5, 3, kFirst, 5, true);
    QVERIFY(e.manager.Connect());
    QTRY_VERIFY_WITH_TIMEOUT(e.repliesFor(5) >= 1, 10000);

    e.queue(6, function, kFirst, int(values.size()), false, values);
    QTRY_VERIFY_WITH_TIMEOUT(e.repliesFor(6) == 1, 10000);
    const qsizetype afterWrite = e.replies.size();
    // The next poll of the block shows what the controller now holds.
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(e.replies.cbegin() + afterWrite, e.replies.cend(),
                                         [](const Reply& r) { return r.winId == 5; }),
                             10000);
    QVERIFY(e.manager.Disconnect());

    const auto stored = controllerRegisters(backend, kFirst, int(values.size()));
    QVERIFY(stored);
    QCOMPARE(*stored, values);
    const auto lastPoll =
        std::find_if(e.replies.crbegin(), e.replies.crend(), [](const Reply& r) { return r.winId == 5; });
    QCOMPARE(lastPoll->values.mid(0, values.size()), values);
    QCOMPARE(e.repliesFor(6), 1);  // a write is sent once
}

void TestE2eEngine::faultRunDeliversOnlyIntactReplies() {
    // The built-in port on a clock the test advances: 1000 ticks run in well under a second, with the
    // bytes paced exactly as on the line, and the same faults every run (seeded).
    Engine e;
    CSerialService& serial = e.loop.serial();
    useBackend(serial, kSimulated);
    sim::FaultConfig faults;
    faults.latencyMs = 2;
    faults.paced = true;
    faults.dropProbability = 0.10;
    faults.crcCorruptProbability = 0.05;
    faults.strayProbability = 0.05;
    faults.seed = 20240612;
    m_builtIn.setFaults(faults);
    // 100 registers: 8 + 205 bytes = 37 ms of line plus 2 ms latency and up to 4 stray bytes.
    e.loop.setReadScanRate(45);
    const QMap<qint16, QPair<int, int>> blocks = {{3, {2, 14}}, {4, {22, 8}}, {9, {150, 100}}};
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it)
        e.queue(it.key(), 3, it.value().first, it.value().second, true);

    QVERIFY(e.manager.Connect());
    e.loop.StopScan();  // ticks by hand, on the test's clock
    qint64 nowNs = 0;
    simulatedPort(serial)->setTimeSource([&nowNs] { return nowNs; });

    int wrong = 0;
    e.onReply = [&](const Reply& r) {
        const auto block = blocks.value(static_cast<qint16>(r.winId));
        QList<qint16> expected;
        for (int reg = block.first; reg < block.first + block.second; ++reg)
            expected.append(static_cast<qint16>(m_builtIn.image()->valueOr(reg, 0xDEAD)));
        if (r.start != block.first || r.values != expected) ++wrong;
    };

    constexpr int kTicks = 1000;
    for (int i = 0; i < kTicks; ++i) {
        e.loop.tick();
        nowNs += qint64(e.loop.interval()) * 1'000'000;
    }
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it) e.manager.RemoveMsgs(it.key());
    e.loop.tick();  // collects the reply to the last request and sends nothing

    const auto& stats = simulatedPort(serial)->faultStats();
    QCOMPARE(stats.replies, qint64(kTicks));
    QVERIFY(stats.dropped > 0 && stats.crcCorrupted > 0 && stats.withStray > 0);
    QCOMPARE(wrong, 0);
    // Every reply that left the controller whole with a correct CRC and no bytes in front of it was
    // delivered; nothing else was (stray bytes after a reply are ignored, so those may be delivered).
    const qint64 intact = stats.replies - stats.dropped - stats.crcCorrupted;
    QVERIFY2(e.replies.size() <= intact,
             qPrintable(QStringLiteral("%1 > %2").arg(e.replies.size()).arg(intact)));
    QVERIFY2(e.replies.size() >= intact - stats.withStray,
             qPrintable(QStringLiteral("%1 < %2").arg(e.replies.size()).arg(intact - stats.withStray)));
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it) QVERIFY(e.repliesFor(it.key()) > 0);
}

void TestE2eEngine::lateRepliesStayOutOfOtherWindows() {
    // The controller answers 60 ms after each request and the scan rate is 50 ms, so every reply
    // lands in the interval of the request after its own. Three polled blocks of different lengths
    // and two kinds of write take turns. A reply is taken only where nothing tells it apart from
    // the answer to the request of that interval: a read reply at least as long as the read, an echo
    // with the function and address of the write. Register r holds 1000 + r, so the values
    // delivered name the register they came from.
    Engine e;
    CSerialService& serial = e.loop.serial();
    useBackend(serial, kSimulated);
    sim::FaultConfig faults;
    faults.latencyMs = 60;
    faults.paced = true;
    m_builtIn.setFaults(faults);
    e.loop.setReadScanRate(50);
    e.loop.setWriteScanRate(50);

    struct Block {
        int start;
        int count;
    };
    // WinID -> block. The writes: 16 to 40..42 (WinID 7), 6 to 45 (WinID 8).
    const QMap<qint32, Block> reads = {{1, {60, 4}}, {2, {70, 12}}, {3, {85, 8}}};
    for (auto it = reads.cbegin(); it != reads.cend(); ++it) {
        for (int r = it->start; r < it->start + it->count; ++r)
            QVERIFY(m_builtIn.image()->set(r, static_cast<quint16>(1000 + r)));
        e.queue(static_cast<qint16>(it.key()), 3, it->start, it->count, true);
    }

    QVERIFY(e.manager.Connect());
    e.loop.StopScan();  // ticks by hand, on the test's clock
    qint64 nowNs = 0;
    simulatedPort(serial)->setTimeSource([&nowNs] { return nowNs; });

    int own = 0;          // a window got its own block's values (never, every reply being late)
    int longerBlock = 0;  // a longer block's reply, taken by the length rule (cannot be told apart)
    int echoes = 0;       // write windows that got an echo of their own function and address
    QStringList wrong;
    QSet<qint16> written6;  // every value written to 45 so far
    e.onReply = [&](const Reply& r) {
        if (r.winId == 7 || r.winId == 8) {
            // An echo names its function's register; a 6 echo also carries the value it wrote.
            if (r.start == (r.winId == 7 ? 40 : 45) && (r.winId == 7 || written6.contains(r.values.value(0))))
                ++echoes;
            else
                wrong << QStringLiteral("write %1 got start %2").arg(r.winId).arg(r.start);
            return;
        }
        const Block mine = reads.value(r.winId);
        const int from = r.values.value(0) - 1000;  // the register the first value came from
        bool consistent = true;                     // the values are a run of registers starting at `from`
        for (int i = 0; i < r.values.size(); ++i) consistent &= r.values.at(i) == 1000 + from + i;
        const auto source =
            std::find_if(reads.cbegin(), reads.cend(), [from](const Block& b) { return b.start == from; });
        if (consistent && from == mine.start && r.start == mine.start) {
            ++own;
        } else if (consistent && source != reads.cend() && source->count > mine.count) {
            ++longerBlock;
        } else {
            wrong << QStringLiteral("block %1 got values from register %2").arg(mine.start).arg(from);
        }
    };

    constexpr int kTicks = 600;
    for (int i = 0; i < kTicks; ++i) {
        // Every 7th tick a write of 16, every 11th one of 6, each to the back of the queue.
        if (i % 7 == 3) e.queue(7, 16, 40, 3, false, {static_cast<qint16>(i), static_cast<qint16>(-i), 5});
        if (i % 11 == 5) {
            written6.insert(static_cast<qint16>(3 * i));
            e.queue(8, 6, 45, 1, false, {static_cast<qint16>(3 * i)});
        }
        e.loop.tick();
        nowNs += qint64(e.loop.interval()) * 1'000'000;
    }

    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 5).join(QStringLiteral("; "))));
    QCOMPARE(own, 0);
    // The only late replies that get through: the 12-register block's into the 8-register block's
    // interval and the 8-register block's into the 4-register block's, as often as the rotation
    // puts them there; and write echoes following a write of the same kind and address.
    QVERIFY(longerBlock > 0);
    for (auto it = reads.cbegin(); it != reads.cend(); ++it) {
        for (int r = it->start; r < it->start + it->count; ++r)
            QCOMPARE(m_builtIn.image()->valueOr(r), quint16(1000 + r));
    }
    qInfo("600 ticks: %d replies taken (%d from a longer block, %d write echoes)", int(e.replies.size()),
          longerBlock, echoes);
}

void TestE2eEngine::vanishingDeviceClosesCleanly() {
#ifndef M852_SIM_PROGRAM
    QSKIP("m852-sim is not available here");
#else
    const QString link = m_dir.filePath(QStringLiteral("m852-vanishing"));
    sim::SimProcess doomed(QStringLiteral(M852_SIM_PROGRAM));
    QVERIFY2(doomed.start({QStringLiteral("--link"), link}), qPrintable(doomed.errorString()));

    Engine e;
    CSerialService& serial = e.loop.serial();
    serial.setPortOverrides({{kPtyPort, link}});
    serial.setCOM_Number(kPtyPort);
    e.loop.setReadScanRate(20);
    e.queue(3, 3, 2, 14, true);
    QVERIFY(e.manager.Connect());
    QTRY_VERIFY_WITH_TIMEOUT(e.replies.size() >= 2, 10000);

    // The controller goes away with the port open and the scan running (its pseudo-terminal hangs up
    // and its device node and link disappear, as a pulled USB adapter's do).
    QSignalSpy lost(&serial, &CSerialService::portLost);
    doomed.stop();
    QVERIFY(lost.wait(10000));
    QVERIFY(!lost.first().at(0).toString().isEmpty());
    QVERIFY(!serial.COM_IsOpen());
    QVERIFY(!e.manager.IsConnected());
    QVERIFY(!e.loop.isScanning());

    // Everything the engine can still do to the port is harmless.
    const qsizetype repliesBefore = e.replies.size();
    e.manager.SendMsg();
    e.loop.tick();
    QVERIFY(serial.COM_ReceiveBufferIsEmpty());
    serial.COM_EmptyReceiveBuffer();
    QVERIFY_THROWS_EXCEPTION(ComponentError, serial.COM_Send(readRequest(2, 1)));
    QCOMPARE(e.replies.size(), repliesBefore);
    QCOMPARE(e.manager.queueSize(), qint16(1));

    // Reconnecting fails like any missing port.
    QVERIFY(!e.manager.Connect());
    QCOMPARE(serial.lastOpenFailure().kind, CSerialService::OpenFailureKind::NoSuchDevice);
    QVERIFY(!e.loop.isScanning());
#endif
}

void TestE2eEngine::automaticScanRateAgainstSimulator_data() {
    QTest::addColumn<QStringList>("faults");  // m852-sim options
    QTest::newRow("clean line") << QStringList{};
    QTest::newRow("drops and bad CRC")
        << QStringList{QStringLiteral("--drop"), QStringLiteral("0.1"),    QStringLiteral("--crc"),
                       QStringLiteral("0.1"),    QStringLiteral("--seed"), QStringLiteral("16")};
}

void TestE2eEngine::automaticScanRateAgainstSimulator() {
    // A controller of its own that answers 10 ms after each request, bytes paced at 57600 baud, and
    // three blocks of very different wire times (41, 29 and 213 characters) in turn.
    QFETCH(QStringList, faults);
#ifndef M852_SIM_PROGRAM
    QSKIP("m852-sim is not available here");
#else
    const QString link = m_dir.filePath(QStringLiteral("m852-auto"));
    sim::SimProcess simulator(QStringLiteral(M852_SIM_PROGRAM));
    QVERIFY2(
        simulator.start(QStringList{QStringLiteral("--link"), link, QStringLiteral("--latency"),
                                    QStringLiteral("10"), QStringLiteral("--set"), QStringLiteral("650=0")} +
                        faults),
        qPrintable(simulator.errorString()));
    Engine e;
    e.loop.serial().setPortOverrides({{kPtyPort, link}});
    e.loop.serial().setCOM_Number(kPtyPort);
    e.loop.setAutomaticScanRate(true);
    const QMap<qint16, QPair<int, int>> blocks = {{3, {2, 14}}, {4, {22, 8}}, {9, {150, 100}}};
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it)
        e.queue(it.key(), 3, it.value().first, it.value().second, true);
    QList<int> intervals;  // the interval chosen for each exchange, in the order sent
    QObject::connect(&e.loop, &CScanLoop::frameSent, [&] { intervals.append(e.loop.lastIntervalMs()); });

    constexpr int kPolls = 300;
    QVERIFY(e.manager.Connect());
    QTRY_VERIFY_WITH_TIMEOUT(intervals.size() >= kPolls, 300000);
    QVERIFY(e.manager.Disconnect());
    const qsizetype sent = intervals.size();
    const qsizetype lost = sent - 1 - e.replies.size();  // the last request's reply was never collected

    // Nothing wrong is ever delivered, and every block keeps arriving.
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it) {
        const auto expected = simulator.registers(it.value().first, it.value().second);
        QVERIFY(expected);
        for (const Reply& r : std::as_const(e.replies)) {
            if (r.winId == it.key()) QCOMPARE(r.values, asSigned(*expected));
        }
        QVERIFY(e.repliesFor(it.key()) > 0);
    }
    // The waits are the exchanges' own, well below the fixed 500 ms, and faults do not leave them
    // at that bound: over the last third of the run most are far below it.
    QList<int> tail = intervals.mid(sent * 2 / 3);
    std::sort(tail.begin(), tail.end());
    QVERIFY2(tail.at(tail.size() / 2) < CScanLoop::kDefaultScanRate / 2,
             qPrintable(QStringLiteral("median interval %1 ms").arg(tail.at(tail.size() / 2))));

    if (faults.isEmpty()) {
        // A wrong wire time or margin would lose a block on every turn (a third of the polls or
        // more). What a loaded computer can still cost is a reply the simulator itself sends later
        // than it ever did before; the engine can only back off after it. Such losses stay rare.
        QVERIFY2(lost <= std::max<qsizetype>(3, sent / 20),
                 qPrintable(QStringLiteral("%1 of %2 replies lost").arg(lost).arg(sent)));
    } else {
        QVERIFY(lost > 0);  // the faults were there
    }
    simulator.stop();
#endif
}

// ---------------------------------------------------------------------------------------------------
// field-console-cli

TestE2eEngine::CliResult TestE2eEngine::runCli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(FIELD_CONSOLE_CLI), args);
    CliResult r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

void TestE2eEngine::cliReads_data() { emptyReceiveBufferLeavesNothing_data(); }

void TestE2eEngine::cliReads() {
    QFETCH(QString, backend);
    REQUIRE_BACKEND(backend);
    const QStringList where = backend == kPty ? QStringList{QStringLiteral("--device"), m_link}
                                              : QStringList{QStringLiteral("--port"), QStringLiteral("0")};
    const CliResult r =
        runCli(where + QStringList{QStringLiteral("--scan-rate"), QStringLiteral("50"),
                                   QStringLiteral("read"), QStringLiteral("2"), QStringLiteral("14")});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));

    // The CLI's simulated controller is a fresh image of its own; the source values are fixed.
    QList<qint16> expected;
    if (backend == kPty) {
        const auto values = m_sim->registers(2, 14);
        QVERIFY(values);
        expected = asSigned(*values);
    } else {
        const sim::M852Image image;
        for (int reg = 2; reg < 16; ++reg) expected.append(static_cast<qint16>(image.valueOr(reg)));
    }
    QStringList lines;
    for (int i = 0; i < 14; ++i) lines.append(QStringLiteral("%1 %2").arg(2 + i).arg(expected.at(i)));
    QCOMPARE(r.out, lines);
    QCOMPARE(r.err.contains(QStringLiteral("simulated controller")), backend == kSimulated);
}

void TestE2eEngine::cliWritesAndRepeats() {
    if (!m_sim) QSKIP("m852-sim is not available here");
    const QStringList common{QStringLiteral("--device"), m_link, QStringLiteral("--scan-rate"),
                             QStringLiteral("60")};

    CliResult r =
        runCli(common + QStringList{QStringLiteral("write"), QStringLiteral("55"), QStringLiteral("103"),
                                    QStringLiteral("65535"), QStringLiteral("-96")});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out,
             (QStringList{QStringLiteral("55 103"), QStringLiteral("56 -1"), QStringLiteral("57 -96")}));
    r = runCli(common + QStringList{QStringLiteral("write"), QStringLiteral("--single"), QStringLiteral("58"),
                                    QStringLiteral("91")});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out, QStringList{QStringLiteral("58 91")});
    QCOMPARE(m_sim->registers(55, 4), (QList<quint16>{103, 65535, 65440, 91}));

    r = runCli(common + QStringList{QStringLiteral("read"), QStringLiteral("55"), QStringLiteral("4"),
                                    QStringLiteral("--repeat"), QStringLiteral("12")});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out, (QStringList{QStringLiteral("55 103"), QStringLiteral("56 -1"), QStringLiteral("57 -96"),
                                 QStringLiteral("58 91"), QStringLiteral("sent 12, valid 12, lost 0")}));
}

void TestE2eEngine::cliFailures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString missing = m_dir.filePath(QStringLiteral("no-such-tty"));
    const auto row = [](const char* name, const QStringList& args, int code, const char* message) {
        QTest::newRow(name) << args << code << QString::fromLatin1(message);
    };
    row("missing device", {"--device", missing, "read", "1", "1"}, 3, "no such device");
#ifndef Q_OS_WIN
    // A bare device name is looked up under /dev, not in the working directory.
    row("bare device name", {"--device", "ttyUSB31", "read", "1", "1"}, 3,
        "COM64 (/dev/ttyUSB31): no such device");
#endif
    row("no valid reply (exception replies)", {"--tries", "2", "--scan-rate", "20", "read", "5000", "2"}, 1,
        "no valid reply from the simulated controller (port 0) after 2 tries");
    row("no echo (exception replies)", {"--tries", "2", "--scan-rate", "20", "write", "5000", "1"}, 1,
        "no echo");
    row("register 0", {"read", "0", "1"}, 2, "START must be");
    row("count 126", {"read", "1", "126"}, 2, "COUNT must be from 1 to 125");
    row("value too large", {"write", "45", "65536"}, 2, "VALUE must be");
    row("single with two values", {"write", "--single", "45", "1", "2"}, 2, "exactly one VALUE");
    row("port and device", {"--port", "1", "--device", "/dev/null", "read", "1", "1"}, 2, "not both");
    row("port out of range", {"--port", "256", "read", "1", "1"}, 2, "--port must be");
    row("scan rate 0", {"--scan-rate", "0", "read", "1", "1"}, 2, "--scan-rate must be");
    row("scan rate neither auto nor a number", {"--scan-rate", "automatic", "read", "1", "1"}, 2,
        "--scan-rate must be auto or");
    row("unknown command", {"erase", "1"}, 2, "unknown command");
    row("repeat on write", {"write", "45", "1", "--repeat", "2"}, 2, "unknown option --repeat");
    row("resend of the command register", {"write", "--resend", "--single", "1350", "4"}, 2,
        "--resend is refused for register 1350");
    row("resend of a block holding it", {"write", "1348", "0", "0", "4", "--resend"}, 2,
        "--resend is refused for register 1350");
    row("each on write", {"write", "45", "1", "--each"}, 2, "unknown option --each");
    row("resend on read", {"read", "45", "1", "--resend"}, 2, "unknown option --resend");
}

void TestE2eEngine::cliFailures() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const CliResult r = runCli(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    if (exitCode == 2) QVERIFY(r.out.isEmpty());
}

void TestE2eEngine::cliEachPoll_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines");
    const sim::M852Image image;  // the CLI's simulated controller starts from the same contents
    QString values;
    for (int reg = 2; reg < 5; ++reg) values += QStringLiteral(" %1").arg(qint16(image.valueOr(reg)));
    QTest::newRow("every poll answered")
        << QStringList{"--scan-rate", "20", "read", "2", "3", "--repeat", "3", "--each"} << 0
        << QStringList{"1 ok" + values, "2 ok" + values, "3 ok" + values, "sent 3, valid 3, lost 0"};
    QTest::newRow("automatic scan rate")
        << QStringList{"--scan-rate", "auto", "read", "2", "3", "--repeat", "3", "--each"} << 0
        << QStringList{"1 ok" + values, "2 ok" + values, "3 ok" + values, "sent 3, valid 3, lost 0"};
    // An unmapped register is answered with an exception: every poll is lost.
    QTest::newRow("every poll lost") << QStringList{"--scan-rate", "20", "--tries",  "5", "read",
                                                    "5000",        "2",  "--repeat", "3", "--each"}
                                     << 1
                                     << QStringList{"1 lost", "2 lost", "3 lost", "sent 3, valid 0, lost 3"};
    QTest::newRow("without --repeat: polls until one is answered")
        << QStringList{"--scan-rate", "20", "read", "--each", "2", "3"} << 0 << QStringList{"1 ok" + values};
}

void TestE2eEngine::cliEachPoll() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);
    const CliResult r = runCli(args);
    QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
    QCOMPARE(r.out, lines);
}

void TestE2eEngine::cliTrace_data() {
    QTest::addColumn<QStringList>("simArgs");  // m852-sim's options; empty: the built-in port 0
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("reply");  // the reply's hex, as a pattern
    const QStringList read{"--scan-rate", "30", "read", "2", "3", "--repeat", "4", "--trace"};
    QTest::newRow("valid") << QStringList{} << read << "sent 4, valid 4, lost 0"
                           << "valid"
                           << "00 03 06( [0-9A-F]{2}){8}";
    QTest::newRow("exception") << QStringList{}
                               << QStringList{"--trace", "--scan-rate", "30", "--tries",  "9",
                                              "read",    "5000",        "2",  "--repeat", "4"}
                               << "sent 4, valid 0, lost 4"
                               << "exception 2"
                               << "00 83 02 [0-9A-F]{2} [0-9A-F]{2}";
    QTest::newRow("no reply") << QStringList{"--drop", "1", "--no-pacing"}
                              << QStringList{"--scan-rate", "30", "--tries", "9",        "--trace",
                                             "read",        "2",  "3",       "--repeat", "4"}
                              << "sent 4, valid 0, lost 4"
                              << "no reply"
                              << "-";
}

// --trace: one line per exchange on stderr, in the monitor's terms; stdout as without it.
void TestE2eEngine::cliTrace() {
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, args);
    QFETCH(QString, summary);
    QFETCH(QString, outcome);
    QFETCH(QString, reply);
    std::unique_ptr<sim::SimProcess> sim;
    QStringList where{QStringLiteral("--port"), QStringLiteral("0")};
    if (!simArgs.isEmpty()) {
#ifndef M852_SIM_PROGRAM
        QSKIP("m852-sim is not available here");
#else
        const QString link = m_dir.filePath(QStringLiteral("m852-trace"));
        sim = std::make_unique<sim::SimProcess>(QStringLiteral(M852_SIM_PROGRAM));
        QVERIFY2(sim->start(QStringList{QStringLiteral("--link"), link} + simArgs),
                 qPrintable(sim->errorString()));
        where = QStringList{QStringLiteral("--device"), link};
#endif
    }
    const CliResult r = runCli(where + args);
    QCOMPARE(r.out.value(r.out.size() - 1), summary);

    const QRegularExpression line(QStringLiteral(
        "^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} WinID 40 fn 3 start (\\d+) count (\\d+) (.+) "
        "\\d+\\.\\d ms interval 30 ms( latency \\d+\\.\\d ms)? 00 03( [0-9A-F]{2}){6} > (.+)$"));
    int traced = 0;
    for (const QString& l : r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (l.startsWith(QLatin1String("field-console-cli:"))) continue;  // the session's own notes
        const QRegularExpressionMatch m = line.match(l);
        QVERIFY2(m.hasMatch(), qPrintable(l));
        QCOMPARE(m.captured(3), outcome);
        // A whole reply has its latency measured; a missing one, or an exception reply (shorter than
        // the reply asked for), has none.
        QVERIFY2(m.hasCaptured(4) == (outcome == QLatin1String("valid")), qPrintable(l));
        QVERIFY2(
            QRegularExpression(QLatin1Char('^') + reply + QLatin1Char('$')).match(m.captured(6)).hasMatch(),
            qPrintable(l));
        ++traced;
    }
    QCOMPARE(traced, 4);
}

void TestE2eEngine::cliWritesOnceToSlowController_data() {
    QTest::addColumn<QStringList>("write");
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("reg");
    QTest::addColumn<bool>("resend");
    // 1350 is the command register: 0 commands nothing, but the controller sees every write of it.
    QTest::newRow("command register, function 6")
        << QStringList{"--single", "1350", "0"} << 6 << 1350 << false;
    QTest::newRow("function 16") << QStringList{"60", "7", "8"} << 16 << 60 << false;
    QTest::newRow("function 16 with --resend")
        << QStringList{"--resend", "60", "9", "10"} << 16 << 60 << true;
}

void TestE2eEngine::cliWritesOnceToSlowController() {
#ifndef M852_SIM_PROGRAM
    QSKIP("m852-sim is not available here");
#else
    QFETCH(QStringList, write);
    QFETCH(int, function);
    QFETCH(int, reg);
    QFETCH(bool, resend);
    // The controller answers 150 ms after a request; the CLI's scan interval is 50 ms, so the echo
    // comes three intervals late. Its bytes go out at once (not paced), so no tick can cut the echo in
    // two, which would lose it (a write sent once then ends without its echo); 20 intervals leave room
    // for a busy machine.
    const QString link = m_dir.filePath(QStringLiteral("m852-slow"));
    const QString log = m_dir.filePath(QStringLiteral("slow-%1.jsonl").arg(QTest::currentDataTag()));
    sim::SimProcess slow(QStringLiteral(M852_SIM_PROGRAM));
    QVERIFY2(slow.start({QStringLiteral("--link"), link, QStringLiteral("--latency"), QStringLiteral("150"),
                         QStringLiteral("--no-pacing"), QStringLiteral("--log"), log}),
             qPrintable(slow.errorString()));

    const CliResult r =
        runCli(QStringList{"--device", link, "--scan-rate", "50", "--tries", "20", "write"} + write);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    slow.stop();

    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    int copies = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        QCOMPARE(o.value(QStringLiteral("function")).toInt(), function);
        QCOMPARE(o.value(QStringLiteral("start")).toInt(), reg);
        ++copies;
    }
    if (resend) {
        // Copies went out every interval until the first echo came (150 ms after the first copy),
        // and none after it.
        QVERIFY2(copies >= 2 && copies <= 20, qPrintable(QString::number(copies)));
    } else {
        QCOMPARE(copies, 1);
    }
#endif
}

QTEST_GUILESS_MAIN(TestE2eEngine)
#include "tst_e2e_engine.moc"
