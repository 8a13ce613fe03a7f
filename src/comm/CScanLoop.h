#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>

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

signals:
    // After every tick, whatever it did.
    void ticked();
    // A frame was handed to the port (for traffic counters and monitors).
    void frameSent(const QByteArray& frame);

private:
    CSerialService m_serial;
    QTimer m_timer;
    QPointer<CMsgManager> m_manager;
    qint16 m_readScanRate = kDefaultScanRate;
    qint16 m_writeScanRate = kDefaultScanRate;
};
