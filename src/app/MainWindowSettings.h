#pragma once

#include <QMap>
#include <QString>
#include <QtGlobal>
#include <optional>

class clsQTR_Registry;

// What the main window keeps in the settings store between runs, as a value with defaults:
//
//   <base>Start     Wnd_Left, Wnd_Top, Wnd_Width, Wnd_Height   REG_DWORD, twips
//   <base>Settings  LastPortNum, LastReadScanRate, LastWriteScanRate, AutoScanRate   REG_DWORD
//                   (AutoScanRate: 1 = automatic scan rate, anything else off)
//   <base>Settings\PortOverrides   one REG_SZ per overridden port: name = port number (decimal),
//                                  value = the device path that number opens (e.g. a by-id link)
//
// Values are read only from keys that already existed (a first start runs on the defaults). A key
// that exists but lacks a value, or holds one that cannot be used, gives that value its default; a
// scan rate below 1 (only possible when edited by hand) becomes 500.
struct MainWindowSettings {
    static constexpr qint16 kDefaultPortNumber = 1;
    static constexpr qint16 kDefaultScanRate = 500;

    // Window placement in twips. A missing field keeps the window's design value.
    struct Placement {
        std::optional<qint32> left;
        std::optional<qint32> top;
        std::optional<qint32> width;
        std::optional<qint32> height;
        [[nodiscard]] bool isEmpty() const { return !left && !top && !width && !height; }
    };

    Placement placement;
    qint16 portNumber = kDefaultPortNumber;
    qint16 readScanRate = kDefaultScanRate;
    qint16 writeScanRate = kDefaultScanRate;
    // The automatic scan rate; off on a first start. The fixed rates are kept for when it is off.
    bool automaticScanRate = false;
    QMap<int, QString> portOverrides;

    // Reads the stored values; creates the keys that are missing (AutoCreate). A value that cannot be
    // read keeps its default; other store errors (the store cannot be written) are raised.
    [[nodiscard]] static MainWindowSettings Load(clsQTR_Registry& registry, const QString& baseSubkey);

    // Writes every value (placement fields that are not set are written as 0). The override key is
    // created only when there is an override to keep, and emptied when there is none any more.
    void Save(clsQTR_Registry& registry, const QString& baseSubkey) const;

    // Key names below the base subkey.
    static QString startKey() { return QStringLiteral("Start"); }
    static QString settingsKey() { return QStringLiteral("Settings"); }
    static QString overridesKey() { return QStringLiteral("Settings\\PortOverrides"); }
};
