#pragma once

#include <QByteArray>
#include <QObject>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "comm/CModbusMaster.h"
#include "comm/CMsgPacketNode.h"
#include "comm/CQueue.h"
#include "comm/LinkExchange.h"

class IScanHost;

// The polling engine: every request to the controller passes through here. Data groups queue
// packets; the scan host's timer calls, once per tick, BuildResponse, then StoreMsgData when it
// collected bytes, then SendMsg (whose errors the tick ignores).
//
// Tick k sends the front request (a persistent one goes straight back to the end of the queue) and
// tick k+1 takes whatever arrived in between as its reply. There is no timeout or retry: a lost or
// damaged reply is dropped silently and the next request follows.
//
// A reply is taken only when it can be the answer to the request sent last: same function code; for
// a write (6 or 16) the echoed start register of the request; for a read at least the registers
// asked for (a longer read reply is accepted, its first values are taken). A late reply that lands
// in the next request's interval is therefore dropped (as lost, without MessageReady) wherever its
// function code or its length tells it apart; when nothing was sent (the query could not be built)
// no reply is taken at all. Replies of equal shape cannot be told apart and are taken by timing.
//
// The same codec builds each query and parses its reply; a read reply carries no address, so the
// reply's StartingReg comes from the query still set in the codec.
class CMsgManager : public QObject {
    Q_OBJECT

public:
    // Largest reply collected in one tick: 5 bytes of framing + 2 x 126 registers. A read of 127
    // registers (259-byte reply) therefore never arrives; reads of up to 126 do.
    static constexpr int kReceiveBufferSize = 257;

    explicit CMsgManager(QObject* parent = nullptr);
    ~CMsgManager() override;

    // The port and timer owner. Not owned; without one the manager is simply disconnected.
    void setScanHost(IScanHost* host) noexcept { m_host = host; }

    // Appends the packet at the back of the queue. A packet already waiting in the queue is not
    // linked in a second time (it would corrupt the chain): it is sent once, with the values it
    // holds at that moment. A null packet is ignored.
    void AddMsgPacket(const PacketPtr& packet);
    // Drops every persistent packet of WinID; keeps the order of all others (pending writes of that
    // WinID stay and are still sent). Returns the number removed.
    qint16 RemoveMsgs(qint16 WinID);

    // Opens the port and starts the scan timer; false when the port cannot be opened or on any error.
    bool Connect();
    // Stops the scan timer and closes the port; false on any error. The queue is kept.
    bool Disconnect();
    [[nodiscard]] bool IsConnected();

    // Sends the front request; does nothing (not even flushing the port) when the port is closed or
    // the queue empty. Throws when the request cannot be framed.
    void SendMsg();
    // The one reply packet, overwritten by every reply: read it inside the MessageReady handler.
    [[nodiscard]] const CMsgPacketNode& GetWaitingData() const noexcept { return m_reply; }
    // Parses the bytes collected by BuildResponse as the reply to the last request and raises
    // MessageReady; any fault ends it silently without the event.
    void StoreMsgData();
    // Drains the port's receive buffer into the manager's; returns the count, or 0 (port flushed)
    // when more than kReceiveBufferSize bytes wait or the port fails.
    qint32 BuildResponse();

    [[nodiscard]] qint16 queueSize() const noexcept { return m_queue.Size(); }

    // Observers are told of every exchange (request, reply bytes, outcome; see LinkExchange.h).
    // Not owned; remove one before it is destroyed. Without observers the tick does nothing extra
    // but look at an empty list, and observing never changes what is sent or when.
    void addExchangeObserver(IExchangeObserver* observer);
    void removeExchangeObserver(IExchangeObserver* observer);

signals:
    // Raised synchronously inside StoreMsgData with the WinID of the request that was answered.
    // Handlers must not throw; an exception escaping one is dropped with the rest of the reply.
    void MessageReady(qint32 WinID);

private:
    QByteArray BuildQuery();

    // What the request sent last asked for; a reply must fit it (see the class comment). Cleared
    // while a query is built, so a query that fails leaves no request to be answered.
    struct SentRequest {
        qint32 funct = 0;
        qint32 startingReg = 0;
        qint32 numReg = 0;
        QVector<qint16> values;  // written by 6 and 16
    };
    [[nodiscard]] bool answersSentRequest() const;

    // The exchange of the request sent last, while observers are attached.
    void openExchange();
    void closeExchange(ExchangeOutcome outcome, quint8 exceptionCode = 0);
    [[nodiscard]] ExchangeOutcome classifyUnparsed(bool tooShort, quint8& exceptionCode) const;
    template <typename Tell>
    void tellObservers(Tell tell);
    void updateDetail();
    // After observers were removed: the detail flag again, and no open exchange when none is left.
    void observersChanged();
    // The bytes of the last collection (a view of the receive buffer).
    [[nodiscard]] QByteArrayView collected() const;

    qint32 m_currentWinID = 0;
    bool m_currentPersistent = false;
    std::optional<SentRequest> m_sent;
    QByteArray m_transmitFrame;
    std::array<quint8, kReceiveBufferSize> m_receiveBuffer{};
    qint32 m_receiveCount = 0;
    CQueue m_queue;
    CMsgPacketNode m_reply;
    CModbusMaster m_codec;
    IScanHost* m_host = nullptr;
    std::vector<IExchangeObserver*> m_observers;
    std::unique_ptr<LinkExchange> m_exchange;  // made for the first observer, then reused
    bool m_exchangeOpen = false;               // a request went out and its exchange is not closed
    bool m_telling = false;                    // observers are being told of an exchange
    bool m_detail = false;                     // some observer wants bytes and times
    qint64 m_wallOffsetMs = 0;                 // wall clock ms - steady clock ms
    qint64 m_wallOffsetTakenNs = 0;
};
