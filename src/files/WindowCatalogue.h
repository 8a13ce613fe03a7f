#pragma once

#include <QtGlobal>

// The display window types. A type's code is also the WinID of its data group and what a screen
// file stores; its title is string 500 + code. What a window is (class, caption, whether it has a
// setup dialog) it says itself (CDisplayWindow); which types this build can create is the factory's
// table (DisplayWindowFactory). Only what belongs to the type code alone is kept here.
namespace WindowCatalogue {

inline constexpr qint32 kTypeCount = 21;
inline constexpr int kTitleBase = 500;

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
