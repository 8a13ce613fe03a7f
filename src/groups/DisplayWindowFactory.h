#pragma once

#include <QtGlobal>

class CDisplayWindow;

// Makes the display window of a window type. Each group adds its line to the table in the .cpp.
namespace DisplayWindowFactory {

// A new display window of `type` (no parent), or nullptr when this build has no window of that type
// or the code is outside 0..20. May throw what the window's construction throws.
[[nodiscard]] CDisplayWindow* Create(qint32 type);
// Whether this build has a display window of `type`.
[[nodiscard]] bool Exists(qint32 type);

}  // namespace DisplayWindowFactory
