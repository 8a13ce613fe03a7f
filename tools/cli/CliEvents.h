#pragma once

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

// `field-console-cli [port options] events [--log FILE]`: polls the event history (the five table
// blocks) and the last loss of the preferred source once, prints the event list as the Event History
// window shows it (one line per event, "\n" line ends on stdout) and, with --log, writes FILE exactly
// as the window's Save History does (CR LF line ends, one empty line at the end). The last loss goes
// to stderr as a note. Exit status as for read: 0, 1 (a block never answered / port lost), 2 (usage),
// 3 (port cannot be opened).
namespace CliEvents {

// True when the command of `args` (the arguments after the program name) is "events".
[[nodiscard]] bool Handles(const QStringList& args);
// Runs the command; returns the exit status.
int Run(QCoreApplication& app, const QStringList& args, QTextStream& out, QTextStream& err);
// The usage lines of the command, for --help.
[[nodiscard]] QString Usage();

}  // namespace CliEvents
