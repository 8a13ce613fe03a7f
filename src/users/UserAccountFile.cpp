#include "users/UserAccountFile.h"

#include <QDir>
#include <QFileInfo>
#include <optional>
#include <vector>

#include "users/AccountFile.h"

namespace {

// The longest text Hash takes: its character counter is a 16-bit integer.
constexpr qsizetype kMaxHashLength = 32767;

// Codes 0x80..0x9F of Windows-1252, the code page the account files were first written with; using
// it everywhere keeps a file carried between machines readable. Zero marks the five unused codes,
// which map to the C1 control characters of the same value.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The Windows-1252 code of a character; '?' for one the code page cannot show, as the system's own
// text conversion does.
int ansiCode(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int i = 0; i < int(kCp1252High.size()); ++i) {
        if (kCp1252High[size_t(i)] == c) return 0x80 + i;
        if (kCp1252High[size_t(i)] == 0 && c == 0x80 + i) return c;
    }
    return '?';
}

constexpr qint64 kChunkRecords = 4096;

// Calls visit(recordNumber, record) for each whole record in file order until it returns true;
// returns the number of that record, or nothing. A trailing partial record (left by a write that
// failed half-way in an older copy) is not a record and is skipped.
template <typename Visit>
std::optional<qint64> scan(const AccountFile& file, Visit visit) {
    std::vector<char> buffer(size_t(kChunkRecords * UserRecord::kSize));
    qint64 number = 0;
    qint64 offset = 0;
    for (;;) {
        const qint64 n = file.readAt(offset, buffer.data(), qint64(buffer.size()));
        const qint64 whole = n / UserRecord::kSize;
        for (qint64 i = 0; i < whole; ++i) {
            ++number;
            if (visit(number, UserRecord::fromBytes(buffer.data() + i * UserRecord::kSize))) return number;
        }
        if (n < qint64(buffer.size())) return std::nullopt;
        offset += n;
    }
}

QString gatewaySource(const char* member) {
    return QStringLiteral("clsGateway::%1()").arg(QLatin1String(member));
}

[[noreturn]] void raiseNoFreeFile(const char* source) {
    throw ComponentError(kGatewayNoFreeFile, gatewaySource(source),
                         QStringLiteral("Can not obtain free file number."));
}

}  // namespace

qint32 UserAccountFile::Hash(const QString& s) {
    if (s.size() > kMaxHashLength) throw OverflowError();
    // Before each addition h lies in 0..32766, so h * 255 stays far inside 32 bits and the result
    // of a step lies in 0..33021.
    qint32 h = 0;
    for (const QChar c : s) {
        h = (h * 255) % 32767;
        h += ansiCode(c.unicode());
    }
    return h;
}

bool UserAccountFile::UserInfoFileExists() const {
    if (m_UserInfoFileName.isEmpty()) return false;
    return QFileInfo(m_UserInfoFileName).isFile();
}

void UserAccountFile::requireFile(const char* source) const {
    if (!UserInfoFileExists())
        throw ComponentError(kGatewayFileMissing, gatewaySource(source),
                             QStringLiteral("User Info File does not exist in application directory."));
}

template <typename Match>
bool UserAccountFile::lookup(const char* source, Match match, UserRecord* found) const {
    requireFile(source);
    try {
        const auto file = AccountFile::open(m_UserInfoFileName, AccountFile::Mode::Lookup);
        const auto hit = scan(*file, [&](qint64, const UserRecord& r) {
            if (!match(r)) return false;
            if (found) *found = r;
            return true;
        });
        return hit.has_value();
    } catch (const AccountFileError& e) {
        switch (e.number()) {
            case AccountFileError::TooManyFiles:
                raiseNoFreeFile(source);
            case AccountFileError::PermissionDenied:
                throw ComponentError(kAccountFileLocked, gatewaySource(source),
                                     QStringLiteral("Another process has the UIF locked."));
            default:
                throw storageError(source, e);
        }
    }
}

bool UserAccountFile::RoleLookup(qint32 role) const {
    return lookup(
        "RoleLookup", [role](const UserRecord& r) { return r.Role == role; }, nullptr);
}

bool UserAccountFile::UserLookup(qint32 nameHash, qint32& passwordHash, qint32& role) const {
    UserRecord found;
    if (!lookup(
            "UserLookup", [nameHash](const UserRecord& r) { return r.NameHash == nameHash; }, &found))
        return false;
    passwordHash = found.PasswordHash;
    role = found.Role;
    return true;
}

bool UserAccountFile::AddUser(qint32 nameHash, qint32 passwordHash, qint32 role) {
    try {
        const auto file = AccountFile::open(m_UserInfoFileName, AccountFile::Mode::Append);
        const qint64 size = file->size();
        const qint64 end = size - size % UserRecord::kSize;  // after the last whole record
        try {
            file->writeAt(end, UserRecord{nameHash, passwordHash, role}.toBytes().constData(),
                          UserRecord::kSize);
            file->sync();
        } catch (const AccountFileError&) {
            // A half-written record must not stay behind as a record-to-be: cut back to the
            // whole records, which the failed write never touched.
            try {
                file->truncate(end);
            } catch (const AccountFileError&) {
            }
            return false;
        }
        return true;
    } catch (const AccountFileError&) {
        return false;
    }
}

bool UserAccountFile::CreateUserInfoFile(QString* why) {
    const auto refuse = [why](const QString& reason) {
        if (why) *why = reason;
        return false;
    };
    const auto systemText = [](const AccountFileError& e) {
        return e.systemText().isEmpty() ? e.message() : e.systemText();
    };
    if (m_UserInfoFileName.isEmpty()) return refuse(QStringLiteral("No place for it is known."));
    const QString shown = QDir::toNativeSeparators(m_UserInfoFileName);

    // The machine-wide folder does not exist until somebody makes it; running as an administrator
    // the program can, otherwise the reason tells the administrator what to do.
    const QString folder = QFileInfo(m_UserInfoFileName).absolutePath();
    try {
        AccountFile::makeFolder(folder);
    } catch (const AccountFileError& e) {
        return refuse(QStringLiteral("The folder %1 can not be created: %2.")
                          .arg(QDir::toNativeSeparators(folder), systemText(e)));
    }

    std::unique_ptr<AccountFile> file;
    try {
        file = AccountFile::open(m_UserInfoFileName, AccountFile::Mode::Create);
    } catch (const AccountFileError& e) {
        if (e.number() == AccountFileError::FileAlreadyExists) {
            // Another copy of the program created it a moment ago; its defaults are as good as ours.
            if (UserInfoFileExists()) return true;
            return refuse(QStringLiteral("%1 exists but is not a file.").arg(shown));
        }
        return refuse(QStringLiteral("%1 can not be created: %2.").arg(shown, systemText(e)));
    }
    QByteArray bytes;
    for (const DefaultAccount& a : kDefaultAccounts)
        bytes += UserRecord{Hash(QString::fromLatin1(a.name)), Hash(QString::fromLatin1(a.password)), a.role}
                     .toBytes();
    try {
        file->writeAt(0, bytes.constData(), bytes.size());
        file->sync();
        return true;
    } catch (const AccountFileError& e) {
        // A file with only some of the defaults would lack the other roles for good (only a missing
        // guest account is ever added later), so take the file back; the next start tries again.
        file.reset();
        AccountFile::remove(m_UserInfoFileName);
        return refuse(
            QStringLiteral("The default accounts could not be written to %1: %2.").arg(shown, systemText(e)));
    }
}

ComponentError UserAccountFile::storageError(const char* source, const AccountFileError& e) const {
    // "Path/File access error" alone does not say that this user may not write (or read) the file,
    // nor which file; an account file in a shared folder needs both for the administrator.
    if (e.number() == AccountFileError::PathFileAccess && !e.systemText().isEmpty())
        return ComponentError(
            quint32(e.number()), gatewaySource(source),
            QStringLiteral("%1 (%2: %3)")
                .arg(e.message(), QDir::toNativeSeparators(m_UserInfoFileName), e.systemText()));
    return ComponentError(quint32(e.number()), gatewaySource(source), e.message());
}

template <typename Match, typename Change, typename Refuse>
bool UserAccountFile::rewrite(const char* source, Match match, Change change, Refuse refuse) {
    requireFile(source);
    try {
        const auto file = AccountFile::open(m_UserInfoFileName, AccountFile::Mode::Update);
        UserRecord old;
        const auto hit = scan(*file, [&](qint64, const UserRecord& r) {
            if (!match(r)) return false;
            old = r;
            return true;
        });
        if (!hit) return false;
        refuse(*file, *hit);  // throws when the change must not be made
        UserRecord updated = old;
        change(updated);
        const qint64 offset = (*hit - 1) * UserRecord::kSize;
        try {
            file->writeAt(offset, updated.toBytes().constData(), UserRecord::kSize);
            file->sync();
        } catch (const AccountFileError&) {
            // The record sits inside the file, so putting the old bytes back needs no new space.
            try {
                file->writeAt(offset, old.toBytes().constData(), UserRecord::kSize);
            } catch (const AccountFileError&) {
            }
            throw;
        }
        return true;
    } catch (const AccountFileError& e) {
        if (e.number() == AccountFileError::TooManyFiles) raiseNoFreeFile(source);
        throw storageError(source, e);
    }
}

bool UserAccountFile::ChangeUserName(const QString& userName, const QString& newUserName) {
    const qint32 nameHash = Hash(userName);
    const qint32 newNameHash = Hash(newUserName);
    return rewrite(
        "ChangeUserName", [nameHash](const UserRecord& r) { return r.NameHash == nameHash; },
        [newNameHash](UserRecord& r) { r.NameHash = newNameHash; },
        [nameHash, newNameHash](const AccountFile& file, qint64 renamed) {
            // Keeping the name (or one that hashes alike) changes nothing and takes nobody's name.
            if (newNameHash == nameHash) return;
            const auto other = scan(file, [&](qint64 number, const UserRecord& r) {
                return number != renamed && r.NameHash == newNameHash;
            });
            if (other)
                throw ComponentError(
                    kGatewayNameTaken, gatewaySource("ChangeUserName"),
                    QStringLiteral("The new user name is already in use by another account."));
        });
}

bool UserAccountFile::ChangePassword(const QString& userName, const QString& oldPassword,
                                     const QString& newPassword) {
    const qint32 nameHash = Hash(userName);
    const qint32 oldHash = Hash(oldPassword);
    const qint32 newHash = Hash(newPassword);
    // A record with the right name but another password is passed over: a later record with the
    // same name hash may hold the password given.
    return rewrite(
        "ChangePassword",
        [nameHash, oldHash](const UserRecord& r) {
            return r.NameHash == nameHash && r.PasswordHash == oldHash;
        },
        [newHash](UserRecord& r) { r.PasswordHash = newHash; }, [](const AccountFile&, qint64) {});
}
