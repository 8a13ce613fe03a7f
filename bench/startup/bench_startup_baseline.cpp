// The reference for the start-up benchmark: a minimal Qt Widgets program that shows one dialog (a
// label, a text box, OK and Cancel, like a login), prints when it is on the screen, and ends.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "StartupMark.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Login"));
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("&User Name:"), new QLineEdit(&dialog));
    form->addRow(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog));
    dialog.show();
    startup_mark::waitPainted(dialog);
    startup_mark::mark("dialog_shown", startup_mark::nowNs());
    return 0;
}
