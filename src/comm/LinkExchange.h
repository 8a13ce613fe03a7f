#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

// One request and what came back for it, as the message manager reports it to its observers.
//
// An exchange opens when a request is handed to the port and closes at the first collection that
// brings bytes (the tick after the send, or a later one while nothing else was sent), or as "no reply"
// when the next request goes out or the link is closed first.
enum class ExchangeOutcome : quint8 {
    Valid,       // the engine took the reply (MessageReady was raised)
    NoReply,     // nothing arrived before the next request went out
    Incomplete,  // fewer bytes than the frame announces: cut off, or still on the line at the tick
    CrcError,    // the bytes do not check as a frame (CRC mismatch, noise, unparsable framing)
    Exception,   // an intact exception reply; the code is in exceptionCode
    Rejected,    // an intact frame that does not answer this request (mostly a late reply to the last)
};
inline constexpr int kExchangeOutcomeCount = 6;

// "valid", "no reply", "incomplete", "CRC error", "exception N", "rejected".
[[nodiscard]] QString outcomeText(ExchangeOutcome outcome, int exceptionCode = 0);

struct LinkExchange {
    QByteArray request;
    // The bytes collected (empty for no reply). A view of the manager's receive buffer, valid only
    // while the observer is being told: an observer that keeps the bytes copies them.
    QByteArrayView reply;
    qint64 sentAtMs = 0;     // wall clock, ms since the epoch (for display)
    qint64 sentNs = 0;       // steady clock, ns: reply times are differences of these two
    qint64 collectedNs = 0;  // steady clock, ns, when the exchange closed
    ExchangeOutcome outcome = ExchangeOutcome::NoReply;
    quint8 exceptionCode = 0;
    bool persistent = false;  // a polled block (its packet goes back into the queue)
    qint32 winId = 0;
    qint32 function = 0;
    qint32 startingReg = 0;  // 1-based
    qint32 count = 0;
    // The wait the scan loop set for this exchange (ms), and the controller's latency it measured
    // from the reply (us, from the end of the request to the first byte; -1 when the reply was
    // incomplete or missing). 0 and -1 when the host does not tell.
    qint32 intervalMs = 0;
    qint64 latencyUs = -1;

    [[nodiscard]] double replyMs() const { return double(collectedNs - sentNs) / 1e6; }
};

// Told of every exchange the message manager closes. Called synchronously inside the scan tick:
// keep it short. Whatever an observer throws is caught and dropped by the manager.
class IExchangeObserver {
public:
    virtual ~IExchangeObserver() = default;
    virtual void exchangeClosed(const LinkExchange& exchange) = 0;
    // (Observers are told in the order they were added; one removed while the others are being told
    // is told no more.)
    // The manager was disconnected (after the open exchange, if any, was closed).
    virtual void linkClosed() {}
    // False for an observer that needs only the outcome, WinID and block: while no observer wants
    // more, the manager reads no clock and hands over no bytes (request and reply empty, times 0).
    [[nodiscard]] virtual bool wantsDetail() const { return true; }
};
