#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The operating system's system-information tool, which the About window offers to start. One
// implementation file per platform (SystemInfoTool_win.cpp, SystemInfoTool_unix.cpp).
namespace SystemInfoTool {

// The program to start, or nothing when this computer has none.
//   Windows: the path registered under HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Shared Tools\MSINFO"
//            value "PATH"; else "MSINFO32.EXE" in the folder registered under
//            "SOFTWARE\Microsoft\Shared Tools Location" value "MSINFO", when that file exists.
//   Elsewhere: the first of candidates() found on the PATH.
[[nodiscard]] std::optional<QString> find();

// Linux and other Unix systems: the tools looked for, in order.
[[nodiscard]] QStringList candidates();

// Starts the tool as a separate process; false when there is none or it cannot be started.
[[nodiscard]] bool start();

}  // namespace SystemInfoTool
