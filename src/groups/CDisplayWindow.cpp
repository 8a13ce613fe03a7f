#include "groups/CDisplayWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>

#include "app/clsApplication.h"
#include "base/UiServices.h"
#include "comm/CMsgManager.h"
#include "comm/LinkWatch.h"
#include "files/clsWndManager.h"
#include "groups/CDataGroup.h"
#include "groups/CSetupDialog.h"
#include "users/clsUser.h"

CDisplayWindow::CDisplayWindow(std::unique_ptr<CDataGroup> data, QWidget* parent)
    : QWidget(parent), m_Data(std::move(data)), m_WinID(m_Data->WinID()) {
    connect(m_Data.get(), &CDataGroup::DataRefreshed, this, &CDisplayWindow::m_Data_DataRefreshed,
            Qt::DirectConnection);
    if (const clsApplication* app = clsApplication::instance(); app && app->Link()) {
        LinkWatch* watch = app->Link();
        watch->watchWindow(m_WinID, static_cast<int>(m_Data->ReadBlocks().size()));
        connect(watch, &LinkWatch::staleChanged, this, [this](qint32 winId, bool stale) {
            if (winId == m_WinID && !m_unloaded) setStale(stale);
        });
    }
}

CDisplayWindow::~CDisplayWindow() { Unload(); }

qint32 CDisplayWindow::WinID() const { return m_WinID; }

bool CDisplayWindow::SetupAllowed() {
    const clsApplication* app = clsApplication::instance();
    if (!app || !app->MsgManager() || !app->CurrentUser()) return false;
    return app->MsgManager()->IsConnected() && app->CurrentUser()->Role() != kGuestRole;
}

bool CDisplayWindow::CanRunSetup() const {
    return !m_unloaded && m_Data && SetupAvailable() && SetupAllowed() && m_Data->IsFresh();
}

CSetupDialog* CDisplayWindow::CreateSetupDialog(QWidget*) { return nullptr; }

QList<QWidget*> CDisplayWindow::SetupTargets() const {
    QList<QWidget*> out;
    for (QLabel* l : findChildren<QLabel*>()) out.append(l);
    return out;
}

void CDisplayWindow::installSetupTargets() {
    if (m_targetsInstalled) return;
    m_targetsInstalled = true;
    for (QWidget* w : SetupTargets()) {
        if (!w || w == this || !isAncestorOf(w)) continue;
        w->installEventFilter(this);
        m_setupTargets.append(w);
    }
}

QWidget* CDisplayWindow::dialogOwner() const {
    if (m_WndMgr && m_WndMgr->owner()) return m_WndMgr->owner();
    return const_cast<CDisplayWindow*>(this)->window();
}

CSetupDialog* CDisplayWindow::SetupDialog() {
    if (!m_Setup && SetupAvailable() && !m_unloaded) m_Setup = CreateSetupDialog(dialogOwner());
    return m_Setup;
}

void CDisplayWindow::Load(clsWndManager* manager) {
    if (m_loaded) return;
    m_loaded = true;
    m_WndMgr = manager;
    // The caption is the window's own by now; a window opened with the link down starts stale.
    if (const clsApplication* app = clsApplication::instance(); app && app->Link())
        setStale(app->Link()->isStale(m_WinID));
    installSetupTargets();
    (void)SetupDialog();  // loaded hidden with the window
    if (m_WndMgr) m_WndMgr->SetScreenChanged();
}

void CDisplayWindow::Unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    // The window manager goes before the display windows when the main window is torn down; then
    // there is no one left to tell.
    if (m_loaded && m_WndMgr) {
        m_WndMgr->WndUnloaded(m_WinID);
        m_WndMgr->SetScreenChanged();
    }
    delete m_Setup.data();
    m_Data.reset();
}

void CDisplayWindow::RunSetup() {
    if (!CanRunSetup()) return;
    QPointer<CSetupDialog> dialog = SetupDialog();
    if (!dialog) return;
    QPointer<CDisplayWindow> self(this);
    dialog->FillFromData(*m_Data);
    ui::services().execDialog(*dialog);
    // OK and Cancel both unload the dialog; the next RunSetup loads a fresh one.
    if (self && dialog) delete dialog.data();
}

void CDisplayWindow::setStale(bool stale) {
    if (stale == m_stale) return;
    m_stale = stale;
    if (stale) {
        m_liveTitle = windowTitle();
        m_livePalette = palette();
        // Text roles only: a window's coloured indicators keep their backgrounds, their texts grey.
        QPalette p = palette();
        const QColor grey = p.color(QPalette::Disabled, QPalette::WindowText);
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            p.setColor(QPalette::Active, role, grey);
            p.setColor(QPalette::Inactive, role, grey);
        }
        setPalette(p);
        setWindowTitle(m_liveTitle + kNoDataSuffix);
    } else {
        setPalette(m_livePalette);
        setWindowTitle(m_liveTitle);
    }
}

void CDisplayWindow::m_Data_DataRefreshed(qint32 WinID) {
    if (m_Data && WinID == m_Data->WinID()) UpdateDisplay();
}

void CDisplayWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // Only the bare background here: a double-click on a setup target was taken by eventFilter, and
    // one on any other child that passed it on (a frame, a list) is that child's business.
    if (!childAt(event->position().toPoint()) && CanRunSetup()) {
        event->accept();
        RunSetup();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

bool CDisplayWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (const QPointer<QWidget>& t : m_setupTargets) {
            if (t != watched) continue;
            if (!CanRunSetup()) break;  // refused: the control handles the click as usual
            event->accept();
            RunSetup();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CDisplayWindow::showEvent(QShowEvent* event) {
    installSetupTargets();
    QWidget::showEvent(event);
}

void CDisplayWindow::closeEvent(QCloseEvent* event) {
    // Unloading happens now, not when the deferred deletion comes: a screen opened right after must
    // not lose the polls of its new windows to this window's RemoveMsgs.
    QWidget::closeEvent(event);
    if (event->isAccepted()) Unload();
}
