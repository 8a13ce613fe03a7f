#pragma once

#include <QtGlobal>
#include <array>

// The display window types. A type's code is also the WinID of its data group and what a screen
// file stores; its title is string 500 + code.
namespace WindowCatalogue {

inline constexpr qint32 kTypeCount = 21;
inline constexpr int kTitleBase = 500;

struct Entry {
    qint32 code;
    const char* displayWindow;  // class name of the display window
    bool setupAvailable;        // the window has a setup dialog
};

inline constexpr std::array<Entry, kTypeCount> kEntries{{
    {0, "DW_M852_DateTime", true},      {1, "DW_M852_TimeDelay", true},
    {2, "DW_M852_DIPSwitch", false},    {3, "DW_M852_SourceInfo", true},
    {4, "DW_M852_FreqSet", true},       {5, "DW_M852_VoltSet", true},
    {6, "DW_M852_LoadCtrl", true},      {7, "DW_M852_History", false},
    {8, "DW_M852_CFault", true},        {9, "DW_M852_Manual", false},
    {10, "DW_M852_SysSummary", true},   {11, "DW_M852_StateMachine", false},
    {12, "DW_M852_ProgIO", true},       {13, "DW_M852_NIP", true},
    {14, "DW_M852_SysInfo", true},      {15, "DW_M852_Maint", true},
    {16, "DW_M852_MsgLog", false},      {17, "DW_M852_PlantEx", true},
    {18, "DW_M852_Calibration", false}, {19, "DW_M852_ActiveTimeDelay", false},
    {20, "DW_M852_Calendar", true},
}};

[[nodiscard]] constexpr bool IsValidType(qint32 code) { return code >= 0 && code < kTypeCount; }

// Whether the Add Window list offers `code` to a user of `role`: roles 2 and 3 see every type, role 1
// not the state machine diagnostics (11) and message stacks (16), every other role (the guest)
// neither those nor manual operations (9) and meter calibration (18). A screen file opens any type.
[[nodiscard]] constexpr bool OfferedToRole(qint32 code, qint32 role) {
    if (role == 2 || role == 3) return true;
    if (role == 1) return code != 11 && code != 16;
    return code != 9 && code != 11 && code != 16 && code != 18;
}

}  // namespace WindowCatalogue
