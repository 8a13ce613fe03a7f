#include <windows.h>

#include <QDir>
#include <filesystem>
#include <system_error>

#include "users/AccountFile.h"

namespace {

AccountFileError::Number numberOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return AccountFileError::FileNotFound;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return AccountFileError::FileAlreadyExists;
        case ERROR_TOO_MANY_OPEN_FILES:
            return AccountFileError::TooManyFiles;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return AccountFileError::DiskFull;
        case ERROR_CRC:
        case ERROR_IO_DEVICE:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
            return AccountFileError::DeviceIo;
        case ERROR_DEV_NOT_EXIST:
        case ERROR_BAD_NETPATH:
        case ERROR_NETNAME_DELETED:
            return AccountFileError::DeviceUnavailable;
        case ERROR_NOT_READY:
            return AccountFileError::DiskNotReady;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return AccountFileError::PermissionDenied;
        default:
            return AccountFileError::PathFileAccess;  // ERROR_ACCESS_DENIED, ...
    }
}

QString systemText(DWORD error) {
    return QString::fromLocal8Bit(std::system_category().message(int(error)).c_str()).trimmed();
}

[[noreturn]] void fail(DWORD error) { throw AccountFileError(numberOf(error), systemText(error)); }
[[noreturn]] void fail() { fail(GetLastError()); }

HANDLE handleOf(qintptr h) { return reinterpret_cast<HANDLE>(h); }

OVERLAPPED at(qint64 offset) {
    OVERLAPPED o{};
    o.Offset = DWORD(quint64(offset) & 0xFFFFFFFFu);
    o.OffsetHigh = DWORD(quint64(offset) >> 32);
    return o;
}

}  // namespace

std::unique_ptr<AccountFile> AccountFile::open(const QString& path, Mode mode) {
    // Lookups let other readers in and keep writers out; a writer keeps everybody out. A conflicting
    // opener gets ERROR_SHARING_VIOLATION at once, which is the locked file.
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD share = 0;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
        case Mode::Lookup:
            access = GENERIC_READ;
            share = FILE_SHARE_READ;
            break;
        case Mode::Update:
            break;
        case Mode::Append:
            disposition = OPEN_ALWAYS;
            break;
        case Mode::Create:
            disposition = CREATE_NEW;
            break;
    }
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    HANDLE h =
        CreateFileW(native.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) fail();
    std::unique_ptr<AccountFile> file(new AccountFile(reinterpret_cast<qintptr>(h)));
    if (GetFileType(h) != FILE_TYPE_DISK)
        throw AccountFileError(AccountFileError::PathFileAccess, QStringLiteral("not a disk file"));
    return file;
}

void AccountFile::remove(const QString& path) noexcept {
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    DeleteFileW(native.c_str());
}

void AccountFile::makeFolder(const QString& path) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(QDir::toNativeSeparators(path).toStdWString()),
                                        error);
    if (error) fail(DWORD(error.value()));
}

AccountFile::~AccountFile() { CloseHandle(handleOf(m_handle)); }

qint64 AccountFile::size() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handleOf(m_handle), &size)) fail();
    return size.QuadPart;
}

qint64 AccountFile::readAt(qint64 offset, char* data, qint64 length) const {
    qint64 done = 0;
    while (done < length) {
        OVERLAPPED o = at(offset + done);
        DWORD n = 0;
        const DWORD chunk = DWORD(qMin<qint64>(length - done, 1 << 20));
        if (!ReadFile(handleOf(m_handle), data + done, chunk, &n, &o)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            fail();
        }
        if (n == 0) break;
        done += n;
    }
    return done;
}

void AccountFile::writeAt(qint64 offset, const char* data, qint64 length) {
    qint64 done = 0;
    while (done < length) {
        OVERLAPPED o = at(offset + done);
        DWORD n = 0;
        const DWORD chunk = DWORD(qMin<qint64>(length - done, 1 << 20));
        if (!WriteFile(handleOf(m_handle), data + done, chunk, &n, &o)) fail();
        if (n == 0) throw AccountFileError(AccountFileError::DiskFull);
        done += n;
    }
}

void AccountFile::truncate(qint64 length) {
    LARGE_INTEGER position{};
    position.QuadPart = length;
    if (!SetFilePointerEx(handleOf(m_handle), position, nullptr, FILE_BEGIN)) fail();
    if (!SetEndOfFile(handleOf(m_handle))) fail();
}

void AccountFile::sync() {
    if (!FlushFileBuffers(handleOf(m_handle))) fail();
}
