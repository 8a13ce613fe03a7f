#pragma once

#include <QByteArray>
#include <QString>

#include "comm/LinkExchange.h"

// How an exchange is written out: in the Link Monitor's table, its CSV file and the command-line
// companion's --trace lines, all alike.
namespace ExchangeText {

// The title of the window type whose WinID this is ("Source Info"), "Setup file" for the setup-data
// transfers, else "WinID N" (the command-line companion's own requests among them).
[[nodiscard]] QString windowName(qint32 winId);
// "01 03 00 01 00 0E 94 0E"; empty for no bytes.
[[nodiscard]] QString hex(QByteArrayView bytes);
// Local time with milliseconds, "2026-12-10 09:54:15.123".
[[nodiscard]] QString time(qint64 msSinceEpoch);
// One line: time, window name, function, start, count, outcome, reply ms, the interval and latency
// where known, request > reply bytes.
[[nodiscard]] QString traceLine(const LinkExchange& x);

}  // namespace ExchangeText
