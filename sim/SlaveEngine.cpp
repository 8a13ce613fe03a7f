#include "sim/SlaveEngine.h"

#include <algorithm>

#include "sim/M852Image.h"

namespace sim {

namespace {

// A request frame is at least address, function and CRC.
constexpr qsizetype kMinFrame = 4;
// Longest frame a master can send: function 16 with a byte count of 255 (7 + 255 + 2).
constexpr qsizetype kMaxFrame = 264;
// Longer than this and the oldest bytes cannot belong to any frame still to come.
constexpr qsizetype kMaxPending = 2 * kMaxFrame;

constexpr int kMaxReadCount = 125;   // 125 registers = 250 data bytes fit one 256-byte frame
constexpr int kMaxWriteCount = 123;  // 123 registers = 246 data bytes, plus 9 bytes of header/CRC

quint8 byteAt(const QByteArray& a, qsizetype i) { return static_cast<quint8>(a.at(i)); }
int wordAt(const QByteArray& a, qsizetype i) { return (byteAt(a, i) << 8) | byteAt(a, i + 1); }

void appendWord(QByteArray& a, int w) {
    a.append(static_cast<char>((w >> 8) & 0xFF));
    a.append(static_cast<char>(w & 0xFF));
}

// One byte of CRC-16/MODBUS (reflected polynomial 0x8005 = 0xA001): XOR the byte into the low end
// and shift right eight times, XOR-ing the polynomial whenever a 1 falls out.
quint16 crcStep(quint16 crc, quint8 byte) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
        const bool lsb = crc & 1u;
        crc >>= 1;
        if (lsb) crc ^= 0xA001;
    }
    return crc;
}

enum class Scan { Complete, Incomplete, Invalid };

// Looks for a request frame starting at `s`: its length follows from the function code (and for
// function 16 from the byte count); an unknown function code has no known length, so the frame is
// taken to end where the running CRC first matches.
Scan scanFrame(const QByteArray& buf, qsizetype s, qsizetype& length) {
    const qsizetype avail = buf.size() - s;
    if (avail < 2) return Scan::Incomplete;
    const quint8 function = byteAt(buf, s + 1);
    if (function == 0 || (function & 0x80)) return Scan::Invalid;
    qsizetype need = 0;
    if (function == 3 || function == 6) {
        need = 8;
    } else if (function == 16) {
        if (avail < 7) return Scan::Incomplete;
        need = 9 + byteAt(buf, s + 6);
    } else {
        // Unknown function: the frame ends where the running CRC first matches the next two bytes.
        quint16 crc = 0xFFFF;
        const qsizetype limit = std::min(avail, kMaxFrame);
        for (qsizetype n = 0; n + 2 <= limit; ++n) {
            // crc is the CRC of the n bytes from s on.
            if (n >= 2 && byteAt(buf, s + n) == (crc & 0xFF) && byteAt(buf, s + n + 1) == (crc >> 8)) {
                length = n + 2;
                return Scan::Complete;
            }
            crc = crcStep(crc, byteAt(buf, s + n));
        }
        return avail >= kMaxFrame ? Scan::Invalid : Scan::Incomplete;
    }
    if (avail < need) return Scan::Incomplete;
    const quint16 crc = SlaveEngine::crc16(buf.constData() + s, need - 2);
    if (byteAt(buf, s + need - 2) != (crc & 0xFF) || byteAt(buf, s + need - 1) != (crc >> 8)) {
        return Scan::Invalid;
    }
    length = need;
    return Scan::Complete;
}

}  // namespace

SlaveEngine::SlaveEngine(M852Image& image, quint8 address) : m_image(image), m_address(address) {}

quint16 SlaveEngine::crc16(const char* data, qsizetype size) {
    // Initial value 0xFFFF, no final XOR.
    quint16 crc = 0xFFFF;
    for (qsizetype i = 0; i < size; ++i) crc = crcStep(crc, static_cast<quint8>(data[i]));
    return crc;
}

QByteArray SlaveEngine::withCrc(const QByteArray& body) {
    QByteArray frame = body;
    const quint16 crc = crc16(body);
    // The CRC goes on the wire low byte first, unlike the register values.
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
    return frame;
}

QByteArray SlaveEngine::exceptionReply(quint8 slave, quint8 function, quint8 code) {
    QByteArray body;
    body.append(static_cast<char>(slave));
    body.append(static_cast<char>(function | 0x80));
    body.append(static_cast<char>(code));
    return withCrc(body);
}

QByteArray SlaveEngine::handleFrame(const QByteArray& frame) {
    Request request;
    request.frame = frame;
    if (frame.size() < kMinFrame) return {};
    const quint16 crc = crc16(frame.constData(), frame.size() - 2);
    if (byteAt(frame, frame.size() - 2) != (crc & 0xFF) || byteAt(frame, frame.size() - 1) != (crc >> 8)) {
        return {};
    }
    QByteArray reply = process(frame, request);
    request.reply = reply;
    request.answered = !reply.isEmpty();
    if (m_observer) m_observer(request);
    return reply;
}

QByteArray SlaveEngine::process(const QByteArray& frame, Request& request) {
    const quint8 slave = byteAt(frame, 0);
    const quint8 function = byteAt(frame, 1);
    request.slave = slave;
    request.function = function;
    if (slave != 0 && slave != m_address) return {};  // another station's request: stay silent

    const qsizetype payload = frame.size() - 2;  // without the CRC
    auto refuse = [&](quint8 code) {
        request.exception = code;
        return exceptionReply(slave, function, code);
    };
    switch (function) {
        case 3: {
            if (payload != 6) return refuse(IllegalDataValue);
            const int address = wordAt(frame, 2);
            const int count = wordAt(frame, 4);
            request.startRegister = address + 1;
            request.count = count;
            if (count < 1 || count > kMaxReadCount) return refuse(IllegalDataValue);
            if (!m_image.isRangeMapped(address + 1, count)) return refuse(IllegalDataAddress);
            QByteArray body;
            body.append(static_cast<char>(slave));
            body.append(static_cast<char>(function));
            body.append(static_cast<char>(count * 2));
            for (int i = 0; i < count; ++i) {
                const quint16 v = m_image.valueOr(address + 1 + i);
                request.values.append(v);
                appendWord(body, v);
            }
            return withCrc(body);
        }
        case 6: {
            if (payload != 6) return refuse(IllegalDataValue);
            const int address = wordAt(frame, 2);
            const quint16 value = static_cast<quint16>(wordAt(frame, 4));
            request.startRegister = address + 1;
            request.count = 1;
            request.values.append(value);
            if (!m_image.isMapped(address + 1)) return refuse(IllegalDataAddress);
            m_image.masterWrite(address + 1, value);
            return frame;  // the normal reply to a single write echoes the request
        }
        case 16: {
            if (payload < 7) return refuse(IllegalDataValue);
            const int address = wordAt(frame, 2);
            const int count = wordAt(frame, 4);
            const int byteCount = byteAt(frame, 6);
            request.startRegister = address + 1;
            request.count = count;
            if (count < 1 || count > kMaxWriteCount || byteCount != 2 * count || payload != 7 + byteCount) {
                return refuse(IllegalDataValue);
            }
            for (int i = 0; i < count; ++i)
                request.values.append(static_cast<quint16>(wordAt(frame, 7 + 2 * i)));
            if (!m_image.isRangeMapped(address + 1, count)) return refuse(IllegalDataAddress);
            for (int i = 0; i < count; ++i) m_image.masterWrite(address + 1 + i, request.values.at(i));
            return withCrc(frame.left(6));  // address, function, start, count
        }
        default:
            return refuse(IllegalFunction);
    }
}

QList<QByteArray> SlaveEngine::feed(const QByteArray& bytes) {
    QList<QByteArray> replies;
    m_pending.append(bytes);
    for (;;) {
        qsizetype firstIncomplete = -1;
        qsizetype frameStart = -1;
        qsizetype frameLength = 0;
        for (qsizetype s = 0; s < m_pending.size(); ++s) {
            qsizetype length = 0;
            const Scan r = scanFrame(m_pending, s, length);
            if (r == Scan::Complete) {
                frameStart = s;
                frameLength = length;
                break;
            }
            if (r == Scan::Incomplete && firstIncomplete < 0) firstIncomplete = s;
        }
        if (frameStart < 0) {
            // No whole frame: everything before the first position that may still grow into a frame
            // is garbage.
            const qsizetype drop = firstIncomplete < 0 ? m_pending.size() : firstIncomplete;
            m_discarded += drop;
            m_pending.remove(0, drop);
            if (m_pending.size() > kMaxPending) {
                const qsizetype excess = m_pending.size() - kMaxPending;
                m_discarded += excess;
                m_pending.remove(0, excess);
            }
            break;
        }
        m_discarded += frameStart;
        const QByteArray frame = m_pending.mid(frameStart, frameLength);
        m_pending.remove(0, frameStart + frameLength);
        QByteArray reply = handleFrame(frame);
        if (!reply.isEmpty()) replies.append(std::move(reply));
    }
    return replies;
}

}  // namespace sim
