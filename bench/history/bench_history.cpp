// Cost of the event history on the user-interface thread, measured offscreen against the simulated
// controller's full history (100 records).
//
//  1. EventList::Build: one rebuild of the whole list text from the 100 records (string-table
//     lookups, date and time formatting), as every refresh of the window does.
//  2. one history reply: MessageReady(7) with a table block in the reply packet (decode of 20
//     records + UpdateEventList + UpdateLostSource; the list is unchanged, so nothing is assigned).
//  3. one whole scan tick (drain, parse + MessageReady + redraw, send), first with Source Info alone,
//     then with Source Info, Event History and Message Stacks open. The simulated controller's
//     answer is made outside the timed part.
//
// Each figure is the median (10th / 90th percentile) over all repetitions of all runs.
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
#include "groups/CDisplayWindow.h"
#include "groups/history/C_M852_History.h"
#include "groups/history/EventList.h"

namespace {

using bench::cpuModel;
using bench::Stats;
using bench::stats;

void print(const char* what, const Stats& s, std::size_t n) {
    std::printf("%-58s median %8.2f us   p10 %8.2f   p90 %8.2f   (n=%zu)\n", what, s.median, s.p10, s.p90, n);
}

double micros(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1000.0; }

void wholeTicks(GroupTestRig& rig, int reps, std::vector<double>& out) {
    for (int i = 0; i < reps; ++i) {
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
    int reps = 5000;
    int runs = 5;
    const QStringList args = app.arguments();
    // --system-locale: format with the system locale (as the program does) instead of a fixed en_US
    if (!args.contains(QStringLiteral("--system-locale")))
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--reps") reps = std::max(10, args[i + 1].toInt());
        if (args[i] == "--runs") runs = std::max(1, args[i + 1].toInt());
    }

    std::vector<double> build, reply, tickSource, tickAll;
    int lines = 0;
    for (int run = 0; run < runs; ++run) {
        {
            GroupTestRig rig(2);
            rig.windows().CreateWnd(3, 0, 0, 0);
            QApplication::processEvents();
            rig.cycle();
            wholeTicks(rig, reps, tickSource);
        }
        GroupTestRig rig(2);
        for (int type : {3, 7, 16}) rig.windows().CreateWnd(type, 0, 0, 0);
        QApplication::processEvents();
        rig.cycle();
        rig.cycle();
        CDisplayWindow* history = nullptr;
        for (CDisplayWindow* w : rig.windows().DisplayWindows())
            if (w->WinID() == 7) history = w;
        if (!history) {
            std::fprintf(stderr, "the Event History window did not open\n");
            return 1;
        }
        const auto& data = static_cast<const C_M852_History&>(history->Data());
        lines = int(EventList::Build(data).count(QStringLiteral("\r\n")));

        for (int i = 0; i < reps; ++i) {
            QElapsedTimer t;
            t.start();
            const QString text = EventList::Build(data);
            build.push_back(micros(t));
            if (text.isEmpty()) return 1;
        }
        // tick until the reply just parsed is a table block of the history
        for (int guard = 0; guard < 1000; ++guard) {
            rig.tick();
            const CMsgPacketNode& r = rig.manager().GetWaitingData();
            if (r.MsgType() == 3 && r.StartingReg() == 150 && r.DataCount() >= 100) break;
        }
        for (int i = 0; i < reps; ++i) {
            QElapsedTimer t;
            t.start();
            emit rig.manager().MessageReady(7);
            reply.push_back(micros(t));
        }
        wholeTicks(rig, reps, tickAll);
    }

    std::printf("machine: %s, %d logical CPUs, %s; Qt %s; %s build; platform %s\n", qPrintable(cpuModel()),
                QThread::idealThreadCount(), qPrintable(QSysInfo::prettyProductName()), qVersion(),
#ifdef NDEBUG
                "optimised",
#else
                "debug",
#endif
                qPrintable(QGuiApplication::platformName()));
    std::printf("runs: %d x %d repetitions; event list of %d lines; locale %s%s\n", runs, reps, lines,
                qPrintable(QLocale().name()),
                args.contains(QStringLiteral("--system-locale")) ? " (system)" : "");
    print("event list rebuild (100 records)", stats(build), build.size());
    print("history reply, block 150: decode + refresh (list unchanged)", stats(reply), reply.size());
    print("whole scan tick, Source Info open", stats(tickSource), tickSource.size());
    print("whole scan tick, Source Info + Event History + Msg Stacks", stats(tickAll), tickAll.size());
    return 0;
}
