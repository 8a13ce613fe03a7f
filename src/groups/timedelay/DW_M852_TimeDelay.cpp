#include "groups/timedelay/DW_M852_TimeDelay.h"

#include <QGridLayout>
#include <QLabel>

#include "groups/timedelay/C_M852_TimeDelay.h"
#include "groups/timedelay/SU_M852_TimeDelay.h"
#include "groups/timedelay/TimeDelayNames.h"

DW_M852_TimeDelay::DW_M852_TimeDelay(QWidget* parent)
    : DW_M852_TimeDelay(std::make_unique<C_M852_TimeDelay>(), parent) {}

DW_M852_TimeDelay::DW_M852_TimeDelay(std::unique_ptr<C_M852_TimeDelay> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Delays = static_cast<C_M852_TimeDelay*>(&Data());
    setObjectName(QStringLiteral("DW_M852_TimeDelay"));
    setWindowTitle(QStringLiteral("Time Delays"));

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    int row = 0;
    for (int d = 0; d < C_M852_TimeDelay::kDelayCount; ++d) {
        const auto& e = TimeDelayNames::kEntries[d];
        if (d == C_M852_TimeDelay::OffToPref) {
            auto* heading = new QLabel(QLatin1String(TimeDelayNames::kProgrammedHeading), this);
            heading->setObjectName(QStringLiteral("lblProgrammedTransition"));
            QFont f = heading->font();
            f.setBold(true);
            heading->setFont(f);
            grid->addWidget(heading, row++, 0, 1, 3);
        }
        auto* title = new QLabel(QLatin1String(e.title), this);
        title->setObjectName(QStringLiteral("lblTitle%1").arg(QLatin1String(e.name)));
        if (C_M852_TimeDelay::InTenths(C_M852_TimeDelay::Delay(d))) title->setIndent(12);
        auto* value = new QLabel(QStringLiteral("XX:XX"), this);
        value->setObjectName(QStringLiteral("lbl%1").arg(QLatin1String(e.name)));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("000:00.0")));
        auto* unit = new QLabel(QLatin1String(TimeDelayNames::kUnit), this);
        unit->setObjectName(QStringLiteral("lblUnit%1").arg(QLatin1String(e.name)));
        grid->addWidget(title, row, 0);
        grid->addWidget(value, row, 1);
        grid->addWidget(unit, row, 2);
        m_value[d] = value;
        ++row;
    }
    grid->setRowStretch(row, 1);
    setFixedSize(sizeHint());
}

void DW_M852_TimeDelay::UpdateDisplay() {
    for (int d = 0; d < C_M852_TimeDelay::kDelayCount; ++d)
        m_value[d]->setText(m_Delays->Text(C_M852_TimeDelay::Delay(d)));
}

CSetupDialog* DW_M852_TimeDelay::CreateSetupDialog(QWidget* owner) { return new SU_M852_TimeDelay(owner); }
