#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <array>
#include <cerrno>

#include "comm/SerialDeviceNames.h"

namespace {

// Three blocks of 32 numbers: COM1-32 are the on-board UARTs, COM33-64 USB serial adapters (FTDI,
// Prolific, CP210x), COM65-96 USB CDC-ACM modems. Numbers 97..255 have no conventional device and
// open only through an override.
struct Block {
    int first;
    const char* prefix;
};
constexpr std::array<Block, 3> kBlocks{{{1, "/dev/ttyS"}, {33, "/dev/ttyUSB"}, {65, "/dev/ttyACM"}}};
constexpr int kBlockSize = 32;

}  // namespace

namespace SerialDeviceNames {

int maxPortNumber() { return 255; }

QString conventionalDevice(int number) {
    for (const Block& b : kBlocks) {
        if (number >= b.first && number < b.first + kBlockSize)
            return QString::fromLatin1(b.prefix) + QString::number(number - b.first);
    }
    return {};
}

int conventionalNumber(const QString& device) {
    const QString path = device.startsWith(QLatin1Char('/')) ? device : QStringLiteral("/dev/") + device;
    for (const Block& b : kBlocks) {
        const QString prefix = QString::fromLatin1(b.prefix);
        if (!path.startsWith(prefix)) continue;
        bool ok = false;
        const QString tail = path.mid(prefix.size());
        const int index = tail.toInt(&ok);
        if (ok && index >= 0 && index < kBlockSize && tail == QString::number(index)) return b.first + index;
    }
    return -1;
}

QString stablePath(const QString& device) {
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty()) return {};
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    const QFileInfoList links = byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links) {
        if (link.isSymLink() && link.canonicalFilePath() == target) return link.absoluteFilePath();
    }
    return {};
}

bool deviceMayExist(const QString& device) { return QFileInfo::exists(device); }

bool accessDenied(const QString& device) {
    const QByteArray path = QFile::encodeName(device);
    return ::access(path.constData(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM);
}

QString owningGroup(const QString& device) { return QFileInfo(device).group(); }

}  // namespace SerialDeviceNames
