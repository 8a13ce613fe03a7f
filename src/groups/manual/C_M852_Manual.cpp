#include "groups/manual/C_M852_Manual.h"

#include "base/ComponentError.h"

namespace {

// Polled in this order; the reply's StartingReg picks the block, any other start decodes nothing.
constexpr CDataGroup::ReadBlock kReads[] = {
    {31, 1},   // transition-mode bits
    {600, 1},  // relay outputs
    {742, 1},  // operating status
};
enum Block { kTransition, kRelays, kStatus };

constexpr quint16 kProgTransitionBit = 0x0001;  // register 31
constexpr quint16 kPeakShaveBit = 0x0008;       // register 742, bit 3
constexpr quint16 kSysTestBit = 0x0010;         // register 742, bit 4

}  // namespace

C_M852_Manual::C_M852_Manual(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, {}, manager, parent) {}

int C_M852_Manual::onBit(int k) {
    if (k < 1 || k > 4) throw IndexOutOfRangeError();
    return 2 * (k - 1);
}

bool C_M852_Manual::RelayOn(int k) const { return (quint16(m_RelayOutputs) >> onBit(k)) & 1u; }

bool C_M852_Manual::RelayEnabled(int k) const { return (quint16(m_RelayOutputs) >> (onBit(k) + 1)) & 1u; }

void C_M852_Manual::setRelayOn(int k, bool on) {
    const quint16 mask = quint16(1u << onBit(k));
    const quint16 bits = quint16(m_RelayOutputs);
    m_RelayOutputs = static_cast<qint16>(on ? (bits | mask) : (bits & ~mask));
}

void C_M852_Manual::SendCommand() {
    WriteRegisters(16, kCommandRegister, {m_PendingCommand});
    WriteRegisters(16, kRelayRegister, {m_RelayOutputs});
}

void C_M852_Manual::SendRelays() { WriteRegisters(16, kRelayRegister, {m_RelayOutputs}); }

void C_M852_Manual::DecodeBlock(int block, const Registers& r) {
    const quint16 v = quint16(r[0]);
    switch (block) {
        case kTransition:
            m_ProgTransition = v & kProgTransitionBit;
            break;
        case kRelays:
            m_RelayOutputs = r[0];
            break;
        case kStatus:
            m_SysTestActive = v & kSysTestBit;
            m_PeakShaveActive = v & kPeakShaveBit;
            break;
        default:
            break;
    }
}
