#include "inversion_ui/tinvertmodel.h"

#include "inversion/least_squares.h"
#include "inversion/run_options.h"
#include "inversion_ui/texts.h"
#include "inversion_ui/tinvertresult.h"
#include "model/gradient.h"
#include "model/magnetic_data.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// A typed observational error: a positive number, else the default.
double typedError(const QLineEdit* box, double fallback)
{
    bool ok = false;
    const double v = box->text().trimmed().toDouble(&ok);
    return ok && v > 0 && std::isfinite(v) ? v : fallback;
}

}  // namespace

Tinvertmodel::Tinvertmodel(Workspace& ws, Platform& platform, std::function<void()> repaint,
                           std::function<void(const QString&)> status, QWidget* parent)
    : QDialog(parent), ws_(ws), platform_(platform), repaint_(std::move(repaint)),
      status_(std::move(status))
{
    setObjectName(QStringLiteral("Tinvertmodel"));
    setWindowTitle(QStringLiteral("Invert the Model"));
    QFont f(QStringLiteral("Sans Serif"), 9);
    f.setBold(true);
    setFont(f);

    auto label = [this](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto* grid = new QGridLayout(this);
    grid->addWidget(label("Label1", "The parameters being inverted are :-"), 0, 0, 1, 2);
    density_ = label("density", "No");
    xpos_ = label("xpos", "No");
    depth_ = label("depth", "No");
    rotation_ = label("rotation", "No");
    nx_ = label("nx", "0");
    ny_ = label("ny", "0");
    const char* captions[6] = {"Density", "Horizontal position", "Depth", "Body rotation",
                               "No. of body corners horizontally",
                               "No of body corners vertically"};
    QLabel* values[6] = {density_, xpos_, depth_, rotation_, nx_, ny_};
    for (int i = 0; i < 6; ++i) {
        const QByteArray name = "Label" + QByteArray::number(i + 2);
        grid->addWidget(label(name.constData(), captions[i]), i + 1, 0);
        grid->addWidget(values[i], i + 1, 1);
    }
    NoOfBody_ = label("NoOfBody", " Body 1");
    NoOfBody_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    grid->addWidget(NoOfBody_, 7, 0);
    grid->addWidget(label("Label8", "No. of iterations"), 8, 0);
    iterations_ = new QLineEdit(this);
    iterations_->setObjectName(QStringLiteral("iterations"));
    grid->addWidget(iterations_, 8, 1);
    // Off: the inversion body's corners are unlinked, so no other body moves.
    keeplinks_ = new QCheckBox(QStringLiteral("Keep linked corners"), this);
    keeplinks_->setObjectName(QStringLiteral("keeplinks"));
    grid->addWidget(keeplinks_, 9, 0, 1, 2);
    // Off: the inversion body's choices alone, as ever.
    allbodies_ = new QCheckBox(QStringLiteral("All bodies with chosen parameters"), this);
    allbodies_->setObjectName(QStringLiteral("allbodies"));
    grid->addWidget(allbodies_, 10, 0, 1, 2);
    connect(allbodies_, &QCheckBox::toggled, this, &Tinvertmodel::showChoices);
    fitshift_ = new QCheckBox(QStringLiteral("Fit a constant shift"), this);
    fitshift_->setObjectName(QStringLiteral("fitshift"));
    grid->addWidget(fitshift_, 11, 0, 1, 2);
    magnetics_ = new QGroupBox(QStringLiteral("Data fitted"), this);
    magnetics_->setObjectName(QStringLiteral("magnetics"));
    auto* mg = new QGridLayout(magnetics_);
    auto check = [this](const char* name, const char* text) {
        auto* c = new QCheckBox(QString::fromLatin1(text), this);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    fitgravity_ = check("fitgravity", "Gravity");
    fitgravity_->setChecked(true);
    fitmagnetic_ = check("fitmagnetic", "Magnetics");
    gravityerror_ = edit("gravityerror");
    gravityerror_->setText(QStringLiteral("0.1"));
    magneticerror_ = edit("magneticerror");
    magneticerror_->setText(QStringLiteral("1"));
    susceptibility_ = label("invertsusceptibility", "No");
    remanence_ = label("invertremanence", "No");
    mg->addWidget(fitgravity_, 0, 0);
    mg->addWidget(label("gravityerrorlabel", "Error (mGal)"), 0, 1);
    mg->addWidget(gravityerror_, 0, 2);
    magneticRows_ = {fitmagnetic_, label("magneticerrorlabel", "Error (nT)"), magneticerror_,
                     label("susceptibilitylabel", "Susceptibility"), susceptibility_,
                     label("remanencelabel", "Remanent magnetisation"), remanence_};
    mg->addWidget(fitmagnetic_, 1, 0);
    mg->addWidget(magneticRows_[1], 1, 1);
    mg->addWidget(magneticerror_, 1, 2);
    mg->addWidget(magneticRows_[3], 2, 0);
    mg->addWidget(susceptibility_, 2, 1);
    mg->addWidget(magneticRows_[5], 3, 0);
    mg->addWidget(remanence_, 3, 1);
    gradients_ = new QGroupBox(QStringLiteral("Gradients fitted"), this);
    gradients_->setObjectName(QStringLiteral("gradients"));
    auto* gg = new QGridLayout(gradients_);
    for (int c = 0; c < TensorComponents; ++c) {
        const auto k = static_cast<std::size_t>(c);
        const std::string name = gradientComponentName(c);
        fitcomponent_[k] = check(("fit" + name).c_str(), name.c_str());
        componenterrorlabel_[k] = label(("errorlabel" + name).c_str(), "Error (E)");
        componenterror_[k] = edit(("error" + name).c_str());
        componentshift_[k] = check(("shift" + name).c_str(), "Shift");
        gg->addWidget(fitcomponent_[k], c, 0);
        gg->addWidget(componenterrorlabel_[k], c, 1);
        gg->addWidget(componenterror_[k], c, 2);
        gg->addWidget(componentshift_[k], c, 3);
    }
    // Hidden groups take no room: a model without these data shows the
    // dialog as it always was.
    auto* data = new QVBoxLayout;
    data->setContentsMargins(0, 0, 0, 0);
    data->addWidget(magnetics_);
    data->addWidget(gradients_);
    grid->addLayout(data, 12, 0, 1, 2);
    OKBtn_ = new QPushButton(QStringLiteral("OK"), this);
    OKBtn_->setObjectName(QStringLiteral("OKBtn"));
    OKBtn_->setDefault(true);
    CancelBtn_ = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    grid->addWidget(OKBtn_, 13, 0);
    grid->addWidget(CancelBtn_, 13, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    connect(OKBtn_, &QPushButton::clicked, this, &Tinvertmodel::OKBtnClick);
    connect(CancelBtn_, &QPushButton::clicked, this, &QDialog::reject);
}

void Tinvertmodel::FormActivate()
{
    const ExtrasState& x = ws_.extras;
    iterations_->setText(QString::number(ws_.inversion.NumIterations));
    keeplinks_->setChecked(x.KeepLinkedCorners);
    fitshift_->setChecked(x.FitShift);
    fitgravity_->setChecked(x.FitGravity);
    fitmagnetic_->setChecked(x.FitMagnetic);
    gravityerror_->setText(QString::number(x.GravityError));
    magneticerror_->setText(QString::number(x.MagneticError));
    const bool magnetic = haveObservedMagnetic(ws_.model);
    const TensorFlags observed = observedGradientComponents(ws_.model);
    const bool gradients = std::find(observed.begin(), observed.end(), true) != observed.end();
    magnetics_->setVisible(magnetic || gradients);
    for (QWidget* w : magneticRows_)
        w->setVisible(magnetic);
    gradients_->setVisible(gradients);
    for (int c = 0; c < TensorComponents; ++c) {
        const auto k = static_cast<std::size_t>(c);
        const GradientFitChoice& choice = x.FitGradients[k];
        fitcomponent_[k]->setChecked(choice.Fit);
        componenterror_[k]->setText(QString::number(choice.Error));
        componentshift_[k]->setChecked(choice.Shift);
        for (QWidget* w : {static_cast<QWidget*>(fitcomponent_[k]), static_cast<QWidget*>(componenterrorlabel_[k]),
                           static_cast<QWidget*>(componenterror_[k]), static_cast<QWidget*>(componentshift_[k])})
            w->setVisible(observed[k]);
    }
    // A magnetic survey alone: magnetics is fitted, there is no gravity to choose.
    if (!ws_.model.HaveObserved) {
        fitgravity_->setChecked(false);
        fitmagnetic_->setChecked(true);
    }
    fitgravity_->setEnabled(ws_.model.HaveObserved);
    fitmagnetic_->setEnabled(ws_.model.HaveObserved);
    gravityerror_->setEnabled(ws_.model.HaveObserved);
    const QSignalBlocker quiet(allbodies_);
    allbodies_->setChecked(x.AllBodies);
    showChoices();
}

void Tinvertmodel::showChoices()
{
    const int b = inversionBody(ws_);
    const bool all = allbodies_->isChecked();
    const ChoiceCount c = countChoices(ws_.model, all ? 0 : b);
    // One body: "Yes" or "No"; every body: how many bodies chose it.
    auto shown = [all](int n) {
        if (n == 0)
            return QStringLiteral("No");
        if (!all)
            return QStringLiteral("Yes");
        return QStringLiteral("Yes (%1 %2)").arg(n).arg(n == 1 ? QStringLiteral("body") : QStringLiteral("bodies"));
    };
    density_->setText(shown(c.density));
    xpos_->setText(shown(c.position));
    depth_->setText(shown(c.depth));
    rotation_->setText(shown(c.angle));
    nx_->setText(QString::number(c.cornersX));
    ny_->setText(QString::number(c.cornersZ));
    susceptibility_->setText(shown(c.susceptibility));
    remanence_->setText(shown(c.remanence));
    if (!all) {
        NoOfBody_->setText(QStringLiteral(" Body ") + QString::number(b));
    } else if (c.bodies.empty()) {
        NoOfBody_->setText(QStringLiteral(" Bodies: none"));
    } else {
        QStringList numbers;
        for (int k : c.bodies)
            numbers << QString::number(k);
        NoOfBody_->setText((c.bodies.size() == 1 ? QStringLiteral(" Body ") : QStringLiteral(" Bodies ")) +
                           numbers.join(QStringLiteral(", ")));
    }
}

void Tinvertmodel::OKBtnClick()
{
    hide();
    report_.reset();
    const int count = inversionIterationCount(iterations_->text().toStdString());
    ws_.inversion.NumIterations = count;
    // The options are kept with the model, and the run takes them from there.
    Model& m = ws_.model;
    ExtrasState& x = ws_.extras;
    x.KeepLinkedCorners = keeplinks_->isChecked();
    x.AllBodies = allbodies_->isChecked();
    x.FitShift = fitshift_->isChecked();
    const TensorFlags observed = observedGradientComponents(m);
    for (std::size_t k = 0; k < observed.size(); ++k)
        if (observed[k])
            x.FitGradients[k] = {fitcomponent_[k]->isChecked(),
                                 typedError(componenterror_[k], GradientFitChoice{}.Error),
                                 componentshift_[k]->isChecked()};
    if (!haveObservedMagnetic(m) && m.HaveObserved &&
        std::find(observed.begin(), observed.end(), true) != observed.end()) {
        x.FitGravity = fitgravity_->isChecked();
        x.GravityError = typedError(gravityerror_, InversionOptions{}.gravityError);
    }
    if (haveObservedMagnetic(m)) {
        // Without observed gravity the choice of data is not the user's.
        const InversionOptions defaults;
        if (m.HaveObserved) {
            x.FitGravity = fitgravity_->isChecked();
            x.FitMagnetic = fitmagnetic_->isChecked();
            x.GravityError = typedError(gravityerror_, defaults.gravityError);
        }
        x.MagneticError = typedError(magneticerror_, defaults.magneticError);
    }
    RunReport report;
    Status outcome;
    {
        BusyCursor busy(platform_);
        outcome = runStoredInversion(
            ws_, count,
            [&] {
                if (repaint_)
                    repaint_();
                if (status_ && !report.held.empty())
                    status_(heldStatus(m, ws_.inversion.IterationCount, report.held));
            },
            &report);
    }
    if (!outcome)
        platform_.error(QString::fromStdString(outcome.message()));
    else {
        // The run went back to a better state than its last: show it.
        if (report.kept != count && repaint_)
            repaint_();
        if (status_ && !heldSummary(report).empty())
            status_(heldStatus(m, 0, heldSummary(report)));
        report_ = std::move(report);
    }
    accept();
}

}  // namespace corvane
