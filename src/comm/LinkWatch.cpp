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
    auto count = [this](ExchangeOutcome o, int by) {
        if (o == ExchangeOutcome::Valid) {
            m_valid += by;
        } else {
            m_losses += by;
            m_byCause[static_cast<size_t>(causeOf(o))] += by;
        }
    };
    ExchangeOutcome& slot = m_ring[static_cast<size_t>(m_next)];
    if (m_count == kWindow) count(slot, -1);  // the oldest leaves the window
    slot = exchange.outcome;
    count(slot, +1);
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
    // Told only when what the status bar shows changes: at a steady link, never.
    const int percent = m_valid * 100 / m_count;
    const Cause cause = dominantCause();
    if (percent != m_shownPercent || cause != m_shownCause) {
        m_shownPercent = percent;
        m_shownCause = cause;
        emit qualityChanged();
    }
}

int LinkWatch::validCount() const { return m_valid; }

LinkWatch::Cause LinkWatch::dominantCause() const {
    if (m_losses < kMinLossesForHint) return Cause::None;
    for (const Cause c : {Cause::NoReplies, Cause::Late, Cause::Crc}) {
        if (2 * m_byCause[static_cast<size_t>(c)] > m_losses) return c;
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
    return QStringLiteral("Link %1 % valid").arg(m_valid * 100 / m_count);
}

void LinkWatch::resetQuality() {
    m_next = 0;
    m_count = 0;
    m_valid = 0;
    m_losses = 0;
    m_byCause = {};
    m_shownPercent = -1;
    m_shownCause = Cause::None;
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
