#pragma once
// A synthetic profile for the fits: observed data computed from a known body.
#include "model/model.h"
#include "support/bodies.h"
#include "support/helpers.h"

#include <cmath>
#include <memory>

namespace corvane::test {

// Body 1: a pentagon 14 km wide, top at 4 km, density 0.3; 121 stations from
// -60 to 60 km. ObservedGravity is its anomaly; the model keeps the body as
// the truth until a test perturbs it.
inline std::unique_ptr<Model> syntheticModel()
{
    auto m = makeModel();
    setStations(*m, 121, -60, 60);
    setBody(*m, 1, {{-7, 4}, {2, 4}, {7, 7}, {5, 12}, {-6, 11}}, 0.3, 200, 200);
    m->NumBodies = 1;
    m->HaveObserved = true;
    m->RecalculateModel();
    for (int i = 1; i <= m->NumStations; ++i)
        m->ObservedGravity[i] = m->CalculatedGravity[i];
    return m;
}

inline double rmsMisfit(const Model& m)
{
    double sum = 0;
    for (int i = 1; i <= m.NumStations; ++i)
        sum += std::pow(m.ObservedGravity[i] - m.CalculatedGravity[i], 2);
    return std::sqrt(sum / m.NumStations);
}

}  // namespace corvane::test
