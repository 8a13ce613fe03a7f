#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

// The setup-file commands of field-console-cli:
//
//   [port options] save-setup FILE      read the controller's 307 settings registers into FILE
//   [port options] restore-setup FILE   write FILE's settings into the controller
//   [port options] compare-setup A B    A and B: setup files or "live" (the connected controller);
//                                       prints "REGISTER A-VALUE B-VALUE WINDOW" per differing register
//
// The port options (--port, --device, --scan-rate, --tries) are parsed and checked by CliOptions, as
// for read and write. --tries is the number of rounds in which missing blocks are asked for again.
namespace CliSetup {

// When `args` (the arguments after the program name) name a setup command, runs it in the running
// QCoreApplication's event loop and returns the exit status; otherwise returns nothing and leaves
// the command line to CliOptions.
[[nodiscard]] std::optional<int> run(const QStringList& args, QTextStream& out, QTextStream& err);

// The usage lines of the setup commands (appended to CliOptions::usage()).
[[nodiscard]] QString usage();

}  // namespace CliSetup
