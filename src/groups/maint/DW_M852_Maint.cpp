#include "groups/maint/DW_M852_Maint.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>

#include "groups/SharedRoutines.h"
#include "groups/maint/C_M852_Maint.h"
#include "groups/maint/SU_M852_Maint.h"

namespace {

constexpr int kTotal = 1;  // grid column of the "Total" values
constexpr int kReset = 2;  // grid column of the "Since Reset" values
constexpr int kUnits = 3;

QLabel* title(QWidget* parent, QGridLayout* grid, const QString& text, int row, int column = 0) {
    auto* l = new QLabel(text, parent);
    grid->addWidget(l, row, column);
    return l;
}

}  // namespace

DW_M852_Maint::DW_M852_Maint(QWidget* parent) : DW_M852_Maint(std::make_unique<C_M852_Maint>(), parent) {}

DW_M852_Maint::DW_M852_Maint(std::unique_ptr<C_M852_Maint> data, QWidget* parent)
    : CDisplayWindow(std::move(data), parent) {
    m_Maint = static_cast<C_M852_Maint*>(&Data());
    setObjectName(QStringLiteral("DW_M852_Maint"));
    setWindowTitle(QStringLiteral("Maintenance"));

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(4);
    for (auto [text, column] : {std::pair{"Total", kTotal}, std::pair{"Since Reset", kReset}}) {
        QLabel* h = title(this, grid, QString::fromLatin1(text), 0, column);
        QFont f = h->font();
        f.setBold(true);
        h->setFont(f);
        h->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    const QString hhmm = QStringLiteral("HHHHH:MM");
    const QString count = QStringLiteral("XXXXX");
    int row = 1;
    title(this, grid, QStringLiteral("Not in Preferred"), row);
    lblNotInPrefTotal = addValue(grid, "lblNotInPrefTotal", hhmm, row, kTotal);
    lblNotInPrefMaint = addValue(grid, "lblNotInPrefMaint", hhmm, row, kReset);
    title(this, grid, QStringLiteral("hh:mm"), row++, kUnits);
    title(this, grid, QStringLiteral("In Standby"), row);
    lblInStandbyTotal = addValue(grid, "lblInStandbyTotal", hhmm, row, kTotal);
    lblInStandbyMaint = addValue(grid, "lblInStandbyMaint", hhmm, row, kReset);
    title(this, grid, QStringLiteral("hh:mm"), row++, kUnits);
    title(this, grid, QStringLiteral("Operation Time"), row);
    lblOperTimeTotal = addValue(grid, "lblOperTimeTotal", hhmm, row, kTotal);
    lblOperTimeMaint = addValue(grid, "lblOperTimeMaint", hhmm, row, kReset);
    title(this, grid, QStringLiteral("hh:mm"), row++, kUnits);
    title(this, grid, QStringLiteral("Switch Transfers"), row);
    lblTransfersTotal = addValue(grid, "lblTransfersTotal", count, row, kTotal);
    lblTransfersSinceReset = addValue(grid, "lblTransfersSinceReset", count, row++, kReset);
    title(this, grid, QStringLiteral("Failures to Transfer"), row);
    lblFailTransTotal = addValue(grid, "lblFailTransTotal", count, row, kTotal);
    lblFailTransSinceReset = addValue(grid, "lblFailTransSinceReset", count, row++, kReset);
    title(this, grid, QStringLiteral("Lost Preferred Source"), row);
    lblLostPrefTransTotal = addValue(grid, "lblLostPrefTransTotal", count, row, kTotal);
    lblLostPrefTransSinceReset = addValue(grid, "lblLostPrefTransSinceReset", count, row++, kReset);
    title(this, grid, QStringLiteral("Transfer Time N --> E"), row);
    lblTransferTimeNE = addValue(grid, "lblTransferTimeNE", QStringLiteral("XX"), row, kTotal);
    title(this, grid, QStringLiteral("mS"), row++, kReset);
    title(this, grid, QStringLiteral("Transfer Time E --> N"), row);
    lblTransferTimeEN = addValue(grid, "lblTransferTimeEN", QStringLiteral("XX"), row, kTotal);
    title(this, grid, QStringLiteral("mS"), row++, kReset);
    title(this, grid, QStringLiteral("System Start Date"), row);
    lblSysStartDate = addValue(grid, "lblSysStartDate", QStringLiteral("MM/DD/YYYY"), row++, kTotal);
    title(this, grid, QStringLiteral("Last Maintenance Reset Date"), row);
    lblMaintDate = addValue(grid, "lblMaintDate", QStringLiteral("MM/DD/YYYY"), row++, kTotal);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(kUnits + 1, 1);
}

QLabel* DW_M852_Maint::addValue(QGridLayout* grid, const char* name, const QString& placeholder, int row,
                                int column) {
    auto* l = new QLabel(placeholder, this);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("MM/DD/YYYY")));
    grid->addWidget(l, row, column);
    return l;
}

QString DW_M852_Maint::DateText(const QDate& date) {
    // The separator is the first character of the locale's short date format that is not part of a
    // day, month or year field.
    QString separator = QStringLiteral("/");
    for (const QChar c : QLocale().dateFormat(QLocale::ShortFormat)) {
        if (!c.isLetter() && c != QLatin1Char('\'') && !c.isSpace()) {
            separator = c;
            break;
        }
    }
    return date.toString(QStringLiteral("MM'%1'dd'%1'yyyy").arg(separator));
}

void DW_M852_Maint::UpdateDisplay() {
    const C_M852_Maint& d = *m_Maint;
    // FormatMinutes gives "m:ss" of seconds; fed with minutes it reads as hours:minutes.
    lblNotInPrefTotal->setText(FormatMinutes(d.NotInPrefTotal()));
    lblNotInPrefMaint->setText(FormatMinutes(d.NotInPrefMaint()));
    lblInStandbyTotal->setText(FormatMinutes(d.InStandbyTotal()));
    lblInStandbyMaint->setText(FormatMinutes(d.InStandbyMaint()));
    lblOperTimeTotal->setText(FormatMinutes(d.OperTimeTotal()));
    lblOperTimeMaint->setText(FormatMinutes(d.OperTimeMaint()));
    lblTransfersTotal->setText(QString::number(d.TransfersTotal()));
    lblTransfersSinceReset->setText(QString::number(d.TransfersSinceReset()));
    lblFailTransTotal->setText(QString::number(d.FailTransTotal()));
    lblFailTransSinceReset->setText(QString::number(d.FailTransSinceReset()));
    lblLostPrefTransTotal->setText(QString::number(d.LostPrefTransTotal()));
    lblLostPrefTransSinceReset->setText(QString::number(d.LostPrefTransSinceReset()));
    lblTransferTimeNE->setText(QString::number(d.TransferTimeNE()));
    lblTransferTimeEN->setText(QString::number(d.TransferTimeEN()));
    lblSysStartDate->setText(DateText(d.SysStartDate()));
    lblMaintDate->setText(DateText(d.MaintDate()));
}

CSetupDialog* DW_M852_Maint::CreateSetupDialog(QWidget* owner) { return new SU_M852_Maint(owner); }
