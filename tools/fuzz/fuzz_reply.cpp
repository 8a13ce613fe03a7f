// Feeds arbitrary bytes to the engine as the controller's reply and checks that MessageReady fires
// exactly for byte strings that are an intact reply to the request just sent (its function code; for
// a write its start register; for a read at least its register count), with the values the bytes
// carry. The acceptance rules are written out again here, apart from the codec, with a
// bit-by-bit CRC.
//
// The exchange report to the observers is checked alongside: one report for the collection, "valid"
// exactly when MessageReady fired, with the request sent and the bytes collected.
//
// Input layout: byte 0 picks the request (function 3, 6 or 16, and its WinID), byte 1 its register
// count (0..127); every further byte is what arrives on the line before the next tick.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "FakeScanHost.h"
#include "ModbusTestFrames.h"
#include "base/ComponentError.h"
#include "comm/CModbusMaster.h"
#include "comm/CMsgManager.h"

namespace {

constexpr qint16 kStartingReg = 150;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_reply: %s\n", what);
    std::abort();
}

struct Request {
    qint32 function = 3;
    qint16 winID = 0;
    int numReg = 0;
    QVector<qint16> values;  // the codec's values when the reply arrives: those written by 6 and 16
};

struct Expected {
    qint16 deviceAddr = 0;
    qint32 msgType = 0;
    qint16 startingReg = 0;
    QVector<qint16> data;
};

qint16 wordAt(const QByteArray& b, int pos) {
    return static_cast<qint16>(static_cast<quint16>(quint8(b[pos]) << 8 | quint8(b[pos + 1])));
}

bool crcIntact(const QByteArray& b, int crcPos) {
    if (b.size() < crcPos + 2) return false;
    const quint16 crc = testframes::bitwiseCrc16(QByteArrayView(b.constData(), crcPos));
    return quint8(b[crcPos]) == (crc & 0xFF) && quint8(b[crcPos + 1]) == (crc >> 8);
}

// A reply frame the engine must deliver, and what it must deliver; nullopt when it must be dropped.
std::optional<Expected> expectedReply(const Request& request, const QByteArray& line) {
    // Nothing collected, or more than the 257-byte receive buffer: no parse at all.
    if (line.isEmpty() || line.size() > CMsgManager::kReceiveBufferSize || line.size() < 2)
        return std::nullopt;
    // A single write of no register cannot be framed: nothing went out, so nothing is an answer.
    if (request.function == 6 && request.numReg == 0) return std::nullopt;
    Expected e;
    e.deviceAddr = quint8(line[0]);
    e.msgType = quint8(line[1]);
    if (e.deviceAddr > 247) return std::nullopt;
    // A reply of another function answers another request.
    if (e.msgType != request.function) return std::nullopt;

    switch (e.msgType) {
        case 3: {
            if (line.size() < 3) return std::nullopt;
            const int byteCount = quint8(line[2]);
            if (byteCount == 0 || byteCount % 2 != 0 || !crcIntact(line, 3 + byteCount)) return std::nullopt;
            // The request's count is delivered; a shorter reply cannot fill it.
            if (byteCount / 2 < request.numReg) return std::nullopt;
            e.startingReg = kStartingReg;
            for (int i = 0; i < request.numReg; ++i) e.data.append(wordAt(line, 3 + 2 * i));
            return e;
        }
        case 6:
        case 16: {
            if (!crcIntact(line, 6)) return std::nullopt;
            // The echo must name the register the request wrote from.
            if (wordAt(line, 2) + 1 != kStartingReg) return std::nullopt;
            e.startingReg = kStartingReg;
            if (e.msgType == 6) {
                if (request.numReg > 1) return std::nullopt;  // one echoed value only
                if (request.numReg == 1) e.data.append(wordAt(line, 4));
            } else {
                const int count = wordAt(line, 4);
                if (count < 0 || count > 127 || count > request.values.size()) return std::nullopt;
                e.data = request.values.mid(0, count);
            }
            return e;
        }
        default:
            return std::nullopt;
    }
}

struct Reports : IExchangeObserver {
    int count = 0;
    LinkExchange last;
    QByteArray reply;
    void exchangeClosed(const LinkExchange& x) override {
        ++count;
        last = x;
        reply = x.reply.toByteArray();
        last.reply = {};
    }
};

struct Harness {
    FakeScanHost host;
    CMsgManager manager;
    Reports reports;
    int events = 0;
    qint32 lastWinID = -1;

    Harness() {
        host.open = true;
        manager.setScanHost(&host);
        manager.addExchangeObserver(&reports);
        QObject::connect(&manager, &CMsgManager::MessageReady, [this](qint32 winID) {
            ++events;
            lastWinID = winID;
        });
    }
};

void fuzzEngine(const uint8_t* data, size_t size) {
    // A fresh engine that has completed one good exchange: its receive buffer holds an older intact
    // reply (which must never complete a shorter one) and its codec holds the values of that read.
    Harness h;
    static const QVector<qint16> kEarlierValues{1111, -2222, 3333, -4444};
    {
        auto earlier = std::make_shared<CMsgPacketNode>();
        earlier->setWinID(99);
        earlier->setStartingReg(kStartingReg);
        earlier->setNumReg(static_cast<qint16>(kEarlierValues.size()));
        earlier->setPersistent(false);
        h.manager.AddMsgPacket(earlier);
        h.manager.SendMsg();
        h.host.inject(testframes::readReply(0, kEarlierValues));
        if (h.manager.BuildResponse() > 0) h.manager.StoreMsgData();
        if (h.events != 1 || h.lastWinID != 99) fail("the earlier good exchange was not delivered");
    }

    Request request;
    static constexpr qint32 kFunctions[] = {3, 6, 16};
    request.function = kFunctions[data[0] % 3];
    request.winID = static_cast<qint16>(data[0]);
    request.numReg = data[1] % 128;
    auto packet = std::make_shared<CMsgPacketNode>();
    packet->setWinID(request.winID);
    packet->setMsgType(request.function);
    packet->setStartingReg(kStartingReg);
    packet->setNumReg(static_cast<qint16>(request.numReg));
    packet->setPersistent(false);
    if (request.function != 3) {
        for (int i = 0; i < request.numReg; ++i) {
            request.values.append(static_cast<qint16>(i * 4099 - 7));
            packet->setData(i, request.values.last());
        }
    }

    h.manager.AddMsgPacket(packet);
    const qsizetype framesBefore = h.host.sent.size();
    try {
        h.manager.SendMsg();
    } catch (...) {
        // A single write of no register cannot be framed; nothing is sent, and no reply may be
        // taken for it.
    }
    if (h.manager.queueSize() != 0) fail("one-shot packet left in the queue");

    const QByteArray line(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2));
    h.host.inject(line);
    const int eventsBefore = h.events;
    if (h.manager.BuildResponse() > 0) h.manager.StoreMsgData();
    if (!h.host.pending.isEmpty()) fail("bytes left in the port after collecting");

    const std::optional<Expected> expected = expectedReply(request, line);
    const bool fired = h.events != eventsBefore;

    // The earlier exchange was reported when it was collected; this one when its bytes came, or not
    // at all when nothing went out (or nothing came: it is still open).
    const bool sent = h.host.sent.size() > framesBefore;
    const int reportsWanted = 1 + (sent && !line.isEmpty() ? 1 : 0);
    if (h.reports.count != reportsWanted) fail("wrong number of exchange reports");
    if (reportsWanted == 2) {
        const LinkExchange& x = h.reports.last;
        if ((x.outcome == ExchangeOutcome::Valid) != fired)
            fail("report says valid without MessageReady, or not");
        if (x.request != h.host.sent.last()) fail("report's request is not the frame sent");
        if (x.winId != request.winID || x.function != request.function || x.startingReg != kStartingReg)
            fail("report names another request");
        if (line.size() <= CMsgManager::kReceiveBufferSize ? h.reports.reply != line
                                                           : x.outcome != ExchangeOutcome::CrcError)
            fail("report's reply is not the bytes collected");
        if (x.outcome == ExchangeOutcome::NoReply) fail("bytes came, yet reported as no reply");
    }
    if (fired != expected.has_value())
        fail(fired ? "MessageReady for a reply that is not intact" : "intact reply dropped");
    if (!fired) return;
    if (h.events != eventsBefore + 1) fail("MessageReady raised more than once");
    if (h.lastWinID != request.winID) fail("MessageReady with the wrong WinID");

    const CMsgPacketNode& reply = h.manager.GetWaitingData();
    if (reply.DeviceAddr() != expected->deviceAddr || reply.MsgType() != expected->msgType ||
        reply.StartingReg() != expected->startingReg) {
        fail("reply packet fields differ from the reply bytes");
    }
    for (int i = 0; i < expected->data.size(); ++i) {
        if (reply.Data(i) != expected->data[i]) fail("reply packet values differ from the reply bytes");
    }
}

// The codec alone on the raw input, with no length limit: only its own error kinds may come out,
// and an accepted reply has an intact CRC where its layout puts it.
void fuzzCodec(const uint8_t* data, size_t size) {
    static CModbusMaster codec;
    const QByteArray message(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    codec.setFunct(3);
    codec.setSlaveAddr(0);
    codec.setStartAddr(kStartingReg);
    codec.setNumPoints(size > 0 ? data[0] % 128 : 0);
    codec.SetMessage(message);
    try {
        codec.ParseResponse();
    } catch (const ComponentError& e) {
        if (e.number() < CModbusMaster::kErrInvalidData || e.number() > CModbusMaster::kErrCrc) {
            fail("unexpected error number from ParseResponse");
        }
        return;
    } catch (const IndexOutOfRangeError&) {
        return;
    } catch (const OverflowError&) {
        return;
    }
    const int function = quint8(message[1]);
    const int crcPos = function == 3 ? 3 + quint8(message[2]) : 6;
    if (!crcIntact(message, crcPos)) fail("ParseResponse accepted a frame with a broken CRC");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzCodec(data, size);
    if (size >= 2) fuzzEngine(data, size);
    return 0;
}
