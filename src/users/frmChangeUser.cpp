#include "users/frmChangeUser.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <tuple>

#include "base/UiServices.h"
#include "users/AccountDialogError.h"
#include "users/AccountDialogSupport.h"
#include "users/clsGateway.h"
#include "users/clsUser.h"

namespace {
const QString kTitle = QStringLiteral("Change User Name");
constexpr quint32 kCurrentUserNotFound = kComponentErrorBase + 103;  // 0x80040067
}  // namespace

frmChangeUser::frmChangeUser(QString accountFile, clsUser& currentUser,
                             std::function<void(const QString&)> storeLastUser, QWidget* parent)
    : QDialog(parent),
      m_AccountFile(std::move(accountFile)),
      m_CurrentUser(currentUser),
      m_StoreLastUser(std::move(storeLastUser)) {
    setObjectName(QStringLiteral("frmChangeUser"));
    setWindowTitle(kTitle);

    auto* grid = new QGridLayout(this);
    lblCurrentName = new QLabel(this);
    lblCurrentName->setObjectName(QStringLiteral("lblCurrentName"));
    lblCurrentName->setTextFormat(Qt::PlainText);  // a name is never markup
    grid->addWidget(new QLabel(QStringLiteral("Current User Name:"), this), 0, 0);
    grid->addWidget(lblCurrentName, 0, 1);
    txtName = accountdialogs::makeTextBox(this, "txtName", false);
    txtNameConf = accountdialogs::makeTextBox(this, "txtNameConf", false);
    accountdialogs::addRow(grid, 1, QStringLiteral("&New User Name:"), txtName);
    accountdialogs::addRow(grid, 2, QStringLiteral("&Confirm New User Name:"), txtNameConf);
    std::tie(cmdOK, cmdCancel) =
        accountdialogs::addButtons(this, grid, 3, QStringLiteral("OK"), QStringLiteral("Cancel"));

    lblCurrentName->setText(m_CurrentUser.Name());
    connect(cmdOK, &QPushButton::clicked, this, &frmChangeUser::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmChangeUser::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Reset();
}

void frmChangeUser::Reset() {
    txtName->clear();
    txtNameConf->clear();
    txtName->setFocus(Qt::OtherFocusReason);
}

void frmChangeUser::cmdOK_Click() {
    try {
        if (txtName->text() != txtNameConf->text()) {
            ui::services().message(this, QStringLiteral("The new user names typed do not match."), kTitle,
                                   ui::Icon::Exclamation, ui::Buttons::Ok);
            Reset();
            return;
        }
        // The login refuses a blank name, so an account renamed to "" could never be used again.
        if (txtNameConf->text().isEmpty()) {
            ui::services().message(this, QStringLiteral("The new user name can not be blank."), kTitle,
                                   ui::Icon::Exclamation, ui::Buttons::Ok);
            Reset();
            return;
        }
        const QString newName = txtNameConf->text();
        clsGateway gateway;
        gateway.setUserInfoFileName(m_AccountFile);
        if (!gateway.ChangeUserName(lblCurrentName->text(), newName))
            throw ComponentError(kCurrentUserNotFound, QStringLiteral("frmChangeUser::cmdOK_Click()"),
                                 QStringLiteral("Internal Error - Unable to locate current user's name."));
        m_CurrentUser.setName(newName);
        lblCurrentName->setText(newName);
        if (m_StoreLastUser) m_StoreLastUser(newName);
        ui::services().message(this, QStringLiteral("User name changed successfully."), kTitle,
                               ui::Icon::Information, ui::Buttons::Ok);
        accept();
    } catch (const ComponentError& e) {
        // Not a failure of the file but of the choice: say so plainly and let the user pick again.
        if (e.number() == kGatewayNameTaken) {
            ui::services().message(this, e.description(), kTitle, ui::Icon::Exclamation, ui::Buttons::Ok);
            Reset();
            return;
        }
        ui::services().message(this, accountDialogErrorText(e, QStringLiteral("Unable to change usernames.")),
                               kTitle, ui::Icon::Critical, ui::Buttons::Ok);
    }
}
