#pragma once

#include <QByteArray>
#include <QtGlobal>

// What the message manager needs from the object that owns the serial port and the scan timer.
// The main window (through its scan loop) implements it; tests use a fake and call the tick by hand.
class IScanHost {
public:
    virtual ~IScanHost() = default;

    virtual bool COM_IsOpen() = 0;
    virtual bool COM_OpenPort() = 0;
    virtual bool COM_ClosePort() = 0;
    virtual void COM_EmptyReceiveBuffer() = 0;
    virtual bool COM_ReceiveBufferIsEmpty() = 0;
    virtual quint8 COM_Receive() = 0;
    virtual void COM_Send(const QByteArray& frame) = 0;

    virtual void StartScan() = 0;
    virtual void StopScan() = 0;
    // Interval of the wait that follows the frame just built: the read scan rate for a read
    // (function 3), the write scan rate otherwise.
    virtual void SetScanInterval(bool isRead) = 0;

    // For the exchange observers: the wait set for the frame sent last, in ms (0 when the host does
    // not say), and the controller's latency measured from the reply collected last, in us (-1 when
    // it came incomplete or not at all, or the host does not measure it).
    [[nodiscard]] virtual int ExchangeIntervalMs() const { return 0; }
    [[nodiscard]] virtual qint64 ReplyLatencyUs() const { return -1; }
};
