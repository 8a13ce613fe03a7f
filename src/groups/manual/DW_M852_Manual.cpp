#include "groups/manual/DW_M852_Manual.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/clsApplication.h"
#include "base/StringTable.h"
#include "base/UiServices.h"
#include "groups/CDataGroup.h"
#include "groups/manual/C_M852_Manual.h"
#include "users/clsUser.h"

namespace {

// String-table ids of the window's texts.
constexpr int kIdCaption = 1075;         // "Manual Operation"
constexpr int kIdStart = 1076;           // "Start"
constexpr int kIdStop = 1077;            // "Stop"
constexpr int kIdTransferToOff = 1078;   // "Transfer to OFF"
constexpr int kIdPeakShave = 1079;       // "Peak Shave"
constexpr int kIdSysTest = 1080;         // "System Test"
constexpr int kIdProgTransition = 1081;  // "Programmed Transition"

QString str(int id, const char* fallback) {
    return StringTable::lookup(id).value_or(QString::fromLatin1(fallback));
}

bool isGuest() {
    const clsApplication* app = clsApplication::instance();
    return !app || !app->CurrentUser() || app->CurrentUser()->Role() == kGuestRole;
}

QPushButton* button(const QString& text, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setEnabled(false);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

DW_M852_Manual::DW_M852_Manual(QWidget* parent) : DW_M852_Manual(std::make_unique<C_M852_Manual>(), parent) {}

DW_M852_Manual::DW_M852_Manual(std::unique_ptr<C_M852_Manual> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Man = static_cast<C_M852_Manual*>(&Data());
    setObjectName(QStringLiteral("DW_M852_Manual"));
    setWindowTitle(str(kIdCaption, "Manual Operation"));

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(10);

    auto frame = [this](const QString& title, const char* name) {
        auto* f = new QGroupBox(title, this);
        f->setObjectName(QLatin1String(name));
        return f;
    };

    auto* fraPeakShave = frame(str(kIdPeakShave, "Peak Shave"), "fraPeakShave");
    cmdStartPeakShave = button(str(kIdStart, "Start"), QStringLiteral("cmdStartPeakShave"), fraPeakShave);
    cmdStopPeakShave = button(str(kIdStop, "Stop"), QStringLiteral("cmdStopPeakShave"), fraPeakShave);
    auto* peakLayout = new QHBoxLayout(fraPeakShave);
    peakLayout->addWidget(cmdStartPeakShave);
    peakLayout->addWidget(cmdStopPeakShave);

    auto* fraSysTest = frame(str(kIdSysTest, "System Test"), "fraSysTest");
    cmdStartSysTest = button(str(kIdStart, "Start"), QStringLiteral("cmdStartSysTest"), fraSysTest);
    cmdStopSysTest = button(str(kIdStop, "Stop"), QStringLiteral("cmdStopSysTest"), fraSysTest);
    auto* testLayout = new QHBoxLayout(fraSysTest);
    testLayout->addWidget(cmdStartSysTest);
    testLayout->addWidget(cmdStopSysTest);

    auto* fraProgTransition = frame(str(kIdProgTransition, "Programmed Transition"), "fraProgTransition");
    cmdTransferToOff = button(str(kIdTransferToOff, "Transfer to OFF"), QStringLiteral("cmdTransferToOff"),
                              fraProgTransition);
    cmdResumeNormalOp =
        button(QStringLiteral("Resume Normal Ops"), QStringLiteral("cmdResumeNormalOp"), fraProgTransition);
    auto* progLayout = new QHBoxLayout(fraProgTransition);
    progLayout->addWidget(cmdTransferToOff);
    progLayout->addWidget(cmdResumeNormalOp);

    auto* fraOutputs = frame(QStringLiteral("Modbus Controlled Relay Outputs"), "fraOutputs");
    auto* outLayout = new QGridLayout(fraOutputs);
    for (int k = 1; k <= 4; ++k) {
        cmdOutput[k] =
            button(QStringLiteral("Relay #%1 OFF").arg(k), QStringLiteral("cmdOutput_%1").arg(k), fraOutputs);
        // Wide enough for "Output #k OFF" and "Relay #k OFF" alike.
        cmdOutput[k]->setMinimumWidth(
            cmdOutput[k]->fontMetrics().horizontalAdvance(QStringLiteral("Output #8 OFF")) + 24);
        outLayout->addWidget(cmdOutput[k], (k - 1) / 2, (k - 1) % 2);
        connect(cmdOutput[k], &QPushButton::clicked, this, [this, k] { cmdOutput_Click(k); });
    }

    layout->addWidget(fraPeakShave, 0, 0);
    layout->addWidget(fraSysTest, 0, 1);
    layout->addWidget(fraProgTransition, 1, 0, 1, 2);
    layout->addWidget(fraOutputs, 2, 0, 1, 2);
    layout->setRowStretch(3, 1);

    connect(cmdStartPeakShave, &QPushButton::clicked, this,
            [this] { runCommand(&C_M852_Manual::StartPeakShave); });
    connect(cmdStopPeakShave, &QPushButton::clicked, this,
            [this] { runCommand(&C_M852_Manual::StopPeakShave); });
    connect(cmdStartSysTest, &QPushButton::clicked, this,
            [this] { runCommand(&C_M852_Manual::StartSysTest); });
    connect(cmdStopSysTest, &QPushButton::clicked, this, [this] { runCommand(&C_M852_Manual::StopSysTest); });
    connect(cmdTransferToOff, &QPushButton::clicked, this,
            [this] { runCommand(&C_M852_Manual::TransferToOff); });
    connect(cmdResumeNormalOp, &QPushButton::clicked, this,
            [this] { runCommand(&C_M852_Manual::ResumeNormalOp); });

    setFixedSize(sizeHint());
}

bool DW_M852_Manual::mayWrite() const {
    if (IsUnloaded()) return false;
    if (SetupAllowed() && Data().IsFresh()) return true;
    ui::services().beep();
    return false;
}

void DW_M852_Manual::runCommand(void (C_M852_Manual::*choose)()) {
    if (!mayWrite()) return;
    (m_Man->*choose)();
    m_Man->SendCommand();
}

void DW_M852_Manual::cmdOutput_Click(int k) {
    if (!mayWrite()) return;
    m_Man->setRelayOn(k, !m_Man->RelayOn(k));
    m_Man->SendRelays();
}

void DW_M852_Manual::UpdateDisplay() {
    const C_M852_Manual& d = *m_Man;
    // A guest sees the states but gets no button.
    const bool may = !isGuest();
    cmdTransferToOff->setEnabled(may && d.ProgTransition());
    cmdResumeNormalOp->setEnabled(may && d.ProgTransition());
    cmdStopPeakShave->setEnabled(may && d.PeakShaveActive());
    cmdStartPeakShave->setEnabled(may && !d.PeakShaveActive());
    cmdStopSysTest->setEnabled(may && d.SysTestActive());
    cmdStartSysTest->setEnabled(may && !d.SysTestActive());
    for (int k = 1; k <= 4; ++k) {
        cmdOutput[k]->setEnabled(may && d.RelayEnabled(k));
        cmdOutput[k]->setText(QStringLiteral("Output #%1 %2")
                                  .arg(k)
                                  .arg(d.RelayOn(k) ? QStringLiteral("ON") : QStringLiteral("OFF")));
    }
}
