// The measured program for the start-up benchmark: the real program's entry (FieldConsole::run, the
// same function main() calls) with user-interface services that log in by themselves. It prints when
// the login dialog is on the screen (painted), when OK is pressed and when the main window is on the
// screen (painted), then closes the main window.
//
// Nothing in the program itself knows about the benchmark: the services are installed here, through
// the same seam the tests use.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <cstdlib>

#include "StartupMark.h"
#include "app/FieldConsole.h"
#include "base/UiServices.h"
#include "app/mdiMain.h"

namespace {

class AutoLogin final : public ui::IUiServices {
public:
    // Started at OK: looks for the main window on the screen.
    QTimer* watch = nullptr;

    ui::Answer message(QWidget*, const QString& text, const QString&, ui::Icon, ui::Buttons) override {
        // Start-up shows no message when all is well; one here means the run is not a normal start.
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        std::exit(3);
    }
    std::optional<QString> fileDialog(QWidget*, const ui::FileDialogRequest&) override { std::exit(3); }
    int execDialog(QDialog& dialog) override {
        if (QLatin1String(dialog.metaObject()->className()) != QLatin1String("frmLogin")) std::exit(3);
        dialog.show();
        startup_mark::waitPainted(dialog);
        startup_mark::mark("login_shown", startup_mark::nowNs());
        dialog.findChild<QLineEdit*>(QStringLiteral("txtUserName"))->setText(QStringLiteral("ADMIN"));
        dialog.findChild<QLineEdit*>(QStringLiteral("txtPassword"))->setText(QStringLiteral("Bxzq"));
        startup_mark::mark("ok", startup_mark::nowNs());
        if (watch) watch->start();
        dialog.findChild<QAbstractButton*>(QStringLiteral("cmdOK"))->click();
        return dialog.result();
    }
    void beep() override {}
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    AutoLogin services;
    ui::setServices(&services);
    // Once the main window has painted itself: mark and close it, which ends the program.
    startup_mark::FirstPaint mainPainted([](const QWidget* w) { return w == mdiMain::instance(); });
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&watch, &mainPainted] {
        mdiMain* w = mdiMain::instance();
        if (!w || !mainPainted.seen()) return;
        watch.stop();
        startup_mark::mark("main_shown", startup_mark::nowNs());
        w->close();
    });
    services.watch = &watch;
    const int rc = FieldConsole::run(argc, argv);
    ui::setServices(nullptr);
    return rc;
}
