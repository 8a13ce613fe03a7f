#pragma once

#include <QStringList>

class CMsgManager;

// --trace: every exchange of the engine as one line on standard error, as the Link Monitor shows it
// (time, window, function, start, count, outcome, reply ms, request > reply bytes).
namespace CliTrace {

// Takes every "--trace" out of `args` (it may stand anywhere) and remembers whether one was there.
[[nodiscard]] QStringList take(const QStringList& args);
// Puts the trace on `manager` when --trace was given; does nothing otherwise.
void attach(CMsgManager& manager);

}  // namespace CliTrace
