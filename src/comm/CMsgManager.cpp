#include "comm/CMsgManager.h"

#include <QDateTime>
#include <QScopeGuard>
#include <algorithm>

#include "base/Clock.h"
#include "base/ComponentError.h"
#include "comm/IScanHost.h"

CMsgManager::CMsgManager(QObject* parent) : QObject(parent) {}

CMsgManager::~CMsgManager() = default;

void CMsgManager::AddMsgPacket(const PacketPtr& packet) {
    if (!packet || packet->IsQueued()) return;
    m_queue.Enqueue(packet);
}

qint16 CMsgManager::RemoveMsgs(qint16 WinID) {
    // Rotate the queue exactly once: every packet comes off the front and the kept ones go back on
    // the end, so they come out in their old order.
    const qint16 n = m_queue.Size();
    qint16 removed = 0;
    for (qint16 k = 0; k < n; ++k) {
        // Only packets from AddMsgPacket are ever queued.
        auto packet = std::static_pointer_cast<CMsgPacketNode>(m_queue.Dequeue());
        if (packet->Persistent() && packet->WinID() == WinID) {
            ++removed;
        } else {
            m_queue.Enqueue(packet);
        }
    }
    return removed;
}

bool CMsgManager::Connect() {
    try {
        if (m_host && m_host->COM_OpenPort()) {
            m_host->StartScan();
            return true;
        }
        return false;
    } catch (...) {
        return false;
    }
}

bool CMsgManager::Disconnect() {
    try {
        if (m_exchangeOpen) closeExchange(ExchangeOutcome::NoReply);
        if (!m_host) return false;
        m_host->StopScan();
        m_host->COM_ClosePort();
        if (!m_observers.empty()) tellObservers([](IExchangeObserver& o) { o.linkClosed(); });
        return true;
    } catch (...) {
        return false;
    }
}

bool CMsgManager::IsConnected() { return m_host && m_host->COM_IsOpen(); }

QByteArray CMsgManager::BuildQuery() {
    auto packet = std::static_pointer_cast<CMsgPacketNode>(m_queue.Dequeue());

    // A field the codec rejects here drops the packet for good, persistent or not.
    m_codec.setFunct(packet->MsgType());
    m_codec.setNumPoints(packet->NumReg());
    m_codec.setSlaveAddr(packet->DeviceAddr());
    m_codec.setStartAddr(packet->StartingReg());
    if (m_codec.Funct() != 3) {
        QVector<qint16> values(packet->NumReg());
        for (int i = 0; i < packet->NumReg(); ++i) values[i] = packet->Data(i);
        m_codec.setSendData(values);
    }

    // Polling: a persistent packet goes back to the end as it is sent. A failure in CreateQuery
    // below comes after this, so such a packet stays queued and fails again on every turn.
    if (packet->Persistent()) m_queue.Enqueue(packet);
    m_currentWinID = packet->WinID();
    m_currentPersistent = packet->Persistent();

    m_codec.CreateQuery();
    return m_codec.GetMessage();
}

void CMsgManager::SendMsg() {
    if (!m_host || !m_host->COM_IsOpen() || m_queue.IsEmpty()) return;
    // A new request ends the wait for the last one's reply.
    if (m_exchangeOpen) closeExchange(ExchangeOutcome::NoReply);
    // Whatever is still in the port belongs to an earlier exchange.
    m_host->COM_EmptyReceiveBuffer();
    m_receiveCount = 0;
    m_sent.reset();
    m_transmitFrame = BuildQuery();
    // The codec now holds the request's fields; a reply is checked against these, not against the
    // codec, because parsing the reply overwrites them.
    m_sent = SentRequest{m_codec.Funct(), m_codec.StartAddr(), m_codec.NumPoints(), m_codec.SendData()};
    // The interval set now is the time the controller gets to answer this frame.
    m_host->SetScanInterval(m_codec.Funct() == 3);
    m_host->COM_Send(m_transmitFrame);
    if (!m_observers.empty()) openExchange();
}

qint32 CMsgManager::BuildResponse() {
    m_receiveCount = 0;
    if (!m_host) return 0;
    try {
        while (!m_host->COM_ReceiveBufferIsEmpty()) {
            // A 258th byte does not fit: the whole collection is discarded, which also bounds the
            // loop when the line floods.
            if (m_receiveCount >= kReceiveBufferSize) throw IndexOutOfRangeError();
            m_receiveBuffer[static_cast<size_t>(m_receiveCount)] = m_host->COM_Receive();
            ++m_receiveCount;
        }
        return m_receiveCount;
    } catch (...) {
        // More bytes than any reply: a flood, which checks as no frame.
        if (m_exchangeOpen) {
            if (m_detail) m_exchange->reply = collected();
            closeExchange(ExchangeOutcome::CrcError);
        }
        m_receiveCount = 0;
        try {
            m_host->COM_EmptyReceiveBuffer();
        } catch (...) {
            // The port is failing anyway; the next tick finds out.
        }
        return 0;
    }
}

void CMsgManager::StoreMsgData() {
    // What became of the reply, told to the observers on the way out; the engine itself only
    // delivers or drops it.
    ExchangeOutcome outcome = ExchangeOutcome::Rejected;
    quint8 exceptionCode = 0;
    const auto tell = qScopeGuard([&] {
        if (!m_exchangeOpen) return;
        if (m_detail) {
            m_exchange->reply = collected();
            // The host measured this collection just before handing it over.
            m_exchange->latencyUs = m_host ? m_host->ReplyLatencyUs() : -1;
        }
        try {
            closeExchange(outcome, exceptionCode);
        } catch (...) {
            // Out of memory while telling: the report is lost, the tick is not.
        }
    });
    try {
        // Only the bytes of the last collection are handed over: older bytes further on in the
        // buffer would let a truncated reply or a stray byte complete an earlier, intact frame and
        // deliver its values as the answer to this request.
        m_codec.SetMessage(collected().toByteArray());
        if (m_sent) {
            // A rejected reply parsed earlier for the same request (nothing was sent since) may have
            // overwritten the fields a reply is completed from; put the request's back.
            m_codec.setStartAddr(m_sent->startingReg);
            m_codec.setNumPoints(m_sent->numReg);
            m_codec.setSendData(m_sent->values);
        }
        try {
            m_codec.ParseResponse();
        } catch (const IndexOutOfRangeError&) {
            if (m_exchangeOpen) outcome = classifyUnparsed(true, exceptionCode);
            throw;
        } catch (const ComponentError& e) {
            if (m_exchangeOpen) {
                outcome = e.number() == CModbusMaster::kErrCrc ? ExchangeOutcome::CrcError
                                                               : classifyUnparsed(false, exceptionCode);
            }
            throw;
        } catch (...) {
            if (m_exchangeOpen) outcome = classifyUnparsed(false, exceptionCode);
            throw;
        }
        // Checked before anything is copied, so a reply to another request leaves the reply packet
        // as it was.
        if (!answersSentRequest()) return;

        m_reply.setDeviceAddr(static_cast<qint16>(m_codec.SlaveAddr()));
        m_reply.setMsgType(m_codec.Funct());
        m_reply.setStartingReg(static_cast<qint16>(m_codec.StartAddr()));

        // For a read this is the request's count, not the reply's: extra registers are ignored (too
        // few were refused above). For a multiple write it is the echoed count of the values written.
        const qint32 n = m_codec.NumPoints();
        const QVector<qint16> values = m_codec.SendData();
        for (qint32 i = 0; i < n; ++i) {
            if (i >= values.size()) throw IndexOutOfRangeError();
            m_reply.setData(i, values.at(i));
        }

        outcome = ExchangeOutcome::Valid;
        emit MessageReady(m_currentWinID);
    } catch (...) {
        // A damaged, partial or foreign reply is dropped without notice; the next poll follows.
    }
}

QByteArrayView CMsgManager::collected() const {
    return QByteArrayView(reinterpret_cast<const char*>(m_receiveBuffer.data()),
                          qBound(0, m_receiveCount, kReceiveBufferSize));
}

ExchangeOutcome CMsgManager::classifyUnparsed(bool tooShort, quint8& exceptionCode) const {
    const QByteArrayView bytes = collected();
    const auto n = static_cast<qint32>(bytes.size());
    const auto byte = [this](int i) { return m_receiveBuffer[static_cast<size_t>(i)]; };
    const auto checks = [&](int length) {
        if (length < 3 || length > n) return false;
        const quint16 crc = m_codec.Crc16(bytes.first(length - 2));
        return byte(length - 2) == (crc & 0xFF) && byte(length - 1) == (crc >> 8);
    };
    // An exception reply is five bytes: slave, function | 0x80, code, CRC.
    if (n >= 2 && (byte(1) & 0x80) != 0) {
        if (n < 5) return ExchangeOutcome::Incomplete;
        if (!checks(5)) return ExchangeOutcome::CrcError;
        exceptionCode = byte(2);
        return ExchangeOutcome::Exception;
    }
    if (tooShort) return ExchangeOutcome::Incomplete;
    // Framing the codec refuses (a slave address or function code no reply has, an odd byte
    // count): noise unless the bytes check as one frame, which only a foreign reply would.
    return checks(n) ? ExchangeOutcome::Rejected : ExchangeOutcome::CrcError;
}

void CMsgManager::addExchangeObserver(IExchangeObserver* observer) {
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
    updateDetail();
}

void CMsgManager::removeExchangeObserver(IExchangeObserver* observer) {
    if (m_telling) {
        // Being told right now: the slot is emptied and the list tidied up once all were told.
        std::replace(m_observers.begin(), m_observers.end(), observer,
                     static_cast<IExchangeObserver*>(nullptr));
        return;
    }
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
    observersChanged();
}

void CMsgManager::observersChanged() {
    updateDetail();
    // Nobody left to tell: no exchange is kept open.
    if (m_observers.empty()) {
        m_exchangeOpen = false;
        m_exchange.reset();
    }
}

void CMsgManager::updateDetail() {
    m_detail = std::any_of(m_observers.begin(), m_observers.end(),
                           [](const IExchangeObserver* o) { return o && o->wantsDetail(); });
}

template <typename Tell>
void CMsgManager::tellObservers(Tell tell) {
    // An observer may remove itself or another (a window closing) or add one while being told: a
    // removed one's slot is emptied, an added one is told from the next time on.
    const bool nested = m_telling;
    m_telling = true;
    const size_t n = m_observers.size();
    for (size_t i = 0; i < n; ++i) {
        IExchangeObserver* o = m_observers[i];
        if (!o) continue;
        try {
            tell(*o);
        } catch (...) {
            // An observer's fault stays with the observer; the tick goes on.
        }
    }
    m_telling = nested;
    if (nested) return;
    if (std::find(m_observers.begin(), m_observers.end(), nullptr) != m_observers.end()) {
        m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), nullptr), m_observers.end());
        observersChanged();
    }
}

void CMsgManager::openExchange() {
    if (!m_exchange) m_exchange = std::make_unique<LinkExchange>();
    LinkExchange& x = *m_exchange;
    x.reply = QByteArrayView();
    if (m_detail) {
        x.request = m_transmitFrame;
        x.sentNs = Clock::monotonicNs();
        // Wall-clock time from the steady clock and an offset taken now and then: one clock read per
        // send. A minute between offsets keeps a clock set by NTP off by no more than its slew.
        if (m_wallOffsetTakenNs == 0 || x.sentNs - m_wallOffsetTakenNs > 60'000'000'000LL) {
            m_wallOffsetTakenNs = x.sentNs;
            m_wallOffsetMs = QDateTime::currentMSecsSinceEpoch() - x.sentNs / 1'000'000;
        }
        x.sentAtMs = m_wallOffsetMs + x.sentNs / 1'000'000;
    } else {
        x.request.clear();
        x.sentNs = 0;
        x.sentAtMs = 0;
    }
    x.collectedNs = x.sentNs;
    x.outcome = ExchangeOutcome::NoReply;
    x.exceptionCode = 0;
    x.persistent = m_currentPersistent;
    x.winId = m_currentWinID;
    x.function = m_sent ? m_sent->funct : 0;
    x.startingReg = m_sent ? m_sent->startingReg : 0;
    x.count = m_sent ? m_sent->numReg : 0;
    // Called right after the send: the interval is the one just set for this frame.
    x.intervalMs = m_detail && m_host ? m_host->ExchangeIntervalMs() : 0;
    x.latencyUs = -1;
    m_exchangeOpen = true;
}

void CMsgManager::closeExchange(ExchangeOutcome outcome, quint8 exceptionCode) {
    // Taken out first: an observer that sends, disconnects or detaches itself finds no open exchange.
    m_exchangeOpen = false;
    std::unique_ptr<LinkExchange> x = std::move(m_exchange);
    x->outcome = outcome;
    x->exceptionCode = exceptionCode;
    x->collectedNs = m_detail ? Clock::monotonicNs() : 0;
    tellObservers([&x](IExchangeObserver& o) { o.exchangeClosed(*x); });
    // Reused for the next exchange (its buffers keep their capacity).
    if (!m_exchange && !m_observers.empty()) m_exchange = std::move(x);
}

bool CMsgManager::answersSentRequest() const {
    if (!m_sent) return false;  // nothing went out that this could answer
    // Exception replies never get this far: the codec rejects every function code but 3, 6 and 16.
    if (m_codec.Funct() != m_sent->funct) return false;
    switch (m_sent->funct) {
        case 3:
            // A read reply carries no address; its length is all that tells it from the reply to
            // another block. Fewer registers than asked cannot be this request's. More are accepted:
            // a controller may answer with more, and the first ones are the ones asked for.
            return m_codec.SendData().size() >= m_sent->numReg;
        case 6:
        case 16:
            // The echo names the register written: an echo of another write is not this one's.
            return m_codec.StartAddr() == m_sent->startingReg;
        default:
            return false;
    }
}
