#include "groups/loadctrl/C_M852_LoadCtrl.h"

#include <QString>

#include "base/ComponentError.h"
#include "groups/SharedRoutines.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {{750, 36}};
constexpr CDataGroup::WriteBlock kWrites[] = {{16, 750, 36}};

}  // namespace

C_M852_LoadCtrl::C_M852_LoadCtrl(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

qint16 C_M852_LoadCtrl::TimeDelay(int index) const {
    if (index < 0 || index >= kCount) throw IndexOutOfRangeError();
    return m_TimeDelay[std::size_t(index)];
}

void C_M852_LoadCtrl::setTimeDelay(int index, qint16 seconds) {
    if (index < 0 || index >= kCount) throw IndexOutOfRangeError();
    m_TimeDelay[std::size_t(index)] = seconds;
}

bool C_M852_LoadCtrl::IsValidText(const QString& text) {
    int colons = 0;
    for (QChar c : text) {
        if (c == u':') {
            if (++colons > 1) return false;
        } else if (c < u'0' || c > u'9') {
            return false;
        }
    }
    const qint32 seconds = ParseTimeText(text, 0);
    return seconds >= 0 && seconds <= kMaxSeconds;
}

void C_M852_LoadCtrl::DecodeBlock(int, const Registers& r) {
    for (int i = 0; i < kCount; ++i) m_TimeDelay[std::size_t(i)] = r[i];
}

std::vector<qint16> C_M852_LoadCtrl::EncodeBlock(int) const {
    return {m_TimeDelay.begin(), m_TimeDelay.end()};
}
