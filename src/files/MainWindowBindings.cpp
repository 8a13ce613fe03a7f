// The window manager, screen procedures and Add Window dialog bound to the program's main window.
#include "app/mdiMain.h"
#include "files/clsScreenFiles.h"
#include "files/clsWndManager.h"
#include "files/frmAddWindow.h"

clsWndManager::clsWndManager(mdiMain* main)
    : clsWndManager(Host{main ? main->mdiArea() : nullptr, main, [main] {
                             if (main) main->SetScreenChanged();
                         }}) {}

clsScreenFiles::clsScreenFiles(mdiMain* main)
    : clsScreenFiles(Host{main, main ? main->WindowMgr() : nullptr,
                          [main] { return main && main->ScreenChanged(); },
                          [main](bool c) {
                              if (main) main->setScreenChanged(c);
                          },
                          [main] { return main ? main->ScreenFileName() : QString(); },
                          [main](const QString& n) {
                              if (main) main->setScreenFileName(n);
                          }}) {}

frmAddWindow::frmAddWindow(mdiMain* main) : frmAddWindow(main ? main->WindowMgr() : nullptr, main) {}
