#pragma once

#include "groups/CDataGroup.h"

// Manual operations: the controller's command register 1350 (one bit per command) and its
// Modbus-controlled relay output register 600, with the status bits that tell which commands make
// sense now (register 31 bit 0: programmed transition; register 742 bit 3: peak shaving, bit 4:
// system test).
//
// Register 600 holds, for relay k = 1 to 4, "on" in bit 2(k - 1) and "may be switched from here" in
// bit 2(k - 1) + 1; it is kept whole so that switching one relay writes every other bit back as read.
//
// The six command operations only choose the command (PendingCommand). SendCommand writes it to 1350
// and then the relay register, unchanged, to 600. SendRelays writes register 600 alone: a relay
// switch never repeats the last command into 1350, since repeating, say, "Transfer to OFF" when a
// relay is switched would move the load. Both go out as one-off writes.
class C_M852_Manual : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 9;

    // Command codes of register 1350.
    static constexpr qint16 kCmdStartPeakShave = 2;
    static constexpr qint16 kCmdStopPeakShave = 4;
    static constexpr qint16 kCmdStartSysTest = 8;
    static constexpr qint16 kCmdStopSysTest = 16;
    static constexpr qint16 kCmdTransferToOff = 32;
    static constexpr qint16 kCmdResumeNormalOp = 64;

    static constexpr qint16 kCommandRegister = 1350;
    static constexpr qint16 kRelayRegister = 600;

    explicit C_M852_Manual(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    [[nodiscard]] bool ProgTransition() const { return m_ProgTransition; }
    [[nodiscard]] bool SysTestActive() const { return m_SysTestActive; }
    [[nodiscard]] bool PeakShaveActive() const { return m_PeakShaveActive; }
    [[nodiscard]] qint16 RelayOutputs() const { return m_RelayOutputs; }
    // k = 1 to 4; any other k is an IndexOutOfRangeError.
    [[nodiscard]] bool RelayOn(int k) const;
    [[nodiscard]] bool RelayEnabled(int k) const;
    // Sets or clears only bit 2(k - 1) of RelayOutputs.
    void setRelayOn(int k, bool on);

    // The last command chosen; 0 until one is.
    [[nodiscard]] qint16 PendingCommand() const { return m_PendingCommand; }
    void StartPeakShave() { m_PendingCommand = kCmdStartPeakShave; }
    void StopPeakShave() { m_PendingCommand = kCmdStopPeakShave; }
    void StartSysTest() { m_PendingCommand = kCmdStartSysTest; }
    void StopSysTest() { m_PendingCommand = kCmdStopSysTest; }
    void TransferToOff() { m_PendingCommand = kCmdTransferToOff; }
    void ResumeNormalOp() { m_PendingCommand = kCmdResumeNormalOp; }

    // Queues PendingCommand to register 1350, then RelayOutputs to register 600 (function 16 each).
    void SendCommand();
    // Queues RelayOutputs to register 600 only.
    void SendRelays();

protected:
    void DecodeBlock(int block, const Registers& regs) override;

private:
    [[nodiscard]] static int onBit(int k);

    bool m_ProgTransition = false;
    bool m_SysTestActive = false;
    bool m_PeakShaveActive = false;
    qint16 m_RelayOutputs = 0;
    qint16 m_PendingCommand = 0;
};
