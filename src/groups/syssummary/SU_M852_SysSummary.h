#pragma once

#include "groups/CSetupDialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// System Summary Setup: option flags, in-phase monitor, supervised transfer (only for role 3), mode
// of operation, transition mode, rated current (0..4000) and the number of I/O modules. OK writes
// registers 740-741 and then 30-31.
//
// Filling the dialog puts the controller's values into the controls without running the rules of a
// user's click: no battery-board warning while filling, and an Open transition mode from the
// controller does not clear the in-phase-monitor box. Only the enabled state of the in-phase-monitor
// controls follows the filled transition mode (disabled for Programmed), since that changes no value.
class SU_M852_SysSummary : public CSetupDialog {
    Q_OBJECT
public:
    explicit SU_M852_SysSummary(QWidget* parent = nullptr);

    // The signed dialog angle: negative = leading, positive = lagging, -20..20.
    [[nodiscard]] qint16 PhaseAngle() const { return m_angle; }
    // "DEG. LAGGING" (> 0), "IN PHASE" (0), "DEG. LEADING" (< 0).
    [[nodiscard]] static QString LeadLagText(qint16 angle);

protected:
    void Fill(CDataGroup& data) override;
    void Commit(CDataGroup& data) override;

private slots:
    void optOpen_Click();
    void optProgrammed_Click();
    void chkExtStartTD_Click(bool checked);
    void updPhaseAngle_Change(int value);

private:
    void setAngle(qint16 angle);
    void setIPMControlsEnabled(bool on);

    QCheckBox* chkCommitToTransfer = nullptr;
    QCheckBox* chkExtStartTD = nullptr;
    QCheckBox* chkPeakShaveBypass = nullptr;
    QCheckBox* chkIPM_Enabled = nullptr;
    QSpinBox* updPhaseAngle = nullptr;
    QLabel* lblIPM_PhaseAngle = nullptr;
    QLabel* lblIPM_LeadLag = nullptr;
    QGroupBox* fraSupTransfer = nullptr;
    QRadioButton* optNonAuto = nullptr;
    QRadioButton* optAutoOverride = nullptr;
    QRadioButton* optGenToGen = nullptr;
    QRadioButton* optGenToUtil = nullptr;
    QRadioButton* optUtilToUtil = nullptr;
    QRadioButton* optOpen = nullptr;
    QRadioButton* optProgrammed = nullptr;
    QRadioButton* optClosed = nullptr;
    QLineEdit* txtRatedCurrent = nullptr;
    QSpinBox* updNumROBs = nullptr;
    QLabel* lblNumROBs = nullptr;
    qint16 m_angle = 0;
    int m_shownROBs = 0;
};
