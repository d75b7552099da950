// Inversions that fit gravity gradient components beside gravity: recovery
// of a known body from noisy data given in the geographic frame, a fitted
// component shift, and gravity runs untouched by gradient stations.
#include "inversion/least_squares.h"
#include "inversion/run_options.h"
#include "model/gradient.h"
#include "model/gradient_data.h"
#include "synthetic.h"

#include <gtest/gtest.h>

#include <random>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int XZ = 2, ZZ = 5;

// The synthetic pentagon with unequal strikes (30 and 10 km), gravity with
// 0.1 mGal of noise and 61 gradient stations 0.1 km up whose six components
// are given in the geographic frame of a profile at azimuth 60 degrees, each
// with 3 E of noise and `zzBias` added to T_DD (a fixed seed).
std::unique_ptr<Model> gradientModel(double zzBias = 0, TensorFrame frame = TensorFrame::Geographic)
{
    auto m = syntheticModel();
    m->Bodies[1].StrikeLength1 = 30;
    m->Bodies[1].StrikeLength2 = 10;
    m->Mag.FieldAzimuth = 60;
    std::vector<GradientStationValue> stations;
    for (int i = 0; i < 61; ++i)
        stations.push_back({-60 + 2.0 * i, 0.1, {}, {}});
    setGradientStations(*m, stations, TensorFrame::Profile);
    m->RecalculateModel();
    std::mt19937 random(11);
    std::normal_distribution<double> unit(0, 1);
    for (int i = 1; i <= m->NumStations; ++i)
        m->ObservedGravity[i] = m->CalculatedGravity[i] + 0.1 * unit(random);
    for (int i = 1; i <= m->Grad.Num; ++i) {
        GravityTensor t = frame == TensorFrame::Geographic ? toGeographicFrame(m->Grad.Calculated[i], 60)
                                                           : m->Grad.Calculated[i];
        for (int k = 0; k < TensorComponents; ++k)
            t[k] += 3 * unit(random);
        t.zz += zzBias;
        m->Grad.Observed[i] = t;
        m->Grad.HasObserved[i].fill(true);
    }
    m->Grad.Frame = frame;
    return m;
}

InversionOptions fitted(std::initializer_list<int> components, bool gravity = true, bool shift = false)
{
    InversionOptions o{.useGravity = gravity};
    for (int c : components)
        o.gradients[static_cast<std::size_t>(c)] = {true, 3, shift};
    return o;
}

}  // namespace

TEST(GradientInversion, RecoversTheBodyWithinTwoStandardErrors)
{
    struct Case {
        const char* name;
        double zzBias;
        InversionOptions options;
        int rows;
    };
    const Case cases[] = {
        {"gravity, T_zz and T_xz", 0, fitted({ZZ, XZ}), 121 + 2 * 61},
        {"T_zz and T_xz alone", 0, fitted({ZZ, XZ}, false), 2 * 61},
        {"gravity and T_zz with a shift of its own", 4, fitted({ZZ}, true, true), 121 + 61},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = gradientModel(c.zzBias);
        Tbody& b = m->Bodies[1];
        const double trueDepth = b.CornerZ[1];
        b.Density = 0.24;
        for (int k = 1; k <= b.NumCorners; ++k)
            b.CornerZ[k] += 0.8;
        m->RecalculateModel();
        b.InvertDensity = b.InvertDepth = true;
        const auto before = gradientMisfit(*m);
        InversionState inv;
        RunReport rep;
        ASSERT_EQ(runInversion(*m, inv, {0, 30}, 1, 15, {}, &rep, c.options), InversionOutcome::Done);

        EXPECT_EQ(rep.stations, c.rows);
        ASSERT_EQ(rep.gradientRms.size(), 16u);
        const std::vector<double>& start = rep.gradientRms.front();
        const std::vector<double>& kept = rep.gradientRms[static_cast<std::size_t>(rep.kept)];
        ASSERT_EQ(start.size(), rep.gradientComponents.size());
        EXPECT_EQ(rep.gradientComponents.back(), "T_zz");
        // The misfits are those of the rotated data; the fit brings them to the noise.
        if (c.zzBias == 0) {
            EXPECT_DOUBLE_EQ(start.back(), *before[ZZ]);
        }
        for (std::size_t k = 0; k < kept.size(); ++k) {
            EXPECT_LT(kept[k], 3.5) << rep.gradientComponents[k];
            EXPECT_LT(kept[k], start[k]) << rep.gradientComponents[k];
        }
        EXPECT_GT(start.back(), 1.4 * kept.back());   // T_zz sees the perturbation best

        for (const ParameterResult& p : rep.parameters) {
            const double want = p.name == "Density" ? 0.3 : p.name == "T_zz shift" ? c.zzBias : trueDepth;
            ASSERT_TRUE(p.standardError.has_value()) << p.name;
            EXPECT_LE(std::abs(p.final - want), 2 * *p.standardError) << p.name;
        }
        EXPECT_EQ(rep.parameters.size(), c.options.gradients[ZZ].Shift ? 3u : 2u);
    }
}

TEST(GradientInversion, ComponentsWithoutObservedValuesAddNothing)
{
    // Gravity alone, with gradient stations that have no observed value of
    // the component chosen (or none chosen): the figures of a model without
    // gradient stations, to the last bit.
    auto plain = syntheticModel();
    plain->Bodies[1].Density = 0.25;
    plain->RecalculateModel();
    plain->Bodies[1].InvertDensity = plain->Bodies[1].InvertDepth = true;
    auto withStations = gradientModel(0, TensorFrame::Profile);
    withStations->Bodies[1] = plain->Bodies[1];
    withStations->ObservedGravity = plain->ObservedGravity;
    for (int i = 1; i <= withStations->Grad.Num; ++i)
        withStations->Grad.HasObserved[i] = {true, true, false, true, true, true};   // no T_xz
    withStations->RecalculateModel();

    InversionState inv;
    RunReport want, xz, none;
    runInversion(*plain, inv, {0, 30}, 1, 8, {}, &want);
    auto other = std::make_unique<Model>(*withStations);
    runInversion(*withStations, inv, {0, 30}, 1, 8, {}, &xz, fitted({XZ}));
    runInversion(*other, inv, {0, 30}, 1, 8, {}, &none, fitted({}));
    for (const RunReport* r : {&xz, &none}) {
        EXPECT_TRUE(r->gradientComponents.empty());
        EXPECT_EQ(r->rms, want.rms);
        ASSERT_EQ(r->parameters.size(), want.parameters.size());
        for (std::size_t k = 0; k < want.parameters.size(); ++k)
            EXPECT_EQ(r->parameters[k].final, want.parameters[k].final);
    }

    // The stored options offer only what was observed: T_xz is dropped, the
    // others kept with their errors (a bad one taken as 5 E).
    Workspace ws;
    ws.model = *withStations;
    ws.extras.FitGradients[XZ] = {true, 2, false};
    ws.extras.FitGradients[ZZ] = {true, -1, true};
    const InversionOptions o = storedInversionOptions(ws);
    EXPECT_FALSE(o.gradients[XZ].Fit);
    EXPECT_EQ(o.gradients[ZZ], (GradientFitChoice{true, 5, true}));
}
