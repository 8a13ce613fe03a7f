#include "groups/freqset/DW_M852_FreqSet.h"

#include <QGridLayout>
#include <QLabel>

#include "groups/NumberFormat.h"
#include "groups/freqset/C_M852_FreqSet.h"
#include "groups/freqset/SU_M852_FreqSet.h"

DW_M852_FreqSet::DW_M852_FreqSet(QWidget* parent)
    : DW_M852_FreqSet(std::make_unique<C_M852_FreqSet>(), parent) {}

DW_M852_FreqSet::DW_M852_FreqSet(std::unique_ptr<C_M852_FreqSet> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Set = static_cast<C_M852_FreqSet*>(&Data());
    setObjectName(QStringLiteral("DW_M852_FreqSet"));
    setWindowTitle(QStringLiteral("Frequency Setpoints"));
    buildUi();
}

void DW_M852_FreqSet::buildUi() {
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
                abs[s] = new QLabel(QStringLiteral("(XX.X Hz)"), this);
                abs[s]->setObjectName(QStringLiteral("lbl%1Freq_%2").arg(QLatin1String(name)).arg(s));
                abs[s]->setMinimumWidth(
                    abs[s]->fontMetrics().horizontalAdvance(QStringLiteral("(000.0 Hz)")));
                grid->addWidget(abs[s], row, 3 + 2 * s);
            }
        }
        ++row;
    };
    addRow("UnderPick", QStringLiteral("Under Freq Pickup"), QStringLiteral("% of Nominal"), lblUnderPick,
           lblUnderPickFreq, QStringLiteral("XXX"));
    addRow("UnderDrop", QStringLiteral("Under Freq Dropout"), QStringLiteral("% of Pickup"), lblUnderDrop,
           lblUnderDropFreq, QStringLiteral("XXX"));
    addRow("OverPick", QStringLiteral("Over Freq Pickup"), QStringLiteral("% of Nominal"), lblOverPick,
           lblOverPickFreq, QStringLiteral("XXX"));
    addRow("OverDrop", QStringLiteral("Over Freq Dropout"), QStringLiteral("% of Pickup"), lblOverDrop,
           lblOverDropFreq, QStringLiteral("XXX"));
    addRow("DebounceTime", QStringLiteral("Freq Dropout Time"), QStringLiteral("Seconds"), lblDebounceTime,
           nullptr, QStringLiteral("XX.X"));
    grid->setRowStretch(row, 1);
    setFixedSize(sizeHint());
}

void DW_M852_FreqSet::UpdateDisplay() {
    const C_M852_FreqSet& d = *m_Set;
    for (int s = 0; s < 2; ++s) {
        lblUnderPick[s]->setText(NumberFormat::Format(d.UnderPick(s), u"0"));
        lblUnderDrop[s]->setText(NumberFormat::Format(d.UnderDrop(s), u"0"));
        lblOverDrop[s]->setText(NumberFormat::Format(d.OverDrop(s), u"0"));
        lblOverPick[s]->setText(NumberFormat::Format(d.OverPick(s), u"0"));
        lblDebounceTime[s]->setText(NumberFormat::Format(d.DebounceTime(s), u"0.0"));
        lblUnderPickFreq[s]->setText(NumberFormat::Format(d.UnderPickFreq(s), u"(0.0 Hz)"));
        lblUnderDropFreq[s]->setText(NumberFormat::Format(d.UnderDropFreq(s), u"(0.0 Hz)"));
        lblOverDropFreq[s]->setText(NumberFormat::Format(d.OverDropFreq(s), u"(0.0 Hz)"));
        lblOverPickFreq[s]->setText(NumberFormat::Format(d.OverPickFreq(s), u"(0.0 Hz)"));
    }
}

CSetupDialog* DW_M852_FreqSet::CreateSetupDialog(QWidget* owner) { return new SU_M852_FreqSet(owner); }
