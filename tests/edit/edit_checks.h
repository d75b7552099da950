#pragma once
// Checks shared by the editing tests: the two invariants every edit must keep.
#include "model/gravity.h"
#include "model/model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace corvane::test {

// Every link is symmetric, names a distinct corner of another body in use,
// and both corners share one position; every body is closed. A record on a
// closing copy may only repeat corner 1's.
inline ::testing::AssertionResult linksConsistent(const Model& m)
{
    std::ostringstream err;
    for (int b = 1; b <= m.NumBodies; ++b) {
        const Tbody& body = m.Bodies[b];
        const int n = body.NumCorners;
        if (body.CornerX[n] != body.CornerX[1] || body.CornerZ[n] != body.CornerZ[1])
            err << "body " << b << " is not closed; ";
        if (body.Linked[n] && (body.LinkBody[n] != body.LinkBody[1] ||
                               body.LinkCorner[n] != body.LinkCorner[1] || !body.Linked[1]))
            err << "body " << b << " closing corner has its own link; ";
        for (int k = 1; k <= n - 1; ++k) {
            if (!body.Linked[k])
                continue;
            const int pb = body.LinkBody[k], pk = body.LinkCorner[k];
            if (pb < 1 || pb > m.NumBodies || pb == b) {
                err << "body " << b << " corner " << k << " names body " << pb << "; ";
                continue;
            }
            const Tbody& partner = m.Bodies[pb];
            if (pk < 1 || pk > partner.NumCorners - 1) {
                err << "body " << b << " corner " << k << " names corner " << pk << " of " << pb << "; ";
                continue;
            }
            if (!partner.Linked[pk] || partner.LinkBody[pk] != b || partner.LinkCorner[pk] != k)
                err << "link " << b << "." << k << " -> " << pb << "." << pk << " is one-sided; ";
            if (partner.CornerX[pk] != body.CornerX[k] || partner.CornerZ[pk] != body.CornerZ[k])
                err << "link " << b << "." << k << " -> " << pb << "." << pk << " apart; ";
        }
    }
    const std::string s = err.str();
    if (s.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << s;
}

// Each visible body's anomaly matches a fresh calculation and the total is
// their sum; a hidden body's own anomaly is kept valid as well.
inline ::testing::AssertionResult anomalyConsistent(const Model& m, double tol = 1e-9)
{
    std::vector<double> fresh(MaxStations), total(static_cast<std::size_t>(m.NumStations), 0.0);
    for (int b = 1; b <= m.NumBodies; ++b) {
        const Tbody& body = m.Bodies[b];
        bodyAnomaly(body, m.StationX.data(), m.NumStations, m.UnitsKm, fresh.data());
        for (int i = 1; i <= m.NumStations; ++i) {
            const double f = fresh[static_cast<std::size_t>(i - 1)];
            if (std::fabs(body.Gravity[i] - f) > tol * (1 + std::fabs(f)))
                return ::testing::AssertionFailure()
                       << "body " << b << " station " << i << ": " << body.Gravity[i] << " vs " << f;
            if (!body.Hidden)
                total[static_cast<std::size_t>(i - 1)] += f;
        }
    }
    for (int i = 1; i <= m.NumStations; ++i) {
        const double t = total[static_cast<std::size_t>(i - 1)];
        if (std::fabs(m.CalculatedGravity[i] - t) > tol * (1 + std::fabs(t)))
            return ::testing::AssertionFailure()
                   << "total at station " << i << ": " << m.CalculatedGravity[i] << " vs " << t;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace corvane::test
