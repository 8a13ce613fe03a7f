#include "CliSession.h"

#include <QTimer>

#include "CliTrace.h"
#include "comm/SerialDeviceNames.h"
#include "sim/BuiltInController.h"

namespace {
// --device PATH needs a number to live under. A path that is some number's conventional device keeps
// that number (so messages say COM33 for /dev/ttyUSB0); any other path is mapped to the last number.
int numberForDevice(const QString& path) {
    const int n = SerialDeviceNames::conventionalNumber(path);
    return n >= 1 ? n : CSerialService::maxPortNumber();
}
}  // namespace

CliSession::CliSession(const CliOptions& options, QTextStream& out, QTextStream& err, QObject* parent)
    : QObject(parent), m_options(options), m_out(out), m_err(err) {
    m_manager.setScanHost(&m_loop);
    CliTrace::attach(m_manager);
    m_loop.setManager(&m_manager);
    m_loop.setReadScanRate(static_cast<qint16>(options.scanRateMs));
    m_loop.setWriteScanRate(static_cast<qint16>(options.scanRateMs));
    m_loop.setAutomaticScanRate(options.automaticScanRate);

    CSerialService& serial = m_loop.serial();
    serial.setBuiltInPortFactory(sim::BuiltInController().portFactory());
    serial.COM_Initialize();
    if (!options.device.isEmpty()) {
        const int number = numberForDevice(options.device);
        // A bare conventional name ("ttyUSB0", as QSerialPort names ports) means that device's path.
        const QString path = SerialDeviceNames::conventionalNumber(options.device) == number
                                 ? SerialDeviceNames::conventionalDevice(number)
                                 : options.device;
        serial.setPortOverrides({{number, path}});
        serial.setCOM_Number(static_cast<qint16>(number));
    } else {
        serial.setCOM_Number(static_cast<qint16>(options.port));
    }

    m_packet = std::make_shared<CMsgPacketNode>();
    m_packet->setWinID(kWinID);
    m_packet->setDeviceAddr(0);
    m_packet->setStartingReg(static_cast<qint16>(options.start));
    m_packet->setNumReg(static_cast<qint16>(options.count));
    if (options.command == CliOptions::Command::Read) {
        m_packet->setMsgType(3);
        m_packet->setPersistent(true);
    } else {
        m_packet->setMsgType(options.single ? 6 : 16);
        // --resend: polled like a read until the echo comes or --tries copies are out.
        m_packet->setPersistent(options.resend);
        for (int i = 0; i < options.values.size(); ++i)
            m_packet->setData(i, static_cast<qint16>(static_cast<quint16>(options.values.at(i) & 0xFFFF)));
    }

    connect(&m_manager, &CMsgManager::MessageReady, this, &CliSession::onMessageReady);
    connect(&m_loop, &CScanLoop::ticked, this, &CliSession::onTick);
    connect(&m_loop, &CScanLoop::frameSent, this, [this] { ++m_sent; });
    connect(&serial, &CSerialService::portLost, this, &CliSession::onPortLost);
}

QString CliSession::portName() const {
    const CSerialService& serial = m_loop.serial();
    const QString device = serial.deviceForPort(serial.COM_Number());
    if (serial.COM_Number() == 0) return QStringLiteral("the simulated controller (port 0)");
    return QStringLiteral("COM%1 (%2)").arg(serial.COM_Number()).arg(device);
}

void CliSession::start() {
    if (m_loop.serial().COM_Number() == 0)
        m_err << "field-console-cli: port 0: using the built-in simulated controller, not a real device\n"
              << Qt::flush;
    m_manager.AddMsgPacket(m_packet);
    // The first wait is the one for the first request's kind.
    m_loop.SetScanInterval(m_options.command == CliOptions::Command::Read);
    if (!m_manager.Connect()) {
        const auto& failure = m_loop.serial().lastOpenFailure();
        m_err << "field-console-cli: cannot open the port: " << failure.message << '\n' << Qt::flush;
        QTimer::singleShot(0, this, [this] { emit finished(3); });
        m_done = true;
        return;
    }
    // Send the first request now instead of one scan interval later; the timer takes over from there.
    QTimer::singleShot(0, this, [this] {
        if (!m_done) m_loop.tick();
    });
}

void CliSession::onMessageReady(qint32 winId) {
    if (winId != kWinID || m_done) return;
    const CMsgPacketNode& reply = m_manager.GetWaitingData();
    try {
        if (m_options.command == CliOptions::Command::Read) {
            QList<qint16> values;
            values.reserve(m_options.count);
            for (int i = 0; i < m_options.count; ++i) values.append(reply.Data(i));
            m_lastValues = values;
            m_lastStart = reply.StartingReg();
            ++m_valid;
            m_replyThisTick = true;
            if (m_options.repeat == 0) stopSending();  // one valid reply is all a plain read needs
        } else {
            // The echo names the first register written; a reply about another register is not ours.
            if (reply.StartingReg() != m_options.start) return;
            QList<qint16> values;
            for (int i = 0; i < m_options.values.size(); ++i) values.append(reply.Data(i));
            if (m_options.single && values.value(0) != qint16(quint16(m_options.values.at(0) & 0xFFFF)))
                return;
            m_lastValues = values;
            m_lastStart = reply.StartingReg();
            ++m_valid;
            m_replyThisTick = true;
            stopSending();  // with --resend: before this tick sends another copy
        }
    } catch (...) {
        // A reply packet with fewer values than asked: not a valid reply.
    }
}

void CliSession::onTick() {
    if (m_done) return;
    const bool sentThisTick = m_sent != m_sentAtLastTick;
    m_sentAtLastTick = m_sent;
    const bool isRead = m_options.command == CliOptions::Command::Read;
    const bool replyThisTick = m_replyThisTick;
    m_replyThisTick = false;

    // This tick collected the reply to the poll sent at the tick before, or found none.
    if (isRead && m_awaiting > 0) {
        if (m_options.each) printPoll(m_awaiting, replyThisTick);
        m_awaiting = 0;
    }

    if (sentThisTick) {
        m_idleTicks = 0;
        if (isRead) {
            m_awaiting = m_sent;
            if (m_options.repeat > 0) {
                // --repeat: the first --tries polls have had their reply windows and none answered.
                if (m_valid == 0 && m_sent > m_options.tries) {
                    m_sent -= 1;  // the poll just sent gets no reply window: not counted
                    m_awaiting = 0;
                    finish(1, QStringLiteral("no valid reply from %1 after %2 tries")
                                  .arg(portName())
                                  .arg(m_options.tries));
                    return;
                }
                if (m_sent >= m_options.repeat)
                    stopSending();  // the last poll is out; the next tick collects its reply
            } else if (m_sent >= m_options.tries) {
                stopSending();
            }
        } else {
            m_waited = 0;
            if (m_sent >= m_options.tries) stopSending();  // --resend: the last copy is out
        }
        return;  // a request is out; its reply is collected by the next tick
    }

    // Nothing went out this tick.
    if (isRead) {
        if (m_stopped) {
            if (m_valid > 0)
                finish(0);
            else
                finish(1,
                       QStringLiteral("no valid reply from %1 after %2 tries").arg(portName()).arg(m_sent));
            return;
        }
    } else if (m_valid > 0) {
        finish(0);
        return;
    } else if (m_sent > 0) {
        // One more interval without the echo. Without --resend nothing is sent again: the echo may
        // only be late, and a second copy of a command would run it twice.
        ++m_waited;
        if (m_options.resend ? m_stopped : m_waited >= m_options.tries) {
            finish(1,
                   m_options.resend
                       ? QStringLiteral("no echo from %1 after %2 tries; the write may not have been applied")
                             .arg(portName())
                             .arg(m_sent)
                       : QStringLiteral("no echo from %1 within %2 scan intervals; the write may or may not "
                                        "have been applied")
                             .arg(portName())
                             .arg(m_waited));
        }
        return;
    }
    // A request that was neither sent nor stopped: the engine could not send it (port closed, or the
    // request could not be framed). Give it as many ticks as tries, then give up.
    if (++m_idleTicks > m_options.tries)
        finish(1, QStringLiteral("no request could be sent to %1").arg(portName()));
}

void CliSession::onPortLost(const QString& reason) {
    if (!m_done) finish(1, QStringLiteral("the port was lost: %1").arg(reason));
}

void CliSession::stopSending() {
    m_stopped = true;
    m_manager.RemoveMsgs(kWinID);
}

void CliSession::finish(int exitCode, const QString& error) {
    m_done = true;
    m_manager.Disconnect();
    // --each has printed every poll's values already.
    if (!m_lastValues.isEmpty() && !m_options.each) printRegisters(m_lastStart, m_lastValues);
    if (m_options.command == CliOptions::Command::Read && m_options.repeat > 0)
        m_out << "sent " << m_sent << ", valid " << m_valid << ", lost " << (m_sent - m_valid) << '\n';
    m_out.flush();
    if (!error.isEmpty()) m_err << "field-console-cli: " << error << '\n' << Qt::flush;
    QTimer::singleShot(0, this, [this, exitCode] { emit finished(exitCode); });
}

void CliSession::printPoll(qint64 poll, bool ok) {
    m_out << poll << (ok ? " ok" : " lost");
    if (ok) {
        for (qint16 v : std::as_const(m_lastValues)) m_out << ' ' << v;
    }
    m_out << '\n';
    m_out.flush();  // a script logging a controller sees each poll as it happens
}

void CliSession::printRegisters(int start, const QList<qint16>& values) {
    for (int i = 0; i < values.size(); ++i) m_out << (start + i) << ' ' << values.at(i) << '\n';
}
