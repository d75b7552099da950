// Standard errors and resolution of fitted parameters: from the free
// parameters only, independent of the parameters' units, and blind to no
// redundant set.
#include "inversion/fits.h"
#include "inversion/least_squares.h"
#include "synthetic.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;
using namespace corvane::test;

namespace {

// A fixed, noise-like pattern of 0.05 mGal on the observed data.
void addNoise(Model& m)
{
    for (int i = 1; i <= m.NumStations; ++i)
        m.ObservedGravity[i] += 0.05 * std::sin(1.7 * i + 0.3 * i * i);
}

}  // namespace

TEST(StandardErrors, StraightLineWithAndWithoutAHeldIntercept)
{
    // y = a + b x at x = 0..5: the textbook errors of a least-squares line.
    const std::vector<double> x{0, 1, 2, 3, 4, 5};
    const std::vector<double> r{0.3, -0.2, 0.1, -0.4, 0.25, -0.05};
    const std::vector<std::vector<double>> J{std::vector<double>(6, 1.0), x};
    double sxx = 0, sx = 0, r2 = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxx += x[i] * x[i];
        sx += x[i];
        r2 += r[i] * r[i];
    }
    const double n = 6;
    const double delta = n * sxx - sx * sx;

    struct Case {
        const char* name;
        std::vector<bool> held;
        double interceptError;   // 0: none expected
        double slopeError;
        int free;
    };
    const double s2two = r2 / (n - 2), s2one = r2 / (n - 1);
    const Case cases[] = {
        {"both free", {}, std::sqrt(s2two * sxx / delta), std::sqrt(s2two * n / delta), 2},
        // The intercept held: the slope alone, through the origin, with one
        // degree of freedom more.
        {"intercept held", {true, false}, 0, std::sqrt(s2one / sxx), 1},
        {"slope held", {false, true}, std::sqrt(s2one / n), 0, 1},
        {"both held", {true, true}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ErrorEstimate e = standardErrors(J, r, c.held);
        EXPECT_EQ(e.freeParameters, c.free);
        const double expected[2] = {c.interceptError, c.slopeError};
        for (std::size_t k = 0; k < 2; ++k) {
            if (expected[k] == 0) {
                EXPECT_FALSE(e.errors[k].has_value()) << k;
            } else {
                ASSERT_TRUE(e.errors[k].has_value()) << k;
                EXPECT_NEAR(*e.errors[k], expected[k], 1e-12 * expected[k]) << k;
            }
        }
    }
}

TEST(StandardErrors, ResolutionDoesNotDependOnUnitsAndFindsRedundantSets)
{
    struct Case {
        const char* name;
        void (*select)(Tbody&);
        bool resolved;   // the same for every parameter of the case
    };
    const Case cases[] = {
        // Degrees against g/cm3: columns of very different sizes, yet both
        // are well determined by the data.
        {"density and rotation",
         [](Tbody& b) {
             b.InvertDensity = true;
             b.InvertAngle = true;
         },
         true},
        {"density, position and depth",
         [](Tbody& b) {
             b.InvertDensity = b.InvertXPos = b.InvertDepth = true;
         },
         true},
        // Moving the body down is moving every corner down: the depth and the
        // depths of all corners cannot be told apart.
        {"depth and every corner's depth",
         [](Tbody& b) {
             b.InvertDepth = true;
             for (int k = 1; k <= b.NumCorners - 1; ++k)
                 b.CornerInvertZ[k] = true;
         },
         false},
        {"position and every corner's position",
         [](Tbody& b) {
             b.InvertXPos = true;
             for (int k = 1; k <= b.NumCorners - 1; ++k)
                 b.CornerInvertX[k] = true;
         },
         false},
    };
    Display d;
    d.ViewDepthMax = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = syntheticModel();
        addNoise(*m);
        c.select(m->Bodies[1]);
        InversionState inv;
        RunReport report;
        ASSERT_EQ(runInversion(*m, inv, d, 1, 0, {}, &report), InversionOutcome::Done);
        for (const ParameterResult& p : report.parameters) {
            EXPECT_EQ(p.resolved, c.resolved) << p.name;
            EXPECT_EQ(p.standardError.has_value(), c.resolved) << p.name;
            EXPECT_EQ(errorText(p) == "not resolved", !c.resolved) << p.name;
        }
    }
}

TEST(StandardErrors, ParameterHeldAtABoundIsNotEstimated)
{
    // The truth's density is 0.3; bounds typed at 0.2 .. 0.25 hold it.
    Display d;
    d.ViewDepthMax = 20;
    for (const bool fit : {false, true}) {
        SCOPED_TRACE(fit ? "density fit" : "inversion");
        auto m = syntheticModel();
        addNoise(*m);
        Tbody& body = m->Bodies[1];
        body.DensMin = 0.2;
        body.DensMax = 0.25;
        body.InvertDensity = true;
        body.InvertDepth = true;
        InversionState inv;
        RunReport report;
        if (fit)
            densityFit(*m, inv, 1, {}, &report);
        else
            runInversion(*m, inv, d, 1, 8, {}, &report);
        const ParameterResult& density = report.parameters[0];
        EXPECT_EQ(density.final, 0.25);
        EXPECT_TRUE(density.atBound);
        EXPECT_FALSE(density.standardError.has_value());
        EXPECT_EQ(errorText(density), "at bound");
        EXPECT_EQ(report.freeParameters, fit ? 0 : 1);
        EXPECT_EQ(report.stations, m->NumStations);
        EXPECT_NE(reportTable(report, "\n").find("s^2 = sum r^2 / (N - M), N = 121 stations, M = " +
                                                  std::to_string(report.freeParameters)),
                  std::string::npos);
        if (!fit) {
            // The depth, free, has its error from its own column alone.
            EXPECT_FALSE(report.parameters[1].atBound);
            EXPECT_TRUE(report.parameters[1].standardError.has_value());
        }
    }
}

TEST(StandardErrors, ResolutionDiagonalSaysWhatTheDataDetermine)
{
    // Column 0 alone; columns 1 and 2 alike (the data fix their sum, not
    // each); column 3 changes nothing. The units of a column do not matter.
    const std::vector<double> a{1, 2, 3, 4, 5, 6}, b{0, 1, 0, 1, 1, 0}, zero(6, 0.0);
    const std::vector<double> b3{0, 1e-3, 0, 1e-3, 1e-3, 0}, r{0.1, -0.2, 0.05, 0.1, -0.1, 0.0};
    struct Case {
        const char* name;
        std::vector<std::vector<double>> J;
        std::vector<bool> held;
        std::vector<double> resolution;   // -1: none
    };
    const Case cases[] = {
        {"one of each", {a, b, b, zero}, {}, {1, 0.5, 0.5, 0}},
        {"units differ", {a, b, b3, zero}, {}, {1, 0.5, 0.5, 0}},
        {"one of the pair held", {a, b, b, zero}, {false, true, false, false}, {1, -1, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ErrorEstimate e = standardErrors(c.J, r, c.held);
        for (std::size_t k = 0; k < c.resolution.size(); ++k) {
            EXPECT_EQ(e.resolution.at(k).has_value(), c.resolution[k] >= 0) << k;
            EXPECT_NEAR(e.resolution[k].value_or(-1), c.resolution[k], 1e-9) << k;
        }
    }
    // The table shows the resolution beside the errors only when it adds
    // something: when some parameter is not resolved.
    RunReport rep;
    rep.parameters = {{.name = "Depth", .resolution = 1.0}, {.name = "Density", .resolution = 0.5}};
    EXPECT_EQ(reportTable(rep, "\n").find("Resolution"), std::string::npos);
    rep.parameters[1].resolved = false;
    const std::string table = reportTable(rep, "\n");
    EXPECT_NE(table.find("Standard error  Resolution  Bound\n"), std::string::npos) << table;
    EXPECT_NE(table.find("    not resolved       0.500\n"), std::string::npos) << table;
    EXPECT_NE(table.find("\n" + resolutionNote() + "\n"), std::string::npos);
}
