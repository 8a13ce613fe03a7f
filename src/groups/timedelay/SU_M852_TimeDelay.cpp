#include "groups/timedelay/SU_M852_TimeDelay.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "groups/InputValidation.h"
#include "groups/timedelay/C_M852_TimeDelay.h"
#include "groups/timedelay/TimeDelayNames.h"

namespace {

const QString kHintMinutes = QStringLiteral("( 00:00 - 60:00 )");
const QString kHintShort = QStringLiteral("( 00:00 - 00:06 )");
const QString kHintTenths = QStringLiteral("( 00:00.0 - 06:00.0 )");

}  // namespace

SU_M852_TimeDelay::SU_M852_TimeDelay(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_TimeDelay"));
    setWindowTitle(QStringLiteral("Time Delay Setup"));
    auto* grid = new QGridLayout(body());
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    int row = 0;
    for (int i = 0; i < C_M852_TimeDelay::kDelayCount; ++i) {
        const auto d = C_M852_TimeDelay::Delay(i);
        const auto& e = TimeDelayNames::kEntries[i];
        const bool tenths = C_M852_TimeDelay::InTenths(d);
        if (d == C_M852_TimeDelay::OffToPref) {
            auto* heading = new QLabel(QLatin1String(TimeDelayNames::kProgrammedHeading), body());
            heading->setObjectName(QStringLiteral("lblProgrammedTransition"));
            QFont f = heading->font();
            f.setBold(true);
            heading->setFont(f);
            grid->addWidget(heading, row++, 0, 1, 4);
        }
        // The in-phase box is titled after the output it drives.
        const QString titleText = d == C_M852_TimeDelay::InPhaseSynch
                                      ? QStringLiteral("InPhase Monitor Output")
                                      : QLatin1String(e.title);
        auto* title = new QLabel(titleText, body());
        title->setObjectName(QStringLiteral("lblTitle%1").arg(QLatin1String(e.name)));
        if (tenths) title->setIndent(12);
        auto* box = new QLineEdit(body());
        box->setObjectName(QStringLiteral("txt%1").arg(QLatin1String(e.name)));
        box->setMaxLength(8);
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000:00.0")) + 16);
        title->setBuddy(box);
        if (tenths)
            CNumericKeyFilter::install(box, QStringLiteral(":."), QStringLiteral(":."));
        else
            CNumericKeyFilter::install(box, QStringLiteral(":"), QStringLiteral(":"));
        validateText(box, [d](const QString& text) { return C_M852_TimeDelay::Fits(d, text); });
        auto* hint = new QLabel(tenths ? kHintTenths : kHintMinutes, body());
        hint->setObjectName(QStringLiteral("lbl%1Range").arg(QLatin1String(e.name)));
        hint->setMinimumWidth(hint->fontMetrics().horizontalAdvance(kHintTenths));
        if (d == C_M852_TimeDelay::EngStartA) lblEngStartARange = hint;
        if (d == C_M852_TimeDelay::EngStartB) lblEngStartBRange = hint;
        auto* unit = new QLabel(QLatin1String(TimeDelayNames::kUnit), body());
        unit->setObjectName(QStringLiteral("lblUnit%1").arg(QLatin1String(e.name)));
        grid->addWidget(title, row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(hint, row, 2);
        grid->addWidget(unit, row, 3);
        m_box[i] = box;
        ++row;
    }
}

void SU_M852_TimeDelay::Fill(CDataGroup& data) {
    const auto& d = static_cast<const C_M852_TimeDelay&>(data);
    for (int i = 0; i < C_M852_TimeDelay::kDelayCount; ++i)
        m_box[i]->setText(d.Text(C_M852_TimeDelay::Delay(i)));
    const QString hint = d.ExtEngStart() ? kHintMinutes : kHintShort;
    lblEngStartARange->setText(hint);
    lblEngStartBRange->setText(hint);
}

void SU_M852_TimeDelay::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_TimeDelay&>(data);
    // Every box fitted its register when OK checked it, so no setter fails here.
    for (int i = 0; i < C_M852_TimeDelay::kDelayCount; ++i)
        d.setText(C_M852_TimeDelay::Delay(i), m_box[i]->text());
}
