#include "groups/sysinfo/SU_M852_SysInfo.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>

#include "app/clsApplication.h"
#include "groups/sysinfo/C_M852_SysInfo.h"
#include "users/clsUser.h"

namespace {

// Accepts only characters that are one byte in the controller's text registers.
class Latin1Validator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (const QChar c : input)
            if (c.unicode() > 0xFF || c.unicode() == 0) return Invalid;
        return Acceptable;
    }
};

struct BoxRow {
    const char* name;
    const char* title;
};
// In the order of C_M852_SysInfo::Text.
constexpr BoxRow kBoxes[7] = {
    {"txtDesignation", "Designation"},        {"txtDescription", "Load Description"},
    {"txtBranch", "Load Branch "},            {"txtLocation", "Location"},
    {"txtSerialATS", "ATS Serial No."},       {"txtSerialControl", "Controller Serial No."},
    {"txtSerialContact", "Contactor Serial No."},
};

}  // namespace

SU_M852_SysInfo::SU_M852_SysInfo(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_SysInfo"));
    setWindowTitle(QStringLiteral("System Info Setup"));
    auto* grid = new QGridLayout(body());
    grid->setContentsMargins(0, 0, 0, 0);
    auto* validator = new Latin1Validator(this);
    for (int t = 0; t < 7; ++t) {
        auto* caption = new QLabel(QString::fromLatin1(kBoxes[t].title), body());
        auto* box = new QLineEdit(body());
        box->setObjectName(QLatin1String(kBoxes[t].name));
        box->setMaxLength(2 * C_M852_SysInfo::TextRegisters(C_M852_SysInfo::Text(t)));
        box->setValidator(validator);
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QString(box->maxLength(), QLatin1Char('W'))) + 12);
        caption->setBuddy(box);
        grid->addWidget(caption, t, 0);
        grid->addWidget(box, t, 1);
        m_box[t] = box;
    }
    applyRole();
}

void SU_M852_SysInfo::applyRole() {
    const clsApplication* app = clsApplication::instance();
    const bool role1 = app && app->CurrentUser() && app->CurrentUser()->Role() == 1;
    for (int t = C_M852_SysInfo::SerialATS; t <= C_M852_SysInfo::SerialContact; ++t) m_box[t]->setEnabled(!role1);
}

void SU_M852_SysInfo::Fill(CDataGroup& data) {
    const auto& d = static_cast<const C_M852_SysInfo&>(data);
    for (int t = 0; t < 7; ++t) m_box[t]->setText(C_M852_SysInfo::ShownText(d.TextField(C_M852_SysInfo::Text(t))));
    applyRole();
}

void SU_M852_SysInfo::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_SysInfo&>(data);
    for (int t = 0; t < 7; ++t) {
        const auto field = C_M852_SysInfo::Text(t);
        // An untouched box keeps the field as read, so whatever follows a 0 byte is written back too.
        if (m_box[t]->text() == C_M852_SysInfo::ShownText(d.TextField(field))) continue;
        d.setTextField(field, m_box[t]->text());
    }
}
