#pragma once

#include <QPointer>
#include <QWidget>

#include "monitor/BlockTableModel.h"
#include "monitor/ExchangeTableModel.h"

class CMsgManager;
class QComboBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

// Tools > Link Monitor...: every exchange of the message manager while the window is open (the last
// 10,000, newest at the bottom), filtered by outcome, paused, cleared or saved as CSV; below it one
// row per polled block. A tool window of the main window, not a display window: it has no data
// group, sends nothing and is not part of a screen file. It observes the manager only while it
// exists, so with the monitor closed the engine does no work for it.
class frmLinkMonitor : public QWidget {
    Q_OBJECT
public:
    explicit frmLinkMonitor(CMsgManager* manager, QWidget* parent = nullptr);
    ~frmLinkMonitor() override;

    [[nodiscard]] ExchangeTableModel& exchanges() { return m_exchanges; }
    [[nodiscard]] BlockTableModel& blocks() { return m_blocks; }
    // The rows shown (after the outcome filter).
    [[nodiscard]] QSortFilterProxyModel& shown() const { return *m_filter; }

    // Asks for a file name (through the UI services) and writes the rows shown as CSV; false when
    // cancelled or the file cannot be written (the user is told).
    bool SaveAsCsv();

private:
    void applyFilter(int choice);
    void updateCounts();

    QPointer<CMsgManager> m_manager;
    ExchangeTableModel m_exchanges;
    BlockTableModel m_blocks;
    QSortFilterProxyModel* m_filter;
    QTableView* m_exchangeView;
    QTableView* m_blockView;
    QPushButton* m_pause;
    QComboBox* m_outcome;
    QLabel* m_counts;
};
