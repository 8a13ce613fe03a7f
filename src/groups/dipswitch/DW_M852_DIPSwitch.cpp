#include "groups/dipswitch/DW_M852_DIPSwitch.h"

#include <QLabel>
#include <QVBoxLayout>

#include "base/StringTable.h"
#include "groups/dipswitch/C_M852_DIPSwitch.h"

DW_M852_DIPSwitch::DW_M852_DIPSwitch(QWidget* parent)
    : DW_M852_DIPSwitch(std::make_unique<C_M852_DIPSwitch>(), parent) {}

DW_M852_DIPSwitch::DW_M852_DIPSwitch(std::unique_ptr<C_M852_DIPSwitch> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Dip = static_cast<C_M852_DIPSwitch*>(&Data());
    setObjectName(QStringLiteral("DW_M852_DIPSwitch"));
    setWindowTitle(StringTable::lookup(1000).value_or(QStringLiteral("DIP Switch Settings")));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->setSpacing(6);
    auto make = [this, layout](const char* name) {
        auto* l = new QLabel(QStringLiteral("---"), this);
        l->setObjectName(QLatin1String(name));
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        layout->addWidget(l);
        return l;
    };
    lblTransferInhibit = make("lblTransferInhibit");
    lblTestLoad = make("lblTestLoad");
    lblExerciseInhibit = make("lblExerciseInhibit");
    lblExerciseLoad = make("lblExerciseLoad");
    lblManExercisePeriod = make("lblManExercisePeriod");
    lblManExercisePeriod->setMinimumWidth(
        lblManExercisePeriod->fontMetrics().horizontalAdvance(QStringLiteral("2 WEEK MANUAL EXERCISE")) + 8);
    setFixedSize(sizeHint());
}

void DW_M852_DIPSwitch::UpdateDisplay() {
    const C_M852_DIPSwitch& d = *m_Dip;
    lblTransferInhibit->setText(d.TransferInhibited() ? QStringLiteral("TRANSFER INHIBITED")
                                                      : QStringLiteral("TRANSFER PERMITTED"));
    QPalette p = lblTransferInhibit->palette();
    p.setColor(QPalette::WindowText, d.TransferInhibited() ? QColor(255, 0, 0) : QColor(0, 0, 0));
    lblTransferInhibit->setPalette(p);
    lblTestLoad->setText(d.TestLoaded() ? QStringLiteral("LOADED TEST") : QStringLiteral("UNLOADED TEST"));
    lblExerciseInhibit->setText(d.ExerciseInhibited() ? QStringLiteral("EXERCISE INHIBITED")
                                                      : QStringLiteral("EXERCISE PERMITTED"));
    lblExerciseLoad->setText(d.ExerciseLoaded() ? QStringLiteral("LOADED EXERCISE")
                                                : QStringLiteral("UNLOADED EXERCISE"));
    lblManExercisePeriod->setText(d.TwoWeekExercise() ? QStringLiteral("2 WEEK MANUAL EXERCISE")
                                                      : QStringLiteral("1 WEEK MANUAL EXERCISE"));
}
