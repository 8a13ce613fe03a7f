#include "groups/maint/C_M852_Maint.h"

#include "base/Clock.h"
#include "groups/datetime/PackedDate.h"

namespace {

// Six counter blocks of two registers, then the ten single registers 1312-1321.
constexpr CDataGroup::ReadBlock kReads[] = {
    {1300, 2}, {1302, 2}, {1304, 2}, {1306, 2}, {1308, 2}, {1310, 2}, {1312, 10},
};
constexpr int kSinglesBlock = 6;

}  // namespace

C_M852_Maint::C_M852_Maint(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, {}, manager, parent) {}

qint32 C_M852_Maint::Counter(qint16 first, qint16 second) {
    // In range for every pair of words (see the class comment); computed in 64 bits to show it.
    return static_cast<qint32>(qint64(first) * 65535 + qint64(second));
}

QDate C_M852_Maint::SysStartDate() const { return PackedDate::Decode(SysStartDateWord()); }
QDate C_M852_Maint::MaintDate() const { return PackedDate::Decode(MaintDateWord()); }

void C_M852_Maint::DecodeBlock(int block, const Registers& r) {
    if (block == kSinglesBlock) {
        // Read all ten before storing any, so a short reply changes nothing half-way.
        qint16 values[10];
        for (int i = 0; i < 10; ++i) values[i] = r[i];
        for (int i = 0; i < 10; ++i) m_singles[i] = values[i];
        return;
    }
    m_counters[block] = Counter(r[0], r[1]);
}

void C_M852_Maint::SendMaintCommand(qint16 a, qint16 b) {
    WriteRegisters(6, kCommandRegister, {a});
    WriteRegisters(6, kMaintCommandRegister, {b});
}

void C_M852_Maint::SendStartDate() {
    const qint16 word = PackedDate::Encode(Clock::now().date());  // throws before anything is queued
    WriteRegisters(6, kStartDateRegister, {word});
}
