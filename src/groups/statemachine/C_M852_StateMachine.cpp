#include "groups/statemachine/C_M852_StateMachine.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {1500, 9},
};

// The controller's boolean true is all ones; read signed, that is -1.
constexpr qint16 kTrue = -1;

}  // namespace

C_M852_StateMachine::C_M852_StateMachine(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, {}, manager, parent) {}

void C_M852_StateMachine::DecodeBlock(int, const Registers& r) {
    m_ContactorState = r[0];
    m_ContactorPosition = r[1];
    m_ContactorFunction = r[2];
    m_PreferredSource = r[3];
    m_StandbySource = r[4];
    m_ShutdownCause = r[5];
    m_AutoManual = r[6];
    m_ForcingToOff = r[7] == kTrue;
    m_AreaProtection = r[8] == kTrue;
}
