#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

#include "app/SystemInfoTool.h"

namespace SystemInfoTool {
namespace {

// One text value of a key below HKEY_LOCAL_MACHINE (a 32-bit number comes back as its decimal
// text); nothing when the key or the value cannot be read.
std::optional<QString> keyValue(const QString& key, const QString& name) {
    QSettings settings(QStringLiteral("HKEY_LOCAL_MACHINE\\") + key, QSettings::NativeFormat);
    if (!settings.contains(name)) return std::nullopt;
    QString value = settings.value(name).toString();
    // A registry text may carry its terminating NUL; the value ends there.
    if (const auto nul = value.indexOf(QChar(0)); nul >= 0) value.truncate(nul);
    return value;
}

}  // namespace

QStringList candidates() { return {QStringLiteral("msinfo32.exe")}; }

std::optional<QString> find() {
    if (auto path =
            keyValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QStringLiteral("PATH")))
        if (!path->isEmpty()) return path;
    if (auto folder = keyValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                               QStringLiteral("MSINFO"))) {
        const QString path = *folder + QStringLiteral("\\MSINFO32.EXE");
        if (QFileInfo::exists(path)) return path;
    }
    return std::nullopt;
}

bool start() {
    const auto tool = find();
    return tool && QProcess::startDetached(QDir::toNativeSeparators(*tool), {});
}

}  // namespace SystemInfoTool
