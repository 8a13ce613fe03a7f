#include "groups/calendar/DW_M852_Calendar.h"

#include <QGridLayout>
#include <QLabel>

#include "groups/SharedRoutines.h"
#include "groups/calendar/C_M852_Calendar.h"
#include "groups/calendar/SU_M852_Calendar.h"
#include "groups/datetime/PackedDate.h"

namespace {

void setIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

}  // namespace

DW_M852_Calendar::DW_M852_Calendar(QWidget* parent)
    : DW_M852_Calendar(std::make_unique<C_M852_Calendar>(), parent) {}

DW_M852_Calendar::DW_M852_Calendar(std::unique_ptr<C_M852_Calendar> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Cal = static_cast<C_M852_Calendar*>(&Data());
    setObjectName(QStringLiteral("DW_M852_Calendar"));
    setWindowTitle(QStringLiteral("Calendar Mode"));

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(2);
    const QStringList headers{"Event No.",        "Next Start Date", "Start Time",
                              "Run Time (hh:mm)", "Loaded",          "Exercise Interval"};
    for (int c = 0; c < headers.size(); ++c) {
        auto* h = new QLabel(headers[c], this);
        h->setObjectName(QStringLiteral("lblHeader_%1").arg(c));
        QFont f = h->font();
        f.setBold(true);
        h->setFont(f);
        h->setAlignment(Qt::AlignCenter);
        grid->addWidget(h, 0, c);
    }
    for (int n = 1; n <= C_M852_Calendar::kEvents; ++n) {
        Row& row = m_rows[std::size_t(n - 1)];
        auto make = [this, n](const char* name, const QString& text) {
            auto* l = new QLabel(text, this);
            l->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(n));
            l->setAlignment(Qt::AlignCenter);
            return l;
        };
        row.lblEventNo = make("lblEventNo", QString::number(n));
        row.lblStartDate = make("lblStartDate", QStringLiteral("---"));
        row.lblStartTime = make("lblStartTime", QStringLiteral("---"));
        row.lblRunTime = make("lblRunTime", QStringLiteral("---"));
        row.lblLoaded = make("lblLoaded", QString());
        row.lblPeriod = make("lblPeriod", QStringLiteral("---"));
        row.lblPeriod->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        const auto labels = row.all();
        for (int c = 0; c < int(labels.size()); ++c) grid->addWidget(labels[std::size_t(c)], n, c);
    }
    // Room for the longest texts in bold: a long date and "Every 3rd Wednesday".
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics fm(bold);
    grid->setColumnMinimumWidth(1, fm.horizontalAdvance(QStringLiteral("Wed, 30 September 2099")) + 4);
    grid->setColumnMinimumWidth(5, fm.horizontalAdvance(QStringLiteral("Every 3rd Wednesday")) + 4);
    setFixedSize(sizeHint());
}

void DW_M852_Calendar::UpdateDisplay() {
    const C_M852_Calendar& d = *m_Cal;
    for (int n = 1; n <= C_M852_Calendar::kEvents; ++n) {
        const Row& row = m_rows[std::size_t(n - 1)];
        const auto labels = row.all();
        if (row.lblEventNo->isEnabled() != d.Enabled(n))
            for (QLabel* l : labels) l->setEnabled(d.Enabled(n));
        for (QLabel* l : labels) {
            if (l->font().bold() == d.Highlight(n)) continue;
            QFont f = l->font();
            f.setBold(d.Highlight(n));
            l->setFont(f);
        }
        setIfChanged(row.lblLoaded, d.Loaded(n) ? QStringLiteral("X") : QStringLiteral(" "));
        setIfChanged(row.lblRunTime, FormatMinutes(d.RunTime(n)));
        setIfChanged(row.lblStartTime, PackedDate::FormatTimeAmPm(d.StartTime(n)));
        setIfChanged(row.lblStartDate,
                     PackedDate::FormatDate(d.StartDate(n), QStringLiteral("ddd, d MMMM yyyy")));
        setIfChanged(row.lblPeriod, d.PeriodText(n));
    }
}

CSetupDialog* DW_M852_Calendar::CreateSetupDialog(QWidget* owner) { return new SU_M852_Calendar(owner); }
