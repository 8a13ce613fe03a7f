#pragma once

#include <QDate>
#include <QDialog>

class QLabel;
class QPushButton;

// The About window: product name, version, build date, copyright and a legal warning, and a button
// that starts the system-information tool.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Starts the system-information tool; "MSINFO32 failed to start." when there is none.
    void StartSysInfo();

    // The date this program was built (the compiler's date of this file).
    [[nodiscard]] static QDate buildDate();

private:
    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblBuildDate;
    QLabel* lblCopyright;
    QLabel* lblDisclaimer;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;
};
