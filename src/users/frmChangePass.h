#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

// Changes the password of an account. The user name starts as the current user's but stays
// editable, so whoever knows another account's old password can change it too. The new password
// is typed twice; after a rejected attempt the three password boxes are emptied.
class frmChangePass : public QDialog {
    Q_OBJECT
public:
    // accountFile: full path of the user account file; currentUserName: the logged-in user.
    frmChangePass(QString accountFile, const QString& currentUserName, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void cmdOK_Click();
    void Reset();

    QString m_AccountFile;
    QLineEdit* txtUserName;
    QLineEdit* txtOldPassword;
    QLineEdit* txtNewPassword;
    QLineEdit* txtConfirmPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
