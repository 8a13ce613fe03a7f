#include "groups/loadctrl/DW_M852_LoadCtrl.h"

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "groups/SharedRoutines.h"
#include "groups/loadctrl/C_M852_LoadCtrl.h"
#include "groups/loadctrl/LoadCtrlLayout.h"
#include "groups/loadctrl/SU_M852_LoadCtrl.h"

DW_M852_LoadCtrl::DW_M852_LoadCtrl(QWidget* parent)
    : DW_M852_LoadCtrl(std::make_unique<C_M852_LoadCtrl>(), parent) {}

DW_M852_LoadCtrl::DW_M852_LoadCtrl(std::unique_ptr<C_M852_LoadCtrl> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Load = static_cast<C_M852_LoadCtrl*>(&Data());
    setObjectName(QStringLiteral("DW_M852_LoadCtrl"));
    setWindowTitle(QStringLiteral("Load Control"));
    auto* layout = new QVBoxLayout(this);
    LoadCtrlLayout::Build(this, layout, [this](int i, QWidget* parent) {
        auto* l = new QLabel(QStringLiteral("X:XX"), parent);
        l->setObjectName(QStringLiteral("lblTime_%1").arg(i));
        l->setAlignment(Qt::AlignCenter);
        lblTime[i] = l;
        return l;
    });
    layout->addStretch(1);
    setFixedSize(sizeHint());
}

void DW_M852_LoadCtrl::UpdateDisplay() {
    for (int i = 0; i < C_M852_LoadCtrl::kCount; ++i)
        lblTime[i]->setText(FormatMinutes(m_Load->TimeDelay(i)));
}

QList<QWidget*> DW_M852_LoadCtrl::SetupTargets() const {
    QList<QWidget*> targets = CDisplayWindow::SetupTargets();
    for (QGroupBox* f : findChildren<QGroupBox*>()) targets << f;
    return targets;
}

CSetupDialog* DW_M852_LoadCtrl::CreateSetupDialog(QWidget* owner) { return new SU_M852_LoadCtrl(owner); }
