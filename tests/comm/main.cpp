#include <QCoreApplication>

#include "CommTestUtil.h"

// One executable for the comm subsystem: the codec, the packets and queue, the message manager, the scan
// tick, the automatic scan rate.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failures = 0;
    failures += runModbusMasterTests(argc, argv);
    failures += runQueueTests(argc, argv);
    failures += runMsgManagerTests(argc, argv);
    failures += runScanLoopTests(argc, argv);
    failures += runAutoScanRateTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
