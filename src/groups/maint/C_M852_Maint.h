#pragma once

#include <QDate>

#include "groups/CDataGroup.h"

// Maintenance: six operating-time counters (minutes), the transfer counts and times, the system
// start date and the last maintenance reset date, and the controller's maintenance commands.
//
// A counter spans two registers, first word high: value = first × 65535 + second, both words taken
// as signed 16-bit values (the controller's own rule, 65535 and not 65536). Every combination fits a
// signed 32-bit value: 32767 × 65535 + 32767 = 32767 × 65536 and −32768 × 65535 − 32768 = −2^31.
//
// Commands are one-shot function-6 writes, one packet per register, in the order the controller
// expects them (the command word to 1350 first, then the sub-command to 1353).
class C_M852_Maint : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 15;
    static constexpr qint16 kCommandRegister = 1350;
    static constexpr qint16 kMaintCommandRegister = 1353;
    static constexpr qint16 kStartDateRegister = 1320;

    explicit C_M852_Maint(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    // Counters, minutes.
    [[nodiscard]] qint32 NotInPrefTotal() const { return m_counters[0]; }
    [[nodiscard]] qint32 NotInPrefMaint() const { return m_counters[1]; }
    [[nodiscard]] qint32 InStandbyTotal() const { return m_counters[2]; }
    [[nodiscard]] qint32 InStandbyMaint() const { return m_counters[3]; }
    [[nodiscard]] qint32 OperTimeTotal() const { return m_counters[4]; }
    [[nodiscard]] qint32 OperTimeMaint() const { return m_counters[5]; }

    [[nodiscard]] qint16 TransfersTotal() const { return m_singles[0]; }
    [[nodiscard]] qint16 TransfersSinceReset() const { return m_singles[1]; }
    [[nodiscard]] qint16 FailTransTotal() const { return m_singles[2]; }
    [[nodiscard]] qint16 FailTransSinceReset() const { return m_singles[3]; }
    [[nodiscard]] qint16 LostPrefTransTotal() const { return m_singles[4]; }
    [[nodiscard]] qint16 LostPrefTransSinceReset() const { return m_singles[5]; }
    // Milliseconds.
    [[nodiscard]] qint16 TransferTimeNE() const { return m_singles[6]; }
    [[nodiscard]] qint16 TransferTimeEN() const { return m_singles[7]; }
    // The raw PackedDate words and their dates (the clock's decoding: years 2000-2127).
    [[nodiscard]] qint16 SysStartDateWord() const { return m_singles[8]; }
    [[nodiscard]] qint16 MaintDateWord() const { return m_singles[9]; }
    [[nodiscard]] QDate SysStartDate() const;
    [[nodiscard]] QDate MaintDate() const;

    // One counter from its two register words (first high): first × 65535 + second.
    [[nodiscard]] static qint32 Counter(qint16 first, qint16 second);

    // Writes `a` to register 1350, then `b` to register 1353: two function-6 packets.
    void SendMaintCommand(qint16 a, qint16 b);
    // Writes today's date (Clock::now) as a PackedDate to register 1320. A date the word cannot hold
    // (before 2000 or after 2127) is an OverflowError and nothing is queued.
    void SendStartDate();

protected:
    void DecodeBlock(int block, const Registers& regs) override;

private:
    qint32 m_counters[6] = {};
    qint16 m_singles[10] = {};
};
