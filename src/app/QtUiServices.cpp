#include "base/UiServices.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace ui {
namespace {

QMessageBox::Icon toQt(Icon icon) {
    switch (icon) {
        case Icon::Critical: return QMessageBox::Critical;
        case Icon::Question: return QMessageBox::Question;
        case Icon::Exclamation: return QMessageBox::Warning;
        case Icon::Information: return QMessageBox::Information;
        case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok: return QMessageBox::Ok;
        case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
        case Buttons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

Answer fromQt(int button) {
    switch (button) {
        case QMessageBox::Ok: return Answer::Ok;
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        case QMessageBox::Retry: return Answer::Retry;
        case QMessageBox::Abort: return Answer::Abort;
        case QMessageBox::Ignore: return Answer::Ignore;
        default: return Answer::Cancel;
    }
}

class QtUiServices final : public IUiServices {
public:
    Answer message(QWidget* parent, const QString& text, const QString& title, Icon icon,
                   Buttons buttons) override {
        QMessageBox box(toQt(icon), title, text, toQt(buttons), parent);
        return fromQt(box.exec());
    }

    std::optional<QString> fileDialog(QWidget* parent, const FileDialogRequest& r) override {
        QFileDialog dialog(parent, r.title);
        dialog.setAcceptMode(r.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(r.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setNameFilters(r.filters);
        if (r.selectedFilter >= 0 && r.selectedFilter < r.filters.size())
            dialog.selectNameFilter(r.filters.at(r.selectedFilter));
        dialog.setDefaultSuffix(r.defaultSuffix);
        if (!r.fileName.isEmpty()) dialog.selectFile(r.fileName);
        if (!r.confirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }

    int execDialog(QDialog& dialog) override { return dialog.exec(); }

    void beep() override { QApplication::beep(); }
};

IUiServices* g_replacement = nullptr;

}  // namespace

IUiServices& services() {
    static QtUiServices real;
    return g_replacement ? *g_replacement : real;
}

void setServices(IUiServices* replacement) { g_replacement = replacement; }

Answer message(QWidget* parent, const QString& text, Icon icon, Buttons buttons) {
    return services().message(parent, text, kProductName, icon, buttons);
}

}  // namespace ui
