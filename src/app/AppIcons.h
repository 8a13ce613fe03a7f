#pragma once

#include <QIcon>
#include <QString>

// The program's three icons. Each is read from the Resources/ folder of the application directory
// (where the build copies them and where an installer or the user may replace them); when that file is
// missing or unreadable, the copy compiled into the program is used, so a window never lacks its icon.
namespace AppIcons {

enum class Kind { Application, Connected, Disconnected };

// The file name in Resources/: "APX.ico", "Connect.ico", "Disconnect.ico".
[[nodiscard]] QString fileName(Kind kind);
// The icon, from Resources/ when possible, otherwise compiled in.
[[nodiscard]] QIcon load(Kind kind);
// True when load(kind) would read the file in Resources/.
[[nodiscard]] bool fileAvailable(Kind kind);

}  // namespace AppIcons
