#include "comm/CMsgManager.h"

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
        if (!m_host) return false;
        m_host->StopScan();
        m_host->COM_ClosePort();
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

    m_codec.CreateQuery();
    return m_codec.GetMessage();
}

void CMsgManager::SendMsg() {
    if (!m_host || !m_host->COM_IsOpen() || m_queue.IsEmpty()) return;
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
    try {
        // Only the bytes of the last collection are handed over: older bytes further on in the
        // buffer would let a truncated reply or a stray byte complete an earlier, intact frame and
        // deliver its values as the answer to this request.
        m_codec.SetMessage(QByteArray(reinterpret_cast<const char*>(m_receiveBuffer.data()),
                                      qBound(0, m_receiveCount, kReceiveBufferSize)));
        if (m_sent) {
            // A rejected reply parsed earlier for the same request (nothing was sent since) may have
            // overwritten the fields a reply is completed from; put the request's back.
            m_codec.setStartAddr(m_sent->startingReg);
            m_codec.setNumPoints(m_sent->numReg);
            m_codec.setSendData(m_sent->values);
        }
        m_codec.ParseResponse();
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

        emit MessageReady(m_currentWinID);
    } catch (...) {
        // A damaged, partial or foreign reply is dropped without notice; the next poll follows.
    }
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
