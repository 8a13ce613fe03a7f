#include "groups/cfault/DW_M852_CFault.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "base/StringTable.h"
#include "groups/cfault/C_M852_CFault.h"
#include "groups/cfault/SU_M852_CFault.h"

DW_M852_CFault::DW_M852_CFault(QWidget* parent) : DW_M852_CFault(std::make_unique<C_M852_CFault>(), parent) {}

DW_M852_CFault::DW_M852_CFault(std::unique_ptr<C_M852_CFault> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Faults = static_cast<C_M852_CFault*>(&Data());
    setObjectName(QStringLiteral("DW_M852_CFault"));
    setWindowTitle(StringTable::lookup(1050).value_or(QStringLiteral("Common Alarms")));
    auto* layout = new QVBoxLayout(this);
    lblTitle = new QLabel(QStringLiteral("Assigned Events"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    txtCommonFaults = new QPlainTextEdit(this);
    txtCommonFaults->setObjectName(QStringLiteral("txtCommonFaults"));
    txtCommonFaults->setReadOnly(true);
    txtCommonFaults->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtCommonFaults->setMinimumSize(txtCommonFaults->fontMetrics().horizontalAdvance(
                                        QStringLiteral("In Phase Monitor Waiting for Synch  ")),
                                    txtCommonFaults->fontMetrics().lineSpacing() * 12);
    layout->addWidget(lblTitle);
    layout->addWidget(txtCommonFaults, 1);
}

void DW_M852_CFault::UpdateDisplay() {
    QString text;
    for (int i = 0; i < C_M852_CFault::kSlots; ++i)
        if (m_Faults->AlarmAssigned(i)) text += C_M852_CFault::EventText(m_Faults->AlarmEventCode(i)) + QStringLiteral("\r\n");
    // Setting the text resets the scroll position: only when it changed.
    if (text == m_text) return;
    m_text = text;
    // The box shows lines; the CR LF of each line becomes one line break.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
    txtCommonFaults->setPlainText(shown);
}

QList<QWidget*> DW_M852_CFault::SetupTargets() const {
    QList<QWidget*> out = CDisplayWindow::SetupTargets();
    out.append(txtCommonFaults->viewport());
    return out;
}

CSetupDialog* DW_M852_CFault::CreateSetupDialog(QWidget* owner) { return new SU_M852_CFault(owner); }
