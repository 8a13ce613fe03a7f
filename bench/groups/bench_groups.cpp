// Cost of the data-group path on the user-interface thread, measured offscreen.
//
//  1. decode + redraw of one Source Info reply: the MessageReady handler of the data object (reply
//     routing, decoding of the block) and the window's UpdateDisplay (every label set), once for each
//     of its two blocks; separately, the same followed by a synchronous repaint of the window.
//  2. one whole scan tick with every display window this build has open: BuildResponse (drain the
//     reply bytes), StoreMsgData (parse + MessageReady to every data object + redraw) and SendMsg
//     (frame the next request). The simulated controller's answer is made outside the timed part.
//  3. the same whole tick with only Source Info open (the yardstick), and with the six windows of
//     the system summary, setpoint and timer groups open (System Summary, Voltage and Frequency
//     Setpoints, Time Delays, Active Time Delay, Load Control).
//
// Each figure is the median (and 10th / 90th percentile) over all timed repetitions of all runs.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchMachine.h"
#include "GroupTestRig.h"
#include "files/WindowCatalogue.h"
#include "groups/CDisplayWindow.h"
#include "groups/DisplayWindowFactory.h"

namespace {

using bench::cpuModel;
using bench::Stats;
using bench::stats;

void print(const char* what, const Stats& s, std::size_t n) {
    std::printf("%-52s median %8.2f us   p10 %8.2f   p90 %8.2f   (n=%zu)\n", what, s.median, s.p10, s.p90, n);
}

double micros(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1000.0; }

// Whole scan ticks with the windows of `types` open, appended to `out`.
void measureTicks(const QList<int>& types, int ticks, std::vector<double>& out) {
    GroupTestRig rig(2);
    for (int c : types)
        if (DisplayWindowFactory::Exists(c)) (void)rig.windows().CreateWnd(c, 0, 0, 0);
    QApplication::processEvents();
    rig.cycle();
    rig.cycle();
    for (int i = 0; i < ticks; ++i) {
        QElapsedTimer t;
        t.start();
        if (rig.manager().BuildResponse() > 0) rig.manager().StoreMsgData();
        try {
            rig.manager().SendMsg();
        } catch (...) {
        }
        out.push_back(micros(t));
        if (!rig.host.sent.isEmpty()) rig.host.inject(rig.engine.handleFrame(rig.host.sent.takeLast()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int ticks = 20000;
    int runs = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--ticks") ticks = std::max(10, args[i + 1].toInt());
        if (args[i] == "--runs") runs = std::max(1, args[i + 1].toInt());
    }

    std::vector<double> decode[2], repaint[2], tick, tickSourceInfo, tickSix;
    const QList<int> six{10, 5, 4, 1, 19, 6};
    QList<int> open;
    for (int run = 0; run < runs; ++run) {
        GroupTestRig rig(2);
        open.clear();
        for (int c = 0; c < WindowCatalogue::kTypeCount; ++c)
            if (DisplayWindowFactory::Exists(c) && rig.windows().CreateWnd(c, 0, 0, 0)) open << c;
        QApplication::processEvents();
        rig.cycle();
        rig.cycle();

        // 1. decode + redraw of Source Info, per block: put a real reply of that block into the
        //    manager's reply packet, then raise MessageReady(3) as StoreMsgData does.
        CDisplayWindow* src = nullptr;
        for (CDisplayWindow* w : rig.windows().DisplayWindows())
            if (w->WinID() == 3) src = w;
        if (src) {
            for (int block = 0; block < 2; ++block) {
                // tick until the reply just parsed is the wanted block of Source Info
                for (int guard = 0; guard < 1000; ++guard) {
                    rig.tick();
                    const CMsgPacketNode& r = rig.manager().GetWaitingData();
                    if (r.MsgType() == 3 && r.StartingReg() == (block == 0 ? 2 : 22) && r.DataCount() > 0)
                        break;
                }
                for (int i = 0; i < ticks; ++i) {
                    QElapsedTimer t;
                    t.start();
                    emit rig.manager().MessageReady(3);
                    decode[block].push_back(micros(t));
                }
                for (int i = 0; i < ticks / 10; ++i) {
                    QElapsedTimer t;
                    t.start();
                    emit rig.manager().MessageReady(3);
                    src->repaint();
                    repaint[block].push_back(micros(t));
                }
            }
        }

        // 2. whole ticks
        for (int i = 0; i < ticks; ++i) {
            QElapsedTimer t;
            t.start();
            if (rig.manager().BuildResponse() > 0) rig.manager().StoreMsgData();
            try {
                rig.manager().SendMsg();
            } catch (...) {
            }
            tick.push_back(micros(t));
            if (!rig.host.sent.isEmpty()) rig.host.inject(rig.engine.handleFrame(rig.host.sent.takeLast()));
        }

        // 3. the yardstick and the six windows
        measureTicks({3}, ticks, tickSourceInfo);
        measureTicks(six, ticks, tickSix);
    }

    std::printf("machine: %s, %d logical CPUs, %s; Qt %s; %s build; platform %s\n", qPrintable(cpuModel()),
                QThread::idealThreadCount(), qPrintable(QSysInfo::prettyProductName()), qVersion(),
#ifdef NDEBUG
                "optimised",
#else
                "debug",
#endif
                qPrintable(QGuiApplication::platformName()));
    QStringList names;
    for (int c : open) names << QString::number(c);
    std::printf("runs: %d x %d repetitions; windows open: %s\n", runs, ticks, qPrintable(names.join(',')));
    if (!decode[0].empty()) {
        print("Source Info reply, block 2: decode + redraw", stats(decode[0]), decode[0].size());
        print("Source Info reply, block 22: decode + redraw", stats(decode[1]), decode[1].size());
        print("Source Info reply, block 2: + synchronous repaint", stats(repaint[0]), repaint[0].size());
        print("Source Info reply, block 22: + synchronous repaint", stats(repaint[1]), repaint[1].size());
    }
    print("whole scan tick, all windows open", stats(tick), tick.size());
    print("whole scan tick, Source Info only", stats(tickSourceInfo), tickSourceInfo.size());
    print("whole scan tick, windows 10,5,4,1,19,6", stats(tickSix), tickSix.size());
    return 0;
}
