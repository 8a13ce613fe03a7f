#pragma once

// Building account files byte by byte for the users tests.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <initializer_list>

#include "users/UserAccountFile.h"
#include "users/UserRecord.h"

namespace accountbytes {

inline qint32 h(const char* text) { return UserAccountFile::Hash(QString::fromUtf8(text)); }

inline QByteArray records(std::initializer_list<UserRecord> list) {
    QByteArray bytes;
    for (const UserRecord& r : list) bytes += r.toBytes();
    return bytes;
}

// The file a first start writes, spelled out byte by byte (little-endian hash, hash, role):
// GUEST/"" role 4, ATS/"R517" role 1, SU/"KWdmo" role 2, ADMIN/"Bxzq" role 3.
inline QByteArray defaultFile() {
    // clang-format off
    return QByteArray::fromHex(
        "30210000" "00000000" "04000000"
        "c1520000" "695f0000" "01000000"
        "02530000" "c3570000" "02000000"
        "5c7a0000" "92530000" "03000000");
    // clang-format on
}

inline void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

// The file's bytes, or "<missing>" when there is no file.
inline QByteArray read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArrayLiteral("<missing>");
    return file.readAll();
}

}  // namespace accountbytes
