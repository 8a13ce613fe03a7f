#include "groups/freqset/C_M852_FreqSet.h"

#include "base/ComponentError.h"
#include "groups/SharedRoutines.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {55, 10},  // N 55-59, E 60-64
    {26, 2},   // nominal system frequency N, E
};
constexpr CDataGroup::WriteBlock kWrites[] = {
    {16, 55, 10},  // both sources in one packet
};

}  // namespace

C_M852_FreqSet::C_M852_FreqSet(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

qint16 C_M852_FreqSet::at(const PerSource& a, int i) {
    if (i < 0 || i >= int(a.size())) throw IndexOutOfRangeError();
    return a[std::size_t(i)];
}

qint16& C_M852_FreqSet::at(PerSource& a, int i) {
    if (i < 0 || i >= int(a.size())) throw IndexOutOfRangeError();
    return a[std::size_t(i)];
}

void C_M852_FreqSet::setDebounceTime(int i, double seconds) {
    qint16& slot = at(m_DebounceTime, i);
    slot = ToRegister(seconds, 10);
}

void C_M852_FreqSet::DecodeBlock(int block, const Registers& r) {
    if (block == 1) {
        m_Nominal[0] = r[0];
        m_Nominal[1] = r[1];
        return;
    }
    // Per source, in register order: over dropout, over pickup, under dropout, under pickup, time.
    for (int s = 0; s < 2; ++s) {
        const int b = 5 * s;
        m_OverDrop[std::size_t(s)] = r[b];
        m_OverPick[std::size_t(s)] = r[b + 1];
        m_UnderDrop[std::size_t(s)] = r[b + 2];
        m_UnderPick[std::size_t(s)] = r[b + 3];
        m_DebounceTime[std::size_t(s)] = r[b + 4];
    }
}

std::vector<qint16> C_M852_FreqSet::EncodeBlock(int) const {
    std::vector<qint16> out;
    for (std::size_t s = 0; s < 2; ++s)
        for (qint16 v : {m_OverDrop[s], m_OverPick[s], m_UnderDrop[s], m_UnderPick[s], m_DebounceTime[s]})
            out.push_back(v);
    return out;
}
