#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QSystemTrayIcon;
class QWidget;

// One icon with a tooltip in the desktop's notification area, showing the state of the main window's
// connection. Add shows it, Modify shows the current Icon and Tooltip, Remove takes it away.
//
// Where the desktop has no notification area (offscreen, many Linux desktops) nothing is shown by this
// class; it still keeps its state and emits changed(), and the owner shows the same icon and text
// elsewhere (the main window puts them in its status bar).
class clsQTR_TrayIcon : public QObject {
    Q_OBJECT

public:
    // State values.
    static constexpr qint16 kRemoved = 0;
    static constexpr qint16 kAdded = 1;
    static constexpr qint16 kModified = 2;
    // The notification area shows at most 63 characters of a tooltip (64 with the terminating NUL).
    static constexpr int kMaxTooltipLength = 63;

    explicit clsQTR_TrayIcon(QObject* parent = nullptr);
    ~clsQTR_TrayIcon() override;

    [[nodiscard]] QWidget* owner() const { return m_owner; }
    void setOwner(QWidget* owner) { m_owner = owner; }
    [[nodiscard]] qint16 State() const { return m_State; }

    void Remove();
    void Modify();
    void Add();

    [[nodiscard]] const QIcon& Icon() const { return m_Icon; }
    void setIcon(const QIcon& icon) { m_Icon = icon; }
    [[nodiscard]] const QString& Tooltip() const { return m_Tooltip; }
    void setTooltip(const QString& tooltip) { m_Tooltip = tooltip; }

    // The tooltip as the notification area shows it (cut to kMaxTooltipLength characters).
    [[nodiscard]] QString shownTooltip() const { return m_Tooltip.left(kMaxTooltipLength); }
    // True when the icon really sits in a notification area.
    [[nodiscard]] bool inNotificationArea() const { return m_tray != nullptr; }

signals:
    // After every Add, Modify and Remove.
    void changed();

private:
    void show();

    QPointer<QWidget> m_owner;
    qint16 m_State = kRemoved;
    QIcon m_Icon;
    QString m_Tooltip;
    std::unique_ptr<QSystemTrayIcon> m_tray;
};
