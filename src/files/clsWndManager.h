#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtGlobal>
#include <array>
#include <functional>

class CDisplayWindow;
class QMdiArea;
class QMdiSubWindow;
class QWidget;
class mdiMain;

// Knows the 21 display window types, how many of each are open, creates a window from a type code,
// position (twips) and state, and lists the types that may still be opened (AvailWnds).
class clsWndManager : public QObject {
    Q_OBJECT
public:
    // What the manager needs from the window that holds the display windows.
    struct Host {
        QMdiArea* area = nullptr;                // where display windows go
        QWidget* owner = nullptr;                // owner of setup dialogs; its icon is the windows' icon
        std::function<void()> setScreenChanged;  // the main window's SetScreenChanged
    };
    // Makes the display window of a type, nullptr when there is none.
    using WindowFactory = std::function<CDisplayWindow*(qint32)>;

    // The main window's window manager.
    explicit clsWndManager(mdiMain* main);
    explicit clsWndManager(Host host, QObject* parent = nullptr);
    ~clsWndManager() override;

    // How many windows of one type may be open for AvailWnds to still offer it (starts at 1).
    // Below 1 raises 0x800400C8 and keeps the value.
    [[nodiscard]] qint32 NumWndCopies() const { return m_NumWndCopies; }
    void setNumWndCopies(qint32 value);
    [[nodiscard]] qint32 NumWindowsOpen() const { return m_NumWindowsOpen; }

    // The next type from the cursor on with fewer than NumWndCopies windows open: its title and
    // code, true, and the cursor after it. False (cursor back to 0) when there is none.
    bool AvailWnds(QString& sName, qint32& WndType);

    // Creates, places (twips in the main window's client area) and shows a display window; state 0
    // normal, 1 minimized, 2 maximized. Every failure (an unknown code 0x800400C9, a type this build
    // has no window for, a window whose data object has another WinID than the type, a bad state)
    // returns false and leaves nothing behind: no window, no count, no polls.
    bool CreateWnd(qint32 WndType, qint32 lTop, qint32 lLeft, qint32 WndState);

    // Whether CreateWnd can make a window of this type: a code 0..20 that the factory has a window
    // for (with a factory set by setWindowFactory, every code 0..20). The Add Window list offers no other.
    [[nodiscard]] bool CanCreate(qint32 WndType) const;

    // Replaces DisplayWindowFactory::Create (tests hand in a faulty factory); empty restores it.
    void setWindowFactory(WindowFactory factory) { m_create = std::move(factory); }

    // A display window of that type was unloaded.
    void WndUnloaded(qint32 WndType);

    [[nodiscard]] qint32 OpenCount(qint32 WndType) const;
    [[nodiscard]] QString Title(qint32 WndType) const;

    // The open display windows in the order they were loaded (closed ones excluded).
    [[nodiscard]] QList<CDisplayWindow*> DisplayWindows() const;
    [[nodiscard]] static QMdiSubWindow* SubWindowOf(CDisplayWindow* window);

    [[nodiscard]] QMdiArea* mdiArea() const;
    [[nodiscard]] QWidget* owner() const;
    void SetScreenChanged();

    // Twips <-> pixels at `dpi` logical dots per inch (1440 twips per inch), rounded half to even.
    [[nodiscard]] static qint32 TwipsToPixels(double twips, int dpi);
    [[nodiscard]] static double PixelsToTwips(int pixels, int dpi);

private:
    struct WindowTypeEntry {
        qint32 WndType = 0;
        QString Title;
        qint32 OpenCount = 0;
    };

    Host m_host;
    WindowFactory m_create;  // empty: DisplayWindowFactory::Create
    QPointer<QMdiArea> m_area;
    QPointer<QWidget> m_owner;
    std::array<WindowTypeEntry, 21> m_types;
    qint32 m_NumWndCopies = 1;
    qint32 m_NumWindowsOpen = 0;
    qint32 m_cursor = 0;
};
