#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QVector>
#include <QtGlobal>
#include <array>

// Modbus RTU master frame codec for functions 3 (read holding registers), 6 (write single register)
// and 16 (write multiple registers). It turns the request described by its properties into a query
// frame, and a reply frame back into property values. It knows nothing of ports, queues or timing.
//
// The same object builds a query and parses its reply: a read reply carries no address or count, so
// ParseResponse leaves StartAddr and NumPoints at the values the query set.
//
// Every failure is thrown: ComponentError with the numbers below, or IndexOutOfRangeError /
// OverflowError (comm/ComponentError.h) for a position beyond the message or a 16-bit overflow.
// No position outside the message is ever read: such a position raises IndexOutOfRangeError.
class CModbusMaster {
public:
    static constexpr quint32 kErrNotSet = 0x800400C8u;        // property read before it was set
    static constexpr quint32 kErrInvalidValue = 0x800400C9u;  // rejected value, or query build failed
    static constexpr quint32 kErrInvalidData = 0x800400CAu;   // reply held invalid data
    static constexpr quint32 kErrByteCount = 0x800400CBu;     // reply's byte count invalid
    static constexpr quint32 kErrCrc = 0x800400CCu;           // reply's CRC did not match

    CModbusMaster();

    // Function code; any value but 0 is accepted (0 means "not set").
    [[nodiscard]] qint32 Funct() const;
    void setFunct(qint32 value);
    // Slave (device) address 0..247.
    [[nodiscard]] qint32 SlaveAddr() const;
    void setSlaveAddr(qint32 value);
    // 1-based register number 0..32767; the frame carries StartAddr - 1.
    [[nodiscard]] qint32 StartAddr() const;
    void setStartAddr(qint32 value);
    // Number of registers 0..127.
    [[nodiscard]] qint32 NumPoints() const;
    void setNumPoints(qint32 value);

    // Values to write (query) or values read / echoed (reply), indexed from 0.
    [[nodiscard]] QVector<qint16> SendData() const { return m_sendData; }
    void setSendData(const QVector<qint16>& values) { m_sendData = values; }

    void SetMessage(const QByteArray& bytes) { m_message = bytes; }
    [[nodiscard]] QByteArray GetMessage() const { return m_message; }

    void CreateQuery();
    void ParseResponse();

    // The CRC computed last (by CreateQuery or ParseResponse), low byte = the byte sent first.
    [[nodiscard]] quint16 CRC() const noexcept { return m_crc; }
    // Exception code of the last exception reply whose CRC was intact; 0 until one arrives. Such a
    // reply is still rejected as invalid data.
    [[nodiscard]] qint32 ExceptionCode() const noexcept { return m_exceptionCode; }

    // CRC-16/MODBUS of bytes, by the same tables the frames use (low byte in bits 7..0). Does not
    // change CRC().
    [[nodiscard]] quint16 Crc16(QByteArrayView bytes) const noexcept;
    // The two lookup tables: low and high byte of the reflected CRC-16 (0xA001) of each single byte.
    [[nodiscard]] const std::array<quint8, 256>& CrcTableLo() const noexcept { return m_crcTableLo; }
    [[nodiscard]] const std::array<quint8, 256>& CrcTableHi() const noexcept { return m_crcTableHi; }

private:
    void parseResponseUnmapped();
    [[nodiscard]] quint8 byteAt(qsizetype pos) const;
    [[nodiscard]] qint16 wordAt(qsizetype highPos) const;
    // Table-driven CRC over the first n bytes of the message; first = low byte, sent first.
    void computeCrc(qsizetype n, quint8& first, quint8& second);

    qint32 m_funct = 0;
    qint32 m_slaveAddr = -1;
    qint32 m_startAddr = -1;
    qint32 m_numPoints = -1;
    QVector<qint16> m_sendData;
    QByteArray m_message;
    std::array<quint8, 256> m_crcTableLo{};
    std::array<quint8, 256> m_crcTableHi{};
    quint16 m_crc = 0xFFFF;
    qint32 m_exceptionCode = 0;
};
