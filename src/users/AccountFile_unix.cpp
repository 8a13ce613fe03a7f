#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "users/AccountFile.h"

namespace {

AccountFileError::Number numberOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return AccountFileError::FileNotFound;
        case EEXIST:
            return AccountFileError::FileAlreadyExists;
        case EMFILE:
        case ENFILE:
            return AccountFileError::TooManyFiles;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return AccountFileError::DiskFull;
        case EIO:
            return AccountFileError::DeviceIo;
        case ENXIO:
        case ENODEV:
            return AccountFileError::DeviceUnavailable;
        case EWOULDBLOCK:  // flock() found a conflicting holder
        case ETXTBSY:
            return AccountFileError::PermissionDenied;
        default:
            return AccountFileError::PathFileAccess;  // EACCES, EPERM, EROFS, EISDIR, ...
    }
}

QString systemText(int error) {
    return QString::fromLocal8Bit(std::generic_category().message(error).c_str());
}

[[noreturn]] void fail(int error) { throw AccountFileError(numberOf(error), systemText(error)); }

int openFlags(AccountFile::Mode mode) {
    switch (mode) {
        case AccountFile::Mode::Lookup:
            return O_RDONLY;
        case AccountFile::Mode::Update:
            return O_RDWR;
        case AccountFile::Mode::Append:
            return O_RDWR | O_CREAT;
        case AccountFile::Mode::Create:
            return O_RDWR | O_CREAT | O_EXCL;
    }
    return O_RDONLY;
}

}  // namespace

std::unique_ptr<AccountFile> AccountFile::open(const QString& path, Mode mode) {
    const QByteArray native = QFile::encodeName(path);
    int fd = -1;
    do {
        fd = ::open(native.constData(), openFlags(mode) | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) fail(errno);
    std::unique_ptr<AccountFile> file(new AccountFile(fd));

    struct stat info {};
    if (::fstat(fd, &info) != 0) fail(errno);
    if (!S_ISREG(info.st_mode))
        throw AccountFileError(AccountFileError::PathFileAccess, QStringLiteral("not a regular file"));

    if (mode == Mode::Create) {
        // The umask usually takes group write away; give it back where the folder grants it, so
        // the group that shares the folder shares the file too. A failure only costs that sharing.
        struct stat folder {};
        const QByteArray parent = QFile::encodeName(QFileInfo(path).absolutePath());
        if (::stat(parent.constData(), &folder) == 0 && (folder.st_mode & S_IWGRP))
            (void)::fchmod(fd, (info.st_mode & 07777) | S_IRGRP | S_IWGRP);
    }

    // Lookups share the file with other lookups; anything that writes holds it alone. Never wait:
    // a holder elsewhere is reported at once, as the locked file.
    const int operation = (mode == Mode::Lookup ? LOCK_SH : LOCK_EX) | LOCK_NB;
    int rc = 0;
    do {
        rc = ::flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) fail(errno);
    return file;
}

void AccountFile::remove(const QString& path) noexcept { ::unlink(QFile::encodeName(path).constData()); }

void AccountFile::makeFolder(const QString& path) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(path).toStdString()), error);
    if (error) fail(error.value());
}

AccountFile::~AccountFile() { ::close(static_cast<int>(m_handle)); }  // also drops the flock

qint64 AccountFile::size() const {
    struct stat info {};
    if (::fstat(static_cast<int>(m_handle), &info) != 0) fail(errno);
    return info.st_size;
}

qint64 AccountFile::readAt(qint64 offset, char* data, qint64 length) const {
    qint64 done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(static_cast<int>(m_handle), data + done, size_t(length - done), offset + done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        if (n == 0) break;  // end of file
        done += n;
    }
    return done;
}

void AccountFile::writeAt(qint64 offset, const char* data, qint64 length) {
    qint64 done = 0;
    while (done < length) {
        const ssize_t n =
            ::pwrite(static_cast<int>(m_handle), data + done, size_t(length - done), offset + done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        if (n == 0) throw AccountFileError(AccountFileError::DiskFull);
        done += n;
    }
}

void AccountFile::truncate(qint64 length) {
    int rc = 0;
    do {
        rc = ::ftruncate(static_cast<int>(m_handle), off_t(length));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) fail(errno);
}

void AccountFile::sync() {
    if (::fsync(static_cast<int>(m_handle)) != 0 && errno != EINVAL) fail(errno);
}
