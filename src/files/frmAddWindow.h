#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class clsWndManager;
class mdiMain;

// "Add Window": the display window types the current user's role may open, that are not open yet
// and that this build can create. OK (or a double-click on the list) opens a window for every selected entry at the top left of
// the main window's client area.
class frmAddWindow : public QDialog {
    Q_OBJECT
public:
    // The main window's Add Window dialog (its window manager, owned by it).
    explicit frmAddWindow(mdiMain* main);
    frmAddWindow(clsWndManager* manager, QWidget* owner);

    [[nodiscard]] QListWidget* lstWindows() const { return m_lstWindows; }

private slots:
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void buildUi();
    void fillList();

    clsWndManager* m_manager = nullptr;
    QLabel* m_lblAvailWindows = nullptr;
    QListWidget* m_lstWindows = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};
