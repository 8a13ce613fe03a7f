#include "groups/plantex/SU_M852_PlantEx.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/UiServices.h"
#include "groups/SharedRoutines.h"
#include "groups/datetime/PackedDate.h"
#include "groups/plantex/C_M852_PlantEx.h"
#include "groups/plantex/DW_M852_PlantEx.h"

SU_M852_PlantEx::SU_M852_PlantEx(QWidget* parent) : CTimeTextDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_PlantEx"));
    setWindowTitle(QStringLiteral("Exerciser Setup"));

    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(0, 0, 0, 0);

    auto* modes = new QGroupBox(QStringLiteral("Exerciser Mode"), body());
    modes->setObjectName(QStringLiteral("fraMode"));
    auto* modeLayout = new QVBoxLayout(modes);
    auto radio = [modes, modeLayout](const QString& text, const char* name) {
        auto* r = new QRadioButton(text, modes);
        r->setObjectName(QLatin1String(name));
        modeLayout->addWidget(r);
        return r;
    };
    optManMode = radio(QStringLiteral("Manual Mode"), "optManMode");
    optCalendar = radio(QStringLiteral("Calendar Mode"), "optCalendar");
    optCalendarOverride = radio(QStringLiteral("Calendar Mode w/ Manual Override"), "optCalendarOverride");
    layout->addWidget(modes);

    auto* man = new QGroupBox(QStringLiteral("Manual Exercise"), body());
    man->setObjectName(QStringLiteral("fraManExer"));
    auto* grid = new QGridLayout(man);
    grid->setColumnStretch(1, 1);
    auto row = [man, grid](const QString& caption, const char* name) {
        const int r = grid->rowCount();
        grid->addWidget(new QLabel(caption, man), r, 0);
        auto* value = new QLabel(QStringLiteral("---"), man);
        value->setObjectName(QLatin1String(name));
        grid->addWidget(value, r, 1, 1, 2);
        return value;
    };
    lblExerDate = row(QStringLiteral("Next Date"), "lblExerDate");
    lblExerDate->setMinimumWidth(
        lblExerDate->fontMetrics().horizontalAdvance(QStringLiteral("30 September 2099")));
    lblExerTime = row(QStringLiteral("Next Time"), "lblExerTime");
    lblExerPeriod = row(QStringLiteral("Period"), "lblExerPeriod");
    lblExerLoad = row(QStringLiteral("Load"), "lblExerLoad");

    const int r = grid->rowCount();
    auto* lengthCaption = new QLabel(QStringLiteral("Run Time (h:mm)"), man);
    lengthCaption->setObjectName(QStringLiteral("lblExerLengthTitle"));
    txtExerLength = new QLineEdit(man);
    txtExerLength->setObjectName(QStringLiteral("txtExerLength"));
    txtExerLength->setMaxLength(6);
    txtExerLength->setFixedWidth(txtExerLength->fontMetrics().horizontalAdvance(QStringLiteral("00:000")) +
                                 16);
    lengthCaption->setBuddy(txtExerLength);
    TimeText::InstallKeyFilter(txtExerLength);
    validateTimeText(txtExerLength, 0, C_M852_PlantEx::kMaxRunMinutes);
    grid->addWidget(lengthCaption, r, 0);
    grid->addWidget(txtExerLength, r, 1);
    auto* hint = new QLabel(QStringLiteral("( 0:00 - 99:59 )"), man);
    hint->setObjectName(QStringLiteral("lblExerLengthRange"));
    grid->addWidget(hint, r, 2);

    auto* commands = new QHBoxLayout;
    cmdRemoteExercise = new QPushButton(QStringLiteral("&Push To Set/End"), man);
    cmdRemoteExercise->setObjectName(QStringLiteral("cmdRemoteExercise"));
    cmdDisableManExer = new QPushButton(QStringLiteral("&Disable"), man);
    cmdDisableManExer->setObjectName(QStringLiteral("cmdDisableManExer"));
    for (QPushButton* b : {cmdRemoteExercise, cmdDisableManExer}) {
        b->setAutoDefault(false);
        commands->addWidget(b);
    }
    grid->addLayout(commands, r + 1, 0, 1, 3);
    layout->addWidget(man);

    optManMode->setChecked(true);
    connect(cmdRemoteExercise, &QPushButton::clicked, this, &SU_M852_PlantEx::cmdRemoteExercise_Click);
    connect(cmdDisableManExer, &QPushButton::clicked, this, &SU_M852_PlantEx::cmdDisableManExer_Click);
}

void SU_M852_PlantEx::Fill(CDataGroup& data) {
    m_Ex = static_cast<C_M852_PlantEx*>(&data);
    const C_M852_PlantEx& d = *m_Ex;
    QRadioButton* chosen = d.ExerMode() == 0   ? optManMode
                           : d.ExerMode() == 1 ? optCalendar
                           : d.ExerMode() == 2 ? optCalendarOverride
                                               : nullptr;
    for (QRadioButton* r : {optManMode, optCalendar, optCalendarOverride}) {
        // An unknown mode selects none of them, which exclusive buttons do not allow by themselves.
        r->setAutoExclusive(false);
        r->setChecked(r == chosen);
        r->setAutoExclusive(true);
    }
    lblExerDate->setText(DW_M852_PlantEx::DateText(d.ExerDate()));
    lblExerTime->setText(PackedDate::FormatTimeAmPm(d.ExerTime()));
    lblExerPeriod->setText(DW_M852_PlantEx::PeriodText(d.TwoWeekExercise()));
    lblExerLoad->setText(DW_M852_PlantEx::LoadText(d.ExerciseLoaded()));
    txtExerLength->setText(FormatMinutes(d.ExerLength()));
    resetTimeTextColours();
}

void SU_M852_PlantEx::cmdRemoteExercise_Click() {
    if (!m_Ex) return;
    try {
        m_Ex->SendRemoteExercise();
    } catch (const std::exception& e) {
        ui::message(this, QString::fromLocal8Bit(e.what()), ui::Icon::Critical);
    }
}

void SU_M852_PlantEx::cmdDisableManExer_Click() {
    if (!m_Ex) return;
    try {
        m_Ex->SendDisableManExer();
    } catch (const std::exception& e) {
        ui::message(this, QString::fromLocal8Bit(e.what()), ui::Icon::Critical);
    }
}

void SU_M852_PlantEx::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_PlantEx&>(data);
    d.setExerMode(optManMode->isChecked() ? 0 : optCalendarOverride->isChecked() ? 2 : 1);
    // Checked on leaving and again before OK; the setter still refuses anything outside 0-5999.
    d.setExerLength(ParseTimeText(txtExerLength->text(), 0));
}
