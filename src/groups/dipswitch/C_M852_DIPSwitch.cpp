#include "groups/dipswitch/C_M852_DIPSwitch.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {743, 1},
};

}  // namespace

C_M852_DIPSwitch::C_M852_DIPSwitch(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, {}, manager, parent) {}

void C_M852_DIPSwitch::DecodeBlock(int, const Registers& r) {
    const int bits = r[0];
    m_TransferInhibited = bits & 0x01;
    m_TestLoaded = bits & 0x02;
    m_ExerciseInhibited = bits & 0x04;
    m_ExerciseLoaded = bits & 0x08;
    m_TwoWeekExercise = (bits & 0x10) ? 1 : 0;
}
