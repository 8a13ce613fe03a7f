#pragma once

#include <QByteArray>
#include <random>

#include "sim/FaultConfig.h"

namespace sim {

// Applies a FaultConfig to replies: decides, with its own seeded generator, whether a reply is
// dropped, sent with a bad CRC, truncated, or accompanied by stray bytes, and keeps count.
class FaultInjector {
public:
    struct Outcome {
        QByteArray bytes;  // what goes on the wire (may be empty)
        bool dropped = false;
        bool crcCorrupted = false;
        bool truncated = false;
        int strayBytes = 0;
    };
    struct Stats {
        qint64 replies = 0;  // replies offered to apply()
        qint64 dropped = 0;
        qint64 crcCorrupted = 0;
        qint64 truncated = 0;
        qint64 withStray = 0;
    };

    explicit FaultInjector(const FaultConfig& config = {});

    // Replaces the configuration and re-seeds the generator.
    void setConfig(const FaultConfig& config);
    [[nodiscard]] const FaultConfig& config() const { return m_config; }

    // `reply` is a complete, correct reply frame (empty = the engine does not answer; stray bytes
    // may still be produced).
    [[nodiscard]] Outcome apply(const QByteArray& reply);

    [[nodiscard]] const Stats& stats() const { return m_stats; }

private:
    [[nodiscard]] bool chance(double p);

    FaultConfig m_config;
    std::mt19937_64 m_rng;
    Stats m_stats;
};

}  // namespace sim
