#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

namespace sim {

class M852Image;

// The Modbus RTU slave side of the simulated controller: functions 3 (read holding registers),
// 6 (write single register) and 16 (write multiple registers), addressed to slave 0 or to the
// engine's own address. Frames and CRC are handled here independently of the program's master codec.
class SlaveEngine {
public:
    enum ExceptionCode : quint8 { IllegalFunction = 1, IllegalDataAddress = 2, IllegalDataValue = 3 };

    // One request the engine handled, for logs and tests.
    struct Request {
        quint8 slave = 0;
        quint8 function = 0;
        int startRegister = 0;  // 1-based (wire address + 1); 0 when the function has none
        int count = 0;
        QList<quint16> values;  // registers written, or registers read when answered
        quint8 exception = 0;   // 0 = normal reply
        bool answered = false;  // false: not addressed to us, so no reply
        QByteArray frame;       // the request frame as received
        QByteArray reply;       // the correct reply (before any fault injection)
    };

    explicit SlaveEngine(M852Image& image, quint8 address = 1);

    [[nodiscard]] quint8 address() const { return m_address; }
    void setAddress(quint8 address) { m_address = address; }
    [[nodiscard]] M852Image& image() { return m_image; }

    // CRC-16/MODBUS (poly 0xA001 reflected, init 0xFFFF), bit by bit.
    [[nodiscard]] static quint16 crc16(const char* data, qsizetype size);
    [[nodiscard]] static quint16 crc16(const QByteArray& data) {
        return crc16(data.constData(), data.size());
    }
    // `body` followed by its CRC, low byte first.
    [[nodiscard]] static QByteArray withCrc(const QByteArray& body);

    // One complete request frame (address .. CRC). Returns the reply frame, or an empty array when
    // the frame is not answered (bad CRC, too short, another slave's address).
    [[nodiscard]] QByteArray handleFrame(const QByteArray& frame);

    // A chunk of the byte stream from the master. Frames are found in the stream by their length
    // (from the function code and byte count) and CRC; bytes that cannot start a frame are
    // discarded. Returns the replies of the frames completed by this chunk, in order.
    [[nodiscard]] QList<QByteArray> feed(const QByteArray& bytes);
    // Forgets a partial frame (the front ends call it after a silence on the line).
    void resetStream() { m_pending.clear(); }
    [[nodiscard]] qsizetype pendingBytes() const { return m_pending.size(); }
    [[nodiscard]] qint64 discardedBytes() const { return m_discarded; }

    // Called for every complete frame handled (answered or not).
    void setRequestObserver(std::function<void(const Request&)> observer) {
        m_observer = std::move(observer);
    }

private:
    QByteArray process(const QByteArray& frame, Request& request);
    [[nodiscard]] static QByteArray exceptionReply(quint8 slave, quint8 function, quint8 code);

    M852Image& m_image;
    quint8 m_address;
    QByteArray m_pending;
    qint64 m_discarded = 0;
    std::function<void(const Request&)> m_observer;
};

}  // namespace sim
