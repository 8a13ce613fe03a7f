#include "users/frmLogin.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <tuple>

#include "base/StringTable.h"
#include "users/AccountDialogSupport.h"

namespace {
// Texts missing from the string table must not keep anybody from logging in.
QString text(int id, const char* fallback) {
    return StringTable::lookup(id).value_or(QString::fromLatin1(fallback));
}
}  // namespace

frmLogin::frmLogin(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(text(315, "Login"));

    auto* grid = new QGridLayout(this);
    txtUserName = accountdialogs::makeTextBox(this, "txtUserName", false);
    txtPassword = accountdialogs::makeTextBox(this, "txtPassword", true);
    lblUserName = accountdialogs::addRow(grid, 0, text(316, "&User Name:"), txtUserName, "lblUserName");
    lblPassword = accountdialogs::addRow(grid, 1, text(317, "&Password:"), txtPassword, "lblPassword");
    std::tie(cmdOK, cmdCancel) =
        accountdialogs::addButtons(this, grid, 2, text(318, "OK"), text(319, "Cancel"));

    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    txtUserName->installEventFilter(this);
}

void frmLogin::SetDefaultUserName(const QString& sDefaultName) { txtUserName->setText(sDefaultName); }

void frmLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // With a name preset the user only has to type the password.
    if (txtUserName->text().isEmpty())
        txtUserName->setFocus(Qt::OtherFocusReason);
    else
        txtPassword->setFocus(Qt::OtherFocusReason);
}

bool frmLogin::eventFilter(QObject* watched, QEvent* event) {
    // Entering the name box selects all of it, also by a click: the click's own cursor placement
    // comes after the focus event, so select once the event queue has moved on.
    if (watched == txtUserName && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, txtUserName, [box = txtUserName] {
            if (box->hasFocus()) box->selectAll();
        });
    return QDialog::eventFilter(watched, event);
}

void frmLogin::cmdOK_Click() {
    emit LoginAttempted(txtUserName->text(), txtPassword->text());
    accept();
}
