#include "groups/syssummary/C_M852_SysSummary.h"

#include "groups/SharedRoutines.h"

namespace {

enum Block { kOptions, kCurrentModes, kStatus, kVersion };

constexpr CDataGroup::ReadBlock kReads[] = {
    {740, 2},   // option flags and in-phase-monitor angle, I/O modules expected
    {30, 2},    // rated current, mode bits
    {1, 1},     // status word
    {1200, 1},  // controller version
};
constexpr CDataGroup::WriteBlock kWrites[] = {
    {16, 740, 2},
    {16, 30, 2},
};

}  // namespace

C_M852_SysSummary::C_M852_SysSummary(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

void C_M852_SysSummary::setRatedCurrent(qint16 amperes) {
    if (amperes >= 0) m_RatedCurrent = amperes;
}

void C_M852_SysSummary::setNumROBs(qint16 count) {
    if (count >= 0 && count <= kMaxROBs) m_NumROBs = count;
}

void C_M852_SysSummary::DecodeBlock(int block, const Registers& r) {
    switch (block) {
        case kStatus: {
            // Bits 0-1 contactor, bit 2 preferred source, bits 3-12 state code, 13 and 14 availability.
            const int v = static_cast<quint16>(r[0]);
            m_ContactPos = v & 3;
            m_PreferredSource = (v & 4) / 4;
            m_SysState = qint16((v & 0x1FF8) / 8);
            m_PrefSourceAvail = (v & 0x2000) != 0;
            m_StandbySourceAvail = (v & 0x4000) != 0;
            return;
        }
        case kCurrentModes: {
            m_RatedCurrent = r[0];
            const int v = static_cast<quint16>(r[1]);
            m_TransitionMode = v & 3;
            m_ModeOfOp = (v & 12) / 4;
            m_SupTransMode = (v & 48) / 16;
            m_SupSwitchPos = (v & 64) / 64;
            return;
        }
        case kOptions: {
            const qint16 v = r[0];
            m_ExtEngStart = (v & 1) != 0;
            m_IPMEnabled = (v & 4) != 0;
            m_CommitToTrans = (v & 16) != 0;
            m_PeakShaveDelayBypass = (v & 32) != 0;
            // Bits 9-15 taken from the signed word: masking the low nine bits leaves a multiple of 512
            // with the sign of the word, so bit 15 makes the angle negative (0x8000 -> -64).
            m_IPMPhaseAngle = qint16((qint32(v) & ~0x1FF) / 512);
            m_IPMLeadLag = m_IPMPhaseAngle == 0 ? -1 : ((v & 256) ? 1 : 0);
            m_NumROBs = r[1];
            return;
        }
        case kVersion:
            m_VersionLow = LoByte(r[0]);
            m_VersionHigh = HiByte(r[0]);
            return;
        default:
            return;
    }
}

qint16 C_M852_SysSummary::EncodedOptions() const {
    // Bits 1, 3, 6 and 7 are written as 0. The angle is -64..63 (seven signed bits), so the sum fits
    // the 16-bit pattern; it is stored as the signed word with that pattern.
    const qint32 v = (m_ExtEngStart ? 1 : 0) + (m_IPMEnabled ? 4 : 0) + (m_CommitToTrans ? 16 : 0) +
                     (m_PeakShaveDelayBypass ? 32 : 0) + (m_IPMLeadLag == 1 ? 256 : 0) +
                     qint32(m_IPMPhaseAngle) * 512;
    return ToSignedWord(v & 0xFFFF);
}

qint16 C_M852_SysSummary::EncodedModes() const {
    // Bit 6 (switch position, read only) and bits 7-15 are written as 0.
    return qint16(((m_TransitionMode & 3) + (m_ModeOfOp & 3) * 4 + (m_SupTransMode & 3) * 16));
}

std::vector<qint16> C_M852_SysSummary::EncodeBlock(int block) const {
    if (block == 0) return {EncodedOptions(), m_NumROBs};
    return {m_RatedCurrent, EncodedModes()};
}
