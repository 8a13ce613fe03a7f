#include "sim/SimulatedPort.h"

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

#include "sim/M852Image.h"
#include "sim/SlaveEngine.h"

namespace sim {

namespace {

// Silence on the line after which a partial request is forgotten. Modbus RTU ends a frame after
// 3.5 character times (0.61 ms at 57600 baud); a whole millisecond leaves room for rounding.
constexpr qint64 kFrameGapNs = 1'000'000;

}  // namespace

SimulatedPort::SimulatedPort(QObject* parent)
    : SimulatedPort(std::make_shared<M852Image>(), FaultConfig{}, parent) {}

SimulatedPort::SimulatedPort(std::shared_ptr<M852Image> image, const FaultConfig& faults, QObject* parent)
    : QIODevice(parent),
      m_image(image ? std::move(image) : std::make_shared<M852Image>()),
      m_engine(std::make_unique<SlaveEngine>(*m_image)),
      m_faults(faults) {
    m_now = [] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    m_image->advanceTo(m_now());
    m_notify.setSingleShot(true);
    m_notify.setTimerType(Qt::PreciseTimer);
    connect(&m_notify, &QTimer::timeout, this, &SimulatedPort::onNotifyTimer);
}

SimulatedPort::~SimulatedPort() {
    m_notify.stop();
    // QIODevice::~QIODevice does not call close(); nothing else needs releasing.
}

M852Image& SimulatedPort::image() {
    syncImageTime();
    return *m_image;
}

SlaveEngine& SimulatedPort::engine() { return *m_engine; }

void SimulatedPort::setFaultConfig(const FaultConfig& faults) { m_faults.setConfig(faults); }

void SimulatedPort::setTimeSource(TimeSource now) {
    if (!now) return;
    m_now = std::move(now);
    m_image->resetTimeReference();
    m_image->advanceTo(m_now());
    m_lineFreeNs = 0;
    m_lastWriteNs = -1;
    m_inFlight.clear();
}

qint64 SimulatedPort::now() const { return m_now(); }

bool SimulatedPort::open(OpenMode mode) {
    if (isOpen()) return false;
    clearAll();
    m_engine->resetStream();
    return QIODevice::open(mode | QIODevice::Unbuffered);
}

void SimulatedPort::close() {
    m_notify.stop();
    clearAll();
    m_engine->resetStream();
    QIODevice::close();
}

void SimulatedPort::collectArrived() const {
    const qint64 t = now();
    while (!m_inFlight.empty() && m_inFlight.front().arrivalNs <= t) {
        m_arrived.append(m_inFlight.front().byte);
        m_inFlight.pop_front();
    }
}

void SimulatedPort::syncImageTime() const { m_image->advanceTo(now()); }

qint64 SimulatedPort::bytesAvailable() const {
    collectArrived();
    return m_arrived.size() + QIODevice::bytesAvailable();
}

qint64 SimulatedPort::bytesInFlight() const {
    collectArrived();
    return qint64(m_inFlight.size());
}

qint64 SimulatedPort::readData(char* data, qint64 maxSize) {
    collectArrived();
    const qint64 n = std::min<qint64>(maxSize, m_arrived.size());
    if (n > 0) {
        std::memcpy(data, m_arrived.constData(), size_t(n));
        m_arrived.remove(0, n);
    }
    return n;
}

qint64 SimulatedPort::writeData(const char* data, qint64 size) {
    if (size <= 0) return 0;
    const qint64 t = now();
    syncImageTime();
    const FaultConfig& cfg = m_faults.config();
    if (m_lastWriteNs >= 0 && t - m_lastWriteNs > kFrameGapNs) m_engine->resetStream();
    // The request occupies the line for its own wire time; the controller answers after its latency.
    const qint64 requestEnd = t + cfg.wireTimeNs(size);
    m_lastWriteNs = requestEnd;
    const QList<QByteArray> replies = m_engine->feed(QByteArray(data, qsizetype(size)));
    for (const QByteArray& reply : replies) {
        const FaultInjector::Outcome out = m_faults.apply(reply);
        qint64 at = std::max(requestEnd + cfg.latencyNs(), m_lineFreeNs);
        for (char byte : out.bytes) {
            // Paced: each byte has arrived one character time after the one before.
            at += cfg.paced ? FaultConfig::kByteTimeNs : 0;
            m_inFlight.push_back({at, byte});
        }
        m_lineFreeNs = at;
    }
    scheduleNotify();
    QMetaObject::invokeMethod(
        this, [this, size] { emit bytesWritten(size); }, Qt::QueuedConnection);
    return size;
}

void SimulatedPort::scheduleNotify() {
    if (m_inFlight.empty() || m_notify.isActive()) return;
    // Wake when the last byte now on its way has arrived; round up so the wake-up is never early.
    const qint64 waitNs = m_inFlight.back().arrivalNs - now();
    const qint64 waitMs = waitNs <= 0 ? 0 : (waitNs + 999'999) / 1'000'000;
    m_notify.start(int(std::min<qint64>(waitMs, 60'000)));
}

void SimulatedPort::onNotifyTimer() {
    const qint64 before = m_arrived.size();
    collectArrived();
    if (!m_inFlight.empty()) scheduleNotify();
    if (isOpen() && m_arrived.size() > before) emit readyRead();
}

bool SimulatedPort::waitForReadyRead(int msecs) {
    if (!isOpen()) return false;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (bytesAvailable() > 0) return true;
        if (m_inFlight.empty()) return false;  // nothing is on its way, so nothing can arrive
        const qint64 leftMs = msecs < 0 ? std::numeric_limits<qint64>::max() : msecs - waited.elapsed();
        if (leftMs <= 0) return false;
        const qint64 dueNs = m_inFlight.front().arrivalNs - now();
        const qint64 sleepUs = std::clamp<qint64>(dueNs / 1000 + 1, 1, leftMs * 1000);
        QThread::usleep(static_cast<unsigned long>(sleepUs));
    }
}

bool SimulatedPort::waitForBytesWritten(int /*msecs*/) {
    // Written bytes are handed over at once; there is never anything left to write.
    return false;
}

void SimulatedPort::clear() {
    collectArrived();
    m_arrived.clear();
}

void SimulatedPort::clearAll() {
    m_inFlight.clear();
    m_arrived.clear();
    m_notify.stop();
    m_lineFreeNs = 0;
}

}  // namespace sim
