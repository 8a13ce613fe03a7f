#include "groups/voltset/DW_M852_VoltSet.h"

#include <QGridLayout>
#include <QLabel>

#include "groups/NumberFormat.h"
#include "groups/voltset/C_M852_VoltSet.h"
#include "groups/voltset/SU_M852_VoltSet.h"

DW_M852_VoltSet::DW_M852_VoltSet(QWidget* parent)
    : DW_M852_VoltSet(std::make_unique<C_M852_VoltSet>(), parent) {}

DW_M852_VoltSet::DW_M852_VoltSet(std::unique_ptr<C_M852_VoltSet> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Set = static_cast<C_M852_VoltSet*>(&Data());
    setObjectName(QStringLiteral("DW_M852_VoltSet"));
    setWindowTitle(QStringLiteral("Voltage Setpoints"));
    buildUi();
}

void DW_M852_VoltSet::buildUi() {
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    // Columns: title, unit text, then per source the percentage and the absolute value.
    for (int s = 0; s < 2; ++s) {
        auto* h = new QLabel(s == 0 ? QStringLiteral("Source N") : QStringLiteral("Source E"), this);
        h->setObjectName(QStringLiteral("lblSource_%1").arg(s));
        QFont f = h->font();
        f.setBold(true);
        h->setFont(f);
        h->setAlignment(Qt::AlignCenter);
        grid->addWidget(h, 0, 2 + 2 * s, 1, 2);
    }
    int row = 1;
    auto addRow = [&](const char* name, const QString& title, const QString& unit, QLabel** pct, QLabel** abs,
                      const QString& placeholder) {
        auto* t = new QLabel(title, this);
        t->setObjectName(QStringLiteral("lblTitle%1").arg(QLatin1String(name)));
        grid->addWidget(t, row, 0);
        auto* u = new QLabel(unit, this);
        u->setObjectName(QStringLiteral("lblUnit%1").arg(QLatin1String(name)));
        grid->addWidget(u, row, 1);
        for (int s = 0; s < 2; ++s) {
            pct[s] = new QLabel(placeholder, this);
            pct[s]->setObjectName(QStringLiteral("lbl%1_%2").arg(QLatin1String(name)).arg(s));
            pct[s]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            pct[s]->setMinimumWidth(pct[s]->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
            grid->addWidget(pct[s], row, 2 + 2 * s);
            if (abs) {
                abs[s] = new QLabel(QStringLiteral("(XXX V)"), this);
                abs[s]->setObjectName(QStringLiteral("lbl%1Volt_%2").arg(QLatin1String(name)).arg(s));
                abs[s]->setMinimumWidth(abs[s]->fontMetrics().horizontalAdvance(QStringLiteral("(0000 V)")));
                grid->addWidget(abs[s], row, 3 + 2 * s);
            }
        }
        ++row;
    };
    addRow("UnderPick", QStringLiteral("Under Volt Pickup"), QStringLiteral("% of Nominal"), lblUnderPick,
           lblUnderPickVolt, QStringLiteral("XXX"));
    addRow("UnderDrop", QStringLiteral("Under Volt Dropout"), QStringLiteral("% of Pickup"), lblUnderDrop,
           lblUnderDropVolt, QStringLiteral("XXX"));
    addRow("OverDrop", QStringLiteral("Over Volt Dropout"), QStringLiteral("% of Nominal"), lblOverDrop,
           lblOverDropVolt, QStringLiteral("XXX"));
    addRow("OverPick", QStringLiteral("Over Volt Pickup"), QStringLiteral("% of Dropout"), lblOverPick,
           lblOverPickVolt, QStringLiteral("XXX"));
    addRow("DebounceTime", QStringLiteral("Debounce Time"), QStringLiteral("Seconds"), lblDebounceTime,
           nullptr, QStringLiteral("X.X"));
    grid->setRowStretch(row, 1);
    setFixedSize(sizeHint());
}

void DW_M852_VoltSet::UpdateDisplay() {
    const C_M852_VoltSet& d = *m_Set;
    for (int s = 0; s < 2; ++s) {
        lblUnderPick[s]->setText(NumberFormat::Format(d.UnderPick(s), u"0"));
        lblUnderDrop[s]->setText(NumberFormat::Format(d.UnderDrop(s), u"0"));
        lblOverDrop[s]->setText(NumberFormat::Format(d.OverDrop(s), u"0"));
        lblOverPick[s]->setText(NumberFormat::Format(d.OverPick(s), u"0"));
        lblDebounceTime[s]->setText(NumberFormat::Format(d.DebounceTime(s), u"0.0"));
        lblUnderPickVolt[s]->setText(NumberFormat::Format(d.UnderPickVolts(s), u"(0 V)"));
        lblUnderDropVolt[s]->setText(NumberFormat::Format(d.UnderDropVolts(s), u"(0 V)"));
        lblOverDropVolt[s]->setText(NumberFormat::Format(d.OverDropVolts(s), u"(0 V)"));
        lblOverPickVolt[s]->setText(NumberFormat::Format(d.OverPickVolts(s), u"(0 V)"));
    }
}

CSetupDialog* DW_M852_VoltSet::CreateSetupDialog(QWidget* owner) { return new SU_M852_VoltSet(owner); }
