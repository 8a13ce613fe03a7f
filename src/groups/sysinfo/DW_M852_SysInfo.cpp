#include "groups/sysinfo/DW_M852_SysInfo.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "groups/sysinfo/C_M852_SysInfo.h"
#include "groups/sysinfo/SU_M852_SysInfo.h"

namespace {

struct TextRow {
    const char* name;
    const char* title;
};
// In the order of C_M852_SysInfo::Text.
constexpr TextRow kTextRows[7] = {
    {"lblDesignation", "Designation"},          {"lblDescription", "Load Description"},
    {"lblBranch", "Load Branch "},              {"lblLocation", "Location"},
    {"lblATSSerialNo", "ATS Serial No."},       {"lblControlSerialNo", "Controller Serial No."},
    {"lblContactSerialNo", "Contactor Serial No."},
};

}  // namespace

DW_M852_SysInfo::DW_M852_SysInfo(QWidget* parent)
    : DW_M852_SysInfo(std::make_unique<C_M852_SysInfo>(), parent) {}

DW_M852_SysInfo::DW_M852_SysInfo(std::unique_ptr<C_M852_SysInfo> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Info = static_cast<C_M852_SysInfo*>(&Data());
    setObjectName(QStringLiteral("DW_M852_SysInfo"));
    setWindowTitle(QStringLiteral("System Info"));

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(4);
    int row = 0;
    auto value = [this, grid, &row](const char* name, const char* title) {
        grid->addWidget(new QLabel(QString::fromLatin1(title), this), row, 0);
        auto* l = new QLabel(QStringLiteral("---"), this);
        l->setObjectName(QLatin1String(name));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        // 20 of the widest usual characters fit.
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QString(20, QLatin1Char('W'))) + 8);
        l->setTextFormat(Qt::PlainText);
        grid->addWidget(l, row++, 1);
        return l;
    };
    for (int t = 0; t < 7; ++t) m_text[t] = value(kTextRows[t].name, kTextRows[t].title);
    lblDeviceID = value("lblDeviceID", "Device ID");

    auto* versions = new QGroupBox(QStringLiteral("Software Version Numbers"), this);
    versions->setObjectName(QStringLiteral("fraVersions"));
    fraVersions = versions;
    auto* vg = new QGridLayout(versions);
    vg->setHorizontalSpacing(12);
    auto version = [versions, vg](const QString& name, const QString& title, const QString& placeholder) {
        const int r = vg->rowCount();
        vg->addWidget(new QLabel(title, versions), r, 0);
        auto* l = new QLabel(placeholder, versions);
        l->setObjectName(name);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        vg->addWidget(l, r, 1);
        return l;
    };
    lblControlVersion = version(QStringLiteral("lblControlVersion"), QStringLiteral("Controller"),
                                QStringLiteral("XXX.XXX.XXX"));
    lblPICVersion = version(QStringLiteral("lblPICVersion"), QStringLiteral("PIC"), QStringLiteral("XX.XX"));
    for (int k = 1; k <= 4; ++k)
        lblROBVersion[k - 1] = version(QStringLiteral("lblROB%1Version").arg(k),
                                       QStringLiteral("I/O Module #%1").arg(k), QStringLiteral("XX.XX"));
    grid->addWidget(versions, 0, 2, row, 1, Qt::AlignTop);
    grid->setRowStretch(row, 1);
}

QString DW_M852_SysInfo::DeviceIdText(qint16 id) {
    return QStringLiteral("0x") + QString::number(quint16(id), 16).toUpper();
}

void DW_M852_SysInfo::UpdateDisplay() {
    const C_M852_SysInfo& d = *m_Info;
    for (int t = 0; t < 7; ++t)
        m_text[t]->setText(C_M852_SysInfo::ShownText(d.TextField(C_M852_SysInfo::Text(t))));
    lblDeviceID->setText(DeviceIdText(d.DeviceID()));
    lblControlVersion->setText(QStringLiteral("%1.%2").arg(d.ControlMajor()).arg(d.ControlMinor(), 2, 10, QLatin1Char('0')));
    lblPICVersion->setText(QStringLiteral("%1.%2").arg(d.PICMajor()).arg(d.PICMinor()));
    for (int k = 1; k <= 4; ++k)
        lblROBVersion[k - 1]->setText(C_M852_SysInfo::FormatModuleVersion(d.ModuleMajor(k), d.ModuleMinor(k)));
}

QList<QWidget*> DW_M852_SysInfo::SetupTargets() const {
    QList<QWidget*> out = CDisplayWindow::SetupTargets();
    out.append(fraVersions);
    return out;
}

CSetupDialog* DW_M852_SysInfo::CreateSetupDialog(QWidget* owner) { return new SU_M852_SysInfo(owner); }
