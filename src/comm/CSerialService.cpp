#include "comm/CSerialService.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QSerialPortInfo>
#include <QTimer>
#include <algorithm>

#include "base/Clock.h"
#include "comm/SerialDeviceNames.h"

namespace {
Q_LOGGING_CATEGORY(lcSerial, "fc.comm", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSerialFrames, "fc.comm.frames", QtWarningMsg)

QString portLabel(int number) { return QStringLiteral("COM%1").arg(number); }

QString deviceLabel(int number, const QString& device) {
    return device.isEmpty() ? portLabel(number) : QStringLiteral("%1 (%2)").arg(portLabel(number), device);
}
}  // namespace

CSerialService::CSerialService(QObject* parent) : QObject(parent) {}

CSerialService::~CSerialService() { releaseDevice(); }

int CSerialService::maxPortNumber() { return SerialDeviceNames::maxPortNumber(); }

// ---------------------------------------------------------------------------------------------------
// COM_ operations

void CSerialService::COM_Initialize() {
    // Line settings, raw 8-bit input, no flow control and the buffer limits are applied by each open
    // (openDevice); only the port state and number are held here between opens.
    if (m_device) COM_ClosePort();
    m_broken = false;
    m_number = 1;
    m_failure = {};
}

void CSerialService::setCOM_Number(qint16 number) {
    if (number < minPortNumber() || number > maxPortNumber())
        throw ComponentError(kSerialErrorInvalidPort, QStringLiteral("CSerialService::COM_Number"),
                             QStringLiteral("Invalid port number"));
    m_number = number;
}

bool CSerialService::COM_IsOpen() const { return m_device && !m_broken; }

bool CSerialService::COM_ReceiveBufferIsEmpty() {
    if (!COM_IsOpen()) return true;
    if (m_device->bytesAvailable() > 0) return false;
    return bytesWaiting() <= 0;
}

qint64 CSerialService::bytesWaiting() {
    if (!COM_IsOpen()) return 0;
    if (m_port) {
        // QSerialPort's buffer is filled by the event loop; between two of its turns the driver may hold
        // more. A zero timeout only polls (it never blocks) and reports TimeoutError when nothing is
        // there, which onPortError ignores.
        m_port->waitForReadyRead(0);
        if (!COM_IsOpen()) return 0;
    }
    return m_device->bytesAvailable();
}

bool CSerialService::COM_OpenPort() {
    reapBrokenPort();
    m_failure = {};
    try {
        if (m_device) {
            fail(OpenFailureKind::Other, deviceForPort(m_number),
                 QStringLiteral("%1: the port is already open").arg(portLabel(m_number)));
            return false;
        }
        if (m_number == 0) return openBuiltIn();
        const QString device = deviceForPort(m_number);
        if (device.isEmpty()) {
            fail(OpenFailureKind::NoSuchDevice, device,
                 QStringLiteral("%1: no device has this number; map it to a device path")
                     .arg(portLabel(m_number)));
            return false;
        }
        return openDevice(device);
    } catch (const std::exception& e) {
        fail(OpenFailureKind::Other, deviceForPort(m_number),
             QStringLiteral("%1: %2").arg(portLabel(m_number), QString::fromLocal8Bit(e.what())));
    } catch (...) {
        fail(OpenFailureKind::Other, deviceForPort(m_number),
             QStringLiteral("%1: the port could not be opened").arg(portLabel(m_number)));
    }
    releaseDevice();
    return false;
}

bool CSerialService::COM_ClosePort() {
    try {
        if (!m_device) return false;
        releaseDevice();
        return true;
    } catch (...) {
        return false;
    }
}

void CSerialService::COM_EmptyReceiveBuffer() {
    if (!COM_IsOpen()) return;
    // Drop what already sits in the device object's buffer, then what the driver still holds.
    m_device->readAll();
    if (m_port) m_port->clear(QSerialPort::Input);
}

void CSerialService::COM_Send(const QByteArray& frame) {
    if (!COM_IsOpen())
        throw ComponentError(kSerialErrorPortNotOpen, QStringLiteral("CSerialService::COM_Send"),
                             QStringLiteral("Operation valid only when the port is open"));
    qCDebug(lcSerialFrames) << "send" << frame.toHex(' ');
    if (m_port) {
        // The remains of an earlier frame must never run into this one.
        m_port->clear(QSerialPort::Output);
        m_port->write(frame);
        // QSerialPort only buffers on write(); flush() hands the bytes to the driver now, without
        // waiting for them to go out, so the reply's time budget starts with this call.
        m_port->flush();
    } else {
        m_device->write(frame);
    }
}

quint8 CSerialService::COM_Receive() {
    if (!COM_IsOpen())
        throw ComponentError(kSerialErrorPortNotOpen, QStringLiteral("CSerialService::COM_Receive"),
                             QStringLiteral("Operation valid only when the port is open"));
    char c = 0;
    if (!m_device->getChar(&c))
        throw IndexOutOfRangeError();  // nothing to read: the first element of an empty array
    return static_cast<quint8>(c);
}

void CSerialService::noteArrival() { m_lastArrivalNs = Clock::monotonicNs(); }

// ---------------------------------------------------------------------------------------------------
// Port selection

void CSerialService::setPortOverrides(const QMap<int, QString>& overrides) {
    m_overrides.clear();
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it) {
        if (it.key() >= 1 && it.key() <= maxPortNumber() && !it.value().trimmed().isEmpty())
            m_overrides.insert(it.key(), it.value().trimmed());
    }
}

QString CSerialService::deviceForPort(int number) const {
    if (number == 0) return {};
    const auto it = m_overrides.constFind(number);
    if (it != m_overrides.cend()) return it.value();
    return SerialDeviceNames::conventionalDevice(number);
}

QList<CSerialService::PortInfo> CSerialService::detectPorts(const QMap<int, QString>& overrides) {
    QList<PortInfo> ports;
    ports.append(
        PortInfo{0, QString(), QStringLiteral("Built-in simulated controller"), QString(), QString()});

    // An override names a device by any path (a by-id link, a pty symlink); compare real files.
    QMap<QString, int> overrideByTarget;
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it) {
        const QString target = QFileInfo(it.value()).canonicalFilePath();
        overrideByTarget.insert(target.isEmpty() ? it.value() : target, it.key());
    }

    QList<PortInfo> found;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortInfo p;
        p.device = info.systemLocation();
        const QString target = QFileInfo(p.device).canonicalFilePath();
        const QString key = target.isEmpty() ? p.device : target;
        if (overrideByTarget.contains(key))
            p.number = overrideByTarget.take(key);
        else
            p.number = SerialDeviceNames::conventionalNumber(p.device);
        p.description = info.description();
        p.manufacturer = info.manufacturer();
        p.stablePath = SerialDeviceNames::stablePath(p.device);
        found.append(p);
    }
    // Mapped devices that the system does not list as serial ports (pseudo-terminals) but that exist.
    for (auto it = overrideByTarget.cbegin(); it != overrideByTarget.cend(); ++it) {
        const QString path = overrides.value(it.value());
        if (SerialDeviceNames::deviceMayExist(path) && QFileInfo::exists(path))
            found.append(PortInfo{it.value(), path, QString(), QString(), QString()});
    }
    std::stable_sort(found.begin(), found.end(), [](const PortInfo& a, const PortInfo& b) {
        // Numbered ports first, in order; devices no number reaches last.
        const unsigned ka = a.number < 0 ? 0xFFFFFFFFu : unsigned(a.number);
        const unsigned kb = b.number < 0 ? 0xFFFFFFFFu : unsigned(b.number);
        return ka < kb;
    });
    ports.append(found);
    return ports;
}

// ---------------------------------------------------------------------------------------------------
// Simulated controller

QIODevice* CSerialService::builtInPort() const { return m_isBuiltIn ? m_device.data() : nullptr; }

// ---------------------------------------------------------------------------------------------------
// Internals

bool CSerialService::openBuiltIn() {
    QIODevice* port = m_builtInFactory ? m_builtInFactory(this) : nullptr;
    if (!port) {
        fail(OpenFailureKind::NoSuchDevice, QString(),
             QStringLiteral("COM0: this program has no built-in simulated controller"));
        return false;
    }
    if (!port->open(QIODevice::ReadWrite)) {
        fail(OpenFailureKind::Other, QString(),
             QStringLiteral("COM0: the simulated controller could not be started"));
        delete port;
        return false;
    }
    connect(port, &QIODevice::readyRead, this, &CSerialService::noteArrival);
    m_isBuiltIn = true;
    m_device = port;
    m_broken = false;
    ++m_session;
    qCInfo(lcSerial) << "opened the simulated controller";
    return true;
}

bool CSerialService::openDevice(const QString& device) {
    const QString label = deviceLabel(m_number, device);
    if (!SerialDeviceNames::deviceMayExist(device)) {
        fail(OpenFailureKind::NoSuchDevice, device, QStringLiteral("%1: no such device").arg(label));
        return false;
    }

    auto* port = new QSerialPort(this);
    port->setPortName(device);
    port->setBaudRate(kBaudRate);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    port->setReadBufferSize(kReceiveBufferSize);

    // The open is non-blocking (O_NONBLOCK on POSIX, overlapped on Windows): a missing or busy port
    // fails at once.
    if (!port->open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = port->error();
        const QString reason = port->errorString();
        delete port;
        switch (error) {
            case QSerialPort::DeviceNotFoundError:
                fail(OpenFailureKind::NoSuchDevice, device, QStringLiteral("%1: no such device").arg(label));
                break;
            case QSerialPort::PermissionError:
                // The driver says "permission" both for a device another program holds (lock file,
                // exclusive mode) and for missing rights; only the latter is cured by a group.
                if (SerialDeviceNames::accessDenied(device)) {
                    const QString group = SerialDeviceNames::owningGroup(device);
                    QString text = QStringLiteral(
                                       "%1: permission denied: the user must belong to the group that owns "
                                       "serial devices (dialout on Debian)")
                                       .arg(label);
                    if (!group.isEmpty())
                        text += QStringLiteral("; %1 belongs to group \"%2\"").arg(device, group);
                    fail(OpenFailureKind::PermissionDenied, device, text, group);
                } else {
                    fail(OpenFailureKind::InUse, device,
                         QStringLiteral("%1: the port is in use by another program").arg(label));
                }
                break;
            default:
                fail(OpenFailureKind::Other, device, QStringLiteral("%1: %2").arg(label, reason));
                break;
        }
        return false;
    }
    // Some drivers keep bytes from before the open; the first reply must not be mixed with them.
    port->clear(QSerialPort::AllDirections);
    connect(port, &QSerialPort::errorOccurred, this, &CSerialService::onPortError);
    connect(port, &QIODevice::readyRead, this, &CSerialService::noteArrival);
    m_port = port;
    m_device = port;
    m_broken = false;
    ++m_session;
    qCInfo(lcSerial) << "opened" << label;
    return true;
}

void CSerialService::onPortError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ResourceError:  // the device went away
        case QSerialPort::ReadError:      // a hung-up line reads end-of-file or fails
        case QSerialPort::WriteError:
            break;
        default:
            return;  // TimeoutError from the zero-timeout poll, and nothing else arrives while open
    }
    if (m_broken || !m_port) return;
    // Do not close the port inside its own signal: mark it, close it from the event loop. Until then
    // COM_IsOpen is already False, so the manager stops sending to it.
    m_broken = true;
    // A hung-up line reads end-of-file, which the driver layer reports with whatever errno was left
    // over; its text is kept only as a detail.
    m_lostReason = QStringLiteral("%1: the device stopped working or was removed (%2)")
                       .arg(deviceLabel(m_number, m_port->portName()), m_port->errorString());
    qCWarning(lcSerial) << "port lost:" << m_lostReason;
    const quint64 session = m_session;
    QTimer::singleShot(0, this, [this, session] { onPortLost(session); });
}

void CSerialService::onPortLost(quint64 session) {
    if (session != m_session)
        return;  // reopened in between: the report is about a connection that no longer exists
    const bool wasBroken = m_broken;
    reapBrokenPort();
    if (wasBroken) emit portLost(m_lostReason);
}

void CSerialService::reapBrokenPort() {
    if (m_broken) releaseDevice();
}

void CSerialService::releaseDevice() {
    m_broken = false;
    if (QIODevice* device = m_device.data()) {
        m_device = nullptr;
        m_port = nullptr;
        m_isBuiltIn = false;
        device->disconnect(this);
        device->close();
        // Not deleted here: this may run while the device is still on the call stack (a signal it
        // emitted). It goes at the next event loop turn, or with this object.
        device->deleteLater();
    }
}

void CSerialService::fail(OpenFailureKind kind, const QString& device, const QString& message,
                          const QString& group) {
    m_failure = OpenFailure{kind, m_number, device, group, message};
    qCInfo(lcSerial) << "open failed:" << message;
}
