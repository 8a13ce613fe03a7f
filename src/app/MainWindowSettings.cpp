#include "app/MainWindowSettings.h"

#include <limits>

#include "app/clsQTR_Registry.h"
#include "base/ComponentError.h"

namespace {

// A REG_DWORD value, or nothing when it is missing or not a number (+1003).
std::optional<qint32> readDword(clsQTR_Registry& registry, const QString& name) {
    try {
        return registry.Value(name, clsQTR_Registry::REG_DWORD).value<qint32>();
    } catch (const ComponentError& e) {
        if (e.number() != clsQTR_Registry::kErrValueRead) throw;
        return std::nullopt;
    }
}

// A 16-bit setting; a stored number that does not fit keeps the default.
std::optional<qint16> readInt16(clsQTR_Registry& registry, const QString& name) {
    const auto value = readDword(registry, name);
    if (!value || *value < std::numeric_limits<qint16>::min() || *value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(*value);
}

qint16 readRate(clsQTR_Registry& registry, const QString& name) {
    const auto value = readInt16(registry, name);
    // The scan timer needs at least 1 ms; 0 or less can only come from a hand-edited store.
    if (!value || *value < 1) return MainWindowSettings::kDefaultScanRate;
    return *value;
}

// Opens key (creating it); true when it existed before. The key stays open.
bool openKey(clsQTR_Registry& registry, const QString& key) {
    registry.setSubKey(key);
    return registry.OpenKey() == clsQTR_Registry::kOpenedExistingKey;
}

// Opens key without creating it; false when it does not exist.
bool openExistingKey(clsQTR_Registry& registry, const QString& key) {
    const bool autoCreate = registry.AutoCreate();
    registry.setAutoCreate(false);
    registry.setSubKey(key);
    bool opened = true;
    try {
        registry.OpenKey();
    } catch (const ComponentError& e) {
        registry.setAutoCreate(autoCreate);
        if (e.number() != clsQTR_Registry::kErrNoSuchKey) throw;
        opened = false;
    }
    registry.setAutoCreate(autoCreate);
    return opened;
}

}  // namespace

MainWindowSettings MainWindowSettings::Load(clsQTR_Registry& registry, const QString& base) {
    MainWindowSettings s;
    if (openKey(registry, base + startKey())) {
        s.placement.left = readDword(registry, QStringLiteral("Wnd_Left"));
        s.placement.top = readDword(registry, QStringLiteral("Wnd_Top"));
        s.placement.width = readDword(registry, QStringLiteral("Wnd_Width"));
        s.placement.height = readDword(registry, QStringLiteral("Wnd_Height"));
    }
    registry.CloseKey();

    if (openKey(registry, base + settingsKey())) {
        if (const auto port = readInt16(registry, QStringLiteral("LastPortNum"))) s.portNumber = *port;
        s.readScanRate = readRate(registry, QStringLiteral("LastReadScanRate"));
        s.writeScanRate = readRate(registry, QStringLiteral("LastWriteScanRate"));
        s.automaticScanRate = readDword(registry, QStringLiteral("AutoScanRate")).value_or(0) == 1;
    }
    registry.CloseKey();

    if (openExistingKey(registry, base + overridesKey())) {
        for (const QString& name : registry.ValueNames()) {
            bool ok = false;
            const int number = name.toInt(&ok);
            if (!ok) continue;
            try {
                const QString path = registry.Value(name, clsQTR_Registry::REG_SZ).toString();
                if (!path.isEmpty()) s.portOverrides.insert(number, path);
            } catch (const ComponentError& e) {
                if (e.number() != clsQTR_Registry::kErrValueRead) throw;
            }
        }
        registry.CloseKey();
    }
    return s;
}

void MainWindowSettings::Save(clsQTR_Registry& registry, const QString& base) const {
    openKey(registry, base + startKey());
    registry.setValue(QStringLiteral("Wnd_Left"), clsQTR_Registry::REG_DWORD, placement.left.value_or(0));
    registry.setValue(QStringLiteral("Wnd_Top"), clsQTR_Registry::REG_DWORD, placement.top.value_or(0));
    registry.setValue(QStringLiteral("Wnd_Width"), clsQTR_Registry::REG_DWORD, placement.width.value_or(0));
    registry.setValue(QStringLiteral("Wnd_Height"), clsQTR_Registry::REG_DWORD, placement.height.value_or(0));
    registry.CloseKey();

    openKey(registry, base + settingsKey());
    registry.setValue(QStringLiteral("LastPortNum"), clsQTR_Registry::REG_DWORD, portNumber);
    registry.setValue(QStringLiteral("LastReadScanRate"), clsQTR_Registry::REG_DWORD, readScanRate);
    registry.setValue(QStringLiteral("LastWriteScanRate"), clsQTR_Registry::REG_DWORD, writeScanRate);
    registry.setValue(QStringLiteral("AutoScanRate"), clsQTR_Registry::REG_DWORD, automaticScanRate ? 1 : 0);
    registry.CloseKey();

    const bool exists = portOverrides.isEmpty() ? openExistingKey(registry, base + overridesKey())
                                                : (openKey(registry, base + overridesKey()), true);
    if (exists) {
        for (const QString& name : registry.ValueNames()) {
            bool ok = false;
            const int number = name.toInt(&ok);
            if (!ok || name != QString::number(number) || !portOverrides.contains(number))
                registry.DeleteValue(name);
        }
        for (auto it = portOverrides.cbegin(); it != portOverrides.cend(); ++it)
            registry.setValue(QString::number(it.key()), clsQTR_Registry::REG_SZ, it.value());
        registry.CloseKey();
    }
}
