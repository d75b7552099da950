// The grid of dots over the section, every few a bold one.
#include "display/painter.h"

namespace corvane::painting {

void Painter::grid()
{
    const double gx = d_.GridStepX, gz = d_.GridStepZ;
    const int n = numStations();
    if (!(gx > 0) || !(gz > 0) || n < 1)
        return;
    const double x0 = (std::trunc(m_.StationX[1] / gx) + 1) * gx;
    const double xEnd = std::trunc(m_.StationX[n] / gx) * gx;
    const double z0 = (std::trunc(d_.ViewDepthMin / gz) + 1) * gz;
    const double zEnd = std::trunc(d_.ViewDepthMax / gz) * gz;
    const double nx = std::nearbyint((xEnd - x0) / gx) + 1;
    const double nz = std::nearbyint((zEnd - z0) / gz) + 1;
    if (!(nx >= 1) || !(nz >= 1))
        return;
    // Only the dots that can fall inside the view are visited; the dot index
    // still counts from the first grid line so the bold dots stay in place.
    const double iFrom = std::max(1.0, std::floor((d_.ViewXMin - x0) / gx));
    const double iTo = std::min(nx, std::ceil((d_.ViewXMax - x0) / gx) + 2);
    const double jFrom = std::max(1.0, std::floor((d_.ViewDepthMin - z0) / gz));
    const double jTo = std::min(nz, std::ceil((d_.ViewDepthMax - z0) / gz) + 2);
    // A grid finer than the pixels would only paint the panel solid.
    const int panelW = L_.Rx - axisX(), panelH = L_.By - L_.Mid;
    if (iTo - iFrom > 2.0 * panelW || jTo - jFrom > 2.0 * panelH)
        return;
    const int freq = std::max(1, d_.GridDotFrequency);
    for (double i = iFrom; i <= iTo; ++i)
        for (double j = jFrom; j <= jTo; ++j) {
            const QPoint s = section(x0 + (i - 1) * gx, z0 + (j - 1) * gz);
            if (!inPanel(L_, s))
                continue;
            const bool bold = static_cast<long long>(i) % freq == 0 && static_cast<long long>(j) % freq == 0;
            dot(p_, Qt::black, bold ? 3 : 2, s);
        }
}

}  // namespace corvane::painting
