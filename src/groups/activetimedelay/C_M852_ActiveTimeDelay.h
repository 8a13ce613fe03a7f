#pragma once

#include "groups/CDataGroup.h"

// The running timer (registers 650-652): its code, the time remaining and its total length, both in
// tenths of a second. EndDelay + SendEndDelay ask the controller to end it (128 to command register
// 1350, function 6). Registers 650-652 are also polled by the exerciser group, in its own unit.
class C_M852_ActiveTimeDelay : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 19;
    static constexpr qint16 kCommandRegister = 1350;
    static constexpr qint16 kEndDelayCommand = 128;

    explicit C_M852_ActiveTimeDelay(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    [[nodiscard]] qint16 TimeDelayCode() const { return m_TimeDelayCode; }
    [[nodiscard]] qint16 TimeRemaining() const { return m_TimeRemaining; }
    [[nodiscard]] qint16 TimeTotal() const { return m_TimeTotal; }
    [[nodiscard]] qint16 EndDelayCmd() const { return m_EndDelayCmd; }

    // Sets the command value to 128 (end the running delay).
    void EndDelay() { m_EndDelayCmd = kEndDelayCommand; }
    // Queues the command: function 6, register 1350, the command value. Not confirmed; the next poll
    // of register 650 shows whether the timer ended.
    void SendEndDelay();

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    // The three registers are taken from any read reply of this group, whatever its start.
    int FallbackBlock() const override { return 0; }

private:
    qint16 m_TimeDelayCode = 0;
    qint16 m_TimeRemaining = 0;
    qint16 m_TimeTotal = 0;
    qint16 m_EndDelayCmd = 0;
};
