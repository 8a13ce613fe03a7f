#include "groups/progio/SU_M852_ProgIO.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "base/StringTable.h"
#include "base/UiServices.h"
#include "groups/progio/CUpDown.h"

namespace {

constexpr int kFirstInput = 115;
constexpr int kLastInput = 124;
constexpr int kFirstOutput = 55;
constexpr int kLastOutput = 107;

QComboBox* makeList(QWidget* parent, const QString& name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return c;
}

}  // namespace

SU_M852_ProgIO::SU_M852_ProgIO(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_ProgIO"));
    setWindowTitle(QStringLiteral("Programmable Input/Output"));
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(0, 0, 0, 0);

    auto* mlb = new QGroupBox(QStringLiteral("Main Logic Board"), body());
    mlb->setObjectName(QStringLiteral("fraMLB"));
    auto* g = new QGridLayout(mlb);
    for (int k = 1; k <= 2; ++k) {
        g->addWidget(new QLabel(QStringLiteral("Terminal Strip Input #%1").arg(k), mlb), k - 1, 0);
        cboMLBInput[k - 1] = makeList(mlb, QStringLiteral("cboMLBInput_%1").arg(k));
        g->addWidget(cboMLBInput[k - 1], k - 1, 1);
    }
    g->addWidget(new QLabel(QStringLiteral("Programmable Output"), mlb), 2, 0);
    cboMLBOutput = makeList(mlb, QStringLiteral("cboMLBOutput"));
    g->addWidget(cboMLBOutput, 2, 1);
    layout->addWidget(mlb);

    auto* rob = new QGroupBox(QStringLiteral("Input/Output Modules"), body());
    rob->setObjectName(QStringLiteral("fraROB"));
    auto* rl = new QVBoxLayout(rob);
    auto* addrRow = new QHBoxLayout;
    addrRow->addWidget(new QLabel(QStringLiteral("Address"), rob));
    lblAddr = new QLabel(QStringLiteral("1"), rob);
    lblAddr->setObjectName(QStringLiteral("lblAddr"));
    lblAddr->setFrameShape(QFrame::Panel);
    lblAddr->setFrameShadow(QFrame::Sunken);
    lblAddr->setAlignment(Qt::AlignCenter);
    lblAddr->setMinimumWidth(lblAddr->fontMetrics().horizontalAdvance(QStringLiteral("00")) + 8);
    updAddr = new CUpDown(1, 4, rob);
    updAddr->setObjectName(QStringLiteral("updAddr"));
    addrRow->addWidget(lblAddr);
    addrRow->addWidget(updAddr);
    addrRow->addStretch(1);
    rl->addLayout(addrRow);
    auto* inputs = new QGroupBox(QStringLiteral("Inputs"), rob);
    auto* ig = new QGridLayout(inputs);
    for (int k = 1; k <= 2; ++k) {
        ig->addWidget(new QLabel(QString::number(k), inputs), k - 1, 0);
        cboROBInput[k - 1] = makeList(inputs, QStringLiteral("cboROBInput_%1").arg(k));
        ig->addWidget(cboROBInput[k - 1], k - 1, 1);
    }
    rl->addWidget(inputs);
    auto* outputs = new QGroupBox(QStringLiteral("Outputs"), rob);
    auto* og = new QGridLayout(outputs);
    for (int k = 1; k <= 6; ++k) {
        og->addWidget(new QLabel(QString::number(k), outputs), k - 1, 0);
        cboROBOutput[k - 1] = makeList(outputs, QStringLiteral("cboROBOutput_%1").arg(k));
        og->addWidget(cboROBOutput[k - 1], k - 1, 1);
    }
    rl->addWidget(outputs);
    layout->addWidget(rob);

    for (QComboBox* c : {cboMLBInput[0], cboMLBInput[1], cboROBInput[0], cboROBInput[1]})
        fillList(c, kFirstInput, kLastInput);
    fillList(cboMLBOutput, kFirstOutput, kLastOutput);
    for (QComboBox* c : cboROBOutput) fillList(c, kFirstOutput, kLastOutput);

    // OK first asks about "Forced Transfer to Off", then runs the common OK (Commit, SendSetup).
    QObject::disconnect(cmdOK(), nullptr, this, nullptr);
    connect(cmdOK(), &QPushButton::clicked, this, &SU_M852_ProgIO::cmdOKChecked_Click);
    connect(updAddr, &CUpDown::valueChanged, this, &SU_M852_ProgIO::updAddr_Change);
}

void SU_M852_ProgIO::fillList(QComboBox* list, int first, int last) {
    for (int code = first; code <= last; ++code)
        list->addItem(StringTable::lookup(3000 + code).value_or(QStringLiteral("Code %1").arg(code)), code);
}

void SU_M852_ProgIO::select(QComboBox* list, qint16 code) {
    const int index = list->findData(int(code));
    list->setPlaceholderText(index < 0 ? QStringLiteral("Code %1").arg(code) : QString());
    list->setCurrentIndex(index);
}

void SU_M852_ProgIO::store(const QComboBox* list, qint16& code) {
    if (list->currentIndex() < 0) return;  // nothing chosen: the code stays as read
    code = static_cast<qint16>(list->currentData().toInt());
}

void SU_M852_ProgIO::showModule() {
    lblAddr->setText(QString::number(m_module));
    select(cboMLBOutput, m_copy[0]);
    for (int k = 1; k <= 2; ++k) select(cboMLBInput[k - 1], m_copy[std::size_t(C_M852_ProgIO::MLBInputIndex(k))]);
    for (int k = 1; k <= 2; ++k)
        select(cboROBInput[k - 1], m_copy[std::size_t(C_M852_ProgIO::ROBInputIndex(m_module, k))]);
    for (int k = 1; k <= 6; ++k)
        select(cboROBOutput[k - 1], m_copy[std::size_t(C_M852_ProgIO::ROBOutputIndex(m_module, k))]);
}

void SU_M852_ProgIO::storeMainBoard() {
    store(cboMLBOutput, m_copy[0]);
    for (int k = 1; k <= 2; ++k) store(cboMLBInput[k - 1], m_copy[std::size_t(C_M852_ProgIO::MLBInputIndex(k))]);
}

void SU_M852_ProgIO::storeModule() {
    for (int k = 1; k <= 2; ++k)
        store(cboROBInput[k - 1], m_copy[std::size_t(C_M852_ProgIO::ROBInputIndex(m_module, k))]);
    for (int k = 1; k <= 6; ++k)
        store(cboROBOutput[k - 1], m_copy[std::size_t(C_M852_ProgIO::ROBOutputIndex(m_module, k))]);
}

void SU_M852_ProgIO::Fill(CDataGroup& data) {
    m_copy = static_cast<const C_M852_ProgIO&>(data).Registers35();
    showModule();
}

void SU_M852_ProgIO::updAddr_Change(int module) {
    storeModule();
    m_module = module;
    showModule();
}

bool SU_M852_ProgIO::confirmForcedOff() {
    bool forced = false;
    for (int k = 1; k <= 2; ++k) {
        forced = forced || m_copy[std::size_t(C_M852_ProgIO::MLBInputIndex(k))] == C_M852_ProgIO::kForcedTransferToOff;
        for (int m = 1; m <= 4; ++m)
            forced = forced ||
                     m_copy[std::size_t(C_M852_ProgIO::ROBInputIndex(m, k))] == C_M852_ProgIO::kForcedTransferToOff;
    }
    if (!forced) return true;
    // Own box rather than ui::message: No must be the default button, so that Enter writes nothing.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("WARNING"),
                    QStringLiteral("You have selected 'Forced Transfer to Off' as an input.\n"
                                   "If a load shed accessory is not installed on a programmed\n"
                                   "transition transfer switch, forcing a transfer to Off will\n"
                                   "cause a failure to transfer error.\n\n"
                                   "Do you want to continue?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("msgForcedTransferToOff"));
    box.button(QMessageBox::Yes)->setObjectName(QStringLiteral("cmdYes"));
    box.button(QMessageBox::No)->setObjectName(QStringLiteral("cmdNo"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    ui::services().execDialog(box);
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

void SU_M852_ProgIO::cmdOKChecked_Click() {
    storeMainBoard();
    storeModule();
    if (!confirmForcedOff()) return;
    QMetaObject::invokeMethod(this, "cmdOK_Click", Qt::DirectConnection);
}

void SU_M852_ProgIO::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_ProgIO&>(data);
    d.setMLBOutput(m_copy[0]);
    for (int k = 1; k <= 2; ++k) d.setMLBInput(k, m_copy[std::size_t(C_M852_ProgIO::MLBInputIndex(k))]);
    for (int m = 1; m <= 4; ++m) {
        for (int k = 1; k <= 6; ++k) d.setROBOutput(m, k, m_copy[std::size_t(C_M852_ProgIO::ROBOutputIndex(m, k))]);
        for (int k = 1; k <= 2; ++k) d.setROBInput(m, k, m_copy[std::size_t(C_M852_ProgIO::ROBInputIndex(m, k))]);
    }
}
