// Inversion bounds typed for one body never reach another: a loaded,
// imported, read or new body starts from the bounds nobody typed.
#include "edit/add_body.h"
#include "inversion/fits.h"
#include "inversion/least_squares.h"
#include "inversion/unknowns.h"
#include "io/input_files.h"
#include "io/model_file.h"
#include "io/real48.h"
#include "support/bodies.h"
#include "synthetic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

using namespace corvane;

namespace {

const std::string examples = std::string(CORVANE_TEST_DATA) + "/../../examples/";

std::string rec(double v)
{
    const auto r = encodeReal48(v).value();
    return std::string(r.begin(), r.end());
}

// A kilometre Sidero model of one square body at 10..12 km, 1..3 km deep.
std::string sideroSquare()
{
    std::string b = rec(1) + rec(0);
    for (int i = 3; i <= 9; ++i)
        b += rec(0);
    b += rec(0) + rec(10) + rec(0) + rec(1);
    b += rec(5) + rec(-0.2) + rec(50) + rec(0) + rec(0) + rec(0);
    for (auto [x, z] : {std::pair{10.0, 1.0}, {12.0, 1.0}, {12.0, 3.0}, {10.0, 3.0}, {10.0, 1.0}})
        b += rec(x) + rec(z);
    return b;
}

const std::string bodyFile = "two comment\nlines\nBodies         1\nDensity        -0.2\n"
                             "Corners        3\nCorner 1       10 1\nCorner 2       12 1\n"
                             "Corner 3       11 3\n";

// Bounds typed for some other body, in every slot.
void typeBoundsEverywhere(Model& m)
{
    for (int b = 1; b <= MaxBodies; ++b) {
        Tbody& body = m.Bodies[b];
        body.DensMin = 0.2;
        body.DensMax = 0.5;
        body.XPosMin = 3;
        body.XPosMax = 4;
        body.DepthMin = 5;
        body.DepthMax = 6;
        body.AngleMin = -1;
        body.AngleMax = 1;
    }
}

}  // namespace

TEST(Bounds, EveryWayABodyArrivesStartsWithoutTypedBounds)
{
    struct Case {
        const char* name;
        std::function<std::string(Workspace&)> arrive;
        bool profilePosition;   // the position bounds cover the profile
    };
    const Case cases[] = {
        {"Load an old model", [](Workspace& ws) { return loadModelFile(ws, examples + "basin.mod").message(); }, true},
        {"Import a model from Sidero",
         [](Workspace& ws) { return importSideroModel(ws, sideroSquare(), "s.mod").message(); },
         true},
        {"Read in a model file", [](Workspace& ws) { return readBodyFile(ws, bodyFile, "b.bod").message(); }, false},
        {"Add a body",
         [](Workspace& ws) {
             beginNewBody(ws.model, {-0.2, 100, 100});
             return std::string();
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace ws;
        Model& m = ws.model;
        test::setStations(m, 41, 0, 40);
        test::setBody(m, 1, {{5, 1}, {8, 1}, {8, 2}, {5, 2}}, 0.3);
        m.NumBodies = 1;
        m.HaveObserved = true;
        m.ModelExists = true;
        typeBoundsEverywhere(m);
        const int before = m.NumBodies;
        ASSERT_EQ(c.arrive(ws), "");
        // A load fills the model afresh; the others add after the bodies there.
        const bool load = std::string(c.name) == "Load an old model";
        const int first = load ? 1 : before + 1;
        const int last = load ? MaxBodies : m.NumBodies;
        ASSERT_GE(last, first);
        for (int b = first; b <= last; ++b) {
            SCOPED_TRACE("slot " + std::to_string(b));
            const Tbody& body = m.Bodies[b];
            EXPECT_EQ(body.DensMin, 0);
            EXPECT_EQ(body.DensMax, 1);
            EXPECT_EQ(body.DepthMin, 0);
            EXPECT_EQ(body.DepthMax, 1000);
            EXPECT_EQ(body.AngleMin, -90);
            EXPECT_EQ(body.AngleMax, 90);
            EXPECT_EQ(body.XPosMin, c.profilePosition ? m.StationX[1] : 0);
            EXPECT_EQ(body.XPosMax, c.profilePosition ? m.StationX[m.NumStations] : 1000);
        }
        // A light body keeps to light densities.
        const Bounds density = densityBounds(m.Bodies[load ? 1 : m.NumBodies]);
        EXPECT_LT(density.max, 0);
        if (!load) {
            EXPECT_EQ(m.Bodies[1].DensMin, 0.2);   // the bodies there keep theirs
        }
    }
}

TEST(Bounds, LoadedBasinInvertsWithinItsOwnDefaults)
{
    // Bounds typed before the load would hold the basin at +0.2 and raise
    // the misfit; with its own it stays light and the misfit falls.
    Workspace ws;
    typeBoundsEverywhere(ws.model);
    ASSERT_EQ(loadModelFile(ws, examples + "basin.mod").message(), "");
    Model& m = ws.model;
    m.Bodies[1].InvertDensity = true;
    RunReport report;
    ASSERT_EQ(runInversion(m, ws.inversion, ws.display, 1, 10, {}, &report), InversionOutcome::Done);
    EXPECT_LT(m.Bodies[1].Density, 0);
    EXPECT_LT(report.rms[static_cast<std::size_t>(report.kept)], report.rms[0]);
    EXPECT_FALSE(report.parameters[0].atBound);
}

TEST(Bounds, TheHeldTextAndBoundColumnDescribeTheKeptIteration)
{
    // The body turned from the truth, its rotation bounded: the rotation's
    // steps overshoot, so bounds hold in iterations that are not the best.
    struct Case {
        const char* name;
        double turn, angleMax;
        std::string keptText;   // held in the kept iteration
    };
    const Case cases[] = {
        {"held later, not in the kept iteration", -2, 4, ""},
        {"held in the kept iteration", -2, 1, "Body rotation held at its maximum 1.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = test::syntheticModel();
        m->TurnBody(1, c.turn);
        m->UpdateBody(1);
        Tbody& b = m->Bodies[1];
        b.InvertDensity = b.InvertAngle = true;
        b.AngleMax = c.angleMax;
        Display d;
        d.ViewDepthMax = 20;
        InversionState inv;
        RunReport rep;
        std::vector<std::string> heldIn{""};   // as each iteration's status showed it
        runInversion(*m, inv, d, 1, 8, [&] { heldIn.push_back(rep.held); }, &rep);
        ASSERT_GT(rep.kept, 0);
        // Some iteration was held otherwise than the kept one.
        EXPECT_NE(std::count(heldIn.begin() + 1, heldIn.end(), c.keptText), 8);
        EXPECT_EQ(heldIn.at(static_cast<std::size_t>(rep.kept)), c.keptText);
        EXPECT_EQ(heldSummary(rep), c.keptText);
        EXPECT_EQ(rep.parameters.at(1).bound, c.keptText.empty() ? Bound::None : Bound::Maximum);
    }
}

TEST(Bounds, TypedDefaultsAreHonouredAndKeptBySaveAndLoad)
{
    // Each pair is typed equal to a default; untyped, the defaults give way to
    // bounds that suit the body, typed they stand, and a save and load keeps it so.
    struct Case {
        const char* name;
        std::function<void(Tbody&)> type;   // the defaults, typed
        std::function<Bounds(const Workspace&)> bounds;
        Bounds untyped, typed;
    };
    const Case cases[] = {
        {"density", [](Tbody& b) { b.DensMin = 0.0001, b.DensMax = 1, b.DensBoundsTyped = true; },
         [](const Workspace& ws) { return densityBounds(ws.model.Bodies[1]); }, {-1, -0.0001}, {0.0001, 1}},
        {"position", [](Tbody& b) { b.XPosMin = 0, b.XPosMax = 1000, b.XPosBoundsTyped = true; },
         [](const Workspace& ws) { return positionBounds(ws.model, ws.model.Bodies[1]); }, {0, 40}, {0, 1000}},
        {"depth", [](Tbody& b) { b.DepthMin = 0, b.DepthMax = 10000, b.DepthBoundsTyped = true; },
         [](const Workspace& ws) { return depthBounds(ws.display, ws.model.Bodies[1]); }, {0, 20}, {0, 10000}},
        {"susceptibility",
         [](Tbody& b) { b.SusceptibilityMin = 0, b.SusceptibilityMax = 1, b.SusceptibilityBoundsTyped = true; },
         [](const Workspace& ws) { return susceptibilityBounds(ws.model.Bodies[1]); }, {0, 2}, {0, 1}},
        {"remanence", [](Tbody& b) { b.RemanenceMin = 0, b.RemanenceMax = 100, b.RemanenceBoundsTyped = true; },
         [](const Workspace& ws) { return remanenceBounds(ws.model.Bodies[1]); }, {0, 150}, {0, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace ws;
        Model& m = ws.model;
        test::setStations(m, 41, 0, 40);
        test::setBody(m, 1, {{5, 1}, {8, 1}, {8, 2}, {5, 2}}, -0.3);
        m.Bodies[1].Susceptibility = 2;
        m.Bodies[1].Remanence = 150;
        m.NumBodies = 1;
        m.ModelExists = true;
        ws.display.ViewDepthMax = 20;
        auto expect = [&](const Workspace& w, Bounds want) {
            const Bounds got = c.bounds(w);
            EXPECT_EQ(got.min, want.min);
            EXPECT_EQ(got.max, want.max);
        };
        expect(ws, c.untyped);
        const std::string untypedBytes = modelFileBytes(ws).value();

        c.type(m.Bodies[1]);
        expect(ws, c.typed);
        const std::string typedBytes = modelFileBytes(ws).value();
        EXPECT_NE(typedBytes.find("bounds-typed 1"), std::string::npos);

        Workspace loaded;
        ASSERT_EQ(loadModelBytes(loaded, typedBytes).message(), "");
        loaded.display.ViewDepthMax = 20;
        expect(loaded, c.typed);
        EXPECT_EQ(modelFileBytes(loaded).value(), typedBytes);

        // A file without the line: the defaults are taken as untyped, as before.
        Workspace old;
        ASSERT_EQ(loadModelBytes(old, untypedBytes).message(), "");
        old.display.ViewDepthMax = 20;
        expect(old, c.untyped);
        EXPECT_EQ(untypedBytes.find("bounds-typed"), std::string::npos);
    }
}
