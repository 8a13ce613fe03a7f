#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <memory>
#include <vector>

#include "sim/FaultConfig.h"
#include "sim/FaultInjector.h"
#include "sim/SlaveEngine.h"

class QSocketNotifier;

namespace sim {

// The simulated controller on a pseudo-terminal (POSIX only), as run by `m852-sim`.
//
// open() creates the master side (raw mode, 57600 baud), and devicePath() names the slave side a
// client opens like any serial device. Requests are read from the master as they come; replies are
// written after the latency, paced at the line rate when the fault configuration says so. When the
// client closes the slave side the master reads EIO; the front end keeps the master open and waits
// for the next client. The engine's image time is advanced from a monotonic timer.
class PtyFrontEnd : public QObject {
    Q_OBJECT
public:
    PtyFrontEnd(SlaveEngine& engine, const FaultConfig& faults, QObject* parent = nullptr);
    ~PtyFrontEnd() override;

    // Opens the pseudo-terminal. On failure returns false and sets `error`.
    bool open(QString* error = nullptr);
    [[nodiscard]] bool isOpen() const { return m_master >= 0; }
    [[nodiscard]] QString devicePath() const { return m_devicePath; }

    // Creates a symbolic link `linkPath` -> devicePath() (replacing an existing link, never a regular
    // file); removed again by the destructor.
    bool createLink(const QString& linkPath, QString* error = nullptr);

    // Every handled request is appended to `path` as one JSON line:
    // {"t_ms": ms since the front end started,
    // "slave":..,"function":..,"start":..,"count":..,"values":[..],"answer":"ok" |
    //  "exception N" | "ignored", "fault":{"dropped":true,"crc":true,"truncated":true,"stray":N}}
    // ("values": registers written, or read; "fault" only when one was injected).
    bool setLogFile(const QString& path, QString* error = nullptr);

    // Brings the image's time up to date (call before looking at time-dependent registers).
    void syncTime();

    [[nodiscard]] const FaultInjector::Stats& faultStats() const { return m_faults.stats(); }
    [[nodiscard]] qint64 requestsHandled() const { return m_requests; }

signals:
    void requestHandled(const sim::SlaveEngine::Request& request);

private:
    void onReadable();
    void writeLog(const SlaveEngine::Request& request, const FaultInjector::Outcome& out, qint64 nowNs);
    void queueOutput(const QByteArray& bytes, qint64 notBeforeNs);
    void pumpOutput();
    void scheduleRearm();

    SlaveEngine& m_engine;
    FaultInjector m_faults;
    int m_master = -1;
    QString m_devicePath;
    QString m_linkPath;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    QTimer m_rearmTimer;  // re-enables reading after the client hung up (EIO)
    QTimer m_outputTimer;
    QElapsedTimer m_clock;
    qint64 m_lastByteNs = -1;
    qint64 m_lineFreeNs = 0;
    struct Out {
        qint64 dueNs;
        char byte;
    };
    std::deque<Out> m_output;
    std::unique_ptr<QFile> m_log;
    std::vector<SlaveEngine::Request> m_justHandled;
    qint64 m_requests = 0;
};

}  // namespace sim
