#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSerialPort>
#include <QString>
#include <functional>

#include "base/ComponentError.h"

class QIODevice;

// Error numbers raised by the serial service (the other COM_ operations do not catch failures; the
// options dialog turns them into a beep and the scan tick drops them).
inline constexpr quint32 kSerialErrorInvalidPort = kComponentErrorBase + 8002;  // port number refused
inline constexpr quint32 kSerialErrorPortNotOpen = kComponentErrorBase + 8018;  // needs an open port

// The program's one serial port: the COM_ operations over a QSerialPort at 57600,N,8,1, raw bytes.
//
// The line is polled. The service never reacts to incoming data; bytes pile up in QSerialPort's buffer
// (filled by the event loop between scan ticks, or on demand by COM_ReceiveBufferIsEmpty) and are taken
// one at a time by COM_Receive.
//
// Port numbers: 0 is the built-in simulated controller (a device the program hands in through
// setBuiltInPortFactory; the engine itself knows no simulator); on Windows n is COMn;
// elsewhere COM1-32 = /dev/ttyS0-31, COM33-64 = /dev/ttyUSB0-31, COM65-96 = /dev/ttyACM0-31, and any
// number 1..255 can be mapped to another device path by an override (a by-id link, a pseudo-terminal).
//
// Buffers: the receive side is capped at 1024 bytes (QSerialPort's read buffer limit; once it is full
// the driver keeps further bytes until the buffer is drained or discarded, so a flood between two ticks
// costs memory only up to that cap). QSerialPort has no transmit-buffer size; COM_Send discards what
// is still unsent before it writes, so the transmit side never holds more than the one frame just
// handed over (at most 263 bytes).
class CSerialService : public QObject {
    Q_OBJECT
public:
    enum class OpenFailureKind { None, NoSuchDevice, InUse, PermissionDenied, Other };
    // Why the last COM_OpenPort failed (kind None after a successful open).
    struct OpenFailure {
        OpenFailureKind kind = OpenFailureKind::None;
        int number = 0;
        QString device;
        QString group;    // PermissionDenied: the group that owns the device, when known
        QString message;  // one line, ready to be shown to the user
    };
    // One serial port found on this machine, for the options dialog.
    struct PortInfo {
        int number = -1;  // the port number that opens it (0 = simulated controller); -1 if none does
        QString device;   // system location, e.g. /dev/ttyUSB0 or COM3; empty for the simulator
        QString description;
        QString manufacturer;
        QString stablePath;  // e.g. /dev/serial/by-id/usb-FTDI_..-if00-port0; empty if none
    };

    static constexpr qint32 kBaudRate = 57600;
    static constexpr qint64 kReceiveBufferSize = 1024;
    static constexpr qint64 kTransmitBufferSize = 1024;

    explicit CSerialService(QObject* parent = nullptr);
    ~CSerialService() override;

    CSerialService(const CSerialService&) = delete;
    CSerialService& operator=(const CSerialService&) = delete;

    // --- The COM_ operations -------------------------------------------------------------------
    // Closes the port if open, resets the line settings, selects port 1 and empties the buffers.
    void COM_Initialize();
    // Port numbers 0..maxPortNumber(); anything else throws ComponentError(kSerialErrorInvalidPort).
    // A change while the port is open takes effect at the next open.
    void setCOM_Number(qint16 number);
    [[nodiscard]] qint16 COM_Number() const { return m_number; }
    [[nodiscard]] bool COM_IsOpen() const;
    [[nodiscard]] bool COM_ReceiveBufferIsEmpty();
    // Never throws and never blocks; on failure lastOpenFailure() tells why.
    bool COM_OpenPort();
    bool COM_ClosePort();
    void COM_EmptyReceiveBuffer();
    // Throws ComponentError(kSerialErrorPortNotOpen) when the port is closed.
    void COM_Send(const QByteArray& frame);
    // Takes exactly one received byte. Throws IndexOutOfRangeError when none is waiting and
    // ComponentError(kSerialErrorPortNotOpen) when the port is closed.
    [[nodiscard]] quint8 COM_Receive();

    // The count of received bytes waiting (0 when closed), with the same look at the driver as
    // COM_ReceiveBufferIsEmpty. For monitors and tests; the engine itself only asks whether it is empty.
    [[nodiscard]] qint64 bytesWaiting();

    // When received bytes were last handed to the program (the device's readyRead), on the steady
    // clock of Clock::monotonicNs(); -1 before any. The scan loop times replies with it; the line is still
    // only read by the tick.
    [[nodiscard]] qint64 lastArrivalNs() const { return m_lastArrivalNs; }

    // --- Port selection ------------------------------------------------------------------------
    [[nodiscard]] static QString lineSettings() { return QStringLiteral("57600,N,8,1"); }
    [[nodiscard]] static int minPortNumber() { return 0; }
    [[nodiscard]] static int maxPortNumber();

    // Number -> device path. Entries outside 1..maxPortNumber() or with an empty path are ignored.
    void setPortOverrides(const QMap<int, QString>& overrides);
    [[nodiscard]] QMap<int, QString> portOverrides() const { return m_overrides; }
    // The device `number` opens: the override, else the conventional device; empty for 0 (the
    // simulated controller) and for a number that has no device.
    [[nodiscard]] QString deviceForPort(int number) const;

    [[nodiscard]] const OpenFailure& lastOpenFailure() const { return m_failure; }

    // The serial ports of this machine, the simulated controller (number 0) first, then by number.
    [[nodiscard]] static QList<PortInfo> detectPorts(const QMap<int, QString>& overrides = {});

    // --- The built-in simulated controller (port 0) -----------------------------------------------
    // Makes the unopened device behind port 0, parented to `parent`. Without a factory, opening port 0
    // fails with a message.
    using BuiltInPortFactory = std::function<QIODevice*(QObject* parent)>;
    void setBuiltInPortFactory(BuiltInPortFactory factory) { m_builtInFactory = std::move(factory); }
    // The open port-0 device, else nullptr.
    [[nodiscard]] QIODevice* builtInPort() const;

signals:
    // The open device failed underneath the program (USB adapter pulled, pseudo-terminal gone). The
    // port is already closed when this arrives (queued, from the event loop).
    void portLost(const QString& reason);

private:
    void onPortError(QSerialPort::SerialPortError error);
    void noteArrival();
    void onPortLost(quint64 session);
    void reapBrokenPort();
    void releaseDevice();
    bool openBuiltIn();
    bool openDevice(const QString& device);
    void fail(OpenFailureKind kind, const QString& device, const QString& message, const QString& group = {});

    qint16 m_number = 1;
    QMap<int, QString> m_overrides;
    OpenFailure m_failure;

    // The open device: either the QSerialPort or the built-in port; both are children of this object.
    QPointer<QIODevice> m_device;
    QPointer<QSerialPort> m_port;
    bool m_isBuiltIn = false;
    bool m_broken = false;  // the device failed; closed at the next safe moment
    QString m_lostReason;
    quint64 m_session = 0;  // counts opens, so a late loss report never hits a newer connection
    qint64 m_lastArrivalNs = -1;

    BuiltInPortFactory m_builtInFactory;
};
