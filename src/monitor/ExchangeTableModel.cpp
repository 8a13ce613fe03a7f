#include "monitor/ExchangeTableModel.h"

#include <QIODevice>

#include "monitor/ExchangeText.h"

ExchangeTableModel::ExchangeTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ExchangeTableModel::exchangeClosed(const LinkExchange& x) {
    if (m_paused) {
        ++m_skipped;
        return;
    }
    if (m_rows.size() >= static_cast<size_t>(kCapacity)) {
        beginRemoveRows({}, 0, 0);
        m_rows.pop_front();
        endRemoveRows();
    }
    const int row = static_cast<int>(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.push_back(Row{x.sentAtMs, x.request, x.reply, static_cast<float>(x.replyMs()), x.winId,
                         static_cast<qint16>(x.startingReg), static_cast<qint16>(x.count),
                         static_cast<quint8>(x.function), x.outcome, x.exceptionCode});
    endInsertRows();
}

void ExchangeTableModel::clear() {
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
