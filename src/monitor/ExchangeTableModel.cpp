#include "monitor/ExchangeTableModel.h"

#include <QIODevice>

#include "monitor/ExchangeText.h"

ExchangeTableModel::ExchangeTableModel(QObject* parent) : QAbstractTableModel(parent), m_flushTimer(this) {
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &ExchangeTableModel::flush);
}

ExchangeTableModel::Row ExchangeTableModel::rowOf(const LinkExchange& x) {
    return Row{x.sentAtMs,
               x.request,
               x.reply.toByteArray(),
               static_cast<float>(x.replyMs()),
               x.latencyUs < 0 ? -1.0F : static_cast<float>(double(x.latencyUs) / 1000),
               x.intervalMs,
               x.winId,
               static_cast<qint16>(x.startingReg),
               static_cast<qint16>(x.count),
               static_cast<quint8>(x.function),
               x.outcome,
               x.exceptionCode};
}

void ExchangeTableModel::exchangeClosed(const LinkExchange& x) {
    if (m_paused) {
        ++m_skipped;
        return;
    }
    // More waiting than the table holds (the event loop was held up): only the newest can be shown.
    if (m_pending.size() >= static_cast<size_t>(kCapacity)) m_pending.pop_front();
    m_pending.push_back(rowOf(x));
    if (!m_flushTimer.isActive()) m_flushTimer.start();
}

void ExchangeTableModel::flush() {
    m_flushTimer.stop();
    if (m_pending.empty()) return;
    const auto n = static_cast<int>(m_pending.size());
    const int overflow = static_cast<int>(m_rows.size()) + n - kCapacity;
    if (overflow > 0) {
        beginRemoveRows({}, 0, overflow - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + overflow);
        endRemoveRows();
    }
    const auto first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + n - 1);
    for (Row& r : m_pending) m_rows.push_back(std::move(r));
    m_pending.clear();
    endInsertRows();
}

void ExchangeTableModel::clear() {
    m_flushTimer.stop();
    m_pending.clear();
    beginResetModel();
    m_rows.clear();
    m_skipped = 0;
    endResetModel();
}

int ExchangeTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ExchangeTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ExchangeTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount()) return {};
    const Row& r = m_rows[static_cast<size_t>(index.row())];
    if (role == OutcomeRole && index.column() == Outcome) return static_cast<int>(r.outcome);
    // The table shows the time of day; the date is in the tooltip and the file.
    if ((role == ExportRole || role == Qt::ToolTipRole) && index.column() == Time)
        return ExchangeText::time(r.sentAtMs);
    // A long reply is cut off in its column; the whole of it is in the tooltip (and the CSV file).
    if (role == Qt::ToolTipRole && (index.column() == Request || index.column() == Reply))
        return ExchangeText::hex(index.column() == Request ? r.request : r.reply);
    if (role == Qt::TextAlignmentRole) {
        switch (index.column()) {
            case Function:
            case Start:
            case Count:
            case ReplyMs:
            case IntervalMs:
            case LatencyMs:
                return int(Qt::AlignRight | Qt::AlignVCenter);
            default:
                return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case Time:
            return ExchangeText::time(r.sentAtMs).mid(11);
        case Window:
            return ExchangeText::windowName(r.winId);
        case Function:
            return int(r.function);
        case Start:
            return int(r.start);
        case Count:
            return int(r.count);
        case Outcome:
            return outcomeText(r.outcome, r.exceptionCode);
        case ReplyMs:
            return QString::number(r.replyMs, 'f', 1);
        case IntervalMs:
            return r.intervalMs > 0 ? QString::number(r.intervalMs) : QString();
        case LatencyMs:
            return r.latencyMs >= 0 ? QString::number(r.latencyMs, 'f', 1) : QString();
        case Request:
            return ExchangeText::hex(r.request);
        case Reply:
            return ExchangeText::hex(r.reply);
        default:
            return {};
    }
}

QVariant ExchangeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case Time:
            return QStringLiteral("Time");
        case Window:
            return QStringLiteral("Window");
        case Function:
            return QStringLiteral("Function");
        case Start:
            return QStringLiteral("Start");
        case Count:
            return QStringLiteral("Count");
        case Outcome:
            return QStringLiteral("Outcome");
        case ReplyMs:
            return QStringLiteral("Reply ms");
        case IntervalMs:
            return QStringLiteral("Interval ms");
        case LatencyMs:
            return QStringLiteral("Latency ms");
        case Request:
            return QStringLiteral("Request (hex)");
        case Reply:
            return QStringLiteral("Reply (hex)");
        default:
            return {};
    }
}

namespace {
QString csvField(QString text) {
    if (text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r')) {
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        return u'"' + text + u'"';
    }
    return text;
}
}  // namespace

bool writeCsv(const QAbstractItemModel& model, QIODevice& out) {
    const int columns = model.columnCount();
    auto writeLine = [&](const QStringList& fields) {
        const QByteArray line = fields.join(u',').toUtf8() + "\r\n";
        return out.write(line) == line.size();
    };
    QStringList fields;
    for (int c = 0; c < columns; ++c)
        fields << csvField(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    if (!writeLine(fields)) return false;
    for (int r = 0; r < model.rowCount(); ++r) {
        fields.clear();
        for (int c = 0; c < columns; ++c) {
            const QModelIndex i = model.index(r, c);
            const QVariant exported = i.data(ExchangeTableModel::ExportRole);
            fields << csvField(exported.isValid() ? exported.toString() : i.data().toString());
        }
        if (!writeLine(fields)) return false;
    }
    return true;
}
