#include "groups/datetime/C_M852_DateTime.h"

#include "groups/datetime/PackedDate.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {1250, 5},  // time, date, daylight saving on/off, set-ahead date, set-back date
};
constexpr CDataGroup::WriteBlock kWrites[] = {
    {16, 1250, 5},
};

}  // namespace

C_M852_DateTime::C_M852_DateTime(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent),
      m_ClockDate(PackedDate::kZeroDate),
      m_DST_ForwardDate(PackedDate::kZeroDate),
      m_DST_BackwardDate(PackedDate::kZeroDate) {}

void C_M852_DateTime::DecodeBlock(int, const Registers& r) {
    m_ClockTime = PackedDate::TimeOfDay(r[0]);
    m_ClockDate = PackedDate::Decode(r[1]);
    m_EnableDST = r[2] == 1;
    m_DST_ForwardDate = PackedDate::Decode(r[3]);
    m_DST_BackwardDate = PackedDate::Decode(r[4]);
}

std::vector<qint16> C_M852_DateTime::EncodeBlock(int) const {
    return {PackedDate::MinutesOf(m_ClockTime), PackedDate::Encode(m_ClockDate), qint16(m_EnableDST ? 1 : 0),
            PackedDate::Encode(m_DST_ForwardDate), PackedDate::Encode(m_DST_BackwardDate)};
}
