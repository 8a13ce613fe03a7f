#pragma once

#include <array>

#include "groups/CDataGroup.h"

// Load control delays: 36 whole-second values, registers 750-785. Index 0-8: Source E -> Source N
// disconnect before transfer (main logic board, then I/O modules 1-8), 9-17: E -> N reconnect after
// transfer, 18-26: N -> E disconnect, 27-35: N -> E reconnect.
class C_M852_LoadCtrl : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 6;
    static constexpr int kCount = 36;
    static constexpr qint32 kMaxSeconds = 3600;  // what the dialog accepts: 60:00

    explicit C_M852_LoadCtrl(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    // Index 0..35; anything else is an IndexOutOfRangeError.
    [[nodiscard]] qint16 TimeDelay(int index) const;
    void setTimeDelay(int index, qint16 seconds);

    // The dialog's test of a text: digits and at most one ":", and 0:00..60:00.
    [[nodiscard]] static bool IsValidText(const QString& text);

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;
    // The 36 registers are taken from any read reply of this group, whatever its start.
    int FallbackBlock() const override { return 0; }

private:
    std::array<qint16, kCount> m_TimeDelay{};
};
