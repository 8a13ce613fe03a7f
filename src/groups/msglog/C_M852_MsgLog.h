#pragma once

#include <array>

#include "groups/CDataGroup.h"

// Message stacks: the controller's previous (registers 9900-9919) and current (9950-9969) stacks of
// 20 message numbers, each read by its own poll, so one may be a polling cycle newer than the other.
//
// Entries are kept as the raw words and read in sign-and-magnitude form: bit 15 the sign, bits 0-14
// the magnitude (5 -> 5, 0x8005 -> -5, 0x8000 -> 0). Both stacks start as twenty 0xFFFF words, which
// read -32767 until their block has been read.
class C_M852_MsgLog : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 16;
    static constexpr int kEntries = 20;

    explicit C_M852_MsgLog(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    // Entry i (0..19) as a signed message number; -1 for any other index.
    [[nodiscard]] qint32 CurrentMsg(int i) const { return entry(m_Current, i); }
    [[nodiscard]] qint32 PreviousMsg(int i) const { return entry(m_Previous, i); }

    // A raw word in sign-and-magnitude form -> its signed value.
    [[nodiscard]] static qint32 SignMagnitude(qint16 word);

protected:
    void DecodeBlock(int block, const Registers& regs) override;

private:
    using Stack = std::array<qint16, kEntries>;
    [[nodiscard]] static qint32 entry(const Stack& s, int i);
    [[nodiscard]] static Stack initial();

    Stack m_Previous = initial();
    Stack m_Current = initial();
};
