#include "groups/nip/DW_M852_NIP.h"

#include <QGridLayout>
#include <QLabel>

#include "groups/nip/C_M852_NIP.h"
#include "groups/nip/SU_M852_NIP.h"

DW_M852_NIP::DW_M852_NIP(QWidget* parent) : DW_M852_NIP(std::make_unique<C_M852_NIP>(), parent) {}

DW_M852_NIP::DW_M852_NIP(std::unique_ptr<C_M852_NIP> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Nip = static_cast<C_M852_NIP*>(&Data());
    setObjectName(QStringLiteral("DW_M852_NIP"));
    setWindowTitle(QStringLiteral("Network Port"));

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(6);
    int row = 0;
    auto addRow = [&](const QString& field, const QString& title, const QString& value) {
        auto* t = new QLabel(title, this);
        t->setObjectName(QStringLiteral("lblTitle") + field);
        auto* v = new QLabel(value, this);
        v->setObjectName(QStringLiteral("lbl") + field);
        grid->addWidget(t, row, 0);
        grid->addWidget(v, row, 1);
        ++row;
        return v;
    };
    lblAddr = addRow(QStringLiteral("Addr"), QStringLiteral("Address"), QStringLiteral("---"));
    lblBaudRate = addRow(QStringLiteral("BaudRate"), QStringLiteral("Baud Rate"), QStringLiteral("---"));
    addRow(QStringLiteral("Parity"), QStringLiteral("Parity"), QStringLiteral("none"));
    addRow(QStringLiteral("StopBits"), QStringLiteral("Stop Bits"), QStringLiteral("1"));
    // Room for the longest text the baud-rate row can show.
    lblBaudRate->setMinimumWidth(lblBaudRate->fontMetrics().horizontalAdvance(BaudRateText(-32768)));
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(2, 1);
    setFixedSize(sizeHint());
}

QString DW_M852_NIP::BaudRateText(qint32 code) {
    if (const auto rate = C_M852_NIP::BaudRate(code)) return QString::number(*rate);
    return QStringLiteral("Unknown (code %1)").arg(code);
}

void DW_M852_NIP::UpdateDisplay() {
    lblAddr->setText(QString::number(m_Nip->NodeAddress()));
    lblBaudRate->setText(BaudRateText(m_Nip->BaudRateCode()));
}

CSetupDialog* DW_M852_NIP::CreateSetupDialog(QWidget* owner) { return new SU_M852_NIP(owner); }
