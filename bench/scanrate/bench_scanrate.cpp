// Scan-rate benchmark: the lowest read scan rate at which a run of consecutive polls of the
// 100-register block at register 150 all arrive, against m852-sim on a pseudo-terminal with bytes
// paced at 57600 baud, driven by the program's own scan loop and message manager over QSerialPort.
//
// The figure is reported as a ratio to the exchange's wire time:
//   request 8 bytes + reply 5 + 2 x 100 = 205 bytes = 213 characters x 10 bits / 57600 baud
//   = 36.979 ms, plus the simulator's reply latency.
// The scan rate is a QTimer interval, a whole number of milliseconds, so the ratio can only be
// found to 1 ms / (wire time + latency), about 0.026 here.
//
// Usage: bench_scanrate [--runs N] [--polls N] [--latency MS] [--program PATH]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "BenchMachine.h"
#include "comm/CMsgManager.h"
#include "comm/CScanLoop.h"
#include "sim/FaultConfig.h"
#include "sim/SimProcess.h"

namespace {

using bench::cpuModel;
using bench::loadAverage;

constexpr int kFirstRegister = 150;
constexpr int kRegisters = 100;
constexpr int kRequestBytes = 8;
constexpr int kReplyBytes = 5 + 2 * kRegisters;
constexpr qint16 kWinID = 9;
constexpr int kPortNumber = 200;  // mapped to the simulator's device

struct Trial {
    bool allArrived = false;
    qint64 sent = 0;
    qint64 valid = 0;
    qint64 firstLost = 0;       // 1-based poll number of the first lost reply (0: none)
    double meanPeriodMs = 0.0;  // measured time between sends
};

// The engine on one connection for the whole benchmark: the simulator, like a controller, needs a
// moment to notice a new client after a hang-up, which would cost every fresh connection its first
// poll. Each trial polls on the open port and leaves the line quiet for the next.
class Bench {
public:
    Bench(const QString& device, const QList<qint16>& expected) : m_expected(expected) {
        m_manager.setScanHost(&m_loop);
        m_loop.setManager(&m_manager);
        m_loop.serial().setPortOverrides({{kPortNumber, device}});
        m_loop.serial().setCOM_Number(kPortNumber);

        m_packet->setWinID(kWinID);
        m_packet->setMsgType(3);
        m_packet->setStartingReg(kFirstRegister);
        m_packet->setNumReg(kRegisters);
        m_packet->setPersistent(true);

        QObject::connect(&m_loop, &CScanLoop::frameSent, [this] {
            ++m_trial.sent;
            m_lastSendNs = m_clock.nsecsElapsed();
            if (m_firstSendNs < 0) m_firstSendNs = m_lastSendNs;
        });
        QObject::connect(&m_manager, &CMsgManager::MessageReady, [this](qint32 winId) {
            const CMsgPacketNode& r = m_manager.GetWaitingData();
            bool same = winId == kWinID && r.StartingReg() == kFirstRegister;
            for (int i = 0; same && i < kRegisters; ++i) same = r.Data(i) == m_expected.at(i);
            if (same) ++m_trial.valid;
        });
        QObject::connect(&m_loop, &CScanLoop::ticked, [this] { onTick(); });
        QObject::connect(&m_loop.serial(), &CSerialService::portLost, &m_wait, &QEventLoop::quit);
        m_clock.start();
    }

    bool connect() {
        if (m_manager.Connect()) {
            m_loop.StopScan();  // each trial starts the scan itself
            return true;
        }
        std::fprintf(stderr, "cannot open the port: %s\n",
                     qPrintable(m_loop.serial().lastOpenFailure().message));
        return false;
    }

    // `polls` polls at `rateMs`; stops at the first poll whose reply did not arrive.
    Trial run(int rateMs, int polls) {
        m_trial = Trial{};
        m_polls = polls;
        m_sentAtLastTick = 0;
        m_stopped = false;
        m_firstSendNs = m_lastSendNs = -1;
        m_loop.setReadScanRate(static_cast<qint16>(rateMs));
        m_manager.AddMsgPacket(m_packet);
        m_loop.StartScan();
        QTimer::singleShot(0, &m_loop, [this] { m_loop.tick(); });  // the first poll at once
        m_wait.exec();
        m_loop.StopScan();
        m_manager.RemoveMsgs(kWinID);
        // A trial that ended on a lost reply may still have one on its way: let the line go quiet.
        QEventLoop quiet;
        QTimer::singleShot(rateMs + 50, &quiet, &QEventLoop::quit);
        quiet.exec();
        m_loop.COM_EmptyReceiveBuffer();
        if (m_trial.sent > 1)
            m_trial.meanPeriodMs = double(m_lastSendNs - m_firstSendNs) / 1e6 / double(m_trial.sent - 1);
        return m_trial;
    }

private:
    void onTick() {
        const bool sentNow = m_trial.sent != m_sentAtLastTick;
        m_sentAtLastTick = m_trial.sent;
        const qint64 collected = sentNow ? m_trial.sent - 1 : m_trial.sent;
        if (m_trial.valid < collected) {  // a reply did not arrive whole and intact within its interval
            m_trial.firstLost = m_trial.valid + 1;
            m_loop.StopScan();
            m_wait.quit();
            return;
        }
        if (!m_stopped && m_trial.sent >= m_polls) {
            m_stopped = true;
            m_manager.RemoveMsgs(kWinID);  // the next tick only collects the last reply
        } else if (m_stopped && !sentNow) {
            m_trial.allArrived = m_trial.valid == m_polls;
            m_loop.StopScan();
            m_wait.quit();
        }
    }

    QList<qint16> m_expected;
    CScanLoop m_loop;
    CMsgManager m_manager;
    PacketPtr m_packet = std::make_shared<CMsgPacketNode>();
    QEventLoop m_wait;
    QElapsedTimer m_clock;
    Trial m_trial;
    int m_polls = 0;
    qint64 m_sentAtLastTick = 0;
    bool m_stopped = false;
    qint64 m_firstSendNs = -1;
    qint64 m_lastSendNs = -1;
};

int intArg(const QStringList& args, const QString& name, int fallback) {
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = std::max(1, intArg(args, QStringLiteral("--runs"), 3));
    const int polls = std::max(1, intArg(args, QStringLiteral("--polls"), 500));
    const int latencyMs = std::max(0, intArg(args, QStringLiteral("--latency"), 2));
    const qsizetype pi = args.indexOf(QStringLiteral("--program"));
    const QString program =
        pi >= 0 && pi + 1 < args.size() ? args.at(pi + 1) : QStringLiteral(M852_SIM_PROGRAM);

    const double wireMs = double(kRequestBytes + kReplyBytes) * sim::FaultConfig::kBitsPerChar * 1000.0 /
                          sim::FaultConfig::kBaud;
    const double referenceMs = wireMs + latencyMs;

    std::printf(
        "scan-rate benchmark: lowest read scan rate at which %d consecutive polls of registers %d..%d "
        "all arrive\n",
        polls, kFirstRegister, kFirstRegister + kRegisters - 1);
    std::printf("machine: %s, %d logical CPUs, %s, kernel %s, Qt %s; load average at start %s\n",
                qPrintable(cpuModel()), QThread::idealThreadCount(),
                qPrintable(QSysInfo::prettyProductName()), qPrintable(QSysInfo::kernelVersion()), qVersion(),
                qPrintable(loadAverage()));
    std::printf(
        "path: CScanLoop (precise QTimer) + CMsgManager + QSerialPort -> pseudo-terminal -> m852-sim "
        "(paced, 57600 baud, 10 bits/char, latency %d ms)\n",
        latencyMs);
    std::printf(
        "reference: (%d + %d) bytes x 10 bits / 57600 baud = %.3f ms wire + %d ms latency = %.3f ms\n",
        kRequestBytes, kReplyBytes, wireMs, latencyMs, referenceMs);
    std::printf("resolution: scan rates are whole milliseconds, so the ratio moves in steps of %.3f\n\n",
                1.0 / referenceMs);
    std::fflush(stdout);

    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("m852"));
    sim::SimProcess simulator(program);
    if (!simulator.start({QStringLiteral("--link"), link, QStringLiteral("--latency"),
                          QString::number(latencyMs), QStringLiteral("--set"), QStringLiteral("650=0")})) {
        std::fprintf(stderr, "cannot start %s: %s\n", qPrintable(program),
                     qPrintable(simulator.errorString()));
        return 1;
    }
    const auto values = simulator.registers(kFirstRegister, kRegisters);
    if (!values) {
        std::fprintf(stderr, "registers %d..%d are not mapped in the simulator\n", kFirstRegister,
                     kFirstRegister + kRegisters - 1);
        return 1;
    }
    QList<qint16> expected;
    for (quint16 v : *values) expected.append(static_cast<qint16>(v));

    Bench bench(link, expected);
    if (!bench.connect()) return 1;

    QList<int> lowest;
    for (int run = 1; run <= runs; ++run) {
        std::printf("run %d:", run);
        std::fflush(stdout);
        auto attempt = [&](int rate) {
            const Trial t = bench.run(rate, polls);
            if (t.allArrived)
                std::printf(" %d ms ok (period %.2f ms);", rate, t.meanPeriodMs);
            else
                std::printf(" %d ms lost poll %lld;", rate, static_cast<long long>(t.firstLost));
            std::fflush(stdout);
            return t.allArrived;
        };
        // Below the wire time no reply can be complete; start the search just under it.
        int bad = int(wireMs);
        int good = std::max(bad + 1, int(std::ceil(1.25 * referenceMs)));
        while (!attempt(good)) {
            bad = good;
            good *= 2;
            if (good > 10000) {
                std::printf(" no scan rate up to 10 s works\n");
                return 1;
            }
        }
        while (good - bad > 1) {
            const int mid = (good + bad) / 2;
            if (attempt(mid))
                good = mid;
            else
                bad = mid;
        }
        lowest.append(good);
        std::printf("\n  lowest %d ms = %.3f x reference\n", good, good / referenceMs);
        std::fflush(stdout);
    }
    simulator.stop();

    std::sort(lowest.begin(), lowest.end());
    const int worst = lowest.last();
    QStringList all;
    for (int v : lowest) all.append(QString::number(v));
    std::printf(
        "\nresult over %d runs: lowest scan rates %s ms; worst %.3f x, best %.3f x the reference "
        "(target <= 1.25: %s); load average at end %s\n",
        runs, qPrintable(all.join(QStringLiteral(", "))), worst / referenceMs, lowest.first() / referenceMs,
        worst / referenceMs <= 1.25 ? "met" : "NOT met", qPrintable(loadAverage()));
    return 0;
}
