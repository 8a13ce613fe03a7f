#include "groups/calibration/C_M852_Calibration.h"

#include <cmath>

#include "base/ComponentError.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {28, 2},  // phases of Source N, Source E
};
constexpr CDataGroup::WriteBlock kWrites[] = {
    {16, 1400, C_M852_Calibration::kReadings},
};

}  // namespace

C_M852_Calibration::C_M852_Calibration(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

int C_M852_Calibration::source(int s) {
    if (s < 0 || s > 1) throw IndexOutOfRangeError();
    return s;
}

qint16 C_M852_Calibration::Phases(int s) const { return m_Phases[std::size_t(source(s))]; }

void C_M852_Calibration::ResetReadings() { m_CalReading.fill(0.0); }

double C_M852_Calibration::CalReading(int i) const {
    if (i < 0 || i >= kReadings) throw IndexOutOfRangeError();
    return m_CalReading[std::size_t(i)];
}

bool C_M852_Calibration::FitsRegister(double volts) {
    if (!std::isfinite(volts)) return false;
    const double reg = std::floor(volts * 10.0);
    return reg >= -32768.0 && reg <= 32767.0;
}

void C_M852_Calibration::setReading(int i, double volts) {
    if (!FitsRegister(volts)) throw OverflowError();
    m_CalReading[std::size_t(i)] = volts * 10.0;
}

void C_M852_Calibration::DecodeBlock(int, const Registers& r) {
    m_Phases[0] = r[0];
    m_Phases[1] = r[1];
}

std::vector<qint16> C_M852_Calibration::EncodeBlock(int) const {
    std::vector<qint16> out;
    out.reserve(kReadings);
    // The largest integer not above the reading: 4805.0 -> 4805, 2772.9 -> 2772.
    for (double reading : m_CalReading) out.push_back(static_cast<qint16>(std::floor(reading)));
    return out;
}
