#include "groups/plantex/C_M852_PlantEx.h"

#include "groups/datetime/PackedDate.h"

namespace {

enum Block { kMode = 0, kDip = 1, kDisabled = 2, kTimer = 3, kCalendarNext = 4 };

constexpr CDataGroup::ReadBlock kReads[] = {
    {900, 4},   // mode, manual run time, next manual exercise time and date
    {743, 1},   // DIP switches
    {1352, 1},  // bit 0: manual exercise disabled
    {650, 3},   // active timer, time remaining, total (shared with the active time delay window)
    {905, 4},   // next calendar exercise: flags, time, date, run time
};
constexpr CDataGroup::WriteBlock kWrites[] = {
    {16, 900, 2},  // mode, manual run time
};

constexpr qint16 kCommandRegister = 1350;
constexpr qint16 kRemoteExerciseCommand = 256;
constexpr qint16 kManExerDisableRegister = 1352;

bool isTimeOfDay(qint16 minutes) { return minutes >= 0 && minutes <= 1439; }
bool isRunTime(qint32 minutes) { return minutes >= 0 && minutes <= C_M852_PlantEx::kMaxRunMinutes; }

}  // namespace

C_M852_PlantEx::C_M852_PlantEx(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent),
      m_ExerDate(PackedDate::kZeroDate),
      m_CalExerDate(PackedDate::kZeroDate) {}

void C_M852_PlantEx::setExerLength(qint32 minutes) {
    if (isRunTime(minutes)) m_ExerLength = minutes;
}

int C_M852_PlantEx::FallbackBlock() const { return kDip; }

void C_M852_PlantEx::DecodeBlock(int block, const Registers& r) {
    switch (block) {
        case kMode:
            m_ExerMode = r[0];
            if (isRunTime(r[1])) m_ExerLength = r[1];
            if (isTimeOfDay(r[2])) m_ExerTime = PackedDate::TimeOfDay(r[2]);
            // A negative word has a year field of 64 or more (2064 on): not a date the controller sets.
            if (r[3] >= 0) m_ExerDate = PackedDate::Decode(r[3]);
            return;
        case kDisabled:
            m_ManExerDisabled = r[0] & 1;
            return;
        case kTimer:
            m_ActiveTimer = r[0];
            m_TimeRemaining = r[1];
            m_TimeTotal = r[2];
            return;
        case kCalendarNext: {
            const qint16 flags = r[0];
            m_CalExerPending = flags != 0;
            if (!m_CalExerPending) return;  // the labels keep the last calendar exercise shown
            m_CalExerLoaded = flags & 2;
            if (isTimeOfDay(r[1])) m_CalExerTime = PackedDate::TimeOfDay(r[1]);
            if (r[2] >= 0) m_CalExerDate = PackedDate::Decode(r[2]);
            if (isRunTime(r[3])) m_CalExerLength = r[3];
            return;
        }
        default: {  // DIP switches; bit 1 (loaded test) is not used here
            const int bits = r[0];
            m_TransferInhibited = bits & 0x01;
            m_ExerciseInhibited = bits & 0x04;
            m_ExerciseLoaded = bits & 0x08;
            m_TwoWeekExercise = (bits & 0x10) ? 1 : 0;
            return;
        }
    }
}

std::vector<qint16> C_M852_PlantEx::EncodeBlock(int) const {
    // The mode is kept as any value the controller reported; a value beyond 16 bits cannot come from
    // a register, and the dialog only sets 0, 1 or 2.
    return {static_cast<qint16>(m_ExerMode), static_cast<qint16>(m_ExerLength)};
}

void C_M852_PlantEx::SendDisableManExer() { WriteRegisters(16, kManExerDisableRegister, {1}); }

void C_M852_PlantEx::SendRemoteExercise() { WriteRegisters(6, kCommandRegister, {kRemoteExerciseCommand}); }
