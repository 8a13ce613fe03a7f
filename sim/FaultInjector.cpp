#include "sim/FaultInjector.h"

namespace sim {

FaultInjector::FaultInjector(const FaultConfig& config) { setConfig(config); }

void FaultInjector::setConfig(const FaultConfig& config) {
    m_config = config;
    m_rng.seed(config.seed);
}

bool FaultInjector::chance(double p) {
    if (p <= 0.0) return false;
    if (p >= 1.0) return true;
    // 53 random bits give a uniform double in [0, 1), the same on every platform (unlike
    // std::uniform_real_distribution, whose algorithm is left to the library).
    const double u = double(m_rng() >> 11) * (1.0 / 9007199254740992.0);
    return u < p;
}

FaultInjector::Outcome FaultInjector::apply(const QByteArray& reply) {
    Outcome out;
    ++m_stats.replies;
    if (chance(m_config.dropProbability)) {
        out.dropped = true;
        ++m_stats.dropped;
    } else {
        out.bytes = reply;
        if (reply.size() >= 2 && chance(m_config.crcCorruptProbability)) {
            // Flip bits in one of the two CRC bytes; XOR with a non-zero value always changes it.
            const qsizetype at = reply.size() - 1 - qsizetype(m_rng() % 2);
            const char mask = static_cast<char>(1 + m_rng() % 255);
            out.bytes[at] = static_cast<char>(out.bytes.at(at) ^ mask);
            out.crcCorrupted = true;
            ++m_stats.crcCorrupted;
        }
        if (reply.size() >= 2 && chance(m_config.truncateProbability)) {
            out.bytes.truncate(1 + qsizetype(m_rng() % quint64(reply.size() - 1)));
            out.truncated = true;
            ++m_stats.truncated;
        }
    }
    if (chance(m_config.strayProbability)) {
        out.strayBytes = 1 + int(m_rng() % 4);
        QByteArray stray;
        for (int i = 0; i < out.strayBytes; ++i) stray.append(static_cast<char>(m_rng() & 0xFF));
        if (m_rng() % 2) {
            out.bytes.prepend(stray);
        } else {
            out.bytes.append(stray);
        }
        ++m_stats.withStray;
    }
    return out;
}

}  // namespace sim
