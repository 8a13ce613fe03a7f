#include "base/Locations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

QString overrideDirectory() { return qEnvironmentVariable("FC_HOME"); }

// Creating a file is the only test that every platform answers truthfully: the permission bits (or
// on Windows the read-only attribute) say nothing about access-control lists or read-only mounts.
bool canCreateFileIn(const QString& directory) {
    if (!QFileInfo(directory).isDir()) return false;
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral(".fc-write-test-XXXXXX")));
    return probe.open();  // removed again when probe goes
}

}  // namespace

namespace Locations {

QString chooseAccountFile(const AccountFileSituation& s) {
    const QString besideExecutable = QDir(s.applicationDirectory).filePath(kAccountFileName);
    if (s.accountFileBesideExecutable || s.applicationDirectoryWritable || s.machineDirectory.isEmpty())
        return besideExecutable;
    return QDir(s.machineDirectory).filePath(kAccountFileName);
}

AccountFileSituation accountFileSituation(const QString& applicationDirectory,
                                          const QString& machineDirectory) {
    AccountFileSituation s;
    s.applicationDirectory = applicationDirectory;
    s.machineDirectory = machineDirectory;
    s.accountFileBesideExecutable = QFileInfo::exists(QDir(applicationDirectory).filePath(kAccountFileName));
    if (!s.accountFileBesideExecutable)
        s.applicationDirectoryWritable = canCreateFileIn(applicationDirectory);
    return s;
}

QString accountFile() {
    const QString home = overrideDirectory();
    if (!home.isEmpty()) return QDir(home).filePath(kAccountFileName);
    return chooseAccountFile(
        accountFileSituation(QCoreApplication::applicationDirPath(), machineDataDirectory()));
}

QString dataDirectory() { return QFileInfo(accountFile()).absolutePath(); }

QString applicationDirectory() {
    const QString home = overrideDirectory();
    if (!home.isEmpty()) return home;
    return QCoreApplication::applicationDirPath();
}

QString resourcesDirectoryFor(const QString& applicationDirectory) {
    const QDir app(applicationDirectory);
    const QString beside = app.filePath(QStringLiteral("Resources"));
    if (QFileInfo(beside).isDir()) return beside;
    const QString shared = QDir::cleanPath(app.filePath(QStringLiteral("../share/field-console/Resources")));
    return QFileInfo(shared).isDir() ? shared : beside;
}

QString resourcesDirectory() { return resourcesDirectoryFor(applicationDirectory()); }

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
