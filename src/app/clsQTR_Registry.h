#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

class QSettings;

// Reads and writes the values of one settings key at a time: set SubKey, OpenKey, any number of
// Value reads and writes, CloseKey.
//
// The store is QSettings. On Windows it is the native registry below RootKey (HKEY_LOCAL_MACHINE);
// elsewhere an INI file (Locations::settingsFile()) in which a key path "Software\Corvanta\..." below
// the root becomes the group "HKEY_LOCAL_MACHINE/Software/Corvanta/...". Two things the registry has
// and an INI file has not are kept explicitly in the file:
//   - key existence: every key that was created holds the entry "%key" (a name no value can have,
//     because value names are stored with '%', '/' and '\' percent-encoded), so an empty key still
//     exists at the next start and OpenKey can answer "created" (1) or "existed" (2);
//   - value types: a REG_DWORD is stored as "dword:<decimal>", a REG_SZ as "sz:<text>". Hand-written
//     text without a prefix counts as REG_SZ. Reading a value with the other type than it was stored
//     with, or a "dword:" that is not a signed 32-bit number, is a read failure (+1003).
//
// Every error is a ComponentError with the number, description and the source of the operation.
class clsQTR_Registry {
public:
    // Registry value types understood.
    static constexpr qint32 REG_SZ = 1;
    static constexpr qint32 REG_DWORD = 4;
    // Predefined root keys.
    static constexpr quint32 HKEY_CLASSES_ROOT = 0x80000000u;
    static constexpr quint32 HKEY_CURRENT_USER = 0x80000001u;
    static constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002u;
    static constexpr quint32 HKEY_USERS = 0x80000003u;

    // Dispositions returned by OpenKey.
    static constexpr qint32 kCreatedNewKey = 1;
    static constexpr qint32 kOpenedExistingKey = 2;

    // Error numbers (component error base plus offset).
    static constexpr quint32 kErrParentKey = 0x800403E8u;  // +1000 "Cann't open parent key."
    static constexpr quint32 kErrValueRead = 0x800403EBu;  // +1003 "Failure during value read."
    static constexpr quint32 kErrNoSuchKey = 0x800403ECu;  // +1004 "Key does not exist"
    static constexpr quint32 kErrNoKeyOpen = 0x800403EEu;  // +1006 "No key opened"
    static constexpr quint32 kErrBadType = 0x800403EFu;    // +1007 "Unimplemented registry type"
    static constexpr quint32 kErrPlatform = 0x800403F1u;   // +1009 "Unknown Error No. <code>"

    // settingsFile: the INI file to use, or empty for the native store (Windows registry).
    explicit clsQTR_Registry(QString settingsFile);
    ~clsQTR_Registry();
    clsQTR_Registry(const clsQTR_Registry&) = delete;
    clsQTR_Registry& operator=(const clsQTR_Registry&) = delete;

    [[nodiscard]] bool AutoCreate() const { return m_AutoCreate; }
    void setAutoCreate(bool on) { m_AutoCreate = on; }
    [[nodiscard]] quint32 RootKey() const { return m_RootKey; }
    void setRootKey(quint32 root) { m_RootKey = root; }
    [[nodiscard]] const QString& SubKey() const { return m_SubKey; }
    void setSubKey(const QString& subKey) { m_SubKey = subKey; }

    // Opens SubKey below RootKey (creating it when AutoCreate is on). Returns 1 when the key was
    // just created, 2 when it existed. A key already open is replaced by the new one.
    qint32 OpenKey();
    // Closes the open key; does nothing when none is open.
    void CloseKey();
    [[nodiscard]] bool IsKeyOpen() const { return m_key != nullptr; }

    // Reads a value of the open key: a QString for REG_SZ, a qint32 for REG_DWORD.
    [[nodiscard]] QVariant Value(const QString& name, qint32 type) const;
    // Writes a value of the open key: REG_SZ stores the value's text, REG_DWORD the value as a signed
    // 32-bit number (a fraction is rounded half to even; text that is no number or a number out of
    // range is refused with "Type mismatch" / "Overflow").
    void setValue(const QString& name, qint32 type, const QVariant& value);

    // Extension: the names of the values of the open key (used for the serial port overrides, whose
    // value names are port numbers). Raises +1006 without an open key.
    [[nodiscard]] QStringList ValueNames() const;
    // Extension: removes one value of the open key (a missing value is not an error).
    void DeleteValue(const QString& name);

    [[nodiscard]] const QString& settingsFile() const { return m_settingsFile; }

private:
    struct Stored;
    [[nodiscard]] bool native() const { return m_settingsFile.isEmpty(); }

    QString m_settingsFile;
    quint32 m_RootKey = HKEY_LOCAL_MACHINE;
    QString m_SubKey;
    bool m_AutoCreate = false;
    // The open key; null = no key open (the registry's handle -1).
    std::unique_ptr<QSettings> m_key;
};
