#include "base/Locations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString overrideDirectory() { return qEnvironmentVariable("FC_HOME"); }

bool isWritableDirectory(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

}  // namespace

namespace Locations {

QString applicationDirectory() {
    const QString home = overrideDirectory();
    if (!home.isEmpty()) return home;
    return QCoreApplication::applicationDirPath();
}

QString dataDirectory() {
    const QString home = overrideDirectory();
    if (!home.isEmpty()) return home;
    const QString appDir = QCoreApplication::applicationDirPath();
    if (isWritableDirectory(appDir)) return appDir;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

QString settingsFile() {
    const QString home = overrideDirectory();
    if (!home.isEmpty()) return QDir(home).filePath(QStringLiteral("FieldConsole.ini"));
#ifdef Q_OS_WIN
    return {};
#else
    const QString config = QStandardPaths::writableLocation(QStandardPaths::ConfigLocation);
    return QDir(config).filePath(QStringLiteral("Corvanta/FieldConsole.ini"));
#endif
}

}  // namespace Locations
