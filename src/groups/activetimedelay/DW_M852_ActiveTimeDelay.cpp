#include "groups/activetimedelay/DW_M852_ActiveTimeDelay.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>

#include "base/StringTable.h"
#include "groups/NumberFormat.h"
#include "groups/SharedRoutines.h"
#include "groups/activetimedelay/C_M852_ActiveTimeDelay.h"

namespace {

constexpr int kTimerNameBase = 400;
constexpr qint16 kLastTimerCode = 50;
constexpr qint16 kNone = 0;
constexpr qint16 kOffToStandby = 9;
constexpr qint16 kOffToPreferred = 10;
constexpr qint16 kExerciseRun = 14;  // shown and timed by the exerciser window

}  // namespace

DW_M852_ActiveTimeDelay::DW_M852_ActiveTimeDelay(QWidget* parent)
    : DW_M852_ActiveTimeDelay(std::make_unique<C_M852_ActiveTimeDelay>(), parent) {}

DW_M852_ActiveTimeDelay::DW_M852_ActiveTimeDelay(std::unique_ptr<C_M852_ActiveTimeDelay> data,
                                                 QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Active = static_cast<C_M852_ActiveTimeDelay*>(&Data());
    setObjectName(QStringLiteral("DW_M852_ActiveTimeDelay"));
    setWindowTitle(QStringLiteral("Active Time Delay"));

    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(6);
    auto* title = new QLabel(QStringLiteral("Current Active Time Delay"), this);
    title->setObjectName(QStringLiteral("lblTitleTimeDelay"));
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    lblTimeDelay = new QLabel(QString(), this);
    lblTimeDelay->setObjectName(QStringLiteral("lblTimeDelay"));
    lblTimeDelay->setMinimumWidth(
        lblTimeDelay->fontMetrics().horizontalAdvance(QStringLiteral("Extended Source N Engine Start  ")));
    lblTimeRemaining = new QLabel(QString(), this);
    lblTimeRemaining->setObjectName(QStringLiteral("lblTimeRemaining"));
    lblTimeRemaining->setMinimumWidth(
        lblTimeRemaining->fontMetrics().horizontalAdvance(QStringLiteral("0000:00.0")));
    lblPercentRemaining = new QLabel(QString(), this);
    lblPercentRemaining->setObjectName(QStringLiteral("lblPercentRemaining"));
    lblPercentRemaining->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblPercentRemaining->setMinimumWidth(
        lblPercentRemaining->fontMetrics().horizontalAdvance(QStringLiteral("(100%)")));
    pbrProgress = new QProgressBar(this);
    pbrProgress->setObjectName(QStringLiteral("pbrProgress"));
    pbrProgress->setRange(0, 100);
    pbrProgress->setValue(0);
    pbrProgress->setTextVisible(false);
    cmdEndDelay = new QPushButton(QStringLiteral("&End Delay"), this);
    cmdEndDelay->setObjectName(QStringLiteral("cmdEndDelay"));
    cmdEndDelay->setEnabled(false);
    connect(cmdEndDelay, &QPushButton::clicked, this, &DW_M852_ActiveTimeDelay::cmdEndDelay_Click);

    grid->addWidget(title, 0, 0, 1, 2);
    grid->addWidget(lblTimeDelay, 1, 0, 1, 2);
    grid->addWidget(lblTimeRemaining, 2, 0);
    grid->addWidget(lblPercentRemaining, 2, 1);
    grid->addWidget(pbrProgress, 3, 0, 1, 2);
    grid->addWidget(cmdEndDelay, 4, 1, Qt::AlignRight);
    grid->setRowStretch(5, 1);
    setFixedSize(sizeHint());
}

std::optional<QString> DW_M852_ActiveTimeDelay::TimerName(qint16 code) {
    if (code < 0 || code > kLastTimerCode) return std::nullopt;
    return StringTable::lookup(kTimerNameBase + code);
}

void DW_M852_ActiveTimeDelay::UpdateDisplay() {
    const C_M852_ActiveTimeDelay& d = *m_Active;
    const qint16 code = d.TimeDelayCode();
    cmdEndDelay->setEnabled(code != kNone && code != kOffToStandby && code != kOffToPreferred &&
                            code != kExerciseRun);
    const auto name = TimerName(code == kExerciseRun ? kNone : code);
    if (!name) {
        lblTimeDelay->setText(QStringLiteral("Unknown Time Delay"));
        lblTimeRemaining->clear();
        lblPercentRemaining->clear();
        pbrProgress->setValue(0);
        cmdEndDelay->setEnabled(false);
        return;
    }
    lblTimeDelay->setText(*name);
    if (code == kNone || code == kExerciseRun) {
        lblTimeRemaining->clear();
        lblPercentRemaining->clear();
        pbrProgress->setValue(0);
        return;
    }
    // Tenths of a second: 653 -> 65 whole seconds "1:05" and the fraction ".3".
    const double seconds = d.TimeRemaining() / 10.0;
    const double whole = std::floor(seconds);
    lblTimeRemaining->setText(FormatMinutes(qint32(whole)) + NumberFormat::Format(seconds - whole, u".0"));
    if (d.TimeTotal() > 0) {
        const double r = double(d.TimeRemaining()) / double(d.TimeTotal());
        lblPercentRemaining->setText(NumberFormat::Format(1.0 - r, u"(0%)"));  // the part elapsed
        // A remaining time beyond the total (or below 0) would put the bar outside its range, where
        // it would keep its old value: show the nearest end instead.
        pbrProgress->setValue(qBound(0, int(RoundHalfEven(100.0 - 100.0 * r)), 100));
    }
}

void DW_M852_ActiveTimeDelay::cmdEndDelay_Click() {
    m_Active->EndDelay();
    m_Active->SendEndDelay();
}
