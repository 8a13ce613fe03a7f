#include "groups/cfault/C_M852_CFault.h"

#include "base/ComponentError.h"
#include "base/StringTable.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {{800, 45}};
constexpr CDataGroup::WriteBlock kWrites[] = {{16, 800, 45}};

}  // namespace

C_M852_CFault::C_M852_CFault(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

void C_M852_CFault::check(int i) {
    if (i < 0 || i >= kSlots) throw IndexOutOfRangeError();
}

bool C_M852_CFault::AlarmAssigned(int i) const {
    check(i);
    return m_assigned[i];
}

void C_M852_CFault::setAlarmAssigned(int i, bool assigned) {
    check(i);
    m_assigned[i] = assigned;
}

qint32 C_M852_CFault::AlarmEventCode(int i) const {
    check(i);
    return m_code[i];
}

QString C_M852_CFault::EventText(qint32 code) {
    return StringTable::lookup(3000 + code).value_or(QStringLiteral("Event %1").arg(code));
}

void C_M852_CFault::DecodeBlock(int, const Registers& r) {
    quint16 words[kSlots];
    for (int i = 0; i < kSlots; ++i) words[i] = quint16(r[i]);  // a short reply changes nothing
    for (int i = 0; i < kSlots; ++i) {
        m_assigned[i] = words[i] & 0x8000u;
        m_code[i] = words[i] & 0x7FFFu;
    }
}

std::vector<qint16> C_M852_CFault::EncodeBlock(int) const {
    std::vector<qint16> out(kSlots);
    for (int i = 0; i < kSlots; ++i) out[std::size_t(i)] = qint16(m_code[i] | (m_assigned[i] ? 0x8000u : 0u));
    return out;
}
