#include "groups/sourceinfo/DW_M852_SourceInfo.h"

#include <QGridLayout>
#include <QLabel>

#include "groups/NumberFormat.h"
#include "groups/sourceinfo/C_M852_SourceInfo.h"
#include "groups/sourceinfo/SU_M852_SourceInfo.h"

namespace {

QString rotationText(qint16 code) {
    switch (code) {
        case 0:
            return QStringLiteral("CBA");
        case 1:
            return QStringLiteral("ABC");
        default:
            return QStringLiteral("N/A");
    }
}

constexpr int kSourceN = 1;  // label index of Source N
constexpr int kSourceE = 2;  // label index of Source E

}  // namespace

DW_M852_SourceInfo::DW_M852_SourceInfo(QWidget* parent)
    : DW_M852_SourceInfo(std::make_unique<C_M852_SourceInfo>(), parent) {}

DW_M852_SourceInfo::DW_M852_SourceInfo(std::unique_ptr<C_M852_SourceInfo> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Src = static_cast<C_M852_SourceInfo*>(&Data());
    setObjectName(QStringLiteral("DW_M852_SourceInfo"));
    setWindowTitle(QStringLiteral("Source Info"));
    buildUi();
}

DW_M852_SourceInfo::Row DW_M852_SourceInfo::addRow(const QString& name, const QString& title,
                                                   const QString& placeholder, const QString& unit) {
    auto* grid = static_cast<QGridLayout*>(layout());
    Row row;
    row.title = new QLabel(title, this);
    row.title->setObjectName(QStringLiteral("lblTitle") + name);
    grid->addWidget(row.title, m_nextRow, 0);
    for (int s : {kSourceN, kSourceE}) {
        auto* value = new QLabel(placeholder, this);
        value->setObjectName(QStringLiteral("lbl%1_%2").arg(name).arg(s));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("0000.0")));
        row.value[s] = value;
        const int column = s == kSourceN ? 1 : 3;
        grid->addWidget(value, m_nextRow, column);
        if (!unit.isEmpty()) {
            auto* u = new QLabel(unit, this);
            u->setObjectName(QStringLiteral("lblUnit%1_%2").arg(name).arg(s));
            row.unit[s] = u;
            grid->addWidget(u, m_nextRow, column + 1);
        }
    }
    ++m_nextRow;
    return row;
}

void DW_M852_SourceInfo::buildUi() {
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    auto* headerN = new QLabel(QStringLiteral("Source N"), this);
    headerN->setObjectName(QStringLiteral("lblSource_1"));
    auto* headerE = new QLabel(QStringLiteral("Source E"), this);
    headerE->setObjectName(QStringLiteral("lblSource_2"));
    for (QLabel* h : {headerN, headerE}) {
        QFont f = h->font();
        f.setBold(true);
        h->setFont(f);
        h->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    grid->addWidget(headerN, 0, 1);
    grid->addWidget(headerE, 0, 3);

    m_VoltAB = addRow(QStringLiteral("VoltAB"), QStringLiteral("Voltage A-B"), QStringLiteral("XXX.X"),
                      QStringLiteral("V"));
    m_VoltBC = addRow(QStringLiteral("VoltBC"), QStringLiteral("Voltage B-C"), QStringLiteral("XXX.X"),
                      QStringLiteral("V"));
    m_VoltCA = addRow(QStringLiteral("VoltCA"), QStringLiteral("Voltage C-A"), QStringLiteral("XXX.X"),
                      QStringLiteral("V"));
    m_VoltAN = addRow(QStringLiteral("VoltAN"), QStringLiteral("Voltage A-N"), QStringLiteral("XXX.X"),
                      QStringLiteral("V"));
    m_VoltBN = addRow(QStringLiteral("VoltBN"), QStringLiteral("Voltage B-N"), QStringLiteral("XXX.X"),
                      QStringLiteral("V"));
    m_VoltCN = addRow(QStringLiteral("VoltCN"), QStringLiteral("Voltage C-N"), QStringLiteral("XXX.X"),
                      QStringLiteral("V"));
    m_Freq = addRow(QStringLiteral("Freq"), QStringLiteral("Frequency"), QStringLiteral("XX.X"),
                    QStringLiteral("Hz"));
    m_Phases = addRow(QStringLiteral("Phases"), QStringLiteral("Phases"), QStringLiteral("X"), QString());
    m_ActRotation = addRow(QStringLiteral("ActRotation"), QStringLiteral("Actual Rotation"),
                           QStringLiteral("XXX"), QString());
    m_ExpRotation = addRow(QStringLiteral("ExpRotation"), QStringLiteral("Expected Rotation"),
                           QStringLiteral("XXX"), QString());
    m_SysVolt = addRow(QStringLiteral("SysVolt"), QStringLiteral("System Voltage"), QStringLiteral("XXX"),
                       QStringLiteral("V"));
    m_SysFreq = addRow(QStringLiteral("SysFreq"), QStringLiteral("System Frequency"), QStringLiteral("XX.X"),
                       QStringLiteral("Hz"));

    // The designed size is the size with every row shown; hidden rows leave their space empty.
    grid->setRowStretch(m_nextRow, 1);
    grid->setColumnMinimumWidth(2, fontMetrics().horizontalAdvance(QStringLiteral("Hz")));
    grid->setColumnMinimumWidth(4, fontMetrics().horizontalAdvance(QStringLiteral("Hz")));
    setFixedSize(sizeHint());
}

void DW_M852_SourceInfo::UpdateDisplay() {
    const C_M852_SourceInfo& d = *m_Src;
    for (int s : {kSourceN, kSourceE}) {
        const int i = s - 1;  // data index: 0 = N, 1 = E
        m_VoltAB.value[s]->setText(NumberFormat::Format(d.VoltAB(i), u"0.0"));
        m_VoltBC.value[s]->setText(NumberFormat::Format(d.VoltBC(i), u"0.0"));
        m_VoltCA.value[s]->setText(NumberFormat::Format(d.VoltCA(i), u"0.0"));
        m_VoltAN.value[s]->setText(NumberFormat::Format(d.VoltAN(i), u"0.0"));
        m_VoltBN.value[s]->setText(NumberFormat::Format(d.VoltBN(i), u"0.0"));
        m_VoltCN.value[s]->setText(NumberFormat::Format(d.VoltCN(i), u"0.0"));
        m_Freq.value[s]->setText(NumberFormat::Format(d.Freq(i), u"0.0"));
        m_Phases.value[s]->setText(NumberFormat::Format(d.Phases(i), u"0"));
        m_ActRotation.value[s]->setText(rotationText(d.ActRotation(i)));
        m_SysVolt.value[s]->setText(NumberFormat::Format(d.SysVolt(i), u"0"));
        m_SysFreq.value[s]->setText(NumberFormat::Format(d.SysFreq(i), u"0.0"));
    }
    m_ExpRotation.value[kSourceN]->setText(d.ExpRotation() == 1 ? QStringLiteral("ABC")
                                                                : QStringLiteral("CBA"));
    m_ExpRotation.value[kSourceE]->setText(m_ExpRotation.value[kSourceN]->text());

    // A single-phase source has one line-to-line voltage, shown in the C-A row; everything that only
    // a three-phase source has is hidden in its column.
    const Row* threePhaseOnly[] = {&m_VoltAB, &m_VoltBC,      &m_VoltAN,     &m_VoltBN,
                                   &m_VoltCN, &m_ActRotation, &m_ExpRotation};
    for (int s : {kSourceN, kSourceE}) {
        const bool show = d.Phases(s - 1) != 1;
        for (const Row* row : threePhaseOnly) {
            row->value[s]->setVisible(show);
            if (row->unit[s]) row->unit[s]->setVisible(show);
        }
    }
    const bool bothSingle = d.Phases(0) == 1 && d.Phases(1) == 1;
    for (const Row* row : threePhaseOnly) row->title->setVisible(!bothSingle);
    m_VoltCA.title->setText(bothSingle ? QStringLiteral("Voltage L1 - L2") : QStringLiteral("Voltage C-A"));
}

CSetupDialog* DW_M852_SourceInfo::CreateSetupDialog(QWidget* owner) { return new SU_M852_SourceInfo(owner); }
