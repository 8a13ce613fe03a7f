#pragma once

// Shared by the start-up benchmark's programs: a time stamp on the system-wide monotonic clock (the
// same clock in every process, so the driver can subtract its own launch time), and what "on the
// screen" means: the window is exposed and has painted itself (its first paint pass is done).

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <functional>

namespace startup_mark {

inline long long nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Prints "<name> <ns>" for the driver.
inline void mark(const char* name, long long ns) {
    std::printf("%s %lld\n", name, ns);
    std::fflush(stdout);
}

// Notices the first paint of a top-level window (installed on the application, so it sees the paint
// events of the window and its children). The paint pass of a window runs inside one event; once the
// event that carried the first paint has been handled, the window's pixels are all there.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(std::function<bool(const QWidget*)> isWindow) : m_isWindow(std::move(isWindow)) {
        qApp->installEventFilter(this);
    }
    ~FirstPaint() override { qApp->removeEventFilter(this); }
    [[nodiscard]] bool seen() const { return m_seen; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType() &&
            m_isWindow(static_cast<QWidget*>(watched)->window()))
            m_seen = true;
        return false;
    }

private:
    std::function<bool(const QWidget*)> m_isWindow;
    bool m_seen = false;
};

// Shows nothing itself: lets events run until `widget` (already shown) has painted. Both programs use
// this same criterion, so the ratio compares like with like.
inline void waitPainted(QWidget& widget) {
    FirstPaint paint([&widget](const QWidget* w) { return w == &widget; });
    while (!paint.seen())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

}  // namespace startup_mark
