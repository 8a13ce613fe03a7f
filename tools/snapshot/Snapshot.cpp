#include "Snapshot.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <cstdio>

#include "WidgetDump.h"
#include "app/clsApplication.h"
#include "app/mdiMain.h"
#include "comm/CMsgManager.h"
#include "comm/CScanLoop.h"
#include "files/WindowCatalogue.h"
#include "files/clsQTR_Window.h"
#include "files/clsWndManager.h"
#include "groups/CDisplayWindow.h"
#include "groups/CSetupDialog.h"
#include "groups/DisplayWindowFactory.h"
#include "groups/InputValidation.h"

namespace {

void fail(const QString& message) { std::fprintf(stderr, "fc-snapshot: %s\n", qPrintable(message)); }

bool toInt(const QString& s, int& out) {
    bool ok = false;
    out = s.toInt(&ok);
    return ok;
}

bool save(const QString& dir, const QString& name, QWidget& form, QStringList& written) {
    const QString png = QDir(dir).filePath(name + ".png");
    const QString json = QDir(dir).filePath(name + ".json");
    if (!form.grab().save(png, "PNG")) {
        fail("cannot write " + png);
        return false;
    }
    QFile f(json);
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(QJsonDocument(DumpControls(form)).toJson(QJsonDocument::Indented)) < 0) {
        fail("cannot write " + json);
        return false;
    }
    written << png << json;
    return true;
}

// Runs the event loop until `done` holds or `timeoutMs` passed; true when it holds.
template <typename Pred>
bool waitFor(Pred done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Opens the setup dialog of `w` the way the user does (RunSetup, modal) and presses OK without
// touching anything. Returns the dialog's class name, or an empty text (after a message) when OK was
// refused (a value the controller holds is outside the dialog's range) or the dialog did not open.
QString acceptSetup(CDisplayWindow& w) {
    QPointer<CSetupDialog> dialog = w.SetupDialog();  // the one RunSetup shows
    if (!dialog || !w.CanRunSetup()) {
        fail(QStringLiteral("%1: the setup dialog cannot be opened")
                 .arg(QString::fromLatin1(w.metaObject()->className())));
        return {};
    }
    const QString name = QString::fromLatin1(dialog->metaObject()->className());
    bool pressed = false;
    QString refused;
    // Runs inside the dialog's own event loop, once it is shown.
    QTimer::singleShot(0, dialog, [&pressed, &refused, dialog] {
        if (!dialog) return;
        pressed = true;
        dialog->cmdOK()->click();
        if (dialog->isVisible()) {
            QStringList invalid;
            for (QLineEdit* box : dialog->findChildren<QLineEdit*>())
                if (BackColor(box) == kInvalidBackColor) invalid << box->objectName();
            refused = invalid.join(u',');
            dialog->reject();
        }
    });
    w.RunSetup();
    if (!pressed) {
        fail(name + QStringLiteral(": the dialog did not open"));
        return {};
    }
    if (!refused.isNull()) {
        fail(name +
             QStringLiteral(": OK refused without an edit (invalid: %1); nothing written").arg(refused));
        return {};
    }
    return name;
}

}  // namespace

bool ParseSnapshotOptions(const QStringList& args, SnapshotOptions& o, QString& error) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        auto value = [&](QString& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args.at(++i);
            return true;
        };
        QString v;
        if (a == "--role") {
            if (!value(v) || !toInt(v, o.role) || o.role < 1 || o.role > 4) {
                error = error.isEmpty() ? "--role must be 1, 2, 3 or 4" : error;
                return false;
            }
        } else if (a == "--port") {
            if (!value(v) || !toInt(v, o.port) || o.port < 0) {
                error = error.isEmpty() ? "--port must be a port number (0 = built-in simulated controller)"
                                        : error;
                return false;
            }
        } else if (a == "--device") {
            if (!value(o.device)) return false;
        } else if (a == "--out") {
            if (!value(o.outDir)) return false;
        } else if (a == "--cycles") {
            if (!value(v) || !toInt(v, o.cycles) || o.cycles < 0 || o.cycles > 1000) {
                error = error.isEmpty() ? "--cycles must be 0..1000" : error;
                return false;
            }
        } else if (a == "--scan-rate") {
            if (!value(v) || !toInt(v, o.scanRate) || o.scanRate < 1 || o.scanRate > 32767) {
                error = error.isEmpty() ? "--scan-rate must be 1..32767 milliseconds" : error;
                return false;
            }
        } else if (a == "--accept") {
            o.accept = true;
        } else if (a == "--link-monitor") {
            o.linkMonitor = true;
        } else if (a.startsWith("--")) {
            error = "unknown option " + a;
            return false;
        } else {
            int code = -1;
            if (!toInt(a, code) || !WindowCatalogue::IsValidType(code)) {
                error = "window type codes are 0..20, not " + a;
                return false;
            }
            o.windows << code;
        }
    }
    if (o.role == 0)
        error = "--role is required";
    else if ((o.port >= 0) == !o.device.isEmpty())
        error = "give either --port N or --device PATH";
    else if (o.outDir.isEmpty())
        error = "--out is required";
    return error.isEmpty();
}

int RunSnapshot(const SnapshotOptions& o) {
    QList<int> types = o.windows;
    if (types.isEmpty()) {
        for (int c = 0; c < WindowCatalogue::kTypeCount; ++c)
            if (DisplayWindowFactory::Exists(c)) types << c;
    }
    for (int c : types) {
        if (!DisplayWindowFactory::Exists(c)) {
            fail(QStringLiteral("this build has no window of type %1").arg(c));
            return 2;
        }
    }
    if (!QDir().mkpath(o.outDir)) {
        fail("cannot create " + o.outDir);
        return 2;
    }

    clsApplication app;
    app.LoginAs(QStringLiteral("SNAPSHOT"), o.role);
    mdiMain main;
    main.resize(1024, 720);
    main.show();
    try {
        main.setReadScanRate(qint16(o.scanRate));
        main.setWriteScanRate(qint16(o.scanRate));
        if (o.device.isEmpty()) {
            main.setCOM_Number(qint16(o.port));
        } else {
            main.scanLoop()->serial().setPortOverrides({{1, o.device}});
            main.setCOM_Number(1);
        }
    } catch (const std::exception& e) {
        fail(QStringLiteral("cannot select the port: %1").arg(QString::fromLocal8Bit(e.what())));
        return 3;
    }
    if (!main.ConnectLink()) {
        const QString why = main.scanLoop()->serial().lastOpenFailure().message;
        fail("cannot connect: " + (why.isEmpty() ? QStringLiteral("the port did not open") : why));
        return 3;
    }

    if (o.linkMonitor) {
        if (QAction* open = main.findChild<QAction*>(QStringLiteral("mnuToolsLinkMonitor"))) open->trigger();
    }

    clsWndManager* windows = main.WindowMgr();
    for (int c : types) {
        if (!windows->CreateWnd(c, 0, 0, 0)) {
            fail(QStringLiteral("cannot open the window of type %1").arg(c));
            return 4;
        }
    }
    if (types.size() > 1) clsQTR_Window().CascadeChildWindows(main);

    // A cycle: every packet in the queue answered once.
    CMsgManager* manager = app.MsgManager();
    int replies = 0;
    QObject::connect(manager, &CMsgManager::MessageReady, &main, [&replies] { ++replies; });
    auto runCycles = [&] {
        const int wanted = replies + o.cycles * manager->queueSize();
        const int timeoutMs = 5000 + (wanted - replies) * o.scanRate * 4;
        if (waitFor([&] { return replies >= wanted; }, timeoutMs)) return true;
        fail(QStringLiteral("the controller answered %1 of %2 requests within %3 ms")
                 .arg(replies)
                 .arg(wanted)
                 .arg(timeoutMs));
        return false;
    };
    if (!runCycles()) return 5;
    QStringList written;
    QSet<QString> used;
    auto uniqueName = [&used](QString name) {
        QString n = name;
        for (int k = 2; used.contains(n); ++k) n = name + QStringLiteral("_%1").arg(k);
        used.insert(n);
        return n;
    };
    QList<QPointer<CDisplayWindow>> withDialog;  // windows whose setup dialog was captured
    for (CDisplayWindow* w : windows->DisplayWindows()) {
        QWidget& form = *w;
        if (!save(o.outDir, uniqueName(QString::fromLatin1(w->metaObject()->className())), form, written))
            return 6;
        if (!w->SetupAvailable()) continue;
        // The dialog is captured only when the user could open it now: a guest cannot, and before
        // every block of the group has been read it would show fields that were never read.
        if (!w->CanRunSetup()) {
            fail(QStringLiteral("%1: setup not available now (guest role, or not read yet: more --cycles)")
                     .arg(QString::fromLatin1(w->metaObject()->className())));
            continue;
        }
        CSetupDialog* dialog = w->SetupDialog();
        if (!dialog) continue;
        withDialog << w;
        dialog->FillFromData(w->Data());
        dialog->adjustSize();
        dialog->show();
        QApplication::processEvents();
        const bool ok = save(o.outDir, uniqueName(QString::fromLatin1(dialog->metaObject()->className())),
                             *dialog, written);
        dialog->hide();
        if (!ok) return 6;
    }
    if (frmLinkMonitor* monitor = main.linkMonitor()) {
        QApplication::processEvents();
        if (!save(o.outDir, QStringLiteral("frmLinkMonitor"), *monitor, written)) return 6;
    }
    QApplication::processEvents();
    const QString mainPng = QDir(o.outDir).filePath("mdiMain.png");
    if (!main.grab().save(mainPng, "PNG")) {
        fail("cannot write " + mainPng);
        return 6;
    }
    written << mainPng;

    QStringList accepted;
    if (o.accept) {
        for (const QPointer<CDisplayWindow>& w : withDialog) {
            if (!w) continue;
            const QString name = acceptSetup(*w);
            if (name.isEmpty()) return 7;
            accepted << name;
        }
        // The writes are one-shot packets at the end of the queue: the cycles send them and poll
        // the blocks again, so what the controller took is read back.
        if (!runCycles()) return 5;
    }
    main.DisconnectLink();
    for (const QString& f : written) std::printf("%s\n", qPrintable(f));
    for (const QString& a : accepted) std::printf("accepted %s\n", qPrintable(a));
    return 0;
}
