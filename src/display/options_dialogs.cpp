#include "display/options_dialogs.h"

#include "display/colour.h"
#include "display/dialog_widgets.h"
#include "display/options.h"
#include "display/options_widgets.h"
#include "model/text.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

std::optional<double> read(const QLineEdit* e) { return numberIn(e); }

}  // namespace

// ---- OptionsDialog ----

OptionsDialog::OptionsDialog(Workspace& ws, const QString& name, const QString& caption,
                             QWidget* parent)
    : QDialog(parent), ws_(ws)
{
    setObjectName(name);
    setWindowTitle(caption);
    setModal(true);
}

void OptionsDialog::OKBtnClick()
{
    apply();
    accept();
}

void OptionsDialog::showEvent(QShowEvent* e)
{
    FormActivate();
    QDialog::showEvent(e);
}

void OptionsDialog::addButtons(QVBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &OptionsDialog::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* OptionsDialog::addField(QVBoxLayout* layout, const QString& label, const QString& name)
{
    auto* row = new QHBoxLayout;
    auto* l = new QLabel(label, this);
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaximumWidth(110);
    l->setBuddy(e);
    row->addWidget(l);
    row->addStretch();
    row->addWidget(e);
    layout->addLayout(row);
    return e;
}

// ---- Display Limits ----

Tdisplaylimits::Tdisplaylimits(Workspace& ws, QWidget* parent)
    : OptionsDialog(ws, QStringLiteral("Tdisplaylimits"), QStringLiteral("Display Limits"), parent)
{
    auto* layout = new QVBoxLayout(this);
    xmin_ = addField(layout, QStringLiteral("Minimum horizontal position"), QStringLiteral("xmin"));
    xmax_ = addField(layout, QStringLiteral("Maximum horizontal position"), QStringLiteral("xmax"));
    zmin_ = addField(layout, QStringLiteral("Minimum depth"), QStringLiteral("zmin"));
    zmax_ = addField(layout, QStringLiteral("Maximum depth"), QStringLiteral("zmax"));
    addButtons(layout);
}

void Tdisplaylimits::FormActivate()
{
    const Display& d = ws_.display;
    xmin_->setText(text(fixed(d.ViewXMin, 10, 2)));
    xmax_->setText(text(fixed(d.ViewXMax, 10, 2)));
    zmin_->setText(text(fixed(d.ViewDepthMin, 10, 2)));
    zmax_->setText(text(fixed(d.ViewDepthMax, 10, 2)));
}

void Tdisplaylimits::apply()
{
    applyDisplayLimits(ws_.display, ws_.model, {read(xmin_), read(xmax_), read(zmin_), read(zmax_)});
}

// ---- Grid Options ----

Tgridoptions::Tgridoptions(Workspace& ws, QWidget* parent)
    : OptionsDialog(ws, QStringLiteral("Tgridoptions"), QStringLiteral("Grid Options"), parent)
{
    auto* layout = new QVBoxLayout(this);
    xstep_ = addField(layout, QStringLiteral("Horizontal grid interval"), QStringLiteral("xinterval"));
    zstep_ = addField(layout, QStringLiteral("Vertical grid interval"), QStringLiteral("zinterval"));
    dots_ = addField(layout, QStringLiteral("Bold dot frequency"), QStringLiteral("dotfrequency"));
    draw_ = new QCheckBox(QStringLiteral("Draw the grid"), this);
    draw_->setObjectName(QStringLiteral("drawgrid"));
    snap_ = new QCheckBox(QStringLiteral("Snap to the grid"), this);
    snap_->setObjectName(QStringLiteral("snapgrid"));
    layout->addWidget(draw_);
    layout->addWidget(snap_);
    addButtons(layout);
}

void Tgridoptions::FormActivate()
{
    const Display& d = ws_.display;
    xstep_->setText(text(fixed(d.GridStepX, 10, 2)));
    zstep_->setText(text(fixed(d.GridStepZ, 10, 2)));
    dots_->setText(text(integer(d.GridDotFrequency)));
    draw_->setChecked(d.DrawGrid);
    snap_->setChecked(d.SnapToGrid);
}

void Tgridoptions::apply()
{
    applyGridOptions(ws_.display, ws_.model,
                     {read(xstep_), read(zstep_), read(dots_), draw_->isChecked(), snap_->isChecked()});
}

// ---- Font Height Entry ----

Tsetfontheight::Tsetfontheight(Workspace& ws, QWidget* parent)
    : OptionsDialog(ws, QStringLiteral("Tsetfontheight"), QStringLiteral("Font Height Entry"), parent)
{
    auto* layout = new QVBoxLayout(this);
    height_ = addField(layout, QStringLiteral("Enter the font height"), QStringLiteral("fontheight"));
    addButtons(layout);
}

void Tsetfontheight::FormActivate()
{
    height_->setText(text(integer(ws_.display.FontHeight)));
}

void Tsetfontheight::apply()
{
    applyFontHeight(ws_.display, read(height_));
}

// ---- Colour Scheme ----

namespace {

// A few bodies filled the way the schemes fill them: decoration only.
class SchemeSample : public QWidget {
public:
    SchemeSample(bool colour, const QString& name, QWidget* parent) : QWidget(parent), colour_(colour)
    {
        setObjectName(name);
        setFixedSize(72, 56);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        const QColor fills[3] = {
            colour_ ? QColor(0, 0, 255) : QColor(0, 0, 0),
            colour_ ? QColor(0, 150, 0) : QColor(100, 100, 100),
            colour_ ? QColor(255, 0, 0) : QColor(200, 200, 200)};
        const QPolygon bodies[3] = {
            QPolygon({QPoint(6, 40), QPoint(30, 34), QPoint(34, 50), QPoint(8, 50)}),
            QPolygon({QPoint(26, 14), QPoint(46, 10), QPoint(50, 28), QPoint(30, 30)}),
            QPolygon({QPoint(44, 36), QPoint(66, 32), QPoint(66, 50), QPoint(40, 50)})};
        for (int i = 0; i < 3; ++i) {
            p.setBrush(fills[i]);
            p.drawPolygon(bodies[i]);
        }
    }

private:
    bool colour_;
};

}  // namespace

Tcolourscheme::Tcolourscheme(Workspace& ws, QWidget* parent)
    : OptionsDialog(ws, QStringLiteral("Tcolourscheme"), QStringLiteral("Colour Scheme"), parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("scheme"));
    auto* radios = new QVBoxLayout(group);
    const QString captions[4] = {QStringLiteral("No fill"), QStringLiteral("Grey"),
                                 QStringLiteral("Grey scale"), QStringLiteral("Colour scale")};
    for (int i = 0; i < 4; ++i) {
        radios_[i] = new QRadioButton(captions[i], group);
        radios_[i]->setObjectName(QStringLiteral("scheme%1").arg(i));
        radios->addWidget(radios_[i]);
    }
    row->addWidget(group);
    auto* pictures = new QVBoxLayout;
    pictures->addWidget(new SchemeSample(false, QStringLiteral("Image1"), this));
    pictures->addWidget(new SchemeSample(true, QStringLiteral("Image2"), this));
    row->addLayout(pictures);
    layout->addLayout(row);
    addButtons(layout);
}

int Tcolourscheme::selectedIndex() const
{
    for (int i = 0; i < 4; ++i)
        if (radios_[i]->isChecked())
            return i;
    return -1;
}

void Tcolourscheme::select(int index)
{
    if (index >= 0 && index < 4)
        radios_[index]->setChecked(true);
}

void Tcolourscheme::FormActivate()
{
    select(ws_.display.ColourScheme - 1);
}

void Tcolourscheme::apply()
{
    const int i = selectedIndex();
    if (i >= 0)
        ws_.display.ColourScheme = i + 1;
}

// ---- Gravity Axis Parameters ----

TGaxis::TGaxis(Workspace& ws, QWidget* parent)
    : OptionsDialog(ws, QStringLiteral("TGaxis"), QStringLiteral("Gravity Axis Parameters"), parent)
{
    auto* layout = new QVBoxLayout(this);
    step_ = addField(layout, QStringLiteral("Label increment"), QStringLiteral("increment"));
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("No. of decimal places shown"), this));
    row->addStretch();
    decimals_ = new QLabel(this);
    decimals_->setObjectName(QStringLiteral("decimals"));
    decimals_->setMinimumWidth(30);
    decimals_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(decimals_);
    spin_ = new SpinButton(QStringLiteral("SpinButton1"), this);
    row->addWidget(spin_);
    layout->addLayout(row);
    addButtons(layout);
    connect(spin_, &SpinButton::up, this, &TGaxis::SpinButton1UpClick);
    connect(spin_, &SpinButton::down, this, &TGaxis::SpinButton1DownClick);
}

void TGaxis::FormActivate()
{
    step_->setText(text(fixed(ws_.display.GravityTickStep, 10, 5)));
    decimals_->setText(QString::number(ws_.display.GravityDecimals));
}

void TGaxis::SpinButton1UpClick()
{
    gravityDecimalsUp(ws_.display);
    decimals_->setText(QString::number(ws_.display.GravityDecimals));
}

void TGaxis::SpinButton1DownClick()
{
    gravityDecimalsDown(ws_.display);
    decimals_->setText(QString::number(ws_.display.GravityDecimals));
}

void TGaxis::apply()
{
    applyGravityTickStep(ws_.display, read(step_));
}

// ---- Depth Axis Parameters ----

TDepthScale::TDepthScale(Workspace& ws, QWidget* parent)
    : OptionsDialog(ws, QStringLiteral("TDepthScale"), QStringLiteral("Depth Axis Parameters"), parent)
{
    auto* layout = new QVBoxLayout(this);
    max_ = addField(layout, QStringLiteral("Maximum depth displayed"), QStringLiteral("maxdepth"));
    min_ = addField(layout, QStringLiteral("Minimum depth displayed"), QStringLiteral("mindepth"));
    step_ = addField(layout, QStringLiteral("Axis labelling incrememnt"), QStringLiteral("increment"));
    addButtons(layout);
}

void TDepthScale::FormActivate()
{
    const Display& d = ws_.display;
    max_->setText(text(fixed(d.ViewDepthMax, 10, 1)));
    min_->setText(text(fixed(d.ViewDepthMin, 10, 1)));
    step_->setText(text(fixed(d.DepthTickStep, 10, 3)));
}

void TDepthScale::apply()
{
    applyDepthAxis(ws_.display, {read(max_), read(min_), read(step_)}, ws_.model);
}

// ---- Curve Properties ----

Tcurves::Tcurves(Workspace& ws, Platform& platform, QWidget* parent)
    : OptionsDialog(ws, QStringLiteral("Tcurves"), QStringLiteral("Curve Properties"), parent),
      platform_(platform)
{
    auto* layout = new QVBoxLayout(this);
    individual_ = new QCheckBox(QStringLiteral("Display individual body contributions"), this);
    individual_->setObjectName(QStringLiteral("individual"));
    difference_ = new QCheckBox(QStringLiteral("Display difference between curves"), this);
    difference_->setObjectName(QStringLiteral("difference"));
    points_ = new QCheckBox(QStringLiteral("Display observed data as points"), this);
    points_->setObjectName(QStringLiteral("points"));
    layout->addWidget(individual_);
    layout->addWidget(difference_);
    layout->addWidget(points_);

    auto colourRow = [this, layout](const QString& caption, const QString& labelName,
                                    const QString& swatchName, const QString& buttonName,
                                    QLabel*& label, ColourSwatch*& swatch, QPushButton*& button) {
        auto* row = new QHBoxLayout;
        label = new QLabel(caption, this);
        label->setObjectName(labelName);
        swatch = new ColourSwatch(swatchName, this);
        button = new QPushButton(QStringLiteral("Change..."), this);
        button->setObjectName(buttonName);
        row->addWidget(label);
        row->addStretch();
        row->addWidget(swatch);
        row->addWidget(button);
        layout->addLayout(row);
    };
    QLabel* calcLabel = nullptr;
    colourRow(QStringLiteral("Calculated curve colour"), QStringLiteral("calclabel"),
              QStringLiteral("calcswatch"), QStringLiteral("calccolour"), calcLabel, calcSwatch_,
              calcButton_);
    colourRow(QStringLiteral("Observed curve colour"), QStringLiteral("obslabel"),
              QStringLiteral("obsswatch"), QStringLiteral("obscolour"), obsLabel_, obsSwatch_,
              obsButton_);
    addButtons(layout);

    // Individual contributions and the difference exclude each other, and the
    // difference is not shown with points.
    connect(individual_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            difference_->setChecked(false);
    });
    connect(difference_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            individual_->setChecked(false);
            points_->setChecked(false);
        }
    });
    connect(points_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            difference_->setChecked(false);
    });
    connect(calcButton_, &QPushButton::clicked, this, &Tcurves::calcColourClick);
    connect(obsButton_, &QPushButton::clicked, this, &Tcurves::obsColourClick);
}

void Tcurves::FormActivate()
{
    const Display& d = ws_.display;
    const Model& m = ws_.model;
    // Filling shows the state as it is; the exclusion rules are the user's clicks.
    const QSignalBlocker b1(individual_), b2(difference_), b3(points_);
    individual_->setEnabled(m.NumBodies >= 2);
    individual_->setChecked(d.ShowIndividual);
    difference_->setChecked(d.ShowDifference);
    points_->setChecked(d.PlotPoints);
    const bool obs = m.HaveObserved;
    difference_->setEnabled(obs);
    points_->setEnabled(obs);
    obsLabel_->setEnabled(obs);
    obsButton_->setEnabled(obs);
    if (!obs) {
        difference_->setChecked(false);
        points_->setChecked(false);
    }
    redrawSwatches();
}

void Tcurves::redrawSwatches()
{
    calcSwatch_->setColour(toQColor(ws_.display.CalcCurveColour));
    if (ws_.model.HaveObserved)
        obsSwatch_->setColour(toQColor(ws_.display.ObsCurveColour));
    else
        obsSwatch_->clearColour();
}

void Tcurves::calcColourClick()
{
    if (auto c = platform_.chooseColour(toQColor(ws_.display.CalcCurveColour))) {
        ws_.display.CalcCurveColour = *c;
        redrawSwatches();
    }
}

void Tcurves::obsColourClick()
{
    if (auto c = platform_.chooseColour(toQColor(ws_.display.ObsCurveColour))) {
        ws_.display.ObsCurveColour = *c;
        redrawSwatches();
    }
}

void Tcurves::apply()
{
    Display& d = ws_.display;
    d.ShowIndividual = individual_->isChecked();
    d.ShowDifference = difference_->isChecked();
    d.PlotPoints = points_->isChecked();
}

}  // namespace corvane
