#include "monitor/BlockTableModel.h"

#include "monitor/ExchangeText.h"

namespace {
quint64 blockKey(qint32 winId, qint32 start, qint32 count) {
    return (quint64(quint32(winId)) << 32) | (quint64(quint16(start)) << 16) | quint64(quint16(count));
}
}  // namespace

BlockTableModel::BlockTableModel(QObject* parent) : QAbstractTableModel(parent), m_refresh(this) {
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, [this] {
        if (m_firstChanged < 0) return;
        emit dataChanged(index(m_firstChanged, Sent), index(m_lastChanged, WorstMs));
        m_firstChanged = m_lastChanged = -1;
    });
}

void BlockTableModel::exchangeClosed(const LinkExchange& x) {
    if (!x.persistent || x.function != 3) return;
    const quint64 key = blockKey(x.winId, x.startingReg, x.count);
    auto it = m_index.constFind(key);
    int row = 0;
    if (it == m_index.constEnd()) {
        row = static_cast<int>(m_blocks.size());
        beginInsertRows({}, row, row);
        Block b;
        b.winId = x.winId;
        b.start = x.startingReg;
        b.count = x.count;
        m_blocks.append(b);
        m_index.insert(key, row);
        endInsertRows();
    } else {
        row = *it;
    }
    Block& b = m_blocks[row];
    ++b.sent;
    ++b.byOutcome[static_cast<size_t>(x.outcome)];
    // The reply time is only that of a reply the engine took: a loss has none.
    if (x.outcome == ExchangeOutcome::Valid) {
        b.lastMs = x.replyMs();
        b.worstMs = qMax(b.worstMs, b.lastMs);
    }
    m_firstChanged = m_firstChanged < 0 ? row : qMin(m_firstChanged, row);
    m_lastChanged = qMax(m_lastChanged, row);
    if (!m_refresh.isActive()) m_refresh.start();
}

void BlockTableModel::clear() {
    m_refresh.stop();
    m_firstChanged = m_lastChanged = -1;
    beginResetModel();
    m_blocks.clear();
    m_index.clear();
    endResetModel();
}

int BlockTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_blocks.size());
}

int BlockTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BlockTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount()) return {};
    if (role == Qt::TextAlignmentRole) {
        return int((index.column() == Window ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) return {};
    const Block& b = m_blocks[index.row()];
    auto ms = [](double v) { return v < 0 ? QStringLiteral("-") : QString::number(v, 'f', 1); };
    auto n = [&b](ExchangeOutcome o) { return b.byOutcome[static_cast<size_t>(o)]; };
    switch (index.column()) {
        case Window:
            return ExchangeText::windowName(b.winId);
        case Start:
            return b.start;
        case Count:
            return b.count;
        case Sent:
            return b.sent;
        case Valid:
            return n(ExchangeOutcome::Valid);
        case NoReply:
            return n(ExchangeOutcome::NoReply);
        case Incomplete:
            return n(ExchangeOutcome::Incomplete);
        case CrcError:
            return n(ExchangeOutcome::CrcError);
        case Exception:
            return n(ExchangeOutcome::Exception);
        case Rejected:
            return n(ExchangeOutcome::Rejected);
        case LastMs:
            return ms(b.lastMs);
        case WorstMs:
            return ms(b.worstMs);
        default:
            return {};
    }
}

QVariant BlockTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[ColumnCount] = {"Window",    "Start",    "Count",      "Sent",
                                                     "Valid",     "No reply", "Incomplete", "CRC error",
                                                     "Exception", "Rejected", "Last ms",    "Worst ms"};
    if (section < 0 || section >= ColumnCount) return {};
    return QString::fromLatin1(kTitles[section]);
}
