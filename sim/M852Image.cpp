#include "sim/M852Image.h"

#include <QTimeZone>
#include <array>
#include <vector>

namespace sim {

namespace {

// Register numbers used by the controller logic below.
constexpr int kStatus = 1;           // contactor position, preferred source, system state, availability
constexpr int kTransitionBits = 31;  // bit 0: programmed transition
constexpr int kEngCoolB = 37;
constexpr int kEventFirst = 150;  // 100 records of 5 registers: 150..649
constexpr int kEventRecords = 100;
constexpr int kEventSize = 5;
constexpr int kRelayOutputs = 600;  // shares its number with the time of event record 90
constexpr int kDelayCode = 650;
constexpr int kDelayRemaining = 651;
constexpr int kDelayTotal = 652;
constexpr int kOperatingStatus = 742;  // bit 3 peak shave active, bit 4 system test active
constexpr int kExerLength = 901;
constexpr int kLastLoss = 1010;
constexpr int kTexts = 1110;
constexpr int kTextsEnd = 1164;
constexpr int kClockTime = 1250;
constexpr int kClockDate = 1251;
constexpr int kEnableDst = 1252;
constexpr int kDstForward = 1253;
constexpr int kDstBackward = 1254;
constexpr int kNotInPrefTotal = 1300;
constexpr int kNotInPrefMaint = 1302;
constexpr int kInStandbyTotal = 1304;
constexpr int kInStandbyMaint = 1306;
constexpr int kOperTimeTotal = 1308;
constexpr int kOperTimeMaint = 1310;
constexpr int kMaintDate = 1321;
constexpr int kClearHistory = 1351;
constexpr int kMaintCommand = 1353;
constexpr int kContactorPosition = 1501;
constexpr int kForcingToOff = 1507;
constexpr int kAreaProtection = 1508;

// The settings blocks (first register, count), as a setup data file holds them.
constexpr std::array<std::pair<int, int>, 11> kSettingsBlocks = {
    {{23, 9}, {32, 12}, {45, 20}, {65, 35}, {740, 2}, {750, 36}, {800, 45}, {900, 2}, {910, 84}, {1000, 4},
     {kEnableDst, 3}}};

// Command bits of register 1350.
constexpr quint16 kCmdResetMaint = 1;
constexpr quint16 kCmdPeakShaveStart = 2;
constexpr quint16 kCmdPeakShaveStop = 4;
constexpr quint16 kCmdTestStart = 8;
constexpr quint16 kCmdTestStop = 16;
constexpr quint16 kCmdTransferToOff = 32;
constexpr quint16 kCmdResumeNormal = 64;
constexpr quint16 kCmdEndDelay = 128;
constexpr quint16 kCmdRemoteExercise = 256;

// Timer codes of register 650.
constexpr int kTimerNone = 0;
constexpr int kTimerOffToStandby = 9;
constexpr int kTimerOffToPreferred = 10;
constexpr int kTimerExercise = 14;
constexpr int kTimerEngCoolE = 6;

// Event codes logged by the controller logic.
constexpr int kEvServiceReset = 5;
constexpr int kEvContactorOff = 60;
constexpr int kEvContactorN = 61;
constexpr int kEvRemoteEndDelay = 119;
constexpr int kEvParameterChanged = 138;
constexpr int kEvExercise = 170;
constexpr int kEvEngineStartTimeout = 182;
constexpr int kEvCooldownTimeout = 183;
constexpr int kEvExerciseTimeout = 184;
constexpr int kEvFromPreferredTimeout = 185;
constexpr int kEvFromStandbyTimeout = 186;
constexpr int kEvOffToPreferredTimeout = 187;
constexpr int kEvOffToStandbyTimeout = 188;
constexpr int kEvDefaultHistory = 216;
constexpr int kEvDefaultSettings = 217;
constexpr int kEvDefaultAlarms = 218;
constexpr int kEvModbusForceOff = 223;
constexpr int kEvModbusPeakShave = 224;
constexpr int kEvModbusTest = 225;

// Day (bits 0-4), month (bits 5-8) and year - 2000 (bits 9-15) in one word.
quint16 packDate(const QDate& d) {
    return static_cast<quint16>(((d.year() - 2000) << 9) | (d.month() << 5) | d.day());
}

// Month 0 is December of the year before and day 0 the last day of the month before, as the
// controller's own date arithmetic does.
QDate unpackDate(quint16 w) {
    const int year = 2000 + (w >> 9);
    const int month = (w >> 5) & 0x0F;
    const int day = w & 0x1F;
    return QDate(year, 1, 1).addMonths(month - 1).addDays(day - 1);
}

QDate nthSunday(int year, int month, int n) {
    QDate d(year, month, 1);
    while (d.dayOfWeek() != Qt::Sunday) d = d.addDays(1);
    return d.addDays(7 * (n - 1));
}

QDateTime asControllerTime(const QDateTime& dt) {
    // The controller has no idea of zones: keep the wall-clock fields and do the arithmetic in UTC.
    return QDateTime(dt.date(), dt.time(), QTimeZone::utc());
}

struct EpisodeEvent {
    int minute;  // minutes after the episode's start
    int code;
    int state;  // 1 = set, 0 = cleared
};

// Typical sequences of a utility-to-genset installation, oldest event first.
const std::vector<EpisodeEvent> kExercise = {
    {0, 170, 1},  {0, 72, 1},   {1, 140, 1}, {1, 57, 1},   {30, 184, 1},
    {30, 170, 0}, {35, 183, 1}, {35, 72, 0}, {36, 140, 0}, {36, 57, 0},
};
const std::vector<EpisodeEvent> kOutage = {
    {0, 75, 1},  {0, 56, 0},   {0, 139, 0},  {0, 182, 1}, {0, 72, 1},   {1, 140, 1}, {1, 57, 1},
    {1, 185, 1}, {1, 62, 1},   {1, 161, 1},  {47, 75, 0}, {47, 139, 1}, {47, 56, 1}, {52, 186, 1},
    {52, 61, 1}, {52, 161, 1}, {57, 183, 1}, {57, 72, 0}, {58, 140, 0}, {58, 57, 0},
};
constexpr int kOutageLossMinutes = 52;  // from the loss (minute 0) to the return to Source N
const std::vector<EpisodeEvent> kTest = {
    {0, 2, 1},  {0, 2, 0},    {0, 169, 1},  {0, 72, 1},  {1, 140, 1},  {15, 2, 1},
    {15, 2, 0}, {15, 169, 0}, {20, 183, 1}, {20, 72, 0}, {21, 140, 0},
};
const std::vector<EpisodeEvent> kSettings = {
    {0, 138, 1},
    {0, 213, 1},
    {2, 4, 1},
    {2, 4, 0},
};
// An I/O module that lost its link for a few minutes, a low battery on the genset, a load-control
// output, the LED timer and a Modbus peak shave from the building management system.
const std::vector<EpisodeEvent> kFault = {
    {0, 24, 1},  {0, 89, 1},  {0, 74, 1},   {3, 24, 0},   {3, 89, 0},   {3, 74, 0},
    {4, 65, 1},  {9, 65, 0},  {10, 94, 1},  {10, 189, 1}, {12, 189, 0}, {14, 94, 0},
    {15, 224, 1}, {15, 68, 1}, {45, 224, 0}, {45, 68, 0}, {46, 201, 1},
};
// A service visit: the maintenance DIP switch, the switch out of automatic, the service reminder reset.
const std::vector<EpisodeEvent> kService = {
    {0, 136, 1}, {120, 7, 1}, {120, 63, 1}, {125, 5, 1}, {125, 136, 0},
    {126, 5, 0}, {130, 63, 0}, {130, 7, 0}, {131, 133, 1}, {131, 133, 0},
};

}  // namespace

QDateTime M852Image::defaultClockStart() {
    return QDateTime(QDate(2024, 6, 12), QTime(9, 41, 20), QTimeZone::utc());
}

M852Image::M852Image(const QDateTime& clockStart) : m_clock(asControllerTime(clockStart)) { populate(); }

bool M852Image::isMapped(int reg) const { return m_regs.contains(reg); }

bool M852Image::isRangeMapped(int first, int count) const {
    if (count < 1) return false;
    for (int r = first; r < first + count; ++r) {
        if (!m_regs.contains(r)) return false;
    }
    return true;
}

std::optional<quint16> M852Image::value(int reg) const {
    const auto it = m_regs.constFind(reg);
    if (it == m_regs.constEnd()) return std::nullopt;
    return it.value();
}

quint16 M852Image::valueOr(int reg, quint16 fallback) const { return m_regs.value(reg, fallback); }

bool M852Image::set(int reg, quint16 value) {
    const auto it = m_regs.find(reg);
    if (it == m_regs.end()) return false;
    it.value() = value;
    return true;
}

bool M852Image::isSetting(int reg) {
    for (const auto& [first, count] : kSettingsBlocks)
        if (reg >= first && reg < first + count) return true;
    return false;
}

bool M852Image::masterWrite(int reg, quint16 value) {
    const std::optional<quint16> before = this->value(reg);
    if (!write(reg, value)) return false;
    if (!isSetting(reg) || before == value) return true;
    // One event per minute of changes: not again while the newest record is this minute's 138.
    const quint16 now = static_cast<quint16>(m_clock.time().hour() * 60 + m_clock.time().minute());
    const bool logged = valueOr(kEventFirst + 2) == kEvParameterChanged && valueOr(kEventFirst) == now &&
                        valueOr(kEventFirst + 1) == packDate(m_clock.date());
    if (!logged) logEvent(kEvParameterChanged, 1);
    return true;
}

bool M852Image::write(int reg, quint16 value) {
    if (!set(reg, value)) return false;
    if (reg == kClockTime || reg == kClockDate) {
        readClockRegisters();
    } else if (reg >= kCommandRegister && reg <= kMaintCommand) {
        runCommand(reg, value);
    } else if (reg == kDelayCode) {
        m_delayCarryMs = 0;
    }
    return true;
}

QList<int> M852Image::mappedRegisters() const { return m_regs.keys(); }

QJsonObject M852Image::toJson() const {
    QJsonObject o;
    for (auto it = m_regs.constBegin(); it != m_regs.constEnd(); ++it)
        o.insert(QString::number(it.key()), it.value());
    return o;
}

QDateTime M852Image::clock() const { return m_clock; }

void M852Image::setClock(const QDateTime& dt) {
    m_clock = asControllerTime(dt);
    writeClockRegisters();
}

// ---- contents --------------------------------------------------------------------------------

void M852Image::map(int first, const QList<quint16>& values) {
    for (int i = 0; i < values.size(); ++i) m_regs.insert(first + i, values.at(i));
}

void M852Image::mapRange(int first, int count, quint16 value) {
    for (int i = 0; i < count; ++i) m_regs.insert(first + i, value);
}

void M852Image::mapText(int first, int registers, const QByteArray& text) {
    // Two characters per register, the first in the low byte; padded with 0 bytes.
    for (int i = 0; i < registers; ++i) {
        const quint8 lo = 2 * i < text.size() ? static_cast<quint8>(text.at(2 * i)) : 0;
        const quint8 hi = 2 * i + 1 < text.size() ? static_cast<quint8>(text.at(2 * i + 1)) : 0;
        m_regs.insert(first + i, static_cast<quint16>(lo | (hi << 8)));
    }
}

// 32-bit minute counters are two words read as first * 65535 + second (65535, not 65536).
void M852Image::setCounter(int first, quint32 minutes) {
    m_regs.insert(first, static_cast<quint16>(minutes / 65535u));
    m_regs.insert(first + 1, static_cast<quint16>(minutes % 65535u));
}

void M852Image::addToCounter(int first, quint32 minutes) {
    const quint32 now = quint32(valueOr(first)) * 65535u + valueOr(first + 1);
    setCounter(first, now + minutes);
}

void M852Image::populate() {
    const QDate today = m_clock.date();

    // Register 1: contactor on Source N (1), Source N preferred (bit 2 clear), state 232 "System
    // Ready" in bits 3-12 (232 * 8 = 0x740), both sources available (bits 13, 14): 0x6741.
    map(kStatus, {0x6741});
    // Line-to-neutral N (2-4), E (5-7), line-to-line N (8-10), E (11-13), frequency N, E (14, 15);
    // volts and hertz times ten.
    map(2, {2771, 2768, 2774, 2770, 2766, 2772, 4800, 4796, 4803, 4799, 4801, 4797, 600, 600});
    mapRange(16, 6, 0);  // reserved
    // 22: both rotations ABC (N bits 0-1 = 1, E bits 2-3 = 1); 23: expected ABC; 24-27: nominal
    // 480.0 V / 60.0 Hz; 28-29: three phases; 30: 400 A; 31: programmed transition, genset - utility.
    map(22, {0x0005, 1, 4800, 4800, 600, 600, 3, 3, 400, 0x0005});
    // Time delays 32-43 (seconds; 40, 41 in tenths).
    map(32, {3, 3, 0, 0, 300, 300, 3, 300, 30, 30, 60, 30});
    mapRange(44, 1, 0);  // reserved
    // Voltage setpoints N (45-49), E (50-54): over dropout 110 %, over pickup 95 %, under pickup
    // 90 %, under dropout 90 %, debounce 0.5 s.
    map(45, {110, 95, 90, 90, 5, 110, 95, 90, 90, 5});
    // Frequency setpoints N (55-59), E (60-64): over dropout 102 %, over pickup 110 %, under dropout
    // 97 %, under pickup 90 %, dropout time 3.0 s.
    map(55, {102, 110, 97, 90, 30, 102, 110, 97, 90, 30});
    // Programmable I/O 65-99: board output "Common Alarm"; module 1 and 2 outputs; modules 3, 4
    // undefined (55); board inputs "Inhibit Transfer", "Remote Test"; module inputs.
    map(65, {74});
    map(66, {56, 57, 58, 59, 64, 71, 94, 95, 96, 97, 98, 99, 55, 55, 55, 55, 55, 55, 55, 55, 55, 55, 55, 55});
    map(90, {118, 120, 117, 119, 121, 115, 115, 115, 115, 115});

    populateEventHistory();
    // Relay outputs: all four switchable (odd bits), all off. Shares its register with the time of
    // event record 90 (0x00AA = 170 minutes, a valid time of day).
    m_regs.insert(kRelayOutputs, 0x00AA);

    // Active time delay: Source E engine cooldown after the last return to Source N, 4 minutes of
    // 5 left (tenths of a second).
    map(kDelayCode, {kTimerEngCoolE, 2400, 3000});
    // 740: commit to transfer; 741: two I/O modules; 742: no test, no peak shave; 743: DIP switches,
    // exercise loaded.
    map(740, {0x0010, 2, 0x0000, 0x0008});
    // Load control delays 750-785 (seconds).
    map(750, {5, 10, 0, 0, 0, 0, 0, 0, 0, 15, 30, 0, 0, 0, 0, 0, 0, 0,
              5, 10, 0, 0, 0, 0, 0, 0, 0, 15, 30, 0, 0, 0, 0, 0, 0, 0});
    // Common alarm slots 800-844: the controller's event per slot, bit 15 = assigned.
    static constexpr std::array<int, 45> kAlarmCodes = {
        24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36,  37,  38,  65,  75,  76,  77,  78,  79,  80, 81,
        82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 121, 122, 123, 133, 134, 136, 137, 141, 142, 143};
    for (int i = 0; i < 45; ++i) {
        const int code = kAlarmCodes[size_t(i)];
        const bool assigned =
            code == 87 || code == 88 || code == 92 || code == 121 || code == 134 || code == 136;
        m_regs.insert(800 + i, static_cast<quint16>(code | (assigned ? 0x8000 : 0)));
    }
    // Exerciser 900-908: manual mode, 30 minutes, next manual exercise next Wednesday 10:00; 904
    // reserved; next calendar exercise pending and loaded, 9:00 on the 1st of next month, 60 min.
    QDate nextWed = today.addDays(1);
    while (nextWed.dayOfWeek() != Qt::Wednesday) nextWed = nextWed.addDays(1);
    const QDate firstOfNextMonth = QDate(today.year(), today.month(), 1).addMonths(1);
    map(900, {0, 30, 600, packDate(nextWed), 0, 0x0003, 540, packDate(firstOfNextMonth), 60});
    // Calendar 910-993: 21 events of flags, start time, start date, run time. Flags: bit 0 enabled,
    // bit 1 loaded, bits 2-3 interval, bits 4-7 repeat rate, bit 8 highlight (next to run).
    for (int n = 0; n < 21; ++n) {
        const int b = 910 + 4 * n;
        if (n == 0) {  // every month, loaded, highlighted
            map(b, {0x0100 | 1 | 2 | (3 << 2) | (1 << 4), 540, packDate(firstOfNextMonth), 60});
        } else if (n == 1) {  // every 2 weeks, unloaded
            map(b, {1 | (2 << 2) | (2 << 4), 600, packDate(nextWed), 30});
        } else if (n == 2) {  // every 1st <weekday> of the month, loaded
            map(b, {1 | 2 | (0 << 2) | (1 << 4), 480, packDate(firstOfNextMonth.addDays(2)), 45});
        } else {  // unused: disabled, every month, 1 January 2000
            map(b, {(3 << 2) | (1 << 4), 0, packDate(QDate(2000, 1, 1)), 0});
        }
    }
    // Network port 1000-1003: address 1, 19200 baud (code 6), two fixed words of 1.
    map(1000, {1, 6, 1, 1});
    // Last loss of the preferred source (1010-1013) is filled with the event history.
    // Identification texts 1110-1164.
    mapText(1110, 10, "ATS-1 MAIN BUILDING");
    mapText(1120, 10, "Emergency Lighting");
    mapText(1130, 10, "Life Safety");
    mapText(1140, 10, "Electrical Room 104");
    mapText(1150, 5, "AT21045783");
    mapText(1155, 5, "C193304127");
    mapText(1160, 5, "K2104477");
    // Versions 1200-1206: controller 2.21, PIC 1.3, I/O modules 1.2, 1.2, none, none; 1206 spare.
    map(1200, {0x0215, 0x0103, 0x0012, 0x0012, 0x0000, 0x0000, 0x0101});
    // Clock 1250-1254; daylight saving on, second Sunday of March and first Sunday of November.
    mapRange(kClockTime, 2, 0);
    map(kEnableDst, {1, packDate(nthSunday(today.year(), 3, 2)), packDate(nthSunday(today.year(), 11, 1))});
    writeClockRegisters();
    // Maintenance counters 1300-1311 (minutes), transfer counts and times 1312-1319, dates.
    setCounter(kNotInPrefTotal, 74040);   // 1234 h
    setCounter(kNotInPrefMaint, 2710);    // 45:10
    setCounter(kInStandbyTotal, 70815);   // 1180:15
    setCounter(kInStandbyMaint, 2580);    // 43:00
    setCounter(kOperTimeTotal, 2788800);  // 46480 h, about five years and four months
    setCounter(kOperTimeMaint, 233280);   // 3888 h
    map(1312, {412, 37, 2, 0, 23, 4, 96, 88, packDate(QDate(2019, 3, 14)), packDate(QDate(2023, 11, 2))});
    // Command registers 1350-1353: nothing pending, manual exercise enabled.
    mapRange(kCommandRegister, 4, 0);
    // Meter calibration readings 1400-1411 (written by the program; nothing written yet).
    mapRange(1400, 12, 0);
    // State machine 1500-1508: contactor closed on Source N, N preferred, E standby, automatic.
    map(1500, {3, 1, 1, 0, 1, 0, 0, 0, 0});
    // Message stacks: previous 9900-9919, current 9950-9969; sign and magnitude, 0xFFFF = empty.
    map(9900, {101, 0x8000 | 12, 134, 135, 0x8000 | 7, 210, 211, 212});
    mapRange(9908, 12, 0xFFFF);
    map(9950, {135, 101, 0x8000 | 3, 139, 140});
    mapRange(9955, 15, 0xFFFF);
    // Device identification.
    map(9999, {0x0852});
}

void M852Image::populateEventHistory() {
    mapRange(kEventFirst, kEventRecords * kEventSize, 0);
    // Episodes, newest first; each ends some days before the next newer one began.
    const std::array<const std::vector<EpisodeEvent>*, 10> cycle = {
        &kExercise, &kFault, &kTest, &kExercise, &kSettings, &kService, &kExercise, &kOutage, &kExercise, &kTest};
    // The newest episode started two days ago at 10:00 controller time.
    QDateTime start(m_clock.date().addDays(-2), QTime(10, 0), QTimeZone::utc());
    int record = 0;
    bool lossSet = false;
    for (int e = 0; record < kEventRecords; ++e) {
        const auto& episode = *cycle[size_t(e) % cycle.size()];
        if (&episode == &kOutage) {
            // Outages come at odd hours.
            start = QDateTime(start.date(), QTime(14, 2), QTimeZone::utc());
            if (!lossSet) {
                lossSet = true;
                const QDateTime loss = start;
                map(kLastLoss, {static_cast<quint16>(loss.time().hour() * 60 + loss.time().minute()),
                                packDate(loss.date()), 0, kOutageLossMinutes});
            }
        }
        for (auto it = episode.rbegin(); it != episode.rend() && record < kEventRecords; ++it, ++record) {
            const QDateTime at = start.addSecs(60 * it->minute);
            const int b = kEventFirst + kEventSize * record;
            map(b, {static_cast<quint16>(at.time().hour() * 60 + at.time().minute()), packDate(at.date()),
                    static_cast<quint16>(it->code), static_cast<quint16>(it->state), 0});
        }
        // The next older episode: 3 to 9 days earlier, a deterministic spread.
        start = QDateTime(start.date().addDays(-(3 + (e * 5) % 7)), QTime(10, 0), QTimeZone::utc());
    }
    if (!lossSet) map(kLastLoss, {0, packDate(QDate(2000, 1, 1)), 0, 0});
}

// ---- time ------------------------------------------------------------------------------------

void M852Image::writeClockRegisters() {
    const QTime t = m_clock.time();
    m_regs.insert(kClockTime, static_cast<quint16>(t.hour() * 60 + t.minute()));
    m_regs.insert(kClockDate, packDate(m_clock.date()));
}

void M852Image::readClockRegisters() {
    // Minutes past 1439 carry into the next days; seconds restart at 0 as the controller keeps none.
    const QDate date = unpackDate(valueOr(kClockDate));
    m_clock = QDateTime(date, QTime(0, 0), QTimeZone::utc()).addSecs(qint64(valueOr(kClockTime)) * 60);
    writeClockRegisters();
}

void M852Image::advance(qint64 ms) {
    if (ms <= 0) return;
    m_elapsedMs += ms;
    const qint64 oldMinute = m_clock.toMSecsSinceEpoch() / 60000;
    m_clock = m_clock.addMSecs(ms);
    const qint64 newMinute = m_clock.toMSecsSinceEpoch() / 60000;
    if (newMinute != oldMinute) {
        writeClockRegisters();
        tickMinutes(newMinute - oldMinute);
    }
    advanceDelay(ms);
}

void M852Image::advanceTo(qint64 monotonicNs) {
    if (!m_referenceNs) {
        m_referenceNs = monotonicNs;
        return;
    }
    // Advance in whole milliseconds; the reference moves by exactly that much, so nothing is lost.
    const qint64 ms = (monotonicNs - *m_referenceNs) / 1'000'000;
    if (ms <= 0) return;
    *m_referenceNs += ms * 1'000'000;
    advance(ms);
}

void M852Image::tickMinutes(qint64 minutes) {
    const quint32 m = static_cast<quint32>(std::min<qint64>(minutes, 0x7FFFFFFF));
    addToCounter(kOperTimeTotal, m);
    addToCounter(kOperTimeMaint, m);
    const int position = valueOr(kStatus) & 3;  // 1 = Source N, 2 = Source E
    const int preferred = (valueOr(kStatus) >> 2) & 1;
    if (position != preferred + 1) {
        addToCounter(kNotInPrefTotal, m);
        addToCounter(kNotInPrefMaint, m);
    }
    if (position == 2 - preferred) {
        addToCounter(kInStandbyTotal, m);
        addToCounter(kInStandbyMaint, m);
    }
}

void M852Image::advanceDelay(qint64 ms) {
    const int code = valueOr(kDelayCode);
    if (code == kTimerNone) {
        m_delayCarryMs = 0;
        return;
    }
    // Remaining time counts in tenths of a second, or tenths of a minute for the exercise run.
    const qint64 unitMs = code == kTimerExercise ? 6000 : 100;
    m_delayCarryMs += ms;
    const qint64 steps = m_delayCarryMs / unitMs;
    m_delayCarryMs %= unitMs;
    const qint64 remaining = valueOr(kDelayRemaining);
    if (steps >= remaining) {
        endDelay(true);
    } else {
        set(kDelayRemaining, static_cast<quint16>(remaining - steps));
    }
}

void M852Image::startDelay(int code, int total) {
    map(kDelayCode, {static_cast<quint16>(code), static_cast<quint16>(total), static_cast<quint16>(total)});
    m_delayCarryMs = 0;
}

void M852Image::endDelay(bool expired) {
    const int code = valueOr(kDelayCode);
    if (expired) {
        switch (code) {
            case 1:
            case 2:
            case 4:
            case 5:
                logEvent(kEvEngineStartTimeout, 1);
                break;
            case 3:
            case 6:
                logEvent(kEvCooldownTimeout, 1);
                break;
            case 7:
                logEvent(kEvFromPreferredTimeout, 1);
                break;
            case 8:
                logEvent(kEvFromStandbyTimeout, 1);
                break;
            case kTimerOffToStandby:
                logEvent(kEvOffToStandbyTimeout, 1);
                break;
            case kTimerOffToPreferred:
                logEvent(kEvOffToPreferredTimeout, 1);
                break;
            case kTimerExercise:
                logEvent(kEvExerciseTimeout, 1);
                break;
            default:
                break;
        }
    }
    if (code == kTimerExercise) logEvent(kEvExercise, 0);
    map(kDelayCode, {kTimerNone, 0, 0});
    m_delayCarryMs = 0;
}

// ---- commands --------------------------------------------------------------------------------

void M852Image::runCommand(int reg, quint16 value) {
    if (reg == kCommandRegister) {
        if (value & kCmdResetMaint) resetMaintenance();
        if (value & kCmdPeakShaveStart) {
            set(kOperatingStatus, valueOr(kOperatingStatus) | 0x0008);
            set(kAreaProtection, 0xFFFF);
            logEvent(kEvModbusPeakShave, 1);
        }
        if (value & kCmdPeakShaveStop) {
            set(kOperatingStatus, valueOr(kOperatingStatus) & ~0x0008);
            set(kAreaProtection, 0);
            logEvent(kEvModbusPeakShave, 0);
        }
        if (value & kCmdTestStart) {
            set(kOperatingStatus, valueOr(kOperatingStatus) | 0x0010);
            logEvent(kEvModbusTest, 1);
        }
        if (value & kCmdTestStop) {
            set(kOperatingStatus, valueOr(kOperatingStatus) & ~0x0010);
            logEvent(kEvModbusTest, 0);
        }
        // Forcing to off exists only for programmed transition (it needs the off position).
        const bool programmed = valueOr(kTransitionBits) & 1;
        if ((value & kCmdTransferToOff) && programmed) {
            setContactor(0);
            set(kForcingToOff, 0xFFFF);
            logEvent(kEvModbusForceOff, 1);
            logEvent(kEvContactorOff, 1);
        }
        if ((value & kCmdResumeNormal) && programmed && valueOr(kForcingToOff) == 0xFFFF) {
            setContactor(1);
            set(kForcingToOff, 0);
            logEvent(kEvModbusForceOff, 0);
            logEvent(kEvContactorN, 1);
        }
        if (value & kCmdEndDelay) {
            const int code = valueOr(kDelayCode);
            if (code != kTimerNone && code != kTimerOffToStandby && code != kTimerOffToPreferred &&
                code != kTimerExercise) {
                logEvent(kEvRemoteEndDelay, 1);
                endDelay(false);
            }
        }
        if (value & kCmdRemoteExercise) {
            // Push to set / end: ends a running exercise, otherwise starts one of the manual length.
            if (valueOr(kDelayCode) == kTimerExercise) {
                endDelay(false);
            } else {
                logEvent(kEvExercise, 1);
                startDelay(kTimerExercise, 10 * valueOr(kExerLength));
            }
        }
        set(kCommandRegister, 0);  // a command acts once
    } else if (reg == kClearHistory) {
        if (value == 1) clearEventHistory();
        set(kClearHistory, 0);
    } else if (reg == kMaintCommand) {
        if (value == 1) reloadDefaults();
        if (value == 2) resetHistoricalRecords();
        set(kMaintCommand, 0);
    }
    // 1352 (bit 0: manual exercise disabled) is a setting and keeps its value.
}

void M852Image::clearEventHistory() {
    for (int r = kEventFirst; r < kEventFirst + kEventRecords * kEventSize; ++r) {
        if (r != kRelayOutputs) set(r, 0);
    }
}

void M852Image::resetMaintenance() {
    setCounter(kNotInPrefMaint, 0);
    setCounter(kInStandbyMaint, 0);
    setCounter(kOperTimeMaint, 0);
    for (int r : {1313, 1315, 1317}) set(r, 0);
    set(kMaintDate, packDate(m_clock.date()));
    logEvent(kEvServiceReset, 1);
}

void M852Image::resetHistoricalRecords() {
    for (int r = kNotInPrefTotal; r <= 1319; ++r) set(r, 0);
    for (int r = kTexts; r <= kTextsEnd; ++r) set(r, 0);
    logEvent(kEvDefaultHistory, 1);
}

void M852Image::reloadDefaults() {
    // The settings blocks of a factory-fresh controller.
    const M852Image fresh(m_clock);
    for (const auto& [first, count] : kSettingsBlocks) {
        for (int r = first; r < first + count; ++r) set(r, fresh.valueOr(r));
    }
    logEvent(kEvDefaultSettings, 1);
    logEvent(kEvDefaultAlarms, 1);
}

void M852Image::setContactor(int position) {
    set(kStatus, static_cast<quint16>((valueOr(kStatus) & ~3u) | unsigned(position)));
    set(kContactorPosition, static_cast<quint16>(position));
}

void M852Image::logEvent(int code, int state) {
    // Newest record first: move records 0..98 down by one and put the new one at record 0. The
    // relay register shares its number with record 90's time and is left alone.
    const int last = kEventFirst + kEventRecords * kEventSize - 1;
    for (int dst = last; dst >= kEventFirst + kEventSize; --dst) {
        if (dst != kRelayOutputs) set(dst, valueOr(dst - kEventSize));
    }
    const QTime t = m_clock.time();
    map(kEventFirst, {static_cast<quint16>(t.hour() * 60 + t.minute()), packDate(m_clock.date()),
                      static_cast<quint16>(code), static_cast<quint16>(state), 0});
}

}  // namespace sim
