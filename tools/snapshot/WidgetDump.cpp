#include "WidgetDump.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

QString textOf(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    if (auto* s = qobject_cast<const QAbstractSpinBox*>(w)) return s->text();
    if (auto* t = qobject_cast<const QTextEdit*>(w)) return t->toPlainText();
    if (auto* p = qobject_cast<const QPlainTextEdit*>(w)) return p->toPlainText();
    if (auto* list = qobject_cast<const QListWidget*>(w)) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
        return items.join(u'\n');
    }
    return w->windowTitle();
}

QJsonObject describe(const QWidget& form, const QWidget* w) {
    QJsonObject o;
    o.insert("text", textOf(w));
    o.insert("visible", w == &form ? form.isVisible() : w->isVisibleTo(&form));
    o.insert("enabled", w->isEnabled());
    if (auto* b = qobject_cast<const QAbstractButton*>(w); b && b->isCheckable())
        o.insert("checked", b->isChecked());
    if (auto* g = qobject_cast<const QGroupBox*>(w); g && g->isCheckable())
        o.insert("checked", g->isChecked());
    o.insert("background", w->palette().color(w->backgroundRole()).name(QColor::HexRgb));
    return o;
}

}  // namespace

QJsonObject DumpControls(const QWidget& form) {
    QJsonObject out;
    if (!form.objectName().isEmpty()) out.insert(form.objectName(), describe(form, &form));
    for (const QWidget* w : form.findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
        out.insert(name, describe(form, w));
    }
    return out;
}
