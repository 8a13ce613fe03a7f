#include "comm/CAutoScanRate.h"

#include <algorithm>

namespace {

constexpr qint64 nsToMsCeil(qint64 ns) { return (ns + 999'999) / 1'000'000; }

}  // namespace

int CAutoScanRate::requestBytes(qint32 funct, qint32 numReg) noexcept {
    if (numReg < 1) return 0;
    switch (funct) {
        case 3:  // slave, 3, address, count, CRC
        case 6:  // slave, 6, address, value, CRC
            return 8;
        case 16:  // slave, 16, address, count, byte count, 2 bytes per register, CRC
            return 9 + 2 * numReg;
        default:
            return 0;
    }
}

int CAutoScanRate::replyBytes(qint32 funct, qint32 numReg) noexcept {
    if (numReg < 1) return 0;
    switch (funct) {
        case 3:  // slave, 3, byte count, 2 bytes per register, CRC
            return 5 + 2 * numReg;
        case 6:   // the request itself
        case 16:  // slave, 16, address, count, CRC
            return 8;
        default:
            return 0;
    }
}

std::optional<CAutoScanRate::Exchange> CAutoScanRate::exchange(qint32 funct, qint32 numReg) noexcept {
    const int out = requestBytes(funct, numReg);
    const int back = replyBytes(funct, numReg);
    if (out == 0 || back == 0) return std::nullopt;
    return Exchange{funct, numReg, out, back};
}

std::optional<CAutoScanRate::Exchange> CAutoScanRate::fromRequest(const QByteArray& frame) noexcept {
    if (frame.size() < 8) return std::nullopt;
    const auto byte = [&frame](int i) { return static_cast<quint8>(frame.at(i)); };
    const qint32 funct = byte(1);
    const qint32 count = funct == 6 ? 1 : (byte(4) << 8 | byte(5));
    auto e = exchange(funct, count);
    // A frame of another length than its count says is no frame of ours: better the fixed rate.
    if (!e || e->requestBytes != frame.size()) return std::nullopt;
    return e;
}

void CAutoScanRate::reset() noexcept {
    m_samples.fill(0);
    m_next = 0;
    m_count = 0;
    m_percentileUs = 0;
    m_backoffUs = kStartLatencyUs;
}

qint64 CAutoScanRate::latencyUs() const noexcept {
    return std::clamp(std::max(m_percentileUs, m_backoffUs), kMinLatencyUs, kMaxLatencyUs);
}

int CAutoScanRate::intervalMs(const Exchange& e, int fixedMs) const noexcept {
    const qint64 wireNs = wireTimeNs(e);
    const qint64 floorMs = std::max<qint64>(1, nsToMsCeil(wireNs));
    const qint64 wantedMs = nsToMsCeil(wireNs + (latencyUs() + kMarginUs) * 1000);
    const qint64 capMs = std::max<qint64>(floorMs, fixedMs);
    return int(std::clamp(wantedMs, floorMs, capMs));
}

void CAutoScanRate::replyOnTime(qint64 latencyUs, qint64 allowedUs) noexcept {
    latencyUs = std::clamp(latencyUs, kMinLatencyUs, kMaxLatencyUs);
    addSample(latencyUs);
    // Within half the margin of what it was given the reply is on time: the margin is there for that.
    if (latencyUs > allowedUs + kMarginUs / 2) {
        backOffTo(latencyUs + latencyUs / 2);
    } else {
        m_backoffUs -= (m_backoffUs + 7) / 8;  // rounded up, so it reaches 0
    }
}

void CAutoScanRate::replyIncomplete(qint64 latencyUs, qint64 allowedUs) noexcept {
    // The first bytes came, the rest did not make it within the wait: the reply started later than
    // allowed or the controller paused in it. Its start is a sample; the back-off covers the rest.
    qint64 known = std::max<qint64>(allowedUs, 0);
    if (latencyUs >= 0) {
        latencyUs = std::clamp(latencyUs, kMinLatencyUs, kMaxLatencyUs);
        addSample(latencyUs);
        known = std::max(known, latencyUs);
    }
    backOffTo(std::max(2 * known, known + kMinBackoffStepUs));
}

void CAutoScanRate::replyMissing(qint64 allowedUs) noexcept {
    const qint64 known = std::max<qint64>(allowedUs, 0);
    backOffTo(std::max(2 * known, known + kMinBackoffStepUs));
}

void CAutoScanRate::addSample(qint64 latencyUs) noexcept {
    m_samples[size_t(m_next)] = latencyUs;
    m_next = (m_next + 1) % kWindow;
    m_count = std::min(m_count + 1, kWindow);
    updatePercentile();
}

void CAutoScanRate::backOffTo(qint64 latencyUs) noexcept {
    m_backoffUs = std::clamp(std::max(m_backoffUs, latencyUs), kMinLatencyUs, kMaxLatencyUs);
}

void CAutoScanRate::updatePercentile() noexcept {
    // Nearest rank: the smallest sample that at least kPercentile % of the samples do not exceed
    // (of 128, the 122nd smallest: the seventh highest).
    std::array<qint64, kWindow> sorted = m_samples;
    const auto end = sorted.begin() + m_count;
    const int rank = std::max(1, (kPercentile * m_count + 99) / 100);
    std::nth_element(sorted.begin(), sorted.begin() + (rank - 1), end);
    m_percentileUs = sorted[size_t(rank - 1)];
}
