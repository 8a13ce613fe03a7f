#pragma once

// Scripted user-interface services for headless tests.
//
// Answers are queued in advance, one queue per kind of call (message box, file dialog, modal dialog).
// Every call is recorded with its text, title, icon and buttons (or request / dialog identity), so a
// test can check what the user would have seen. A call for which no answer was queued, or a message
// or dialog that differs from what the queued answer expects, fails the running test at once and
// returns a harmless answer (Cancel / nothing / Rejected): a test never blocks on a modal box.
//
// Construction installs the services (ui::setServices), destruction restores the real ones.
//
//     ScriptedUiServices ui;
//     ui.queueMessage(ui::Answer::Yes, "save the current screen");
//     ui.queueDialog("frmLogin", [](QDialog& d) {
//         ScriptedUiServices::setText(d, "txtUserName", "ADMIN");
//         ScriptedUiServices::setText(d, "txtPassword", "Bxzq");
//         return ScriptedUiServices::click(d, "cmdOK");
//     });
//     ... run the flow ...
//     QVERIFY(ui.allConsumed());
//     QCOMPARE(ui.messages().size(), 1);

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QList>
#include <QTest>
#include <deque>
#include <functional>
#include <optional>

#include "base/UiServices.h"

class ScriptedUiServices final : public ui::IUiServices {
public:
    enum class Kind { Message, FileDialog, ExecDialog, Beep };

    // One recorded call.
    struct Call {
        Kind kind = Kind::Message;
        QString text;   // message text; for a dialog: its class name
        QString title;  // message title / file dialog title / dialog window title
        ui::Icon icon = ui::Icon::None;
        ui::Buttons buttons = ui::Buttons::Ok;
        ui::FileDialogRequest fileRequest;  // for FileDialog
        QString objectName;                 // for ExecDialog: the dialog's objectName
        bool unexpected = false;            // no answer was queued, or the expectation did not match
    };

    // Fills a dialog's controls and returns the dialog's result code.
    using DialogScript = std::function<int(QDialog&)>;

    ScriptedUiServices() { ui::setServices(this); }
    ~ScriptedUiServices() override { ui::setServices(nullptr); }
    ScriptedUiServices(const ScriptedUiServices&) = delete;
    ScriptedUiServices& operator=(const ScriptedUiServices&) = delete;

    // --- queueing answers -------------------------------------------------------------------------

    // The answer to the next message box. When expectedText is given, the box's text must contain it.
    void queueMessage(ui::Answer answer, const QString& expectedText = {}) {
        m_messages.push_back({answer, expectedText});
    }
    // The path chosen in the next file dialog; std::nullopt = the user cancelled.
    void queueFile(std::optional<QString> path) { m_files.push_back(std::move(path)); }
    // The script for the next modal dialog. When dialogClass is given (e.g. "frmLogin"), the dialog
    // must be of that class. The dialog is shown (so its show/activation logic runs) and pending
    // events are processed before the script runs; it is hidden again afterwards, as exec() would.
    void queueDialog(const QString& dialogClass, DialogScript script) {
        m_dialogs.push_back({dialogClass, std::move(script)});
    }
    void queueDialog(DialogScript script) { queueDialog({}, std::move(script)); }

    // --- what happened -----------------------------------------------------------------------------

    [[nodiscard]] const QList<Call>& calls() const { return m_calls; }
    [[nodiscard]] QList<Call> callsOf(Kind kind) const {
        QList<Call> out;
        for (const Call& c : m_calls)
            if (c.kind == kind) out.append(c);
        return out;
    }
    [[nodiscard]] QList<Call> messages() const { return callsOf(Kind::Message); }
    [[nodiscard]] int beeps() const { return int(callsOf(Kind::Beep).size()); }
    [[nodiscard]] bool allConsumed() const {
        return m_messages.empty() && m_files.empty() && m_dialogs.empty();
    }
    [[nodiscard]] int unexpectedCalls() const {
        int n = 0;
        for (const Call& c : m_calls) n += c.unexpected ? 1 : 0;
        return n;
    }
    // Forgets the record and every answer still queued.
    void clear() {
        m_calls.clear();
        m_messages.clear();
        m_files.clear();
        m_dialogs.clear();
    }

    // --- helpers for dialog scripts ----------------------------------------------------------------

    // Sets the text of the QLineEdit named objectName (fails the test when there is none).
    static void setText(QDialog& dialog, const char* objectName, const QString& text) {
        auto* edit = dialog.findChild<QLineEdit*>(QString::fromLatin1(objectName));
        if (!edit) {
            fail(QByteArray("no QLineEdit named ") + objectName + " in " + dialog.metaObject()->className());
            return;
        }
        edit->setText(text);
    }
    // Clicks the button named objectName and returns the dialog's result code afterwards.
    static int click(QDialog& dialog, const char* objectName) {
        auto* button = dialog.findChild<QAbstractButton*>(QString::fromLatin1(objectName));
        if (!button) {
            fail(QByteArray("no button named ") + objectName + " in " + dialog.metaObject()->className());
            return QDialog::Rejected;
        }
        button->click();
        return dialog.result();
    }

    // --- IUiServices -------------------------------------------------------------------------------

    ui::Answer message(QWidget*, const QString& text, const QString& title, ui::Icon icon,
                       ui::Buttons buttons) override {
        Call call;
        call.kind = Kind::Message;
        call.text = text;
        call.title = title;
        call.icon = icon;
        call.buttons = buttons;
        if (m_messages.empty()) {
            call.unexpected = true;
            m_calls.append(call);
            fail("unexpected message box: " + text.toUtf8());
            return ui::Answer::Cancel;
        }
        const QueuedMessage queued = m_messages.front();
        m_messages.pop_front();
        if (!queued.expectedText.isEmpty() && !text.contains(queued.expectedText)) {
            call.unexpected = true;
            m_calls.append(call);
            fail("message box \"" + text.toUtf8() + "\" does not contain \"" + queued.expectedText.toUtf8() +
                 "\"");
            return ui::Answer::Cancel;
        }
        m_calls.append(call);
        return queued.answer;
    }

    std::optional<QString> fileDialog(QWidget*, const ui::FileDialogRequest& request) override {
        Call call;
        call.kind = Kind::FileDialog;
        call.title = request.title;
        call.fileRequest = request;
        if (m_files.empty()) {
            call.unexpected = true;
            m_calls.append(call);
            fail("unexpected file dialog: " + request.title.toUtf8());
            return std::nullopt;
        }
        std::optional<QString> answer = m_files.front();
        m_files.pop_front();
        m_calls.append(call);
        return answer;
    }

    int execDialog(QDialog& dialog) override {
        Call call;
        call.kind = Kind::ExecDialog;
        call.text = QString::fromLatin1(dialog.metaObject()->className());
        call.title = dialog.windowTitle();
        call.objectName = dialog.objectName();
        if (m_dialogs.empty()) {
            call.unexpected = true;
            m_calls.append(call);
            fail("unexpected modal dialog: " + call.text.toUtf8());
            return QDialog::Rejected;
        }
        QueuedDialog queued = std::move(m_dialogs.front());
        m_dialogs.pop_front();
        if (!queued.dialogClass.isEmpty() && queued.dialogClass != call.text) {
            call.unexpected = true;
            m_calls.append(call);
            fail("modal dialog " + call.text.toUtf8() + " shown where " + queued.dialogClass.toUtf8() +
                 " was expected");
            return QDialog::Rejected;
        }
        m_calls.append(call);
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        dialog.activateWindow();
        QCoreApplication::processEvents();
        const int result = queued.script ? queued.script(dialog) : QDialog::Rejected;
        if (dialog.isVisible()) dialog.hide();
        QCoreApplication::processEvents();
        return result;
    }

    void beep() override {
        Call call;
        call.kind = Kind::Beep;
        m_calls.append(call);
    }

private:
    struct QueuedMessage {
        ui::Answer answer;
        QString expectedText;
    };
    struct QueuedDialog {
        QString dialogClass;
        DialogScript script;
    };

    // Fails the running test (once; later faults of the same test only print). Outside a test (a
    // benchmark driving the program with scripted answers) the fault is fatal.
    static void fail(const QByteArray& message) {
        if (!QTest::runningTest()) qFatal("ScriptedUiServices: %s", message.constData());
        if (QTest::currentTestFailed()) {
            qWarning("ScriptedUiServices: %s", message.constData());
            return;
        }
        QTest::qFail(message.constData(), __FILE__, __LINE__);
    }

    QList<Call> m_calls;
    std::deque<QueuedMessage> m_messages;
    std::deque<std::optional<QString>> m_files;
    std::deque<QueuedDialog> m_dialogs;
};
