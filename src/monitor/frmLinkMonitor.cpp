#include "monitor/frmLinkMonitor.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "base/UiServices.h"
#include "comm/CMsgManager.h"

namespace {

// The outcome filter's choices: all, every loss, then one per outcome.
constexpr int kFilterAll = 0;
constexpr int kFilterLost = 1;

// Keeps the rows whose outcome passes; the model's OutcomeRole carries the outcome.
class OutcomeFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setChoice(int choice) {
        m_choice = choice;
        invalidateRowsFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (m_choice == kFilterAll) return true;
        const int outcome = sourceModel()
                                ->index(row, ExchangeTableModel::Outcome, parent)
                                .data(ExchangeTableModel::OutcomeRole)
                                .toInt();
        if (m_choice == kFilterLost) return outcome != static_cast<int>(ExchangeOutcome::Valid);
        return outcome == m_choice - 2;
    }

private:
    int m_choice = kFilterAll;
};

QTableView* makeView(QAbstractItemModel* model, const QString& name, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    // Fixed row heights: 10,000 rows are laid out without measuring each.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setHighlightSections(false);
    return view;
}

void setColumnWidths(QTableView* view, const QList<QString>& samples) {
    const QFontMetrics fm = view->fontMetrics();
    for (int c = 0; c < samples.size(); ++c) {
        const QString header = view->model()->headerData(c, Qt::Horizontal).toString();
        view->setColumnWidth(c, qMax(fm.horizontalAdvance(samples[c]), fm.horizontalAdvance(header)) + 16);
    }
}

}  // namespace

frmLinkMonitor::frmLinkMonitor(CMsgManager* manager, QWidget* parent)
    : QWidget(parent, Qt::Window), m_manager(manager), m_filter(new OutcomeFilter(this)) {
    setObjectName(QStringLiteral("frmLinkMonitor"));
    setWindowTitle(QStringLiteral("Link Monitor"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_filter->setSourceModel(&m_exchanges);

    m_pause = new QPushButton(QStringLiteral("&Pause"), this);
    m_pause->setObjectName(QStringLiteral("cmdPause"));
    m_pause->setCheckable(true);
    auto* clear = new QPushButton(QStringLiteral("&Clear"), this);
    clear->setObjectName(QStringLiteral("cmdClear"));
    auto* save = new QPushButton(QStringLiteral("&Save As CSV..."), this);
    save->setObjectName(QStringLiteral("cmdSaveCsv"));
    m_outcome = new QComboBox(this);
    m_outcome->setObjectName(QStringLiteral("cboOutcome"));
    m_outcome->addItem(QStringLiteral("All outcomes"));
    m_outcome->addItem(QStringLiteral("All losses"));
    for (int o = 0; o < kExchangeOutcomeCount; ++o) {
        QString text = outcomeText(static_cast<ExchangeOutcome>(o));
        if (static_cast<ExchangeOutcome>(o) == ExchangeOutcome::Exception) text = QStringLiteral("exception");
        m_outcome->addItem(text);
    }
    auto* outcomeLabel = new QLabel(QStringLiteral("&Show:"), this);
    outcomeLabel->setBuddy(m_outcome);
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("lblCounts"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pause);
    buttons->addWidget(clear);
    buttons->addSpacing(12);
    buttons->addWidget(outcomeLabel);
    buttons->addWidget(m_outcome);
    buttons->addSpacing(12);
    buttons->addWidget(m_counts, 1);
    buttons->addWidget(save);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    m_exchangeView = makeView(m_filter, QStringLiteral("grdExchanges"), splitter);
    m_blockView = makeView(&m_blocks, QStringLiteral("grdBlocks"), splitter);
    splitter->addWidget(m_exchangeView);
    splitter->addWidget(m_blockView);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    setColumnWidths(m_exchangeView,
                    {QStringLiteral("23:59:59.999"), QStringLiteral("Load Control Time Delays"),
                     QStringLiteral("16"), QStringLiteral("1350"), QStringLiteral("123"),
                     QStringLiteral("exception 2"), QStringLiteral("9999.9"), QStringLiteral("32767"),
                     QStringLiteral("999.9"), QStringLiteral("00 10 05 46 00 01 02 00 00 00 00"),
                     QStringLiteral("00 03 1C 0A D3 0A D0 0A D6 0A D2 0A D3 0A D0 0A D6 0A D2 0A D3")});
    setColumnWidths(m_blockView, {QStringLiteral("Load Control Time Delays"), QStringLiteral("1350"),
                                  QStringLiteral("123"), QStringLiteral("999999"), QStringLiteral("999999"),
                                  QStringLiteral("99999"), QStringLiteral("99999"), QStringLiteral("99999"),
                                  QStringLiteral("99999"), QStringLiteral("99999"), QStringLiteral("9999.9"),
                                  QStringLiteral("9999.9")});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    connect(m_pause, &QPushButton::toggled, this, [this](bool on) {
        m_exchanges.setPaused(on);
        updateCounts();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_exchanges.clear();
        m_blocks.clear();
        updateCounts();
    });
    connect(save, &QPushButton::clicked, this, [this] { (void)SaveAsCsv(); });
    connect(m_outcome, &QComboBox::currentIndexChanged, this, &frmLinkMonitor::applyFilter);
    // Follows the newest row while the view is scrolled to the bottom; leaves it alone otherwise.
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, [this] {
        QScrollBar* bar = m_exchangeView->verticalScrollBar();
        if (bar->value() >= bar->maximum() - 1) m_exchangeView->scrollToBottom();
    });
    connect(&m_exchanges, &QAbstractItemModel::rowsInserted, this, &frmLinkMonitor::updateCounts);
    updateCounts();

    resize(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 150, fontMetrics().height() * 36);

    if (m_manager) {
        m_manager->addExchangeObserver(&m_exchanges);
        m_manager->addExchangeObserver(&m_blocks);
    }
}

frmLinkMonitor::~frmLinkMonitor() {
    if (m_manager) {
        m_manager->removeExchangeObserver(&m_exchanges);
        m_manager->removeExchangeObserver(&m_blocks);
    }
}

void frmLinkMonitor::applyFilter(int choice) {
    static_cast<OutcomeFilter*>(m_filter)->setChoice(choice);
    updateCounts();
}

void frmLinkMonitor::updateCounts() {
    QString text =
        QStringLiteral("%1 of %2 exchanges shown").arg(m_filter->rowCount()).arg(m_exchanges.rowCount());
    if (m_exchanges.paused()) text += QStringLiteral(" - paused, %1 not recorded").arg(m_exchanges.skipped());
    m_counts->setText(text);
}

bool frmLinkMonitor::SaveAsCsv() {
    ui::FileDialogRequest r;
    r.open = false;
    r.title = QStringLiteral("Save Link Monitor");
    r.fileName = QStringLiteral("link-monitor.csv");
    r.defaultSuffix = QStringLiteral("csv");
    r.filters = {QStringLiteral("CSV Files (*.csv)"), QStringLiteral("All Files (*)")};
    const std::optional<QString> path = ui::services().fileDialog(this, r);
    if (!path || path->isEmpty()) return false;
    // Written to a temporary file that then replaces the target: a failure leaves an older file whole.
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) || !writeCsv(*m_filter, file) || !file.commit()) {
        ui::message(this,
                    QStringLiteral("Unable to save the link monitor.\n%1: %2").arg(*path, file.errorString()),
                    ui::Icon::Exclamation);
        return false;
    }
    return true;
}
