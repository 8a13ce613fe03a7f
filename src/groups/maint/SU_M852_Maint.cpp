#include "groups/maint/SU_M852_Maint.h"

#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "app/clsApplication.h"
#include "base/Clock.h"
#include "base/UiServices.h"
#include "groups/datetime/PackedDate.h"
#include "groups/maint/C_M852_Maint.h"
#include "users/clsUser.h"

SU_M852_Maint::SU_M852_Maint(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_Maint"));
    setWindowTitle(QStringLiteral("Maintenance Setup"));
    cmdOK()->hide();
    cmdCancel()->hide();
    cmdOK()->setDefault(false);

    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(0, 0, 0, 0);
    auto button = [this, layout](const QString& text, const char* name) {
        auto* b = new QPushButton(text, body());
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("Reset Maintenance Records")) + 40);
        layout->addWidget(b);
        return b;
    };
    cmdReloadDefaults = button(QStringLiteral("Reload Defaults"), "cmdReloadDefaults");
    cmdResetHistory = button(QStringLiteral("Reset Historical Records"), "cmdResetHistory");
    cmdResetMaint = button(QStringLiteral("Reset Maintenance Records"), "cmdResetMaint");
    cmdSetStartDate = button(QStringLiteral("Set System Start Date"), "cmdSetStartDate");
    layout->addSpacing(8);
    cmdClose = button(QStringLiteral("Close"), "cmdClose");

    connect(cmdReloadDefaults, &QPushButton::clicked, this, &SU_M852_Maint::cmdReloadDefaults_Click);
    connect(cmdResetHistory, &QPushButton::clicked, this, &SU_M852_Maint::cmdResetHistory_Click);
    connect(cmdResetMaint, &QPushButton::clicked, this, &SU_M852_Maint::cmdResetMaint_Click);
    connect(cmdSetStartDate, &QPushButton::clicked, this, &SU_M852_Maint::cmdSetStartDate_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    applyRole();
}

void SU_M852_Maint::applyRole() {
    // Role 1 may reset the maintenance records and reload defaults, but neither wipe the history nor
    // move the start date.
    const clsApplication* app = clsApplication::instance();
    const bool role1 = app && app->CurrentUser() && app->CurrentUser()->Role() == 1;
    cmdSetStartDate->setEnabled(!role1);
    cmdResetHistory->setEnabled(!role1);
}

void SU_M852_Maint::Fill(CDataGroup& data) {
    m_Maint = static_cast<C_M852_Maint*>(&data);
    applyRole();
}

bool SU_M852_Maint::confirm(const QString& line1, const QString& line2) {
    const QString text = line1 + QLatin1Char('\n') + line2 + QStringLiteral("\n\nDo you want to continue?");
    return ui::services().message(this, text, QStringLiteral("WARNING"), ui::Icon::Exclamation,
                                  ui::Buttons::YesNo) == ui::Answer::Yes;
}

void SU_M852_Maint::sendCommand(qint16 a, qint16 b) {
    if (!m_Maint) return;
    try {
        m_Maint->SendMaintCommand(a, b);
    } catch (const std::exception& e) {
        ui::message(this, QString::fromLocal8Bit(e.what()), ui::Icon::Critical);
    }
}

void SU_M852_Maint::cmdReloadDefaults_Click() {
    if (confirm(QStringLiteral("Reloading defaults will reset all system parameters and"),
                QStringLiteral("Defined Common Alarms to their default values.")))
        sendCommand(0, 1);
}

void SU_M852_Maint::cmdResetHistory_Click() {
    if (confirm(QStringLiteral("Resetting historical records will clear all information displayed"),
                QStringLiteral("in the maintainance and system information windows.")))
        sendCommand(0, 2);
}

void SU_M852_Maint::cmdResetMaint_Click() {
    if (confirm(QStringLiteral("Resetting maintainence records will clear all maintainence"),
                QStringLiteral("counters and the last maintainance date.")))
        sendCommand(1, 0);
}

void SU_M852_Maint::cmdSetStartDate_Click() {
    if (!m_Maint) return;
    // Refused before asking: a date the register cannot hold would otherwise be written as a
    // different one (the year wraps past 2127).
    const QDate today = Clock::now().date();
    if (!today.isValid() || today < PackedDate::kFirst || today > PackedDate::kLast) {
        ui::message(this,
                    QStringLiteral("The computer's date (%1) cannot be stored in the controller, which "
                                   "holds dates from 2000 to 2127.\nThe system start date was not changed.")
                        .arg(today.toString(Qt::ISODate)),
                    ui::Icon::Exclamation);
        return;
    }
    if (!confirm(QStringLiteral("Resetting the system start date will change the controller's"),
                 QStringLiteral("start date to match the date on your computer.")))
        return;
    try {
        m_Maint->SendStartDate();
    } catch (const std::exception& e) {
        ui::message(this, QString::fromLocal8Bit(e.what()), ui::Icon::Critical);
    }
}
