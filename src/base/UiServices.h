#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QDialog;
class QWidget;

// Every message box, file dialog, modal dialog and beep goes through this interface, so that the
// flows that ask the user something run headless in tests with a scripted implementation.
namespace ui {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

struct FileDialogRequest {
    bool open = true;             // Open dialog (true) or Save dialog (false)
    QString title;
    QString fileName;             // initial file name
    QString defaultSuffix;        // without the dot, e.g. "scn"
    QStringList filters;          // e.g. {"Screen Files (*.scn)", "All Files (*)"}
    int selectedFilter = 0;
    bool confirmOverwrite = true;
};

class IUiServices {
public:
    virtual ~IUiServices() = default;

    virtual Answer message(QWidget* parent, const QString& text, const QString& title, Icon icon,
                           Buttons buttons) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> fileDialog(QWidget* parent, const FileDialogRequest& request) = 0;
    // Runs a modal dialog and returns its result code (QDialog::Accepted / Rejected).
    virtual int execDialog(QDialog& dialog) = 0;
    virtual void beep() = 0;
};

// The services in use: the real ones unless a test installed others.
IUiServices& services();
// Installs replacement services (not owned); nullptr restores the real ones.
void setServices(IUiServices* replacement);

// Shorthand for the common case: product name as title.
Answer message(QWidget* parent, const QString& text, Icon icon, Buttons buttons = Buttons::Ok);

inline const QString kProductName = QStringLiteral("Field Console");

}  // namespace ui
