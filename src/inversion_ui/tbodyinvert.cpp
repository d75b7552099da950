#include "inversion_ui/tbodyinvert.h"

#include "display/dialog_widgets.h"
#include "inversion/fits.h"
#include "inversion/least_squares.h"
#include "inversion/run_options.h"
#include "inversion_ui/texts.h"
#include "model/magnetic_limits.h"
#include "model/text.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>

namespace corvane {

namespace {

QLineEdit* makeBox(QWidget* parent, const char* name) { return namedBox(parent, name, 80); }

}  // namespace

void Tbodyinvert::BoundBoxes::show(double lo, double hi, int w, int d)
{
    shownMin = lo;
    shownMax = hi;
    shownMinText = QString::fromStdString(fixed(lo, w, d));
    shownMaxText = QString::fromStdString(fixed(hi, w, d));
    min->setText(shownMinText);
    max->setText(shownMaxText);
}

bool Tbodyinvert::BoundBoxes::edited() const
{
    return min->text() != shownMinText || max->text() != shownMaxText;
}

std::pair<double, double> Tbodyinvert::BoundBoxes::typed() const
{
    auto read = [](const QLineEdit* box, const QString& shownText, double shown) {
        if (box->text() == shownText)
            return shown;   // exactly, not as rounded for the box
        return parseNumber(box->text().toStdString()).value_or(shown);
    };
    return {read(min, shownMinText, shownMin), read(max, shownMaxText, shownMax)};
}

Tbodyinvert::Tbodyinvert(Workspace& ws, Platform& platform, QWidget* parent)
    : QDialog(parent), ws_(ws), platform_(platform)
{
    setObjectName(QStringLiteral("Tbodyinvert"));
    setWindowTitle(QStringLiteral("Body Parameter Inversion"));
    QFont f(QStringLiteral("Sans Serif"), 8);
    f.setBold(true);
    setFont(f);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto makeCheck = [panel](const char* name, const char* caption) {
        auto* c = new QCheckBox(QString::fromLatin1(caption), panel);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    xpos_ = makeCheck("xpos", "Invert horizontal position");
    depth_ = makeCheck("depth", "Invert depth");
    rotate_ = makeCheck("rotate", "Invert body angle");
    density_ = makeCheck("density", "Invert density contrast");
    susceptibility_ = makeCheck("susceptibility", "Susceptibility");
    remanence_ = makeCheck("remanence", "Remanent magnetisation");
    xBounds_.min = makeBox(this, "xmin");
    xBounds_.max = makeBox(this, "xmax");
    depthBounds_.min = makeBox(this, "Depthmin");
    depthBounds_.max = makeBox(this, "depthmax");
    angleBounds_.min = makeBox(this, "anglemin");
    angleBounds_.max = makeBox(this, "anglemax");
    densityBounds_.min = makeBox(this, "densmin");
    densityBounds_.max = makeBox(this, "densmax");
    susceptibilityBounds_.min = makeBox(this, "susmin");
    susceptibilityBounds_.max = makeBox(this, "susmax");
    remanenceBounds_.min = makeBox(this, "remmin");
    remanenceBounds_.max = makeBox(this, "remmax");

    auto* panelLayout = new QVBoxLayout(panel);
    for (QCheckBox* c : {xpos_, depth_, rotate_, density_, susceptibility_, remanence_})
        panelLayout->addWidget(c);

    noofbody_ = new QLabel(this);
    noofbody_->setObjectName(QStringLiteral("noofbody"));
    noofbody_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    OKBtn_ = new QPushButton(QStringLiteral("OK"), this);
    OKBtn_->setObjectName(QStringLiteral("OKBtn"));
    OKBtn_->setDefault(true);
    connect(OKBtn_, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(noofbody_, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Minimum"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Maximum "), this), 0, 2);
    grid->addWidget(panel, 1, 0, 6, 1);
    const BoundBoxes* bounds[6] = {&xBounds_,       &depthBounds_,          &angleBounds_,
                                   &densityBounds_, &susceptibilityBounds_, &remanenceBounds_};
    for (int r = 0; r < 6; ++r) {
        grid->addWidget(bounds[r]->min, r + 1, 1);
        grid->addWidget(bounds[r]->max, r + 1, 2);
    }
    grid->addWidget(OKBtn_, 7, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Other bodies with choices"), this), 0, 3);
    otherbodies_ = new QListWidget(this);
    otherbodies_->setObjectName(QStringLiteral("otherbodies"));
    otherbodies_->setSelectionMode(QAbstractItemView::NoSelection);
    otherbodies_->setFocusPolicy(Qt::NoFocus);
    otherbodies_->setFixedWidth(260);
    grid->addWidget(otherbodies_, 1, 3, 7, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void Tbodyinvert::FormActivate()
{
    Model& m = ws_.model;
    if (m.CurrentBody < 1 || m.CurrentBody > m.NumBodies)
        m.CurrentBody = 1;
    const Tbody& body = m.Bodies[m.CurrentBody];
    noofbody_->setText(QStringLiteral(" Body ") + QString::number(m.CurrentBody));
    density_->setChecked(body.InvertDensity);
    xpos_->setChecked(body.InvertXPos);
    depth_->setChecked(body.InvertDepth);
    rotate_->setChecked(body.InvertAngle);
    susceptibility_->setChecked(body.InvertSusceptibility);
    remanence_->setChecked(body.InvertRemanence);
    const Bounds x = positionBounds(m, body);
    const Bounds z = depthBounds(ws_.display, body);
    const Bounds density = corvane::densityBounds(body);
    xBounds_.show(x.min, x.max, 8, 2);
    depthBounds_.show(z.min, z.max, 8, 2);
    angleBounds_.show(body.AngleMin, body.AngleMax, 7, 1);
    densityBounds_.show(density.min, density.max, 7, 5);
    const Bounds k = corvane::susceptibilityBounds(body);
    const Bounds r = corvane::remanenceBounds(body);
    susceptibilityBounds_.show(k.min, k.max, 7, 5);
    remanenceBounds_.show(r.min, r.max, 7, 3);
    otherbodies_->clear();
    for (int b = 1; b <= m.NumBodies; ++b) {
        const std::string chosen = choicesText(m.Bodies[b]);
        if (b != m.CurrentBody && !chosen.empty())
            otherbodies_->addItem(QStringLiteral("Body %1: %2").arg(b).arg(QString::fromStdString(chosen)));
    }
    if (otherbodies_->count() == 0)
        otherbodies_->addItem(QStringLiteral("None"));
}

bool Tbodyinvert::FormDeactivate()
{
    Model& m = ws_.model;
    Tbody& body = m.Bodies[m.CurrentBody];
    const int bodyWide = density_->isChecked() + xpos_->isChecked() + depth_->isChecked() +
                         rotate_->isChecked() + susceptibility_->isChecked() + remanence_->isChecked();
    const int corners = countUnknowns(body) - body.InvertDensity - body.InvertXPos -
                        body.InvertDepth - body.InvertAngle;
    if (bodyWide + corners > MaxUnknowns) {
        platform_.error(texts::TooManyUnknowns);
        return false;
    }
    // Each parameter whose boxes were edited takes the pair typed, ticked or
    // not, so that bounds typed before the tick are there when it is given;
    // bounds left as shown stay as they are.
    struct Choice {
        const BoundBoxes& boxes;
        double& min;
        double& max;
        const QString& reversed;
        bool* typed;   // nullptr: a pair whose defaults need no telling apart
        const MagneticLimit* limit = nullptr;   // bounds a model file could not take back
    };
    const Choice choices[6] = {
        {densityBounds_, body.DensMin, body.DensMax, texts::DensityBoundsReversed, &body.DensBoundsTyped},
        {xBounds_, body.XPosMin, body.XPosMax, texts::PositionBoundsReversed, &body.XPosBoundsTyped},
        {depthBounds_, body.DepthMin, body.DepthMax, texts::DepthBoundsReversed, &body.DepthBoundsTyped},
        {angleBounds_, body.AngleMin, body.AngleMax, texts::AngleBoundsReversed, nullptr},
        {susceptibilityBounds_, body.SusceptibilityMin, body.SusceptibilityMax,
         texts::SusceptibilityBoundsReversed, &body.SusceptibilityBoundsTyped, &SusceptibilityLimit},
        {remanenceBounds_, body.RemanenceMin, body.RemanenceMax, texts::RemanenceBoundsReversed,
         &body.RemanenceBoundsTyped, &RemanenceLimit}};
    for (const Choice& c : choices) {
        if (!c.boxes.edited())
            continue;
        const auto [lo, hi] = c.boxes.typed();
        if (lo > hi) {
            platform_.error(c.reversed);
            return false;
        }
        if (c.limit && !(c.limit->holds(lo) && c.limit->holds(hi))) {
            platform_.error(QString::fromStdString(c.limit->sentence()));
            return false;
        }
    }

    ws_.inversion.InversionBody = m.CurrentBody;
    body.InvertDensity = density_->isChecked();
    body.InvertXPos = xpos_->isChecked();
    body.InvertDepth = depth_->isChecked();
    body.InvertAngle = rotate_->isChecked();
    body.InvertSusceptibility = susceptibility_->isChecked();
    body.InvertRemanence = remanence_->isChecked();
    for (const Choice& c : choices)
        if (c.boxes.edited()) {
            std::tie(c.min, c.max) = c.boxes.typed();
            if (c.typed)
                *c.typed = true;
        }
    return true;
}

void Tbodyinvert::done(int result)
{
    if (!FormDeactivate())
        return;
    QDialog::done(result);
}

}  // namespace corvane
