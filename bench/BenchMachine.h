#pragma once

// What every benchmark prints about the machine it ran on, and the percentiles it reports.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QSysInfo>
#include <algorithm>
#include <cstddef>
#include <vector>

namespace bench {

// 10th, 50th and 90th percentile of a sample (nearest rank below).
struct Stats {
    double p10, median, p90;
};

inline Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    auto at = [&v](double q) { return v[std::size_t(q * double(v.size() - 1))]; };
    return {at(0.1), at(0.5), at(0.9)};
}

// The processor's model name, else its architecture.
inline QString cpuModel() {
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.startsWith("model name"))
                return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
        }
    }
    return QSysInfo::currentCpuArchitecture();
}

// The 1, 5 and 15 minute load averages, "n/a" where there are none.
inline QString loadAverage() {
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("n/a");
    return QString::fromLatin1(f.readAll().split(' ').mid(0, 3).join(' '));
}

// This process's resident memory in KiB, -1 where it cannot be read.
inline qint64 residentKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

}  // namespace bench
