#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace WindowPlacement {
namespace {

constexpr double kTwipsPerInch = 1440.0;
// At least this much of the title bar must be on a screen for the user to grab it.
constexpr int kMinVisibleWidth = 100;
constexpr int kMinVisibleHeight = 20;

int dpiOf(const QWidget& window) {
    const int dpi = window.logicalDpiX();
    return dpi > 0 ? dpi : 96;
}

qint32 toTwips(int pixels, int dpi) { return qint32(std::nearbyint(pixels * kTwipsPerInch / dpi)); }
int toPixels(qint32 twips, int dpi) { return int(std::nearbyint(twips * double(dpi) / kTwipsPerInch)); }

}  // namespace

MainWindowSettings::Placement current(const QWidget& window) {
    const int dpi = dpiOf(window);
    // Normal geometry: a maximized window stores where it returns to when restored.
    const QRect normal =
        window.isMaximized() || window.isMinimized() ? window.normalGeometry() : window.geometry();
    const QPoint frameTopLeft =
        window.isMaximized() || window.isMinimized() ? normal.topLeft() : window.pos();
    MainWindowSettings::Placement p;
    p.left = toTwips(frameTopLeft.x(), dpi);
    p.top = toTwips(frameTopLeft.y(), dpi);
    p.width = toTwips(normal.width(), dpi);
    p.height = toTwips(normal.height(), dpi);
    return p;
}

bool reachable(const QRect& frame) {
    const QRect titleStrip(frame.left(), frame.top(), frame.width(), kMinVisibleHeight);
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect visible = titleStrip.intersected(screen->availableGeometry());
        if (visible.width() >= std::min(kMinVisibleWidth, frame.width()) &&
            visible.height() >= kMinVisibleHeight)
            return true;
    }
    return false;
}

void apply(QWidget& window, const MainWindowSettings::Placement& placement) {
    if (placement.isEmpty()) return;
    const int dpi = dpiOf(window);
    const QSize minimum = window.minimumSizeHint().expandedTo(window.minimumSize());
    QRect frame(window.pos(), window.size());
    if (placement.left) frame.moveLeft(toPixels(*placement.left, dpi));
    if (placement.top) frame.moveTop(toPixels(*placement.top, dpi));
    if (placement.width) frame.setWidth(toPixels(*placement.width, dpi));
    if (placement.height) frame.setHeight(toPixels(*placement.height, dpi));
    if (frame.width() < std::max(1, minimum.width()) || frame.height() < std::max(1, minimum.height()))
        return;
    if (!reachable(frame)) return;
    window.resize(frame.size());
    window.move(frame.topLeft());
}

}  // namespace WindowPlacement
