#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// The screen file (*.scn): one line per display window, "WinID,Top,Left,State" followed by CR LF,
// positions in twips (1/1440 inch) inside the main window's client area, "." as the decimal point
// whatever the locale. Only the text format lives here; which windows and where is the caller's.
namespace ScreenFile {

struct Entry {
    qint32 winId = 0;
    double top = 0;    // twips
    double left = 0;   // twips
    qint32 state = 0;  // 0 normal, 1 minimized, 2 maximized
};

// The file contents for `entries`, in their order.
[[nodiscard]] QByteArray Write(const QList<Entry>& entries);

// A position as written: single precision, plain decimal notation, "." as the point, no trailing
// zeros ("1200", "1234.5", "-15").
[[nodiscard]] QString FormatTwips(double twips);

struct ReadEntry {
    qint32 winId = 0;
    qint32 top = 0;  // twips, rounded half to even
    qint32 left = 0;
    qint32 state = 0;
};

// The windows listed in `contents`. Values are a stream: commas and line ends both separate them and
// every four make one window, so a window split over two lines still counts. A value that is not a
// number (or does not fit 32 bits) makes its line unreadable: the values gathered for the window in
// progress and the rest of that line are dropped, and reading goes on at the next line with a fresh
// window. Blank lines are skipped; a trailing incomplete window is dropped. Codes and states are not
// checked here (opening the window does that).
[[nodiscard]] QList<ReadEntry> Read(const QByteArray& contents);

}  // namespace ScreenFile
