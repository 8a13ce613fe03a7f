// Feeds arbitrary bytes to the screen-file reader as a file's contents. Besides the sanitizers'
// checks: every window read must come back unchanged when written and read again (positions are
// written in single precision, so only positions that single precision holds exactly, |v| < 2^24,
// are compared), and no more windows may come out than the contents hold groups of four values.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "files/ScreenFile.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_screenfile: %s\n", what);
    std::abort();
}

constexpr qint32 kExact = 1 << 24;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<ScreenFile::ReadEntry> read = ScreenFile::Read(contents);

    // Each window takes four values, each value at least one character and one separator but the last.
    if (read.size() * 4 > contents.count(',') + contents.count('\n') + contents.count('\r') + 1)
        fail("more windows than the contents hold values for");

    QList<ScreenFile::Entry> again;
    QList<ScreenFile::ReadEntry> exact;
    for (const ScreenFile::ReadEntry& e : read) {
        if (e.top <= -kExact || e.top >= kExact || e.left <= -kExact || e.left >= kExact) continue;
        again.append({e.winId, double(e.top), double(e.left), e.state});
        exact.append(e);
    }
    const QList<ScreenFile::ReadEntry> back = ScreenFile::Read(ScreenFile::Write(again));
    if (back.size() != exact.size()) fail("written windows do not read back as many");
    for (qsizetype i = 0; i < back.size(); ++i) {
        const auto& a = exact.at(i);
        const auto& b = back.at(i);
        if (a.winId != b.winId || a.top != b.top || a.left != b.left || a.state != b.state)
            fail("a written window reads back changed");
    }
    return 0;
}
