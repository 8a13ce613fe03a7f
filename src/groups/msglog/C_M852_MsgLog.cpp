#include "groups/msglog/C_M852_MsgLog.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {9900, 20},  // previous stack
    {9950, 20},  // current stack
};

}  // namespace

C_M852_MsgLog::C_M852_MsgLog(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, {}, manager, parent) {}

C_M852_MsgLog::Stack C_M852_MsgLog::initial() {
    Stack s;
    s.fill(static_cast<qint16>(0xFFFF));
    return s;
}

qint32 C_M852_MsgLog::SignMagnitude(qint16 word) {
    const auto bits = static_cast<quint16>(word);
    const qint32 magnitude = bits & 0x7FFF;
    return (bits & 0x8000) ? -magnitude : magnitude;
}

qint32 C_M852_MsgLog::entry(const Stack& s, int i) {
    if (i < 0 || i >= kEntries) return -1;
    return SignMagnitude(s[std::size_t(i)]);
}

void C_M852_MsgLog::DecodeBlock(int block, const Registers& r) {
    Stack& target = block == 0 ? m_Previous : m_Current;
    // As every group: a short reply stops here, the entries copied so far keep their new values.
    for (int i = 0; i < kEntries; ++i) target[std::size_t(i)] = r[i];
}
