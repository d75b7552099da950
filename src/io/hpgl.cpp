#include "io/hpgl.h"

#include "io/safe_file.h"
#include "model/gradient.h"
#include "model/magnetic_data.h"
#include "model/text.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

constexpr char ETX = '\x03';   // label terminator
const std::string W = " 10000.0";   // 10000.0:8:1, the frame width
// The labels on the left edge stand on their ticks, as the bottom one stands
// on the divider, clear of the tick's stroke.
constexpr int LabelAboveTick = 50;

// A plotter coordinate, rounded halves to even. Saturated, so that a corner
// far outside the frame cannot overflow the conversion.
long long plotRound(double v)
{
    if (std::isnan(v))
        return 0;
    return roundHalfEven(std::clamp(v, -1e15, 1e15));
}

std::string plotInt(double v)
{
    return std::to_string(plotRound(v));
}

// A label's text: the number without the blanks that pad it to its field,
// which would push the digits off the point the label is placed at.
std::string labelText(double v, int w, int d)
{
    std::string s = fixed(v, w, d);
    s.erase(0, s.find_first_not_of(' '));
    return s;
}

// Where a distance label starts so that it stands centred under its tick at
// xt, moved inwards where it would cross the frame's side.
double distanceLabelX(double xt, std::size_t chars)
{
    const double width = labelWidth(chars);
    const double margin = 20;
    return std::clamp(xt - width / 2, margin, std::max(margin, 10000 - margin - width));
}

// Clips the segment a-b to the rectangle lo-hi (Liang and Barsky); false
// when nothing of it lies inside.
bool clipSegment(PlotPoint& a, PlotPoint& b, PlotPoint lo, PlotPoint hi)
{
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x - lo.x, hi.x - a.x, a.y - lo.y, hi.y - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return false;
    // Ends inside stay exactly as they were, so that pieces join.
    const PlotPoint start{a.x + t0 * dx, a.y + t0 * dy}, end{a.x + t1 * dx, a.y + t1 * dy};
    if (t0 > 0)
        a = start;
    if (t1 < 1)
        b = end;
    return true;
}

// A section line in plotter units on a pen of its own: each piece from
// where it enters the panel to where it leaves.
void plotLine(std::string& out, const std::vector<std::vector<PlotPoint>>& pieces)
{
    for (const std::vector<PlotPoint>& piece : pieces)
        for (std::size_t k = 0; k < piece.size(); ++k)
            out += (k == 0 ? "PU" : "PD") + plotInt(piece[k].x) + "," + plotInt(piece[k].y);
}

// The gradient panel from base up to top: each component shown on a pen of
// its own (5 for xx to 10 for zz), the calculated values as a line, the
// observed ones as small squares; ticks of the panel's round axis on the left
// edge, its ends labelled on the right, and a legend of the pens on the left.
void plotGradients(std::string& out, const Model& m, const PlotFrame& f, double top, double base,
                   const TensorFlags& shown)
{
    const GradientAxis a = gradientAxis(m, std::min(f.x1, f.x1 + f.R), std::max(f.x1, f.x1 + f.R), shown);
    const GradientStations& g = m.Grad;
    auto px = [&](int i) { return 10000 * (g.X[i] - f.x1) / f.R; };
    auto py = [&](double v) { return base + (v - a.lo) * (top - base) / (a.hi - a.lo); };
    auto onPlot = [&](int i) { return px(i) >= 0 && px(i) <= 10000; };
    out += "PU0," + plotInt(base) + ";PD " + W + "," + plotInt(base);
    if (a.lo < 0 && a.hi > 0)
        out += "PU0," + plotInt(py(0)) + "PD " + W + "," + plotInt(py(0));
    const long long ticks = std::min<long long>(std::llround((a.hi - a.lo) / a.step), 1000);
    for (long long j = 0; j <= ticks; ++j)
        out += "PU0," + plotInt(py(a.lo + static_cast<double>(j) * a.step)) + "YT";
    const int decimals = labelDecimals(a.step);
    out += "PU9000," + plotInt(top - 125) + "LB" + fixed(a.hi, 7, decimals) + " E" + ETX;
    out += "PU9000," + plotInt(base + 50) + "LB" + fixed(a.lo, 7, decimals) + " E" + ETX;

    std::vector<GravityTensor> seen(static_cast<std::size_t>(std::max(0, a.last - a.first + 1)));
    std::vector<TensorFlags> has(seen.size());
    for (std::size_t j = 0; j < seen.size(); ++j)
        observedInProfileFrame(m, a.first + static_cast<int>(j), seen[j], has[j]);
    double legendX = 600;
    for (int k = 0; k < TensorComponents; ++k) {
        if (!shown[static_cast<std::size_t>(k)])
            continue;
        out += "SP" + std::to_string(5 + k) + ";";
        bool down = false;
        for (int i = a.first; i <= a.last; ++i) {
            if (!onPlot(i)) {
                down = false;
                continue;
            }
            out += (down ? "PD" : "PU") + plotInt(px(i)) + "," + plotInt(py(g.Calculated[i][k]));
            down = true;
        }
        for (std::size_t j = 0; j < seen.size(); ++j) {
            const int i = a.first + static_cast<int>(j);
            if (!has[j][static_cast<std::size_t>(k)] || !onPlot(i))
                continue;
            const std::string x0 = plotInt(px(i) - 30), x1 = plotInt(px(i) + 30);
            const std::string y0 = plotInt(py(seen[j][k]) - 30), y1 = plotInt(py(seen[j][k]) + 30);
            out += "PU" + x0 + "," + y0 + "PD" + x1 + "," + y0 + "," + x1 + "," + y1 + "," + x0 + "," + y1 + ","
                   + x0 + "," + y0;
        }
        const std::string name = std::string("T") + ComponentNames[static_cast<std::size_t>(k)];
        out += "PU" + plotInt(legendX) + "," + plotInt(top - 175) + "PD" + plotInt(legendX + 300) + ","
               + plotInt(top - 175);
        out += "PU" + plotInt(legendX + 360) + "," + plotInt(top - 225) + "LB" + name + ETX;
        legendX += 360 + labelWidth(name.size()) + 200;
    }
    out += "SP1;";
}

}  // namespace

std::vector<std::vector<PlotPoint>> sectionLinePieces(const std::vector<SectionPoint>& line, const PlotFrame& f,
                                                      double viewDepthMin, double width, double half)
{
    std::vector<std::vector<PlotPoint>> pieces;
    auto map = [&](const SectionPoint& s) { return PlotPoint{(s.x - f.x1) * f.sx, half - (s.z - viewDepthMin) * f.sz}; };
    const PlotPoint lo{0, 0}, hi{width, half};
    bool joined = false;   // the last piece ends where the next segment starts
    for (std::size_t k = 1; k < line.size(); ++k) {
        PlotPoint a = map(line[k - 1]), b = map(line[k]);
        const PlotPoint bEnd = b;
        if (!std::isfinite(a.x + a.y + b.x + b.y) || !clipSegment(a, b, lo, hi)) {
            joined = false;
            continue;
        }
        if (!joined)
            pieces.push_back({a});
        pieces.back().push_back(b);
        joined = b.x == bEnd.x && b.y == bEnd.y;
    }
    return pieces;
}

bool magneticPanelInPlot(const Model& m, const Display& d)
{
    return d.ShowMagnetic && m.Mag.Num > 0;
}

void shareCurvePanel(PlotFrame& f, const Display& d, double half, double gravityTop)
{
    f.sg = (gravityTop - half) / f.G;
    const bool zeroInRange = d.GravityMin <= 0 && d.GravityMax >= 0;
    f.y0 = d.GravityMin < 0 && zeroInRange ? half - d.GravityMin * f.sg : half;
}

double labelWidth(std::size_t chars)
{
    if (chars == 0)
        return 0;
    return (static_cast<double>(chars) - 1) * 1.5 * HpglCharWidth + HpglCharWidth;
}

void applyPlotGravityRule(Display& d)
{
    if (d.GravityMin > 0 && d.GravityMin < 10)
        d.GravityMin = 0;
}

Status plotProblem(const Model& m, const Display& d)
{
    const int n = std::clamp(m.NumStations, 0, MaxStations);
    const double R = n >= 1 ? m.StationX[n] - m.StationX[1] : 0;
    if (n < 2 || !std::isfinite(R) || R == 0)
        return fail("The profile has no length (it needs at least two stations at different "
                    "positions), so it cannot be plotted.");
    const double D = d.ViewDepthMax - d.ViewDepthMin;
    if (!std::isfinite(D) || !(D > 0))
        return fail("The depth range of the display is zero, so the section cannot be plotted. "
                    "Set a maximum depth greater than the minimum depth.");
    const double G = d.GravityMax - d.GravityMin;
    if (!std::isfinite(G) || !(G > 0))
        return fail("The gravity range is zero, so the curves cannot be plotted.");
    return {};
}

void plotTickStep(double range, double& step, int& count)
{
    step = 0;
    count = 0;
    if (!(range > 0) || !std::isfinite(range))
        return;
    const int e = static_cast<int>(std::trunc(std::log10(range)));
    step = std::pow(10.0, e);
    auto ticks = [&] { return static_cast<int>(std::trunc(range / step)); };
    count = ticks();
    if (count == 2) {
        step *= 0.2;
        count = ticks();
    }
    if (count == 1) {
        step *= 0.1;
        count = ticks();
    }
}

PlotFrame plotFrame(const Model& m, const Display& d, double width, double half)
{
    PlotFrame f;
    const int n = std::clamp(m.NumStations, 1, MaxStations);
    f.x1 = m.StationX[1];
    f.R = m.StationX[n] - f.x1;
    f.D = d.ViewDepthMax - d.ViewDepthMin;
    f.G = d.GravityMax - d.GravityMin;
    f.sx = width / f.R;
    f.sz = half / f.D;
    f.sg = half / f.G;
    const bool zeroInRange = d.GravityMin <= 0 && d.GravityMax >= 0;
    f.gBase = zeroInRange ? 0.0 : d.GravityMin;
    f.y0 = d.GravityMin < 0 && zeroInRange ? half - d.GravityMin * f.sg : half;
    plotTickStep(std::fabs(f.R), f.step, f.count);
    return f;
}

Result<PlotSetup> setUpPlot(const Model& m, Display& d, double width, double half)
{
    applyPlotGravityRule(d);
    if (Status scalable = plotProblem(m, d); !scalable)
        return fail(scalable.message());
    PlotSetup s;
    s.f = plotFrame(m, d, width, half);
    s.panels = curvePanels(magneticPanelInPlot(m, d), gradientPanelShown(m, d));
    s.top = 2 * half;
    s.half = half;
    s.gravityTop = s.edge(s.panels.gravity);
    if (s.panels.count > 1)
        shareCurvePanel(s.f, d, half, s.gravityTop);
    return s;
}

GravityAxis plotAxisOf(Display& d, const std::optional<GravityAxis>& axis)
{
    if (axis)
        return *axis;
    applyPlotGravityRule(d);
    return GravityAxis{1, 0, d.GravityMin, d.GravityMax};
}

Result<std::string> hpglBytes(Workspace& ws, const std::optional<GravityAxis>& givenAxis)
{
    const GravityAxis axis = plotAxisOf(ws.display, givenAxis);
    const Model& m = ws.model;
    Display d = ws.display;
    d.GravityMin = axis.min;
    d.GravityMax = axis.max;
    const auto setup = setUpPlot(m, d, 10000, 3750);
    if (!setup)
        return fail(setup.message());

    PlotFrame f = setup->f;
    const CurvePanels& panels = setup->panels;
    // The top of the gravity curves' panel, and its label's row.
    const auto gravityTop = static_cast<long long>(setup->gravityTop);
    const long long topLabel = gravityTop - 125;
    const int ns = std::clamp(m.NumStations, 1, MaxStations);
    const int nb = std::clamp(m.NumBodies, 0, MaxBodies);
    const std::string y0 = plotInt(f.y0);

    std::string out = "IN;SP1;SC;PA;";
    out += "PU0,0;PD" + W + ",0," + W + ",7500,0,7500,0,0";
    out += "PU0,3750;PD " + W + ",3750";
    if (d.GravityMin != 0)
        out += "PU0," + y0 + "PD " + W + "," + y0 + "\r\n";
    // The character size the labels are placed for and the ticks' scale; a
    // plotter's own defaults depend on its paper.
    out += HpglScalingPoints;
    out += HpglCharSize;

    for (int b = 1; b <= nb; ++b) {
        const Tbody& body = m.Bodies[b];
        const int nc = std::clamp(body.NumCorners, 1, MaxCorners);
        double cx = 0, cz = 0;
        for (int k = 1; k <= nc; ++k) {
            const double x = body.CornerX[k], z = body.CornerZ[k];
            out += k == 1 ? "PU" : "PD";
            out += plotInt((x - f.x1) * f.sx) + ","
                   + std::to_string(3750 - plotRound((z - d.ViewDepthMin) * f.sz));
            if (k < nc) {
                cx += x;
                cz += z;
            }
        }
        if (nc > 1) {
            cx /= nc - 1;
            cz /= nc - 1;
            out += "PU" + fixed((cx - f.x1) * f.sx, 10, 3) + ","
                   + fixed(3750 - (cz - d.ViewDepthMin) * f.sz, 10, 3);
            out += "LB" + std::to_string(b) + ETX;
        }
    }

    auto curve = [&](const Array1<double, MaxStations>& g) {
        for (int i = 1; i <= ns; ++i) {
            out += i == 1 ? "PU" : "PD";
            out += plotInt(10000 * (m.StationX[i] - f.x1) / f.R) + ","
                   + plotInt((g[i] - f.gBase) * f.sg + f.y0);
        }
    };
    curve(m.CalculatedGravity);
    if (m.HaveObserved) {
        out += "LT1";
        curve(m.ObservedGravity);
        out += "LT";
    }

    // Distance ticks along the zero line, counted in the direction of the profile.
    const double dir = f.R < 0 ? -1.0 : 1.0;
    for (int j = 1; j <= f.count; ++j) {
        const double xt = j * f.step * std::fabs(f.sx);
        out += "PU" + fixed(xt, 10, 3) + "," + fixed(f.y0, 10, 3) + "XT";
        const double value = f.x1 + dir * j * f.step;
        const std::string text = labelText(value, 10, std::fabs(f.R) <= 10 ? 2 : 1);
        out += "PU" + fixed(distanceLabelX(xt, text.size()), 10, 3) + "," + fixed(f.y0 - 200, 10, 2);
        out += "LB" + text + ETX;
    }

    // The ticks on the left edge point inwards only, so that nothing is drawn
    // outside the frame.
    out += "TL0.5,0;";

    // Gravity labels: the top, half-way up from the base level, and the bottom.
    out += "PU75," + std::to_string(topLabel) + "\r\n";
    out += "LB" + labelText(d.GravityMax, 5, 1) + ETX;
    const double half = f.gBase + (d.GravityMax - f.gBase) * 0.5;
    const long long yh = plotRound(f.y0 + (d.GravityMax - f.gBase) * f.sg * 0.5);
    // Where the tick is so high that the label on it would reach the top
    // value (or cross the frame), the label hangs below its tick instead.
    long long yhLabel = yh + LabelAboveTick;
    if (yhLabel + HpglCharHeight > topLabel - 25)
        yhLabel = yh - LabelAboveTick - static_cast<long long>(HpglCharHeight);
    out += "PU75," + std::to_string(yhLabel);
    out += "LB" + labelText(half, 5, 1) + ETX;
    out += "PU0," + std::to_string(yh) + "YT";
    if (d.GravityMin != 0) {
        out += "PU75,3800";
        out += "LB" + labelText(d.GravityMin, 5, 1) + ETX;
    }

    const double t = f.D * 0.25;
    for (int j = 1; j <= 3; ++j) {
        const long long yj = roundHalfEven(3750 - j * 937.5);
        out += "PU0," + std::to_string(yj) + "YT";
        out += "PU75," + std::to_string(yj + LabelAboveTick);
        out += "LB" + labelText(d.ViewDepthMin + j * t, 4, 1) + ETX;
    }

    // The magnetic curves on pen 2, over the upper panel at a scale of their
    // own, with their highest and lowest value; stations off the gravity
    // profile are left out.
    if (m.Mag.Num > 0) {
        const ValueRange r = magneticValueRange(m);
        const MagneticStations& mag = m.Mag;
        // In a panel of their own above the gravity curves where the window
        // shows them so; otherwise over the gravity curves' panel.
        const bool own = panels.magnetic >= 0;
        const double top = own ? setup->edge(panels.magnetic) : setup->gravityTop;
        const double base = own ? setup->edge(panels.magnetic + 1) : 3750, span = top - base;
        if (own)
            out += "PU0," + plotInt(base) + ";PD " + W + "," + plotInt(base);
        auto magCurve = [&](auto has, auto value) {
            bool down = false;
            for (int i = 1; i <= mag.Num; ++i) {
                const double px = 10000 * (mag.X[i] - f.x1) / f.R;
                if (!has(i) || !(px >= 0 && px <= 10000)) {
                    down = false;
                    continue;
                }
                out += down ? "PD" : "PU";
                out += plotInt(px) + "," + plotInt(base + (value(i) - r.lo) * span / (r.hi - r.lo));
                down = true;
            }
        };
        out += "SP2;";
        magCurve([](int) { return true; }, [&](int i) { return mag.Calculated[i]; });
        out += "LT1";
        magCurve([&](int i) { return mag.HasObserved[i]; }, [&](int i) { return mag.Observed[i]; });
        out += "LT";
        out += "PU9000," + plotInt(top - 125) + "LB" + fixed(r.hi, 7, 1) + " nT" + ETX;
        out += "PU9000," + plotInt(base + 50) + "LB" + fixed(r.lo, 7, 1) + " nT" + ETX;
        out += "SP1;";
    }

    if (panels.gradient >= 0)
        plotGradients(out, m, f, setup->edge(panels.gradient), setup->edge(panels.gradient + 1),
                      gradientComponentsShown(m, d.GradientComponents));

    // The ground line on pen 3 and the airborne line on pen 4, dashed.
    const auto ground = sectionLinePieces(groundPoints(m), f, d.ViewDepthMin, 10000, 3750);
    std::vector<std::vector<PlotPoint>> airborne;
    for (const auto& run : airborneRuns(m))
        for (auto& piece : sectionLinePieces(run, f, d.ViewDepthMin, 10000, 3750))
            airborne.push_back(std::move(piece));
    if (!ground.empty()) {
        out += "SP3;";
        plotLine(out, ground);
    }
    if (!airborne.empty()) {
        out += "SP4;LT2";
        plotLine(out, airborne);
        out += "LT";
    }
    if (!ground.empty() || !airborne.empty())
        out += "SP1;";
    return out;
}

Status WriteHPGL(Workspace& ws, const std::string& fileName, const std::optional<GravityAxis>& axis)
{
    const Result<std::string> bytes = hpglBytes(ws, axis);
    if (!bytes)
        return fail(bytes.message());
    return writeFileSafely(fileName, *bytes);
}

}  // namespace corvane
