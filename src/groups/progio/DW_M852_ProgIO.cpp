#include "groups/progio/DW_M852_ProgIO.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

#include "base/StringTable.h"
#include "groups/progio/CUpDown.h"
#include "groups/progio/C_M852_ProgIO.h"
#include "groups/progio/SU_M852_ProgIO.h"

namespace {

QLabel* valueLabel(QWidget* parent, const QString& name, const QString& placeholder) {
    auto* l = new QLabel(placeholder, parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("In Phase Monitor Waiting for Synch")) + 10);
    return l;
}

}  // namespace

DW_M852_ProgIO::DW_M852_ProgIO(QWidget* parent) : DW_M852_ProgIO(std::make_unique<C_M852_ProgIO>(), parent) {}

DW_M852_ProgIO::DW_M852_ProgIO(std::unique_ptr<C_M852_ProgIO> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_IO = static_cast<C_M852_ProgIO*>(&Data());
    setObjectName(QStringLiteral("DW_M852_ProgIO"));
    setWindowTitle(QStringLiteral("Programmable Input/Output"));
    auto* layout = new QVBoxLayout(this);

    auto* mlb = new QGroupBox(QStringLiteral("Main Logic Board"), this);
    mlb->setObjectName(QStringLiteral("fraMLB"));
    auto* g = new QGridLayout(mlb);
    for (int k = 1; k <= 2; ++k) {
        g->addWidget(new QLabel(QStringLiteral("Terminal Strip Input #%1").arg(k), mlb), k - 1, 0);
        lblMLBInput[k - 1] = valueLabel(mlb, QStringLiteral("lblMLBInput_%1").arg(k),
                                        QStringLiteral("Input Event Number #%1").arg(k));
        g->addWidget(lblMLBInput[k - 1], k - 1, 1);
    }
    auto* mlbTitle = new QLabel(QStringLiteral("Programmable Output"), mlb);
    mlbTitle->setObjectName(QStringLiteral("lblMLBTitle"));
    g->addWidget(mlbTitle, 2, 0);
    lblMLBOutput = valueLabel(mlb, QStringLiteral("lblMLBOutput"), QStringLiteral("Output Event #1"));
    g->addWidget(lblMLBOutput, 2, 1);
    layout->addWidget(mlb);

    auto* rob = new QGroupBox(QStringLiteral("Input/Output Modules"), this);
    rob->setObjectName(QStringLiteral("fraROB"));
    auto* rl = new QVBoxLayout(rob);
    auto* addrRow = new QHBoxLayout;
    auto* addrCaption = new QLabel(QStringLiteral("Address"), rob);
    addrCaption->setObjectName(QStringLiteral("lblROBAddr"));
    lblAddr = new QLabel(QStringLiteral("1"), rob);
    lblAddr->setObjectName(QStringLiteral("lblAddr"));
    lblAddr->setFrameShape(QFrame::Panel);
    lblAddr->setFrameShadow(QFrame::Sunken);
    lblAddr->setAlignment(Qt::AlignCenter);
    lblAddr->setMinimumWidth(lblAddr->fontMetrics().horizontalAdvance(QStringLiteral("00")) + 8);
    updAddr = new CUpDown(1, 4, rob);
    updAddr->setObjectName(QStringLiteral("updAddr"));
    addrRow->addWidget(addrCaption);
    addrRow->addWidget(lblAddr);
    addrRow->addWidget(updAddr);
    addrRow->addStretch(1);
    rl->addLayout(addrRow);

    auto* inputs = new QGroupBox(QStringLiteral("Inputs"), rob);
    inputs->setObjectName(QStringLiteral("fraROBInputs"));
    auto* ig = new QGridLayout(inputs);
    for (int k = 1; k <= 2; ++k) {
        ig->addWidget(new QLabel(QString::number(k), inputs), k - 1, 0);
        lblROBInput[k - 1] = valueLabel(inputs, QStringLiteral("lblROBInput_%1").arg(k), QStringLiteral("xxx"));
        ig->addWidget(lblROBInput[k - 1], k - 1, 1);
    }
    rl->addWidget(inputs);
    auto* outputs = new QGroupBox(QStringLiteral("Outputs"), rob);
    outputs->setObjectName(QStringLiteral("fraROBOutputs"));
    auto* og = new QGridLayout(outputs);
    for (int k = 1; k <= 6; ++k) {
        og->addWidget(new QLabel(QString::number(k), outputs), k - 1, 0);
        lblROBOutput[k - 1] = valueLabel(outputs, QStringLiteral("lblROBOutput_%1").arg(k), QStringLiteral("xxx"));
        og->addWidget(lblROBOutput[k - 1], k - 1, 1);
    }
    rl->addWidget(outputs);
    layout->addWidget(rob);
    layout->addStretch(1);
    m_frames = {mlb, rob, inputs, outputs};

    connect(updAddr, &CUpDown::valueChanged, this, [this](int m) {
        lblAddr->setText(QString::number(m));
        UpdateDisplay();
    });
}

void DW_M852_ProgIO::setEventText(QLabel* label, qint32 code) {
    if (const auto text = StringTable::lookup(3000 + code)) label->setText(*text);
}

void DW_M852_ProgIO::UpdateDisplay() {
    const C_M852_ProgIO& d = *m_IO;
    setEventText(lblMLBInput[0], d.MLBInput(1));
    setEventText(lblMLBInput[1], d.MLBInput(2));
    setEventText(lblMLBOutput, d.MLBOutput());
    bool ok = false;
    const int m = lblAddr->text().toInt(&ok);
    if (!ok || m < 1 || m > 4) return;
    for (int k = 1; k <= 2; ++k) setEventText(lblROBInput[k - 1], d.ROBInput(m, k));
    for (int k = 1; k <= 6; ++k) setEventText(lblROBOutput[k - 1], d.ROBOutput(m, k));
}

QList<QWidget*> DW_M852_ProgIO::SetupTargets() const {
    QList<QWidget*> out = CDisplayWindow::SetupTargets();
    for (QGroupBox* f : m_frames) out.append(f);
    return out;
}

CSetupDialog* DW_M852_ProgIO::CreateSetupDialog(QWidget* owner) { return new SU_M852_ProgIO(owner); }
