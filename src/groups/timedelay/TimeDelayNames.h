#pragma once

#include "groups/timedelay/C_M852_TimeDelay.h"

// Control names and titles of the ten delays, shared by the window and the dialog (in the order of
// C_M852_TimeDelay::Delay).
namespace TimeDelayNames {

struct Entry {
    const char* name;   // lbl<name> in the window, txt<name> in the dialog
    const char* title;  // row title
};

inline constexpr Entry kEntries[C_M852_TimeDelay::kDelayCount] = {
    {"EngStartA", "Source N Eng. Start"},       {"EngStartB", "Source E Eng. Start"},
    {"EngCoolA", "Source N Eng. Cooldown"},     {"EngCoolB", "Source E Eng. Cooldown"},
    {"PrefToStdby", "Preferred to Standby"},    {"StdbyToPref", "Standby to Preferred"},
    {"OffToPref", "Off to Preferred"},          {"OffToStdby", "Off to Standby"},
    {"AcquireStdby", "Acquire Standby Source"}, {"InPhaseSynch", "In Phase Monitor Synch."},
};

inline constexpr const char* kProgrammedHeading = "Programmed Transition Mode";
inline constexpr const char* kUnit = "(mm:ss)";

}  // namespace TimeDelayNames
