#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class clsUser;

// Renames the logged-in user's account. The new name is typed twice and may not be empty (an
// account without a name could never log in again) nor one that another account already has (its
// logins would reach one of the two accounts only); both are refused with a message and the dialog
// stays open with empty boxes. After the rename the current user carries the
// new name and storeLastUser remembers it, so the next login presets it.
class frmChangeUser : public QDialog {
    Q_OBJECT
public:
    // accountFile: full path of the user account file; currentUser: renamed on success (must outlive
    // the dialog); storeLastUser: writes the registry's "LastUser" (may throw ComponentError, which
    // the dialog reports; may be empty).
    frmChangeUser(QString accountFile, clsUser& currentUser,
                  std::function<void(const QString&)> storeLastUser, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void cmdOK_Click();
    void Reset();

    QString m_AccountFile;
    clsUser& m_CurrentUser;
    std::function<void(const QString&)> m_StoreLastUser;
    QLabel* lblCurrentName;
    QLineEdit* txtName;
    QLineEdit* txtNameConf;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
