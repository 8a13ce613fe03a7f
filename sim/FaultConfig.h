#pragma once

#include <QtGlobal>

namespace sim {

// What can go wrong between the simulated controller and the program. All probabilities are per
// reply, in [0, 1]; the random choices come from one generator seeded with `seed`, so a run with the
// same seed and the same traffic injects the same faults.
struct FaultConfig {
    // Time from the last byte of a request to the first byte of its reply.
    int latencyMs = 2;
    // Deliver bytes at the line rate: 57600 baud, 10 bits per character (start, 8 data, stop) gives
    // 10 / 57600 s = 173.6 us per byte. Off: a whole reply arrives at once after the latency.
    bool paced = true;
    double dropProbability = 0.0;        // no reply at all
    double crcCorruptProbability = 0.0;  // reply sent with a wrong CRC
    double truncateProbability = 0.0;    // only the first 1..n-1 bytes of the reply are sent
    double strayProbability = 0.0;       // 1..4 random bytes before or after the reply
    quint64 seed = 1;

    static constexpr int kBaud = 57600;
    static constexpr int kBitsPerChar = 10;
    // 10 bits / 57600 baud = 173611.1 ns, rounded up so a byte never arrives early.
    static constexpr qint64 kByteTimeNs = (qint64(kBitsPerChar) * 1'000'000'000LL + kBaud - 1) / kBaud;

    // Wire time of `bytes` characters when paced, 0 otherwise.
    [[nodiscard]] qint64 wireTimeNs(qint64 bytes) const { return paced ? bytes * kByteTimeNs : 0; }
    [[nodiscard]] qint64 latencyNs() const { return qint64(latencyMs) * 1'000'000LL; }
};

}  // namespace sim
