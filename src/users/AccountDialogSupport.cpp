#include "users/AccountDialogSupport.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace accountdialogs {

QLineEdit* makeTextBox(QWidget* parent, const char* objectName, bool masked) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(objectName));
    // Room for a name of about 24 average characters; the dialogs do not stretch.
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 24);
    if (masked) {
        box->setEchoMode(QLineEdit::Password);
        box->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));  // '*'
    }
    return box;
}

QLabel* addRow(QGridLayout* grid, int row, const QString& caption, QWidget* field, const char* objectName) {
    auto* label = new QLabel(caption, grid->parentWidget());
    label->setObjectName(QString::fromLatin1(objectName));
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    return label;
}

std::pair<QPushButton*, QPushButton*> addButtons(QDialog* dialog, QGridLayout* grid, int row,
                                                 const QString& okCaption, const QString& cancelCaption) {
    auto* box = new QDialogButtonBox(dialog);
    auto* ok = new QPushButton(okCaption, box);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(cancelCaption, box);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    box->addButton(ok, QDialogButtonBox::AcceptRole);
    box->addButton(cancel, QDialogButtonBox::RejectRole);
    grid->addWidget(box, row, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    return {ok, cancel};
}

}  // namespace accountdialogs
