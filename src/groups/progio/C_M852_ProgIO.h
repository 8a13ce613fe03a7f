#pragma once

#include <array>

#include "groups/CDataGroup.h"

// Programmable inputs and outputs: the function code of each programmable input and output of the
// main logic board and of the four I/O modules, in one block of 35 registers (65-99):
//   index 0         main board output
//   1 + (m-1)×6 + (k-1)   module m output k (6 per module), registers 66-89
//   25, 26          main board inputs 1, 2, registers 90, 91
//   27 + (m-1)×2 + (k-1)  module m input k (2 per module), registers 92-99
// The codes are kept as read; only their texts are looked up (string 3000 + code).
class C_M852_ProgIO : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 12;
    static constexpr int kRegisters = 35;
    static constexpr qint32 kForcedTransferToOff = 116;
    using Image = std::array<qint16, kRegisters>;

    explicit C_M852_ProgIO(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    // 1-based indexes; anything outside its range is an IndexOutOfRangeError.
    [[nodiscard]] qint16 MLBOutput() const { return m_regs[0]; }
    void setMLBOutput(qint16 code) { m_regs[0] = code; }
    [[nodiscard]] qint16 MLBInput(int k) const { return m_regs[MLBInputIndex(k)]; }
    void setMLBInput(int k, qint16 code) { m_regs[MLBInputIndex(k)] = code; }
    [[nodiscard]] qint16 ROBOutput(int m, int k) const { return m_regs[ROBOutputIndex(m, k)]; }
    void setROBOutput(int m, int k, qint16 code) { m_regs[ROBOutputIndex(m, k)] = code; }
    [[nodiscard]] qint16 ROBInput(int m, int k) const { return m_regs[ROBInputIndex(m, k)]; }
    void setROBInput(int m, int k, qint16 code) { m_regs[ROBInputIndex(m, k)] = code; }

    // Position of a field in the block (= register − 65).
    [[nodiscard]] static int MLBInputIndex(int k);
    [[nodiscard]] static int ROBOutputIndex(int m, int k);
    [[nodiscard]] static int ROBInputIndex(int m, int k);

    [[nodiscard]] const Image& Registers35() const { return m_regs; }

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;

private:
    Image m_regs{};
};
