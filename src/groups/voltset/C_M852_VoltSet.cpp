#include "groups/voltset/C_M852_VoltSet.h"

#include "base/ComponentError.h"
#include "groups/SharedRoutines.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {45, 10},  // N 45-49, E 50-54
    {24, 2},   // nominal system voltage N, E
};
constexpr CDataGroup::WriteBlock kWrites[] = {
    {16, 45, 5},  // Source N
    {16, 50, 5},  // Source E
};

}  // namespace

C_M852_VoltSet::C_M852_VoltSet(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

qint16 C_M852_VoltSet::at(const PerSource& a, int i) {
    if (i < 0 || i >= int(a.size())) throw IndexOutOfRangeError();
    return a[std::size_t(i)];
}

qint16& C_M852_VoltSet::at(PerSource& a, int i) {
    if (i < 0 || i >= int(a.size())) throw IndexOutOfRangeError();
    return a[std::size_t(i)];
}

void C_M852_VoltSet::setDebounceTime(int i, double seconds) {
    qint16& slot = at(m_DebounceTime, i);
    slot = ToRegister(seconds, 10);
}

void C_M852_VoltSet::DecodeBlock(int block, const Registers& r) {
    if (block == 1) {
        m_Nominal[0] = r[0];
        m_Nominal[1] = r[1];
        return;
    }
    // Per source, in register order: over dropout, over pickup, under pickup, under dropout, debounce.
    for (int s = 0; s < 2; ++s) {
        const int b = 5 * s;
        m_OverDrop[std::size_t(s)] = r[b];
        m_OverPick[std::size_t(s)] = r[b + 1];
        m_UnderPick[std::size_t(s)] = r[b + 2];
        m_UnderDrop[std::size_t(s)] = r[b + 3];
        m_DebounceTime[std::size_t(s)] = r[b + 4];
    }
}

std::vector<qint16> C_M852_VoltSet::EncodeBlock(int block) const {
    const std::size_t s = block == 0 ? 0 : 1;
    return {m_OverDrop[s], m_OverPick[s], m_UnderPick[s], m_UnderDrop[s], m_DebounceTime[s]};
}
