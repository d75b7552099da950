#include "inversion_ui/tproperties.h"

#include "display/dialog_widgets.h"
#include "display/view.h"
#include "edit/body_ops.h"
#include "edit/spin_arrows.h"
#include "inversion/fits.h"
#include "inversion_ui/texts.h"
#include "inversion_ui/tinvertresult.h"
#include "model/density_law.h"
#include "model/text.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace corvane {

namespace {

QLineEdit* makeBox(QWidget* parent, const char* name) { return namedBox(parent, name, 90); }

SpinArrows* makeSpin(QWidget* parent, const char* name)
{
    auto* spin = new SpinArrows(parent);
    spin->setObjectName(QString::fromLatin1(name));
    return spin;
}

// The depth step: a fraction of the body's top depth, or of its depth extent
// when the body reaches the surface and that step would show as 0.000.
double depthStep(const Tbody& body, double fraction)
{
    const double top = bodyFigures(body).top;
    const double step = fraction * top;
    if (std::abs(step) >= 0.0005)
        return step;
    double bottom = top;
    for (int k = 1; k <= body.NumCorners - 1; ++k)
        bottom = std::max(bottom, body.CornerZ[k]);
    return fraction * (bottom - top);
}

// The depth arrows' lowest depth for a corner.
constexpr double DepthSpinFloor = 1e-5;

}  // namespace

Tproperties::Tproperties(Workspace& ws, Platform& platform, std::function<void()> repaint,
                         std::function<void(const QString&)> status, QWidget* parent)
    : QDialog(parent), ws_(ws), platform_(platform), repaint_(std::move(repaint)),
      status_(std::move(status))
{
    setObjectName(QStringLiteral("Tproperties"));
    setWindowTitle(QStringLiteral("Body Properties"));
    QFont f(QStringLiteral("Sans Serif"), 8);
    f.setBold(true);
    setFont(f);

    OKBtn_ = new QPushButton(QStringLiteral("OK"), this);
    OKBtn_->setObjectName(QStringLiteral("OKBtn"));
    OKBtn_->setDefault(true);

    auto* bodyPanel = new QFrame(this);
    bodyPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    NoOfBody_ = new QLabel(QStringLiteral("Body 1"), bodyPanel);
    NoOfBody_->setObjectName(QStringLiteral("NoOfBody"));
    bodychange_ = makeSpin(bodyPanel, "bodychange");
    auto* bodyRow = new QHBoxLayout(bodyPanel);
    bodyRow->addWidget(NoOfBody_);
    bodyRow->addWidget(bodychange_);

    iterations_ = makeBox(this, "iterations");
    density_ = makeBox(this, "density");
    Densitychange_ = makeSpin(this, "Densitychange");
    DeltaD_ = makeBox(this, "DeltaD");
    invertd_ = new QPushButton(QStringLiteral("Invert"), this);
    invertd_->setObjectName(QStringLiteral("invertd"));
    Depth_ = makeBox(this, "Depth");
    depthchange_ = makeSpin(this, "depthchange");
    DeltaDepth_ = makeBox(this, "DeltaDepth");
    Invertdepth_ = new QPushButton(QStringLiteral("Invert"), this);
    Invertdepth_->setObjectName(QStringLiteral("Invertdepth"));
    width_ = makeBox(this, "width");
    widthchange_ = makeSpin(this, "widthchange");
    deltawidth_ = makeBox(this, "deltawidth");
    strike1_ = makeBox(this, "strike1");
    strike2_ = makeBox(this, "strike2");
    calc_ = new QPushButton(QStringLiteral("Calculate"), this);
    calc_->setObjectName(QStringLiteral("calc"));
    calc_->setMinimumHeight(40);

    auto* grid = new QGridLayout(this);
    grid->addWidget(bodyPanel, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("No. of iterations"), this), 0, 2);
    grid->addWidget(iterations_, 0, 3);
    int row = 1;
    auto addRow = [&](const char* caption, QLineEdit* box, SpinArrows* spin, QLineEdit* step,
                      QPushButton* invert) {
        grid->addWidget(new QLabel(QString::fromLatin1(caption), this), row, 0);
        grid->addWidget(box, row, 1);
        if (spin)
            grid->addWidget(spin, row, 2);
        if (step)
            grid->addWidget(step, row, 3);
        if (invert)
            grid->addWidget(invert, row, 4);
        ++row;
    };
    addRow("Density contrast", density_, Densitychange_, DeltaD_, invertd_);
    addRow("Depth", Depth_, depthchange_, DeltaDepth_, Invertdepth_);
    addRow("Width", width_, widthchange_, deltawidth_, nullptr);
    addRow("1st Strike length", strike1_, nullptr, nullptr, nullptr);
    addRow("2nd Strike length", strike2_, nullptr, nullptr, nullptr);
    grid->addWidget(calc_, row, 0, 1, 3);
    grid->addWidget(OKBtn_, row, 3, 1, 2);
    // The law goes where it leaves the rows above as they are: the chooser in
    // the free cell beside the iterations, its rate and reference depth in a
    // row of their own that a constant body does not show.
    densityLaw_ = new QComboBox(this);
    densityLaw_->setObjectName(QStringLiteral("densityLaw"));
    for (DensityLaw law : {DensityLaw::Constant, DensityLaw::Linear, DensityLaw::Exponential})
        densityLaw_->addItem(QString::fromLatin1(densityLawWord(law).data(),
                                                 static_cast<int>(densityLawWord(law).size())));
    // Wide enough for its longest word; the column widens with it.
    densityLaw_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    grid->addWidget(densityLaw_, 0, 4);
    rateLabel_ = new QLabel(this);
    lawRate_ = makeBox(this, "lawRate");
    z0Label_ = new QLabel(QStringLiteral("at depth"), this);
    lawZ0_ = makeBox(this, "lawZ0");
    ++row;
    grid->addWidget(rateLabel_, row, 0);
    grid->addWidget(lawRate_, row, 1);
    grid->addWidget(z0Label_, row, 2);
    grid->addWidget(lawZ0_, row, 3);
    invertRate_ = new QPushButton(QStringLiteral("Invert"), this);
    invertRate_->setObjectName(QStringLiteral("invertRate"));
    grid->addWidget(invertRate_, row, 4);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(OKBtn_, bodychange_);
    setTabOrder(bodychange_, iterations_);
    setTabOrder(iterations_, density_);
    setTabOrder(density_, Densitychange_);
    setTabOrder(Densitychange_, DeltaD_);
    setTabOrder(DeltaD_, invertd_);
    setTabOrder(invertd_, Depth_);
    setTabOrder(Depth_, depthchange_);
    setTabOrder(depthchange_, DeltaDepth_);
    setTabOrder(DeltaDepth_, Invertdepth_);
    setTabOrder(Invertdepth_, width_);
    setTabOrder(width_, widthchange_);
    setTabOrder(widthchange_, deltawidth_);
    setTabOrder(deltawidth_, strike1_);
    setTabOrder(strike1_, strike2_);
    setTabOrder(strike2_, calc_);
    setTabOrder(calc_, densityLaw_);
    setTabOrder(densityLaw_, lawRate_);
    setTabOrder(lawRate_, lawZ0_);
    setTabOrder(lawZ0_, invertRate_);

    connect(bodychange_, &SpinArrows::up, this, &Tproperties::bodychangeUpClick);
    connect(bodychange_, &SpinArrows::down, this, &Tproperties::bodychangeDownClick);
    connect(Densitychange_, &SpinArrows::up, this, &Tproperties::DensitychangeUpClick);
    connect(Densitychange_, &SpinArrows::down, this, &Tproperties::DensitychangeDownClick);
    connect(depthchange_, &SpinArrows::up, this, &Tproperties::depthchangeUpClick);
    connect(depthchange_, &SpinArrows::down, this, &Tproperties::depthchangeDownClick);
    connect(widthchange_, &SpinArrows::up, this, &Tproperties::widthchangeUpClick);
    connect(widthchange_, &SpinArrows::down, this, &Tproperties::widthchangeDownClick);
    connect(calc_, &QPushButton::clicked, this, &Tproperties::calcClick);
    connect(OKBtn_, &QPushButton::clicked, this, &Tproperties::OKBtnClick);
    connect(invertd_, &QPushButton::clicked, this, &Tproperties::invertdClick);
    connect(Invertdepth_, &QPushButton::clicked, this, &Tproperties::InvertdepthClick);
    connect(invertRate_, &QPushButton::clicked, this, &Tproperties::invertRateClick);
    connect(densityLaw_, &QComboBox::activated, this, &Tproperties::lawChanged);
    connect(lawRate_, &QLineEdit::editingFinished, this, &Tproperties::lawChanged);
    connect(lawZ0_, &QLineEdit::editingFinished, this, &Tproperties::lawChanged);
    for (QWidget* w : std::initializer_list<QWidget*>{rateLabel_, lawRate_, z0Label_, lawZ0_, invertRate_})
        w->hide();   // until a body with a law is shown
}

void Tproperties::showLawRow()
{
    const int law = densityLaw_->currentIndex();
    const char* unit = ws_.model.UnitsKm ? " per km" : " per m";
    rateLabel_->setText(QString::fromLatin1(law == static_cast<int>(DensityLaw::Exponential) ? "Decay" : "Gradient") +
                        QString::fromLatin1(unit));
    const bool shown = law != static_cast<int>(DensityLaw::Constant);
    for (QWidget* w : std::initializer_list<QWidget*>{rateLabel_, lawRate_, z0Label_, lawZ0_, invertRate_})
        w->setVisible(shown);
}

void Tproperties::lawChanged()
{
    Model& m = ws_.model;
    const int b = m.CurrentBody;
    PropertyBoxes law;
    law.law = static_cast<DensityLaw>(densityLaw_->currentIndex());
    law.lawRate = valueIn(lawRate_);
    law.lawZ0 = valueIn(lawZ0_);
    if (applyPropertiesOnChange(m, b, law))
        repaintModel();
    showLawRow();
}

void Tproperties::setBox(QLineEdit* box, double v, int w, int d)
{
    const QString t = QString::fromStdString(fixed(v, w, d));
    box->setText(t);
    shown_[box] = {t, v};
}

std::optional<double> Tproperties::valueIn(const QLineEdit* box) const
{
    if (const auto it = shown_.find(box); it != shown_.end() && it->second.first == box->text())
        return it->second.second;
    return numberIn(box);
}

PropertyBoxes Tproperties::boxes() const
{
    PropertyBoxes b;
    b.density = valueIn(density_);
    b.depth = valueIn(Depth_);
    b.width = valueIn(width_);
    b.strike1 = valueIn(strike1_);
    b.strike2 = valueIn(strike2_);
    b.law = static_cast<DensityLaw>(densityLaw_->currentIndex());
    b.lawRate = valueIn(lawRate_);
    b.lawZ0 = valueIn(lawZ0_);
    return b;
}

void Tproperties::repaintModel()
{
    if (repaint_)
        repaint_();
}

void Tproperties::FormActivate()
{
    Model& m = ws_.model;
    if (m.CurrentBody < 1 || m.CurrentBody > m.NumBodies)
        m.CurrentBody = 1;
    if (m.Bodies[m.CurrentBody].Hidden) {
        if (m.NumBodies == 1)
            return;
        m.CurrentBody = m.CurrentBody % m.NumBodies + 1;   // one step only
    }
    bodychange_->setEnabled(m.NumBodies != 1);
    fill(m.CurrentBody, true);
    iterations_->setText(QString::number(ws_.inversion.NumIterations));
    invertd_->setEnabled(m.HaveObserved);
    Invertdepth_->setEnabled(m.HaveObserved);
    invertRate_->setEnabled(m.HaveObserved);
}

// The one way from a body to the fields. On opening the depth shows four
// decimals and its step is 7.5 % of the top depth; after a change of body
// three decimals and 5 %, as the dialog has always done.
void Tproperties::fill(int b, bool opening)
{
    const Tbody& body = ws_.model.Bodies[b];
    const BodyFigures f = bodyFigures(body);
    NoOfBody_->setText(QStringLiteral("Body ") + QString::number(b));
    setBox(density_, body.Density, 8, 6);
    setBox(DeltaD_, 0.05 * body.Density, 8, 7);
    setBox(Depth_, f.top, 9, opening ? 4 : 3);
    setBox(DeltaDepth_, depthStep(body, opening ? 0.075 : 0.05), 9, 3);
    setBox(width_, f.width(), 9, 3);
    setBox(deltawidth_, 0.1 * f.width(), 9, 3);
    setBox(strike1_, body.StrikeLength1, 9, 3);
    setBox(strike2_, body.StrikeLength2, 9, 3);
    densityLaw_->setCurrentIndex(static_cast<int>(body.Law));
    setBox(lawRate_, body.LawRate, 9, 6);
    // A constant body offers its top as the reference depth of a law.
    setBox(lawZ0_, body.Law == DensityLaw::Constant ? f.top : body.LawZ0, 9, 3);
    showLawRow();
}

void Tproperties::bodyChange(int dir)
{
    Model& m = ws_.model;
    applyPropertiesOnChange(m, m.CurrentBody, boxes());
    m.CurrentBody = nextVisibleBody(m, m.CurrentBody, dir);
    repaintModel();
    fill(m.CurrentBody, false);
}

void Tproperties::bodychangeUpClick() { bodyChange(+1); }
void Tproperties::bodychangeDownClick() { bodyChange(-1); }

void Tproperties::densitySpin(double sign)
{
    Model& m = ws_.model;
    Tbody& body = m.Bodies[m.CurrentBody];
    const auto step = numberIn(DeltaD_);
    if (!step) {
        setBox(DeltaD_, 0.05 * body.Density, 8, 7);
        return;
    }
    const double s = std::abs(*step);
    body.Density += sign * s;
    setBox(density_, body.Density, 8, 7);
    setBox(DeltaD_, s, 8, 7);
    m.UpdateBody(m.CurrentBody, BodyChange::Density);
    repaintModel();
}

void Tproperties::DensitychangeUpClick() { densitySpin(+1); }
void Tproperties::DensitychangeDownClick() { densitySpin(-1); }

void Tproperties::depthSpin(double sign)
{
    Model& m = ws_.model;
    const int b = m.CurrentBody;
    const auto step = numberIn(DeltaDepth_);
    if (!step) {
        setBox(DeltaDepth_, depthStep(m.Bodies[b], 0.075), 9, 3);
        return;
    }
    // The whole body moves, so its shape stays: a lift past the surface is shortened.
    const DepthShift shift = shapeKeepingShift(m, m.Bodies[b], sign * std::abs(*step), DepthSpinFloor);
    if (shift.dz != 0) {
        shiftBodyDepth(m, b, shift.dz, DepthSpinFloor);
        m.UpdateBody(b);
        repaintModel();
    }
    setBox(Depth_, bodyFigures(m.Bodies[b]).top, 9, 3);
    if (shift.shortened && status_)
        status_(depthShiftNote(shift));
}

void Tproperties::depthchangeUpClick() { depthSpin(+1); }
void Tproperties::depthchangeDownClick() { depthSpin(-1); }

void Tproperties::widthSpin(double sign)
{
    Model& m = ws_.model;
    const int b = m.CurrentBody;
    const double w = bodyFigures(m.Bodies[b]).width();
    const auto step = numberIn(deltawidth_);
    if (!step) {
        setBox(deltawidth_, 0.1 * w, 9, 3);
        return;
    }
    const double W = w + sign * std::abs(*step);
    if (!scaleBodyWidth(m, b, W)) {
        if (status_)
            status_(texts::ZeroWidth);
        return;
    }
    setBox(width_, W, 9, 3);
    m.UpdateBody(b);
    repaintModel();
}

void Tproperties::widthchangeUpClick() { widthSpin(+1); }
void Tproperties::widthchangeDownClick() { widthSpin(-1); }

void Tproperties::calcClick()
{
    Model& m = ws_.model;
    const int b = m.CurrentBody;
    const StrictApplyResult r = applyPropertiesStrict(m, b, boxes());
    if (r.widthRefused)
        setBox(width_, bodyFigures(m.Bodies[b]).width(), 9, 3);   // what the body really has
    else if (r.correctedWidth)
        setBox(width_, *r.correctedWidth, 9, 3);
    if (r.depthShift.shortened)
        setBox(Depth_, bodyFigures(m.Bodies[b]).top, 9, 3);
    repaintModel();
    // The misfit stays in view; a depth typed above the surface adds its note.
    if (status_ && r.depthShift.shortened)
        status_(misfitText(m, 0) + QStringLiteral("  ") + depthShiftNote(r.depthShift));
}

void Tproperties::OKBtnClick()
{
    calcClick();
    accept();
}

void Tproperties::readIterations()
{
    if (const auto v = numberIn(iterations_))
        ws_.inversion.NumIterations = fitIterationCount(*v);
    iterations_->setText(QString::number(ws_.inversion.NumIterations));
}

void Tproperties::showHeld(const RunReport& report)
{
    if (status_ && !report.held.empty())
        status_(heldStatus(ws_.model, ws_.inversion.IterationCount, report.held));
}

// After a fit: show the state it kept, the bounds that held it, and its result.
void Tproperties::finishFit(const RunReport& report, const std::function<void()>& show)
{
    if (report.kept != ws_.inversion.NumIterations)
        show();
    if (status_ && !heldSummary(report).empty())
        status_(heldStatus(ws_.model, 0, heldSummary(report)));
    Tinvertresult result(platform_, this);
    result.fill(report);
    platform_.execDialog(result);
}

void Tproperties::runFit(const Fit& fit, const std::function<void()>& show)
{
    Model& m = ws_.model;
    if (!m.HaveObserved) {
        platform_.error(texts::FieldDataNeeded);
        return;
    }
    readIterations();
    RunReport report;
    FitOutcome outcome = FitOutcome::Done;
    {
        BusyCursor busy(platform_);
        outcome = fit(m, ws_.inversion, m.CurrentBody, [&] {
            show();
            showHeld(report);
        }, &report);
    }
    if (outcome == FitOutcome::ZeroDepthRange)
        platform_.error(texts::ZeroDepthRange);
    else if (outcome == FitOutcome::Done)
        finishFit(report, show);
}

void Tproperties::invertdClick()
{
    runFit(densityFit, [this] {
        setBox(density_, ws_.model.Bodies[ws_.model.CurrentBody].Density, 8, 7);
        density_->repaint();
        repaintModel();
    });
}

void Tproperties::InvertdepthClick()
{
    const DepthRange view = ws_.display;
    runFit([view](Model& m, InversionState& inv, int b, const std::function<void()>& after,
                  RunReport* report) { return depthFit(m, inv, view, b, after, report); },
           [this] {
               setBox(Depth_, bodyFigures(ws_.model.Bodies[ws_.model.CurrentBody]).top, 6, 5);
               Depth_->repaint();
               repaintModel();
           });
}

void Tproperties::invertRateClick()
{
    runFit(lawRateFit, [this] {
        setBox(lawRate_, ws_.model.Bodies[ws_.model.CurrentBody].LawRate, 9, 6);
        lawRate_->repaint();
        repaintModel();
    });
}

}  // namespace corvane
