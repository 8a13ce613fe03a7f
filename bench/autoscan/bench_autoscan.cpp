// Automatic scan rate benchmark: one full refresh cycle with every display window this build has
// open (offscreen), against m852-sim on a pseudo-terminal with bytes paced at 57600 baud, driven by
// the program's own scan loop and message manager over QSerialPort.
//
// For each simulator latency (default 2 ms and 20 ms):
//   - the blocks the windows poll, taken from one pass of frames sent, and the sum of their wire
//     times plus one latency each: the line's and the controller's own time for the cycle;
//   - the automatic scan rate: the time of one pass over the queue (send of a block to its next
//     send), after two passes of warm-up, over --cycles passes per run, as a ratio to that sum;
//     lost replies (sent minus valid) in the measured passes; CPU (user + system of this process,
//     windows and redraws included) per poll;
//   - the fixed 500 ms default: one pass per run, its lost replies and CPU per poll.
// Each figure is the median over all measured passes of all runs (min and max beside it).
//
// Usage: bench_autoscan [--runs N] [--cycles N] [--latencies MS,MS] [--no-fixed] [--program PATH]

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "GroupTestRig.h"
#include "comm/CAutoScanRate.h"
#include "comm/CScanLoop.h"
#include "files/WindowCatalogue.h"
#include "groups/DisplayWindowFactory.h"
#include "sim/SimProcess.h"

namespace {

constexpr int kPortNumber = 200;  // mapped to the simulator's device

QString firstLine(const QString& path, const QByteArray& prefix) {
    QFile f(path);
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (prefix.isEmpty() || line.startsWith(prefix))
                return QString::fromLatin1(prefix.isEmpty() ? line
                                                            : line.mid(line.indexOf(':') + 1).trimmed());
    return QStringLiteral("n/a");
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Figures {
    std::vector<double> ratio, cycleMs, cpuUsPerPoll;
    std::vector<double> latencyMs, estimateMs;  // per exchange of the measured passes
    qint64 sent = 0;
    qint64 valid = 0;
};

struct Summary {
    double median, min, max;
};

Summary summary(std::vector<double> v) {
    if (v.empty()) return {0, 0, 0};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

// The engine over the pty with every window open, for one simulator.
class Rig {
public:
    explicit Rig(const QString& device) {
        for (int c = 0; c < WindowCatalogue::kTypeCount; ++c)
            if (DisplayWindowFactory::Exists(c) && m_rig.windows().CreateWnd(c, 0, 0, 0)) ++windows;
        QApplication::processEvents();
        CMsgManager& manager = m_rig.manager();
        manager.setScanHost(&loop);
        loop.setManager(&manager);
        loop.serial().setPortOverrides({{kPortNumber, device}});
        loop.serial().setCOM_Number(kPortNumber);
        QObject::connect(&loop, &CScanLoop::frameSent, [this](const QByteArray& frame) {
            ++sent;
            if (recordFrames) frames.append(frame);
            if (target > 0 && sent >= target) wait.quit();
        });
        QObject::connect(&manager, &CMsgManager::MessageReady, [this](qint32) { ++valid; });
        QObject::connect(&loop, &CScanLoop::ticked, [this] {
            if (!perExchange) return;
            if (loop.lastLatencyUs() >= 0)
                perExchange->latencyMs.push_back(double(loop.lastLatencyUs()) / 1000);
            perExchange->estimateMs.push_back(double(loop.latencyEstimateUs()) / 1000);
        });
        QObject::connect(&loop.serial(), &CSerialService::portLost, &wait, &QEventLoop::quit);
    }
    ~Rig() {
        m_rig.manager().Disconnect();
        m_rig.manager().setScanHost(nullptr);
    }

    bool connect() { return m_rig.manager().Connect(); }
    [[nodiscard]] int queued() const { return m_rig.manager().queueSize(); }

    // Runs until `n` more frames have been sent; false when the port went away.
    bool sendMore(qint64 n) {
        target = sent + n;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &wait, &QEventLoop::quit);
        guard.start(int(std::min<qint64>(n * 2000 + 10000, 3'600'000)));
        wait.exec();
        const bool reached = sent >= target;
        target = 0;
        return reached && loop.COM_IsOpen();
    }

    int windows = 0;
    CScanLoop loop;
    QEventLoop wait;
    qint64 sent = 0;
    qint64 valid = 0;
    qint64 target = 0;
    bool recordFrames = false;
    QList<QByteArray> frames;
    Figures* perExchange = nullptr;  // where the measured latencies go

private:
    GroupTestRig m_rig{2};
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto intArg = [&args](const char* name, int fallback) {
        const qsizetype i = args.indexOf(QLatin1String(name));
        return i >= 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
    };
    const int runs = std::max(1, intArg("--runs", 3));
    const int cycles = std::max(1, intArg("--cycles", 5));
    const bool fixedToo = !args.contains(QStringLiteral("--no-fixed"));
    QList<int> latencies{2, 20};
    if (const qsizetype i = args.indexOf(QStringLiteral("--latencies")); i >= 0 && i + 1 < args.size()) {
        latencies.clear();
        for (const QString& part : args.at(i + 1).split(QLatin1Char(','))) latencies << part.toInt();
    }
    QString program = QStringLiteral(M852_SIM_PROGRAM);
    if (const qsizetype i = args.indexOf(QStringLiteral("--program")); i >= 0 && i + 1 < args.size())
        program = args.at(i + 1);

    std::printf("bench_autoscan: %s, %d CPUs, %s; Qt %s\n",
                qPrintable(firstLine("/proc/cpuinfo", "model name")), QThread::idealThreadCount(),
                qPrintable(QSysInfo::prettyProductName()), qVersion());
    std::printf("load average at start: %s\n", qPrintable(firstLine("/proc/loadavg", {})));
    std::printf("runs %d, measured passes per run %d (automatic), 1 (fixed 500 ms)\n\n", runs, cycles);

    int status = 0;
    for (int latencyMs : latencies) {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("m852"));
        sim::SimProcess simulator(program);
        if (!simulator.start({QStringLiteral("--link"), link, QStringLiteral("--latency"),
                              QString::number(latencyMs), QStringLiteral("--set"),
                              QStringLiteral("650=0")})) {
            std::fprintf(stderr, "m852-sim: %s\n", qPrintable(simulator.errorString()));
            return 3;
        }
        Figures automatic, fixed;
        double lineMs = 0;
        int blocks = 0;
        int windows = 0;
        for (int run = 0; run < runs; ++run) {
            Rig rig(link);
            windows = rig.windows;
            if (!rig.connect()) {
                std::fprintf(stderr, "cannot open %s\n", qPrintable(link));
                return 3;
            }
            const int n = rig.queued();
            blocks = n;

            // Automatic: two passes of warm-up, the first of them recording the blocks.
            rig.loop.setAutomaticScanRate(true);
            rig.recordFrames = true;
            if (!rig.sendMore(n)) return 4;
            rig.recordFrames = false;
            double sumNs = 0;
            for (const QByteArray& frame : std::as_const(rig.frames)) {
                if (const auto e = CAutoScanRate::fromRequest(frame))
                    sumNs += double(CAutoScanRate::wireTimeNs(*e)) + latencyMs * 1e6;
            }
            lineMs = sumNs / 1e6;
            if (!rig.sendMore(n)) return 4;
            rig.perExchange = &automatic;
            for (int c = 0; c < cycles; ++c) {
                // One pass: from the send of the first block to its next send; a reply is due for
                // each of the n sends, collected by the tick that sends the next.
                const qint64 sent0 = rig.sent;
                const qint64 valid0 = rig.valid;
                const double cpu0 = cpuSeconds();
                QElapsedTimer t;
                t.start();
                if (!rig.sendMore(n)) return 4;
                const double ms = double(t.nsecsElapsed()) / 1e6;
                automatic.cycleMs.push_back(ms);
                automatic.ratio.push_back(ms / lineMs);
                automatic.cpuUsPerPoll.push_back((cpuSeconds() - cpu0) * 1e6 / double(rig.sent - sent0));
                // The ticks of the pass collected the replies to the n sends before theirs.
                automatic.sent += rig.sent - sent0;
                automatic.valid += rig.valid - valid0;
            }

            rig.perExchange = nullptr;
            if (fixedToo) {
                rig.loop.setAutomaticScanRate(false);
                if (!rig.sendMore(1)) return 4;  // the exchange in flight ends at the fixed rate
                const qint64 sent0 = rig.sent;
                const qint64 valid0 = rig.valid;
                const double cpu0 = cpuSeconds();
                QElapsedTimer t;
                t.start();
                if (!rig.sendMore(n)) return 4;
                const double ms = double(t.nsecsElapsed()) / 1e6;
                fixed.cycleMs.push_back(ms);
                fixed.ratio.push_back(ms / lineMs);
                fixed.cpuUsPerPoll.push_back((cpuSeconds() - cpu0) * 1e6 / double(rig.sent - sent0));
                fixed.sent += rig.sent - sent0;
                fixed.valid += rig.valid - valid0;
            }
        }
        simulator.stop();

        std::printf("latency %d ms: %d windows open, %d polled blocks; wire times + latencies %.1f ms\n",
                    latencyMs, windows, blocks, lineMs);
        const auto report = [](const char* what, const Figures& f) {
            const Summary c = summary(f.cycleMs);
            const Summary r = summary(f.ratio);
            const Summary cpu = summary(f.cpuUsPerPoll);
            std::printf(
                "  %-10s cycle median %8.1f ms (min %8.1f, max %8.1f, n=%zu)   x %.3f of the line (min %.3f, "
                "max %.3f)\n",
                what, c.median, c.min, c.max, f.cycleMs.size(), r.median, r.min, r.max);
            std::printf(
                "  %-10s lost replies %lld of %lld   CPU per poll median %.0f us (min %.0f, max %.0f)\n", "",
                static_cast<long long>(f.sent - f.valid), static_cast<long long>(f.sent), cpu.median, cpu.min,
                cpu.max);
        };
        report("automatic", automatic);
        const Summary lat = summary(automatic.latencyMs);
        const Summary est = summary(automatic.estimateMs);
        std::printf(
            "  %-10s measured latency median %.2f ms (min %.2f, max %.2f); latency given median %.2f ms "
            "(min %.2f, max %.2f)\n",
            "", lat.median, lat.min, lat.max, est.median, est.min, est.max);
        if (fixedToo) report("fixed 500", fixed);
        if (automatic.sent != automatic.valid) status = 1;
        std::printf("\n");
    }
    std::printf("load average at end: %s\n", qPrintable(firstLine("/proc/loadavg", {})));
    return status;
}
