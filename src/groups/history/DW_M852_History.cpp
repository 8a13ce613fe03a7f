#include "groups/history/DW_M852_History.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/clsApplication.h"
#include "base/ComponentError.h"
#include "base/StringTable.h"
#include "base/UiServices.h"
#include "groups/history/C_M852_History.h"
#include "groups/history/EventList.h"
#include "users/clsUser.h"

namespace {

QString tableText(int id, const QString& fallback) { return StringTable::lookup(id).value_or(fallback); }

QLabel* addLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// Roles 1 and 4 may look at the history but not erase it.
bool mayClear() {
    const clsApplication* app = clsApplication::instance();
    if (!app || !app->CurrentUser()) return false;
    const qint32 role = app->CurrentUser()->Role();
    return role != 1 && role != kGuestRole;
}

}  // namespace

DW_M852_History::DW_M852_History(QWidget* parent)
    : DW_M852_History(std::make_unique<C_M852_History>(), parent) {}

DW_M852_History::DW_M852_History(std::unique_ptr<C_M852_History> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_History = static_cast<C_M852_History*>(&Data());
    setObjectName(QStringLiteral("DW_M852_History"));
    setWindowTitle(tableText(1035, QStringLiteral("Event History")));
    buildUi();
    m_cmdClearHistory->setEnabled(mayClear());
}

void DW_M852_History::buildUi() {
    auto* top = new QVBoxLayout(this);

    m_txtEvents = new QPlainTextEdit(this);
    m_txtEvents->setObjectName(QStringLiteral("txtEvents"));
    m_txtEvents->setReadOnly(true);
    m_txtEvents->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Fixed pitch, so the time and date columns line up.
    m_txtEvents->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics fm(m_txtEvents->font());
    m_txtEvents->setMinimumSize(
        fm.horizontalAdvance(QStringLiteral("00:00 12/31/2028    ")) +
            fm.horizontalAdvance(QStringLiteral("Transfer from Preferred Time Delay Timeout")) + 40,
        fm.lineSpacing() * 18);
    top->addWidget(m_txtEvents, 1);

    auto* bottom = new QHBoxLayout();
    auto* fraSource = new QGroupBox(tableText(1036, QStringLiteral("Lost Preferred Souce")), this);
    fraSource->setObjectName(QStringLiteral("fraSource"));
    auto* grid = new QGridLayout(fraSource);
    grid->setHorizontalSpacing(12);
    grid->addWidget(addLabel(fraSource, "lblTimeTitle", tableText(1037, QStringLiteral("Time"))), 0, 0);
    m_lblTime = addLabel(fraSource, "lblTime", QStringLiteral("HH:MM:SS"));
    grid->addWidget(m_lblTime, 0, 1);
    grid->addWidget(addLabel(fraSource, "lblDateTitle", tableText(1038, QStringLiteral("Date"))), 0, 2);
    m_lblDate = addLabel(fraSource, "lblDate", QStringLiteral("MM/DD/YYYY"));
    grid->addWidget(m_lblDate, 0, 3);
    grid->addWidget(addLabel(fraSource, "lblDurationTitle", tableText(1039, QStringLiteral("Duration"))), 0,
                    4);
    m_lblDuration = addLabel(fraSource, "lblDuration", QStringLiteral("HH:MM"));
    m_lblDuration->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblDuration->setMinimumWidth(
        m_lblDuration->fontMetrics().horizontalAdvance(QStringLiteral("99999:99")));
    grid->addWidget(m_lblDuration, 0, 5);
    grid->addWidget(addLabel(fraSource, "lblDurationUnits", tableText(1040, QStringLiteral("hh:mm"))), 0, 6);
    m_lblTime->setMinimumWidth(m_lblTime->fontMetrics().horizontalAdvance(QStringLiteral("12:00 AM ")));
    m_lblDate->setMinimumWidth(m_lblDate->fontMetrics().horizontalAdvance(QStringLiteral("MM/DD/YYYY ")));
    bottom->addWidget(fraSource, 1);

    auto* buttons = new QVBoxLayout();
    m_cmdClearHistory = new QPushButton(tableText(1041, QStringLiteral("&Clear History")), this);
    m_cmdClearHistory->setObjectName(QStringLiteral("cmdClearHistory"));
    m_cmdSaveHistory = new QPushButton(tableText(1042, QStringLiteral("&Save History...")), this);
    m_cmdSaveHistory->setObjectName(QStringLiteral("cmdSaveHistory"));
    buttons->addWidget(m_cmdClearHistory);
    buttons->addWidget(m_cmdSaveHistory);
    buttons->addStretch(1);
    bottom->addLayout(buttons);
    top->addLayout(bottom);

    connect(m_cmdClearHistory, &QPushButton::clicked, this, &DW_M852_History::cmdClearHistory_Click);
    connect(m_cmdSaveHistory, &QPushButton::clicked, this, &DW_M852_History::cmdSaveHistory_Click);
    resize(sizeHint());
}

void DW_M852_History::UpdateDisplay() {
    UpdateEventList();
    UpdateLostSource();
}

void DW_M852_History::UpdateEventList() {
    QString text = EventList::Build(*m_History);
    // Assigning resets the scroll position and repaints: only when something changed.
    if (text == m_listText) return;
    m_listText = std::move(text);
    m_txtEvents->setPlainText(m_listText);
}

void DW_M852_History::UpdateLostSource() {
    m_lblTime->setText(EventList::LastLossTimeText(m_History->LastLossTime()));
    m_lblDate->setText(EventList::LastLossDateText(m_History->LastLossDate()));
    m_lblDuration->setText(EventList::LastLossDurationText(m_History->LastLossDuration()));
}

bool DW_M852_History::confirmClear() {
    // Own box rather than ui::message: No must be the default button, so that Enter keeps the history.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("WARNING"),
                    QStringLiteral("Clear History erases every event stored in the controller; the "
                                   "controller keeps no other record of past faults.\n\n"
                                   "Do you want to clear the event history?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("msgClearHistory"));
    box.button(QMessageBox::Yes)->setObjectName(QStringLiteral("cmdYes"));
    box.button(QMessageBox::No)->setObjectName(QStringLiteral("cmdNo"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    ui::services().execDialog(box);
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

void DW_M852_History::cmdClearHistory_Click() {
    if (!mayClear() || !confirmClear()) return;
    try {
        m_History->ClearHistory();
    } catch (const ComponentError& e) {
        ui::message(this, QStringLiteral("Error #%1\n%2").arg(e.number()).arg(e.description()),
                    ui::Icon::Critical);
    }
}

void DW_M852_History::cmdSaveHistory_Click() {
    ui::FileDialogRequest request;
    request.open = false;
    request.title = QStringLiteral("Save Event Log");
    request.defaultSuffix = QStringLiteral("log");
    request.filters = {QStringLiteral("Log Files (*.log)"), QStringLiteral("All Files (*.*)")};
    request.selectedFilter = 0;
    request.confirmOverwrite = false;
    const std::optional<QString> fileName = ui::services().fileDialog(this, request);
    if (!fileName) return;  // cancelled
    for (;;) {
        try {
            WriteLogFile(*fileName);
            return;
        } catch (const ComponentError& e) {
            const ui::Answer answer = ui::services().message(
                this, QStringLiteral("Error #%1\n%2").arg(e.number()).arg(e.description()),
                QStringLiteral("Save History"), ui::Icon::Critical, ui::Buttons::RetryCancel);
            if (answer != ui::Answer::Retry) return;
        }
    }
}

void DW_M852_History::WriteLogFile(const QString& fileName) const {
    EventList::WriteLogFile(fileName, m_listText);
}
