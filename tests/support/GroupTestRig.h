#pragma once

// A small world for data-group and window tests: the application object with a logged-in user, its
// message manager driven tick by tick through a FakeScanHost, and a simulated controller (register
// image + slave engine) answering every frame sent, so a reply arrives at the next tick as it would
// on the line. Also an MDI area with a window manager and screen procedures sharing one screen state.

#include <QMainWindow>
#include <QMdiArea>
#include <QTemporaryDir>
#include <memory>

#include "FakeScanHost.h"
#include "app/clsApplication.h"
#include "comm/CMsgManager.h"
#include "files/clsScreenFiles.h"
#include "files/clsWndManager.h"
#include "sim/M852Image.h"
#include "sim/SlaveEngine.h"
#include "users/clsUser.h"

class GroupTestRig {
public:
    explicit GroupTestRig(qint32 role = 1) {
        qputenv("FC_HOME", m_home.path().toLocal8Bit());
        m_app = std::make_unique<clsApplication>();
        m_app->LoginAs(QStringLiteral("TECH"), role);
        manager().setScanHost(&host);
        host.open = true;
    }
    ~GroupTestRig() {
        // Windows (and their data objects) go before the manager they are subscribed to.
        m_screens.reset();
        m_main.reset();
        m_windows.reset();
        if (m_app->MsgManager()) m_app->MsgManager()->setScanHost(nullptr);
    }

    [[nodiscard]] CMsgManager& manager() const { return *m_app->MsgManager(); }
    [[nodiscard]] clsUser& user() const { return *m_app->CurrentUser(); }
    void setConnected(bool connected) { host.open = connected; }

    // One scan tick; the frame it sent is answered by the simulated controller at once (the reply
    // waits in the port's buffer for the next tick). Returns the frame sent, empty when none.
    QByteArray tick() {
        const qsizetype before = host.sent.size();
        runTick(manager());
        if (host.sent.size() == before) return {};
        const QByteArray frame = host.sent.last();
        host.inject(engine.handleFrame(frame));
        return frame;
    }
    // Ticks until every packet queued now has been sent and answered once.
    void cycle() {
        const int n = manager().queueSize();
        for (int i = 0; i <= n; ++i) tick();
    }

    // --- windows ---------------------------------------------------------------------------------
    QMainWindow& mainWindow() {
        ensureWindows();
        return *m_main;
    }
    QMdiArea& area() {
        ensureWindows();
        return *m_area;
    }
    clsWndManager& windows() {
        ensureWindows();
        return *m_windows;
    }
    clsScreenFiles& screens() {
        ensureWindows();
        return *m_screens;
    }

    bool screenChanged = false;
    QString screenFileName;

    FakeScanHost host;
    sim::M852Image image;
    sim::SlaveEngine engine{image, 1};

private:
    void ensureWindows() {
        if (m_main) return;
        m_main = std::make_unique<QMainWindow>();
        m_area = new QMdiArea(m_main.get());
        m_area->setObjectName(QStringLiteral("mdiArea"));
        m_main->setCentralWidget(m_area);
        m_main->resize(1000, 700);
        m_main->show();
        clsWndManager::Host wh;
        wh.area = m_area;
        wh.owner = m_main.get();
        wh.setScreenChanged = [this] { screenChanged = true; };
        m_windows = std::make_unique<clsWndManager>(wh);
        clsScreenFiles::Host sh;
        sh.owner = m_main.get();
        sh.windows = m_windows.get();
        sh.screenChanged = [this] { return screenChanged; };
        sh.setScreenChanged = [this](bool v) { screenChanged = v; };
        sh.screenFileName = [this] { return screenFileName; };
        sh.setScreenFileName = [this](const QString& n) { screenFileName = n; };
        m_screens = std::make_unique<clsScreenFiles>(sh);
    }

    QTemporaryDir m_home;
    std::unique_ptr<clsApplication> m_app;
    std::unique_ptr<QMainWindow> m_main;
    QMdiArea* m_area = nullptr;
    std::unique_ptr<clsWndManager> m_windows;
    std::unique_ptr<clsScreenFiles> m_screens;
};
