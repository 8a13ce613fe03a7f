// Cost of the link monitor on the user-interface thread, measured offscreen.
//
//  1. Whole scan ticks (BuildResponse, StoreMsgData with the Source Info window redrawn, SendMsg) with
//     only Source Info open, as bench_groups' yardstick, in three set-ups:
//       - no observer: the engine as it was, one check per hook;
//       - monitor closed: what the program always runs, the link watch (quality over the last 50,
//         stale windows) and the status bar labels it drives;
//       - monitor open: the same plus the Link Monitor window (both tables, the outcome filter,
//         the views), shown. In the tick the monitor only copies the exchange aside; the rows go
//         into the table when the model flushes (100 ms after the first waiting one) and the views
//         then update and repaint in the event loop. That work is timed separately: a flush and
//         the event processing after every exchange (a slow scan rate: one row per flush), and
//         after every 50 (a fast one), each reported per exchange.
//     The simulated controller's answer is made outside the timed part. Set-ups alternate within
//     each run so that machine load falls on all of them alike.
//  2. Resident memory (VmRSS) along a run of 100,000 exchanges with the monitor open, measured
//     before everything else: the table is full after 10,000, so the figure must level off.
//
// Each tick figure is the median (and 10th / 90th percentile) over all repetitions of all runs.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QSysInfo>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "BenchMachine.h"
#include "GroupTestRig.h"
#include "app/ConnectionStatus.h"
#include "comm/LinkWatch.h"
#include "monitor/frmLinkMonitor.h"

namespace {

using bench::cpuModel;
using bench::residentKiB;
using bench::Stats;
using bench::stats;

void print(const char* what, const Stats& s, std::size_t n) {
    std::printf("%-46s median %8.2f us   p10 %8.2f   p90 %8.2f   (n=%zu)\n", what, s.median, s.p10, s.p90, n);
}

double micros(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1000.0; }

enum class Setup { NoObserver, MonitorClosed, MonitorOpen };

// A rig with Source Info open in the given set-up.
struct Bench {
    GroupTestRig rig{2};
    std::unique_ptr<ConnectionStatus> status;
    std::unique_ptr<frmLinkMonitor> monitor;

    explicit Bench(Setup setup) {
        (void)rig.windows().CreateWnd(3, 0, 0, 0);
        LinkWatch* watch = clsApplication::instance()->Link();
        if (setup == Setup::NoObserver) {
            watch->attach(nullptr);
        } else {
            status = std::make_unique<ConnectionStatus>(rig.mainWindow());
            status->watchLink(watch);
            status->showConnected(0);
        }
        if (setup == Setup::MonitorOpen) {
            monitor = std::make_unique<frmLinkMonitor>(&rig.manager());
            monitor->show();
        }
        QApplication::processEvents();
        rig.cycle();
        rig.cycle();
    }
    ~Bench() {
        monitor.reset();
        status.reset();
    }

    void tick(std::vector<double>* out) {
        QElapsedTimer t;
        t.start();
        if (rig.manager().BuildResponse() > 0) rig.manager().StoreMsgData();
        try {
            rig.manager().SendMsg();
        } catch (...) {
        }
        if (out) out->push_back(micros(t));
        if (!rig.host.sent.isEmpty()) rig.host.inject(rig.engine.handleFrame(rig.host.sent.takeLast()));
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int ticks = 20000;
    int runs = 5;
    int exchanges = 100000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--ticks") ticks = std::max(100, args[i + 1].toInt());
        if (args[i] == "--runs") runs = std::max(1, args[i + 1].toInt());
        if (args[i] == "--exchanges") exchanges = std::max(1000, args[i + 1].toInt());
    }

    // Memory along a long run with the monitor open, first, while the process is still small.
    std::vector<std::pair<int, long>> rss;
    {
        Bench b(Setup::MonitorOpen);
        rss.emplace_back(0, residentKiB());
        for (int i = 1; i <= exchanges; ++i) {
            b.tick(nullptr);
            if (i % 50 == 0) {
                b.monitor->exchanges().flush();
                QApplication::processEvents();
            }
            if (i % (exchanges / 10) == 0) rss.emplace_back(i, residentKiB());
        }
        std::printf("monitor rows at the end: %d (of %d exchanges)\n", b.monitor->exchanges().rowCount(),
                    exchanges);
    }

    std::vector<double> tick[3];
    std::vector<double> flushEach, flush50;  // the open monitor's work outside the tick, per exchange
    auto flushAndProcess = [](Bench& b) {
        QElapsedTimer t;
        t.start();
        if (b.monitor) b.monitor->exchanges().flush();
        QApplication::processEvents();
        return micros(t);
    };
    for (int run = 0; run < runs; ++run) {
        for (Setup s : {Setup::NoObserver, Setup::MonitorClosed, Setup::MonitorOpen}) {
            Bench b(s);
            for (int i = 0; i < ticks; ++i) {
                b.tick(&tick[int(s)]);
                if (i % 50 == 49) {
                    const double us = flushAndProcess(b);
                    if (s == Setup::MonitorOpen) flush50.push_back(us / 50.0);
                }
            }
        }
        Bench b(Setup::MonitorOpen);
        for (int i = 0; i < ticks / 10; ++i) {
            b.tick(nullptr);
            flushEach.push_back(flushAndProcess(b));
        }
    }

    std::printf("machine: %s, %d logical CPUs, %s; Qt %s; %s build; platform %s\n", qPrintable(cpuModel()),
                QThread::idealThreadCount(), qPrintable(QSysInfo::prettyProductName()), qVersion(),
#ifdef NDEBUG
                "optimised",
#else
                "debug",
#endif
                qPrintable(QGuiApplication::platformName()));
    std::printf("runs: %d x %d ticks per set-up; Source Info open (two polled blocks)\n", runs, ticks);
    const Stats none = stats(tick[0]);
    const Stats closed = stats(tick[1]);
    const Stats open = stats(tick[2]);
    print("whole scan tick, no observer", none, tick[0].size());
    print("whole scan tick, monitor closed", closed, tick[1].size());
    print("whole scan tick, monitor open", open, tick[2].size());
    print("open monitor, flush + events after each exchange", stats(flushEach), flushEach.size());
    print("open monitor, flush + events per 50, per exchange", stats(flush50), flush50.size());
    std::printf("monitor closed adds %.2f us per tick (%.1f %% of the no-observer median)\n",
                closed.median - none.median, 100.0 * (closed.median - none.median) / none.median);
    std::printf(
        "monitor open adds %.2f us per exchange in the tick over closed; with its work outside the tick "
        "%.2f us (one row per flush) or %.2f us (50 rows per flush)\n",
        open.median - closed.median, open.median - closed.median + stats(flushEach).median,
        open.median - closed.median + stats(flush50).median);
    std::printf("resident memory with the monitor open:");
    for (const auto& [n, kib] : rss) std::printf(" %d: %ld KiB;", n, kib);
    std::printf("\n");
    return 0;
}
