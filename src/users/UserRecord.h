#pragma once

#include <QByteArray>
#include <QtEndian>
#include <QtGlobal>

// One account of the user account file: 12 bytes, three little-endian 32-bit signed fields. The file
// is nothing but these records back to back; record n (from 1) starts at byte (n - 1) * 12.
struct UserRecord {
    static constexpr qint64 kSize = 12;

    qint32 NameHash = 0;      // Hash of the user name
    qint32 PasswordHash = 0;  // Hash of the password
    qint32 Role = 0;          // 1..4, 4 = view-only guest

    [[nodiscard]] static UserRecord fromBytes(const char* bytes) {
        return {qFromLittleEndian<qint32>(bytes), qFromLittleEndian<qint32>(bytes + 4),
                qFromLittleEndian<qint32>(bytes + 8)};
    }

    void toBytes(char* bytes) const {
        qToLittleEndian<qint32>(NameHash, bytes);
        qToLittleEndian<qint32>(PasswordHash, bytes + 4);
        qToLittleEndian<qint32>(Role, bytes + 8);
    }

    [[nodiscard]] QByteArray toBytes() const {
        QByteArray bytes(int(kSize), '\0');
        toBytes(bytes.data());
        return bytes;
    }

    friend bool operator==(const UserRecord&, const UserRecord&) = default;
};
