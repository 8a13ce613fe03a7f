#include "groups/syssummary/SU_M852_SysSummary.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "app/clsApplication.h"
#include "base/UiServices.h"
#include "groups/InputValidation.h"
#include "groups/SharedRoutines.h"
#include "groups/syssummary/C_M852_SysSummary.h"
#include "users/clsUser.h"

namespace {

constexpr qint32 kSupervisorRole = 3;
constexpr qint16 kMaxAngle = 20;

template <typename T>
T* named(T* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

QRadioButton* radio(const QString& text, const char* name, QWidget* parent) {
    return named(new QRadioButton(text, parent), name);
}

// Option buttons of one frame are exclusive among themselves only, and none need be selected (a
// controller value outside the list selects none).
QButtonGroup* exclusive(QWidget* parent, std::initializer_list<QRadioButton*> buttons) {
    auto* g = new QButtonGroup(parent);
    g->setExclusive(true);
    for (QRadioButton* b : buttons) g->addButton(b);
    return g;
}

void debug(QWidget* parent, const QString& text) {
    ui::services().message(parent, text, QStringLiteral("DEBUG"), ui::Icon::None, ui::Buttons::Ok);
}

// Unselects every option of a frame, so the filled dialog shows no stale choice.
void clearOptions(std::initializer_list<QRadioButton*> buttons) {
    for (QRadioButton* b : buttons) {
        if (QButtonGroup* g = b->group()) {
            g->setExclusive(false);
            b->setChecked(false);
            g->setExclusive(true);
        } else {
            b->setChecked(false);
        }
    }
}

}  // namespace

SU_M852_SysSummary::SU_M852_SysSummary(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_SysSummary"));
    setWindowTitle(QStringLiteral("System Summary Setup"));

    auto* top = new QGridLayout(body());
    top->setContentsMargins(0, 0, 0, 0);

    // Options.
    auto* options = new QVBoxLayout;
    chkCommitToTransfer =
        named(new QCheckBox(QStringLiteral("Commit To Transfer"), body()), "chkCommitToTransfer");
    chkExtStartTD = named(new QCheckBox(QStringLiteral("Extended Eng. Start TD"), body()), "chkExtStartTD");
    chkPeakShaveBypass =
        named(new QCheckBox(QStringLiteral("Peak Shave Delay Bypass"), body()), "chkPeakShaveBypass");
    options->addWidget(chkCommitToTransfer);
    options->addWidget(chkExtStartTD);
    options->addWidget(chkPeakShaveBypass);

    auto* current = new QHBoxLayout;
    auto* lblRated = named(new QLabel(QStringLiteral("Rated Current"), body()), "lblRatedCurrentTitle");
    txtRatedCurrent = named(new QLineEdit(body()), "txtRatedCurrent");
    txtRatedCurrent->setMaxLength(5);
    txtRatedCurrent->setFixedWidth(
        txtRatedCurrent->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    lblRated->setBuddy(txtRatedCurrent);
    CNumericKeyFilter::install(txtRatedCurrent);
    validateRange(txtRatedCurrent, 0, C_M852_SysSummary::kMaxRatedCurrent);
    current->addWidget(lblRated);
    current->addWidget(txtRatedCurrent);
    current->addStretch(1);
    options->addLayout(current);

    auto* robs = new QHBoxLayout;
    auto* lblRobsTitle =
        named(new QLabel(QStringLiteral("Number of I/O Modules"), body()), "lblNumROBsTitle");
    updNumROBs = named(new QSpinBox(body()), "updNumROBs");
    updNumROBs->setRange(0, C_M852_SysSummary::kMaxROBs);
    lblNumROBs = named(new QLabel(QStringLiteral("0"), body()), "lblNumROBs");
    connect(updNumROBs, &QSpinBox::valueChanged, lblNumROBs,
            [this](int v) { lblNumROBs->setText(QString::number(v)); });
    robs->addWidget(lblRobsTitle);
    robs->addWidget(lblNumROBs);
    robs->addWidget(updNumROBs);
    robs->addStretch(1);
    options->addLayout(robs);
    options->addStretch(1);
    top->addLayout(options, 0, 0);

    // In-phase monitor.
    auto* fraIPM = named(new QGroupBox(QStringLiteral("In Phase Monitor"), body()), "fraIPM");
    auto* ipm = new QGridLayout(fraIPM);
    chkIPM_Enabled = named(new QCheckBox(QStringLiteral("Enabled"), fraIPM), "chkIPM_Enabled");
    updPhaseAngle = named(new QSpinBox(fraIPM), "updPhaseAngle");
    updPhaseAngle->setRange(-kMaxAngle, kMaxAngle);
    lblIPM_PhaseAngle = named(new QLabel(QStringLiteral("0"), fraIPM), "lblIPM_PhaseAngle");
    lblIPM_PhaseAngle->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblIPM_PhaseAngle->setMinimumWidth(
        lblIPM_PhaseAngle->fontMetrics().horizontalAdvance(QStringLiteral("00")));
    lblIPM_LeadLag = named(new QLabel(QStringLiteral("IN PHASE"), fraIPM), "lblIPM_LeadLag");
    lblIPM_LeadLag->setMinimumWidth(
        lblIPM_LeadLag->fontMetrics().horizontalAdvance(QStringLiteral("DEG. LAGGING")));
    ipm->addWidget(chkIPM_Enabled, 0, 0, 1, 3);
    ipm->addWidget(lblIPM_PhaseAngle, 1, 0);
    ipm->addWidget(lblIPM_LeadLag, 1, 1);
    ipm->addWidget(updPhaseAngle, 1, 2);
    connect(updPhaseAngle, &QSpinBox::valueChanged, this, &SU_M852_SysSummary::updPhaseAngle_Change);
    top->addWidget(fraIPM, 1, 0);

    // Supervised transfer (role 3 only).
    fraSupTransfer = named(new QGroupBox(QStringLiteral("Supervised Transfer"), body()), "fraSupTransfer");
    auto* sup = new QVBoxLayout(fraSupTransfer);
    optNonAuto = radio(QStringLiteral("Non-Automatic"), "optNonAuto", fraSupTransfer);
    optAutoOverride = radio(QStringLiteral("Auto Override"), "optAutoOverride", fraSupTransfer);
    sup->addWidget(optNonAuto);
    sup->addWidget(optAutoOverride);
    exclusive(fraSupTransfer, {optNonAuto, optAutoOverride});
    top->addWidget(fraSupTransfer, 2, 0);

    auto* fraMode = named(new QGroupBox(QStringLiteral("Mode of Operation"), body()), "fraModeOfOp");
    auto* mode = new QVBoxLayout(fraMode);
    optGenToGen = radio(QStringLiteral("Genset to Genset"), "optGenToGen", fraMode);
    optGenToUtil = radio(QStringLiteral("Genset to Utility"), "optGenToUtil", fraMode);
    optUtilToUtil = radio(QStringLiteral("Utility to Utility"), "optUtilToUtil", fraMode);
    for (QRadioButton* b : {optGenToGen, optGenToUtil, optUtilToUtil}) mode->addWidget(b);
    exclusive(fraMode, {optGenToGen, optGenToUtil, optUtilToUtil});
    top->addWidget(fraMode, 0, 1);

    auto* fraTrans = named(new QGroupBox(QStringLiteral("Transition Mode"), body()), "fraTransitionMode");
    auto* trans = new QVBoxLayout(fraTrans);
    optOpen = radio(QStringLiteral("Open"), "optOpen", fraTrans);
    optProgrammed = radio(QStringLiteral("Programmed"), "optProgrammed", fraTrans);
    optClosed = radio(QStringLiteral("Closed"), "optClosed", fraTrans);
    for (QRadioButton* b : {optOpen, optProgrammed, optClosed}) trans->addWidget(b);
    exclusive(fraTrans, {optOpen, optProgrammed, optClosed});
    top->addWidget(fraTrans, 1, 1, 2, 1);

    // The rules of a user's click: `clicked` is raised by the mouse and the keyboard, never by
    // setChecked, so filling the dialog runs none of them.
    connect(optOpen, &QRadioButton::clicked, this, &SU_M852_SysSummary::optOpen_Click);
    connect(optProgrammed, &QRadioButton::clicked, this, &SU_M852_SysSummary::optProgrammed_Click);
    connect(chkExtStartTD, &QCheckBox::clicked, this, &SU_M852_SysSummary::chkExtStartTD_Click);

    // Dialog load.
    setAngle(0);
    const clsApplication* app = clsApplication::instance();
    const qint32 role = app && app->CurrentUser() ? app->CurrentUser()->Role() : 0;
    const bool supervisor = role == kSupervisorRole;
    fraSupTransfer->setEnabled(supervisor);
    optNonAuto->setEnabled(supervisor);
    optAutoOverride->setEnabled(supervisor);
}

QString SU_M852_SysSummary::LeadLagText(qint16 angle) {
    if (angle > 0) return QStringLiteral("DEG. LAGGING");
    if (angle == 0) return QStringLiteral("IN PHASE");
    return QStringLiteral("DEG. LEADING");
}

void SU_M852_SysSummary::setAngle(qint16 angle) {
    m_angle = angle;
    lblIPM_PhaseAngle->setText(QString::number(std::abs(int(angle))));
    lblIPM_LeadLag->setText(LeadLagText(angle));
    if (updPhaseAngle->value() != angle) {
        const QSignalBlocker block(updPhaseAngle);
        updPhaseAngle->setValue(angle);
    }
}

void SU_M852_SysSummary::updPhaseAngle_Change(int value) {
    // The up-down control moves one step at a time within -20..20; the labels follow it.
    setAngle(qint16(qBound(-int(kMaxAngle), value, int(kMaxAngle))));
}

void SU_M852_SysSummary::setIPMControlsEnabled(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{chkIPM_Enabled, lblIPM_PhaseAngle, lblIPM_LeadLag, updPhaseAngle})
        w->setEnabled(on);
}

void SU_M852_SysSummary::optOpen_Click() {
    setIPMControlsEnabled(true);
    chkIPM_Enabled->setChecked(false);
}

void SU_M852_SysSummary::optProgrammed_Click() {
    chkIPM_Enabled->setChecked(false);
    setIPMControlsEnabled(false);
}

void SU_M852_SysSummary::chkExtStartTD_Click(bool checked) {
    if (!checked || !chkExtStartTD->isVisibleTo(this)) return;
    const ui::Answer a = ui::services().message(
        this, QStringLiteral("A Battery Option Board must be installed to use extended time delays."),
        QStringLiteral("WARNING"), ui::Icon::Exclamation, ui::Buttons::OkCancel);
    if (a == ui::Answer::Cancel) chkExtStartTD->setChecked(false);
}

void SU_M852_SysSummary::Fill(CDataGroup& data) {
    const auto& d = static_cast<const C_M852_SysSummary&>(data);
    chkCommitToTransfer->setChecked(d.CommitToTrans());
    chkIPM_Enabled->setChecked(d.IPMEnabled());
    chkPeakShaveBypass->setChecked(d.PeakShaveDelayBypass());
    // Shown only by controllers that have the extended delays; a hidden box still carries the
    // controller's bit, so OK writes it back unchanged.
    chkExtStartTD->setVisible(d.ExtStartAvailable());
    chkExtStartTD->setChecked(d.ExtEngStart());
    txtRatedCurrent->setText(QString::number(d.RatedCurrent()));
    updNumROBs->setValue(d.NumROBs());  // a count outside 0..4 shows as the nearest end
    m_shownROBs = updNumROBs->value();
    lblNumROBs->setText(QString::number(d.NumROBs()));

    clearOptions({optGenToGen, optGenToUtil, optUtilToUtil});
    switch (d.ModeOfOp()) {
        case 0:
            optGenToGen->setChecked(true);
            break;
        case 1:
            optGenToUtil->setChecked(true);
            break;
        case 2:
            optUtilToUtil->setChecked(true);
            break;
        default:
            debug(this, QStringLiteral("Unknown operating mode"));
    }
    clearOptions({optOpen, optProgrammed, optClosed});
    switch (d.TransitionMode()) {
        case 0:
            optOpen->setChecked(true);
            break;
        case 1:
            optProgrammed->setChecked(true);
            break;
        case 2:
            optClosed->setChecked(true);
            break;
        default:
            debug(this, QStringLiteral("Unknown transition mode"));
    }
    setIPMControlsEnabled(d.TransitionMode() != 1);
    clearOptions({optAutoOverride, optNonAuto});
    switch (d.SupTransMode()) {
        case 0:
            optAutoOverride->setChecked(true);
            break;
        case 1:
            optNonAuto->setChecked(true);
            break;
        default:
            debug(this, QStringLiteral("Unknown manual mode"));
    }
    const qint16 angle = d.IPMLeadLag() == 1 ? qint16(-d.IPMPhaseAngle()) : d.IPMPhaseAngle();
    setAngle(angle);
}

void SU_M852_SysSummary::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_SysSummary&>(data);
    d.setCommitToTrans(chkCommitToTransfer->isChecked());
    d.setIPMEnabled(chkIPM_Enabled->isChecked());
    d.setPeakShaveDelayBypass(chkPeakShaveBypass->isChecked());
    d.setExtEngStart(chkExtStartTD->isChecked());
    bool ok = false;
    const double amps = ParseNumber(txtRatedCurrent->text(), &ok);
    // The box held 0..4000 when it was left (OK checks it again), so the value fits.
    if (ok) d.setRatedCurrent(qint16(RoundHalfEven(amps)));
    // Untouched, the control leaves the controller's count as it is (even one outside 0..4).
    if (updNumROBs->value() != m_shownROBs) d.setNumROBs(qint16(updNumROBs->value()));
    if (optGenToGen->isChecked())
        d.setModeOfOp(0);
    else if (optGenToUtil->isChecked())
        d.setModeOfOp(1);
    else if (optUtilToUtil->isChecked())
        d.setModeOfOp(2);
    else
        debug(this, QStringLiteral("No operation mode"));
    if (optOpen->isChecked())
        d.setTransitionMode(0);
    else if (optProgrammed->isChecked())
        d.setTransitionMode(1);
    else if (optClosed->isChecked())
        d.setTransitionMode(2);
    else
        debug(this, QStringLiteral("No transition mode"));
    if (optAutoOverride->isChecked())
        d.setSupTransMode(0);
    else if (optNonAuto->isChecked())
        d.setSupTransMode(1);
    else
        debug(this, QStringLiteral("No manual switch mode"));
    d.setIPMLeadLag(m_angle < 0 ? 1 : (m_angle == 0 ? -1 : 0));
    d.setIPMPhaseAngle(qint16(std::abs(int(m_angle))));
}
