// fc-snapshot --role R (--port N | --device PATH) --out DIR [--cycles K] [--scan-rate MS] [WINID...]
//
// Starts the user interface offscreen as a user of role R, connects, opens the display windows of
// the given types (all this build has when none are given), lets K complete poll cycles run, then
// writes NAME.png and NAME.json for every window and every setup dialog (filled, not committed) and
// mdiMain.png into DIR.
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
                     "[--cycles K] [--scan-rate MS] [WINID...]\n",
                     qPrintable(error));
        return 1;
    }
    return RunSnapshot(options);
}
