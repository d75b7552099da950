// The extras block and the model: what a model holds beyond the records, and
// applying a block read from a file to a model just loaded.
#include "model_extras.h"

#include "io/overlay_items.h"
#include "model/bounds.h"
#include "model/density_law.h"
#include "model/gradient_panel.h"
#include "model/magnetic_data.h"

#include <algorithm>
#include <cstdio>

namespace corvane {

namespace {

// ---- Display settings, by name ----------------------------------------------

struct DisplaySetting {
    const char* name;
    bool Display::* flag = nullptr;
    int Display::* number = nullptr;
    Rgb Display::* colour = nullptr;
    int lo = 0, hi = 0;   // the numbers allowed
    bool components = false;   // number holds gradient components, written as their list
};

const DisplaySetting DisplaySettings[] = {
    {"densities", &Display::ShowDensities},
    {"body-numbers", &Display::ShowBodyNumbers},
    {"corners", &Display::HighlightCorners},
    {"plan-view", &Display::PlanView},
    {"difference", &Display::ShowDifference},
    {"individual", &Display::ShowIndividual},
    {"points", &Display::PlotPoints},
    {"magnetic-panel", &Display::ShowMagnetic},
    {"gradient-panel", &Display::ShowGradient},
    {"gradient-components", nullptr, &Display::GradientComponents, nullptr, 0, 0, true},
    {"map", &Display::ShowMap},
    {"grid", &Display::DrawGrid},
    {"snap", &Display::SnapToGrid},
    {"grid-dots", nullptr, &Display::GridDotFrequency, nullptr, 1, 10},
    {"colour-scheme", nullptr, &Display::ColourScheme, nullptr, 1, 4},
    {"gravity-decimals", nullptr, &Display::GravityDecimals, nullptr, 0, 15},
    {"font-height", nullptr, &Display::FontHeight, nullptr, 5, 20},
    {"calculated-colour", nullptr, nullptr, &Display::CalcCurveColour},
    {"observed-colour", nullptr, nullptr, &Display::ObsCurveColour},
};

std::string settingText(const DisplaySetting& s, const Display& d)
{
    if (s.flag)
        return d.*s.flag ? "1" : "0";
    if (s.components)   // none chosen: empty, as the default is
        return componentList(d.*s.number);
    if (s.number)
        return std::to_string(d.*s.number);
    char buf[16];
    const Rgb& c = d.*s.colour;
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", unsigned{c.r}, unsigned{c.g}, unsigned{c.b});
    return buf;
}

// Sets the setting from its text; false when the text is not one of its values.
bool setSetting(const DisplaySetting& s, Display& d, const std::string& v)
{
    if (s.flag) {
        if (v != "0" && v != "1")
            return false;
        d.*s.flag = v == "1";
        return true;
    }
    if (s.components) {
        const std::optional<int> bits = v.empty() ? std::optional<int>(0) : parseComponentList(v);
        if (bits)
            d.*s.number = *bits;
        return bits.has_value();
    }
    if (s.number) {
        int n = 0;
        std::size_t used = 0;
        try {
            n = std::stoi(v, &used);
        } catch (...) {
            return false;
        }
        if (used != v.size() || n < s.lo || n > s.hi)
            return false;
        d.*s.number = n;
        return true;
    }
    unsigned r = 0, g = 0, b = 0;
    char end = 0;
    if (v.size() != 7 || std::sscanf(v.c_str(), "#%2x%2x%2x%c", &r, &g, &b, &end) != 3)
        return false;
    d.*s.colour = Rgb(static_cast<int>(r), static_cast<int>(g), static_cast<int>(b));
    return true;
}

// ---- Bounds -----------------------------------------------------------------

std::array<double, NumBoundValues> boundsOf(const Tbody& b)
{
    return {b.DensMin, b.DensMax, b.XPosMin, b.XPosMax, b.DepthMin, b.DepthMax, b.AngleMin, b.AngleMax};
}

void setBounds(Tbody& b, const std::array<double, NumBoundValues>& v)
{
    b.DensMin = v[0], b.DensMax = v[1], b.XPosMin = v[2], b.XPosMax = v[3];
    b.DepthMin = v[4], b.DepthMax = v[5], b.AngleMin = v[6], b.AngleMax = v[7];
}

// The bounds of a body nobody has typed bounds for: those of start-up, the
// horizontal ones over the profile as a load sets them.
std::array<double, NumBoundValues> untypedBounds(const Model& m)
{
    const int n = std::max(1, m.NumStations);
    return {StartDensMin, 1.0, m.StationX[1], m.StationX[n], 0, StartDepthMax, -90, 90};
}

// A pair of bounds as some command leaves it without the user typing it:
// those of start-up or after a load, or a body slot's first ones.
bool untyped(const std::array<double, NumBoundValues>& v, const std::array<double, NumBoundValues>& start,
             std::size_t i, double freshLo, double freshHi)
{
    return (v[i] == start[i] && v[i + 1] == start[i + 1]) || (v[i] == freshLo && v[i + 1] == freshHi);
}

bool boundsUntyped(const Model& m, const Tbody& b)
{
    const auto v = boundsOf(b);
    const auto start = untypedBounds(m);
    return untyped(v, start, 0, 0, 1.0) && untyped(v, start, 2, 0, 1000) && untyped(v, start, 4, 0, 1000) &&
           untyped(v, start, 6, -90, 90);
}

// ---- Links ------------------------------------------------------------------

// A link record the model can keep: a distinct corner of another body that
// names this corner back and lies in the same place.
bool linkSound(const Model& m, int b, int k)
{
    const Tbody& body = m.Bodies[b];
    const int pb = body.LinkBody[k], pk = body.LinkCorner[k];
    if (k < 1 || k > body.NumCorners - 1 || pb < 1 || pb > m.NumBodies || pb == b)
        return false;
    const Tbody& partner = m.Bodies[pb];
    return pk >= 1 && pk <= partner.NumCorners - 1 && partner.Linked[pk] && partner.LinkBody[pk] == b &&
           partner.LinkCorner[pk] == k && partner.CornerX[pk] == body.CornerX[k] &&
           partner.CornerZ[pk] == body.CornerZ[k];
}

// A text value stays on its line.
std::string oneLine(std::string s)
{
    std::replace(s.begin(), s.end(), '\r', ' ');
    std::replace(s.begin(), s.end(), '\n', ' ');
    return s;
}

const std::string BlankTitle(24, ' ');
constexpr int DefaultIterations = 10;

// The block's gradient stations in place of the model's, their tensors
// calculated (none: the model has no gradient stations).
void applyGradientStations(Model& m, const ModelExtras& x, std::vector<std::string>& problems)
{
    GradientStations& grad = m.Grad;
    grad.Num = 0;
    grad.Frame = x.GradientFrame && x.GradientFrame->Frame == "geographic" ? TensorFrame::Geographic
                                                                           : TensorFrame::Profile;
    if (x.GradStations.size() > static_cast<std::size_t>(MaxStations))
        problems.push_back("The extras hold more than " + std::to_string(MaxStations) +
                           " gradient stations: the first " + std::to_string(MaxStations) + " are kept.");
    for (const ExtrasGradStation& s : x.GradStations) {
        if (grad.Num == MaxStations)
            break;
        const int i = ++grad.Num;
        grad.X[i] = s.X;
        grad.Height[i] = s.Height;
        const std::optional<double>* parts[] = {&s.XX, &s.XY, &s.XZ, &s.YY, &s.YZ, &s.ZZ};
        for (int k = 0; k < TensorComponents; ++k) {
            grad.HasObserved[i][static_cast<std::size_t>(k)] = parts[k]->has_value();
            grad.Observed[i][k] = parts[k]->value_or(0);
        }
    }
    m.RecalculateGradients();
}

}  // namespace

ModelExtras extrasOf(const Workspace& ws, const std::string& modelPath)
{
    const Model& m = ws.model;
    ModelExtras x;
    const int bodies = std::clamp(m.NumBodies, 0, MaxBodies);
    for (int b = 1; b <= bodies; ++b)
        if (m.Bodies[b].Hidden)
            x.Hidden.push_back({b, 0});
    for (int b = 1; b <= bodies; ++b) {
        const Tbody& body = m.Bodies[b];
        for (int k = 1; k <= std::min(body.NumCorners - 1, MaxCorners); ++k)
            if (body.Linked[k] && body.LinkBody[k] > b && linkSound(m, b, k))
                x.Links.push_back({b, k, body.LinkBody[k], body.LinkCorner[k], 0});
    }
    for (int b = 1; b <= bodies; ++b) {
        const Tbody& body = m.Bodies[b];
        if (body.InvertDensity || body.InvertXPos || body.InvertDepth || body.InvertAngle)
            x.BodyInversion.push_back({b, 0, body.InvertDensity, body.InvertXPos, body.InvertDepth, body.InvertAngle});
    }
    // Bounds typed equal to the defaults are written too: the reader would
    // otherwise put the defaults of a load in their place.
    for (int b = 1; b <= bodies; ++b) {
        const Tbody& body = m.Bodies[b];
        if (!boundsUntyped(m, body) || body.DensBoundsTyped || body.XPosBoundsTyped || body.DepthBoundsTyped)
            x.Bounds.push_back({b, 0, boundsOf(body)});
    }
    for (int b = 1; b <= bodies; ++b) {
        const Tbody& body = m.Bodies[b];
        if (body.InvertSusceptibility || body.InvertRemanence)
            x.MagneticInversion.push_back({b, 0, body.InvertSusceptibility, body.InvertRemanence});
        const ExtrasMagneticBounds none;
        if (body.SusceptibilityMin != none.SusceptibilityMin || body.SusceptibilityMax != none.SusceptibilityMax ||
            body.RemanenceMin != none.RemanenceMin || body.RemanenceMax != none.RemanenceMax ||
            body.SusceptibilityBoundsTyped || body.RemanenceBoundsTyped)
            x.MagneticBounds.push_back(
                {b, 0, body.SusceptibilityMin, body.SusceptibilityMax, body.RemanenceMin, body.RemanenceMax});
    }
    for (int b = 1; b <= bodies; ++b) {
        const Tbody& body = m.Bodies[b];
        const ExtrasTypedBounds typed{b,
                                      0,
                                      body.DensBoundsTyped,
                                      body.XPosBoundsTyped,
                                      body.DepthBoundsTyped,
                                      body.SusceptibilityBoundsTyped,
                                      body.RemanenceBoundsTyped};
        if (typed.Density || typed.XPos || typed.Depth || typed.Susceptibility || typed.Remanence)
            x.TypedBounds.push_back(typed);
    }
    for (int b = 1; b <= bodies; ++b) {
        const Tbody& body = m.Bodies[b];
        for (int k = 1; k <= std::min(body.NumCorners - 1, MaxCorners); ++k)
            if (body.CornerInvertX[k] || body.CornerInvertZ[k])
                x.CornerInversion.push_back({b, k, 0, body.CornerInvertX[k], body.CornerInvertZ[k]});
    }
    if (m.ProfileLine) {
        const ProfileLineRecord& l = *m.ProfileLine;
        x.ProfileLine = ExtrasProfileLine{l.E1, l.N1, l.E2, l.N2, l.Crs.empty() ? "-" : oneLine(l.Crs)};
    }
    if (ws.inversion.InversionBody != 1 && ws.inversion.InversionBody >= 1 && ws.inversion.InversionBody <= bodies)
        x.InversionBody = ExtrasHidden{ws.inversion.InversionBody, 0};
    if (ws.inversion.NumIterations != DefaultIterations)
        x.Iterations = ws.inversion.NumIterations;
    const MagneticStations& mag = m.Mag;
    const MagneticStations start;
    if (m.hasMagnetics() || mag.FieldIntensity != start.FieldIntensity ||
        mag.FieldInclination != start.FieldInclination || mag.FieldDeclination != start.FieldDeclination ||
        mag.FieldAzimuth != start.FieldAzimuth)
        x.Field = ExtrasField{mag.FieldIntensity, mag.FieldInclination, mag.FieldDeclination, mag.FieldAzimuth};
    for (int b = 1; b <= bodies; ++b) {
        const Tbody& body = m.Bodies[b];
        if (body.Susceptibility != 0 || body.Remanence != 0 || body.RemanentInclination != 0 ||
            body.RemanentDeclination != 0)
            x.Magnetisations.push_back({b, 0, body.Susceptibility, body.Remanence, body.RemanentInclination,
                                        body.RemanentDeclination});
    }
    for (int b = 1; b <= bodies; ++b) {
        const Tbody& body = m.Bodies[b];
        if (body.Law != DensityLaw::Constant)
            x.DensityLaws.push_back({b, 0, std::string(densityLawWord(body.Law)), body.LawRate, body.LawZ0});
    }
    for (int i = 1; i <= std::clamp(mag.Num, 0, MaxStations); ++i)
        x.MagStations.push_back({mag.X[i], mag.Height[i],
                                 mag.HasObserved[i] ? std::optional<double>(mag.Observed[i]) : std::nullopt});
    for (int i = 1; i <= std::clamp(mag.Num, 0, MaxStations); ++i)
        if (mag.Offset[i] != 0)
            x.MagOffsets.push_back({i, 0, mag.Offset[i]});
    const GradientStations& grad = m.Grad;
    if (grad.Num > 0 && grad.Frame == TensorFrame::Geographic)
        x.GradientFrame = ExtrasGradientFrame{"geographic"};
    for (int i = 1; i <= std::clamp(grad.Num, 0, MaxStations); ++i) {
        ExtrasGradStation s;
        s.X = grad.X[i];
        s.Height = grad.Height[i];
        std::optional<double>* parts[] = {&s.XX, &s.XY, &s.XZ, &s.YY, &s.YZ, &s.ZZ};
        for (int k = 0; k < TensorComponents; ++k)
            if (grad.HasObserved[i][static_cast<std::size_t>(k)])
                *parts[k] = grad.Observed[i][k];
        x.GradStations.push_back(s);
    }
    for (int i = 1; i <= std::clamp(m.NumStations, 0, MaxStations); ++i)
        if (m.StationHeight[i] != 0)
            x.Elevations.push_back({i, 0, m.StationHeight[i]});
    for (int i = 1; i <= std::clamp(m.NumStations, 0, MaxStations); ++i)
        if (m.StationOffset[i] != 0)
            x.Offsets.push_back({i, 0, m.StationOffset[i]});
    x.KeepLinkedCorners = ws.extras.KeepLinkedCorners;
    x.AllBodies = ws.extras.AllBodies;
    x.FitShift = ws.extras.FitShift;
    const ExtrasFitData fit{ws.extras.FitGravity, ws.extras.FitMagnetic, ws.extras.GravityError,
                            ws.extras.MagneticError};
    if (!(fit == ExtrasFitData{}))
        x.FitData = fit;
    for (int k = 0; k < 6; ++k)
        if (const GradientFitChoice& g = ws.extras.FitGradients[static_cast<std::size_t>(k)]; g.Fit)
            x.FitGradients.push_back({extrasGradientName(k), g.Error, g.Shift});
    x.Regional = ws.extras.RegionalRemoved;
    x.MagneticRegional = ws.extras.MagneticRegionalRemoved;
    for (int h = 1; h <= std::clamp(m.NumHoles, 0, MaxHoles); ++h) {
        const THole& hole = m.Holes[h];
        ExtrasHole out;
        out.Name = oneLine(hole.Name);
        for (int r = 1; r <= std::clamp(hole.NumDepths, 0, MaxHoleDepths); ++r)
            out.Rows.push_back({hole.HoleX[r], hole.HoleDepth[r]});
        for (int l = 1; l <= std::clamp(hole.NumLabels, 0, MaxHoleLabels); ++l)
            if (hole.LabelRow[l] >= 1 && hole.LabelRow[l] <= static_cast<int>(out.Rows.size()))
                out.Labels.push_back({hole.LabelRow[l], oneLine(hole.Label[l])});
        x.Holes.push_back(std::move(out));
    }
    const Display defaults;
    for (const DisplaySetting& s : DisplaySettings) {
        const std::string v = settingText(s, ws.display);
        if (v != settingText(s, defaults))
            x.Display.push_back({0, s.name, v});
    }
    if (ws.app.Title1 != BlankTitle)
        x.Titles[0] = oneLine(ws.app.Title1);
    if (ws.app.Title2 != BlankTitle)
        x.Titles[1] = oneLine(ws.app.Title2);
    for (std::string& line : overlayItemLines(ws.overlays, modelPath)) {
        if (line.starts_with("backdrop "))
            x.BackdropLine = ExtrasOverlayLine{0, std::move(line)};
        else
            x.PointSetLines.push_back({0, std::move(line)});
    }
    if (!ws.display.MapGrid.empty())
        x.MapGridLine = ExtrasOverlayLine{0, mapGridItemLine(ws.display.MapGrid, modelPath)};
    x.Carried = ws.extras.Carried;
    return x;
}

void applyElevations(Model& m, const ModelExtras& x, std::vector<std::string>& problems)
{
    for (const ExtrasElevation& e : x.Elevations) {
        if (e.Station > m.NumStations)
            problems.push_back("Line " + std::to_string(e.Line) + " of the extras could not be read: there is no station " +
                               std::to_string(e.Station) + ".");
        else
            m.StationHeight[e.Station] = e.Height;
    }
}

void applyExtras(Workspace& ws, const ModelExtras& x, std::vector<std::string>& problems,
                 const std::string& modelPath)
{
    Model& m = ws.model;
    Display& d = ws.display;
    auto problem = [&problems](int line, const std::string& why) {
        problems.push_back("Line " + std::to_string(line) + " of the extras could not be read: " + why + ".");
    };
    auto noBody = [&](int b) { return "there is no body " + std::to_string(b); };
    auto isBody = [&m](int b) { return b >= 1 && b <= m.NumBodies; };
    // Corners 1 to n - 1: the closing copy follows corner 1.
    auto isCorner = [&m](int b, int k) { return k >= 1 && k <= m.Bodies[b].NumCorners - 1; };
    auto noCorner = [&](int b, int k) {
        return "body " + std::to_string(b) + " has no corner " + std::to_string(k);
    };

    // What the block does not name takes its default.
    for (int b = 1; b <= m.NumBodies; ++b) {
        Tbody& body = m.Bodies[b];
        setBounds(body, untypedBounds(m));
        body.DensBoundsTyped = body.XPosBoundsTyped = body.DepthBoundsTyped = false;
        body.SusceptibilityBoundsTyped = body.RemanenceBoundsTyped = false;
    }
    ws.inversion.NumIterations = DefaultIterations;
    ws.extras = {};
    ws.extras.KeepLinkedCorners = x.KeepLinkedCorners;
    ws.extras.AllBodies = x.AllBodies;
    ws.extras.FitShift = x.FitShift;
    const ExtrasFitData fit = x.FitData.value_or(ExtrasFitData{});
    ws.extras.FitGravity = fit.Gravity;
    ws.extras.FitMagnetic = fit.Magnetic;
    ws.extras.GravityError = fit.GravityError;
    ws.extras.MagneticError = fit.MagneticError;
    for (const ExtrasGradientFit& g : x.FitGradients)
        if (const int k = extrasGradientComponent(g.Component); k >= 0)
            ws.extras.FitGradients[static_cast<std::size_t>(k)] = {true, g.Error, g.Shift};
    ws.extras.RegionalRemoved = x.Regional;
    ws.extras.MagneticRegionalRemoved = x.MagneticRegional;
    ws.extras.Carried = x.Carried;
    m.NumHoles = 0;
    const Display defaults;
    for (const DisplaySetting& s : DisplaySettings)
        setSetting(s, d, settingText(s, defaults));
    ws.app.Title1 = x.Titles[0].value_or(BlankTitle);
    ws.app.Title2 = x.Titles[1].value_or(BlankTitle);

    for (const ExtrasLink& l : x.Links) {
        if (!isBody(l.Body) || !isBody(l.Body2)) {
            problem(l.Line, noBody(isBody(l.Body) ? l.Body2 : l.Body));
            continue;
        }
        if (l.Body == l.Body2) {
            problem(l.Line, "a corner links to a corner of another body");
            continue;
        }
        if (!isCorner(l.Body, l.Corner) || !isCorner(l.Body2, l.Corner2)) {
            problem(l.Line, isCorner(l.Body, l.Corner) ? noCorner(l.Body2, l.Corner2) : noCorner(l.Body, l.Corner));
            continue;
        }
        Tbody& a = m.Bodies[l.Body];
        Tbody& b = m.Bodies[l.Body2];
        const bool same = a.Linked[l.Corner] && a.LinkBody[l.Corner] == l.Body2 && a.LinkCorner[l.Corner] == l.Corner2;
        if (same)
            continue;   // the same link written from its other side
        if (a.Linked[l.Corner] || b.Linked[l.Corner2]) {
            problem(l.Line, "a corner links to one other corner only");
            continue;
        }
        if (a.CornerX[l.Corner] != b.CornerX[l.Corner2] || a.CornerZ[l.Corner] != b.CornerZ[l.Corner2]) {
            problem(l.Line, "linked corners lie in the same place, and these do not");
            continue;
        }
        a.Linked[l.Corner] = true;
        a.LinkBody[l.Corner] = l.Body2;
        a.LinkCorner[l.Corner] = l.Corner2;
        b.Linked[l.Corner2] = true;
        b.LinkBody[l.Corner2] = l.Body;
        b.LinkCorner[l.Corner2] = l.Corner;
    }
    // Items that name a body: applied to it, or reported when there is none.
    auto eachBody = [&](const auto& items, auto&& apply) {
        for (const auto& v : items) {
            if (isBody(v.Body))
                apply(v, m.Bodies[v.Body]);
            else
                problem(v.Line, noBody(v.Body));
        }
    };
    eachBody(x.BodyInversion, [](const ExtrasBodyInversion& v, Tbody& b) {
        b.InvertDensity = v.Density;
        b.InvertXPos = v.XPos;
        b.InvertDepth = v.Depth;
        b.InvertAngle = v.Angle;
    });
    eachBody(x.Bounds, [](const ExtrasBounds& v, Tbody& b) { setBounds(b, v.Values); });
    eachBody(x.MagneticInversion, [](const ExtrasMagneticInversion& v, Tbody& b) {
        b.InvertSusceptibility = v.Susceptibility;
        b.InvertRemanence = v.Remanence;
    });
    eachBody(x.MagneticBounds, [](const ExtrasMagneticBounds& v, Tbody& b) {
        b.SusceptibilityMin = v.SusceptibilityMin;
        b.SusceptibilityMax = v.SusceptibilityMax;
        b.RemanenceMin = v.RemanenceMin;
        b.RemanenceMax = v.RemanenceMax;
    });
    eachBody(x.TypedBounds, [](const ExtrasTypedBounds& v, Tbody& b) {
        b.DensBoundsTyped = v.Density;
        b.XPosBoundsTyped = v.XPos;
        b.DepthBoundsTyped = v.Depth;
        b.SusceptibilityBoundsTyped = v.Susceptibility;
        b.RemanenceBoundsTyped = v.Remanence;
    });
    for (const ExtrasCornerInversion& c : x.CornerInversion) {
        if (!isBody(c.Body) || !isCorner(c.Body, c.Corner)) {
            problem(c.Line, isBody(c.Body) ? noCorner(c.Body, c.Corner) : noBody(c.Body));
            continue;
        }
        m.Bodies[c.Body].CornerInvertX[c.Corner] = c.X;
        m.Bodies[c.Body].CornerInvertZ[c.Corner] = c.Z;
    }
    if (x.InversionBody) {
        if (isBody(x.InversionBody->Body))
            ws.inversion.InversionBody = x.InversionBody->Body;
        else
            problem(x.InversionBody->Line, noBody(x.InversionBody->Body));
    }
    if (x.Iterations)
        ws.inversion.NumIterations = *x.Iterations;
    for (const ExtrasHole& src : x.Holes) {
        THole& hole = m.Holes[++m.NumHoles];
        hole = THole{};
        hole.Name = src.Name;
        hole.NumDepths = static_cast<int>(src.Rows.size());
        for (int r = 1; r <= hole.NumDepths; ++r) {
            hole.HoleX[r] = src.Rows[static_cast<std::size_t>(r - 1)].X;
            hole.HoleDepth[r] = src.Rows[static_cast<std::size_t>(r - 1)].Depth;
        }
        hole.NumLabels = static_cast<int>(src.Labels.size());
        for (int l = 1; l <= hole.NumLabels; ++l) {
            hole.Label[l] = src.Labels[static_cast<std::size_t>(l - 1)].Text;
            hole.LabelRow[l] = src.Labels[static_cast<std::size_t>(l - 1)].Row;
        }
    }
    for (const ExtrasSetting& s : x.Display) {
        const DisplaySetting* found = nullptr;
        for (const DisplaySetting& known : DisplaySettings)
            if (s.Name == known.name)
                found = &known;
        if (!found)
            problem(s.Line, extrasQuote(s.Name) + " is not a display setting");
        else if (!setSetting(*found, d, s.Value))
            problem(s.Line, extrasQuote(s.Value) + " is not a value of \"" + s.Name + "\"");
    }
    // What is shown with the section belongs to the file: its files are read
    // by the window, which reports those it cannot read.
    ws.overlays = {};
    for (const ExtrasOverlayLine& l : x.PointSetLines)
        readOverlayItem(l.Text, modelPath, ws.overlays, problems, false);
    if (x.BackdropLine)
        readOverlayItem(x.BackdropLine->Text, modelPath, ws.overlays, problems, false);
    d.MapGrid.clear();
    if (x.MapGridLine) {
        if (auto path = readMapGridItem(x.MapGridLine->Text, modelPath))
            d.MapGrid = *path;
        else
            problem(x.MapGridLine->Line, "the map's grid cannot be read");
    }
    // Individual contributions need two bodies to tell apart.
    if (m.NumBodies < 2)
        d.ShowIndividual = false;

    m.ProfileLine.reset();
    if (x.ProfileLine) {
        const ExtrasProfileLine& l = *x.ProfileLine;
        m.ProfileLine = ProfileLineRecord{l.E1, l.N1, l.E2, l.N2, l.Crs};
    }
    // Magnetics: the loaded model has none until the block gives them.
    if (x.Field) {
        m.Mag.FieldIntensity = x.Field->Intensity;
        m.Mag.FieldInclination = x.Field->Inclination;
        m.Mag.FieldDeclination = x.Field->Declination;
        m.Mag.FieldAzimuth = x.Field->Azimuth;
    }
    eachBody(x.Magnetisations, [](const ExtrasMagnetisation& v, Tbody& b) {
        b.Susceptibility = v.Susceptibility;
        b.Remanence = v.Remanence;
        b.RemanentInclination = v.Inclination;
        b.RemanentDeclination = v.Declination;
    });
    eachBody(x.DensityLaws, [](const ExtrasDensityLaw& v, Tbody& b) {
        densityLawOf(v.Law, b.Law);
        b.LawRate = v.Rate;
        b.LawZ0 = v.Z0;
    });
    std::vector<MagneticStationValue> stations;
    for (const ExtrasMagStation& s : x.MagStations)
        stations.push_back({s.X, s.Height, s.Anomaly});
    if (stations.size() > static_cast<std::size_t>(MaxStations))
        problems.push_back("The extras hold more than " + std::to_string(MaxStations) +
                           " magnetic stations: the first " + std::to_string(MaxStations) + " are kept.");
    if (!stations.empty())
        setMagneticStations(m, std::move(stations));   // calculates every body's magnetic anomaly
    // Offsets after the stations they belong to; the calculation does not use them.
    for (const ExtrasOffset& o : x.Offsets) {
        if (o.Station > m.NumStations)
            problem(o.Line, "there is no station " + std::to_string(o.Station));
        else
            m.StationOffset[o.Station] = o.Offset;
    }
    for (const ExtrasOffset& o : x.MagOffsets) {
        if (o.Station > m.Mag.Num)
            problem(o.Line, "there is no magnetic station " + std::to_string(o.Station));
        else
            m.Mag.Offset[o.Station] = o.Offset;
    }
    applyGradientStations(m, x, problems);

    // Hidden last: one body always stays in the total, as the hide command keeps it.
    for (const ExtrasHidden& h : x.Hidden) {
        if (!isBody(h.Body)) {
            problem(h.Line, noBody(h.Body));
            continue;
        }
        int visible = 0;
        for (int b = 1; b <= m.NumBodies; ++b)
            visible += !m.Bodies[b].Hidden;
        if (!m.Bodies[h.Body].Hidden && visible < 2) {
            problem(h.Line, "one body stays shown");
            continue;
        }
        m.setHidden(h.Body, true);
    }
}

}  // namespace corvane
