#include "comm/CModbusMaster.h"

#include <limits>

#include "base/ComponentError.h"

namespace {

const QString kSrcFunct = QStringLiteral("CModbusMaster::Funct");
const QString kSrcSlaveAddr = QStringLiteral("CModbusMaster::SlaveAddr");
const QString kSrcStartAddr = QStringLiteral("CModbusMaster::StartAddr");
const QString kSrcNumPoints = QStringLiteral("CModbusMaster::NumPoints");
const QString kSrcCreateQuery = QStringLiteral("CModbusMaster::CreateQuery");
const QString kSrcParseResponse = QStringLiteral("CModbusMaster::ParseResponse");

// Registers travel high byte first. The split works on the 16-bit two's-complement pattern, so -1
// goes out as FF FF and -256 as FF 00.
quint8 hiByte(qint32 value) { return static_cast<quint8>(static_cast<quint16>(value) >> 8); }
quint8 loByte(qint32 value) { return static_cast<quint8>(static_cast<quint16>(value) & 0xFFu); }

// The echoed address + 1 is 16-bit arithmetic: an echoed 0x7FFF (32767) has no successor.
qint16 incrementWord(qint16 word) {
    if (word == std::numeric_limits<qint16>::max()) throw OverflowError();
    return static_cast<qint16>(word + 1);
}

}  // namespace

CModbusMaster::CModbusMaster() {
    // Reflected CRC-16 with polynomial 0xA001 of each single byte, shifted out bit by bit; the table
    // loop then needs one lookup per byte instead of eight shifts.
    for (int i = 0; i < 256; ++i) {
        quint16 crc = static_cast<quint16>(i);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) ? static_cast<quint16>((crc >> 1) ^ 0xA001u) : static_cast<quint16>(crc >> 1);
        }
        m_crcTableLo[static_cast<size_t>(i)] = static_cast<quint8>(crc & 0xFFu);
        m_crcTableHi[static_cast<size_t>(i)] = static_cast<quint8>(crc >> 8);
    }
}

qint32 CModbusMaster::Funct() const {
    if (m_funct == 0) throw ComponentError(kErrNotSet, kSrcFunct, QStringLiteral("Function code not set"));
    return m_funct;
}

void CModbusMaster::setFunct(qint32 value) {
    if (value == 0) {
        throw ComponentError(kErrInvalidValue, kSrcFunct, QStringLiteral("Invalid function code passed"));
    }
    m_funct = value;
}

qint32 CModbusMaster::SlaveAddr() const {
    if (m_slaveAddr == -1) {
        throw ComponentError(kErrNotSet, kSrcSlaveAddr, QStringLiteral("Slave address not set"));
    }
    return m_slaveAddr;
}

void CModbusMaster::setSlaveAddr(qint32 value) {
    if (value < 0 || value > 247) {
        throw ComponentError(kErrInvalidValue, kSrcSlaveAddr, QStringLiteral("Invalid slave device address"));
    }
    m_slaveAddr = value;
}

qint32 CModbusMaster::StartAddr() const {
    if (m_startAddr == -1) {
        throw ComponentError(kErrNotSet, kSrcStartAddr, QStringLiteral("Starting address not set"));
    }
    return m_startAddr;
}

void CModbusMaster::setStartAddr(qint32 value) {
    if (value < 0 || value > 32767) {
        throw ComponentError(kErrInvalidValue, kSrcStartAddr, QStringLiteral("Invalid starting address"));
    }
    m_startAddr = value;
}

qint32 CModbusMaster::NumPoints() const {
    if (m_numPoints == -1) {
        throw ComponentError(kErrNotSet, kSrcNumPoints, QStringLiteral("Number of data points not set"));
    }
    return m_numPoints;
}

void CModbusMaster::setNumPoints(qint32 value) {
    if (value < 0 || value > 127) {
        throw ComponentError(kErrInvalidValue, kSrcNumPoints,
                             QStringLiteral("Invalid number of data points"));
    }
    m_numPoints = value;
}

void CModbusMaster::CreateQuery() {
    try {
        // StartAddr 0 is accepted and goes out as wire address 0xFFFF (-1 in 16 bits).
        const qint32 wireAddr = StartAddr() - 1;
        const auto slave = static_cast<quint8>(SlaveAddr());
        // The function code goes into one byte; a code that does not fit is an overflow.
        const qint32 funct = Funct();
        if (funct < 0 || funct > 255) throw OverflowError();

        const auto sendValue = [this](qsizetype i) -> qint16 {
            if (i < 0 || i >= m_sendData.size()) throw IndexOutOfRangeError();
            return m_sendData.at(i);
        };

        m_message.clear();
        switch (funct) {
            case 3: {
                const qint32 count = NumPoints();
                m_message = QByteArray(8, '\0');
                m_message[0] = static_cast<char>(slave);
                m_message[1] = 3;
                m_message[2] = static_cast<char>(hiByte(wireAddr));
                m_message[3] = static_cast<char>(loByte(wireAddr));
                m_message[4] = static_cast<char>(hiByte(count));
                m_message[5] = static_cast<char>(loByte(count));
                break;
            }
            case 6: {
                m_message = QByteArray(8, '\0');
                m_message[0] = static_cast<char>(slave);
                m_message[1] = 6;
                m_message[2] = static_cast<char>(hiByte(wireAddr));
                m_message[3] = static_cast<char>(loByte(wireAddr));
                const qint16 value = sendValue(0);
                m_message[4] = static_cast<char>(hiByte(value));
                m_message[5] = static_cast<char>(loByte(value));
                break;
            }
            case 16: {
                // 7 header bytes + 2 per register + 2 CRC bytes: 127 registers make 263 bytes with
                // a byte count of 254, which still fits its one byte.
                const qint32 count = NumPoints();
                m_message = QByteArray(9 + 2 * count, '\0');
                m_message[0] = static_cast<char>(slave);
                m_message[1] = 16;
                m_message[2] = static_cast<char>(hiByte(wireAddr));
                m_message[3] = static_cast<char>(loByte(wireAddr));
                m_message[4] = static_cast<char>(hiByte(count));
                m_message[5] = static_cast<char>(loByte(count));
                m_message[6] = static_cast<char>(2 * count);
                for (qint32 i = 0; i < count; ++i) {
                    const qint16 value = sendValue(i);
                    m_message[7 + 2 * i] = static_cast<char>(hiByte(value));
                    m_message[8 + 2 * i] = static_cast<char>(loByte(value));
                }
                break;
            }
            default:
                // No frame for any other function: the CRC step below finds no room and fails.
                break;
        }

        const qsizetype length = m_message.size();
        if (length < 2) throw IndexOutOfRangeError();
        quint8 first = 0;
        quint8 second = 0;
        computeCrc(length - 2, first, second);
        // Modbus sends the CRC low byte first, unlike the register words.
        m_message[length - 2] = static_cast<char>(first);
        m_message[length - 1] = static_cast<char>(second);
    } catch (const ComponentError& e) {
        throw ComponentError(kErrInvalidValue, kSrcCreateQuery, e.description());
    } catch (const std::exception& e) {
        throw ComponentError(kErrInvalidValue, kSrcCreateQuery, QString::fromUtf8(e.what()));
    }
}

void CModbusMaster::ParseResponse() {
    // All error translation happens here: range and function faults become "invalid data", the
    // byte-count and CRC faults get their texts, and language faults (a position beyond the
    // message, a 16-bit overflow) pass through unchanged.
    try {
        parseResponseUnmapped();
    } catch (const ComponentError& e) {
        switch (e.number()) {
            case kErrCrc:
                throw ComponentError(kErrCrc, kSrcParseResponse,
                                     QStringLiteral("CRC Mismatch - Possible data corruption"));
            case kErrInvalidValue:
                throw ComponentError(kErrInvalidData, kSrcParseResponse,
                                     QStringLiteral("Invalid data received from slave device"));
            case kErrByteCount:
                throw ComponentError(
                    kErrByteCount, kSrcParseResponse,
                    QStringLiteral("Invalid number of data bytes received from slave device"));
            default:
                throw;
        }
    }
}

void CModbusMaster::parseResponseUnmapped() {
    setSlaveAddr(byteAt(0));
    setFunct(byteAt(1));

    qsizetype crcPos = 0;
    switch (m_funct) {
        case 3: {
            // Read reply: slave, 3, byte count c, c data bytes, CRC. It carries no address or
            // count, so StartAddr and NumPoints stay as the query set them.
            const int byteCount = byteAt(2);
            if (byteCount == 0 || byteCount % 2 != 0) {
                throw ComponentError(kErrByteCount, kSrcParseResponse, QString());
            }
            QVector<qint16> values(byteCount / 2);
            for (qsizetype j = 0; j < values.size(); ++j) values[j] = wordAt(3 + 2 * j);
            m_sendData = values;
            crcPos = 3 + byteCount;
            break;
        }
        case 6:
            // Echo of a single write: slave, 6, address, value, CRC.
            m_sendData = QVector<qint16>(1, 0);
            setStartAddr(incrementWord(wordAt(2)));
            m_sendData[0] = wordAt(4);
            crcPos = 6;
            break;
        case 16:
            // Echo of a multiple write: slave, 16, address, count, CRC. SendData keeps the values
            // the query wrote.
            setStartAddr(incrementWord(wordAt(2)));
            setNumPoints(wordAt(4));
            crcPos = 6;
            break;
        default:
            // Exception replies (bit 7 set) land here too. Their code is kept for display only when
            // the 5-byte frame is intact; the reply is rejected either way.
            if ((m_funct & 0x80) != 0 && m_message.size() >= 5) {
                quint8 first = 0;
                quint8 second = 0;
                computeCrc(3, first, second);
                if (first == byteAt(3) && second == byteAt(4)) m_exceptionCode = byteAt(2);
            }
            throw ComponentError(kErrInvalidValue, kSrcParseResponse, QString());
    }

    quint8 first = 0;
    quint8 second = 0;
    computeCrc(crcPos, first, second);
    if (first != byteAt(crcPos) || second != byteAt(crcPos + 1)) {
        throw ComponentError(kErrCrc, kSrcParseResponse, QString());
    }
}

quint8 CModbusMaster::byteAt(qsizetype pos) const {
    if (pos < 0 || pos >= m_message.size()) throw IndexOutOfRangeError();
    return static_cast<quint8>(m_message.at(pos));
}

qint16 CModbusMaster::wordAt(qsizetype highPos) const {
    // high * 256 + low, read as a signed 16-bit value: 0x8000..0xFFFF become negative.
    const auto pattern = static_cast<quint16>((byteAt(highPos) << 8) | byteAt(highPos + 1));
    return static_cast<qint16>(pattern);
}

void CModbusMaster::computeCrc(qsizetype n, quint8& first, quint8& second) {
    if (n < 0 || n > m_message.size()) throw IndexOutOfRangeError();
    // r2 holds the low byte of the running CRC, r1 the high byte; each step shifts the CRC right
    // by one byte and folds in the table value for (low byte XOR data byte).
    quint8 r1 = 0xFF;
    quint8 r2 = 0xFF;
    for (qsizetype k = 0; k < n; ++k) {
        const quint8 i = static_cast<quint8>(m_message.at(k)) ^ r2;
        r2 = m_crcTableLo[i] ^ r1;
        r1 = m_crcTableHi[i];
    }
    first = r2;
    second = r1;
    m_crc = static_cast<quint16>((second << 8) | first);
}

quint16 CModbusMaster::Crc16(QByteArrayView bytes) const noexcept {
    quint8 r1 = 0xFF;
    quint8 r2 = 0xFF;
    for (const char c : bytes) {
        const quint8 i = static_cast<quint8>(c) ^ r2;
        r2 = m_crcTableLo[i] ^ r1;
        r1 = m_crcTableHi[i];
    }
    return static_cast<quint16>((r1 << 8) | r2);
}
