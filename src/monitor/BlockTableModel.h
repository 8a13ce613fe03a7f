#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QTimer>
#include <QVector>
#include <array>

#include "comm/LinkExchange.h"

// The Link Monitor's second table: one row per polled block (WinID, start, count of a persistent
// read), in the order the blocks were first seen, with what became of its requests. For every row
// Sent = Valid + the lost columns. The counts are current at once; the views are told of changed
// rows at most every kRefreshMs.
class BlockTableModel : public QAbstractTableModel, public IExchangeObserver {
    Q_OBJECT
public:
    enum Column {
        Window,
        Start,
        Count,
        Sent,
        Valid,
        NoReply,
        Incomplete,
        CrcError,
        Exception,
        Rejected,
        LastMs,
        WorstMs,
        ColumnCount
    };

    static constexpr int kRefreshMs = 100;

    explicit BlockTableModel(QObject* parent = nullptr);

    void exchangeClosed(const LinkExchange& exchange) override;
    void clear();

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;

private:
    struct Block {
        qint32 winId = 0;
        qint32 start = 0;
        qint32 count = 0;
        qint64 sent = 0;
        std::array<qint64, kExchangeOutcomeCount> byOutcome{};
        double lastMs = -1;  // of the last valid reply; -1 before the first
        double worstMs = -1;
    };
    QVector<Block> m_blocks;
    QHash<quint64, int> m_index;  // (WinID, start, count) -> row
    QTimer m_refresh;
    int m_firstChanged = -1;  // rows changed since the views were last told
    int m_lastChanged = -1;
};
