#include "app/RefreshStatus.h"

#include <QLabel>
#include <QStatusBar>

#include "comm/CScanLoop.h"

RefreshStatus::RefreshStatus(QStatusBar& bar, CScanLoop& loop, QObject* parent)
    : QObject(parent), m_loop(loop) {
    m_label = new QLabel(&bar);
    m_label->setObjectName(QStringLiteral("lblRefresh"));
    m_label->setToolTip(QStringLiteral("Time to read every block the open windows show once"));
    m_label->hide();
    bar.addPermanentWidget(m_label);
    connect(&loop, &CScanLoop::ticked, this, &RefreshStatus::update);
}

QString RefreshStatus::text(qint64 ms) {
    if (ms < 0) return {};
    // Tenths of a second, rounded half up: 1450 ms reads "Refresh 1.5 s".
    const qint64 tenths = (ms + 50) / 100;
    return QStringLiteral("Refresh %1.%2 s").arg(tenths / 10).arg(tenths % 10);
}

void RefreshStatus::update() {
    if (!m_label) return;
    const qint64 ms = m_loop.isScanning() && m_loop.COM_IsOpen() ? m_loop.refreshCycleMs() : -1;
    // Runs after every tick: the text is made and set only when the tenths shown change.
    const qint64 tenths = ms < 0 ? -1 : (ms + 50) / 100;
    if (tenths == m_shownTenths) return;
    m_shownTenths = tenths;
    const QString now = text(ms);
    m_label->setText(now);
    m_label->setVisible(!now.isEmpty());
}
