#include "groups/timedelay/C_M852_TimeDelay.h"

#include <QStringList>
#include <cmath>
#include <optional>

#include "base/ComponentError.h"
#include "groups/SharedRoutines.h"

namespace {

constexpr CDataGroup::ReadBlock kReads[] = {
    {32, 12},  // the delays; 34 and 35 are not used
    {740, 1},  // bit 0: extended engine start allowed
};
constexpr CDataGroup::WriteBlock kWrites[] = {
    {16, 32, 12},
};

constexpr qint32 kMaxSeconds = 32767;  // a signed register
constexpr qint32 kMaxTenths = 65535;   // the whole 16-bit pattern (ToSignedWord)

// The value of a time text in units of 10^-decimals seconds, without the 32-bit limit of
// ParseTimeText, so a huge entry is seen as too large instead of as 0. Nothing when it is no time text.
std::optional<double> timeValue(const QString& text, int decimals) {
    const QStringList parts = text.split(u':');
    double sum = 0;
    double weight = 1;
    for (qsizetype i = parts.size() - 1; i >= 0; --i) {
        bool ok = false;
        const double v = ParseNumber(parts.at(i), &ok);
        if (!ok) return std::nullopt;
        sum += v * weight;
        weight *= 60;
    }
    return RoundHalfEven(sum * std::pow(10.0, decimals));
}

}  // namespace

C_M852_TimeDelay::C_M852_TimeDelay(CMsgManager* manager, QObject* parent)
    : CDataGroup(kWinID, kReads, kWrites, manager, parent) {}

bool C_M852_TimeDelay::Fits(Delay d, const QString& text) {
    const bool tenths = InTenths(d);
    const auto v = timeValue(text, tenths ? 1 : 0);
    if (!v) return true;  // stores 0
    // Negative values come only from the controller (the keys allow no "-") and go back as they came.
    return std::isfinite(*v) && *v >= -32768 && *v <= (tenths ? kMaxTenths : kMaxSeconds);
}

QString C_M852_TimeDelay::Text(Delay d) const {
    const qint16 raw = Raw(d);
    return InTenths(d) ? FormatMinSec(raw / 10.0, 1) : FormatMinSec(raw, 0);
}

void C_M852_TimeDelay::setText(Delay d, const QString& text) {
    qint16& slot = m_delay.at(std::size_t(d));
    if (InTenths(d)) {
        slot = ToSignedWord(ParseTimeText(text, 1));
        return;
    }
    const qint32 seconds = ParseTimeText(text, 0);
    if (seconds < -32768 || seconds > kMaxSeconds) throw OverflowError();
    slot = qint16(seconds);
}

bool C_M852_TimeDelay::ParseReply() {
    if (!m_Reply) return false;
    const qint16 start = m_Reply->StartingReg();
    if (start != 32 && start != 740) return true;  // nothing to decode, and no failure
    return CDataGroup::ParseReply();
}

void C_M852_TimeDelay::DecodeBlock(int block, const Registers& r) {
    if (block == 1) {
        m_ExtEngStart = (r[0] & 1) != 0;
        return;
    }
    m_delay[EngStartA] = r[0];
    m_delay[EngStartB] = r[1];
    // r[2], r[3]: registers 34 and 35, not used
    for (int d = EngCoolA; d < kDelayCount; ++d) m_delay[std::size_t(d)] = r[d + 2];
}

std::vector<qint16> C_M852_TimeDelay::EncodeBlock(int) const {
    std::vector<qint16> out{m_delay[EngStartA], m_delay[EngStartB], 0, 0};
    for (int d = EngCoolA; d < kDelayCount; ++d) out.push_back(m_delay[std::size_t(d)]);
    return out;
}
