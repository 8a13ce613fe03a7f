#include "groups/syssummary/DW_M852_SysSummary.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "base/StringTable.h"
#include "groups/history/EventList.h"
#include "groups/syssummary/C_M852_SysSummary.h"
#include "groups/syssummary/SU_M852_SysSummary.h"

namespace {

constexpr qint16 kSystemReady = 232;
constexpr int kCaptionId = 1100;

QString unknown() { return QStringLiteral("DEBUG: Unknown"); }

QString pick(qint32 value, std::initializer_list<const char*> texts) {
    if (value < 0 || value >= qint32(texts.size())) return unknown();
    return QString::fromLatin1(*(texts.begin() + value));
}

QString enabled(bool on) { return on ? QStringLiteral("Enabled") : QStringLiteral("Disabled"); }
QString yesNo(bool on) { return on ? QStringLiteral("Yes") : QStringLiteral("No"); }

}  // namespace

DW_M852_SysSummary::DW_M852_SysSummary(QWidget* parent)
    : DW_M852_SysSummary(std::make_unique<C_M852_SysSummary>(), parent) {}

DW_M852_SysSummary::DW_M852_SysSummary(std::unique_ptr<C_M852_SysSummary> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Sum = static_cast<C_M852_SysSummary*>(&Data());
    setObjectName(QStringLiteral("DW_M852_SysSummary"));
    setWindowTitle(StringTable::lookup(kCaptionId).value_or(QStringLiteral("System Summary")));
    buildUi();
}

void DW_M852_SysSummary::buildUi() {
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(4);
    int row = 0;
    auto add = [&](QGridLayout* g, int& r, const QString& name, const QString& title) {
        auto* t = new QLabel(title, this);
        t->setObjectName(QStringLiteral("lblTitle") + name.mid(3));
        auto* v = new QLabel(QStringLiteral("---"), this);
        v->setObjectName(name);
        v->setMinimumWidth(v->fontMetrics().horizontalAdvance(QStringLiteral("Enabled ( 20 deg. LEAD )")));
        g->addWidget(t, r, 0);
        g->addWidget(v, r, 1);
        ++r;
        return v;
    };
    lblSysState = add(grid, row, QStringLiteral("lblSysState"), QStringLiteral("System State"));
    lblSysState->setMinimumWidth(lblSysState->fontMetrics().horizontalAdvance(
        QStringLiteral("Transfer Inhibited By Remote Input xx")));
    lblContactPos = add(grid, row, QStringLiteral("lblContactPos"), QStringLiteral("Contactor Position"));
    lblPreferredSource =
        add(grid, row, QStringLiteral("lblPreferredSource"), QStringLiteral("Preferred Source"));
    lblPrefSourceAvail =
        add(grid, row, QStringLiteral("lblPrefSourceAvail"), QStringLiteral("Preferred Source Available"));
    lblStandbySourceAvail =
        add(grid, row, QStringLiteral("lblStandbySourceAvail"), QStringLiteral("Standby Source Available"));
    lblModeOfOp = add(grid, row, QStringLiteral("lblModeOfOp"), QStringLiteral("Mode of Operation"));
    lblTransitionMode =
        add(grid, row, QStringLiteral("lblTransitionMode"), QStringLiteral("Transition Mode"));
    lblInPhaseMon = add(grid, row, QStringLiteral("lblInPhaseMon"), QStringLiteral("In Phase Monitor"));
    lblCommitToTrans =
        add(grid, row, QStringLiteral("lblCommitToTrans"), QStringLiteral("Commit to Transfer"));
    lblExtEngStart = add(grid, row, QStringLiteral("lblExtEngStart"), QStringLiteral("Ext. Eng. Time Delay"));
    lblPeakShaveDelayBypass =
        add(grid, row, QStringLiteral("lblPeakShaveDelayBypass"), QStringLiteral("Peak Shave Delay Bypass"));
    lblRatedCurrent = add(grid, row, QStringLiteral("lblRatedCurrent"), QStringLiteral("Rated Current"));
    lblNumROBs = add(grid, row, QStringLiteral("lblNumROBs"), QStringLiteral("I/O Modules Expected"));

    m_fraSupTransfer = new QGroupBox(QStringLiteral("Supervised Transfer"), this);
    m_fraSupTransfer->setObjectName(QStringLiteral("fraSupTransfer"));
    auto* sup = new QGridLayout(m_fraSupTransfer);
    int supRow = 0;
    auto addSup = [&](const QString& name, const QString& title) {
        auto* t = new QLabel(title, m_fraSupTransfer);
        t->setObjectName(QStringLiteral("lblTitle") + name.mid(3));
        auto* v = new QLabel(QStringLiteral("---"), m_fraSupTransfer);
        v->setObjectName(name);
        sup->addWidget(t, supRow, 0);
        sup->addWidget(v, supRow, 1);
        ++supRow;
        return v;
    };
    lblSupTransMode = addSup(QStringLiteral("lblSupTransMode"), QStringLiteral("Mode"));
    lblSupSwitchPos = addSup(QStringLiteral("lblSupSwitchPos"), QStringLiteral("Switch Position"));
    sup->setColumnStretch(1, 1);
    grid->addWidget(m_fraSupTransfer, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    setFixedSize(sizeHint());
}

QString DW_M852_SysSummary::BuildStrIPM(bool on, qint16 angle, qint32 leadLag) {
    QString text = enabled(on) + QStringLiteral(" ( ") + QString::number(angle) + QStringLiteral(" deg. ");
    if (angle != 0) text += leadLag == 1 ? QStringLiteral("LEAD") : QStringLiteral("LAG");
    return text + QStringLiteral(" )");
}

QString DW_M852_SysSummary::SysStateText(qint16 code) {
    if (code == kSystemReady) return QStringLiteral("System Ready");
    // Event texts exist for codes 0-232 only; the state field holds up to 1023, and 3500 + code would
    // be a cleared-event text, never a state.
    if (code >= 0 && code <= kSystemReady)
        if (auto t = StringTable::lookup(EventList::kSetTextBase + code)) return *t;
    return QStringLiteral("Unknown state %1").arg(code);
}

void DW_M852_SysSummary::UpdateDisplay() {
    const C_M852_SysSummary& d = *m_Sum;
    lblSysState->setText(SysStateText(d.SysState()));
    lblPreferredSource->setText(pick(d.PreferredSource(), {"Source N", "Source E"}));
    lblCommitToTrans->setText(enabled(d.CommitToTrans()));
    lblExtEngStart->setText(enabled(d.ExtEngStart()));
    lblPeakShaveDelayBypass->setText(enabled(d.PeakShaveDelayBypass()));
    lblInPhaseMon->setText(BuildStrIPM(d.IPMEnabled(), d.IPMPhaseAngle(), d.IPMLeadLag()));
    lblNumROBs->setText(QString::number(d.NumROBs()));
    lblRatedCurrent->setText(QString::number(d.RatedCurrent()));
    lblContactPos->setText(pick(d.ContactPos(), {"Off", "Source N", "Source E", "Fault"}));
    lblTransitionMode->setText(pick(d.TransitionMode(), {"Open", "Programmed", "Closed"}));
    lblPrefSourceAvail->setText(yesNo(d.PrefSourceAvail()));
    lblStandbySourceAvail->setText(yesNo(d.StandbySourceAvail()));
    lblModeOfOp->setText(pick(d.ModeOfOp(), {"Genset - Genset", "Genset - Utility", "Utility - Utility"}));
    lblSupTransMode->setText(pick(d.SupTransMode(), {"Auto Override", "Non Auto"}));
    lblSupSwitchPos->setText(pick(d.SupSwitchPos(), {"Auto", "Manual"}));
}

QList<QWidget*> DW_M852_SysSummary::SetupTargets() const {
    QList<QWidget*> targets = CDisplayWindow::SetupTargets();
    targets << m_fraSupTransfer;
    return targets;
}

CSetupDialog* DW_M852_SysSummary::CreateSetupDialog(QWidget* owner) { return new SU_M852_SysSummary(owner); }
