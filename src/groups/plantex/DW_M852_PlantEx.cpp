#include "groups/plantex/DW_M852_PlantEx.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "groups/NumberFormat.h"
#include "groups/SharedRoutines.h"
#include "groups/datetime/PackedDate.h"
#include "groups/plantex/C_M852_PlantEx.h"
#include "groups/plantex/SU_M852_PlantEx.h"

namespace {

QLabel* title(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    return l;
}

}  // namespace

DW_M852_PlantEx::DW_M852_PlantEx(QWidget* parent)
    : DW_M852_PlantEx(std::make_unique<C_M852_PlantEx>(), parent) {}

DW_M852_PlantEx::DW_M852_PlantEx(std::unique_ptr<C_M852_PlantEx> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Ex = static_cast<C_M852_PlantEx*>(&Data());
    setObjectName(QStringLiteral("DW_M852_PlantEx"));
    setWindowTitle(QStringLiteral("Exerciser"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    lblExerMode = valueLabel("lblExerMode");
    QFont bold = lblExerMode->font();
    bold.setBold(true);
    lblExerMode->setFont(bold);
    lblExerMode->setAlignment(Qt::AlignCenter);
    lblExerMode->setMinimumWidth(
        lblExerMode->fontMetrics().horizontalAdvance(QStringLiteral("Calendar Mode w/ Manual Override")) + 8);
    layout->addWidget(lblExerMode);

    auto frame = [this, layout](QGroupBox*& box, const char* name, const QString& caption) {
        box = new QGroupBox(caption, this);
        box->setObjectName(QLatin1String(name));
        layout->addWidget(box);
        auto* grid = new QGridLayout(box);
        grid->setColumnStretch(1, 1);
        return grid;
    };
    auto row = [](QGridLayout* grid, const QString& caption, QLabel* value) {
        const int r = grid->rowCount();
        grid->addWidget(title(caption, grid->parentWidget()), r, 0);
        grid->addWidget(value, r, 1);
    };

    QGridLayout* man = frame(fraManExer, "fraManExer", QStringLiteral("Next Manual Exercise"));
    row(man, QStringLiteral("Date"), lblExerDate = valueLabel("lblExerDate"));
    row(man, QStringLiteral("Time"), lblExerTime = valueLabel("lblExerTime"));
    row(man, QStringLiteral("Period"), lblExerPeriod = valueLabel("lblExerPeriod"));
    row(man, QStringLiteral("Load"), lblExerLoad = valueLabel("lblExerLoad"));
    row(man, QStringLiteral("Run Time (h:mm)"), lblExerLength = valueLabel("lblExerLength"));
    lblExerDate->setMinimumWidth(
        lblExerDate->fontMetrics().horizontalAdvance(QStringLiteral("30 September 2099")));

    QGridLayout* cal = frame(fraCalExer, "fraCalExer", QStringLiteral("Next Calendar Exercise"));
    row(cal, QStringLiteral("Date"), lblCalExerDate = valueLabel("lblCalExerDate"));
    row(cal, QStringLiteral("Time"), lblCalExerTime = valueLabel("lblCalExerTime"));
    row(cal, QStringLiteral("Load"), lblCalExerLoad = valueLabel("lblCalExerLoad"));
    row(cal, QStringLiteral("Run Time (h:mm)"), lblCalExerLength = valueLabel("lblCalExerLength"));

    QGridLayout* warn = frame(fraWarnings, "fraWarnings", QStringLiteral("Warnings"));
    lblExerInhibitedIndicator = valueLabel("lblExerInhibitedIndicator", QStringLiteral("EXERCISE INHIBITED"));
    lblTransferInhibitedIndicator =
        valueLabel("lblTransferInhibitedIndicator", QStringLiteral("TRANSFER INHIBITED"));
    for (QLabel* l : {lblExerInhibitedIndicator, lblTransferInhibitedIndicator}) {
        l->setFont(bold);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, QColor(255, 0, 0));
        l->setPalette(p);
        l->hide();
    }
    warn->addWidget(lblExerInhibitedIndicator, 0, 0);
    warn->addWidget(lblTransferInhibitedIndicator, 1, 0);
    // The frame keeps the height of both lines while they are hidden.
    warn->setRowMinimumHeight(0, lblExerInhibitedIndicator->sizeHint().height());
    warn->setRowMinimumHeight(1, lblTransferInhibitedIndicator->sizeHint().height());

    auto* remaining = new QHBoxLayout;
    auto* remainingTitle = title(QStringLiteral("Exercise Time Remaining"), this);
    remainingTitle->setObjectName(QStringLiteral("lblTimeRemainingTitle"));
    remaining->addWidget(remainingTitle);
    remaining->addStretch(1);
    remaining->addWidget(lblTimeRemaining = valueLabel("lblTimeRemaining", QStringLiteral("0:00:00")));
    remaining->addWidget(lblPercentRemaining = valueLabel("lblPercentRemaining", QStringLiteral("(0%)")));
    layout->addLayout(remaining);
    setFixedSize(sizeHint());
}

QLabel* DW_M852_PlantEx::valueLabel(const char* name, const QString& initial) {
    auto* l = new QLabel(initial, this);
    l->setObjectName(QLatin1String(name));
    return l;
}

QString DW_M852_PlantEx::ModeText(qint32 mode) {
    switch (mode) {
        case 0:
            return QStringLiteral("Manual Mode");
        case 1:
            return QStringLiteral("Calendar Mode");
        case 2:
            return QStringLiteral("Calendar Mode w/ Manual Override");
        default:
            return QStringLiteral("Error - Mode = %1").arg(mode);
    }
}

QString DW_M852_PlantEx::DateText(const QDate& date) {
    return PackedDate::FormatDate(date, QStringLiteral("d MMMM yyyy"));
}

QString DW_M852_PlantEx::PeriodText(qint32 twoWeek) {
    return twoWeek == 1 ? QStringLiteral("2 week") : QStringLiteral("1 week");
}

QString DW_M852_PlantEx::LoadText(bool loaded) {
    return loaded ? QStringLiteral("LOADED") : QStringLiteral("UNLOADED");
}

QString DW_M852_PlantEx::TimeRemainingText(qint32 tenths) {
    // Whole minutes rounded down, the tenth of a minute left over is 6 seconds each: 125 -> 12 min
    // and 5 tenths -> 0:12:30; 7 -> 0:00:42.
    const qint64 t = tenths;
    const qint64 minutes = t >= 0 ? t / 10 : -((-t + 9) / 10);
    const qint64 seconds = (t - 10 * minutes) * 6;
    return FormatMinutes(qint32(minutes)) + u':' + NumberFormat::Format(double(seconds), u"00");
}

QString DW_M852_PlantEx::PercentText(qint32 remaining, qint32 total) {
    if (total <= 0) return {};
    return NumberFormat::Format(double(remaining) / double(total), u"(0%)");
}

void DW_M852_PlantEx::UpdateDisplay() {
    const C_M852_PlantEx& d = *m_Ex;
    lblExerMode->setText(ModeText(d.ExerMode()));

    lblExerDate->setText(DateText(d.ExerDate()));
    lblExerTime->setText(PackedDate::FormatTimeAmPm(d.ExerTime()));
    lblExerPeriod->setText(PeriodText(d.TwoWeekExercise()));
    lblExerLoad->setText(LoadText(d.ExerciseLoaded()));
    lblExerLength->setText(FormatMinutes(d.ExerLength()));

    if (d.CalExerPending()) {
        lblCalExerDate->setText(DateText(d.CalExerDate()));
        lblCalExerTime->setText(PackedDate::FormatTimeAmPm(d.CalExerTime()));
        lblCalExerLoad->setText(LoadText(d.CalExerLoaded()));
        lblCalExerLength->setText(FormatMinutes(d.CalExerLength()));
    }

    lblExerInhibitedIndicator->setVisible(d.ExerciseInhibited());
    lblTransferInhibitedIndicator->setVisible(d.TransferInhibited());

    if (d.ActiveTimer() != C_M852_PlantEx::kExerciseTimer) {
        lblTimeRemaining->setText(QStringLiteral("0:00:00"));
        lblPercentRemaining->setText(QStringLiteral("(0%)"));
    } else {
        lblTimeRemaining->setText(TimeRemainingText(d.TimeRemaining()));
        if (d.TimeTotal() > 0) lblPercentRemaining->setText(PercentText(d.TimeRemaining(), d.TimeTotal()));
    }

    // Which exercise the controller will run: manual mode runs the manual one unless it is disabled,
    // calendar mode the calendar one; with manual override the calendar takes over once the manual
    // exercise is disabled. An unknown mode greys nothing.
    bool calendar = true;
    bool manual = true;
    switch (d.ExerMode()) {
        case 0:
            calendar = false;
            manual = !d.ManExerDisabled();
            break;
        case 1:
            calendar = true;
            manual = false;
            break;
        case 2:
            calendar = d.ManExerDisabled();
            manual = !d.ManExerDisabled();
            break;
        default:
            break;
    }
    fraCalExer->setEnabled(calendar);
    fraManExer->setEnabled(manual);
}

QList<QWidget*> DW_M852_PlantEx::SetupTargets() const {
    QList<QWidget*> targets = CDisplayWindow::SetupTargets();
    for (QGroupBox* frame : {fraManExer, fraCalExer, fraWarnings}) targets.append(frame);
    return targets;
}

CSetupDialog* DW_M852_PlantEx::CreateSetupDialog(QWidget* owner) { return new SU_M852_PlantEx(owner); }
