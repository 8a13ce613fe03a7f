#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_SysSummary;
class QGroupBox;
class QLabel;

// The System Summary window: system state, contactor position, sources, modes and options. Every
// value label shows "---" until the first refresh; any value outside its list shows "DEBUG: Unknown".
// A system state code without an event text shows "Unknown state" and the code.
class DW_M852_SysSummary : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_SysSummary(QWidget* parent = nullptr);
    DW_M852_SysSummary(std::unique_ptr<C_M852_SysSummary> data, QWidget* parent = nullptr);

    [[nodiscard]] bool SetupAvailable() const override { return true; }

    // The in-phase-monitor text: "Enabled ( 15 deg. LEAD )", "Disabled ( 0 deg.  )".
    [[nodiscard]] static QString BuildStrIPM(bool enabled, qint16 angle, qint32 leadLag);
    // The system state text of a state code: "System Ready" for 232, otherwise event text 3000 + code,
    // or "Unknown state <code>" when the table has none.
    [[nodiscard]] static QString SysStateText(qint16 code);

protected:
    void UpdateDisplay() override;
    QList<QWidget*> SetupTargets() const override;
    CSetupDialog* CreateSetupDialog(QWidget* owner) override;

private:
    void buildUi();

    C_M852_SysSummary* m_Sum = nullptr;
    QGroupBox* m_fraSupTransfer = nullptr;
    QLabel* lblSysState = nullptr;
    QLabel* lblPreferredSource = nullptr;
    QLabel* lblCommitToTrans = nullptr;
    QLabel* lblExtEngStart = nullptr;
    QLabel* lblPeakShaveDelayBypass = nullptr;
    QLabel* lblInPhaseMon = nullptr;
    QLabel* lblNumROBs = nullptr;
    QLabel* lblRatedCurrent = nullptr;
    QLabel* lblContactPos = nullptr;
    QLabel* lblTransitionMode = nullptr;
    QLabel* lblPrefSourceAvail = nullptr;
    QLabel* lblStandbySourceAvail = nullptr;
    QLabel* lblModeOfOp = nullptr;
    QLabel* lblSupTransMode = nullptr;
    QLabel* lblSupSwitchPos = nullptr;
};
