// Soak benchmark: the program's scan loop and message manager poll three register blocks of the
// simulated controller 100,000 times while the controller drops 10 % of its replies, corrupts the
// CRC of 5 %, truncates 5 % and adds 1-4 stray bytes before or after 5 %. Every reply the engine
// delivers (MessageReady) is compared, value by value, with the controller's registers; the figures
// are the wrong values delivered (must be 0), the lost ratio, and resident memory at the start, along
// the run and at the end.
//
// Two ways to run it:
//   default  the in-process built-in port (port 0) on a clock the benchmark advances by one scan
//            interval per tick: bytes are paced at 57600 baud exactly as on the line, but no time is
//            waited, so 100,000 polls take seconds and the result does not depend on how busy the
//            machine is. Scan rate 45 ms: the longest exchange (100 registers, 8 + 205 bytes) is
//            37.0 ms of line + 2 ms latency + up to 4 stray bytes (0.7 ms).
//   --pty    m852-sim on a pseudo-terminal through QSerialPort, in real time, bytes not paced
//            (--no-pacing), read scan rate --scan-rate MS (default 10). On a loaded machine a reply
//            can miss its interval and land in the next one; the engine takes such a reply only
//            where its length does not tell it apart, so those are counted separately.
//
// Usage: bench_soak [--polls N] [--seed N] [--pty [--scan-rate MS]] [--program PATH]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "BenchMachine.h"
#include "comm/CMsgManager.h"
#include "comm/CScanLoop.h"
#include "sim/BuiltInController.h"
#include "sim/FaultConfig.h"
#include "sim/M852Image.h"
#include "sim/SimProcess.h"
#include "sim/SimulatedPort.h"

namespace {

using bench::cpuModel;
using bench::loadAverage;
using bench::residentKiB;

struct Block {
    int start;
    int count;
};
// Source values, source settings and a quarter of the event history: 14, 8 and 100 registers.
const QMap<qint16, Block> kBlocks = {{3, {2, 14}}, {4, {22, 8}}, {9, {150, 100}}};

constexpr double kDrop = 0.10;
constexpr double kCrc = 0.05;
constexpr double kTruncate = 0.05;
constexpr double kStray = 0.05;

int intArg(const QStringList& args, const QString& name, int fallback) {
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
}

struct Figures {
    qint64 polls = 0;                  // requests sent
    qint64 delivered = 0;              // MessageReady
    qint64 wrong = 0;                  // delivered with a value (or start) the controller does not hold there
    qint64 otherBlock = 0;             // of those: exactly another, longer block's values (a late reply)
    QList<QPair<qint64, qint64>> rss;  // (polls so far, KiB)
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 polls = std::max(1, intArg(args, QStringLiteral("--polls"), 100000));
    const quint64 seed = quint64(intArg(args, QStringLiteral("--seed"), 20261210));
    const bool pty = args.contains(QStringLiteral("--pty"));
    const int ptyScanRate = std::max(1, intArg(args, QStringLiteral("--scan-rate"), 10));
    const qsizetype pi = args.indexOf(QStringLiteral("--program"));
    const QString program =
        pi >= 0 && pi + 1 < args.size() ? args.at(pi + 1) : QStringLiteral(M852_SIM_PROGRAM);

    std::printf(
        "soak benchmark: %lld polls over blocks 2x14, 22x8, 150x100; faults per reply: drop %.0f %%, "
        "bad CRC %.0f %%, truncated %.0f %%, stray bytes %.0f %% (seed %llu)\n",
        static_cast<long long>(polls), kDrop * 100, kCrc * 100, kTruncate * 100, kStray * 100,
        static_cast<unsigned long long>(seed));
    std::printf("machine: %s, %d logical CPUs, %s, kernel %s, Qt %s; load average at start %s\n",
                qPrintable(cpuModel()), QThread::idealThreadCount(),
                qPrintable(QSysInfo::prettyProductName()), qPrintable(QSysInfo::kernelVersion()), qVersion(),
                qPrintable(loadAverage()));

    CScanLoop loop;
    CMsgManager manager;
    manager.setScanHost(&loop);
    loop.setManager(&manager);
    CSerialService& serial = loop.serial();

    // The registers each block must show; read from the controller before the run (none of them
    // changes while it runs: 650=0 stops the active time delay, so no event is logged).
    QMap<qint16, QList<qint16>> expected;
    sim::BuiltInController builtIn;
    QTemporaryDir dir;
    std::optional<sim::SimProcess> simulator;
    qint64 nowNs = 0;

    if (pty) {
        const QString link = dir.filePath(QStringLiteral("m852"));
        simulator.emplace(program);
        const QStringList simArgs{QStringLiteral("--link"),      link,
                                  QStringLiteral("--no-pacing"), QStringLiteral("--drop"),
                                  QString::number(kDrop),        QStringLiteral("--crc"),
                                  QString::number(kCrc),         QStringLiteral("--truncate"),
                                  QString::number(kTruncate),    QStringLiteral("--stray"),
                                  QString::number(kStray),       QStringLiteral("--seed"),
                                  QString::number(seed),         QStringLiteral("--set"),
                                  QStringLiteral("650=0")};
        if (!simulator->start(simArgs)) {
            std::fprintf(stderr, "cannot start %s: %s\n", qPrintable(program),
                         qPrintable(simulator->errorString()));
            return 1;
        }
        for (auto it = kBlocks.cbegin(); it != kBlocks.cend(); ++it) {
            const auto values = simulator->registers(it->start, it->count);
            if (!values) return 1;
            for (quint16 v : *values) expected[it.key()].append(static_cast<qint16>(v));
        }
        serial.setPortOverrides({{200, link}});
        serial.setCOM_Number(200);
        loop.setReadScanRate(static_cast<qint16>(ptyScanRate));
        std::printf(
            "path: CScanLoop (precise QTimer) + CMsgManager + QSerialPort -> pseudo-terminal -> m852-sim "
            "(not paced, latency 2 ms), read scan rate %d ms, real time\n\n",
            ptyScanRate);
    } else {
        builtIn.image()->write(650, 0);
        sim::FaultConfig faults;
        faults.latencyMs = 2;
        faults.paced = true;
        faults.dropProbability = kDrop;
        faults.crcCorruptProbability = kCrc;
        faults.truncateProbability = kTruncate;
        faults.strayProbability = kStray;
        faults.seed = seed;
        builtIn.setFaults(faults);
        serial.setBuiltInPortFactory(builtIn.portFactory());
        serial.setCOM_Number(0);
        loop.setReadScanRate(45);
        for (auto it = kBlocks.cbegin(); it != kBlocks.cend(); ++it) {
            for (int r = it->start; r < it->start + it->count; ++r)
                expected[it.key()].append(static_cast<qint16>(builtIn.image()->valueOr(r)));
        }
        std::printf(
            "path: CScanLoop::tick + CMsgManager + CSerialService -> built-in simulated port on a test "
            "clock (paced 57600 baud, latency 2 ms), read scan rate 45 ms of simulated time\n\n");
    }

    std::vector<PacketPtr> packets;
    for (auto it = kBlocks.cbegin(); it != kBlocks.cend(); ++it) {
        auto p = std::make_shared<CMsgPacketNode>();
        p->setWinID(it.key());
        p->setMsgType(3);
        p->setStartingReg(static_cast<qint16>(it->start));
        p->setNumReg(static_cast<qint16>(it->count));
        p->setPersistent(true);
        manager.AddMsgPacket(p);
        packets.push_back(p);
    }

    Figures fig;
    QObject::connect(&loop, &CScanLoop::frameSent, [&] { ++fig.polls; });
    QObject::connect(&manager, &CMsgManager::MessageReady, [&](qint32 winId) {
        ++fig.delivered;
        const CMsgPacketNode& r = manager.GetWaitingData();
        const Block block = kBlocks.value(static_cast<qint16>(winId));
        const QList<qint16>& want = expected.value(static_cast<qint16>(winId));
        bool same = r.StartingReg() == block.start && want.size() == block.count;
        for (int i = 0; same && i < block.count; ++i) same = r.Data(i) == want.at(i);
        if (same) return;
        ++fig.wrong;
        // A late reply of a longer block: its first values are that block's.
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            if (it.value().size() <= block.count) continue;
            bool prefix = true;
            for (int i = 0; prefix && i < block.count; ++i) prefix = r.Data(i) == it.value().at(i);
            if (prefix) {
                ++fig.otherBlock;
                break;
            }
        }
    });

    if (!manager.Connect()) {
        std::fprintf(stderr, "cannot open the port: %s\n", qPrintable(serial.lastOpenFailure().message));
        return 1;
    }
    fig.rss.append({0, residentKiB()});
    const qint64 step = std::max<qint64>(1, polls / 10);
    QElapsedTimer wall;
    wall.start();

    if (!pty) {
        loop.StopScan();  // ticks by hand, on the benchmark's clock
        qobject_cast<sim::SimulatedPort*>(serial.builtInPort())->setTimeSource([&nowNs] { return nowNs; });
        while (fig.polls < polls) {
            loop.tick();
            nowNs += qint64(loop.interval()) * 1'000'000;
            // What the program's event loop does between two ticks (the port posts its
            // bytesWritten notices there); without it they would pile up and look like a leak.
            QCoreApplication::processEvents();
            if (fig.polls % step == 0 && fig.rss.last().first != fig.polls)
                fig.rss.append({fig.polls, residentKiB()});
        }
    } else {
        QEventLoop wait;
        QObject::connect(&loop, &CScanLoop::ticked, [&] {
            if (fig.polls % step == 0 && fig.rss.last().first != fig.polls)
                fig.rss.append({fig.polls, residentKiB()});
            if (fig.polls >= polls) wait.quit();
        });
        QObject::connect(&serial, &CSerialService::portLost, &wait, &QEventLoop::quit);
        QTimer::singleShot(0, &loop, [&] { loop.tick(); });
        wait.exec();
    }
    // The last poll's reply: collected by one more tick that sends nothing.
    for (const PacketPtr& p : packets) manager.RemoveMsgs(p->WinID());
    if (pty) {
        QEventLoop quiet;
        QTimer::singleShot(loop.interval(), &quiet, &QEventLoop::quit);
        quiet.exec();
    } else {
        nowNs += qint64(loop.interval()) * 1'000'000;
    }
    loop.tick();
    manager.Disconnect();
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    fig.rss.append({fig.polls, residentKiB()});

    QString faultLine;
    if (!pty) {
        const auto& s = builtIn.port() ? builtIn.port()->faultStats() : sim::FaultInjector::Stats{};
        faultLine = QStringLiteral("replies %1: dropped %2, bad CRC %3, truncated %4, with stray bytes %5")
                        .arg(s.replies)
                        .arg(s.dropped)
                        .arg(s.crcCorrupted)
                        .arg(s.truncated)
                        .arg(s.withStray);
    } else if (const auto state = simulator->state()) {
        faultLine = QStringLiteral("simulator handled %1 requests")
                        .arg(state->value(QStringLiteral("requests")).toInt());
        simulator->stop();
    }

    const qint64 lost = fig.polls - fig.delivered;
    std::printf("polls sent        %lld\n", static_cast<long long>(fig.polls));
    std::printf("replies delivered %lld\n", static_cast<long long>(fig.delivered));
    std::printf("wrong values      %lld (of which a longer block's late reply: %lld)\n",
                static_cast<long long>(fig.wrong), static_cast<long long>(fig.otherBlock));
    std::printf("lost              %lld = %.2f %% of polls\n", static_cast<long long>(lost),
                100.0 * double(lost) / double(fig.polls));
    std::printf("faults injected   %s\n", qPrintable(faultLine));
    std::printf("resident memory   ");
    for (const auto& [at, kib] : fig.rss)
        std::printf("%lld:%lld KiB  ", static_cast<long long>(at), static_cast<long long>(kib));
    std::printf("\nresident memory   start %lld KiB, end %lld KiB (%+lld KiB)\n",
                static_cast<long long>(fig.rss.first().second), static_cast<long long>(fig.rss.last().second),
                static_cast<long long>(fig.rss.last().second - fig.rss.first().second));
    std::printf("wall time         %.1f s (%.0f polls/s); load average at end %s\n", seconds,
                double(fig.polls) / seconds, qPrintable(loadAverage()));
    return fig.wrong == 0 ? 0 : 2;
}
