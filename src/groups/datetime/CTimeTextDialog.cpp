#include "groups/datetime/CTimeTextDialog.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "base/UiServices.h"
#include "groups/InputValidation.h"

namespace {

bool allDigits(QStringView s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

class TimeKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.isEmpty() || (key->modifiers() & Qt::ControlModifier)) return false;
        const QChar c = text.at(0);
        if (c == u'\b' || c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
        if (c >= u'0' && c <= u'9') return false;
        if (c == u':') {
            auto* box = qobject_cast<QLineEdit*>(watched);
            // A ":" that replaces the selected one is not a second one.
            const QString kept =
                box ? box->text().remove(box->selectionStart(), box->selectedText().size()) : QString();
            if (!kept.contains(u':')) return false;
        }
        ui::services().beep();
        return true;
    }
};

}  // namespace

namespace TimeText {

bool IsValid(const QString& text, qint32 minMinutes, qint32 maxMinutes) {
    const QString t = text.trimmed();
    const QStringList parts = t.split(u':');
    if (parts.size() > 2) return false;
    qint64 minutes = 0;
    for (const QString& p : parts) {
        // Six digits a part keep the sum far inside 32 bits, where ParseTimeText reads it the same.
        if (!allDigits(p) || p.size() > 6) return false;
        minutes = minutes * 60 + p.toLongLong();
    }
    return minutes >= minMinutes && minutes <= maxMinutes;
}

void InstallKeyFilter(QLineEdit* box) { box->installEventFilter(new TimeKeyFilter(box)); }

}  // namespace TimeText

CTimeTextDialog::CTimeTextDialog(QWidget* parent) : CSetupDialog(parent) {
    // OK checks the run-time boxes first; the usual OK (numeric boxes, commit, write) follows.
    disconnect(cmdOK(), &QPushButton::clicked, this, nullptr);
    connect(cmdOK(), &QPushButton::clicked, this, &CTimeTextDialog::checkThenOK);
}

void CTimeTextDialog::validateTimeText(QLineEdit* box, qint32 minMinutes, qint32 maxMinutes) {
    m_timeRules.append({box, minMinutes, maxMinutes});
    box->installEventFilter(this);
}

void CTimeTextDialog::resetTimeTextColours() {
    for (const Rule& r : m_timeRules) SetBackColor(r.box, kValidBackColor);
}

bool CTimeTextDialog::check(const Rule& r) {
    const bool valid = TimeText::IsValid(r.box->text(), r.min, r.max);
    SetBackColor(r.box, valid ? kValidBackColor : kInvalidBackColor);
    return valid;
}

bool CTimeTextDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && isVisible()) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        const bool leaving = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                             reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
        // Focus going to Cancel validates nothing, as for the numeric boxes: otherwise the box would
        // take the focus back between the press and the release and the click on Cancel would be lost.
        const bool toCancel = QApplication::focusWidget() == cmdCancel();
        for (const Rule& r : m_timeRules) {
            if (r.box != watched || !leaving || toCancel) continue;
            if (!check(r)) {
                QLineEdit* box = r.box;
                QTimer::singleShot(0, box, [box] {
                    if (box->isVisible()) box->setFocus(Qt::OtherFocusReason);
                });
            }
        }
    }
    return CSetupDialog::eventFilter(watched, event);
}

void CTimeTextDialog::checkThenOK() {
    for (const Rule& r : m_timeRules) {
        if (!check(r)) {
            r.box->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    // CSetupDialog's own OK handler (a private slot): numeric boxes, Commit, SendSetup, close.
    QMetaObject::invokeMethod(this, "cmdOK_Click", Qt::DirectConnection);
}
