#include "io/dxf.h"

#include "io/hpgl.h"
#include "io/safe_file.h"
#include "model/magnetic_data.h"
#include "model/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

class DxfWriter {
public:
    void group(const char* code, const std::string& value)
    {
        out_ += code;
        out_ += "\r\n";
        out_ += value;
        out_ += "\r\n";
    }

    void line(const std::string& x1, const std::string& y1, const std::string& x2,
              const std::string& y2)
    {
        group("0", "LINE");
        group("8", "0");
        group("10", x1);
        group("20", y1);
        group("30", "0.0");
        group("11", x2);
        group("21", y2);
        group("31", "0.0");
    }
    void line(double x1, double y1, double x2, double y2)
    {
        line(dxfReal(x1), dxfReal(y1), dxfReal(x2), dxfReal(y2));
    }

    void text(const std::string& x, const std::string& y, const std::string& text)
    {
        group("0", "TEXT");
        group("8", "0");
        group("10", x);
        group("20", y);
        group("30", "0.0");
        group("40", "1.0");
        group("1", text);
    }

    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

std::string tickPos(double v)
{
    return fixed(v, 10, 3);
}

}  // namespace

std::string dxfBytes(Workspace& ws, std::string& problem)
{
    const Model& m = ws.model;
    Display& d = ws.display;
    applyPlotGravityRule(d);
    problem = plotProblem(m, d);
    if (!problem.empty())
        return std::string();

    const PlotFrame f = plotFrame(m, d, 100, 37.5);
    const int ns = std::clamp(m.NumStations, 1, MaxStations);
    const int nb = std::clamp(m.NumBodies, 0, MaxBodies);
    const std::string right = dxfReal(100);

    DxfWriter dxf;
    dxf.group("0", "SECTION");
    dxf.group("2", "ENTITIES");

    dxf.line("0.0", "0.0", right, "0.0");
    dxf.line(right, "0.0", right, "75.0");
    dxf.line(right, "75.0", "0.0", "75.0");
    dxf.line("0.0", "75.0", "0.0", "0.0");
    dxf.line("0.0", "37.5", right, "37.5");

    auto sectionX = [&](double x) { return (x - f.x1) * 100 / f.R; };
    auto sectionY = [&](double z) { return 37.5 - (z - d.ViewDepthMin) * 37.5 / f.D; };
    for (int b = 1; b <= nb; ++b) {
        const Tbody& body = m.Bodies[b];
        const int nc = std::clamp(body.NumCorners, 1, MaxCorners);
        for (int k = 1; k < nc; ++k)
            dxf.line(sectionX(body.CornerX[k]), sectionY(body.CornerZ[k]),
                     sectionX(body.CornerX[k + 1]), sectionY(body.CornerZ[k + 1]));
    }

    auto curveY = [&](double g) { return f.y0 + (g - f.gBase) * 37.5 / f.G; };
    auto curve = [&](const Array1<double, MaxStations>& g) {
        for (int i = 1; i < ns; ++i)
            dxf.line(sectionX(m.StationX[i]), curveY(g[i]), sectionX(m.StationX[i + 1]),
                     curveY(g[i + 1]));
    };
    curve(m.CalculatedGravity);
    if (m.HaveObserved)
        curve(m.ObservedGravity);

    // The distance axis: its name above, ticks across it, values below.
    dxf.text("48.0", dxfReal(f.y0 + 1.0), "Distance");
    const double dir = f.R < 0 ? -1.0 : 1.0;
    for (int j = 1; j <= f.count; ++j) {
        const double xt = j * f.step * std::fabs(f.sx);
        dxf.line(tickPos(xt), tickPos(f.y0 - 0.5), tickPos(xt), tickPos(f.y0 + 0.5));
        dxf.text(dxfReal(xt - 6.0), dxfReal(f.y0 - 2.0), fixed(f.x1 + dir * j * f.step, 7, 1));
    }

    // The gravity values: the top, half-way up from the base level, the bottom.
    dxf.text("2.0", dxfReal(73.75), fixed(d.GravityMax, 6, 3));
    const double half = f.gBase + (d.GravityMax - f.gBase) * 0.5;
    const double yh = f.y0 + (d.GravityMax - f.gBase) * (37.5 / f.G) * 0.5;
    dxf.text("1.0", dxfReal(yh - 0.5), fixed(half, 6, 3));
    if (d.GravityMin != 0)
        dxf.text("2.0", dxfReal(38.0), fixed(d.GravityMin, 6, 3));
    dxf.text("2.0", dxfReal(68.0), "mG");
    dxf.text("1.0", "2.0", m.UnitsKm ? "Km." : "m.");

    const double t = f.D * 0.25;
    for (int j = 1; j <= 3; ++j) {
        const double yj = 37.5 - j * 9.375;
        dxf.line(tickPos(0), tickPos(yj), tickPos(1.0), tickPos(yj));
        dxf.text("2.0", dxfReal(yj - 0.5), fixed(d.ViewDepthMin + j * t, 7, 1));
    }

    // The magnetic curves on a layer of their own, over the upper panel at
    // a scale of their own; stations off the gravity profile are left out.
    if (m.Mag.Num > 0) {
        const ValueRange r = magneticValueRange(m);
        const MagneticStations& mag = m.Mag;
        auto magY = [&](double v) { return 37.5 + (v - r.lo) * 37.5 / (r.hi - r.lo); };
        auto onPlot = [&](int i) { return sectionX(mag.X[i]) >= 0 && sectionX(mag.X[i]) <= 100; };
        auto magLine = [&](const char* layer, double x1, double y1, double x2, double y2) {
            dxf.group("0", "LINE");
            dxf.group("8", layer);
            dxf.group("10", dxfReal(x1));
            dxf.group("20", dxfReal(y1));
            dxf.group("30", "0.0");
            dxf.group("11", dxfReal(x2));
            dxf.group("21", dxfReal(y2));
            dxf.group("31", "0.0");
        };
        for (int i = 1; i < mag.Num; ++i) {
            if (!onPlot(i) || !onPlot(i + 1))
                continue;
            magLine("MAGNETIC_CALCULATED", sectionX(mag.X[i]), magY(mag.Calculated[i]), sectionX(mag.X[i + 1]),
                    magY(mag.Calculated[i + 1]));
            if (mag.HasObserved[i] && mag.HasObserved[i + 1])
                magLine("MAGNETIC_OBSERVED", sectionX(mag.X[i]), magY(mag.Observed[i]), sectionX(mag.X[i + 1]),
                        magY(mag.Observed[i + 1]));
        }
        dxf.text("90.0", dxfReal(73.75), fixed(r.hi, 7, 1) + " nT");
        dxf.text("90.0", dxfReal(38.0), fixed(r.lo, 7, 1) + " nT");
    }

    dxf.group("0", "ENDSEC");
    dxf.group("0", "EOF");
    return dxf.take();
}

std::string WriteDXF(Workspace& ws, const std::string& fileName)
{
    std::string problem;
    const std::string bytes = dxfBytes(ws, problem);
    if (!problem.empty())
        return problem;
    return writeFileSafely(fileName, bytes);
}

}  // namespace corvane
