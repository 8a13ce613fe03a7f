#include "files/clsWndManager.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "base/StringTable.h"
#include "base/ComponentError.h"
#include "files/WindowCatalogue.h"
#include "groups/CDisplayWindow.h"
#include "groups/DisplayWindowFactory.h"
#include "groups/SharedRoutines.h"

namespace {
constexpr quint32 kErrNumWndCopies = kComponentErrorBase + 200;
constexpr quint32 kErrUnknownWindow = kComponentErrorBase + 201;
}  // namespace

clsWndManager::clsWndManager(Host host, QObject* parent)
    : QObject(parent), m_host(std::move(host)), m_area(m_host.area), m_owner(m_host.owner) {
    for (qint32 i = 0; i < qint32(m_types.size()); ++i) {
        m_types[std::size_t(i)].WndType = i;
        m_types[std::size_t(i)].Title =
            StringTable::lookup(WindowCatalogue::kTitleBase + i).value_or(QString());
    }
}

clsWndManager::~clsWndManager() = default;

void clsWndManager::setNumWndCopies(qint32 value) {
    if (value < 1)
        throw ComponentError(kErrNumWndCopies, QStringLiteral("clsWndManager::NumWndCopies"),
                             QStringLiteral("Arguement must be greater than zero"));
    m_NumWndCopies = value;
}

bool clsWndManager::AvailWnds(QString& sName, qint32& WndType) {
    while (m_cursor >= 0 && m_cursor < qint32(m_types.size())) {
        const WindowTypeEntry& e = m_types[std::size_t(m_cursor++)];
        if (e.OpenCount < m_NumWndCopies) {
            sName = e.Title;
            WndType = e.WndType;
            return true;
        }
    }
    m_cursor = 0;
    return false;
}

qint32 clsWndManager::TwipsToPixels(double twips, int dpi) {
    return static_cast<qint32>(RoundHalfEven(twips * dpi / 1440.0));
}

double clsWndManager::PixelsToTwips(int pixels, int dpi) { return double(pixels) * 1440.0 / double(dpi); }

bool clsWndManager::CreateWnd(qint32 WndType, qint32 lTop, qint32 lLeft, qint32 WndState) {
    QMdiSubWindow* sub = nullptr;
    try {
        if (!WindowCatalogue::IsValidType(WndType))
            throw ComponentError(kErrUnknownWindow, QStringLiteral("clsWndManager::CreateWnd"),
                                 QStringLiteral("Unknown window for M852"));
        if (WndState < 0 || WndState > 2)
            throw ComponentError(kErrUnknownWindow, QStringLiteral("clsWndManager::CreateWnd"),
                                 QStringLiteral("Invalid window state %1").arg(WndState));
        if (!m_area)
            throw ComponentError(kErrUnknownWindow, QStringLiteral("clsWndManager::CreateWnd"),
                                 QStringLiteral("No window area"));
        CDisplayWindow* window =
            m_create ? m_create(WndType) : DisplayWindowFactory::Create(WndType);
        if (!window)
            throw ComponentError(kErrUnknownWindow, QStringLiteral("clsWndManager::CreateWnd"),
                                 QStringLiteral("Unknown window for M852"));
        // The type code is the WinID of the window's requests and what a screen file stores: a
        // factory row that makes another group's window would count, save and route it wrongly.
        if (window->WinID() != WndType) {
            const qint32 made = window->WinID();
            delete window;  // never loaded: tells nobody, and its data object takes its polls along
            throw ComponentError(kErrUnknownWindow, QStringLiteral("clsWndManager::CreateWnd"),
                                 QStringLiteral("The window made for type %1 has WinID %2").arg(WndType).arg(made));
        }
        sub = m_area->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        if (m_owner) sub->setWindowIcon(m_owner->windowIcon());
        sub->adjustSize();
        const int dpiX = m_area->logicalDpiX() > 0 ? m_area->logicalDpiX() : 96;
        const int dpiY = m_area->logicalDpiY() > 0 ? m_area->logicalDpiY() : 96;
        sub->move(TwipsToPixels(lLeft, dpiX), TwipsToPixels(lTop, dpiY));
        switch (WndState) {
            case 1:
                sub->showMinimized();
                break;
            case 2:
                sub->showMaximized();
                break;
            default:
                sub->show();
                break;
        }
        // Counted before it loads, so that a window failing in its load is uncounted by its unload.
        ++m_types[std::size_t(WndType)].OpenCount;
        ++m_NumWindowsOpen;
        window->Load(this);
        return true;
    } catch (...) {
        delete sub;  // a window that never loaded reports nothing when it goes
        return false;
    }
}

bool clsWndManager::CanCreate(qint32 WndType) const {
    if (!WindowCatalogue::IsValidType(WndType)) return false;
    return m_create ? true : DisplayWindowFactory::Exists(WndType);
}

void clsWndManager::WndUnloaded(qint32 WndType) {
    if (WindowCatalogue::IsValidType(WndType)) {
        WindowTypeEntry& e = m_types[std::size_t(WndType)];
        if (e.OpenCount > 0) {
            --e.OpenCount;
            if (m_NumWindowsOpen > 0) --m_NumWindowsOpen;
        }
    }
    m_cursor = 0;
}

qint32 clsWndManager::OpenCount(qint32 WndType) const {
    return WindowCatalogue::IsValidType(WndType) ? m_types[std::size_t(WndType)].OpenCount : 0;
}

QString clsWndManager::Title(qint32 WndType) const {
    return WindowCatalogue::IsValidType(WndType) ? m_types[std::size_t(WndType)].Title : QString();
}

QList<CDisplayWindow*> clsWndManager::DisplayWindows() const {
    QList<CDisplayWindow*> out;
    if (!m_area) return out;
    for (QMdiSubWindow* sub : m_area->subWindowList(QMdiArea::CreationOrder)) {
        auto* w = qobject_cast<CDisplayWindow*>(sub->widget());
        if (w && !w->IsUnloaded()) out.append(w);
    }
    return out;
}

QMdiSubWindow* clsWndManager::SubWindowOf(CDisplayWindow* window) {
    for (QWidget* p = window ? window->parentWidget() : nullptr; p; p = p->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p)) return sub;
    return nullptr;
}

QMdiArea* clsWndManager::mdiArea() const { return m_area; }
QWidget* clsWndManager::owner() const { return m_owner; }

void clsWndManager::SetScreenChanged() {
    if (m_host.setScreenChanged) m_host.setScreenChanged();
}
