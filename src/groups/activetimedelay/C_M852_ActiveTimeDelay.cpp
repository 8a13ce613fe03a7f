#include "groups/activetimedelay/C_M852_ActiveTimeDelay.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {650, 3},  // timer code, remaining, total
};

}  // namespace

C_M852_ActiveTimeDelay::C_M852_ActiveTimeDelay(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, {}, manager, parent) {}

void C_M852_ActiveTimeDelay::SendEndDelay() { WriteRegisters(6, kCommandRegister, {m_EndDelayCmd}); }

void C_M852_ActiveTimeDelay::DecodeBlock(int, const Registers& r) {
    m_TimeDelayCode = r[0];
    m_TimeRemaining = r[1];
    m_TimeTotal = r[2];
}
