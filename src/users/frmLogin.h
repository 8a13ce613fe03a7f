#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The login dialog: user name and password, OK and Cancel. One instance per login attempt; OK
// raises LoginAttempted with both texts exactly as typed and closes, Cancel just closes. A preset
// name puts the focus in the password box; entering the name box selects its whole text.
class frmLogin : public QDialog {
    Q_OBJECT
public:
    explicit frmLogin(QWidget* parent = nullptr);

    void SetDefaultUserName(const QString& sDefaultName);

signals:
    void LoginAttempted(const QString& sUserName, const QString& sPassword);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmdOK_Click();

    QLabel* lblUserName;
    QLineEdit* txtUserName;
    QLabel* lblPassword;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
