#include "files/SetupRecord.h"

#include <algorithm>

#include "base/StringTable.h"

namespace SetupRecord {

namespace {

struct ReadBlock {
    int type;
    int start;
    int count;
};

// The polled read blocks of every window type, by type code: which window shows a register.
constexpr ReadBlock kWindowReads[] = {
    {0, 1250, 5},                                                                // Date / Time
    {1, 32, 12},    {1, 740, 1},                                                 // Time Delays
    {2, 743, 1},                                                                 // DIP Switch Settings
    {3, 2, 14},     {3, 22, 8},                                                  // Source Info
    {4, 55, 10},    {4, 26, 2},                                                  // Setpoints - Frequency
    {5, 45, 10},    {5, 24, 2},                                                  // Setpoints - Voltage
    {6, 750, 36},                                                                // Load Control Time Delays
    {7, 150, 500},  {7, 1010, 4},                                                // Event History
    {8, 800, 45},                                                                // Common Alarms
    {9, 31, 1},     {9, 600, 1},    {9, 742, 1},                                 // Manual Operations
    {10, 740, 2},   {10, 30, 2},    {10, 1, 1},    {10, 1200, 1},                // System Summary
    {11, 1500, 9},                                                               // State Machine Diagnostics
    {12, 65, 35},                                                                // Programmable Input/Output
    {13, 1000, 4},                                                               // Network Interface Port
    {14, 1200, 7},  {14, 1110, 55}, {14, 9999, 1},                               // System Information
    {15, 1300, 22},                                                              // Maintenance
    {16, 9900, 20}, {16, 9950, 20},                                              // Message Stacks
    {17, 900, 4},   {17, 743, 1},   {17, 1352, 1}, {17, 650, 3},  {17, 905, 4},  // Exerciser
    {18, 28, 2},                                                                 // Meter Calibration
    {19, 650, 3},                                                                // Active Time Delay
    {20, 910, 84},                                                               // Exerciser Calendar
};

}  // namespace

int blockIndexOf(int startingReg) {
    for (int i = 0; i < kBlockCount; ++i)
        if (kBlocks[size_t(i)].start == startingReg) return i;
    return -1;
}

int registerOfWord(int word) {
    for (const Block& b : kBlocks)
        if (word >= b.firstWord && word < b.firstWord + b.count) return b.start + (word - b.firstWord);
    return -1;
}

QByteArray toBytes(const Words& words) {
    QByteArray bytes;
    bytes.reserve(kFileSize);
    for (qint16 w : words) {
        // The two's-complement pattern, low byte first.
        const auto u = static_cast<quint16>(w);
        bytes.append(static_cast<char>(u & 0xFF));
        bytes.append(static_cast<char>(u >> 8));
    }
    return bytes;
}

std::optional<Words> fromBytes(const QByteArray& bytes) {
    if (bytes.size() < kFileSize) return std::nullopt;
    Words words{};
    for (int k = 0; k < kWords; ++k) {
        const auto lo = static_cast<quint8>(bytes.at(2 * k));
        const auto hi = static_cast<quint8>(bytes.at(2 * k + 1));
        words[size_t(k)] = static_cast<qint16>(static_cast<quint16>(lo | (hi << 8)));
    }
    return words;
}

int windowTypeOfRegister(int reg) {
    // The table is ordered by type code, so the first match is the lowest type.
    for (const ReadBlock& r : kWindowReads)
        if (reg >= r.start && reg < r.start + r.count) return r.type;
    return -1;
}

QString windowNameOfRegister(int reg) {
    const int type = windowTypeOfRegister(reg);
    if (type < 0) return QStringLiteral("-");
    return StringTable::lookup(500 + type).value_or(QStringLiteral("-"));
}

QList<Difference> compare(const Words& a, const Words& b) {
    QList<Difference> out;
    for (int k = 0; k < kWords; ++k)
        if (a[size_t(k)] != b[size_t(k)]) out.append({registerOfWord(k), a[size_t(k)], b[size_t(k)]});
    std::sort(out.begin(), out.end(), [](const Difference& x, const Difference& y) { return x.reg < y.reg; });
    return out;
}

}  // namespace SetupRecord
