#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;
class clsWndManager;
class mdiMain;

// The main window's screen procedures: open, save and save-as of screen files (*.scn), closing all
// display windows, and the questions about an unsaved screen on Open Screen, Close All and exit.
//
// The screen state (ScreenChanged, ScreenFileName) is the main window's; this class reaches it
// through the Host callbacks, or keeps it itself when the host leaves them empty.
class clsScreenFiles : public QObject {
    Q_OBJECT
public:
    struct Host {
        QWidget* owner = nullptr;          // owner of file dialogs and message boxes
        clsWndManager* windows = nullptr;  // creates and lists the display windows
        std::function<bool()> screenChanged;
        std::function<void(bool)> setScreenChanged;
        std::function<QString()> screenFileName;
        std::function<void(const QString&)> setScreenFileName;
    };

    // How a save ended.
    enum class SaveResult { Saved, Cancelled, Failed };

    explicit clsScreenFiles(mdiMain* main);
    explicit clsScreenFiles(Host host, QObject* parent = nullptr);
    ~clsScreenFiles() override;

    // File > Open Screen...: offers to save a changed screen first, then OpenScreenFile; a file that
    // cannot be read is reported ("Unable to open screen file.") and the open windows stay.
    void OpenScreenCommand();
    // File > Save Screen: the current file, or Save As when there is none yet. A failure is reported
    // ("Attempt to save screen failed." and the cause) and the screen stays marked as changed.
    SaveResult SaveScreen();
    // File > Save Screen As...: asks for a file name and writes the screen there (reported as above).
    SaveResult SaveScreenAs();
    // Writes every open display window to ScreenFileName and clears ScreenChanged. Throws
    // ComponentError (source "mdiMain::WriteScreenFile") when the file cannot be written; the file
    // on disk is then unchanged (written to a temporary file and moved into place).
    void WriteScreenFile();
    // Asks for a screen file and opens its windows in place of the open ones. False when the user
    // cancelled. Throws when the file cannot be read (the open windows then stay).
    bool OpenScreenFile();
    // Opens the windows listed in `path` in place of the open ones (OpenScreenFile without the
    // dialog). Throws when the file cannot be read.
    void LoadScreenFile(const QString& path);
    // Unloads every display window, the last loaded first.
    void CloseAllDisplayWindows();
    // Window > Close All: offers to save a changed screen, then closes every display window.
    void CloseAllCommand();
    // The question on exit: false keeps the program running.
    [[nodiscard]] bool QueryClose();

    [[nodiscard]] bool ScreenChanged() const;
    void SetScreenChanged();
    [[nodiscard]] QString ScreenFileName() const;

    // Longest screen file read, and most windows opened from one file; the rest is ignored.
    static constexpr qint64 kMaxFileSize = 1 << 20;
    static constexpr int kMaxWindows = 200;

private:
    // SaveScreen / SaveScreenAs without reporting a failure; the error text goes to *error.
    SaveResult trySave(bool askName, QString* error);
    // True when the caller may go on and discard the current screen.
    bool OfferToSaveScreen(const QString& goOnAnyway);
    void setScreenChanged(bool changed);
    void setScreenFileName(const QString& name);

    Host m_host;
    QPointer<QWidget> m_owner;
    QPointer<clsWndManager> m_windows;
    bool m_ownChanged = false;
    QString m_ownFileName;
};
