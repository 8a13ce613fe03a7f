#include <QProcess>
#include <QStandardPaths>

#include "app/SystemInfoTool.h"

namespace SystemInfoTool {

QStringList candidates() {
    // Hardware and system overviews first; the desktops' task managers show at least the system's
    // load and processes.
    return {QStringLiteral("hardinfo"),
            QStringLiteral("hardinfo2"),
            QStringLiteral("gnome-system-monitor"),
            QStringLiteral("ksysguard"),
            QStringLiteral("plasma-systemmonitor"),
            QStringLiteral("xfce4-taskmanager"),
            QStringLiteral("lshw-gtk")};
}

std::optional<QString> find() {
    for (const QString& name : candidates()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) return path;
    }
    return std::nullopt;
}

bool start() {
    const auto tool = find();
    return tool && QProcess::startDetached(*tool, {});
}

}  // namespace SystemInfoTool
