#include "display/options.h"
#include "model/ground.h"
#include "model/magnetic_data.h"

#include "model/text.h"

#include <cmath>

namespace corvane {

QString toggleActionName(DisplayToggle t)
{
    switch (t) {
    case DisplayToggle::BodyNumbers: return QStringLiteral("bodynumbers1");
    case DisplayToggle::BodyDensities: return QStringLiteral("BodyDensities1");
    case DisplayToggle::HighlightCorners: return QStringLiteral("Highlightbodycorners1");
    case DisplayToggle::PlanView: return QStringLiteral("PLanview1");
    case DisplayToggle::Difference: return QStringLiteral("differencecurves1");
    case DisplayToggle::Individual: return QStringLiteral("Displayindividual1");
    case DisplayToggle::PlotPoints: return QStringLiteral("Plotpoints1");
    }
    return {};
}

namespace {

template <class D>
auto& flagOf(D& d, DisplayToggle t)
{
    switch (t) {
    case DisplayToggle::BodyNumbers: return d.ShowBodyNumbers;
    case DisplayToggle::BodyDensities: return d.ShowDensities;
    case DisplayToggle::HighlightCorners: return d.HighlightCorners;
    case DisplayToggle::PlanView: return d.PlanView;
    case DisplayToggle::Difference: return d.ShowDifference;
    case DisplayToggle::Individual: return d.ShowIndividual;
    case DisplayToggle::PlotPoints: break;
    }
    return d.PlotPoints;
}

}  // namespace

bool toggleFlag(const Display& d, DisplayToggle t)
{
    return flagOf(d, t);
}

bool applyDisplayToggle(Display& d, const Model& m, DisplayToggle t)
{
    if (t == DisplayToggle::HighlightCorners && !(d.ModelLoaded || d.ModelBegun))
        return false;
    if (t == DisplayToggle::Difference && !m.HaveObserved)
        return false;
    bool& flag = flagOf(d, t);
    flag = !flag;
    if (flag) {
        switch (t) {
        case DisplayToggle::BodyNumbers: d.ShowDensities = false; break;
        case DisplayToggle::BodyDensities: d.ShowBodyNumbers = false; break;
        case DisplayToggle::Difference: d.ShowIndividual = false; break;
        case DisplayToggle::Individual: d.ShowDifference = false; break;
        default: break;
        }
    }
    return true;
}

std::vector<MenuEnable> planViewMenuChanges(const Display& d, const Model& m)
{
    static const char* const editing[] = {
        "Moveabody1", "Turnabody1", "Addacorner1", "Changeacornerwiththemouse1",
        "Deleteacorner1", "Changeacornernumerically1", "Changebodyproperties1",
        "setdisplaysize1", "Highlightbodycorners1", "Zoomin1"};
    static const char* const whileRoom[] = {"Addabody1", "Readinamodelfile1", "KeyinaBody1",
                                            "Copyabody1"};
    static const char* const whileSeveral[] = {"Linkabody1", "UnlinkaBody1", "Deleteabody1",
                                               "Hideabody1"};
    static const char* const withObserved[] = {"Modifytheregionalfield1",
                                               "Abstractpartoftheprofile1"};
    // A magnetic survey alone is inverted too.
    static const char* const inversion[] = {"Invertthemodel1", "bodyinversion",
                                            "cornerinversion"};
    const bool invertible = m.HaveObserved || haveObservedMagnetic(m);
    std::vector<MenuEnable> out;
    auto add = [&out](const char* name, bool enabled) {
        out.push_back({QString::fromLatin1(name), enabled});
    };
    if (d.PlanView) {
        for (const char* n : editing) add(n, false);
        for (const char* n : whileRoom) add(n, false);
        for (const char* n : whileSeveral) add(n, false);
        if (m.HaveObserved)
            for (const char* n : withObserved) add(n, false);
        if (invertible)
            for (const char* n : inversion) add(n, false);
    } else {
        for (const char* n : editing) add(n, true);
        for (const char* n : whileRoom) add(n, m.NumBodies < MaxBodies);
        for (const char* n : whileSeveral) add(n, m.NumBodies > 1);
        if (m.HaveObserved)
            for (const char* n : withObserved) add(n, true);
        if (invertible)
            for (const char* n : inversion) add(n, true);
    }
    return out;
}

DoubleClickZone doubleClickZone(int mx, int my, int clientHeight)
{
    const int mid = (clientHeight - 15) / 2;
    if (my < mid && mx > 40)
        return DoubleClickZone::CurveProperties;
    if (my > mid && mx < 40)
        return DoubleClickZone::DepthAxis;
    if (my < mid && mx < 40)
        return DoubleClickZone::GravityAxis;
    return DoubleClickZone::ModelPanel;
}

void applyDisplayLimits(Display& d, const Model& m, const DisplayLimitsInput& in)
{
    const double first = m.StationX[1];
    const double last = m.StationX[m.NumStations];
    if (in.xMin)
        d.ViewXMin = *in.xMin;
    if (in.xMax)
        d.ViewXMax = *in.xMax;
    if (d.ViewXMin < first)
        d.ViewXMin = first;
    if (d.ViewXMax > last)
        d.ViewXMax = last;
    if (d.ViewXMax <= d.ViewXMin) {
        d.ViewXMin = first;
        d.ViewXMax = last;
    }
    if (in.depthMin)
        d.ViewDepthMin = *in.depthMin;
    if (in.depthMax)
        d.ViewDepthMax = *in.depthMax;
    // Not above the surface: depth 0, or the top that shows the ground line
    // where stations stand off the datum.
    const double top = sectionTop(m, d.ViewDepthMax);
    if (d.ViewDepthMin < top)
        d.ViewDepthMin = top;
    // Equal depths would leave the section without height: treated like a
    // maximum above the minimum.
    if (d.ViewDepthMax <= d.ViewDepthMin)
        d.ViewDepthMax = d.ViewDepthMin + 100;
}

namespace {

// A grid interval of 0 would stop the grid and the snapping (both divide by it).
double gridDefault(double extent)
{
    const double r = static_cast<double>(roundHalfEven(0.1 * extent));
    if (r != 0)
        return r;
    return extent != 0 ? 0.1 * extent : 1.0;
}

}  // namespace

void applyGridOptions(Display& d, const Model& m, const GridInput& in)
{
    if (in.stepX)
        d.GridStepX = *in.stepX;
    if (d.GridStepX == 0)
        d.GridStepX = gridDefault(m.StationX[m.NumStations] - m.StationX[1]);
    if (in.stepZ)
        d.GridStepZ = *in.stepZ;
    if (d.GridStepZ == 0)
        d.GridStepZ = gridDefault(d.ViewDepthMax - d.ViewDepthMin);
    if (in.dotFrequency) {
        const double f = std::fabs(*in.dotFrequency);
        // Compared before rounding so that huge values cannot overflow.
        d.GridDotFrequency = f > 10 ? 10 : static_cast<int>(roundHalfEven(f));
        if (d.GridDotFrequency < 1)
            d.GridDotFrequency = 1;
        if (d.GridDotFrequency > 10)
            d.GridDotFrequency = 10;
    }
    d.DrawGrid = in.drawGrid;
    d.SnapToGrid = in.snapToGrid;
}

void applyFontHeight(Display& d, std::optional<double> height)
{
    if (!height)
        return;
    const double h = *height;
    if (h < 5)
        d.FontHeight = 5;
    else if (h > 20)
        d.FontHeight = 20;
    else
        d.FontHeight = static_cast<int>(roundHalfEven(h));
}

void applyGravityTickStep(Display& d, std::optional<double> step)
{
    if (step)
        d.GravityTickStep = *step;
    if (d.GravityTickStep == 0) {
        d.GravityTickStep = 0.25 * (d.GravityMax - d.GravityMin);
        // A flat or never drawn range gives no usable step.
        if (!(d.GravityTickStep > 0) || !std::isfinite(d.GravityTickStep))
            d.GravityTickStep = 1.0;
    }
}

void applyDepthAxis(Display& d, const DepthAxisInput& in, const Model& m)
{
    if (in.depthMax)
        d.ViewDepthMax = *in.depthMax;
    if (in.depthMin)
        d.ViewDepthMin = *in.depthMin;
    if (in.tickStep)
        d.DepthTickStep = *in.tickStep;
    if (d.ViewDepthMax <= d.ViewDepthMin)
        d.ViewDepthMin = d.ViewDepthMax - 100;
    const double range = d.ViewDepthMax - d.ViewDepthMin;
    // A step of 0 or less would give the depth axis no end of ticks.
    if (d.DepthTickStep > 0.5 * range || d.DepthTickStep <= 0)
        d.DepthTickStep = 0.25 * range;
    const double top = sectionTop(m, d.ViewDepthMax);
    if (d.ViewDepthMin < top)
        d.ViewDepthMin = top;
    // A maximum depth of 0 or above the surface leaves nothing to show once
    // the minimum is held at the surface.
    if (d.ViewDepthMax <= d.ViewDepthMin) {
        d.ViewDepthMax = d.ViewDepthMin + 100;
        d.DepthTickStep = 25;
    }
}

void gravityDecimalsUp(Display& d)
{
    ++d.GravityDecimals;
}

void gravityDecimalsDown(Display& d)
{
    if (d.GravityDecimals > 0)
        --d.GravityDecimals;
}

}  // namespace corvane
