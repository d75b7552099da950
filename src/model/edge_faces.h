#pragma once
// The face integrals of one polygon edge extruded along strike, shared by the
// magnetic and the gradient reference engines: over the face the edge sweeps
// from -y1 to y2, the integrals of t, q and y over rho^3 (t along the edge,
// q across it, rho the distance from the station). Both fields are sums of
// these three, weighted by the edge's direction.
#include "gravity.h"
#include "model.h"

#include <cmath>

namespace corvane::edge_faces {

inline double floorRadius(double r) { return r < RadiusFloor ? RadiusFloor : r; }

// ln((t2 + Rb) / (t1 + Ra)), Ra and Rb the distances of the edge's ends
// at strike offset y, qq + yy = Ra^2 - t1^2 = Rb^2 - t2^2. Where t is
// negative, t + R is taken as (R^2 - t^2) / (R - t), which does not cancel;
// with both ends negative the common factor goes, so a station on the
// backward extension of an edge at strike offset 0 gets the limit.
inline double edgeLog(double t1, double t2, double Ra, double Rb, double qq, double yy)
{
    if (t1 < 0 && t2 < 0)
        return safeLogRatio(Ra - t1, Rb - t2);
    const double a1 = t1 >= 0 ? t1 + Ra : (qq + yy) / (Ra - t1);
    const double a2 = t2 >= 0 ? t2 + Rb : (qq + yy) / (Rb - t2);
    return safeLogRatio(a2, a1);
}

// One edge's face: its direction u = (c, s) in (x, z), outward normal
// n = (s, -c) for corners clockwise on the screen, and the integrals.
struct Face {
    double c = 0, s = 0;
    double It = 0, Iq = 0, Iy = 0;
};

// Calls visit(face) for every edge of non-zero length of the body, seen from
// the station at position S and height H.
template <class Visit>
void forEachFace(const Tbody& body, double S, double H, Visit&& visit)
{
    const double y[2] = {body.StrikeLength1, body.StrikeLength2};
    const int n = body.NumCorners;
    if (n < 1)
        return;
    double x1 = body.CornerX[1] - S;
    double z1 = body.CornerZ[1] + H;
    for (int k = 1; k <= n; ++k) {
        const int next = k == n ? 1 : k + 1;
        const double x2 = body.CornerX[next] - S;
        const double z2 = body.CornerZ[next] + H;
        const double dx = x2 - x1, dz = z2 - z1;
        const double L = std::sqrt(dx * dx + dz * dz);
        if (L > 0) {
            Face f;
            f.c = dx / L;
            f.s = dz / L;
            const double t1 = f.c * x1 + f.s * z1;
            const double t2 = f.c * x2 + f.s * z2;
            const double q = f.s * x1 - f.c * z1;
            const double ra = floorRadius(std::sqrt(x1 * x1 + z1 * z1));
            const double rb = floorRadius(std::sqrt(x2 * x2 + z2 * z2));
            double e[2];
            for (int j = 0; j < 2; ++j) {
                const double Ra = std::sqrt(ra * ra + y[j] * y[j]);
                const double Rb = std::sqrt(rb * rb + y[j] * y[j]);
                // t / rho^3: -(lambda(b) - lambda(a)), lambda =
                // ln((y1 + R1)(y2 + R2) / r^2), one side at a time.
                f.It -= safeLogRatio(y[j] + Rb, rb) - safeLogRatio(y[j] + Ra, ra);
                // q / rho^3: the solid-angle term.
                if (q != 0)
                    f.Iq += std::atan(t2 * y[j] / (q * Rb)) - std::atan(t1 * y[j] / (q * Ra));
                e[j] = edgeLog(t1, t2, Ra, Rb, q * q, y[j] * y[j]);
            }
            // y / rho^3 (0 for equal strike lengths).
            f.Iy = -(e[0] - e[1]);
            visit(f);
        }
        x1 = x2;
        z1 = z2;
    }
}

}  // namespace corvane::edge_faces
