#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <optional>

#include "comm/CAutoScanRate.h"
#include "comm/CMsgManager.h"
#include "comm/CSerialService.h"
#include "comm/IScanHost.h"

// The scan timer and the serial port behind the message manager: what the main window and the
// command-line companion run the engine with.
//
// Every tick of `tmrScanRate`: the manager collects the reply to the previous request (BuildResponse,
// then StoreMsgData when bytes came), then sends the next request (SendMsg). SendMsg calls back
// SetScanInterval before it sends, which sets the timer to the read or write scan rate; QTimer restarts
// a running timer when its interval is set, so the next tick comes that many milliseconds after the
// send, and that interval is the time the controller has to answer.
//
// The timer is a precise timer: a coarse one may fire up to 5 % early, which at a tight scan rate
// cuts the tail off a reply.
//
// With the automatic scan rate on, SetScanInterval only notes whether a read or a write follows, and
// COM_Send sets the interval from the frame itself (CAutoScanRate: wire times, measured latency,
// margin), capped by that fixed rate. Still one frame per tick: the tick only measures, at the moment
// it runs, how much of the last reply came and when its bytes were handed over. A reply that is not
// complete at its tick backs the estimate off at once and gets one more wait (its missing bytes'
// wire time plus the raised latency, within the fixed rate); that tick collects and sends nothing
// and emits no ticked(), so for every listener the exchange simply took longer.
class CScanLoop : public QObject, public IScanHost {
    Q_OBJECT
public:
    static constexpr qint16 kDefaultScanRate = 500;

    explicit CScanLoop(QObject* parent = nullptr);
    ~CScanLoop() override;

    [[nodiscard]] CSerialService& serial() { return m_serial; }
    [[nodiscard]] const CSerialService& serial() const { return m_serial; }

    // The manager this loop drives. It must call back this loop (setScanHost); setManager does not
    // do that itself, so a manager can be shared or faked.
    void setManager(CMsgManager* manager);
    [[nodiscard]] CMsgManager* manager() const { return m_manager; }

    // Milliseconds to wait after a read / a write; default 500. Below 1 throws
    // ComponentError(kComponentErrorBase, "", "").
    [[nodiscard]] qint16 ReadScanRate() const { return m_readScanRate; }
    void setReadScanRate(qint16 ms);
    [[nodiscard]] qint16 WriteScanRate() const { return m_writeScanRate; }
    void setWriteScanRate(qint16 ms);

    // Automatic scan rate; off unless switched on. Switching it on, and every StartScan, starts the
    // latency estimate afresh from its safe value; switching it off puts the fixed rate back at once
    // (the timer restarts).
    // The read and write scan rates stay as they are and cap every automatic interval.
    void setAutomaticScanRate(bool on);
    [[nodiscard]] bool AutomaticScanRate() const { return m_automatic; }

    // For monitors, read after a tick (ticked) or a send (frameSent):
    // the interval set for the exchange sent last, in ms (0 before any);
    [[nodiscard]] int lastIntervalMs() const { return m_lastIntervalMs; }
    // the latency measured from the last complete reply, in us (-1 when it came incomplete or not at
    // all, or no reply was due): from the end of the request to the first byte, as seen by the tick;
    [[nodiscard]] qint64 lastLatencyUs() const { return m_lastLatencyUs; }
    // the latency the automatic scan rate gives the next exchange, in us;
    [[nodiscard]] qint64 latencyEstimateUs() const { return m_auto.latencyUs(); }
    [[nodiscard]] const CAutoScanRate& autoScanRate() const { return m_auto; }
    // the time one pass over every queued packet took, in ms: from the send of a packet to its next
    // send; -1 until the scan has gone once round the queue.
    [[nodiscard]] qint64 refreshCycleMs() const;

    // One scan cycle; errors of every step are dropped (a lost reply is followed by the next request).
    void tick();
    [[nodiscard]] bool isScanning() const { return m_timer.isActive(); }
    [[nodiscard]] int interval() const { return m_timer.interval(); }
    [[nodiscard]] const QTimer& timer() const { return m_timer; }

    // --- IScanHost ------------------------------------------------------------------------------
    bool COM_IsOpen() override { return m_serial.COM_IsOpen(); }
    bool COM_OpenPort() override { return m_serial.COM_OpenPort(); }
    bool COM_ClosePort() override { return m_serial.COM_ClosePort(); }
    void COM_EmptyReceiveBuffer() override { m_serial.COM_EmptyReceiveBuffer(); }
    bool COM_ReceiveBufferIsEmpty() override { return m_serial.COM_ReceiveBufferIsEmpty(); }
    quint8 COM_Receive() override { return m_serial.COM_Receive(); }
    void COM_Send(const QByteArray& frame) override;
    void StartScan() override;
    void StopScan() override;
    void SetScanInterval(bool isRead) override;
    [[nodiscard]] int ExchangeIntervalMs() const override { return m_lastIntervalMs; }
    [[nodiscard]] qint64 ReplyLatencyUs() const override { return m_lastLatencyUs; }

signals:
    // After every tick, whatever it did (but the extra wait the automatic scan rate gives a late
    // reply, which does nothing).
    void ticked();
    // A frame was handed to the port (for traffic counters and monitors).
    void frameSent(const QByteArray& frame);

private:
    bool holdForLateReply() noexcept;
    void measureReply(qint32 received) noexcept;
    void noteSend(qint64 sentNs);

    CSerialService m_serial;
    QTimer m_timer;
    QPointer<CMsgManager> m_manager;
    qint16 m_readScanRate = kDefaultScanRate;
    qint16 m_writeScanRate = kDefaultScanRate;

    CAutoScanRate m_auto;
    bool m_automatic = false;
    bool m_nextIsRead = true;  // what SetScanInterval said of the frame about to be sent
    // The exchange sent last, until the tick that collects its reply.
    std::optional<CAutoScanRate::Exchange> m_inFlight;
    qint64 m_sentNs = 0;
    qint64 m_allowedUs = 0;  // the latency that exchange was given
    bool m_holding = false;  // its tick found the reply incomplete and gave it one more wait
    int m_lastIntervalMs = 0;
    qint64 m_lastLatencyUs = -1;
    std::deque<qint64> m_sendTimes;  // the latest sends, oldest first
};
