#include "app/clsQTR_TrayIcon.h"

#include <QSystemTrayIcon>
#include <QWidget>

clsQTR_TrayIcon::clsQTR_TrayIcon(QObject* parent) : QObject(parent) {}

clsQTR_TrayIcon::~clsQTR_TrayIcon() = default;

void clsQTR_TrayIcon::show() {
    // The tray is created on first use and only where a notification area exists; the owner's status
    // bar takes its place elsewhere (see changed()).
    if (!m_tray && QSystemTrayIcon::isSystemTrayAvailable()) m_tray = std::make_unique<QSystemTrayIcon>();
    if (m_tray) {
        m_tray->setIcon(m_Icon);
        m_tray->setToolTip(shownTooltip());
        m_tray->show();
    }
}

void clsQTR_TrayIcon::Add() {
    show();
    m_State = kAdded;
    emit changed();
}

void clsQTR_TrayIcon::Modify() {
    // Modifying an icon that is not in the notification area changes nothing there, as on the platform.
    if (m_State != kRemoved) show();
    m_State = kModified;
    emit changed();
}

void clsQTR_TrayIcon::Remove() {
    if (m_tray) m_tray->hide();
    m_State = kRemoved;
    emit changed();
}
