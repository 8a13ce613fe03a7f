#include "groups/loadctrl/SU_M852_LoadCtrl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "groups/InputValidation.h"
#include "groups/SharedRoutines.h"
#include "groups/loadctrl/C_M852_LoadCtrl.h"
#include "groups/loadctrl/LoadCtrlLayout.h"

SU_M852_LoadCtrl::SU_M852_LoadCtrl(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_LoadCtrl"));
    setWindowTitle(QStringLiteral("Load Control Setup"));
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(0, 0, 0, 0);
    LoadCtrlLayout::Build(body(), layout, [this](int i, QWidget* parent) {
        auto* cell = new QWidget(parent);
        auto* row = new QHBoxLayout(cell);
        row->setContentsMargins(0, 0, 0, 0);
        auto* box = new QLineEdit(cell);
        box->setObjectName(QStringLiteral("txtTimeDelay_%1").arg(i));
        box->setMaxLength(6);
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("000:00")) + 16);
        CNumericKeyFilter::install(box, QStringLiteral(":"), QStringLiteral(":"));
        validateText(box, &C_M852_LoadCtrl::IsValidText);
        auto* hint = new QLabel(QStringLiteral("( 00:00 - 60:00 )   (mm:ss)"), cell);
        hint->setObjectName(QStringLiteral("lblTimeDelayRange_%1").arg(i));
        row->addWidget(box);
        row->addWidget(hint);
        txtTimeDelay[i] = box;
        return cell;
    });
}

void SU_M852_LoadCtrl::Fill(CDataGroup& data) {
    const auto& d = static_cast<const C_M852_LoadCtrl&>(data);
    for (int i = 0; i < C_M852_LoadCtrl::kCount; ++i) txtTimeDelay[i]->setText(FormatMinutes(d.TimeDelay(i)));
}

void SU_M852_LoadCtrl::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_LoadCtrl&>(data);
    // Every text passed IsValidText (0..3600 s) before OK.
    for (int i = 0; i < C_M852_LoadCtrl::kCount; ++i)
        d.setTimeDelay(i, qint16(ParseTimeText(txtTimeDelay[i]->text(), 0)));
}
