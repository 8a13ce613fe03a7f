#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QVector>
#include <QtGlobal>

// Reply frames for tests, framed here with a bit-by-bit CRC so that a fault in the codec's
// table-driven CRC cannot hide behind the same fault in the expected bytes.
namespace testframes {

// CRC-16/MODBUS: reflected polynomial 0xA001, initial 0xFFFF, no final XOR.
inline quint16 bitwiseCrc16(QByteArrayView bytes) {
    quint16 crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) ? static_cast<quint16>((crc >> 1) ^ 0xA001u) : static_cast<quint16>(crc >> 1);
        }
    }
    return crc;
}

// Appends the CRC, low byte first.
inline QByteArray withCrc(QByteArray body) {
    const quint16 crc = bitwiseCrc16(body);
    body.append(static_cast<char>(crc & 0xFF));
    body.append(static_cast<char>(crc >> 8));
    return body;
}

inline void appendWord(QByteArray& frame, qint16 value) {
    const auto pattern = static_cast<quint16>(value);
    frame.append(static_cast<char>(pattern >> 8));
    frame.append(static_cast<char>(pattern & 0xFF));
}

// Reply to a read of holding registers: slave, 3, byte count, values high byte first, CRC.
inline QByteArray readReply(quint8 slave, const QVector<qint16>& values) {
    QByteArray body;
    body.append(static_cast<char>(slave));
    body.append(char(3));
    body.append(static_cast<char>(2 * values.size()));
    for (const qint16 v : values) appendWord(body, v);
    return withCrc(body);
}

// Echo of a write: slave, function (6 or 16), wire address, value (6) or count (16), CRC.
inline QByteArray writeEcho(quint8 slave, quint8 function, qint16 wireAddress, qint16 valueOrCount) {
    QByteArray body;
    body.append(static_cast<char>(slave));
    body.append(static_cast<char>(function));
    appendWord(body, wireAddress);
    appendWord(body, valueOrCount);
    return withCrc(body);
}

}  // namespace testframes
