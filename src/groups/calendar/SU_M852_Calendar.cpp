#include "groups/calendar/SU_M852_Calendar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <functional>

#include "base/UiServices.h"
#include "groups/InputValidation.h"
#include "groups/SharedRoutines.h"
#include "groups/calendar/C_M852_Calendar.h"
#include "groups/datetime/PackedDate.h"

namespace {

constexpr int kMaxRunMinutes = 5999;
constexpr int kMinRepeat = 1;
constexpr int kMaxRepeat = 12;

// A fill statement that cannot be carried out (a start date the picker cannot show).
struct FillFailure {};

}  // namespace

SU_M852_Calendar::SU_M852_Calendar(QWidget* parent) : CTimeTextDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_Calendar"));
    setWindowTitle(QStringLiteral("Calendar Mode Setup"));

    auto* grid = new QGridLayout(body());
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    const QStringList headers{"Event",           "Enabled", "Start Date", "Start Time",
                              "Run Time (h:mm)", "Loaded",  "Interval",   "Repeat (1-12)"};
    for (int c = 0; c < headers.size(); ++c) {
        auto* h = new QLabel(headers[c], body());
        h->setObjectName(QStringLiteral("lblHeader_%1").arg(c));
        h->setAlignment(Qt::AlignCenter);
        grid->addWidget(h, 0, c);
    }
    const int digitWidth = fontMetrics().horizontalAdvance(QStringLiteral("0"));
    for (int n = 1; n <= C_M852_Calendar::kEvents; ++n) {
        Row& row = m_rows[std::size_t(n - 1)];
        auto name = [n](const char* base) { return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(n); };
        auto* no = new QLabel(QString::number(n), body());
        no->setObjectName(name("lblEventNo"));
        no->setAlignment(Qt::AlignCenter);
        grid->addWidget(no, n, 0);

        row.chkEnabled = new QCheckBox(body());
        row.chkEnabled->setObjectName(name("chkEnabled"));
        grid->addWidget(row.chkEnabled, n, 1, Qt::AlignCenter);

        row.dtpStartDate = new QDateEdit(PackedDate::kFirst, body());
        row.dtpStartDate->setObjectName(name("dtpStartDate"));
        row.dtpStartDate->setDisplayFormat(QStringLiteral("dd MMM yyyy"));
        row.dtpStartDate->setDateRange(PackedDate::kFirst, PackedDate::kLast);
        row.dtpStartDate->setCalendarPopup(true);
        grid->addWidget(row.dtpStartDate, n, 2);

        row.dtpStartTime = new QTimeEdit(QTime(0, 0), body());
        row.dtpStartTime->setObjectName(name("dtpStartTime"));
        row.dtpStartTime->setDisplayFormat(QStringLiteral("h:mm AP"));
        grid->addWidget(row.dtpStartTime, n, 3);

        row.txtRunTime = new QLineEdit(body());
        row.txtRunTime->setObjectName(name("txtRunTime"));
        row.txtRunTime->setMaxLength(6);
        row.txtRunTime->setFixedWidth(digitWidth * 7 + 12);
        TimeText::InstallKeyFilter(row.txtRunTime);
        validateTimeText(row.txtRunTime, 0, kMaxRunMinutes);
        grid->addWidget(row.txtRunTime, n, 4, Qt::AlignCenter);

        row.chkLoaded = new QCheckBox(body());
        row.chkLoaded->setObjectName(name("chkLoaded"));
        grid->addWidget(row.chkLoaded, n, 5, Qt::AlignCenter);

        row.cboInterval = new QComboBox(body());
        row.cboInterval->setObjectName(name("cboInterval"));
        const QStringList items{"Day of Month", "Day", "Week", "Month"};
        for (int i = 0; i < items.size(); ++i) row.cboInterval->addItem(items[i], i);
        grid->addWidget(row.cboInterval, n, 6);

        row.txtRepeatRate = new QLineEdit(body());
        row.txtRepeatRate->setObjectName(name("txtRepeatRate"));
        row.txtRepeatRate->setMaxLength(2);
        row.txtRepeatRate->setFixedWidth(digitWidth * 4 + 12);
        CNumericKeyFilter::install(row.txtRepeatRate);
        validateRange(row.txtRepeatRate, kMinRepeat, kMaxRepeat);
        grid->addWidget(row.txtRepeatRate, n, 7, Qt::AlignCenter);
    }
}

void SU_M852_Calendar::Fill(CDataGroup& data) {
    const auto& d = static_cast<const C_M852_Calendar&>(data);
    int failures = 0;
    // Every statement on its own: one that fails is counted and the next one still runs.
    auto attempt = [&failures](const std::function<void()>& statement) {
        try {
            statement();
        } catch (...) {
            ++failures;
        }
    };
    for (int n = 1; n <= C_M852_Calendar::kEvents; ++n) {
        const Row& row = m_rows[std::size_t(n - 1)];
        attempt([&] { row.chkEnabled->setChecked(d.Enabled(n)); });
        attempt([&] { row.chkLoaded->setChecked(d.Loaded(n)); });
        attempt([&] { row.txtRepeatRate->setText(QString::number(d.RepeatRate(n))); });
        attempt([&] { row.txtRunTime->setText(FormatMinutes(d.RunTime(n))); });
        attempt([&] {
            const QDate date = d.StartDate(n);
            if (date < row.dtpStartDate->minimumDate() || date > row.dtpStartDate->maximumDate())
                throw FillFailure{};
            row.dtpStartDate->setDate(date);
        });
        attempt([&] { row.dtpStartTime->setTime(d.StartTime(n)); });
        attempt([&] {
            const int index = d.Interval(n);
            if (index < 0 || index >= row.cboInterval->count()) throw FillFailure{};
            row.cboInterval->setCurrentIndex(index);
        });
    }
    resetTimeTextColours();
    if (failures > 0)
        ui::services().message(this,
                               QStringLiteral("One or more errors occured while loading the setup window.\n"
                                              "Some settings may not be valid."),
                               QStringLiteral("ERROR"), ui::Icon::Exclamation, ui::Buttons::Ok);
}

void SU_M852_Calendar::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_Calendar&>(data);
    for (int n = 1; n <= C_M852_Calendar::kEvents; ++n) {
        const Row& row = m_rows[std::size_t(n - 1)];
        d.setEnabled(n, row.chkEnabled->isChecked());
        d.setLoaded(n, row.chkLoaded->isChecked());
        // Both boxes were checked before OK came here (1-12; 0-5999 minutes), so they convert.
        d.setRepeatRate(n, row.txtRepeatRate->text().trimmed().toInt());
        d.setRunTime(n, static_cast<qint16>(ParseTimeText(row.txtRunTime->text(), 0)));
        d.setStartDate(n, row.dtpStartDate->date());
        d.setStartTime(n, row.dtpStartTime->time());
        d.setInterval(n, row.cboInterval->currentIndex());
    }
}
