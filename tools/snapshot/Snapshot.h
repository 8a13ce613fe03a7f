#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What fc-snapshot is asked to do (from its command line).
struct SnapshotOptions {
    int role = 0;
    int port = -1;   // port number, or -1 when a device path is given
    QString device;  // device path (a pseudo-terminal, a serial device)
    QString outDir;
    int cycles = 2;            // complete poll cycles before the pictures are taken
    int scanRate = 50;         // read and write scan rate, milliseconds
    QList<int> windows;        // window type codes; empty = every type this build has
    bool accept = false;       // after the pictures: OK in every captured setup dialog, then K more cycles
    bool linkMonitor = false;  // open Tools > Link Monitor... before the cycles and capture it too
};

// Parses the arguments (without the program name); on failure returns false with a message.
bool ParseSnapshotOptions(const QStringList& args, SnapshotOptions& options, QString& error);

// Runs the user interface, takes the pictures and dumps; returns the process exit code, printing a
// message on failure.
int RunSnapshot(const SnapshotOptions& options);
