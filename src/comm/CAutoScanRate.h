#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <optional>

// The automatic scan rate: how long the scan timer waits after a request when the line and the
// controller set the pace instead of the fixed read and write scan rates.
//
// The wait for one exchange is
//
//     request wire time + reply wire time + answer latency + margin
//
// At 57600,N,8,1 a character is 10 bits (start, 8 data, stop): 10 / 57600 s = 173.6 us. A read of
// 14 registers is an 8-byte request and a 5 + 2 x 14 = 33-byte reply, 41 characters or 7.12 ms on
// the wire; a function-16 write of 123 registers is 9 + 246 = 255 bytes out and an 8-byte echo back.
//
// The answer latency is the controller's time from the end of a request to the first byte of its
// reply. The engine sees bytes only when they are handed to the program, so the scan loop measures
// it as the moment the complete reply was seen, less the two wire times; a reply handed over in
// pieces, or late by a busy computer, thereby counts as slower, never faster, than it was. Of these
// samples the estimate keeps a running high percentile (the 95th of the last 128 replies: the six
// slowest do not count, so one hiccup of the computer does not slow every exchange after it), starts
// from a safe value and stays within bounds. A reply that
// came more than half the margin later than the latency it was given, arrived incomplete (an
// exception reply included), or did not come at all backs the estimate off at once; every reply on
// time then takes an eighth of the back-off away, so it creeps back over a few dozen exchanges.
//
// A lost reply cannot tell a controller that became slower from a reply lost on the line. A back-off
// doubles the latency the lost exchange was given, so an occasional loss costs a few slower
// exchanges; only when more than about one reply in six is lost does it climb to its bound, and it
// comes down again once replies come back.
//
// Pure arithmetic: no clock, no port; times are passed in. Not thread-safe (the scan tick owns it).
class CAutoScanRate {
public:
    // 10 bits / 57600 baud, rounded up to whole nanoseconds so a wire time is never short.
    static constexpr qint64 kCharTimeNs = (10LL * 1'000'000'000LL + 57600 - 1) / 57600;
    // Latency assumed before any reply was measured: longer than a controller on a serial line takes.
    static constexpr qint64 kStartLatencyUs = 100'000;
    // Bounds of the estimate.
    static constexpr qint64 kMinLatencyUs = 0;
    static constexpr qint64 kMaxLatencyUs = 1'000'000;
    // Added to every wait (which is then rounded up to whole milliseconds): a reply handed over a
    // little later than those measured before, a controller a little slower than the percentile.
    static constexpr qint64 kMarginUs = 2'000;
    // The least a back-off adds, so that a near-zero latency backs off by a step that matters.
    static constexpr qint64 kMinBackoffStepUs = 5'000;
    // Replies the percentile is taken over, and the percentile.
    static constexpr int kWindow = 128;
    static constexpr int kPercentile = 95;

    // What one request asks of the line, from its function code and register count.
    struct Exchange {
        qint32 funct = 0;
        qint32 numReg = 0;
        int requestBytes = 0;
        int replyBytes = 0;  // an intact reply of the expected length
    };

    // Request and reply lengths in bytes for functions 3, 6 and 16; 0 for any other function or a
    // count below 1. A read reply is 5 + 2 n bytes; a function-16 request is 9 + 2 n bytes.
    [[nodiscard]] static int requestBytes(qint32 funct, qint32 numReg) noexcept;
    [[nodiscard]] static int replyBytes(qint32 funct, qint32 numReg) noexcept;
    [[nodiscard]] static std::optional<Exchange> exchange(qint32 funct, qint32 numReg) noexcept;
    // The exchange a request frame asks for (function in byte 1, count in bytes 4-5 for 3 and 16);
    // nothing for a frame the engine never sends.
    [[nodiscard]] static std::optional<Exchange> fromRequest(const QByteArray& frame) noexcept;
    // Wire time of `bytes` characters in nanoseconds.
    [[nodiscard]] static constexpr qint64 wireTimeNs(qint64 bytes) noexcept { return bytes * kCharTimeNs; }
    // Request and reply together.
    [[nodiscard]] static qint64 wireTimeNs(const Exchange& e) noexcept {
        return wireTimeNs(qint64(e.requestBytes) + e.replyBytes);
    }

    CAutoScanRate() { reset(); }

    // Back to the start: no samples, the safe start latency.
    void reset() noexcept;

    // The latency the next exchange is given, in microseconds.
    [[nodiscard]] qint64 latencyUs() const noexcept;

    // The scan interval for `e` in milliseconds: its wire time plus latencyUs() plus the margin,
    // rounded up; never below the exchange's own wire time (rounded up), and never above `fixedMs`
    // unless the fixed rate is itself shorter than the wire time, where the wire time wins (a shorter
    // wait would cut every reply).
    [[nodiscard]] int intervalMs(const Exchange& e, int fixedMs) const noexcept;

    // A complete reply whose latency was measured as `latencyUs`, to an exchange that was given
    // `allowedUs`. More than half the margin later than allowed: the estimate backs off at once to
    // half as much again as the sample. Otherwise the back-off eases by an eighth.
    void replyOnTime(qint64 latencyUs, qint64 allowedUs) noexcept;
    // Part of the reply arrived; its first byte came after `latencyUs` (or -1: not known).
    void replyIncomplete(qint64 latencyUs, qint64 allowedUs) noexcept;
    // Nothing arrived within the interval.
    void replyMissing(qint64 allowedUs) noexcept;

    // Samples held (at most kWindow).
    [[nodiscard]] int sampleCount() const noexcept { return m_count; }

private:
    void addSample(qint64 latencyUs) noexcept;
    void backOffTo(qint64 latencyUs) noexcept;
    void updatePercentile() noexcept;

    std::array<qint64, kWindow> m_samples{};
    int m_next = 0;
    int m_count = 0;
    qint64 m_percentileUs = 0;
    qint64 m_backoffUs = kStartLatencyUs;
};
