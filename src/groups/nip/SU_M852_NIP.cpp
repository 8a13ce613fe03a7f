#include "groups/nip/SU_M852_NIP.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "groups/InputValidation.h"
#include "groups/SharedRoutines.h"
#include "groups/nip/C_M852_NIP.h"

namespace {

constexpr qint32 kCode9600 = 5;
constexpr qint32 kCode19200 = 6;

QLabel* caption(const QString& text, const QString& name, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

}  // namespace

SU_M852_NIP::SU_M852_NIP(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_NIP"));
    setWindowTitle(QStringLiteral("Network Port Setup"));

    auto* grid = new QGridLayout(body());
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);

    txtAddr = new QLineEdit(body());
    txtAddr->setObjectName(QStringLiteral("txtAddr"));
    txtAddr->setMaxLength(3);
    txtAddr->setFixedWidth(txtAddr->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    CNumericKeyFilter::install(txtAddr);
    validateRange(txtAddr, C_M852_NIP::kMinAddress, C_M852_NIP::kMaxAddress);

    // The up/down control beside the box: two small arrow buttons stacked.
    auto* upd = new QWidget(body());
    upd->setObjectName(QStringLiteral("updAddr"));
    auto* updLayout = new QVBoxLayout(upd);
    updLayout->setContentsMargins(0, 0, 0, 0);
    updLayout->setSpacing(0);
    const int arrowHeight = txtAddr->sizeHint().height() / 2;
    updAddrUp = new QToolButton(upd);
    updAddrUp->setObjectName(QStringLiteral("updAddrUp"));
    updAddrUp->setArrowType(Qt::UpArrow);
    updAddrDown = new QToolButton(upd);
    updAddrDown->setObjectName(QStringLiteral("updAddrDown"));
    updAddrDown->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {updAddrUp, updAddrDown}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(arrowHeight + 6, arrowHeight);
        updLayout->addWidget(b);
    }
    connect(updAddrUp, &QToolButton::clicked, this, [this] { stepAddress(+1); });
    connect(updAddrDown, &QToolButton::clicked, this, [this] { stepAddress(-1); });

    auto* addrRow = new QHBoxLayout;
    addrRow->setSpacing(2);
    addrRow->addWidget(txtAddr);
    addrRow->addWidget(upd);
    addrRow->addSpacing(8);
    addrRow->addWidget(caption(QStringLiteral("(1 - 247)"), QStringLiteral("lblAddrRange"), body()));
    addrRow->addStretch(1);

    cboBaudRate = new QComboBox(body());
    cboBaudRate->setObjectName(QStringLiteral("cboBaudRate"));
    cboBaudRate->addItem(QStringLiteral("9600"), kCode9600);
    cboBaudRate->addItem(QStringLiteral("19200"), kCode19200);
    cboParity = new QComboBox(body());
    cboParity->setObjectName(QStringLiteral("cboParity"));
    cboStopBits = new QComboBox(body());
    cboStopBits->setObjectName(QStringLiteral("cboStopBits"));
    const int listWidth = cboBaudRate->sizeHint().width() + 12;
    for (QComboBox* c : {cboBaudRate, cboParity, cboStopBits}) c->setMinimumWidth(listWidth);
    cboParity->setEnabled(false);
    cboStopBits->setEnabled(false);

    auto* lblAddrCaption = caption(QStringLiteral("Address"), QStringLiteral("lblAddrCaption"), body());
    lblAddrCaption->setBuddy(txtAddr);
    grid->addWidget(lblAddrCaption, 0, 0);
    grid->addLayout(addrRow, 0, 1);
    grid->addWidget(caption(QStringLiteral("Baud Rate"), QStringLiteral("lblBaudRateCaption"), body()), 1, 0);
    grid->addWidget(cboBaudRate, 1, 1, Qt::AlignLeft);
    grid->addWidget(caption(QStringLiteral("Parity"), QStringLiteral("lblParityCaption"), body()), 2, 0);
    grid->addWidget(cboParity, 2, 1, Qt::AlignLeft);
    grid->addWidget(caption(QStringLiteral("Stop Bits"), QStringLiteral("lblStopBitsCaption"), body()), 3, 0);
    grid->addWidget(cboStopBits, 3, 1, Qt::AlignLeft);
}

void SU_M852_NIP::stepAddress(int delta) {
    bool ok = false;
    const int current = txtAddr->text().trimmed().toInt(&ok);
    // An empty or unreadable box starts from the bottom of the range.
    const int next = ok ? current + delta : C_M852_NIP::kMinAddress;
    txtAddr->setText(
        QString::number(std::clamp(next, int(C_M852_NIP::kMinAddress), int(C_M852_NIP::kMaxAddress))));
    (void)ValidateRange(txtAddr, C_M852_NIP::kMinAddress, C_M852_NIP::kMaxAddress);
}

void SU_M852_NIP::Fill(CDataGroup& data) {
    const auto& d = static_cast<const C_M852_NIP&>(data);
    const qint16 address = d.NodeAddress();
    const bool valid = address >= C_M852_NIP::kMinAddress && address <= C_M852_NIP::kMaxAddress;
    txtAddr->setText(valid ? QString::number(address) : QString());
    // Entry = code - 5: 5 selects "9600", 6 "19200", any other code nothing.
    const qint32 entry = d.BaudRateCode() - kCode9600;
    cboBaudRate->setCurrentIndex(entry >= 0 && entry < cboBaudRate->count() ? int(entry) : -1);
}

void SU_M852_NIP::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_NIP&>(data);
    // The box has passed its 1..247 check (OK refuses otherwise), so it converts; a pasted fraction
    // is rounded as an integer conversion rounds, half to even.
    bool ok = false;
    const double address = RoundHalfEven(ParseNumber(txtAddr->text(), &ok));
    if (ok && address >= C_M852_NIP::kMinAddress && address <= C_M852_NIP::kMaxAddress)
        d.setNodeAddress(qint16(address));
    if (cboBaudRate->currentIndex() >= 0) d.setBaudRateCode(cboBaudRate->currentData().toInt());
}
