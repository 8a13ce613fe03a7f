#pragma once

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>
#include <functional>

// The arrangement shared by the Load Control window and its dialog: the section "Source N --> Source
// E" (indexes 18-35) above "Source E --> Source N" (indexes 0-17); in each, the columns "Disconnect
// Before Transfer" (first nine) and "Reconnect After Transfer" (next nine), and the rows "Main Logic
// Board Load Control" and "I/O Module Load Control #1" to "#8". `cell(index, parent)` makes the
// widget of one delay.
namespace LoadCtrlLayout {

inline void Build(QWidget* owner, QLayout* into, const std::function<QWidget*(int, QWidget*)>& cell) {
    struct Section {
        const char* title;
        const char* name;
        int first;
    };
    const Section sections[] = {{"Source N --> Source E", "fraNtoE", 18},
                                {"Source E --> Source N", "fraEtoN", 0}};
    for (const Section& s : sections) {
        auto* frame = new QGroupBox(QString::fromLatin1(s.title), owner);
        frame->setObjectName(QLatin1String(s.name));
        auto* grid = new QGridLayout(frame);
        grid->setVerticalSpacing(2);
        grid->setHorizontalSpacing(10);
        auto* h1 = new QLabel(QStringLiteral("Disconnect Before Transfer"), frame);
        auto* h2 = new QLabel(QStringLiteral("Reconnect After Transfer"), frame);
        h1->setObjectName(QStringLiteral("%1Disconnect").arg(QLatin1String(s.name)));
        h2->setObjectName(QStringLiteral("%1Reconnect").arg(QLatin1String(s.name)));
        grid->addWidget(h1, 0, 1);
        grid->addWidget(h2, 0, 2);
        for (int row = 0; row < 9; ++row) {
            auto* title = new QLabel(row == 0 ? QStringLiteral("Main Logic Board Load Control")
                                              : QStringLiteral("I/O Module Load Control #%1").arg(row),
                                     frame);
            title->setObjectName(QStringLiteral("lblTitle%1_%2").arg(QLatin1String(s.name)).arg(row));
            grid->addWidget(title, row + 1, 0);
            grid->addWidget(cell(s.first + row, frame), row + 1, 1);
            grid->addWidget(cell(s.first + 9 + row, frame), row + 1, 2);
        }
        into->addWidget(frame);
    }
}

}  // namespace LoadCtrlLayout
