#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

#include "users/AccountFileError.h"

// An open handle on the user account file together with the sharing the account file needs:
//
//   Lookup  read only; other readers may look at the same time, writers are refused.
//   Update  read and write; nobody else may open the file meanwhile. Fails if the file is missing.
//   Append  as Update, but creates the file when it does not exist.
//   Create  as Update, but only creates a new file; fails with FileAlreadyExists if one exists.
//           On Unix a file created in a group-writable folder is made group-writable as well, so
//           that every member of the folder's group (the machine-wide folder is root:dialout) can
//           change passwords in it, not only the user whose login happened to create it.
//
// Sharing never waits: a conflicting opener fails at once with PermissionDenied. On Unix this is an
// advisory flock() on the open file (shared for Lookup, exclusive otherwise); every copy of the
// program honours it. On Windows it is the share mode of CreateFile. The two live in
// AccountFile_unix.cpp and AccountFile_win.cpp.
//
// Every failure throws AccountFileError. The handle is released (and the sharing with it) when the
// object is destroyed.
class AccountFile {
public:
    enum class Mode { Lookup, Update, Append, Create };

    [[nodiscard]] static std::unique_ptr<AccountFile> open(const QString& path, Mode mode);
    // Removes the file; used to take back a file this program just created and could not fill.
    static void remove(const QString& path) noexcept;
    // Creates the folder and any missing parents; nothing to do when it exists. Throws
    // AccountFileError carrying the system's reason when it cannot.
    static void makeFolder(const QString& path);

    ~AccountFile();
    AccountFile(const AccountFile&) = delete;
    AccountFile& operator=(const AccountFile&) = delete;

    [[nodiscard]] qint64 size() const;
    // Reads up to length bytes at offset; returns how many were read (fewer only at the end).
    [[nodiscard]] qint64 readAt(qint64 offset, char* data, qint64 length) const;
    // Writes all length bytes at offset or throws.
    void writeAt(qint64 offset, const char* data, qint64 length);
    void truncate(qint64 length);
    // Hands the written bytes to the storage device.
    void sync();

private:
    explicit AccountFile(qintptr handle) : m_handle(handle) {}
    qintptr m_handle;  // file descriptor on Unix, HANDLE on Windows
};
