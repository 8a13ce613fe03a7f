#include "groups/datetime/SU_M852_DateTime.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "base/Clock.h"
#include "base/StringTable.h"
#include "groups/datetime/C_M852_DateTime.h"
#include "groups/datetime/PackedDate.h"

namespace {

QString text(int id, const char* fallback) {
    return StringTable::lookup(id).value_or(QString::fromUtf8(fallback));
}

// A date picker limited to what a controller date register holds. The pattern is Qt's: "yyyy" is the
// four-digit year (a Windows picker's "yyy" means the same, Qt's would not).
QDateEdit* datePicker(const QString& name, QWidget* parent) {
    auto* p = new QDateEdit(parent);
    p->setObjectName(name);
    p->setDisplayFormat(QStringLiteral("dd MMMM yyyy"));
    p->setDateRange(PackedDate::kFirst, PackedDate::kLast);
    p->setCalendarPopup(true);
    p->setMinimumWidth(p->fontMetrics().horizontalAdvance(QStringLiteral("00 September 0000")) + 48);
    return p;
}

}  // namespace

SU_M852_DateTime::SU_M852_DateTime(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_DateTime"));
    setWindowTitle(text(1025, "Date / Time Setup"));

    auto* grid = new QGridLayout(body());
    grid->setContentsMargins(0, 0, 0, 0);
    lblDate = new QLabel(text(1026, "Date"), body());
    lblDate->setObjectName(QStringLiteral("lblDate"));
    dtpDate = datePicker(QStringLiteral("dtpDate"), body());
    lblDate->setBuddy(dtpDate);
    lblTime = new QLabel(text(1027, "Time"), body());
    lblTime->setObjectName(QStringLiteral("lblTime"));
    dtpTime = new QTimeEdit(body());
    dtpTime->setObjectName(QStringLiteral("dtpTime"));
    dtpTime->setDisplayFormat(QStringLiteral("h:mm AP"));
    lblTime->setBuddy(dtpTime);
    cmdSysClock = new QPushButton(text(1028, "&Synchronize with Computer"), body());
    cmdSysClock->setObjectName(QStringLiteral("cmdSysClock"));
    cmdSysClock->setAutoDefault(false);
    chkEnableDST = new QCheckBox(text(1031, "Automatically adjust clock for &daylight saving time"), body());
    chkEnableDST->setObjectName(QStringLiteral("chkEnableDST"));
    lblDST_ForwardDateTitle = new QLabel(text(1032, "Set Clock Ahead"), body());
    lblDST_ForwardDateTitle->setObjectName(QStringLiteral("lblDST_ForwardDateTitle"));
    dtpDST_ForwardDate = datePicker(QStringLiteral("dtpDST_ForwardDate"), body());
    lblDST_BackwardDateTitle = new QLabel(text(1033, "Set Clock Back"), body());
    lblDST_BackwardDateTitle->setObjectName(QStringLiteral("lblDST_BackwardDateTitle"));
    dtpDST_BackwardDate = datePicker(QStringLiteral("dtpDST_BackwardDate"), body());

    grid->addWidget(lblDate, 0, 0);
    grid->addWidget(dtpDate, 0, 1);
    grid->addWidget(lblTime, 1, 0);
    grid->addWidget(dtpTime, 1, 1);
    grid->addWidget(cmdSysClock, 2, 1);
    grid->setRowMinimumHeight(3, 8);
    grid->addWidget(chkEnableDST, 4, 0, 1, 2);
    grid->addWidget(lblDST_ForwardDateTitle, 5, 0);
    grid->addWidget(dtpDST_ForwardDate, 5, 1);
    grid->addWidget(lblDST_BackwardDateTitle, 6, 0);
    grid->addWidget(dtpDST_BackwardDate, 6, 1);

    connect(cmdSysClock, &QPushButton::clicked, this, &SU_M852_DateTime::cmdSysClock_Click);
    connect(chkEnableDST, &QCheckBox::clicked, this, &SU_M852_DateTime::chkEnableDST_Click);
    chkEnableDST->setChecked(false);
    setDstControlsEnabled(false);
}

void SU_M852_DateTime::setDstControlsEnabled(bool on) {
    for (QWidget* w :
         {static_cast<QWidget*>(lblDST_ForwardDateTitle), static_cast<QWidget*>(lblDST_BackwardDateTitle),
          static_cast<QWidget*>(dtpDST_ForwardDate), static_cast<QWidget*>(dtpDST_BackwardDate)})
        w->setEnabled(on);
}

void SU_M852_DateTime::Fill(CDataGroup& data) {
    const auto& d = static_cast<const C_M852_DateTime&>(data);
    dtpDate->setDate(d.ClockDate());
    dtpTime->setTime(d.ClockTime());
    chkEnableDST->setChecked(d.EnableDST());
    setDstControlsEnabled(d.EnableDST());
    dtpDST_BackwardDate->setDate(d.DST_BackwardDate());
    dtpDST_ForwardDate->setDate(d.DST_ForwardDate());
}

void SU_M852_DateTime::chkEnableDST_Click() { setDstControlsEnabled(chkEnableDST->isChecked()); }

void SU_M852_DateTime::cmdSysClock_Click() {
    const QDateTime now = Clock::now();
    dtpDate->setDate(now.date());
    dtpTime->setTime(now.time());
}

void SU_M852_DateTime::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_DateTime&>(data);
    d.setClockTime(dtpTime->time());
    d.setClockDate(dtpDate->date());
    d.setEnableDST(chkEnableDST->isChecked());
    d.setDST_BackwardDate(dtpDST_BackwardDate->date());
    d.setDST_ForwardDate(dtpDST_ForwardDate->date());
}
