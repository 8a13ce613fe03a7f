#pragma once

#include "groups/CDisplayWindow.h"

class C_M852_Manual;
class QPushButton;

// The Manual Operation window: start and stop peak shaving and the system test, transfer to off and
// resume normal operation (programmed transition only), and switch the four Modbus-controlled relay
// outputs. No confirmation is asked; the buttons follow the controller's status bits at each poll,
// so a command the controller ignores leaves them as they were.
//
// A command button writes its code to register 1350 and the relay register, unchanged, to 600. A
// relay button writes register 600 only (never the last command again).
//
// Nothing is written unless the link is connected, the user is not a guest and every block of the
// group has been read since the link was last opened: a queued write would otherwise go out at the
// next Connect, to whichever controller is then on the line, and a relay switch from unread fields
// would write zeros over the other relays. For the same reasons every button starts disabled (the
// relay buttons included) and a guest, who can open this window from a screen file, never gets one
// enabled. A refused press beeps.
//
// The frames are named fraPeakShave, fraSysTest, fraProgTransition and fraOutputs; the relay
// buttons cmdOutput_1 to cmdOutput_4.
class DW_M852_Manual : public CDisplayWindow {
    Q_OBJECT
public:
    explicit DW_M852_Manual(QWidget* parent = nullptr);
    // For tests and tools that bring their own message manager.
    DW_M852_Manual(std::unique_ptr<C_M852_Manual> data, QWidget* parent = nullptr);

protected:
    void UpdateDisplay() override;

private:
    // Whether a write may go out now (connected, not a guest, every block read); beeps when not.
    [[nodiscard]] bool mayWrite() const;
    void runCommand(void (C_M852_Manual::*choose)());
    void cmdOutput_Click(int k);

    C_M852_Manual* m_Man = nullptr;
    QPushButton* cmdStartPeakShave = nullptr;
    QPushButton* cmdStopPeakShave = nullptr;
    QPushButton* cmdStartSysTest = nullptr;
    QPushButton* cmdStopSysTest = nullptr;
    QPushButton* cmdTransferToOff = nullptr;
    QPushButton* cmdResumeNormalOp = nullptr;
    QPushButton* cmdOutput[5] = {};  // 1 to 4
};
