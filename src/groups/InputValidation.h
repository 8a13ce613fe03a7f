#pragma once

#include <QColor>
#include <QObject>
#include <QString>

class QLineEdit;
class QWidget;

// The setup dialogs' input rules, the widget half of SharedRoutines.

// Back colours of a text box: white when valid, light red when not.
inline const QColor kValidBackColor(255, 255, 255);
inline const QColor kInvalidBackColor(255, 128, 128);

// Colours `box` by whether its text is a number in [min, max] (both inclusive) and returns the
// "cancel" answer: true when the text is invalid, so the box keeps the focus. No message is shown.
[[nodiscard]] bool ValidateRange(QLineEdit* box, double min, double max);

// Sets a control's back colour (the palette's Base role, which text boxes paint with).
void SetBackColor(QWidget* control, const QColor& color);
[[nodiscard]] QColor BackColor(const QWidget* control);

// Keystroke filter of a numeric text box: Backspace and the digits pass, and the characters in
// `extra` (such as "." or ":"); any other typed character is dropped with a beep. Keys that type
// nothing (arrows, Tab, Enter, Escape) and shortcuts with Ctrl pass unchanged.
class CNumericKeyFilter : public QObject {
    Q_OBJECT
public:
    // Installs a filter on `box` (owned by the box). Each character in `once` (a subset of `extra`)
    // may stand in the text only once: typing a second "." or ":" is dropped with a beep, unless it
    // replaces the selected text that holds the first.
    static CNumericKeyFilter* install(QLineEdit* box, const QString& extra = {}, const QString& once = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CNumericKeyFilter(QString extra, QString once, QObject* parent);
    QString m_extra;
    QString m_once;
};
