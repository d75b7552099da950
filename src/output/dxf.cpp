#include "output/dxf.h"

#include "display/colour.h"
#include "display/ground_line.h"
#include "display/paint.h"
#include "io/hpgl.h"
#include "io/safe_file.h"
#include "model/gradient.h"
#include "model/magnetic_data.h"
#include "model/text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace corvane {

std::string dxfReal(double x)
{
    if (x == 0 || std::isnan(x))
        x = 0;   // no "-0", and nothing a reader would choke on
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14E", x);   // e.g. 3.75000000000000E+01
    std::string s(buf);
    const auto e = s.find('E');
    if (e == std::string::npos)   // infinity: kept recognisable, never written by the plots
        return s;
    const char sign = s[e + 1];
    const int exponent = std::atoi(s.c_str() + e + 2);
    char exp[16];
    std::snprintf(exp, sizeof exp, "%c%04d", sign, exponent);
    std::string mantissa = s.substr(0, e);
    if (mantissa[0] != '-')
        mantissa.insert(0, 1, ' ');
    return mantissa + "E" + exp;
}

namespace {

// A layer of the drawing: its name and the colour the window draws its
// entities in.
struct Layer {
    std::string name;
    QColor colour;
};

// The AutoCAD colour index nearest to c among the standard colours 1 to 9.
// Black and white both become 7, the colour that shows against the
// background, whichever that is.
int nearestAci(const QColor& c)
{
    struct Entry {
        int aci, r, g, b;
    };
    static constexpr Entry palette[] = {{1, 255, 0, 0},   {2, 255, 255, 0}, {3, 0, 255, 0},
                                        {4, 0, 255, 255}, {5, 0, 0, 255},   {6, 255, 0, 255},
                                        {7, 0, 0, 0},     {7, 255, 255, 255}, {8, 128, 128, 128},
                                        {9, 192, 192, 192}};
    int best = 7;
    long bestDistance = -1;
    for (const Entry& e : palette) {
        const long dr = c.red() - e.r, dg = c.green() - e.g, db = c.blue() - e.b;
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = e.aci;
        }
    }
    return best;
}

bool blackOrWhite(const QColor& c)
{
    const QRgb rgb = c.rgb() & 0xffffff;
    return rgb == 0 || rgb == 0xffffff;
}

class DxfWriter {
public:
    void group(const char* code, const std::string& value)
    {
        out_ += code;
        out_ += "\r\n";
        out_ += value;
        out_ += "\r\n";
    }

    // The table of the drawing's layers, each with its colour as an index
    // for every reader and as true colour (group 420) for those that read it.
    void layers(const std::vector<Layer>& all)
    {
        group("0", "SECTION");
        group("2", "TABLES");
        group("0", "TABLE");
        group("2", "LTYPE");
        group("70", "1");
        group("0", "LTYPE");
        group("2", "CONTINUOUS");
        group("70", "0");
        group("3", "Solid line");
        group("72", "65");
        group("73", "0");
        group("40", "0.0");
        group("0", "ENDTAB");
        group("0", "TABLE");
        group("2", "LAYER");
        group("70", std::to_string(all.size()));
        for (const Layer& layer : all) {
            group("0", "LAYER");
            group("2", layer.name);
            group("70", "0");
            group("62", std::to_string(nearestAci(layer.colour)));
            group("6", "CONTINUOUS");
            if (!blackOrWhite(layer.colour))
                group("420", std::to_string(layer.colour.rgb() & 0xffffff));
        }
        group("0", "ENDTAB");
        group("0", "ENDSEC");
    }

    void line(const std::string& layer, const std::string& x1, const std::string& y1,
              const std::string& x2, const std::string& y2)
    {
        group("0", "LINE");
        group("8", layer);
        group("10", x1);
        group("20", y1);
        group("30", "0.0");
        group("11", x2);
        group("21", y2);
        group("31", "0.0");
    }
    void line(const std::string& layer, double x1, double y1, double x2, double y2)
    {
        line(layer, dxfReal(x1), dxfReal(y1), dxfReal(x2), dxfReal(y2));
    }

    void text(const std::string& layer, const std::string& x, const std::string& y,
              const std::string& text)
    {
        group("0", "TEXT");
        group("8", layer);
        group("10", x);
        group("20", y);
        group("30", "0.0");
        group("40", "1.0");
        group("1", text);
    }

    void point(const std::string& layer, double x, double y)
    {
        group("0", "POINT");
        group("8", layer);
        group("10", dxfReal(x));
        group("20", dxfReal(y));
        group("30", "0.0");
    }

    // A text centred on (x, y), both ways.
    void centredText(const std::string& layer, double x, double y, const std::string& text)
    {
        this->text(layer, dxfReal(x), dxfReal(y), text);
        group("72", "1");
        group("73", "2");
        group("11", dxfReal(x));
        group("21", dxfReal(y));
        group("31", "0.0");
    }

    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

std::string tickPos(double v)
{
    return fixed(v, 10, 3);
}

const std::string Axes = "AXES";
const std::string Labels = "LABELS";
const std::string Calculated = "CALCULATED";
const std::string Observed = "OBSERVED";
const std::string Boreholes = "BOREHOLES";
const std::string MagCalculated = "MAGNETIC_CALCULATED";
const std::string MagObserved = "MAGNETIC_OBSERVED";
const std::string GroundLayer = "GROUND";
const std::string AirborneLayer = "AIRBORNE";

std::string bodyLayer(int b)
{
    return "BODY_" + std::to_string(b);
}

// The colour each body has in the window: its fill, or black where the fill
// is white (no fill, or a hidden body), so that its outline shows.
QColor bodyLayerColour(const Model& m, const Display& d, int b)
{
    const int nb = std::clamp(m.NumBodies, 0, MaxBodies);
    double low = 1e8, high = -1e8;
    if (d.ColourScheme > 2)
        for (int k = 1; k <= nb; ++k) {
            low = std::min(low, m.Bodies[k].Density);
            high = std::max(high, m.Bodies[k].Density);
        }
    const QColor fill = m.Bodies[b].Hidden ? QColor(Qt::white)
                                           : bodyColour(d.ColourScheme, m.Bodies[b].Density, low, high);
    return (fill.rgb() & 0xffffff) == 0xffffff ? QColor(Qt::black) : fill;
}

std::string gradientLayer(int k)
{
    std::string name = std::string("GRADIENT_") + ComponentNames[static_cast<std::size_t>(k)];
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    return name;
}

// The gradient panel from base up to top, as the HP-GL plot draws it: each
// component shown on its layer, the calculated values as lines, the observed
// ones as small squares; ticks of the panel's round axis on the left edge, its
// ends labelled on the right, and a legend of the layers on the left.
void gradientPanel(DxfWriter& dxf, const Model& m, const PlotFrame& f, double top, double base,
                   const TensorFlags& shown)
{
    const GradientAxis a = gradientAxis(m, std::min(f.x1, f.x1 + f.R), std::max(f.x1, f.x1 + f.R), shown);
    const GradientStations& g = m.Grad;
    auto px = [&](int i) { return (g.X[i] - f.x1) * 100 / f.R; };
    auto py = [&](double v) { return base + (v - a.lo) * (top - base) / (a.hi - a.lo); };
    auto onPlot = [&](int i) { return px(i) >= 0 && px(i) <= 100; };
    const std::string right = dxfReal(100);
    dxf.line(Axes, "0.0", dxfReal(base), right, dxfReal(base));
    if (a.lo < 0 && a.hi > 0)
        dxf.line(Axes, "0.0", dxfReal(py(0)), right, dxfReal(py(0)));
    const long long ticks = std::min<long long>(std::llround((a.hi - a.lo) / a.step), 1000);
    for (long long j = 0; j <= ticks; ++j) {
        const double y = py(a.lo + static_cast<double>(j) * a.step);
        dxf.line(Axes, tickPos(0), tickPos(y), tickPos(1.0), tickPos(y));
    }
    const int decimals = labelDecimals(a.step);
    dxf.text(Labels, "90.0", dxfReal(top - 1.25), fixed(a.hi, 7, decimals) + " E");
    dxf.text(Labels, "90.0", dxfReal(base + 0.5), fixed(a.lo, 7, decimals) + " E");

    std::vector<GravityTensor> seen(static_cast<std::size_t>(std::max(0, a.last - a.first + 1)));
    std::vector<TensorFlags> has(seen.size());
    for (std::size_t j = 0; j < seen.size(); ++j)
        observedInProfileFrame(m, a.first + static_cast<int>(j), seen[j], has[j]);
    double legendX = 6;
    for (int k = 0; k < TensorComponents; ++k) {
        if (!shown[static_cast<std::size_t>(k)])
            continue;
        const std::string layer = gradientLayer(k);
        for (int i = a.first; i < a.last; ++i)
            if (onPlot(i) && onPlot(i + 1))
                dxf.line(layer, px(i), py(g.Calculated[i][k]), px(i + 1), py(g.Calculated[i + 1][k]));
        for (std::size_t j = 0; j < seen.size(); ++j) {
            const int i = a.first + static_cast<int>(j);
            if (!has[j][static_cast<std::size_t>(k)] || !onPlot(i))
                continue;
            const double x0 = px(i) - 0.3, x1 = px(i) + 0.3, y0 = py(seen[j][k]) - 0.3, y1 = py(seen[j][k]) + 0.3;
            dxf.line(layer, x0, y0, x1, y0);
            dxf.line(layer, x1, y0, x1, y1);
            dxf.line(layer, x1, y1, x0, y1);
            dxf.line(layer, x0, y1, x0, y0);
        }
        dxf.line(layer, legendX, top - 1.75, legendX + 3, top - 1.75);
        dxf.text(layer, dxfReal(legendX + 3.6), dxfReal(top - 2.25), std::string("T") + ComponentNames[static_cast<std::size_t>(k)]);
        legendX += 9;
    }
}

}  // namespace

std::string pointLayer(int n)
{
    return "POINTS_" + std::to_string(n);
}

std::vector<std::pair<std::string, QColor>> dxfLayers(const Model& m, const Display& d, const Overlays* overlays)
{
    std::vector<std::pair<std::string, QColor>> out;
    out.emplace_back(Axes, Qt::black);
    out.emplace_back(Labels, Qt::black);
    out.emplace_back(Calculated, toQColor(d.CalcCurveColour));
    if (m.HaveObserved)
        out.emplace_back(Observed, toQColor(d.ObsCurveColour));
    for (int b = 1; b <= std::clamp(m.NumBodies, 0, MaxBodies); ++b)
        out.emplace_back(bodyLayer(b), bodyLayerColour(m, d, b));
    if (std::clamp(m.NumHoles, 0, MaxHoles) >= 1)
        out.emplace_back(Boreholes, Qt::black);
    if (m.Mag.Num > 0) {
        out.emplace_back(MagCalculated, toQColor(d.CalcCurveColour));
        if (haveObservedMagnetic(m))
            out.emplace_back(MagObserved, toQColor(d.ObsCurveColour));
    }
    if (gradientPanelShown(m, d)) {
        const TensorFlags shown = gradientComponentsShown(m, d.GradientComponents);
        for (int k = 0; k < TensorComponents; ++k)
            if (shown[static_cast<std::size_t>(k)])
                out.emplace_back(gradientLayer(k), toQColor(gradientColour(k)));
    }
    if (!groundPoints(m).empty())
        out.emplace_back(GroundLayer, GroundColour);
    if (!airborneRuns(m).empty())
        out.emplace_back(AirborneLayer, AirborneColour);
    if (overlays)
        for (std::size_t i = 0; i < overlays->pointSets.size(); ++i)
            if (!overlays->pointSets[i].hidden)
                out.emplace_back(pointLayer(static_cast<int>(i) + 1),
                                 QColor::fromRgb(static_cast<QRgb>(overlays->pointSets[i].colour)));
    return out;
}

Result<std::string> dxfBytes(Workspace& ws, const std::optional<GravityAxis>& givenAxis)
{
    const GravityAxis axis = plotAxisOf(ws.display, givenAxis);
    const Model& m = ws.model;
    Display d = ws.display;
    d.GravityMin = axis.min;
    d.GravityMax = axis.max;
    const auto setup = setUpPlot(m, d, 100, 37.5);
    if (!setup)
        return fail(setup.message());

    PlotFrame f = setup->f;
    const CurvePanels& panels = setup->panels;
    const double gravityTop = setup->gravityTop;
    const int ns = std::clamp(m.NumStations, 1, MaxStations);
    const int nb = std::clamp(m.NumBodies, 0, MaxBodies);
    const int nh = std::clamp(m.NumHoles, 0, MaxHoles);
    const std::string right = dxfReal(100);

    DxfWriter dxf;
    std::vector<Layer> layers;
    for (auto& [name, colour] : dxfLayers(m, d, &ws.overlays))
        layers.push_back({name, colour});
    dxf.layers(layers);
    dxf.group("0", "SECTION");
    dxf.group("2", "ENTITIES");

    dxf.line(Axes, "0.0", "0.0", right, "0.0");
    dxf.line(Axes, right, "0.0", right, "75.0");
    dxf.line(Axes, right, "75.0", "0.0", "75.0");
    dxf.line(Axes, "0.0", "75.0", "0.0", "0.0");
    dxf.line(Axes, "0.0", "37.5", right, "37.5");

    auto sectionX = [&](double x) { return (x - f.x1) * 100 / f.R; };
    auto sectionY = [&](double z) { return 37.5 - (z - d.ViewDepthMin) * 37.5 / f.D; };
    for (int b = 1; b <= nb; ++b) {
        const Tbody& body = m.Bodies[b];
        const int nc = std::clamp(body.NumCorners, 1, MaxCorners);
        const std::string layer = bodyLayer(b);
        double cx = 0, cz = 0;
        for (int k = 1; k < nc; ++k) {
            dxf.line(layer, sectionX(body.CornerX[k]), sectionY(body.CornerZ[k]),
                     sectionX(body.CornerX[k + 1]), sectionY(body.CornerZ[k + 1]));
            cx += body.CornerX[k];
            cz += body.CornerZ[k];
        }
        // Its label at the mean of its corners, as the window labels it: the
        // density, or the body's number where the window shows numbers only.
        if (nc > 1) {
            std::string label = fixed(body.Density, 6, 5).substr(0, 6);
            if (!d.ShowDensities && d.ShowBodyNumbers)
                label = integer(b);
            dxf.centredText(layer, sectionX(cx / (nc - 1)), sectionY(cz / (nc - 1)), label);
        }
    }

    auto curveY = [&](double g) { return f.y0 + (g - f.gBase) * f.sg; };
    auto curve = [&](const std::string& layer, const Array1<double, MaxStations>& g) {
        for (int i = 1; i < ns; ++i)
            dxf.line(layer, sectionX(m.StationX[i]), curveY(g[i]), sectionX(m.StationX[i + 1]),
                     curveY(g[i + 1]));
    };
    curve(Calculated, m.CalculatedGravity);
    if (m.HaveObserved)
        curve(Observed, m.ObservedGravity);

    // The distance axis: its name above, ticks across it, values below.
    dxf.text(Labels, "48.0", dxfReal(f.y0 + 1.0), "Distance");
    const double dir = f.R < 0 ? -1.0 : 1.0;
    for (int j = 1; j <= f.count; ++j) {
        const double xt = j * f.step * std::fabs(f.sx);
        dxf.line(Axes, tickPos(xt), tickPos(f.y0 - 0.5), tickPos(xt), tickPos(f.y0 + 0.5));
        dxf.text(Labels, dxfReal(xt - 6.0), dxfReal(f.y0 - 2.0), fixed(f.x1 + dir * j * f.step, 7, 1));
    }

    // The gravity values: the top, half-way up from the base level, the bottom.
    dxf.text(Labels, "2.0", dxfReal(gravityTop - 1.25), fixed(d.GravityMax, 6, 3));
    const double half = f.gBase + (d.GravityMax - f.gBase) * 0.5;
    const double yh = f.y0 + (d.GravityMax - f.gBase) * f.sg * 0.5;
    dxf.text(Labels, "1.0", dxfReal(yh - 0.5), fixed(half, 6, 3));
    if (d.GravityMin != 0)
        dxf.text(Labels, "2.0", dxfReal(38.0), fixed(d.GravityMin, 6, 3));
    dxf.text(Labels, "2.0", dxfReal(gravityTop - 7.0), "mG");
    dxf.text(Labels, "1.0", "2.0", m.UnitsKm ? "Km." : "m.");

    const double t = f.D * 0.25;
    for (int j = 1; j <= 3; ++j) {
        const double yj = 37.5 - j * 9.375;
        dxf.line(Axes, tickPos(0), tickPos(yj), tickPos(1.0), tickPos(yj));
        dxf.text(Labels, "2.0", dxfReal(yj - 0.5), fixed(d.ViewDepthMin + j * t, 7, 1));
    }

    // The boreholes: each one's path, its name at its top, and a tick with
    // the text of each labelled row.
    for (int h = 1; h <= nh; ++h) {
        const THole& hole = m.Holes[h];
        const int nd = std::clamp(hole.NumDepths, 0, MaxHoleDepths);
        if (nd < 1)
            continue;
        for (int k = 1; k < nd; ++k)
            dxf.line(Boreholes, sectionX(hole.HoleX[k]), sectionY(hole.HoleDepth[k]),
                     sectionX(hole.HoleX[k + 1]), sectionY(hole.HoleDepth[k + 1]));
        const double topX = sectionX(hole.HoleX[1]), topY = sectionY(hole.HoleDepth[1]);
        dxf.text(Boreholes, dxfReal(topX + 0.5), dxfReal(topY + 0.5), hole.Name);
        for (int k = 1; k <= std::clamp(hole.NumLabels, 0, MaxHoleLabels); ++k) {
            const int row = hole.LabelRow[k];
            if (row < 1 || row > nd)
                continue;
            const double x = sectionX(hole.HoleX[row]), y = sectionY(hole.HoleDepth[row]);
            dxf.line(Boreholes, x - 0.5, y, x + 0.5, y);
            dxf.text(Boreholes, dxfReal(x + 0.7), dxfReal(y - 0.5), hole.Label[k]);
        }
    }

    // The magnetic curves on a layer of their own, over the upper panel at
    // a scale of their own; stations off the gravity profile are left out.
    if (m.Mag.Num > 0) {
        const ValueRange r = magneticValueRange(m);
        const MagneticStations& mag = m.Mag;
        // In a panel of their own above the gravity curves where the window
        // shows them so; otherwise over the gravity curves' panel.
        const bool own = panels.magnetic >= 0;
        const double top = own ? setup->edge(panels.magnetic) : gravityTop;
        const double base = own ? setup->edge(panels.magnetic + 1) : 37.5;
        if (own)
            dxf.line(Axes, "0.0", dxfReal(base), right, dxfReal(base));
        auto magY = [&](double v) { return base + (v - r.lo) * (top - base) / (r.hi - r.lo); };
        auto onPlot = [&](int i) { return sectionX(mag.X[i]) >= 0 && sectionX(mag.X[i]) <= 100; };
        for (int i = 1; i < mag.Num; ++i) {
            if (!onPlot(i) || !onPlot(i + 1))
                continue;
            dxf.line(MagCalculated, sectionX(mag.X[i]), magY(mag.Calculated[i]), sectionX(mag.X[i + 1]),
                    magY(mag.Calculated[i + 1]));
            if (mag.HasObserved[i] && mag.HasObserved[i + 1])
                dxf.line(MagObserved, sectionX(mag.X[i]), magY(mag.Observed[i]), sectionX(mag.X[i + 1]),
                        magY(mag.Observed[i + 1]));
        }
        dxf.text(Labels, "90.0", dxfReal(top - 1.25), fixed(r.hi, 7, 1) + " nT");
        dxf.text(Labels, "90.0", dxfReal(base + 0.5), fixed(r.lo, 7, 1) + " nT");
    }

    if (panels.gradient >= 0)
        gradientPanel(dxf, m, f, setup->edge(panels.gradient), setup->edge(panels.gradient + 1),
                      gradientComponentsShown(m, d.GradientComponents));

    // The ground line and the airborne line, each on its layer, held to the
    // section's half.
    auto sectionLine = [&](const std::string& layer, const std::vector<SectionPoint>& line) {
        for (const auto& piece : sectionLinePieces(line, f, d.ViewDepthMin, 100, 37.5))
            for (std::size_t k = 1; k < piece.size(); ++k)
                dxf.line(layer, piece[k - 1].x, piece[k - 1].y, piece[k].x, piece[k].y);
    };
    sectionLine(GroundLayer, groundPoints(m));
    for (const auto& run : airborneRuns(m))
        sectionLine(AirborneLayer, run);

    // The point data sets shown, each on its own layer: the points within the
    // section's view, labels beside them; a set drawn as a line (a horizon)
    // as lines, broken where it has no depth.
    for (std::size_t i = 0; i < ws.overlays.pointSets.size(); ++i) {
        const PointSet& set = ws.overlays.pointSets[i];
        if (set.hidden)
            continue;
        const std::string layer = pointLayer(static_cast<int>(i) + 1);
        if (set.joined) {
            std::vector<SectionPoint> run;
            for (const DataPoint& pt : set.points) {
                if (std::isfinite(pt.z))
                    run.push_back({pt.x, pt.z});
                if (!std::isfinite(pt.z) || &pt == &set.points.back()) {
                    sectionLine(layer, run);
                    run.clear();
                }
            }
            continue;
        }
        const double xlo = std::min(f.x1, f.x1 + f.R), xhi = std::max(f.x1, f.x1 + f.R);
        for (const DataPoint& pt : set.points) {
            if (!(pt.x >= xlo && pt.x <= xhi && pt.z >= d.ViewDepthMin && pt.z <= d.ViewDepthMin + f.D))
                continue;
            dxf.point(layer, sectionX(pt.x), sectionY(pt.z));
            if (!pt.label.empty())
                dxf.text(layer, dxfReal(sectionX(pt.x) + 0.7), dxfReal(sectionY(pt.z) - 0.5), pt.label);
        }
    }

    dxf.group("0", "ENDSEC");
    dxf.group("0", "EOF");
    return dxf.take();
}

Status WriteDXF(Workspace& ws, const std::string& fileName, const std::optional<GravityAxis>& axis)
{
    const Result<std::string> bytes = dxfBytes(ws, axis);
    if (!bytes)
        return fail(bytes.message());
    return writeFileSafely(fileName, *bytes);
}

}  // namespace corvane
