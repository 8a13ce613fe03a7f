#include "comm/CScanLoop.h"

#include <algorithm>
#include <utility>

#include "base/Clock.h"
#include "comm/CMsgManager.h"

namespace {
void checkScanRate(qint16 ms) {
    if (ms < 1) throw ComponentError(kComponentErrorBase, QString(), QString());
}

// Sends remembered for the refresh cycle; a longer queue is timed from the ones kept.
constexpr size_t kSendHistory = 1024;
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

void CScanLoop::setAutomaticScanRate(bool on) {
    const bool wasOn = m_automatic;
    m_automatic = on;
    if (on == wasOn) return;
    // An exchange in flight was timed under the other mode; it is not measured.
    m_inFlight.reset();
    m_holding = false;
    m_auto.reset();
    if (!on) m_timer.setInterval(m_nextIsRead ? m_readScanRate : m_writeScanRate);
}

qint64 CScanLoop::refreshCycleMs() const {
    const CMsgManager* manager = m_manager.data();
    const qint64 queued = manager ? manager->queueSize() : 0;
    const auto kept = qint64(m_sendTimes.size());
    if (queued < 1 || kept < 2) return -1;
    if (queued < kept) return (m_sendTimes.back() - m_sendTimes[size_t(kept - 1 - queued)]) / 1'000'000;
    // More packets than sends kept: the pass so far, scaled to the whole queue.
    if (kept < qint64(kSendHistory)) return -1;
    return (m_sendTimes.back() - m_sendTimes.front()) / 1'000'000 * queued / (kept - 1);
}

bool CScanLoop::holdForLateReply() noexcept {
    if (!m_automatic || !m_inFlight || m_holding) return false;
    try {
        const qint64 waiting = m_serial.bytesWaiting();
        if (waiting >= m_inFlight->replyBytes) return false;
        // The reply is late or still arriving: back off for the exchanges to come at once, and give
        // this one what its remaining bytes need on top of the (raised) latency, within its fixed rate.
        const qint64 nowNs = Clock::monotonicNs();
        if (waiting > 0) {
            const qint64 firstNs = m_serial.lastArrivalNs() -
                                   CAutoScanRate::wireTimeNs(qint64(m_inFlight->requestBytes) + waiting);
            const bool notified = m_serial.lastArrivalNs() >= m_sentNs;
            m_auto.replyIncomplete(notified ? std::max<qint64>(0, firstNs - m_sentNs) / 1000 : -1,
                                   m_allowedUs);
        } else {
            m_auto.replyMissing(m_allowedUs);
        }
        const int fixedMs = m_inFlight->funct == 3 ? m_readScanRate : m_writeScanRate;
        const qint64 roomMs = fixedMs - (nowNs - m_sentNs) / 1'000'000;
        const qint64 restNs = CAutoScanRate::wireTimeNs(m_inFlight->replyBytes - waiting) +
                              (m_auto.latencyUs() + CAutoScanRate::kMarginUs) * 1000;
        const qint64 graceMs = std::min<qint64>(roomMs, (restNs + 999'999) / 1'000'000);
        if (graceMs < 1) return false;
        m_holding = true;
        m_timer.setInterval(int(graceMs));
        return true;
    } catch (...) {
        return false;
    }
}

void CScanLoop::tick() {
    // Automatic scan rate: a reply not complete at its tick gets one more wait before it counts as
    // lost; this tick then collects and sends nothing and is not reported.
    if (holdForLateReply()) return;
    if (CMsgManager* manager = m_manager.data()) {
        // Errors are dropped here and not left to the event loop: an exception escaping a timer slot
        // would end the program, and a lost reply is simply followed by the next request.
        try {
            const qint32 received = manager->BuildResponse();
            measureReply(received);
            if (received > 0) manager->StoreMsgData();
        } catch (...) {
        }
        try {
            manager->SendMsg();
        } catch (...) {
        }
    }
    emit ticked();
}

void CScanLoop::measureReply(qint32 received) noexcept {
    if (!m_inFlight) return;  // nothing was sent at the last tick
    const CAutoScanRate::Exchange e = *m_inFlight;
    m_inFlight.reset();
    m_lastLatencyUs = -1;
    // After a held tick the trouble was already counted: a reply now complete is only a sample.
    const bool held = std::exchange(m_holding, false);
    const qint64 arrivalNs = m_serial.lastArrivalNs();
    // Without a notification since the send (a device that gives none) the bytes were seen now, at
    // the latest: such a sample is an upper bound and never counts as late.
    const bool notified = arrivalNs >= m_sentNs;
    const qint64 seenNs = notified ? arrivalNs : Clock::monotonicNs();
    if (received >= e.replyBytes) {
        const qint64 latencyUs = std::max<qint64>(0, seenNs - m_sentNs - CAutoScanRate::wireTimeNs(e)) / 1000;
        m_lastLatencyUs = latencyUs;
        if (m_automatic)
            m_auto.replyOnTime(latencyUs, notified ? m_allowedUs : std::max(m_allowedUs, latencyUs));
    } else if (held) {
        // Still incomplete after the extra wait: already backed off for it.
    } else if (received > 0) {
        // Paced bytes: the first of them came `received` characters before the last one was seen.
        const qint64 firstNs = seenNs - CAutoScanRate::wireTimeNs(qint64(e.requestBytes) + received);
        const qint64 latencyUs = notified ? std::max<qint64>(0, firstNs - m_sentNs) / 1000 : -1;
        if (m_automatic) m_auto.replyIncomplete(latencyUs, m_allowedUs);
    } else if (m_automatic) {
        m_auto.replyMissing(m_allowedUs);
    }
}

void CScanLoop::noteSend(qint64 sentNs) {
    m_sendTimes.push_back(sentNs);
    while (m_sendTimes.size() > kSendHistory) m_sendTimes.pop_front();
}

void CScanLoop::COM_Send(const QByteArray& frame) {
    m_inFlight.reset();
    m_holding = false;
    const auto exchange = CAutoScanRate::fromRequest(frame);
    if (m_automatic) {
        const int fixedMs = m_nextIsRead ? m_readScanRate : m_writeScanRate;
        m_allowedUs = m_auto.latencyUs();
        // Setting the interval restarts the timer, as SetScanInterval does at a fixed rate: the wait
        // counts from this send.
        m_timer.setInterval(exchange ? m_auto.intervalMs(*exchange, fixedMs) : fixedMs);
    }
    m_lastIntervalMs = m_timer.interval();
    const qint64 sentNs = Clock::monotonicNs();
    m_serial.COM_Send(frame);
    m_sentNs = sentNs;
    m_inFlight = exchange;
    noteSend(sentNs);
    emit frameSent(frame);
}

void CScanLoop::StartScan() {
    m_inFlight.reset();
    m_holding = false;
    m_sendTimes.clear();
    m_auto.reset();
    m_timer.start();
}

void CScanLoop::StopScan() {
    m_timer.stop();
    m_inFlight.reset();
    m_holding = false;
    m_sendTimes.clear();
}

void CScanLoop::SetScanInterval(bool isRead) {
    m_nextIsRead = isRead;
    // Automatic: COM_Send sets the interval, from the frame itself.
    if (m_automatic) return;
    m_timer.setInterval(isRead ? m_readScanRate : m_writeScanRate);
}
