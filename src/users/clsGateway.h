#pragma once

#include <QString>
#include <QtGlobal>

#include "users/UserAccountFile.h"

// The account gateway: makes sure the user account file exists (with the default accounts and a
// guest account), runs the login dialog until a name and password match or the user cancels, and
// renames accounts and changes passwords for the account dialogs. Every prompt and message goes
// through ui::services().
//
//     clsGateway gateway;
//     gateway.setUserInfoFileName(path);
//     QString name; qint32 role = 0;
//     if (gateway.RunLogin(name, role, lastUser)) ...
class clsGateway {
public:
    [[nodiscard]] const QString& UserInfoFileName() const { return m_File.UserInfoFileName(); }
    void setUserInfoFileName(const QString& path) { m_File.setUserInfoFileName(path); }

    // Shows the login dialog (preset with presetName) until a user logs in (true: name exactly as
    // typed, role of the account) or cancels (false). Also false, after a message that says why,
    // when the account file can be neither found nor created. When the account file fails (locked
    // by another copy, unreadable, a device error) its message is shown with Retry and Cancel:
    // Retry repeats the failed step with what was typed, Cancel returns false.
    [[nodiscard]] bool RunLogin(QString& sUserName, qint32& UserRole, const QString& sDefaultUserName);

    [[nodiscard]] bool ChangeUserName(const QString& sUserName, const QString& sNewUserName) {
        return m_File.ChangeUserName(sUserName, sNewUserName);
    }
    [[nodiscard]] bool ChangePassword(const QString& sUserName, const QString& sOldPassword,
                                      const QString& sNewPassword) {
        return m_File.ChangePassword(sUserName, sOldPassword, sNewPassword);
    }

    // The login dialog's LoginAttempted: remembers what was typed.
    void LoginWnd_LoginAttempted(const QString& sUserName, const QString& sPassword);

private:
    [[nodiscard]] bool ensureAccountFile();
    // One login dialog; true when OK was pressed (the typed texts are in m_UserName, m_Password).
    [[nodiscard]] bool showLoginDialog(const QString& sDefaultUserName);

    UserAccountFile m_File;
    bool m_LoginAttempted = false;
    QString m_UserName;
    QString m_Password;
};
