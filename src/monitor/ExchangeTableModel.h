#pragma once

#include <QAbstractTableModel>
#include <QTimer>
#include <deque>

#include "comm/LinkExchange.h"

class QIODevice;

// The Link Monitor's live table: the last kCapacity exchanges, oldest first. Fed by the message
// manager while the monitor is open; when full, the oldest rows go as new ones come.
//
// Inside the scan tick an exchange is only copied aside; the rows are added in one go by flush(),
// which runs by itself kFlushMs after the first exchange waiting, so the views see one insertion
// (and at most one removal) per flush instead of one per exchange.
class ExchangeTableModel : public QAbstractTableModel, public IExchangeObserver {
    Q_OBJECT
public:
    static constexpr int kCapacity = 10000;
    static constexpr int kFlushMs = 100;
    enum Column {
        Time,
        Window,
        Function,
        Start,
        Count,
        Outcome,
        ReplyMs,
        IntervalMs,
        LatencyMs,
        Request,
        Reply,
        ColumnCount
    };
    // Qt::UserRole of the Outcome column: the outcome as an int (ExchangeOutcome), for filters.
    static constexpr int OutcomeRole = Qt::UserRole;
    // The text a file gets where it differs from the one shown: the Time column with its date.
    static constexpr int ExportRole = Qt::UserRole + 1;

    explicit ExchangeTableModel(QObject* parent = nullptr);

    void exchangeClosed(const LinkExchange& exchange) override;

    // Paused: exchanges are counted (skipped()) but not added.
    void setPaused(bool paused) { m_paused = paused; }
    [[nodiscard]] bool paused() const { return m_paused; }
    [[nodiscard]] qint64 skipped() const { return m_skipped; }
    void clear();
    // Adds the exchanges waiting since the last flush.
    void flush();

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;

private:
    struct Row {
        qint64 sentAtMs;
        QByteArray request;
        QByteArray reply;
        float replyMs;
        float latencyMs;  // negative: not measured
        qint32 intervalMs;
        qint32 winId;
        qint16 start;
        qint16 count;
        quint8 function;
        ExchangeOutcome outcome;
        quint8 exceptionCode;
    };
    [[nodiscard]] static Row rowOf(const LinkExchange& x);
    std::deque<Row> m_rows;
    std::deque<Row> m_pending;
    QTimer m_flushTimer;
    bool m_paused = false;
    qint64 m_skipped = 0;
};

// Writes every row of `model` as CSV: one header line of the column titles, then one line per row
// of the texts (ExportRole where a column has one, else the display text); a field with a comma, quote or
// line break is quoted. CR LF line ends. Returns false when the device fails.
[[nodiscard]] bool writeCsv(const QAbstractItemModel& model, QIODevice& out);
