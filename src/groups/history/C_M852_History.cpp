#include "groups/history/C_M852_History.h"

#include <iterator>

#include "base/ComponentError.h"
#include "groups/datetime/PackedDate.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {150, 100},  // records 0-19
    {250, 100},  // records 20-39
    {350, 100},  // records 40-59
    {450, 100},  // records 60-79
    {550, 100},  // records 80-99
    {1010, 2},   // last loss: time of day, date
    {1012, 2},   // last loss: duration, high and low word
};
constexpr int kTableBlocks = 5;
constexpr int kLastLossTimeBlock = 5;
constexpr int kRecordsPerBlock = 20;
constexpr int kRecordSize = 5;
constexpr int kBlockCount = int(std::size(kReads));

}  // namespace

C_M852_History::C_M852_History(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, {}, manager, parent) {}

const C_M852_History::EventRecord& C_M852_History::record(int position) const {
    if (position < 0 || position >= kRecords) throw IndexOutOfRangeError();
    return m_Events[std::size_t(position)];
}

QDate C_M852_History::EventDate(int position) const { return PackedDate::Decode(record(position).date); }

qint16 C_M852_History::EventData(int position, int element) const {
    const EventRecord& r = record(position);
    if (element < 1 || element > 2) throw IndexOutOfRangeError();
    return r.data[element - 1];
}

void C_M852_History::ClearHistory() { WriteRegisters(6, kClearRegister, {1}); }

bool C_M852_History::BlockDecoded(int block) const {
    return block >= 0 && block < kBlockCount && (m_decoded & (1u << unsigned(block)));
}

bool C_M852_History::AllBlocksDecoded() const { return m_decoded == (1u << unsigned(kBlockCount)) - 1; }

void C_M852_History::DecodeBlock(int block, const Registers& r) {
    if (block < kTableBlocks) {
        // Block b holds records 20b .. 20b + 19, five registers each.
        for (int j = 0; j < kRecordsPerBlock; ++j) {
            EventRecord& e = m_Events[std::size_t(kRecordsPerBlock * block + j)];
            e.time = r[kRecordSize * j];
            e.date = r[kRecordSize * j + 1];
            e.code = r[kRecordSize * j + 2];
            e.data[0] = r[kRecordSize * j + 3];
            e.data[1] = r[kRecordSize * j + 4];
        }
    } else if (block == kLastLossTimeBlock) {
        // Minutes after midnight, carried into hours and days; only the time of day is kept, so
        // 1500 minutes read 01:00 and -5 read 23:55.
        m_LastLossTime = QTime(0, 0).addSecs(60 * int(r[0]));
        m_LastLossDate = PackedDate::Decode(r[1]);
    } else {
        // The controller combines the words as high × 65535 + low (not 65536), each word signed.
        // The extremes, 32767 × 65535 + 32767 = 2147418112 and -32768 × 65535 - 32768 = -2^31, both
        // fit in 32 bits, so no pair of words overflows.
        const qint64 minutes = qint64(r[0]) * 65535 + qint64(r[1]);
        m_LastLossDuration = static_cast<qint32>(minutes);
    }
    m_decoded |= 1u << unsigned(block);
}
