#include "groups/sourceinfo/C_M852_SourceInfo.h"

#include "base/ComponentError.h"
#include "groups/SharedRoutines.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {2, 14},  // measured voltages and frequencies
    {22, 8},  // rotations, system voltage, frequency and phases
};
constexpr CDataGroup::WriteBlock kWrites[] = {
    {16, 23, 7},  // expected rotation .. phases; register 22 (actual rotation) is never written
};

}  // namespace

C_M852_SourceInfo::C_M852_SourceInfo(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

qint16 C_M852_SourceInfo::at(const PerSource& a, int i) {
    if (i < 0 || i >= int(a.size())) throw IndexOutOfRangeError();
    return a[std::size_t(i)];
}

qint16& C_M852_SourceInfo::at(PerSource& a, int i) {
    if (i < 0 || i >= int(a.size())) throw IndexOutOfRangeError();
    return a[std::size_t(i)];
}

void C_M852_SourceInfo::setSysVolt(int i, double volts) {
    qint16& slot = at(m_SysVolt, i);
    slot = ToRegister(volts, 10);
}

void C_M852_SourceInfo::setSysFreq(int i, double hertz) {
    qint16& slot = at(m_SysFreq, i);
    slot = ToRegister(hertz, 10);
}

void C_M852_SourceInfo::setPhases(int i, qint16 phases) { at(m_Phases, i) = phases; }

// Two bits of register 22 per source: 1 -> ABC, 2 -> not available, 0 and 3 -> CBA.
qint16 C_M852_SourceInfo::rotationOf(int twoBits) {
    switch (twoBits & 3) {
        case 1:
            return 1;
        case 2:
            return 2;
        default:
            return 0;
    }
}

void C_M852_SourceInfo::DecodeBlock(int block, const Registers& r) {
    if (block == 0) {
        // Registers 2..15: line-to-neutral N then E, line-to-line N then E, frequency N, E.
        m_VoltAN[0] = r[0];
        m_VoltBN[0] = r[1];
        m_VoltCN[0] = r[2];
        m_VoltAN[1] = r[3];
        m_VoltBN[1] = r[4];
        m_VoltCN[1] = r[5];
        m_VoltAB[0] = r[6];
        m_VoltBC[0] = r[7];
        m_VoltCA[0] = r[8];
        m_VoltAB[1] = r[9];
        m_VoltBC[1] = r[10];
        m_VoltCA[1] = r[11];
        m_Freq[0] = r[12];
        m_Freq[1] = r[13];
        return;
    }
    // Registers 22..29.
    const int rotation = static_cast<quint16>(r[0]);
    m_ActRotation[0] = rotationOf(rotation);
    m_ActRotation[1] = rotationOf(rotation >> 2);
    m_ExpRotation = (r[1] & 1) ? 1 : 0;
    m_SysVolt[0] = r[2];
    m_SysVolt[1] = r[3];
    m_SysFreq[0] = r[4];
    m_SysFreq[1] = r[5];
    m_Phases[0] = r[6];
    m_Phases[1] = r[7];
}

std::vector<qint16> C_M852_SourceInfo::EncodeBlock(int) const {
    return {m_ExpRotation, m_SysVolt[0], m_SysVolt[1], m_SysFreq[0], m_SysFreq[1], m_Phases[0], m_Phases[1]};
}
