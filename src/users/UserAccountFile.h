#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

#include "base/ComponentError.h"
#include "users/UserRecord.h"

class AccountFileError;

// Error numbers of the account gateway.
inline constexpr quint32 kGatewayNullArgument = kComponentErrorBase + 100;  // 0x80040064
inline constexpr quint32 kGatewayNoFreeFile = kComponentErrorBase + 101;    // 0x80040065
inline constexpr quint32 kGatewayFileMissing = kComponentErrorBase + 102;   // 0x80040066
// A rename to a name that another account already answers to (0x80040068).
inline constexpr quint32 kGatewayNameTaken = kComponentErrorBase + 104;

// The locked-file case keeps the number of the storage's permission-denied error.
inline constexpr quint32 kAccountFileLocked = 70;

struct DefaultAccount {
    const char* name;
    const char* password;
    qint32 role;
};

// Written, in this order, when the account file is created.
inline constexpr std::array<DefaultAccount, 4> kDefaultAccounts{{
    {"GUEST", "", 4},
    {"ATS", "R517", 1},
    {"SU", "KWdmo", 2},
    {"ADMIN", "Bxzq", 3},
}};

// The widget-free half of the account gateway: the user account file of 12-byte records holding
// the hashes of user names and passwords and the role of each account. clsGateway adds the login
// loop on top. Names and passwords are never stored, only their Hash, so a name is found by hashing
// what was typed; both are therefore case sensitive. Every search takes the first match in file
// order; the file only grows (records are appended or rewritten in place).
//
// Errors are thrown as ComponentError with the gateway's numbers and "clsGateway::Member()" sources.
class UserAccountFile {
public:
    // h = (h * 255) mod 32767 + c over the characters' Windows-1252 codes. Empty text gives 0,
    // "abc" gives 8483. Text longer than 32767 characters throws OverflowError.
    [[nodiscard]] static qint32 Hash(const QString& s);

    [[nodiscard]] const QString& UserInfoFileName() const { return m_UserInfoFileName; }
    void setUserInfoFileName(const QString& path) { m_UserInfoFileName = path; }

    // True when a normal file exists at UserInfoFileName.
    [[nodiscard]] bool UserInfoFileExists() const;
    // True when some record has this role.
    [[nodiscard]] bool RoleLookup(qint32 role) const;
    // Finds the first record with this name hash and hands out its password hash and role.
    [[nodiscard]] bool UserLookup(qint32 nameHash, qint32& passwordHash, qint32& role) const;
    // Appends one record after the last whole record, creating the file if needed; false on failure,
    // which leaves every whole record as it was.
    [[nodiscard]] bool AddUser(qint32 nameHash, qint32 passwordHash, qint32 role);
    // Creates the file with the default accounts, and its folder when that is missing; false (and no
    // file left behind) on failure, with the reason in why (folder and system text) when given.
    [[nodiscard]] bool CreateUserInfoFile(QString* why = nullptr);

    // Renames the first account named userName; false when no account has that name. A new name
    // that another record already answers to (the same Hash: the same name, or one that hashes
    // alike) is refused with kGatewayNameTaken and the file is left as it was: every login with
    // that name would otherwise reach whichever record comes first, and renaming GUEST to "ADMIN"
    // would lock the administrator out. The check and the rewrite happen under one lock.
    [[nodiscard]] bool ChangeUserName(const QString& userName, const QString& newUserName);
    // Sets the password of the first account with this name and old password; false when none.
    [[nodiscard]] bool ChangePassword(const QString& userName, const QString& oldPassword,
                                      const QString& newPassword);

private:
    template <typename Match>
    bool lookup(const char* source, Match match, UserRecord* found) const;
    template <typename Match, typename Change, typename Refuse>
    bool rewrite(const char* source, Match match, Change change, Refuse refuse);
    [[nodiscard]] ComponentError storageError(const char* source, const AccountFileError& e) const;
    void requireFile(const char* source) const;

    QString m_UserInfoFileName;
};
