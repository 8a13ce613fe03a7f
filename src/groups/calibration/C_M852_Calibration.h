#pragma once

#include <array>

#include "groups/CDataGroup.h"

// Meter calibration: the voltages a reference meter shows on each phase of each source, sent to
// registers 1400-1411 so that the controller calibrates its own metering from them; and the phase
// counts of both sources (registers 28, 29), which decide which readings the window offers.
//
// Readings are kept as doubles holding volts x 10 and written as the largest integer not above that
// (480.5 V -> 4805). Register 1400 + i holds reading i:
//   0-2  Source N  A-B, B-C, C-A      6-8   Source N  A-N, B-N, C-N
//   3-5  Source E  A-B, B-C, C-A      9-11  Source E  A-N, B-N, C-N
// The per-row setters take the source (0 = N, 1 = E) and the volts; any other source is an
// IndexOutOfRangeError, and volts whose register would not fit 16 bits an OverflowError (the reading
// keeps its value).
class C_M852_Calibration : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 18;
    static constexpr int kReadings = 12;

    explicit C_M852_Calibration(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    // 3 = three-phase, anything else single-phase. s = 0 (N) or 1 (E).
    [[nodiscard]] qint16 Phases(int s) const;

    // All twelve readings back to 0.
    void ResetReadings();
    // Reading i (0..11) as stored: volts x 10.
    [[nodiscard]] double CalReading(int i) const;

    void setL1L2(int s, double volts) { setReading(0 + 3 * source(s), volts); }
    void setL2L3(int s, double volts) { setReading(1 + 3 * source(s), volts); }
    void setL3L1(int s, double volts) { setReading(2 + 3 * source(s), volts); }
    void setL1L0(int s, double volts) { setReading(6 + 3 * source(s), volts); }
    void setL2L0(int s, double volts) { setReading(7 + 3 * source(s), volts); }
    void setL3L0(int s, double volts) { setReading(8 + 3 * source(s), volts); }

    // True when `volts` can be stored as a reading (its register fits 16 bits).
    [[nodiscard]] static bool FitsRegister(double volts);

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;

private:
    [[nodiscard]] static int source(int s);
    void setReading(int i, double volts);

    std::array<qint16, 2> m_Phases{};
    std::array<double, kReadings> m_CalReading{};
};
