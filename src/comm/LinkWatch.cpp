#include "comm/LinkWatch.h"

#include "comm/CMsgManager.h"

LinkWatch::LinkWatch(QObject* parent) : QObject(parent) {}

LinkWatch::~LinkWatch() { attach(nullptr); }

void LinkWatch::attach(CMsgManager* manager) {
    if (m_manager) m_manager->removeExchangeObserver(this);
    m_manager = manager;
    if (m_manager) m_manager->addExchangeObserver(this);
}

LinkWatch::Cause LinkWatch::causeOf(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::NoReply:
            return Cause::NoReplies;
        case ExchangeOutcome::Incomplete:
        case ExchangeOutcome::Rejected:
            return Cause::Late;
        case ExchangeOutcome::CrcError:
            return Cause::Crc;
        case ExchangeOutcome::Valid:
        case ExchangeOutcome::Exception:
            break;
    }
    return Cause::None;
}

void LinkWatch::exchangeClosed(const LinkExchange& exchange) {
    m_ring[static_cast<size_t>(m_next)] = exchange.outcome;
    m_next = (m_next + 1) % kWindow;
    if (m_count < kWindow) ++m_count;

    // Only polls count towards staleness: a write says nothing about a window's values.
    if (exchange.persistent && exchange.function == 3) {
        auto it = m_windows.find(exchange.winId);
        if (it != m_windows.end()) {
            if (exchange.outcome == ExchangeOutcome::Valid) {
                it->misses = 0;
                setStale(exchange.winId, *it, false);
            } else if (++it->misses >= it->threshold) {
                it->misses = it->threshold;  // no overflow on a link that stays silent for days
                setStale(exchange.winId, *it, true);
            }
        }
    }
    emit qualityChanged();
}

int LinkWatch::validCount() const {
    int n = 0;
    for (int i = 0; i < m_count; ++i)
        if (m_ring[static_cast<size_t>(i)] == ExchangeOutcome::Valid) ++n;
    return n;
}

LinkWatch::Cause LinkWatch::dominantCause() const {
    std::array<int, 4> byCause{};
    int losses = 0;
    for (int i = 0; i < m_count; ++i) {
        const ExchangeOutcome o = m_ring[static_cast<size_t>(i)];
        if (o == ExchangeOutcome::Valid) continue;
        ++losses;
        ++byCause[static_cast<size_t>(causeOf(o))];
    }
    if (losses < kMinLossesForHint) return Cause::None;
    for (const Cause c : {Cause::NoReplies, Cause::Late, Cause::Crc}) {
        if (2 * byCause[static_cast<size_t>(c)] > losses) return c;
    }
    return Cause::None;
}

QString LinkWatch::hintText(Cause cause) {
    switch (cause) {
        case Cause::NoReplies:
            return QStringLiteral("No replies: check the port, the wiring and the controller's address");
        case Cause::Late:
            return QStringLiteral(
                "Replies arrive after the scan interval: raise the scan rate in Tools > Options");
        case Cause::Crc:
            return QStringLiteral("CRC errors: check the cable and its termination");
        case Cause::None:
            break;
    }
    return QString();
}

QString LinkWatch::qualityText() const {
    if (m_count == 0) return QString();
    // Rounded down, so 49 of 50 never reads as 100 %.
    return QStringLiteral("Link %1 % valid").arg(validCount() * 100 / m_count);
}

void LinkWatch::resetQuality() {
    m_next = 0;
    m_count = 0;
    emit qualityChanged();
}

void LinkWatch::watchWindow(qint32 winId, int blocks) {
    auto it = m_windows.find(winId);
    if (it == m_windows.end()) {
        it = m_windows.insert(winId, Watched{});
        it->stale = !m_linkUp;
    }
    it->threshold = kStaleRounds * qMax(1, blocks);
}

bool LinkWatch::isStale(qint32 winId) const {
    const auto it = m_windows.constFind(winId);
    return it == m_windows.constEnd() ? !m_linkUp : it->stale;
}

void LinkWatch::setLinkUp(bool up) {
    m_linkUp = up;
    if (up) return;
    for (auto it = m_windows.begin(); it != m_windows.end(); ++it) {
        it->misses = 0;
        setStale(it.key(), *it, true);
    }
}

void LinkWatch::setStale(qint32 winId, Watched& w, bool stale) {
    if (w.stale == stale) return;
    w.stale = stale;
    emit staleChanged(winId, stale);
}
