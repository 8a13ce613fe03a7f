#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "sim/FaultConfig.h"
#include "sim/FaultInjector.h"

namespace sim {

class M852Image;
class SlaveEngine;

// The simulated controller as a serial port: the device behind port number 0.
//
// Bytes written go to the slave engine at once; the reply (after fault injection) is put "on the
// line": the request occupies the line for its own wire time, then the controller waits its latency,
// then the reply's bytes arrive one every 173.6 us (when paced). bytesAvailable() and read() reflect
// exactly what would have arrived by now; availability is computed from the time source on every
// call, so it is exact whatever the caller's timing. readyRead() is emitted (from a precise timer on
// the owning thread) when a transmission has fully arrived.
//
// Opened in unbuffered mode; sequential. Safe to destroy at any time (open or not, bytes in flight).
class SimulatedPort : public QIODevice {
    Q_OBJECT
public:
    // Monotonic time in nanoseconds.
    using TimeSource = std::function<qint64()>;

    // A fresh image (default contents), slave address 1, default faults.
    explicit SimulatedPort(QObject* parent = nullptr);
    // Shares `image` (so a test or a reconnect sees the same registers).
    explicit SimulatedPort(std::shared_ptr<M852Image> image, const FaultConfig& faults = {},
                           QObject* parent = nullptr);
    ~SimulatedPort() override;

    [[nodiscard]] M852Image& image();
    [[nodiscard]] std::shared_ptr<M852Image> sharedImage() const { return m_image; }
    [[nodiscard]] SlaveEngine& engine();

    void setFaultConfig(const FaultConfig& faults);
    [[nodiscard]] const FaultConfig& faultConfig() const { return m_faults.config(); }
    [[nodiscard]] const FaultInjector::Stats& faultStats() const { return m_faults.stats(); }

    // Replaces the clock (tests). The image's time is advanced by the same source. The default is the
    // system's monotonic clock, shared by every port, so a shared image keeps its time across ports.
    void setTimeSource(TimeSource now);

    bool open(OpenMode mode) override;
    void close() override;
    [[nodiscard]] bool isSequential() const override { return true; }
    [[nodiscard]] qint64 bytesAvailable() const override;
    [[nodiscard]] qint64 bytesToWrite() const override { return 0; }
    bool waitForReadyRead(int msecs) override;
    bool waitForBytesWritten(int msecs) override;

    // Discards every byte that has arrived and not been read. Bytes still on their way arrive later,
    // as on a real line.
    void clear();
    // Discards also what is still on its way (as if the controller were reset).
    void clearAll();

    // Bytes scheduled but not yet arrived.
    [[nodiscard]] qint64 bytesInFlight() const;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    struct Pending {
        qint64 arrivalNs;  // when this byte has fully arrived
        char byte;
    };

    void collectArrived() const;
    void syncImageTime() const;
    void scheduleNotify();
    void onNotifyTimer();
    [[nodiscard]] qint64 now() const;

    std::shared_ptr<M852Image> m_image;
    std::unique_ptr<SlaveEngine> m_engine;
    FaultInjector m_faults;
    TimeSource m_now;
    qint64 m_lineFreeNs = 0;  // the line is busy with earlier traffic until then
    qint64 m_lastWriteNs = -1;
    mutable std::deque<Pending> m_inFlight;
    mutable QByteArray m_arrived;
    QTimer m_notify;
};

}  // namespace sim
