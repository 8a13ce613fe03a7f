#pragma once

#include <QString>
#include <QtGlobal>
#include <exception>
#include <utility>

// A failure of the account file's storage, numbered like the classic BASIC file errors so that the
// account dialogs can report "Error #" + number exactly as the rest of the program does.
class AccountFileError : public std::exception {
public:
    enum Number : qint32 {
        FileNotFound = 53,
        DeviceIo = 57,
        FileAlreadyExists = 58,
        DiskFull = 61,
        TooManyFiles = 67,  // no free file handle
        DeviceUnavailable = 68,
        PermissionDenied = 70,  // the file is held by another opener (sharing / lock conflict)
        DiskNotReady = 71,
        PathFileAccess = 75,
    };

    explicit AccountFileError(Number number, QString systemText = {})
        : m_number(number), m_systemText(std::move(systemText)) {}

    [[nodiscard]] Number number() const noexcept { return m_number; }
    [[nodiscard]] QString message() const { return textOf(m_number); }
    // The operating system's own words for the failure ("Permission denied", "Read-only file
    // system", "Access is denied."), or empty when the failure did not come from the system.
    [[nodiscard]] const QString& systemText() const noexcept { return m_systemText; }
    [[nodiscard]] const char* what() const noexcept override { return "account file error"; }

    [[nodiscard]] static QString textOf(Number number) {
        switch (number) {
            case FileNotFound:
                return QStringLiteral("File not found");
            case DeviceIo:
                return QStringLiteral("Device I/O error");
            case FileAlreadyExists:
                return QStringLiteral("File already exists");
            case DiskFull:
                return QStringLiteral("Disk full");
            case TooManyFiles:
                return QStringLiteral("Too many files");
            case DeviceUnavailable:
                return QStringLiteral("Device unavailable");
            case PermissionDenied:
                return QStringLiteral("Permission denied");
            case DiskNotReady:
                return QStringLiteral("Disk not ready");
            case PathFileAccess:
                return QStringLiteral("Path/File access error");
        }
        return QStringLiteral("Path/File access error");
    }

private:
    Number m_number;
    QString m_systemText;
};
