#include "users/frmChangePass.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <tuple>

#include "base/UiServices.h"
#include "users/AccountDialogError.h"
#include "users/AccountDialogSupport.h"
#include "users/clsGateway.h"

namespace {
const QString kTitle = QStringLiteral("Change Password");
}

frmChangePass::frmChangePass(QString accountFile, const QString& currentUserName, QWidget* parent)
    : QDialog(parent), m_AccountFile(std::move(accountFile)) {
    setObjectName(QStringLiteral("frmChangePass"));
    setWindowTitle(kTitle);

    auto* grid = new QGridLayout(this);
    txtUserName = accountdialogs::makeTextBox(this, "txtUserName", false);
    txtOldPassword = accountdialogs::makeTextBox(this, "txtOldPassword", true);
    txtNewPassword = accountdialogs::makeTextBox(this, "txtNewPassword", true);
    txtConfirmPassword = accountdialogs::makeTextBox(this, "txtConfirmPassword", true);
    accountdialogs::addRow(grid, 0, QStringLiteral("&User Name:"), txtUserName);
    accountdialogs::addRow(grid, 1, QStringLiteral("&Old Password:"), txtOldPassword);
    accountdialogs::addRow(grid, 2, QStringLiteral("&New Password:"), txtNewPassword);
    accountdialogs::addRow(grid, 3, QStringLiteral("&Confirm New Password:"), txtConfirmPassword);
    std::tie(cmdOK, cmdCancel) =
        accountdialogs::addButtons(this, grid, 4, QStringLiteral("OK"), QStringLiteral("Cancel"));

    txtUserName->setText(currentUserName);
    connect(cmdOK, &QPushButton::clicked, this, &frmChangePass::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmChangePass::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Reset();
}

void frmChangePass::Reset() {
    txtOldPassword->clear();
    txtNewPassword->clear();
    txtConfirmPassword->clear();
    if (txtUserName->text().isEmpty())
        txtUserName->setFocus(Qt::OtherFocusReason);
    else
        txtOldPassword->setFocus(Qt::OtherFocusReason);
}

void frmChangePass::cmdOK_Click() {
    try {
        if (txtNewPassword->text() != txtConfirmPassword->text()) {
            ui::services().message(this, QStringLiteral("The new passwords typed do not match."), kTitle,
                                   ui::Icon::Exclamation, ui::Buttons::Ok);
            Reset();
            return;
        }
        clsGateway gateway;
        gateway.setUserInfoFileName(m_AccountFile);
        if (gateway.ChangePassword(txtUserName->text(), txtOldPassword->text(), txtNewPassword->text())) {
            ui::services().message(this, QStringLiteral("Password changed successfully."), kTitle,
                                   ui::Icon::Information, ui::Buttons::Ok);
            accept();
            return;
        }
        ui::services().message(
            this,
            QStringLiteral(
                "The user name or password is incorrect.\r\nUser names and passwords are case sensitive."),
            kTitle, ui::Icon::Exclamation, ui::Buttons::Ok);
        Reset();
    } catch (const ComponentError& e) {
        ui::services().message(this, accountDialogErrorText(e, QStringLiteral("Unable to change password.")),
                               kTitle, ui::Icon::Critical, ui::Buttons::Ok);
    }
}
