#pragma once

#include "groups/CDataGroup.h"

// System summary: the transfer switch's overall state (register 1), rated current and the mode bits
// of register 31 (registers 30-31), the option flags, in-phase-monitor angle and I/O module count
// (registers 740-741) and the controller version (register 1200). Everything is kept as the register
// parts; SendSetup writes 740-741 and then 30-31, with every bit this group does not own as 0.
class C_M852_SysSummary : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 10;
    static constexpr qint16 kMaxRatedCurrent = 4000;
    static constexpr qint16 kMaxROBs = 4;

    explicit C_M852_SysSummary(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    // Register 1.
    [[nodiscard]] qint32 ContactPos() const { return m_ContactPos; }            // 0..3
    [[nodiscard]] qint32 PreferredSource() const { return m_PreferredSource; }  // 0 = N, 1 = E
    [[nodiscard]] qint16 SysState() const { return m_SysState; }                // 0..1023
    [[nodiscard]] bool PrefSourceAvail() const { return m_PrefSourceAvail; }
    [[nodiscard]] bool StandbySourceAvail() const { return m_StandbySourceAvail; }

    // Registers 30-31.
    [[nodiscard]] qint16 RatedCurrent() const { return m_RatedCurrent; }
    void setRatedCurrent(qint16 amperes);  // negative values are ignored
    [[nodiscard]] qint32 TransitionMode() const {
        return m_TransitionMode;
    }  // 0 open, 1 programmed, 2 closed
    void setTransitionMode(qint32 v) { m_TransitionMode = v; }
    [[nodiscard]] qint32 ModeOfOp() const { return m_ModeOfOp; }  // 0 gen-gen, 1 gen-util, 2 util-util
    void setModeOfOp(qint32 v) { m_ModeOfOp = v; }
    [[nodiscard]] qint32 SupTransMode() const { return m_SupTransMode; }  // 0 auto override, 1 non-auto
    void setSupTransMode(qint32 v) { m_SupTransMode = v; }
    [[nodiscard]] qint32 SupSwitchPos() const { return m_SupSwitchPos; }  // 0 auto, 1 manual (read only)

    // Registers 740-741.
    [[nodiscard]] bool ExtEngStart() const { return m_ExtEngStart; }
    void setExtEngStart(bool v) { m_ExtEngStart = v; }
    [[nodiscard]] bool IPMEnabled() const { return m_IPMEnabled; }
    void setIPMEnabled(bool v) { m_IPMEnabled = v; }
    [[nodiscard]] bool CommitToTrans() const { return m_CommitToTrans; }
    void setCommitToTrans(bool v) { m_CommitToTrans = v; }
    [[nodiscard]] bool PeakShaveDelayBypass() const { return m_PeakShaveDelayBypass; }
    void setPeakShaveDelayBypass(bool v) { m_PeakShaveDelayBypass = v; }
    // 1 = leading, 0 = lagging, -1 = in phase (angle 0).
    [[nodiscard]] qint32 IPMLeadLag() const { return m_IPMLeadLag; }
    void setIPMLeadLag(qint32 v) { m_IPMLeadLag = v; }
    // Degrees (bits 9-15 of register 740, read signed: bit 15 makes it negative).
    [[nodiscard]] qint16 IPMPhaseAngle() const { return m_IPMPhaseAngle; }
    void setIPMPhaseAngle(qint16 v) { m_IPMPhaseAngle = v; }
    [[nodiscard]] qint16 NumROBs() const { return m_NumROBs; }
    void setNumROBs(qint16 count);  // values outside 0..4 are ignored

    // Register 1200: controller version major.minor.
    [[nodiscard]] quint8 VersionLow() const { return m_VersionLow; }
    [[nodiscard]] quint8 VersionHigh() const { return m_VersionHigh; }
    // Extended engine start delays exist from controller version 1.21 on.
    [[nodiscard]] bool ExtStartAvailable() const { return !(m_VersionHigh < 2 && m_VersionLow < 21); }

    // The register values SendSetup writes (for tests and tools).
    [[nodiscard]] qint16 EncodedOptions() const;  // register 740
    [[nodiscard]] qint16 EncodedModes() const;    // register 31

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;

private:
    qint32 m_ContactPos = 0;
    qint32 m_PreferredSource = 0;
    qint16 m_SysState = 0;
    bool m_PrefSourceAvail = false;
    bool m_StandbySourceAvail = false;
    qint16 m_RatedCurrent = 0;
    qint32 m_TransitionMode = 0;
    qint32 m_ModeOfOp = 0;
    qint32 m_SupTransMode = 0;
    qint32 m_SupSwitchPos = 0;
    bool m_ExtEngStart = false;
    bool m_IPMEnabled = false;
    bool m_CommitToTrans = false;
    bool m_PeakShaveDelayBypass = false;
    qint32 m_IPMLeadLag = -1;
    qint16 m_IPMPhaseAngle = 0;
    qint16 m_NumROBs = 0;
    quint8 m_VersionLow = 0;
    quint8 m_VersionHigh = 0;
};
