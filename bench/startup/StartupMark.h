#pragma once

// Shared by the start-up benchmark's programs: a time stamp on the system-wide monotonic clock (the
// same clock in every process, so the driver can subtract its own launch time), and a wait until a
// window is on the screen.

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>

namespace startup_mark {

inline long long nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Prints "<name> <ns>" for the driver.
inline void mark(const char* name, long long ns) {
    std::printf("%s %lld\n", name, ns);
    std::fflush(stdout);
}

// Lets events run until the window is exposed (shown on the screen). Both programs use this same
// criterion, so the ratio compares like with like.
inline void waitExposed(QWidget& widget) {
    while (!widget.windowHandle() || !widget.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

}  // namespace startup_mark
