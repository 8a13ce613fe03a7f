#include "comm/CScanLoop.h"

#include "comm/CMsgManager.h"

namespace {
void checkScanRate(qint16 ms) {
    if (ms < 1) throw ComponentError(kComponentErrorBase, QString(), QString());
}
}  // namespace

CScanLoop::CScanLoop(QObject* parent) : QObject(parent), m_serial(this), m_timer(this) {
    m_timer.setObjectName(QStringLiteral("tmrScanRate"));
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kDefaultScanRate);
    connect(&m_timer, &QTimer::timeout, this, &CScanLoop::tick);
    // A port that fails underneath is closed by the service; without a port there is nothing to scan.
    connect(&m_serial, &CSerialService::portLost, this, &CScanLoop::StopScan);
}

// The members are QObject children of this object; being members, they are destroyed (and leave the
// child list) before QObject's destructor would delete children.
CScanLoop::~CScanLoop() { m_timer.stop(); }

void CScanLoop::setManager(CMsgManager* manager) { m_manager = manager; }

void CScanLoop::setReadScanRate(qint16 ms) {
    checkScanRate(ms);
    m_readScanRate = ms;
}

void CScanLoop::setWriteScanRate(qint16 ms) {
    checkScanRate(ms);
    m_writeScanRate = ms;
}

void CScanLoop::tick() {
    if (CMsgManager* manager = m_manager.data()) {
        // Errors are dropped here and not left to the event loop: an exception escaping a timer slot
        // would end the program, and a lost reply is simply followed by the next request.
        try {
            if (manager->BuildResponse() > 0) manager->StoreMsgData();
        } catch (...) {
        }
        try {
            manager->SendMsg();
        } catch (...) {
        }
    }
    emit ticked();
}

void CScanLoop::COM_Send(const QByteArray& frame) {
    m_serial.COM_Send(frame);
    emit frameSent(frame);
}

void CScanLoop::StartScan() { m_timer.start(); }

void CScanLoop::StopScan() { m_timer.stop(); }

void CScanLoop::SetScanInterval(bool isRead) {
    m_timer.setInterval(isRead ? m_readScanRate : m_writeScanRate);
}
