#include "base/Clock.h"

#include <chrono>

namespace {
std::function<QDateTime()>& nowFunction() {
    static std::function<QDateTime()> fn;
    return fn;
}
}  // namespace

namespace Clock {

QDateTime now() {
    const auto& fn = nowFunction();
    return fn ? fn() : QDateTime::currentDateTime();
}

void setNowFunction(std::function<QDateTime()> fn) { nowFunction() = std::move(fn); }

qint64 monotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace Clock
