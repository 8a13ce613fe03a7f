#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QtGlobal>
#include <optional>

namespace sim {

// The holding-register image of a simulated M852 controller.
//
// Registers are numbered from 1 (the Modbus wire address is one less). Only registers that the
// controller really has are mapped; any other number is "unmapped" and a request touching it is
// answered with exception 2 by the slave engine. The image is filled with the contents of a healthy
// three-phase 480 V / 60 Hz installation in "System Ready" with a full event history.
//
// Mapped: 1-99 (status, measurements, source settings, time delays, setpoints, programmable I/O),
// 150-649 (event history, 100 records of 5; 600 doubles as the relay output register), 650-652
// (active time delay), 740-743, 750-785 (load control), 800-844 (common alarms), 900-908 (exerciser),
// 910-993 (calendar), 1000-1003 (network port), 1010-1013 (last loss of the preferred source),
// 1110-1164 (texts), 1200-1206 (versions), 1250-1254 (clock), 1300-1321 (maintenance), 1350-1353
// (commands), 1400-1411 (calibration), 1500-1508 (state machine), 9900-9919 and 9950-9969 (message
// stacks), 9999 (device id).
//
// Time does not pass by itself: the owner calls advance(ms) (the front ends do it from a monotonic
// timer), so tests are deterministic. Advancing runs the controller clock and counts the active time
// delay down.
class M852Image {
public:
    // `clockStart`: the controller clock's time at construction (default: a fixed date, so two images
    // built alike are equal).
    explicit M852Image(const QDateTime& clockStart = defaultClockStart());

    [[nodiscard]] static QDateTime defaultClockStart();

    [[nodiscard]] bool isMapped(int reg) const;
    // True when every register in [first, first + count) is mapped.
    [[nodiscard]] bool isRangeMapped(int first, int count) const;

    // Raw access, no side effects. value() of an unmapped register is std::nullopt; set() of an
    // unmapped register does nothing and returns false.
    [[nodiscard]] std::optional<quint16> value(int reg) const;
    [[nodiscard]] quint16 valueOr(int reg, quint16 fallback = 0) const;
    bool set(int reg, quint16 value);

    // A write from the master (function 6 or 16): stores the value and carries out what the
    // controller does on such a write (commands in 1350..1353, clock set, ...). Returns false for an
    // unmapped register.
    bool write(int reg, quint16 value);
    // A write that came over the line (the slave engine's functions 6 and 16): as write(), and a
    // setting that really changed is logged as "System Parameter Changed" (code 138), once per
    // minute of controller time however many registers the request or the minute changed.
    bool masterWrite(int reg, quint16 value);

    // Lets `ms` milliseconds of controller time pass.
    void advance(qint64 ms);
    [[nodiscard]] qint64 elapsedMs() const { return m_elapsedMs; }
    // Lets the time pass from the previous call's instant to `monotonicNs` (any monotonic clock in
    // nanoseconds; parts of a millisecond are carried to the next call). The first call, and the
    // first after resetTimeReference(), only notes the instant. Front ends that come and go (a port
    // closed and opened again) use it so the controller's clock keeps running in between.
    void advanceTo(qint64 monotonicNs);
    void resetTimeReference() { m_referenceNs.reset(); }

    // The controller clock as a date-time (what registers 1250..1254 hold).
    [[nodiscard]] QDateTime clock() const;
    void setClock(const QDateTime& dt);

    // Every mapped register number, ascending.
    [[nodiscard]] QList<int> mappedRegisters() const;
    // {"<register>": value, ...} for every mapped register (unsigned 0..65535).
    [[nodiscard]] QJsonObject toJson() const;

    // Register numbers the program reads (also used by the tests).
    static constexpr int kCommandRegister = 1350;
    static constexpr int kClockFirst = 1250;
    static constexpr int kClockCount = 5;

private:
    void populate();
    void populateEventHistory();
    void map(int first, const QList<quint16>& values);
    void mapRange(int first, int count, quint16 value = 0);
    void mapText(int first, int registers, const QByteArray& text);
    void setCounter(int first, quint32 minutes);
    void addToCounter(int first, quint32 minutes);
    void writeClockRegisters();
    void readClockRegisters();
    void tickMinutes(qint64 minutes);
    void advanceDelay(qint64 ms);
    void startDelay(int code, int total);
    void endDelay(bool expired);
    void runCommand(int reg, quint16 value);
    void clearEventHistory();
    void resetMaintenance();
    void resetHistoricalRecords();
    void reloadDefaults();
    void setContactor(int position);
    void logEvent(int code, int state);
    [[nodiscard]] static bool isSetting(int reg);

    QMap<int, quint16> m_regs;
    QDateTime m_clock;  // the controller's wall-clock time (kept in UTC so no zone rules apply)
    qint64 m_elapsedMs = 0;
    qint64 m_delayCarryMs = 0;
    std::optional<qint64> m_referenceNs;  // instant of the last advanceTo()  // time not yet taken off the
                                          // active delay (below one unit)
};

}  // namespace sim
