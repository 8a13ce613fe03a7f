#include "groups/sourceinfo/SU_M852_SourceInfo.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/ComponentError.h"
#include "groups/InputValidation.h"
#include "groups/NumberFormat.h"
#include "groups/SharedRoutines.h"
#include "groups/sourceinfo/C_M852_SourceInfo.h"

namespace {

QRadioButton* radio(const QString& text, const QString& name, QWidget* parent) {
    auto* r = new QRadioButton(text, parent);
    r->setObjectName(name);
    return r;
}

QString indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }

}  // namespace

SU_M852_SourceInfo::SU_M852_SourceInfo(QWidget* parent) : CSetupDialog(parent) {
    setObjectName(QStringLiteral("SU_M852_SourceInfo"));
    setWindowTitle(QStringLiteral("Source Info Setup"));

    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(0, 0, 0, 0);
    auto* sources = new QHBoxLayout;
    layout->addLayout(sources);
    for (int i = 0; i < 2; ++i) {
        auto* frame = new QGroupBox(i == 0 ? QStringLiteral("Source N") : QStringLiteral("Source E"), body());
        frame->setObjectName(indexed("fraSource", i));
        auto* col = new QVBoxLayout(frame);

        auto* voltRow = new QGridLayout;
        auto* caption = new QLabel(QStringLiteral("System Voltage"), frame);
        caption->setObjectName(indexed("lblSysVoltage", i));
        txtSysVoltage[i] = new QLineEdit(frame);
        txtSysVoltage[i]->setObjectName(indexed("txtSysVoltage", i));
        txtSysVoltage[i]->setMaxLength(6);
        txtSysVoltage[i]->setFixedWidth(
            txtSysVoltage[i]->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
        CNumericKeyFilter::install(txtSysVoltage[i], QStringLiteral("."));
        auto* hint = new QLabel(QStringLiteral("( 110 Vac - 600 Vac )"), frame);
        hint->setObjectName(indexed("lblVoltageRange", i));
        voltRow->addWidget(caption, 0, 0);
        voltRow->addWidget(txtSysVoltage[i], 0, 1);
        voltRow->addWidget(hint, 1, 0, 1, 2);
        col->addLayout(voltRow);
        caption->setBuddy(txtSysVoltage[i]);

        auto* freq = new QGroupBox(QStringLiteral("System Frequency"), frame);
        freq->setObjectName(indexed("fraSysFreq", i));
        auto* freqLayout = new QHBoxLayout(freq);
        optFreq60[i] = radio(QStringLiteral("60 Hz"), indexed("optFreq60", i), freq);
        optFreq50[i] = radio(QStringLiteral("50 Hz"), indexed("optFreq50", i), freq);
        freqLayout->addWidget(optFreq60[i]);
        freqLayout->addWidget(optFreq50[i]);
        col->addWidget(freq);

        auto* phases = new QGroupBox(QStringLiteral("Phases"), frame);
        phases->setObjectName(indexed("fraPhases", i));
        auto* phaseLayout = new QHBoxLayout(phases);
        optPhases3[i] = radio(QStringLiteral("3"), indexed("optPhases3", i), phases);
        optPhases1[i] = radio(QStringLiteral("1"), indexed("optPhases1", i), phases);
        phaseLayout->addWidget(optPhases3[i]);
        phaseLayout->addWidget(optPhases1[i]);
        col->addWidget(phases);

        sources->addWidget(frame);
    }

    auto* rotation = new QGroupBox(QStringLiteral("Expected Rotation"), body());
    rotation->setObjectName(QStringLiteral("fraExpRotation"));
    auto* rotLayout = new QHBoxLayout(rotation);
    optRotateABC = radio(QStringLiteral("ABC"), QStringLiteral("optRotateABC"), rotation);
    optRotateCBA = radio(QStringLiteral("CBA"), QStringLiteral("optRotateCBA"), rotation);
    rotLayout->addWidget(optRotateABC);
    rotLayout->addWidget(optRotateCBA);
    rotLayout->addStretch(1);
    layout->addWidget(rotation);
}

void SU_M852_SourceInfo::Fill(CDataGroup& data) {
    auto& d = static_cast<C_M852_SourceInfo&>(data);
    for (int i = 0; i < 2; ++i) {
        txtSysVoltage[i]->setText(NumberFormat::Format(d.SysVolt(i), u"0"));
        (d.SysFreq(i) == 60.0 ? optFreq60[i] : optFreq50[i])->setChecked(true);
        (d.Phases(i) == 3 ? optPhases3[i] : optPhases1[i])->setChecked(true);
    }
    (d.ExpRotation() == 1 ? optRotateABC : optRotateCBA)->setChecked(true);
}

void SU_M852_SourceInfo::Commit(CDataGroup& data) {
    auto& d = static_cast<C_M852_SourceInfo&>(data);
    for (int i = 0; i < 2; ++i) {
        bool ok = false;
        const double volts = ParseNumber(txtSysVoltage[i]->text(), &ok);
        if (!ok) continue;
        try {
            d.setSysVolt(i, volts);
        } catch (const OverflowError&) {
            // beyond 3276.7 V: this source keeps its value, the rest is still written
        }
    }
    for (int i = 0; i < 2; ++i) d.setSysFreq(i, optFreq60[i]->isChecked() ? 60.0 : 50.0);
    d.setExpRotation(optRotateABC->isChecked() ? 1 : 0);
    for (int i = 0; i < 2; ++i) d.setPhases(i, optPhases3[i]->isChecked() ? 3 : 1);
}
