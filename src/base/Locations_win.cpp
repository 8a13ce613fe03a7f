// The common application data folder (normally C:\ProgramData), which every user of the computer
// reads; the program keeps its shared files in "Corvanta\Field Console" below it.
#include <windows.h>
// initguid.h first, so that FOLDERID_ProgramData is defined here and no uuid library is needed.
#include <initguid.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <QDir>

#include "base/Locations.h"

namespace Locations {

QString machineDataDirectory() {
    QString base;
    PWSTR path = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, KF_FLAG_DEFAULT, nullptr, &path)) && path)
        base = QString::fromWCharArray(path);
    CoTaskMemFree(path);  // also after a failure, as the API asks
    if (base.isEmpty()) base = qEnvironmentVariable("ProgramData");
    if (base.isEmpty()) return {};
    return QDir(QDir::fromNativeSeparators(base)).filePath(QStringLiteral("Corvanta/Field Console"));
}

}  // namespace Locations
