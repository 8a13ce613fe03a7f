#include "groups/progio/C_M852_ProgIO.h"

#include "base/ComponentError.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {{65, 35}};
constexpr CDataGroup::WriteBlock kWrites[] = {{16, 65, 35}};

}  // namespace

C_M852_ProgIO::C_M852_ProgIO(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

int C_M852_ProgIO::MLBInputIndex(int k) {
    if (k < 1 || k > 2) throw IndexOutOfRangeError();
    return 24 + k;
}

int C_M852_ProgIO::ROBOutputIndex(int m, int k) {
    if (m < 1 || m > 4 || k < 1 || k > 6) throw IndexOutOfRangeError();
    return (m - 1) * 6 + k;
}

int C_M852_ProgIO::ROBInputIndex(int m, int k) {
    if (m < 1 || m > 4 || k < 1 || k > 2) throw IndexOutOfRangeError();
    return 26 + (m - 1) * 2 + k;
}

void C_M852_ProgIO::DecodeBlock(int, const Registers& r) {
    Image next;
    for (int i = 0; i < kRegisters; ++i) next[std::size_t(i)] = r[i];  // a short reply changes nothing
    m_regs = next;
}

std::vector<qint16> C_M852_ProgIO::EncodeBlock(int) const { return {m_regs.begin(), m_regs.end()}; }
