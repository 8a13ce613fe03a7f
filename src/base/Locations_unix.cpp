#include "base/Locations.h"

namespace Locations {

// The Filesystem Hierarchy Standard's place for state that programs share: an administrator (or the
// package) creates it owned by root:dialout with group write, so that every user who may use the
// serial ports also shares one account file.
QString machineDataDirectory() { return QStringLiteral("/var/lib/field-console"); }

}  // namespace Locations
