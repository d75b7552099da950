#include "model/body_ops.h"

#include "model/ground.h"
#include "model/text.h"

#include <algorithm>
#include <cmath>

namespace corvane {

int visibleBodyCount(const Model& m)
{
    int count = 0;
    for (int b = 1; b <= m.NumBodies; ++b)
        if (!m.Bodies[b].Hidden)
            ++count;
    return count;
}

HideResult toggleHidden(Model& m, int b)
{
    const bool hide = !m.Bodies[b].Hidden;
    if (hide && visibleBodyCount(m) < 2)
        return HideResult::Refused;
    m.setHidden(b, hide);
    return hide ? HideResult::Hidden : HideResult::Shown;
}

bool removeBody(Workspace& ws, int n)
{
    Model& m = ws.model;
    if (n < 1 || n > m.NumBodies || m.NumBodies <= 1)
        return false;

    Tbody& gone = m.Bodies[n];
    m.removeFromTotals(n);
    for (int k = 1; k <= gone.NumCorners; ++k)
        if (gone.Linked[k])
            m.UnlinkCorner(n, k);
    // A one-sided record (a damaged file) must not end up naming the body
    // that slides into this number.
    for (int b = 1; b <= m.NumBodies; ++b)
        for (int k = 1; k <= m.Bodies[b].NumCorners; ++k)
            if (m.Bodies[b].Linked[k] && m.Bodies[b].LinkBody[k] == n)
                m.Bodies[b].clearLink(k);

    for (int b = n + 1; b <= m.NumBodies; ++b) {
        m.CopyBody(b, b - 1);
        // The inversion bounds belong to the body and move down with it.
        Tbody& to = m.Bodies[b - 1];
        const Tbody& from = m.Bodies[b];
        to.DensMin = from.DensMin;
        to.DensMax = from.DensMax;
        to.XPosMin = from.XPosMin;
        to.XPosMax = from.XPosMax;
        to.DepthMin = from.DepthMin;
        to.DepthMax = from.DepthMax;
        to.AngleMin = from.AngleMin;
        to.AngleMax = from.AngleMax;
        to.SusceptibilityMin = from.SusceptibilityMin;
        to.SusceptibilityMax = from.SusceptibilityMax;
        to.RemanenceMin = from.RemanenceMin;
        to.RemanenceMax = from.RemanenceMax;
        to.DensBoundsTyped = from.DensBoundsTyped;
        to.XPosBoundsTyped = from.XPosBoundsTyped;
        to.DepthBoundsTyped = from.DepthBoundsTyped;
        to.SusceptibilityBoundsTyped = from.SusceptibilityBoundsTyped;
        to.RemanenceBoundsTyped = from.RemanenceBoundsTyped;
    }
    const bool wasLast = n == m.NumBodies;
    m.NumBodies -= 1;
    for (int b = 1; b <= m.NumBodies; ++b)
        for (int k = 1; k <= m.Bodies[b].NumCorners; ++k)
            if (m.Bodies[b].Linked[k] && m.Bodies[b].LinkBody[k] > n)
                m.Bodies[b].LinkBody[k] -= 1;

    int& inversionBody = ws.inversion.InversionBody;
    if (wasLast) {
        m.CurrentBody = n - 1;
        inversionBody = n - 1;
    } else if (inversionBody > n) {
        inversionBody -= 1;   // still the same body under its new number
    }

    if (m.NumBodies == 1) {
        ws.display.ShowIndividual = false;
        if (m.Bodies[1].Hidden) {
            m.Bodies[1].Hidden = false;
            m.CalculateBody(1);
        }
    }
    return true;
}

double defaultStepX(const Model& m)
{
    return static_cast<double>(
        roundHalfEven(std::fabs(m.StationX[m.NumStations] - m.StationX[1]) * 0.05));
}

double defaultStepZ(const Display& d)
{
    return static_cast<double>(roundHalfEven(std::fabs(d.ViewDepthMax - d.ViewDepthMin) * 0.05));
}

int copyBodyTo(Model& m, int src, double dx, double dz)
{
    if (m.NumBodies >= MaxBodies || src < 1 || src > m.NumBodies)
        return 0;
    const int b = m.NumBodies + 1;
    m.NumBodies = b;
    m.CopyBody(src, b);
    Tbody& copy = m.Bodies[b];
    for (int k = 1; k <= copy.NumCorners; ++k)
        copy.clearLink(k);
    m.MoveBody(b, dx, dz);
    m.CalculateBody(b);   // the copy's contribution is not in the total yet
    return b;
}

DepthShift shapeKeepingShift(const Tbody& body, double dz, double floor)
{
    double top = body.CornerZ[1];
    for (int k = 2; k <= body.NumCorners - 1; ++k)
        top = std::min(top, body.CornerZ[k]);
    // The largest lift allowed; none when the top is at the floor already, to
    // within the rounding of the lift that brought it there.
    double highest = std::min(0.0, floor - top);
    if (highest > -1e-12 * std::max(1.0, std::fabs(top)))
        highest = 0;
    if (!(dz < highest))
        return {dz, false};
    return {highest, true};
}

DepthShift shapeKeepingShift(const Model& m, const Tbody& body, double dz, double floor)
{
    const Ground ground(m);
    if (ground.flat())
        return shapeKeepingShift(body, dz, floor);
    double highest = -HUGE_VAL;
    double scale = 1.0;
    for (int k = 1; k <= std::max(body.NumCorners - 1, 1); ++k) {
        highest = std::max(highest, ground.depthAt(body.CornerX[k]) + floor - body.CornerZ[k]);
        scale = std::max(scale, std::fabs(body.CornerZ[k]));
    }
    highest = std::min(0.0, highest);
    if (highest > -1e-12 * scale)
        highest = 0;
    if (!(dz < highest))
        return {dz, false};
    return {highest, true};
}

DepthShift moveCurrentBody(Model& m, double dx, double dz)
{
    if (m.CurrentBody < 1)
        return {};
    // The move's own floor: a corner at or above the surface would be pinned
    // there, and the body's shape lost.
    const DepthShift shift = shapeKeepingShift(m, m.Bodies[m.CurrentBody], dz, MinDepth);
    m.MoveBody(m.CurrentBody, dx, shift.dz);   // recalculates partners and the current body
    return shift;
}

void turnCurrentBody(Model& m, double angle)
{
    if (m.CurrentBody < 1)
        return;
    m.TurnBody(m.CurrentBody, angle);
    m.UpdateBody(m.CurrentBody);
}

void linkCorners(Model& m, int b, int c, int pb, int s)
{
    if (pb == b || pb < 1 || pb > m.NumBodies)
        return;
    m.UnlinkCorner(b, c);
    m.UnlinkCorner(pb, s);
    Tbody& body = m.Bodies[b];
    Tbody& partner = m.Bodies[pb];
    body.Linked[c] = true;
    body.LinkBody[c] = pb;
    body.LinkCorner[c] = s;
    partner.Linked[s] = true;
    partner.LinkBody[s] = b;
    partner.LinkCorner[s] = c;
    body.setCorner(c, partner.CornerX[s], partner.CornerZ[s]);
    m.UpdateBody(b);
}

void changeUnits(Model& m, bool km)
{
    m.UnitsKm = km;
    m.zeroTotals();
    for (int b = 1; b <= m.NumBodies; ++b)
        m.CalculateBody(b);
}

}  // namespace corvane
