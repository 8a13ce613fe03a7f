#include "app/AppIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include "base/Locations.h"

// The icons are compiled into a static library, whose resource initialiser the linker may drop.
static void initIconResources() { Q_INIT_RESOURCE(icons); }

namespace AppIcons {
namespace {

QString baseName(Kind kind) {
    switch (kind) {
        case Kind::Application:
            return QStringLiteral("APX");
        case Kind::Connected:
            return QStringLiteral("Connect");
        case Kind::Disconnected:
            return QStringLiteral("Disconnect");
    }
    return {};
}

QString resourcesPath(Kind kind) { return QDir(Locations::resourcesDirectory()).filePath(fileName(kind)); }

// A file that exists but holds no readable image (truncated, wrong format) counts as missing.
QIcon readFile(const QString& path) {
    if (!QFileInfo(path).isFile()) return {};
    QImageReader reader(path);
    if (!reader.canRead()) return {};
    return QIcon(path);
}

}  // namespace

QString fileName(Kind kind) { return baseName(kind) + QStringLiteral(".ico"); }

bool fileAvailable(Kind kind) { return !readFile(resourcesPath(kind)).isNull(); }

QIcon load(Kind kind) {
    QIcon icon = readFile(resourcesPath(kind));
    if (!icon.isNull()) return icon;
    static const bool registered = [] {
        initIconResources();
        return true;
    }();
    Q_UNUSED(registered);
    return QIcon(QStringLiteral(":/fc/icons/") + baseName(kind) + QStringLiteral(".png"));
}

}  // namespace AppIcons
