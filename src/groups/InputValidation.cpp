#include "groups/InputValidation.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>

#include "base/UiServices.h"
#include "groups/SharedRoutines.h"

void SetBackColor(QWidget* control, const QColor& color) {
    if (!control) return;
    QPalette p = control->palette();
    p.setColor(QPalette::Base, color);
    control->setPalette(p);
}

QColor BackColor(const QWidget* control) {
    return control ? control->palette().color(QPalette::Base) : QColor();
}

bool ValidateRange(QLineEdit* box, double min, double max) {
    if (!box) return true;
    const bool valid = IsNumberInRange(box->text(), min, max);
    SetBackColor(box, valid ? kValidBackColor : kInvalidBackColor);
    return !valid;
}

CNumericKeyFilter::CNumericKeyFilter(QString extra, QString once, QObject* parent)
    : QObject(parent), m_extra(std::move(extra)), m_once(std::move(once)) {}

CNumericKeyFilter* CNumericKeyFilter::install(QLineEdit* box, const QString& extra, const QString& once) {
    auto* filter = new CNumericKeyFilter(extra, once, box);
    box->installEventFilter(filter);
    return filter;
}

bool CNumericKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (text.isEmpty() || (key->modifiers() & Qt::ControlModifier)) return false;
    const QChar c = text.at(0);
    if (c == u'\b' || c.unicode() < 0x20 || c.unicode() == 0x7F) return false;  // Backspace, Enter, Esc...
    if (c >= u'0' && c <= u'9') return false;
    if (m_extra.contains(c)) {
        const auto* box = qobject_cast<const QLineEdit*>(watched);
        if (!box || !m_once.contains(c)) return false;
        QString rest = box->text();
        if (box->hasSelectedText()) rest.remove(box->selectionStart(), box->selectedText().size());
        if (!rest.contains(c)) return false;
    }
    ui::services().beep();
    return true;
}
