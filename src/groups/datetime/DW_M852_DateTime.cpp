#include "groups/datetime/DW_M852_DateTime.h"

#include <QLabel>
#include <QVBoxLayout>

#include "base/StringTable.h"
#include "groups/datetime/C_M852_DateTime.h"
#include "groups/datetime/PackedDate.h"
#include "groups/datetime/SU_M852_DateTime.h"

DW_M852_DateTime::DW_M852_DateTime(QWidget* parent)
    : DW_M852_DateTime(std::make_unique<C_M852_DateTime>(), parent) {}

DW_M852_DateTime::DW_M852_DateTime(std::unique_ptr<C_M852_DateTime> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Clock = static_cast<C_M852_DateTime*>(&Data());
    setObjectName(QStringLiteral("DW_M852_DateTime"));
    setWindowTitle(StringTable::lookup(1020).value_or(QStringLiteral("Date / Time")));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    lblTime = new QLabel(QStringLiteral("---"), this);
    lblTime->setObjectName(QStringLiteral("lblTime"));
    lblDate = new QLabel(QStringLiteral("---"), this);
    lblDate->setObjectName(QStringLiteral("lblDate"));
    for (QLabel* l : {lblTime, lblDate}) {
        QFont f = l->font();
        f.setPointSizeF(f.pointSizeF() * 1.4);
        f.setBold(true);
        l->setFont(f);
        l->setAlignment(Qt::AlignCenter);
        layout->addWidget(l);
    }
    // Wide enough for the longest long date ("Wednesday, September 30, 2099").
    lblDate->setMinimumWidth(
        lblDate->fontMetrics().horizontalAdvance(QStringLiteral("Wednesday, September 30, 2099")) + 8);
    setFixedSize(sizeHint());
}

void DW_M852_DateTime::UpdateDisplay() {
    lblTime->setText(PackedDate::FormatTimeAmPm(m_Clock->ClockTime()));
    lblDate->setText(PackedDate::FormatLongDate(m_Clock->ClockDate()));
}

CSetupDialog* DW_M852_DateTime::CreateSetupDialog(QWidget* owner) { return new SU_M852_DateTime(owner); }
