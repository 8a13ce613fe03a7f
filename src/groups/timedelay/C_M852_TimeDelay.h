#pragma once

#include <QString>
#include <array>

#include "groups/CDataGroup.h"

// Time delays (registers 32-43) and the extended-engine-start flag (bit 0 of register 740). The
// delays are kept as their raw signed registers: whole seconds, except Off to Preferred and Off to
// Standby (registers 40, 41), which are tenths of a second. They are read and written as texts:
// "mm:ss" for the second-based delays and "mm:ss.s" for the tenth-based ones. Registers 34 and 35
// are never read and always written as 0.
class C_M852_TimeDelay : public CDataGroup {
    Q_OBJECT
public:
    static constexpr qint32 kWinID = 1;

    // The ten delays, in register order (32, 33, 36..43).
    enum Delay {
        EngStartA,
        EngStartB,
        EngCoolA,
        EngCoolB,
        PrefToStdby,
        StdbyToPref,
        OffToPref,
        OffToStdby,
        AcquireStdby,
        InPhaseSynch,
        kDelayCount
    };

    explicit C_M852_TimeDelay(CMsgManager* manager = nullptr, QObject* parent = nullptr);

    // Off to Preferred and Off to Standby are kept in tenths of a second.
    [[nodiscard]] static bool InTenths(Delay d) { return d == OffToPref || d == OffToStdby; }
    // The register of a delay (32, 33, 36..43).
    [[nodiscard]] static int Register(Delay d) { return d < EngCoolA ? 32 + d : 34 + d; }
    // True when `text` gives a value the delay's register can hold: 0..32767 seconds, or 0..65535
    // tenths (6553.5 s) for the two tenth-based delays, stored as the signed word with that pattern.
    // A text that is not a time text stores 0 and so fits.
    [[nodiscard]] static bool Fits(Delay d, const QString& text);

    // FormatMinSec(register, 0), or FormatMinSec(register / 10, 1) for the tenth-based delays.
    [[nodiscard]] QString Text(Delay d) const;
    // ParseTimeText(text, 0), or ToSignedWord(ParseTimeText(text, 1)); an OverflowError (the delay
    // keeps its value) when the result does not fit the register.
    void setText(Delay d, const QString& text);
    [[nodiscard]] qint16 Raw(Delay d) const { return m_delay.at(std::size_t(d)); }

    [[nodiscard]] bool ExtEngStart() const { return m_ExtEngStart; }

protected:
    void DecodeBlock(int block, const Registers& regs) override;
    std::vector<qint16> EncodeBlock(int block) const override;
    // Any other start decodes nothing (and is not an error).
    bool ParseReply() override;

private:
    std::array<qint16, kDelayCount> m_delay{};
    bool m_ExtEngStart = false;
};
