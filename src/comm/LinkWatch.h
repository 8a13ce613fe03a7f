#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>

#include "comm/LinkExchange.h"

class CMsgManager;

// The program's running view of the link, fed by the message manager's exchanges: the share of valid
// replies over the last exchanges with a hint when most losses share one cause (the status bar), and
// which display windows have gone without a reply for too long (their values are drawn as stale).
//
// Losses are put down to three causes a technician can act on: nothing came back (port, wiring,
// address), replies that come too late for the scan interval (an incomplete reply at the tick, or an
// intact reply that answers another request: the one sent before), and damaged frames (CRC). An
// exception reply is the controller's own refusal and counts as a loss without a cause.
class LinkWatch : public QObject, public IExchangeObserver {
    Q_OBJECT
public:
    static constexpr int kWindow = 50;           // exchanges the share is taken over
    static constexpr int kMinLossesForHint = 5;  // fewer losses in the window give no hint
    static constexpr int kStaleRounds = 3;       // polling rounds without a reply before values are stale

    enum class Cause { None, NoReplies, Late, Crc };

    explicit LinkWatch(QObject* parent = nullptr);
    ~LinkWatch() override;

    // Observes `manager` from now on (and no longer the one before); null detaches.
    void attach(CMsgManager* manager);

    void exchangeClosed(const LinkExchange& exchange) override;
    void linkClosed() override { setLinkUp(false); }
    [[nodiscard]] bool wantsDetail() const override { return false; }

    // --- Quality ---------------------------------------------------------------------------------
    // Exchanges in the window so far (0..kWindow), and how many of them were valid.
    [[nodiscard]] int exchangeCount() const { return m_count; }
    [[nodiscard]] int validCount() const;
    // The cause of more than half of the losses in the window, when at least kMinLossesForHint
    // exchanges of it were lost; None otherwise.
    [[nodiscard]] Cause dominantCause() const;
    [[nodiscard]] static QString hintText(Cause cause);
    // "Link 96 % valid" (of the exchanges so far, up to the last 50); empty before the first.
    [[nodiscard]] QString qualityText() const;
    // Forgets the window (a new connection starts afresh).
    void resetQuality();

    // --- Stale windows ---------------------------------------------------------------------------
    // A window with `blocks` polled blocks and WinID `winId` is stale after kStaleRounds x blocks
    // polls of that WinID in a row without a valid reply, and whenever the link is down; the next
    // valid reply of the WinID makes it fresh again.
    void watchWindow(qint32 winId, int blocks);
    [[nodiscard]] bool isStale(qint32 winId) const;
    // Link down (Disconnect, a lost port; the main window starts with it down): every window is stale
    // until its next valid reply. Link up: nothing changes until the replies come. Until told
    // otherwise the link counts as up.
    void setLinkUp(bool up);
    [[nodiscard]] bool linkUp() const { return m_linkUp; }

signals:
    // The share of valid replies (in whole percent) or the dominant cause changed; also after
    // resetQuality.
    void qualityChanged();
    // A WinID turned stale or fresh.
    void staleChanged(qint32 winId, bool stale);

private:
    struct Watched {
        int threshold = kStaleRounds;
        int misses = 0;
        bool stale = false;
    };
    [[nodiscard]] static Cause causeOf(ExchangeOutcome outcome);
    void setStale(qint32 winId, Watched& w, bool stale);

    std::array<ExchangeOutcome, kWindow> m_ring{};
    int m_next = 0;
    int m_count = 0;
    // Kept with the ring, so that nothing is counted over again per exchange.
    int m_valid = 0;
    int m_losses = 0;
    std::array<int, 4> m_byCause{};  // by Cause
    int m_shownPercent = -1;
    Cause m_shownCause = Cause::None;
    QHash<qint32, Watched> m_windows;
    bool m_linkUp = true;
    QPointer<CMsgManager> m_manager;
};
