// Time of one codec exchange as the message manager runs it per tick: set the request properties,
// build a function-3 query for 100 registers, take the frame, hand in the 205-byte reply and parse
// it, take the values. A plain steady_clock loop: each run times a batch of frames and divides;
// the median of the runs is reported with the spread, the machine and the build.
//
//   usage: bench_codec [RUNS] [FRAMES_PER_RUN]    (defaults 31 and 20000)

#include <QVector>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "ModbusTestFrames.h"
#include "comm/CModbusMaster.h"

namespace {

// /proc files report size 0, which QFile's line reading takes for an empty file; read it as a stream.
std::string machineName() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) == 0) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? line : line.substr(line.find_first_not_of(" \t", colon + 1));
        }
    }
    return "unknown";
}

struct Stats {
    double median = 0;
    double min = 0;
    double max = 0;
};

// ns per frame for each run of `frames` calls of `body`.
Stats measure(int runs, int frames, const std::function<void()>& body) {
    for (int i = 0; i < frames / 10 + 1; ++i) body();  // warm caches and the allocator
    std::vector<double> perFrame;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < frames; ++i) body();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        perFrame.push_back(std::chrono::duration<double, std::nano>(elapsed).count() / frames);
    }
    std::sort(perFrame.begin(), perFrame.end());
    return {perFrame[perFrame.size() / 2], perFrame.front(), perFrame.back()};
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
    const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20000;

    constexpr int kRegisters = 100;
    QVector<qint16> values;
    for (int i = 0; i < kRegisters; ++i) values.append(static_cast<qint16>(i * 331 - 16000));
    const QByteArray reply = testframes::readReply(0, values);

    CModbusMaster codec;
    long long sink = 0;

    // Check once, outside the timing, that the work being timed succeeds.
    codec.setFunct(3);
    codec.setSlaveAddr(0);
    codec.setStartAddr(150);
    codec.setNumPoints(kRegisters);
    codec.CreateQuery();
    codec.SetMessage(reply);
    codec.ParseResponse();
    if (codec.GetMessage().size() != 205 || codec.SendData() != values) {
        std::fprintf(stderr, "bench_codec: the exchange does not round-trip\n");
        return 1;
    }

    const auto query = [&] {
        codec.setFunct(3);
        codec.setSlaveAddr(0);
        codec.setStartAddr(150);
        codec.setNumPoints(kRegisters);
        codec.CreateQuery();
        sink += codec.GetMessage().size();
    };
    const auto parse = [&] {
        codec.SetMessage(reply);
        codec.ParseResponse();
        sink += codec.SendData().at(kRegisters - 1);
    };
    const auto exchange = [&] {
        query();
        parse();
    };

    const Stats both = measure(runs, frames, exchange);
    const Stats q = measure(runs, frames, query);
    const Stats p = measure(runs, frames, parse);

#ifdef NDEBUG
    const char* build = "optimised (NDEBUG)";
#else
    const char* build = "unoptimised or debug";
#endif
    std::printf("machine: %s\n", machineName().c_str());
    std::printf("build: %s, %s\n", build, __VERSION__);
    std::printf("runs: %d x %d frames each; ns per frame: median (min .. max)\n", runs, frames);
    std::printf("query + 100-register reply parse: %.0f (%.0f .. %.0f)\n", both.median, both.min, both.max);
    std::printf("  query build alone:              %.0f (%.0f .. %.0f)\n", q.median, q.min, q.max);
    std::printf("  reply parse alone:              %.0f (%.0f .. %.0f)\n", p.median, p.min, p.max);
    std::printf("(checksum %lld)\n", sink);
    return 0;
}
