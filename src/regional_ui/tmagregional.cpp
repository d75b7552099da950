#include "regional_ui/tmagregional.h"

#include "model/magnetic_data.h"
#include "model/text.h"
#include "platform/platform.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace corvane {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const QString NotANumber = QStringLiteral("The regional must be given as numbers.");

}  // namespace

TMagregional::TMagregional(Workspace& ws, Platform& platform, QWidget* parent)
    : QDialog(parent), ws_(ws), platform_(platform)
{
    setObjectName(QStringLiteral("TMagregional"));
    setWindowTitle(QStringLiteral("Magnetic Regional Removal"));
    setModal(true);

    auto* grid = new QGridLayout(this);
    auto* kinds = new QButtonGroup(this);
    constantKind_ = new QRadioButton(QStringLiteral("Constant"), this);
    constantKind_->setObjectName(QStringLiteral("regtype0"));
    lineKind_ = new QRadioButton(QStringLiteral("Straight line"), this);
    lineKind_->setObjectName(QStringLiteral("regtype1"));
    kinds->addButton(constantKind_, 0);
    kinds->addButton(lineKind_, 1);
    connect(kinds, &QButtonGroup::idClicked, this, &TMagregional::regtypeClick);
    grid->addWidget(constantKind_, 0, 0);
    grid->addWidget(lineKind_, 0, 1);

    const QString unit = QString::fromLatin1(ws_.model.UnitsKm ? "km" : "m");
    grid->addWidget(new QLabel(QStringLiteral("Constant A (nT)"), this), 1, 0);
    constant_ = new QLineEdit(this);
    constant_->setObjectName(QStringLiteral("constant"));
    grid->addWidget(constant_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Slope B (nT/") + unit + QLatin1Char(')'), this), 2, 0);
    slope_ = new QLineEdit(this);
    slope_->setObjectName(QStringLiteral("slope"));
    grid->addWidget(slope_, 2, 1);
    fitline_ = new QPushButton(QStringLiteral("Best fit line"), this);
    fitline_->setObjectName(QStringLiteral("fitline"));
    fitline_->setAutoDefault(false);
    grid->addWidget(fitline_, 3, 1);
    connect(fitline_, &QPushButton::clicked, this, &TMagregional::fitlineClick);
    value_ = new QLabel(this);
    value_->setObjectName(QStringLiteral("regionalvalue"));
    grid->addWidget(value_, 4, 0, 1, 2);
    connect(constant_, &QLineEdit::textEdited, this, &TMagregional::showValue);
    connect(slope_, &QLineEdit::textEdited, this, &TMagregional::showValue);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setAutoDefault(false);
    grid->addWidget(ok, 5, 0);
    grid->addWidget(cancel, 5, 1);
    connect(ok, &QPushButton::clicked, this, &TMagregional::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void TMagregional::FormActivate()
{
    constant_->setText(q(fixed(meanObservedMagnetic(ws_.model).value_or(0), 0, 2)));
    slope_->setText(QStringLiteral("0"));
    regtypeClick(0);
}

void TMagregional::regtypeClick(int index)
{
    const bool line = index == 1;
    constantKind_->setChecked(!line);
    lineKind_->setChecked(line);
    slope_->setEnabled(line);
    fitline_->setEnabled(line);
    showValue();
}

void TMagregional::fitlineClick()
{
    const Result<LineFit> fit = fitMagneticLine(ws_.model);
    if (!fit) {
        platform_.error(QString::fromStdString(fit.message()));
        return;
    }
    constant_->setText(q(itemNumber(fit->C)));
    slope_->setText(q(itemNumber(fit->M)));
    showValue();
}

std::optional<MagneticRegionalRecord> TMagregional::typed() const
{
    const auto a = parseNumber(constant_->text().toStdString());
    const auto b = lineKind_->isChecked() ? parseNumber(slope_->text().toStdString()) : std::optional<double>(0);
    if (!a || !b)
        return std::nullopt;
    return MagneticRegionalRecord{*a, *b};
}

void TMagregional::showValue()
{
    const std::optional<MagneticRegionalRecord> r = typed();
    value_->setText(r ? q(magneticRegionalText(*r)) : QString());
}

void TMagregional::OKBtnClick()
{
    const std::optional<MagneticRegionalRecord> r = typed();
    if (!r) {
        platform_.error(NotANumber);
        return;
    }
    removeMagneticRegional(ws_.model, ws_.extras, *r);
    accept();
}

}  // namespace corvane
