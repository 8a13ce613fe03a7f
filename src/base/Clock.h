#pragma once

#include <QDateTime>
#include <functional>

// "Now" for code that reads the computer's clock (clock sync, start date commands). Tests replace it.
namespace Clock {

[[nodiscard]] QDateTime now();
// Installs a replacement; an empty function restores the system clock.
void setNowFunction(std::function<QDateTime()> fn);

// The steady clock in nanoseconds, for timing exchanges on the line (never replaced: only
// differences of its readings mean anything).
[[nodiscard]] qint64 monotonicNs();

}  // namespace Clock
