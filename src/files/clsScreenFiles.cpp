#include "files/clsScreenFiles.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSaveFile>
#include <exception>

#include "base/StringTable.h"
#include "base/UiServices.h"
#include "base/ComponentError.h"
#include "files/ScreenFile.h"
#include "files/clsWndManager.h"
#include "groups/CDisplayWindow.h"

namespace {

// Visual Basic's numbers for file errors, kept as the errors' own numbers.
constexpr quint32 kErrFileNotFound = 53;
constexpr quint32 kErrPathAccess = 75;

QString text(int id, const char* fallback) {
    return StringTable::lookup(id).value_or(QString::fromLatin1(fallback));
}

QString describe(const std::exception& e) {
    if (const auto* c = dynamic_cast<const ComponentError*>(&e)) return c->description();
    return QString::fromLocal8Bit(e.what());
}

ui::FileDialogRequest screenDialog(bool open) {
    ui::FileDialogRequest r;
    r.open = open;
    r.title = open ? text(50, "Open Screen") : text(51, "Save Screen As");
    r.defaultSuffix = QStringLiteral("scn");
    r.filters = {QStringLiteral("Screen Files (*.scn)"), QStringLiteral("All Files (*.*)")};
    r.selectedFilter = 0;
    // Save As replaces an existing file without asking.
    r.confirmOverwrite = false;
    return r;
}

}  // namespace

clsScreenFiles::clsScreenFiles(Host host, QObject* parent)
    : QObject(parent), m_host(std::move(host)), m_owner(m_host.owner), m_windows(m_host.windows) {}

clsScreenFiles::~clsScreenFiles() = default;

bool clsScreenFiles::ScreenChanged() const {
    return m_host.screenChanged ? m_host.screenChanged() : m_ownChanged;
}

void clsScreenFiles::SetScreenChanged() { setScreenChanged(true); }

void clsScreenFiles::setScreenChanged(bool changed) {
    if (m_host.setScreenChanged)
        m_host.setScreenChanged(changed);
    else
        m_ownChanged = changed;
}

QString clsScreenFiles::ScreenFileName() const {
    return m_host.screenFileName ? m_host.screenFileName() : m_ownFileName;
}

void clsScreenFiles::setScreenFileName(const QString& name) {
    if (m_host.setScreenFileName)
        m_host.setScreenFileName(name);
    else
        m_ownFileName = name;
}

void clsScreenFiles::WriteScreenFile() {
    const QString path = ScreenFileName();
    QList<ScreenFile::Entry> entries;
    if (m_windows) {
        QMdiArea* area = m_windows->mdiArea();
        const int dpiX = area && area->logicalDpiX() > 0 ? area->logicalDpiX() : 96;
        const int dpiY = area && area->logicalDpiY() > 0 ? area->logicalDpiY() : 96;
        for (CDisplayWindow* w : m_windows->DisplayWindows()) {
            QMdiSubWindow* sub = clsWndManager::SubWindowOf(w);
            if (!sub) continue;
            ScreenFile::Entry e;
            e.winId = w->WinID();
            e.top = clsWndManager::PixelsToTwips(sub->y(), dpiY);
            e.left = clsWndManager::PixelsToTwips(sub->x(), dpiX);
            e.state = sub->isMinimized() ? 1 : sub->isMaximized() ? 2 : 0;
            entries.append(e);
        }
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ComponentError(kErrPathAccess, QStringLiteral("mdiMain::WriteScreenFile"),
                             QStringLiteral("Error opening ") + path + u'\n' + file.errorString());
    const QByteArray contents = ScreenFile::Write(entries);
    if (file.write(contents) != contents.size() || !file.commit())
        throw ComponentError(kErrPathAccess, QStringLiteral("mdiMain::WriteScreenFile"),
                             QStringLiteral("Error writing ") + path + u'\n' + file.errorString());
    setScreenChanged(false);
}

clsScreenFiles::SaveResult clsScreenFiles::trySave(bool askName, QString* error) {
    try {
        if (askName || ScreenFileName().isEmpty()) {
            const std::optional<QString> path = ui::services().fileDialog(m_owner, screenDialog(false));
            if (!path || path->isEmpty()) return SaveResult::Cancelled;
            setScreenFileName(*path);
        }
        WriteScreenFile();
        return SaveResult::Saved;
    } catch (const std::exception& e) {
        if (error) *error = describe(e);
        return SaveResult::Failed;
    }
}

clsScreenFiles::SaveResult clsScreenFiles::SaveScreen() {
    QString error;
    const SaveResult r = trySave(false, &error);
    if (r == SaveResult::Failed)
        ui::message(m_owner, text(31, "Attempt to save screen failed.") + u'\n' + error,
                    ui::Icon::Exclamation);
    return r;
}

clsScreenFiles::SaveResult clsScreenFiles::SaveScreenAs() {
    QString error;
    const SaveResult r = trySave(true, &error);
    if (r == SaveResult::Failed)
        ui::message(m_owner, text(31, "Attempt to save screen failed.") + u'\n' + error,
                    ui::Icon::Exclamation);
    return r;
}

void clsScreenFiles::CloseAllDisplayWindows() {
    if (!m_windows) return;
    QList<CDisplayWindow*> windows = m_windows->DisplayWindows();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (QMdiSubWindow* sub = clsWndManager::SubWindowOf(*it))
            sub->close();
        else
            (*it)->close();
    }
}

void clsScreenFiles::LoadScreenFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ComponentError(kErrFileNotFound, QStringLiteral("mdiMain::OpenScreenFile"),
                             path + u'\n' + file.errorString());
    const QByteArray contents = file.read(kMaxFileSize);
    if (file.error() != QFileDevice::NoError)
        throw ComponentError(kErrPathAccess, QStringLiteral("mdiMain::OpenScreenFile"),
                             path + u'\n' + file.errorString());
    file.close();
    setScreenFileName(path);

    CloseAllDisplayWindows();
    int opened = 0;
    for (const ScreenFile::ReadEntry& e : ScreenFile::Read(contents)) {
        if (opened >= kMaxWindows) break;
        // A line whose window cannot be made (unknown code, bad state) is passed over.
        if (m_windows && m_windows->CreateWnd(e.winId, e.top, e.left, e.state)) ++opened;
    }
    setScreenChanged(false);
}

bool clsScreenFiles::OpenScreenFile() {
    const std::optional<QString> path = ui::services().fileDialog(m_owner, screenDialog(true));
    if (!path || path->isEmpty()) return false;
    LoadScreenFile(*path);
    return true;
}

void clsScreenFiles::OpenScreenCommand() {
    if (!OfferToSaveScreen(QStringLiteral("Open a new screen anyway?"))) return;
    try {
        OpenScreenFile();
    } catch (const std::exception& e) {
        ui::message(m_owner, QStringLiteral("Unable to open screen file.") + u'\n' + describe(e),
                    ui::Icon::Exclamation);
    }
}

void clsScreenFiles::CloseAllCommand() {
    // Afterwards the screen counts as changed exactly when windows were closed (their unloading marks
    // it); when nothing was closed the flag keeps its value.
    if (!OfferToSaveScreen(QStringLiteral("Close all windows anyway?"))) return;
    CloseAllDisplayWindows();
}

bool clsScreenFiles::QueryClose() { return OfferToSaveScreen(text(32, "Do you want to exit anyway?")); }

bool clsScreenFiles::OfferToSaveScreen(const QString& goOnAnyway) {
    // The question asked before a changed screen is thrown away (Open Screen, Close All, exit): Yes
    // saves, No goes on without saving, Cancel stops. A cancelled Save As stops too; a failed save asks
    // whether to go on anyway.
    if (!ScreenChanged()) return true;
    const ui::Answer a = ui::message(m_owner, text(30, "Do you want to save the current screen?"),
                                     ui::Icon::Question, ui::Buttons::YesNoCancel);
    if (a == ui::Answer::Cancel) return false;
    if (a == ui::Answer::No) return true;
    const SaveResult r = trySave(false, nullptr);
    if (r == SaveResult::Saved) return true;
    if (r == SaveResult::Cancelled) return false;
    return ui::message(m_owner, text(31, "Attempt to save screen failed.") + u'\n' + goOnAnyway,
                       ui::Icon::Exclamation, ui::Buttons::YesNo) == ui::Answer::Yes;
}
