// fc-snapshot --role R (--port N | --device PATH) --out DIR [--cycles K] [--scan-rate MS] [--accept]
//             [WINID...]
//
// Starts the user interface offscreen as a user of role R, connects, opens the display windows of
// the given types (all this build has when none are given), lets K complete poll cycles run, then
// writes NAME.png and NAME.json for every window and every setup dialog the user could open now
// (filled, not committed) and mdiMain.png into DIR. With --accept it then presses OK in every
// captured setup dialog without editing anything, lets K more cycles run and exits: against
// `m852-sim --log FILE` the log shows exactly what a no-edit OK writes.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "Snapshot.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and accounts of a snapshot run never touch the user's own.
    QTemporaryDir home;
    if (qEnvironmentVariableIsEmpty("FC_HOME")) qputenv("FC_HOME", home.path().toLocal8Bit());

    QApplication app(argc, argv);
    SnapshotOptions options;
    QString error;
    if (!ParseSnapshotOptions(app.arguments().mid(1), options, error)) {
        std::fprintf(stderr,
                     "fc-snapshot: %s\nusage: fc-snapshot --role R (--port N | --device PATH) --out DIR "
                     "[--cycles K] [--scan-rate MS] [--accept] [WINID...]\n",
                     qPrintable(error));
        return 1;
    }
    return RunSnapshot(options);
}
