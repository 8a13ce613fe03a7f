#include "users/clsGateway.h"

#include <QCoreApplication>

#include "base/UiServices.h"
#include "users/clsUser.h"
#include "users/frmLogin.h"

bool clsGateway::ensureAccountFile() {
    if (m_File.UserInfoFileExists()) {
        // A file from an older installation may lack the guest account; give it one.
        if (!m_File.RoleLookup(kGuestRole) && !m_File.AddUser(UserAccountFile::Hash(QStringLiteral("GUEST")),
                                                              UserAccountFile::Hash(QString()), kGuestRole))
            ui::message(nullptr, QStringLiteral("Can not create GUEST account in User Info File"),
                        ui::Icon::Exclamation);
        return true;
    }
    QString why;
    if (m_File.CreateUserInfoFile(&why)) return true;
    ui::message(nullptr, QStringLiteral("Can not find/create the User Info File\r\n%1").arg(why),
                ui::Icon::Critical);
    return false;
}

bool clsGateway::showLoginDialog(const QString& sDefaultUserName) {
    m_LoginAttempted = false;
    {
        frmLogin LoginWnd;
        QObject::connect(&LoginWnd, &frmLogin::LoginAttempted,
                         [this](const QString& name, const QString& password) {
                             LoginWnd_LoginAttempted(name, password);
                         });
        // Always the caller's name, not what was typed in an earlier attempt.
        LoginWnd.SetDefaultUserName(sDefaultUserName);
        ui::services().execDialog(LoginWnd);
    }
    QCoreApplication::processEvents();  // let the closed dialog's window go before any message
    return m_LoginAttempted;
}

bool clsGateway::RunLogin(QString& sUserName, qint32& UserRole, const QString& sDefaultUserName) {
    bool fileReady = false;       // the file exists and has its guest account
    bool attemptPending = false;  // a name and password were typed and are not checked yet
    for (;;) {
        try {
            if (!fileReady) {
                if (!ensureAccountFile()) return false;
                fileReady = true;
            }
            if (!attemptPending) {
                if (!showLoginDialog(sDefaultUserName)) return false;
                attemptPending = true;
            }

            QString message;
            if (m_UserName.isEmpty()) {
                message = QStringLiteral("The user name can not be blank.");
            } else {
                const qint32 nameHash = UserAccountFile::Hash(m_UserName);
                const qint32 passwordHash = UserAccountFile::Hash(m_Password);
                qint32 storedPassword = 0;
                qint32 role = 0;
                if (m_File.UserLookup(nameHash, storedPassword, role) && storedPassword == passwordHash) {
                    sUserName = m_UserName;
                    UserRole = role;
                    return true;
                }
                message = QStringLiteral(
                    "The user name or password is incorrect.\r\nUser names and passwords are case "
                    "sensitive.");
            }
            attemptPending = false;
            ui::message(nullptr, message, ui::Icon::Exclamation);
        } catch (const ComponentError& e) {
            if (e.number() == kGatewayNullArgument) {
                ui::message(nullptr,
                            QStringLiteral("%1 - %2\r\n%3 can not continue.")
                                .arg(e.source(), e.description(), ui::kProductName),
                            ui::Icon::Critical);
                return false;
            }
            // The account file failed (held by another copy of the program, unreadable, a device
            // error): its own message, and the user decides. Retry repeats the step that failed,
            // with what was typed, so a lock that is gone by then costs nothing; Cancel ends the
            // login as a cancelled dialog does.
            if (ui::services().message(nullptr, e.description(), ui::kProductName, ui::Icon::Exclamation,
                                       ui::Buttons::RetryCancel) != ui::Answer::Retry)
                return false;
            // A file that vanished meanwhile is created again, as at any start.
            if (e.number() == kGatewayFileMissing) fileReady = false;
        }
    }
}

void clsGateway::LoginWnd_LoginAttempted(const QString& sUserName, const QString& sPassword) {
    m_UserName = sUserName;
    m_Password = sPassword;
    m_LoginAttempted = true;
}
