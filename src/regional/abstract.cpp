#include "regional/abstract.h"

#include "model/text.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace corvane {

namespace {

double span(const Model& m)
{
    return m.StationX[m.NumStations] - m.StationX[1];
}

int roundedFraction(const AbstractPlot& p, double f)
{
    return static_cast<int>(roundHalfEven((p.width - 8) * f));
}

}  // namespace

double cutValueAt(const Model& m, const AbstractPlot& p, int column)
{
    // One mapping for the opening lines, the clicked lines and the plotted
    // data, so that a line's value is the position drawn under it.
    const double w = p.dataWidth() > 0 ? p.dataWidth() : 1.0;
    return m.StationX[1] + span(m) * (column - AbstractPlot::DataLeft) / w;
}

void resetCutLines(AbstractState& s, const Model& m, const AbstractPlot& p)
{
    s.LeftColumn = p.width / 3;
    s.RightColumn = p.width * 2 / 3;
    s.LeftCut = cutValueAt(m, p, s.LeftColumn);
    s.RightCut = cutValueAt(m, p, s.RightColumn);
}

bool pressMovesLine(const AbstractPlot& p, int x, int y)
{
    return x >= AbstractPlot::DataLeft && y <= p.bottom();
}

int placeLeftLine(AbstractState& s, const Model& m, const AbstractPlot& p, int x)
{
    x = std::min(x, roundedFraction(p, 0.75));
    if (x > s.RightColumn)
        x = s.RightColumn / 2;
    s.LeftColumn = x;
    s.LeftCut = cutValueAt(m, p, x);
    return x;
}

int placeRightLine(AbstractState& s, const Model& m, const AbstractPlot& p, int x)
{
    x = std::max(x, roundedFraction(p, 0.25));
    if (x <= s.LeftColumn)
        x = roundedFraction(p, 0.75);
    s.RightColumn = x;
    s.RightCut = cutValueAt(m, p, x);
    return x;
}

std::string openingLeftLabel(double v) { return "Left = " + fixed(v, 10, 1); }
std::string openingRightLabel(double v) { return "Right = " + fixed(v, 10, 1); }
std::string leftLabel(double v) { return "Left= " + fixed(v, 7, 1); }
std::string rightLabel(double v) { return "Right= " + fixed(v, 7, 1); }

KeptRange keptStations(const Model& m, double leftCut, double rightCut)
{
    const int n = m.NumStations;
    KeptRange r{1, n};
    if (n < 1)
        return r;

    // First station right of the left line; keep the one before it. With no
    // station right of the line the whole profile is kept.
    int i = 1;
    while (!(m.StationX[i] > leftCut) && i < n)
        ++i;
    r.first = m.StationX[i] > leftCut ? std::max(i - 1, 1) : 1;

    // Last station left of the right line; keep the one after it.
    int j = n;
    while (!(m.StationX[j] < rightCut) && j > 1)
        --j;
    r.last = m.StationX[j] < rightCut ? std::min(j + 1, n) : n;

    if (r.first > r.last)
        std::swap(r.first, r.last);
    return r;
}

void cutProfile(Model& m, Display& d, double leftCut, double rightCut)
{
    const KeptRange r = keptStations(m, leftCut, rightCut);
    const int kept = r.last - r.first + 1;
    for (int k = 1; k <= kept; ++k) {
        const int from = r.first + k - 1;
        m.StationX[k] = m.StationX[from];
        m.ObservedGravity[k] = m.ObservedGravity[from];
        m.CalculatedGravity[k] = m.CalculatedGravity[from];
        m.StationHeight[k] = m.StationHeight[from];
        m.StationOffset[k] = m.StationOffset[from];
    }
    for (int k = kept + 1; k <= MaxStations; ++k)
        m.StationHeight[k] = m.StationOffset[k] = 0;   // nothing left behind for stations to come
    m.NumStations = kept;
    d.ViewXMin = m.StationX[1];
    d.ViewXMax = m.StationX[m.NumStations];
    // The bodies' own anomalies must follow the renumbered stations, or the
    // total would no longer be their sum.
    m.RecalculateModel();
}

int plotColumn(const Model& m, const AbstractPlot& p, double x)
{
    const double s = span(m) != 0 ? span(m) : 1.0;
    return AbstractPlot::DataLeft
           + static_cast<int>(roundHalfEven((x - m.StationX[1]) * p.dataWidth() / s));
}

int plotRow(const AbstractPlot& p, double g, double minY, double maxY)
{
    // Equal values have no vertical range: they are drawn along the middle.
    const int b = p.bottom();
    if (!(maxY > minY))
        return (b + AbstractPlot::FrameTop) / 2;
    return b - static_cast<int>(roundHalfEven((g - minY) * (b - AbstractPlot::FrameTop) / (maxY - minY)));
}

}  // namespace corvane
