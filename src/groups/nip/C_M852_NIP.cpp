#include "groups/nip/C_M852_NIP.h"

#include <array>

#include "groups/SharedRoutines.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {1000, 4},  // address, baud-rate code, two fixed words
};
constexpr CDataGroup::WriteBlock kWrites[] = {
    {16, 1000, 4},
};

// Index = code - 1.
constexpr std::array<qint32, 8> kBaudRates = {300, 1200, 2400, 4800, 9600, 19200, 38400, 57600};

}  // namespace

C_M852_NIP::C_M852_NIP(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

void C_M852_NIP::setBaudRateCode(qint32 code) {
    (void)ToSignedWord(code);  // throws before the field changes
    m_BaudRateCode = code;
}

std::optional<qint32> C_M852_NIP::BaudRate(qint32 code) {
    if (code < 1 || code > qint32(kBaudRates.size())) return std::nullopt;
    return kBaudRates[std::size_t(code - 1)];
}

void C_M852_NIP::DecodeBlock(int, const Registers& r) {
    m_NodeAddress = r[0];
    m_BaudRateCode = r[1];
    // 1002 and 1003 carry nothing the program shows.
}

std::vector<qint16> C_M852_NIP::EncodeBlock(int) const {
    return {m_NodeAddress, ToSignedWord(m_BaudRateCode), 1, 1};
}
