#pragma once

#include <QAbstractTableModel>
#include <deque>

#include "comm/LinkExchange.h"

class QIODevice;

// The Link Monitor's live table: the last kCapacity exchanges, oldest first. Fed by the message
// manager while the monitor is open; when full, the oldest row goes as each new one comes.
class ExchangeTableModel : public QAbstractTableModel, public IExchangeObserver {
    Q_OBJECT
public:
    static constexpr int kCapacity = 10000;
    enum Column { Time, Window, Function, Start, Count, Outcome, ReplyMs, Request, Reply, ColumnCount };
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
        qint32 winId;
        qint16 start;
        qint16 count;
        quint8 function;
        ExchangeOutcome outcome;
        quint8 exceptionCode;
    };
    std::deque<Row> m_rows;
    bool m_paused = false;
    qint64 m_skipped = 0;
};

// Writes every row of `model` as CSV: one header line of the column titles, then one line per row
// of the texts (ExportRole where a column has one, else the display text); a field with a comma, quote or
// line break is quoted. CR LF line ends. Returns false when the device fails.
[[nodiscard]] bool writeCsv(const QAbstractItemModel& model, QIODevice& out);
