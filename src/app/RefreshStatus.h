#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class CScanLoop;
class QLabel;
class QStatusBar;

// The status bar's "Refresh 1.4 s": how long one pass over every polled block takes, so a
// technician sees how fresh the values on screen are. Shown while the link is up and the scan has
// gone once round the queue; empty and hidden otherwise. Follows the scan loop's ticks.
class RefreshStatus : public QObject {
    Q_OBJECT
public:
    RefreshStatus(QStatusBar& bar, CScanLoop& loop, QObject* parent = nullptr);

    // Brings the text up to date (also called by every tick).
    void update();
    [[nodiscard]] QLabel* label() const { return m_label; }

    // "Refresh 1.4 s" for a cycle of `ms` milliseconds; empty for a cycle not known (negative).
    [[nodiscard]] static QString text(qint64 ms);

private:
    CScanLoop& m_loop;
    QPointer<QLabel> m_label;
    qint64 m_shownTenths = -1;  // what the label shows; -1: nothing
};
