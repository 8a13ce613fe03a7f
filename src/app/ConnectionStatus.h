#pragma once

#include <QIcon>
#include <QLabel>
#include <QObject>
#include <QPointer>

#include "comm/CSerialService.h"
class QMainWindow;
class LinkWatch;
class clsQTR_TrayIcon;

// Shows the state of the controller link: the tray icon (connected / disconnected icon and the
// tooltip "Connected - COM1" / "Disconnected"), and in the main window's status bar the same icon and
// text where the desktop has no notification area, plus why a Connect failed or the link was lost.
// While connected, beside it: the share of valid replies over the last 50 exchanges and, when most
// losses have one cause, a hint in plain words (from the link watch).
class ConnectionStatus : public QObject {
    Q_OBJECT

public:
    explicit ConnectionStatus(QMainWindow& window);
    ~ConnectionStatus() override;

    // Puts the disconnected icon with "Disconnected" into the notification area.
    void Add();
    // The link is up on port `number`.
    void showConnected(qint16 number);
    // The link is down (Disconnect).
    void showDisconnected();
    // Connect failed: nothing changes but the status bar, which tells why.
    void showOpenFailure(const CSerialService::OpenFailure& failure);
    // The device went away underneath an open link.
    void showLinkLost(const QString& reason);
    // Takes the icon out of the notification area (the main window is closing).
    void Remove();
    // Shows the link quality of `watch` while connected.
    void watchLink(LinkWatch* watch);
    [[nodiscard]] QLabel* qualityText() const { return m_quality; }
    [[nodiscard]] QLabel* hintText() const { return m_hint; }

    [[nodiscard]] clsQTR_TrayIcon& tray() const { return *m_tray; }
    // The status bar's copy of the tray (shown only where there is no notification area).
    [[nodiscard]] QLabel* indicatorText() const { return m_indicatorText; }

private:
    void mirrorTray();

    QMainWindow& m_window;
    QIcon m_connectedIcon;
    QIcon m_disconnectedIcon;
    clsQTR_TrayIcon* m_tray;  // child of this object
    QPointer<QLabel> m_indicatorIcon;
    QPointer<QLabel> m_indicatorText;
    QPointer<LinkWatch> m_watch;
    QPointer<QLabel> m_quality;
    QPointer<QLabel> m_hint;
    bool m_connected = false;
    void showQuality();
};
