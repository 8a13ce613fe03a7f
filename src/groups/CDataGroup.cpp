#include "groups/CDataGroup.h"

#include <algorithm>

#include "app/clsApplication.h"
#include "comm/CMsgManager.h"
#include "base/ComponentError.h"

namespace {

// Every live data object. RemoveMsgs works by WinID, so when two windows of one type are open (a
// screen file may list a type twice) the first one to close would take the other's polls out of the
// queue too; the survivors put their own packets back (see ~CDataGroup).
std::vector<CDataGroup*>& liveGroups() {
    static std::vector<CDataGroup*> groups;
    return groups;
}

constexpr qint32 kReadHoldingRegisters = 3;
constexpr qint32 kWriteSingleRegister = 6;
constexpr qint32 kWriteMultipleRegisters = 16;
constexpr int kMaxWriteRegisters = 123;  // 7 + 2 x 123 + 2 = 255 bytes, the longest function-16 frame

PacketPtr makeWritePacket(qint32 winId, qint32 function, qint16 start, const std::vector<qint16>& values) {
    auto p = std::make_shared<CMsgPacketNode>();
    p->setWinID(static_cast<qint16>(winId));
    p->setDeviceAddr(0);
    p->setMsgType(function);
    p->setPersistent(false);
    p->setStartingReg(start);
    p->setNumReg(static_cast<qint16>(values.size()));
    for (std::size_t r = 0; r < values.size(); ++r) p->setData(int(r), values[r]);
    return p;
}

}  // namespace

CDataGroup::CDataGroup(qint32 winId, std::span<const ReadBlock> reads, std::span<const WriteBlock> writes,
                       CMsgManager* manager, QObject* parent)
    : QObject(parent), m_WinID(winId), m_reads(reads), m_writes(writes), m_decoded(reads.size(), false) {
    if (!manager) {
        if (auto* app = clsApplication::instance()) manager = app->MsgManager();
    }
    if (!manager)
        throw ComponentError(kComponentErrorBase, QStringLiteral("CDataGroup::Class_Initialize"),
                             QStringLiteral("No message manager"));
    m_MsgManager = manager;
    connect(manager, &CMsgManager::MessageReady, this, &CDataGroup::m_MsgManager_MessageReady,
            Qt::DirectConnection);
    liveGroups().push_back(this);
    RequestData(0);
}

CDataGroup::~CDataGroup() {
    auto& live = liveGroups();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (!m_MsgManager) return;
    m_MsgManager->RemoveMsgs(static_cast<qint16>(m_WinID));
    for (CDataGroup* other : live) {
        if (other->m_WinID != m_WinID || other->m_MsgManager != m_MsgManager) continue;
        for (const PacketPtr& p : other->m_polls) m_MsgManager->AddMsgPacket(p);
    }
    m_MsgManager = nullptr;
}

CMsgManager* CDataGroup::MsgManager() const { return m_MsgManager.data(); }

void CDataGroup::RequestData(qint16 deviceAddr) {
    if (!m_MsgManager) return;
    for (const ReadBlock& b : m_reads) {
        auto p = std::make_shared<CMsgPacketNode>();
        p->setWinID(static_cast<qint16>(m_WinID));
        p->setDeviceAddr(deviceAddr);
        p->setMsgType(kReadHoldingRegisters);
        p->setPersistent(true);
        p->setStartingReg(b.start);
        p->setNumReg(b.count);
        m_polls.push_back(p);
        m_MsgManager->AddMsgPacket(p);
    }
}

void CDataGroup::SendSetup() {
    if (!m_MsgManager) return;
    // All packets are built before any is queued, so a field that cannot be encoded queues nothing.
    std::vector<PacketPtr> packets;
    for (int i = 0; i < int(m_writes.size()); ++i) {
        const WriteBlock& b = m_writes[i];
        const std::vector<qint16> values = EncodeBlock(i);
        if (int(values.size()) != b.count)
            throw ComponentError(kComponentErrorBase, QStringLiteral("CDataGroup::SendSetup"),
                                 QStringLiteral("Write block %1 has %2 values for %3 registers")
                                     .arg(b.start)
                                     .arg(values.size())
                                     .arg(b.count));
        packets.push_back(makeWritePacket(m_WinID, b.function, b.start, values));
    }
    for (const PacketPtr& p : packets) m_MsgManager->AddMsgPacket(p);
}

void CDataGroup::WriteRegisters(qint32 function, qint16 start, const std::vector<qint16>& values) {
    const bool single = function == kWriteSingleRegister && values.size() == 1;
    const bool multiple = function == kWriteMultipleRegisters && !values.empty() &&
                          values.size() <= std::size_t(kMaxWriteRegisters);
    if ((!single && !multiple) || start < 1)
        throw ComponentError(kComponentErrorBase, QStringLiteral("CDataGroup::WriteRegisters"),
                             QStringLiteral("Function %1 cannot write %2 registers at %3")
                                 .arg(function)
                                 .arg(values.size())
                                 .arg(start));
    if (!m_MsgManager) return;
    m_MsgManager->AddMsgPacket(makeWritePacket(m_WinID, function, start, values));
}

std::vector<qint16> CDataGroup::EncodeBlock(int) const { return {}; }

bool CDataGroup::IsFresh() const {
    return std::all_of(m_decoded.begin(), m_decoded.end(), [](bool d) { return d; });
}

void CDataGroup::MarkStale() { std::fill(m_decoded.begin(), m_decoded.end(), false); }

void CDataGroup::MarkAllStale(const CMsgManager* manager) {
    for (CDataGroup* g : liveGroups())
        if (!manager || g->m_MsgManager == manager) g->MarkStale();
}

bool CDataGroup::DecodeReply(const CMsgPacketNode& reply) {
    m_Reply = &reply;
    bool decoded = false;
    try {
        decoded = ParseReply();
    } catch (...) {
        // A reply shorter than its block (or any other decoding fault): what was copied stays, but
        // the block does not count as read.
        return false;
    }
    if (decoded) {
        // The block this reply answered, found as the default ParseReply finds it, so that a group
        // with its own ParseReply is counted the same way.
        int block = -1;
        for (int i = 0; i < int(m_reads.size()) && block < 0; ++i)
            if (m_reads[i].start == reply.StartingReg()) block = i;
        if (block < 0) block = FallbackBlock();
        if (block >= 0 && block < int(m_decoded.size())) m_decoded[std::size_t(block)] = true;
    }
    return decoded;
}

bool CDataGroup::ParseReply() {
    if (!m_Reply) return false;
    int block = -1;
    for (int i = 0; i < int(m_reads.size()); ++i) {
        if (m_reads[i].start == m_Reply->StartingReg()) {
            block = i;
            break;
        }
    }
    if (block < 0) block = FallbackBlock();
    if (block < 0 || block >= int(m_reads.size())) return false;
    DecodeBlock(block, Registers(*m_Reply));
    return true;
}

void CDataGroup::m_MsgManager_MessageReady(qint32 WinID) {
    if (WinID != m_WinID || !m_MsgManager) return;
    const CMsgPacketNode& reply = m_MsgManager->GetWaitingData();
    m_Reply = &reply;
    // Replies to writes (functions 6 and 16) carry nothing to show.
    if (reply.MsgType() != kReadHoldingRegisters) return;
    if (DecodeReply(reply)) emit DataRefreshed(m_WinID);
}
