#include "app/magnetics.h"

#include "app/field_columns.h"
#include "app/grid_profile.h"
#include "app/tcorvane.h"
#include "display/dialog_widgets.h"
#include "edit/spin_arrows.h"
#include "io/field_data.h"
#include "model/magnetic_data.h"
#include "model/magnetic_limits.h"
#include "model/text.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace corvane {

namespace {

QLineEdit* makeBox(QWidget* parent, const QString& name) { return namedBox(parent, name, 90); }

QString shown(double v) { return QString::fromStdString(itemNumber(v)); }

QPushButton* okButton(QDialog* dlg, QGridLayout* grid, int row)
{
    const auto [ok, cancel] = okCancelButtons(dlg);
    grid->addWidget(ok, row, 0);
    grid->addWidget(cancel, row, 1);
    return ok;
}

}  // namespace

// ---- TEarthField -----------------------------------------------------------

TEarthField::TEarthField(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TEarthField"));
    setWindowTitle(QStringLiteral("Earth's Field"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto add = [&](const char* caption, const char* name) {
        grid->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0);
        QLineEdit* box = makeBox(this, QString::fromLatin1(name));
        grid->addWidget(box, row++, 1);
        return box;
    };
    intensity = add("Intensity (nT)", "intensity");
    inclination = add("Inclination (degrees, down)", "inclination");
    declination = add("Declination (degrees east)", "declination");
    azimuth = add("Profile azimuth (degrees east)", "azimuth");
    azimuthSource = new QLabel(this);
    azimuthSource->setObjectName(QStringLiteral("azimuthSource"));
    grid->addWidget(azimuthSource, row++, 1);
    connect(azimuth, &QLineEdit::textEdited, azimuthSource, [this] { azimuthSource->setText(QStringLiteral("Typed")); });
    OKBtn = okButton(this, grid, row);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void TEarthField::fill(const Model& m)
{
    intensity->setText(shown(m.Mag.FieldIntensity));
    inclination->setText(shown(m.Mag.FieldInclination));
    declination->setText(shown(m.Mag.FieldDeclination));
    azimuth->setText(shown(m.Mag.FieldAzimuth));
    // A line's azimuth has all its digits: show them from the first.
    for (QLineEdit* box : {intensity, inclination, declination, azimuth})
        box->setCursorPosition(0);
    azimuthSource->setText(azimuthSourceText(m));
}

QString magneticRangeText(const MagneticLimit& limit)
{
    return QString::fromStdString(limit.sentence());
}

bool TEarthField::apply(Model& m, QString* why) const
{
    const auto f = numberIn(intensity), i = numberIn(inclination), d = numberIn(declination),
               a = numberIn(azimuth);
    const QString problem = !f || !i || !d || !a || *f < 0     ? MagneticNumberText
                            : !FieldIntensityLimit.holds(*f)   ? magneticRangeText(FieldIntensityLimit)
                            : !FieldInclinationLimit.holds(*i) ? magneticRangeText(FieldInclinationLimit)
                            : !FieldDeclinationLimit.holds(*d) ? magneticRangeText(FieldDeclinationLimit)
                            : !ProfileAzimuthLimit.holds(*a)   ? magneticRangeText(ProfileAzimuthLimit)
                                                               : QString();
    if (!problem.isEmpty()) {
        if (why)
            *why = problem;
        return false;
    }
    m.Mag.FieldIntensity = *f;
    m.Mag.FieldInclination = *i;
    m.Mag.FieldDeclination = *d;
    m.Mag.FieldAzimuth = *a;
    m.RecalculateMagnetic();
    return true;
}

// ---- TMagStations ----------------------------------------------------------

TMagStations::TMagStations(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TMagStations"));
    setWindowTitle(QStringLiteral("Magnetic Stations"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Number of stations"), this), 0, 0);
    count = makeBox(this, QStringLiteral("count"));
    grid->addWidget(count, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Height above the datum"), this), 1, 0);
    height = makeBox(this, QStringLiteral("height"));
    grid->addWidget(height, 1, 1);
    OKBtn = okButton(this, grid, 2);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void TMagStations::fill(const Model& m)
{
    count->setText(QString::number(m.Mag.Num >= 2 ? m.Mag.Num : std::max(2, m.NumStations)));
    height->setText(QStringLiteral("0"));
}

// ---- TMagnetisation --------------------------------------------------------

namespace {
const char* const FieldNames[4] = {"K", "M", "IM", "DM"};
const MagneticLimit* const FieldLimits[4] = {&SusceptibilityLimit, &RemanenceLimit, &RemanentInclinationLimit,
                                             &RemanentDeclinationLimit};
const char* const FieldCaptions[4] = {"Susceptibility (SI)", "Remanence (A/m)", "Remanent inclination",
                                      "Remanent declination"};

double& fieldOf(Tbody& b, int f)
{
    switch (f) {
    case 0: return b.Susceptibility;
    case 1: return b.Remanence;
    case 2: return b.RemanentInclination;
    default: return b.RemanentDeclination;
    }
}

double defaultStep(const Tbody& b, int f)
{
    if (f >= 2)
        return 5;
    const double v = std::abs(f == 0 ? b.Susceptibility : b.Remanence);
    return v > 0 ? 0.1 * v : (f == 0 ? 0.001 : 0.1);
}
}  // namespace

TMagnetisation::TMagnetisation(Workspace& ws, std::function<void()> repaint,
                               std::function<void(const QString&)> status, QWidget* parent)
    : QDialog(parent), ws_(ws), repaint_(std::move(repaint)), status_(std::move(status))
{
    setObjectName(QStringLiteral("TMagnetisation"));
    setWindowTitle(QStringLiteral("Body Magnetisation"));
    auto* grid = new QGridLayout(this);
    body = new QLabel(QStringLiteral("Body 1"), this);
    body->setObjectName(QStringLiteral("NoOfBody"));
    grid->addWidget(body, 0, 0);
    for (int f = 0; f < 4; ++f) {
        grid->addWidget(new QLabel(QString::fromLatin1(FieldCaptions[f]), this), f + 1, 0);
        value[f] = makeBox(this, QString::fromLatin1(FieldNames[f]));
        spins[f] = new SpinArrows(this);
        spins[f]->setObjectName(QString::fromLatin1(FieldNames[f]) + QStringLiteral("change"));
        step[f] = makeBox(this, QStringLiteral("Delta") + QString::fromLatin1(FieldNames[f]));
        grid->addWidget(value[f], f + 1, 1);
        grid->addWidget(spins[f], f + 1, 2);
        grid->addWidget(step[f], f + 1, 3);
        connect(spins[f], &SpinArrows::up, this, [this, f] { spin(f, +1); });
        connect(spins[f], &SpinArrows::down, this, [this, f] { spin(f, -1); });
    }
    fit = new QPushButton(QStringLiteral("Fit"), this);
    fit->setObjectName(QStringLiteral("fitK"));
    grid->addWidget(fit, 1, 4);
    connect(fit, &QPushButton::clicked, this, &TMagnetisation::fitClick);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    grid->addWidget(OKBtn, 5, 3, 1, 2);
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        if (const QString why = applyTyped(); !why.isEmpty() && refuse) {
            refuse(why);   // the dialog stays open for the value to be mended
            return;
        }
        accept();
    });
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void TMagnetisation::show(int f)
{
    const double v = fieldOf(ws_.model.Bodies[ws_.model.CurrentBody], f);
    shown_[f] = QString::fromStdString(fixed(v, 1, f == 0 ? 6 : 3));
    value[f]->setText(shown_[f]);
}

void TMagnetisation::FormActivate()
{
    Model& m = ws_.model;
    if (m.CurrentBody < 1 || m.CurrentBody > m.NumBodies)
        m.CurrentBody = 1;
    const Tbody& b = m.Bodies[m.CurrentBody];
    body->setText(QStringLiteral("Body ") + QString::number(m.CurrentBody));
    for (int f = 0; f < 4; ++f) {
        show(f);
        step[f]->setText(QString::fromStdString(roundedStepText(defaultStep(b, f))));
    }
    fit->setEnabled(haveObservedMagnetic(m));
}

QString TMagnetisation::applyTyped()
{
    Model& m = ws_.model;
    Tbody& b = m.Bodies[m.CurrentBody];
    bool changed = false;
    QString why;
    for (int f = 0; f < 4; ++f) {
        if (value[f]->text() == shown_[f])
            continue;   // not typed over: the exact value stays
        const auto v = numberIn(value[f]);
        if (v && !FieldLimits[f]->holds(*v)) {
            if (why.isEmpty())
                why = magneticRangeText(*FieldLimits[f]);
            continue;
        }
        if (v && *v != fieldOf(b, f)) {
            fieldOf(b, f) = *v;
            changed = true;
        }
    }
    if (changed) {
        m.UpdateBody(m.CurrentBody, BodyChange::Magnetisation);
        if (repaint_)
            repaint_();
    }
    return why;
}

void TMagnetisation::spin(int f, double sign)
{
    Model& m = ws_.model;
    Tbody& b = m.Bodies[m.CurrentBody];
    const auto s = numberIn(step[f]);
    if (!s) {
        step[f]->setText(QString::fromStdString(roundedStepText(defaultStep(b, f))));
        return;
    }
    const double next = fieldOf(b, f) + sign * std::abs(*s);
    if (!FieldLimits[f]->holds(next)) {
        if (refuse)
            refuse(magneticRangeText(*FieldLimits[f]));
        return;
    }
    fieldOf(b, f) = next;
    show(f);
    m.UpdateBody(m.CurrentBody, BodyChange::Magnetisation);
    if (repaint_)
        repaint_();
}

QString susceptibilityFitText(double k)
{
    return QStringLiteral(" Fitted susceptibility = ") + QString::fromStdString(fixed(k, 1, 6));
}

void TMagnetisation::fitClick()
{
    applyTyped();
    Model& m = ws_.model;
    const auto k = fitSusceptibility(m, m.CurrentBody);
    if (!k) {
        if (status_)
            status_(NoMagneticFitText);
        return;
    }
    if (!SusceptibilityLimit.holds(*k)) {
        if (refuse)
            refuse(susceptibilityFitText(*k).trimmed() + QStringLiteral(" SI, but ")
                   + QString::fromStdString(SusceptibilityLimit.refusal())
                   + QStringLiteral(". The body is unchanged."));
        return;
    }
    show(0);
    if (repaint_)
        repaint_();
    if (status_)
        status_(susceptibilityFitText(*k));
}

// ---- The commands ----------------------------------------------------------

void earthFieldCommand(Tcorvane& window)
{
    Workspace& ws = window.workspace();
    TEarthField& dlg = window.dialog<TEarthField>(&window);
    dlg.fill(ws.model);
    while (window.execDialog(dlg) == QDialog::Accepted) {
        QString why;
        if (dlg.apply(ws.model, &why)) {
            window.repaintModel();
            return;
        }
        window.platform().error(why);
    }
}

namespace {
void afterNewStations(Tcorvane& window)
{
    // The new stations' values have had no magnetic regional removed.
    window.workspace().extras.MagneticRegionalRemoved.reset();
    window.workspace().display.ShowMagnetic = true;
    window.MenuStateCurrentModel();
    window.repaintModel();
}
}  // namespace

void readMagneticDataCommand(Tcorvane& window)
{
    Workspace& ws = window.workspace();
    Platform& platform = window.platform();
    // Read as the gravity stations are, so the same files read the same way.
    const std::optional<StationList> chosen = chooseStationsFile(window, true);
    if (!chosen)
        return;
    const StationList& s = *chosen;
    std::vector<MagneticStationValue> stations(s.x.size());
    for (std::size_t i = 0; i < s.x.size(); ++i)
        stations[i] = {s.x[i], s.h[i], s.g[i]};   // from the chooser's height column or its one height
    {
        BusyCursor busy(platform);
        setMagneticStations(ws.model, std::move(stations));
    }
    afterNewStations(window);
}

void magneticStationsCommand(Tcorvane& window)
{
    Workspace& ws = window.workspace();
    TMagStations& dlg = window.dialog<TMagStations>(&window);
    dlg.fill(ws.model);
    for (;;) {
        if (window.execDialog(dlg) != QDialog::Accepted)
            return;
        const auto n = parseNumber(dlg.count->text().toStdString());
        const auto h = parseNumber(dlg.height->text().toStdString());
        if (n && h && *n >= 2 && *n <= MaxStations && *n == std::floor(*n) && StationHeightLimit.holds(*h)) {
            std::vector<MagneticStationValue> stations;
            for (double x : evenMagneticPositions(ws.model, static_cast<int>(*n)))
                stations.push_back({x, *h, std::nullopt});
            {
                BusyCursor busy(window.platform());
                setMagneticStations(ws.model, std::move(stations));
            }
            afterNewStations(window);
            return;
        }
        if (n && h && *n >= 2 && *n <= MaxStations && *n == std::floor(*n)) {
            window.platform().error(magneticRangeText(StationHeightLimit));
            continue;
        }
        window.platform().error(QStringLiteral("The number of stations must be a whole number from 2 to ") +
                                QString::number(MaxStations) + QStringLiteral(", and the height a number."));
    }
}

void magnetisationCommand(Tcorvane& window)
{
    Workspace& ws = window.workspace();
    TMagnetisation& dlg = window.dialog<TMagnetisation>(
        ws, [&window] { window.repaintModel(); }, [&window](const QString& t) { window.setStatus(t); },
        &window);
    dlg.refuse = [&window](const QString& why) { window.platform().error(why); };
    dlg.FormActivate();
    window.execDialog(dlg);
    window.repaintModel();
}

void showMagneticCommand(Tcorvane& window)
{
    Display& d = window.workspace().display;
    if (window.workspace().model.Mag.Num < 1)
        return;
    d.ShowMagnetic = !d.ShowMagnetic;
    window.setItemChecked(QStringLiteral("Showmagnetic1"), d.ShowMagnetic);
    window.repaintModel();
}

}  // namespace corvane
