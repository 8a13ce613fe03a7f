#include "app/ConnectionStatus.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include "app/AppIcons.h"
#include "app/clsQTR_TrayIcon.h"
#include "base/StringTable.h"
#include "comm/LinkWatch.h"

namespace {
// How long a failure stays in the status bar (it goes earlier when the next one comes).
constexpr int kFailureShownMs = 30000;
}  // namespace

ConnectionStatus::ConnectionStatus(QMainWindow& window)
    : QObject(&window),
      m_window(window),
      m_connectedIcon(AppIcons::load(AppIcons::Kind::Connected)),
      m_disconnectedIcon(AppIcons::load(AppIcons::Kind::Disconnected)),
      m_tray(new clsQTR_TrayIcon(this)) {
    m_tray->setOwner(&window);

    QStatusBar* bar = window.statusBar();
    m_indicatorIcon = new QLabel(bar);
    m_indicatorIcon->setObjectName(QStringLiteral("lblConnectionIcon"));
    m_indicatorText = new QLabel(bar);
    m_indicatorText->setObjectName(QStringLiteral("lblConnection"));
    m_indicatorText->setMinimumWidth(
        m_indicatorText->fontMetrics().horizontalAdvance(QStringLiteral("Connected - COM255  ")));
    m_hint = new QLabel(bar);
    m_hint->setObjectName(QStringLiteral("lblLinkHint"));
    m_hint->setContentsMargins(0, 0, m_hint->fontMetrics().horizontalAdvance(QStringLiteral("xx")), 0);
    m_quality = new QLabel(bar);
    m_quality->setObjectName(QStringLiteral("lblLinkQuality"));
    m_quality->setToolTip(QStringLiteral("Valid replies among the last 50 exchanges"));
    bar->addPermanentWidget(m_hint);
    bar->addPermanentWidget(m_quality);
    m_hint->hide();
    m_quality->hide();
    bar->addPermanentWidget(m_indicatorIcon);
    bar->addPermanentWidget(m_indicatorText);
    m_indicatorIcon->hide();
    m_indicatorText->hide();
    connect(m_tray, &clsQTR_TrayIcon::changed, this, &ConnectionStatus::mirrorTray);
}

ConnectionStatus::~ConnectionStatus() = default;

void ConnectionStatus::Add() {
    m_tray->setIcon(m_disconnectedIcon);
    m_tray->setTooltip(StringTable::text(201));
    m_tray->Add();
}

void ConnectionStatus::showConnected(qint16 number) {
    m_tray->setIcon(m_connectedIcon);
    m_tray->setTooltip(StringTable::text(200) + QString::number(number));
    m_tray->Modify();
    m_window.statusBar()->clearMessage();
    m_connected = true;
    showQuality();
}

void ConnectionStatus::showDisconnected() {
    m_connected = false;
    showQuality();
    m_tray->setIcon(m_disconnectedIcon);
    m_tray->setTooltip(StringTable::text(201));
    m_tray->Modify();
    m_window.statusBar()->clearMessage();
}

void ConnectionStatus::showOpenFailure(const CSerialService::OpenFailure& failure) {
    QString why = failure.message;
    if (why.isEmpty()) why = QStringLiteral("COM%1 could not be opened").arg(failure.number);
    m_window.statusBar()->showMessage(QStringLiteral("Not connected: ") + why, kFailureShownMs);
}

void ConnectionStatus::showLinkLost(const QString& reason) {
    showDisconnected();
    m_window.statusBar()->showMessage(QStringLiteral("Connection lost: ") + reason, kFailureShownMs);
}

void ConnectionStatus::Remove() { m_tray->Remove(); }

void ConnectionStatus::watchLink(LinkWatch* watch) {
    if (m_watch) disconnect(m_watch, nullptr, this, nullptr);
    m_watch = watch;
    if (m_watch) connect(m_watch, &LinkWatch::qualityChanged, this, &ConnectionStatus::showQuality);
    showQuality();
}

// Called after every exchange: the labels are only touched when their text changes.
void ConnectionStatus::showQuality() {
    if (!m_quality || !m_hint) return;
    const QString quality = m_connected && m_watch ? m_watch->qualityText() : QString();
    const QString hint = m_connected && m_watch ? LinkWatch::hintText(m_watch->dominantCause()) : QString();
    if (m_quality->text() != quality) m_quality->setText(quality);
    if (m_hint->text() != hint) m_hint->setText(hint);
    m_quality->setVisible(!quality.isEmpty());
    m_hint->setVisible(!hint.isEmpty());
}

// Without a notification area the status bar shows what the tray icon would.
void ConnectionStatus::mirrorTray() {
    if (!m_indicatorIcon || !m_indicatorText) return;
    const bool show = !m_tray->inNotificationArea() && m_tray->State() != clsQTR_TrayIcon::kRemoved;
    const int size = m_indicatorText->fontMetrics().height();
    m_indicatorIcon->setPixmap(m_tray->Icon().pixmap(size, size));
    m_indicatorText->setText(m_tray->shownTooltip());
    m_indicatorIcon->setVisible(show);
    m_indicatorText->setVisible(show);
}
