#include "base/Clock.h"

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

}  // namespace Clock
