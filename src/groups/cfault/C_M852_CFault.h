#pragma once

#include <QString>

#include "groups/CDataGroup.h"

// Common alarms: 45 slots (registers 800-844), each an event code (bits 0-14) chosen by the
// controller and an assignment bit (bit 15) the user sets. The program changes only the bit; the
// code is written back as read.
class C_M852_CFault : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 8;
    static constexpr int kSlots = 45;

    explicit C_M852_CFault(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    // i = 0..44; another index is an IndexOutOfRangeError.
    [[nodiscard]] bool AlarmAssigned(int i) const;
    void setAlarmAssigned(int i, bool assigned);
    [[nodiscard]] qint32 AlarmEventCode(int i) const;

    // The event's set text (string 3000 + code); a code without a text reads "Event <code>", so a
    // slot the controller fills with a newer event can still be seen and moved.
    [[nodiscard]] static QString EventText(qint32 code);

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;

private:
    static void check(int i);
    quint16 m_code[kSlots] = {};
    bool m_assigned[kSlots] = {};
};
