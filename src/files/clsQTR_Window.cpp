#include "files/clsQTR_Window.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>

namespace {

// The focused text field, reduced to what the Edit menu needs.
struct TextField {
    QLineEdit* line = nullptr;
    QTextEdit* text = nullptr;
    QPlainTextEdit* plain = nullptr;

    [[nodiscard]] bool valid() const { return line || text || plain; }
    [[nodiscard]] QString selectedText() const {
        if (line) return line->echoMode() == QLineEdit::Normal ? line->selectedText() : QString();
        if (text) return text->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
        if (plain) return plain->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
        return {};
    }
    [[nodiscard]] bool readOnly() const {
        if (line) return line->isReadOnly();
        if (text) return text->isReadOnly();
        if (plain) return plain->isReadOnly();
        return true;
    }
    void replaceSelection(const QString& s) const {
        if (line) {
            line->insert(s);
        } else if (text) {
            QTextCursor c = text->textCursor();
            c.insertText(s);
            text->setTextCursor(c);
        } else if (plain) {
            QTextCursor c = plain->textCursor();
            c.insertText(s);
            plain->setTextCursor(c);
        }
    }
};

TextField focusedField() {
    TextField f;
    QWidget* w = QApplication::focusWidget();
    if (!w) return f;
    if ((f.line = qobject_cast<QLineEdit*>(w))) return f;
    if ((f.text = qobject_cast<QTextEdit*>(w))) return f;
    if ((f.plain = qobject_cast<QPlainTextEdit*>(w))) return f;
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        f.line = combo->isEditable() ? combo->lineEdit() : nullptr;
        return f;
    }
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        // A spin box's editor is its only QLineEdit child.
        f.line = spin->findChild<QLineEdit*>();
        return f;
    }
    return f;
}

bool clipboardHasText() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText() && !data->text().isEmpty();
}

void enable(QWidget& form, const char* name, bool on) {
    if (auto* a = form.findChild<QAction*>(QString::fromLatin1(name))) a->setEnabled(on);
}

}  // namespace

void clsQTR_Window::EditMenuSetup(QWidget& form) {
    enable(form, "mnuEditCut", false);
    enable(form, "mnuEditCopy", false);
    enable(form, "mnuEditPaste", false);
    const TextField f = focusedField();
    if (!f.valid()) return;
    const bool selection = !f.selectedText().isEmpty();
    enable(form, "mnuEditCopy", selection);
    enable(form, "mnuEditCut", selection && !f.readOnly());
    enable(form, "mnuEditPaste", clipboardHasText() && !f.readOnly());
}

void clsQTR_Window::EditCopy() {
    const TextField f = focusedField();
    if (!f.valid()) return;
    QClipboard* cb = QApplication::clipboard();
    cb->clear();
    cb->setText(f.selectedText());
}

void clsQTR_Window::EditCut() {
    const TextField f = focusedField();
    if (!f.valid() || f.readOnly()) return;
    EditCopy();
    f.replaceSelection(QString());
}

void clsQTR_Window::EditPaste() {
    const TextField f = focusedField();
    if (!f.valid() || f.readOnly()) return;
    f.replaceSelection(QApplication::clipboard()->text());
}

QMdiArea* clsQTR_Window::areaOf(QWidget& form) {
    if (auto* area = qobject_cast<QMdiArea*>(&form)) return area;
    return form.findChild<QMdiArea*>();
}

void clsQTR_Window::CloseWindow(QWidget& form) {
    QMdiArea* area = areaOf(form);
    if (QMdiSubWindow* sub = area ? area->currentSubWindow() : nullptr) sub->close();
}

void clsQTR_Window::CascadeChildWindows(QWidget& form) {
    if (QMdiArea* area = areaOf(form)) area->cascadeSubWindows();
}

namespace {

QList<QMdiSubWindow*> normalWindows(QMdiArea* area) {
    QList<QMdiSubWindow*> out;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized()) out.append(sub);
    return out;
}

void tile(QMdiArea* area, bool horizontal) {
    const QList<QMdiSubWindow*> windows = normalWindows(area);
    if (windows.isEmpty()) return;
    const QRect r = area->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = windows.at(i);
        if (sub->isMaximized()) sub->showNormal();
        QRect g;
        if (horizontal) {
            const int h = r.height() / n;
            g = QRect(r.left(), r.top() + i * h, r.width(), i == n - 1 ? r.height() - i * h : h);
        } else {
            const int w = r.width() / n;
            g = QRect(r.left() + i * w, r.top(), i == n - 1 ? r.width() - i * w : w, r.height());
        }
        sub->setGeometry(g);
    }
}

}  // namespace

void clsQTR_Window::TileHorzWindows(QWidget& form) {
    if (QMdiArea* area = areaOf(form)) tile(area, true);
}

void clsQTR_Window::TileVertWindows(QWidget& form) {
    if (QMdiArea* area = areaOf(form)) tile(area, false);
}

void clsQTR_Window::ArrangeChildIcons(QWidget& form) {
    QMdiArea* area = areaOf(form);
    if (!area) return;
    // Minimized windows in rows from the bottom left, in the order they were opened.
    const QRect r = area->viewport()->rect();
    int x = r.left();
    int y = r.bottom() + 1;
    int rowHeight = 0;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized() || !sub->isVisible()) continue;
        const QSize s = sub->size();
        if (rowHeight == 0) {
            rowHeight = s.height();
            y -= rowHeight;
        }
        if (x > r.left() && x + s.width() > r.right() + 1) {
            x = r.left();
            y -= rowHeight;
        }
        sub->move(x, y);
        x += s.width();
    }
}
