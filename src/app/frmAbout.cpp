#include "app/frmAbout.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppIcons.h"
#include "app/ProductInfo.h"
#include "base/StringTable.h"
#include "app/SystemInfoTool.h"
#include "base/UiServices.h"

namespace {

QString text(int id, const char* fallback) {
    return StringTable::lookup(id).value_or(QString::fromUtf8(fallback));
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

}  // namespace

QDate frmAbout::buildDate() {
    // __DATE__ is "Mmm dd yyyy" with a space before a one-digit day.
    return QLocale::c().toDate(QString::fromLatin1(__DATE__).simplified(), QStringLiteral("MMM d yyyy"));
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    const QString product = QString::fromLatin1(ProductInfo::kProductName);
    setWindowTitle(text(20, ProductInfo::kCompany) + u' ' + product);
    const QIcon icon = AppIcons::load(AppIcons::Kind::Application);
    setWindowIcon(icon);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(icon.pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    lblTitle = makeLabel(this, "lblTitle", product);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblTitle->setFont(titleFont);

    lblVersion = makeLabel(this, "lblVersion",
                           QStringLiteral("%1 %2.%3.%4")
                               .arg(text(306, "Version"))
                               .arg(ProductInfo::kVersionMajor)
                               .arg(ProductInfo::kVersionMinor)
                               .arg(ProductInfo::kVersionRevision));
    const QDate built = buildDate();
    lblBuildDate =
        makeLabel(this, "lblBuildDate",
                  text(308, "Build Date:") + u' ' +
                      (built.isValid() ? QLocale().toString(built, QLocale::LongFormat) : QString()));
    lblCopyright = makeLabel(this, "lblCopyright", text(307, ""));
    lblDisclaimer = makeLabel(this, "lblDisclaimer", text(309, ""));
    QFont small(QStringLiteral("Arial"));
    small.setPointSize(7);
    lblDisclaimer->setFont(small);
    lblDisclaimer->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    cmdOK = new QPushButton(text(300, "OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(text(301, "&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addWidget(lblBuildDate);
    texts->addSpacing(8);
    texts->addWidget(lblCopyright);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->addWidget(picIcon, 0, 0);
    grid->addLayout(texts, 0, 1);
    grid->addWidget(line, 1, 0, 1, 3);
    grid->addWidget(lblDisclaimer, 2, 0, 1, 2);
    grid->addLayout(buttons, 2, 2);
    grid->setColumnStretch(1, 1);

    // Wide enough for the warning to wrap into a few lines rather than a tall column.
    setMinimumWidth(fontMetrics().averageCharWidth() * 72);
}

void frmAbout::StartSysInfo() {
    if (SystemInfoTool::start()) return;
    ui::message(this, text(302, "MSINFO32 failed to start."), ui::Icon::None, ui::Buttons::Ok);
}
