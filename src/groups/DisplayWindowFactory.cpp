#include "groups/DisplayWindowFactory.h"

#include <array>

#include "groups/activetimedelay/DW_M852_ActiveTimeDelay.h"
#include "groups/calendar/DW_M852_Calendar.h"
#include "groups/calibration/DW_M852_Calibration.h"
#include "groups/cfault/DW_M852_CFault.h"
#include "groups/datetime/DW_M852_DateTime.h"
#include "groups/dipswitch/DW_M852_DIPSwitch.h"
#include "groups/freqset/DW_M852_FreqSet.h"
#include "groups/history/DW_M852_History.h"
#include "groups/loadctrl/DW_M852_LoadCtrl.h"
#include "groups/maint/DW_M852_Maint.h"
#include "groups/manual/DW_M852_Manual.h"
#include "groups/msglog/DW_M852_MsgLog.h"
#include "groups/nip/DW_M852_NIP.h"
#include "groups/plantex/DW_M852_PlantEx.h"
#include "groups/progio/DW_M852_ProgIO.h"
#include "groups/sourceinfo/DW_M852_SourceInfo.h"
#include "groups/statemachine/DW_M852_StateMachine.h"
#include "groups/sysinfo/DW_M852_SysInfo.h"
#include "groups/syssummary/DW_M852_SysSummary.h"
#include "groups/timedelay/DW_M852_TimeDelay.h"
#include "groups/voltset/DW_M852_VoltSet.h"

namespace {

using Maker = CDisplayWindow* (*)();

template <typename W>
CDisplayWindow* make() {
    return new W();
}

// Indexed by window type (= WinID). A type without a window yet has nullptr.
constexpr std::array<Maker, 21> kMakers = {
    &make<DW_M852_DateTime>,    // 0 Date / Time
    &make<DW_M852_TimeDelay>,   // 1 Time Delays
    &make<DW_M852_DIPSwitch>,   // 2 DIP Switch Settings
    &make<DW_M852_SourceInfo>,  // 3 Source Info
    &make<DW_M852_FreqSet>,     // 4 Setpoints - Frequency
    &make<DW_M852_VoltSet>,     // 5 Setpoints - Voltage
    &make<DW_M852_LoadCtrl>,    // 6 Load Control Time Delays
    &make<DW_M852_History>,     // 7 Event History
    &make<DW_M852_CFault>,      // 8 Common Alarms
    &make<DW_M852_Manual>,      // 9 Manual Operations
    &make<DW_M852_SysSummary>,  // 10 System Summary
    &make<DW_M852_StateMachine>, // 11 State Machine Diagnostics
    &make<DW_M852_ProgIO>,      // 12 Programmable Input/Output
    &make<DW_M852_NIP>,         // 13 Network Interface Port
    &make<DW_M852_SysInfo>,     // 14 System Information
    &make<DW_M852_Maint>,       // 15 Maintenance
    &make<DW_M852_MsgLog>,      // 16 Message Stacks
    &make<DW_M852_PlantEx>,     // 17 Exerciser
    &make<DW_M852_Calibration>, // 18 Meter Calibration
    &make<DW_M852_ActiveTimeDelay>,  // 19 Active Time Delay
    &make<DW_M852_Calendar>,    // 20 Exerciser Calendar
};

}  // namespace

namespace DisplayWindowFactory {

CDisplayWindow* Create(qint32 type) {
    if (!Exists(type)) return nullptr;
    return kMakers[std::size_t(type)]();
}

bool Exists(qint32 type) { return type >= 0 && type < qint32(kMakers.size()) && kMakers[std::size_t(type)]; }

}  // namespace DisplayWindowFactory
