#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>
#include <functional>

#include "files/clsQTR_Window.h"

namespace {

// A form with the three Edit menu items and one text field of the kind under test.
struct EditForm {
    QMainWindow window;
    QAction* cut;
    QAction* copy;
    QAction* paste;
    QWidget* field = nullptr;

    EditForm() {
        cut = new QAction(&window);
        cut->setObjectName("mnuEditCut");
        copy = new QAction(&window);
        copy->setObjectName("mnuEditCopy");
        paste = new QAction(&window);
        paste->setObjectName("mnuEditPaste");
    }
    void put(QWidget* w) {
        field = w;
        window.setCentralWidget(w);
        window.show();
        QApplication::setActiveWindow(&window);
        w->setFocus();
    }
};

// Each kind: makes the field with "12345" in it and "234" selected; reads its text back.
struct Kind {
    std::function<QWidget*()> make;
    std::function<QString(QWidget*)> text;
};

QLineEdit* selectMiddle(QLineEdit* e) {
    e->setText("12345");
    e->setSelection(1, 3);
    return e;
}

template <typename Edit>
Edit* selectMiddleDoc(Edit* e) {
    e->setPlainText("12345");
    QTextCursor c = e->textCursor();
    c.setPosition(1);
    c.setPosition(4, QTextCursor::KeepAnchor);
    e->setTextCursor(c);
    return e;
}

}  // namespace

Q_DECLARE_METATYPE(Kind)

class tst_QTR_Window : public QObject {
    Q_OBJECT
private slots:
    void editCommands_data() {
        QTest::addColumn<Kind>("kind");
        QTest::newRow("line edit") << Kind{[] { return selectMiddle(new QLineEdit); },
                                           [](QWidget* w) { return static_cast<QLineEdit*>(w)->text(); }};
        QTest::newRow("text edit") << Kind{
            [] { return selectMiddleDoc(new QTextEdit); },
            [](QWidget* w) { return static_cast<QTextEdit*>(w)->toPlainText(); }};
        QTest::newRow("plain text edit")
            << Kind{[] { return selectMiddleDoc(new QPlainTextEdit); },
                    [](QWidget* w) { return static_cast<QPlainTextEdit*>(w)->toPlainText(); }};
        QTest::newRow("editable combo box")
            << Kind{[] {
                        auto* c = new QComboBox;
                        c->setEditable(true);
                        selectMiddle(c->lineEdit());
                        return c;
                    },
                    [](QWidget* w) { return static_cast<QComboBox*>(w)->currentText(); }};
        QTest::newRow("spin box") << Kind{[] {
                                              auto* s = new QSpinBox;
                                              s->setRange(0, 99999);
                                              s->setValue(12345);
                                              selectMiddle(s->findChild<QLineEdit*>());
                                              return s;
                                          },
                                          [](QWidget* w) { return static_cast<QSpinBox*>(w)->text(); }};
    }
    void editCommands() {
        QFETCH(Kind, kind);
        EditForm form;
        form.put(kind.make());
        QTRY_VERIFY(form.field->hasFocus());
        QApplication::clipboard()->clear();
        clsQTR_Window tools;

        tools.EditMenuSetup(form.window);
        QVERIFY(form.copy->isEnabled());
        QVERIFY(form.cut->isEnabled());
        QVERIFY(!form.paste->isEnabled());  // nothing on the clipboard

        tools.EditCopy();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("234"));
        tools.EditCut();
        QCOMPARE(kind.text(form.field), QStringLiteral("15"));
        tools.EditMenuSetup(form.window);
        QVERIFY(!form.copy->isEnabled());  // no selection left
        QVERIFY(!form.cut->isEnabled());
        QVERIFY(form.paste->isEnabled());
        tools.EditPaste();
        QCOMPARE(kind.text(form.field), QStringLiteral("12345"));
    }

    void otherControlsDisableEverything() {
        EditForm form;
        form.cut->setEnabled(true);
        form.copy->setEnabled(true);
        form.paste->setEnabled(true);
        auto* combo = new QComboBox;  // not editable
        combo->addItem("x");
        form.put(combo);
        QApplication::clipboard()->setText("text");
        clsQTR_Window().EditMenuSetup(form.window);
        QVERIFY(!form.cut->isEnabled());
        QVERIFY(!form.copy->isEnabled());
        QVERIFY(!form.paste->isEnabled());
    }

    void tiling() {
        QMainWindow main;
        auto* area = new QMdiArea;
        main.setCentralWidget(area);
        main.resize(800, 600);
        QList<QMdiSubWindow*> subs;
        for (int i = 0; i < 3; ++i) {
            subs << area->addSubWindow(new QWidget);
            subs.last()->resize(120, 80);
            subs.last()->show();
        }
        main.show();
        clsQTR_Window tools;
        const QRect r = area->viewport()->rect();
        tools.TileVertWindows(main);
        for (QMdiSubWindow* s : subs) QCOMPARE(s->height(), r.height());
        QCOMPARE(subs.at(0)->x() + subs.at(0)->width(), subs.at(1)->x());
        tools.TileHorzWindows(main);
        for (QMdiSubWindow* s : subs) QCOMPARE(s->width(), r.width());
        QCOMPARE(subs.at(1)->y() + subs.at(1)->height(), subs.at(2)->y());
        subs.at(0)->showMinimized();
        subs.at(1)->showMinimized();
        tools.ArrangeChildIcons(main);
        QCOMPARE(subs.at(0)->y(), subs.at(1)->y());
        QCOMPARE(subs.at(0)->geometry().bottom(), r.bottom());
        QCOMPARE(subs.at(0)->x(), 0);
        QCOMPARE(subs.at(1)->x(), subs.at(0)->width());

        area->setActiveSubWindow(subs.at(2));
        tools.CloseWindow(main);
        QTRY_COMPARE(area->subWindowList().size(), 2);
    }
};

QObject* makeQtrWindowTest() { return new tst_QTR_Window; }

#include "tst_QTR_Window.moc"
