#include "groups/statemachine/DW_M852_StateMachine.h"

#include <QGridLayout>
#include <QLabel>

#include "groups/statemachine/C_M852_StateMachine.h"

namespace {

struct RowSpec {
    const char* field;
    const char* title;
};

// In register order, 1500 to 1508.
constexpr RowSpec kRows[] = {
    {"ContactorState", "Contactor State"},
    {"ContactorPosition", "Contactor Position"},
    {"ContactorFunction", "Contactor Position Function"},
    {"PreferredSource", "Preferred Source"},
    {"StandbySource", "Standby Source"},
    {"ShutdownCause", "Shutdown Cause"},
    {"AutoManual", "Transfer Auto/Manual"},
    {"ForcingToOff", "User Forcing To Off"},
    {"AreaProtection", "Peak Shave Active"},
};

QString flagText(bool v) { return v ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

}  // namespace

DW_M852_StateMachine::DW_M852_StateMachine(QWidget* parent)
    : DW_M852_StateMachine(std::make_unique<C_M852_StateMachine>(), parent) {}

DW_M852_StateMachine::DW_M852_StateMachine(std::unique_ptr<C_M852_StateMachine> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Sm = static_cast<C_M852_StateMachine*>(&Data());
    setObjectName(QStringLiteral("DW_M852_StateMachine"));
    setWindowTitle(QStringLiteral("State Machine"));

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(4);
    static_assert(std::size(kRows) == std::size_t(kFieldCount));
    for (int i = 0; i < kFieldCount; ++i) {
        const QString field = QLatin1String(kRows[i].field);
        auto* title = new QLabel(QLatin1String(kRows[i].title), this);
        title->setObjectName(QStringLiteral("lblTitle") + field);
        auto* value = new QLabel(QStringLiteral("---"), this);
        value->setObjectName(QStringLiteral("lbl") + field);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // The widest text a row can show: a 16-bit negative number, or FALSE.
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("-32768")));
        grid->addWidget(title, i, 0);
        grid->addWidget(value, i, 1);
        m_value[i] = value;
    }
    grid->setRowStretch(kFieldCount, 1);
    setFixedSize(sizeHint());
}

void DW_M852_StateMachine::UpdateDisplay() {
    const C_M852_StateMachine& d = *m_Sm;
    const qint16 numbers[] = {d.ContactorState(),  d.ContactorPosition(), d.ContactorFunction(),
                              d.PreferredSource(), d.StandbySource(),     d.ShutdownCause(),
                              d.AutoManual()};
    for (int i = 0; i < kForcingToOff; ++i) m_value[i]->setText(QString::number(numbers[i]));
    m_value[kForcingToOff]->setText(flagText(d.ForcingToOff()));
    m_value[kAreaProtection]->setText(flagText(d.AreaProtection()));
}
