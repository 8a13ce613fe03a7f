#include "groups/CSetupDialog.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "base/UiServices.h"
#include "groups/CDataGroup.h"
#include "groups/InputValidation.h"

CSetupDialog::CSetupDialog(QWidget* parent) : QDialog(parent) {
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("body"));
    layout->addWidget(m_body);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    layout->addLayout(buttons);
    connect(m_cmdOK, &QPushButton::clicked, this, &CSetupDialog::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &CSetupDialog::cmdCancel_Click);
}

void CSetupDialog::FillFromData(CDataGroup& data) {
    m_Data = &data;
    Fill(data);
    for (const RangeRule& r : m_rules) SetBackColor(r.box, kValidBackColor);
}

void CSetupDialog::validateRange(QLineEdit* box, double min, double max) {
    m_rules.append({box, min, max});
    box->installEventFilter(this);
}

const CSetupDialog::RangeRule* CSetupDialog::ruleFor(const QObject* box) const {
    for (const RangeRule& r : m_rules)
        if (r.box == box) return &r;
    return nullptr;
}

bool CSetupDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Only leaving the box inside the dialog validates; switching to another application or
        // opening a context menu does not.
        const bool leaving = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                             reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
        // Focus going to Cancel does not validate either (Cancel "causes no validation"): otherwise
        // the box takes the focus back between the press and the release of the mouse button, the
        // button is no longer down at the release, and a still click on Cancel does nothing.
        // QApplication::focusWidget() is already the widget receiving the focus.
        const bool toCancel = QApplication::focusWidget() == m_cmdCancel;
        if (const RangeRule* r = ruleFor(watched); r && leaving && !toCancel && isVisible()) {
            if (ValidateRange(r->box, r->min, r->max)) {
                QLineEdit* box = r->box;
                QTimer::singleShot(0, box, [box] {
                    if (box->isVisible()) box->setFocus(Qt::OtherFocusReason);
                });
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CSetupDialog::cmdOK_Click() {
    // A box left invalid (or made invalid without leaving it) keeps the focus and OK does nothing.
    for (const RangeRule& r : m_rules) {
        if (ValidateRange(r.box, r.min, r.max)) {
            r.box->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    if (!m_Data) {
        reject();
        return;
    }
    try {
        Commit(*m_Data);
        m_Data->SendSetup();
    } catch (const std::exception& e) {
        ui::message(this, QString::fromLocal8Bit(e.what()), ui::Icon::Critical);
        return;
    }
    accept();
}

void CSetupDialog::cmdCancel_Click() { reject(); }
