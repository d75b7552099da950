// Stations from grid samples: which positions each field keeps, and the
// count of those left out.
#include "app/grid_profile.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;

namespace {

RoleSamples grid(GridRole role, std::vector<std::pair<double, double>> values)
{
    RoleSamples r;
    r.role = role;
    r.path = "grid.tif";
    for (auto [x, v] : values)
        r.samples.stations.push_back({x, v});
    return r;
}

}  // namespace

TEST(GridProfile, EachFieldKeepsThePositionsItsGridsCover)
{
    const std::vector<double> at = {0, 1, 2, 3};
    struct Case {
        const char* name;
        std::vector<RoleSamples> grids;
        std::vector<double> x, g, h;
        std::vector<double> magneticX;
        bool observed;
        int leftOut;
    };
    const Case cases[] = {
        {"gravity alone, one hole", {grid(GridRole::Gravity, {{0, 5}, {2, 7}, {3, 8}})},
         {0, 2, 3}, {5, 7, 8}, {0, 0, 0}, {}, true, 1},
        {"heights from a terrain model", {grid(GridRole::Gravity, {{0, 5}, {1, 6}, {2, 7}, {3, 8}}),
                                          grid(GridRole::Height, {{1, 100}, {2, 110}, {3, 120}})},
         {1, 2, 3}, {6, 7, 8}, {100, 110, 120}, {}, true, 1},
        {"magnetics alone: every gravity station, nothing observed",
         {grid(GridRole::Magnetic, {{0, -40}, {3, 12}})}, {0, 1, 2, 3}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 3}, false, 2},
        {"a position missing in both fields counts once",
         {grid(GridRole::Gravity, {{0, 5}, {3, 8}}), grid(GridRole::Magnetic, {{0, 1}, {2, 2}, {3, 3}})},
         {0, 3}, {5, 8}, {0, 0}, {0, 2, 3}, true, 2},
        {"a grid giving nothing is ignored", {grid(GridRole::None, {}), grid(GridRole::Gravity, {{0, 1}, {1, 2}, {2, 3}, {3, 4}})},
         {0, 1, 2, 3}, {1, 2, 3, 4}, {0, 0, 0, 0}, {}, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GridProfile p = profileFromSamples(at, c.grids);
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.g, c.g);
        EXPECT_EQ(p.h, c.h);
        std::vector<double> mx;
        for (const MagneticStationValue& s : p.magnetic)
            mx.push_back(s.x);
        EXPECT_EQ(mx, c.magneticX);
        EXPECT_EQ(p.observedGravity, c.observed);
        EXPECT_EQ(p.leftOut, c.leftOut);
        EXPECT_EQ(p.positions, 4);
    }
}

TEST(GridProfile, ThePlaceIsSetOnlyWhenTheLineCanBeMade)
{
    struct Case {
        ProfileLineRecord line;
        bool placed;
    };
    const Case cases[] = {{{0, 0, 3000, 4000, "-"}, true}, {{5, 5, 5, 5, "-"}, false}};
    for (const Case& c : cases) {
        Workspace ws;
        GridProfile p = profileFromSamples({0, 1, 2}, {grid(GridRole::Gravity, {{0, 1}, {1, 2}, {2, 3}})});
        ws.model.UnitsKm = true;
        const int stationsBefore = ws.model.NumStations;
        const QString why = applyGridProfile(ws, p, c.line);
        EXPECT_EQ(why.isEmpty(), c.placed);
        EXPECT_EQ(ws.model.ProfileLine.has_value(), c.placed);
        EXPECT_EQ(ws.model.NumStations, c.placed ? 3 : stationsBefore);
        if (c.placed) {
            EXPECT_NEAR(ws.model.Mag.FieldAzimuth, 36.8699, 1e-3);   // atan2(3, 4): no convergence without a system
        }
    }
}

TEST(GridProfile, TheAzimuthSaysWhereItCameFrom)
{
    struct Case {
        const char* name;
        std::optional<ProfileLineRecord> line;
        std::optional<double> typed;
        const char* text;
    };
    const Case cases[] = {
        {"no line", std::nullopt, std::nullopt, "Typed"},
        {"placed, no system", ProfileLineRecord{0, 0, 0, 10, "-"}, std::nullopt,
         "From the profile line (grid convergence 0.00 degrees)"},
        // 605000 6650000 is 16.881 E 59.974 N: atan(tan(1.881) sin(59.974)) = 1.629.
        {"placed, UTM 33", ProfileLineRecord{600000, 6650000, 610000, 6650000, "EPSG:32633"}, std::nullopt,
         "From the profile line (grid convergence 1.63 degrees)"},
        {"typed over the line's", ProfileLineRecord{0, 0, 0, 10, "-"}, 45.0, "Typed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Model m;
        m.UnitsKm = true;
        if (c.line) {
            ASSERT_TRUE(map::placeProfile(m, *c.line).ok());
        }
        if (c.typed)
            m.Mag.FieldAzimuth = *c.typed;
        EXPECT_EQ(azimuthSourceText(m).toStdString(), c.text);
    }
}

TEST(GridProfile, TheMagneticPanelShowsWhenAGridGivesMagneticData)
{
    const struct {
        GridRole role;
        bool shown;
    } cases[] = {{GridRole::Gravity, false}, {GridRole::Magnetic, true}};
    for (const auto& c : cases) {
        Workspace ws;
        ws.model.UnitsKm = true;
        const GridProfile p = profileFromSamples({0, 1, 2}, {grid(c.role, {{0, 1}, {1, 2}, {2, 3}})});
        ASSERT_EQ(applyGridProfile(ws, p, {0, 0, 3000, 4000, "-"}), QString());
        EXPECT_EQ(ws.display.ShowMagnetic, c.shown) << static_cast<int>(c.role);
    }
}

namespace {

// A horizon's points as "x:z", "x:gap" where the line breaks.
std::string pointsText(const PointSet& s)
{
    std::string out;
    for (const DataPoint& p : s.points)
        out += (out.empty() ? "" : " ") + QString::number(p.x).toStdString() + ":" +
               (std::isnan(p.z) ? std::string("gap") : QString::number(p.z).toStdString());
    return out;
}

}  // namespace

TEST(GridProfile, FlightHeightsAndHorizons)
{
    const std::vector<double> at = {0, 1, 2, 3, 4};
    const auto all = [](double v) { return std::vector<std::pair<double, double>>{{0, v}, {1, v}, {2, v}, {3, v}, {4, v}}; };
    struct Case {
        const char* name;
        std::vector<RoleSamples> grids;
        std::optional<double> typedHeight;
        double metresPerUnit;
        std::vector<std::pair<double, double>> magnetic;   // x, height
        const char* horizon;   // the first horizon's points ("" for none)
        int leftOut;
    };
    const Case cases[] = {
        {"a flight-height hole leaves the magnetic station out",
         {grid(GridRole::Magnetic, all(7)), grid(GridRole::FlightHeight, {{0, 0.1}, {1, 0.11}, {3, 0.13}, {4, 0.14}})},
         std::nullopt, 1, {{0, 0.1}, {1, 0.11}, {3, 0.13}, {4, 0.14}}, "", 1},
        {"flight heights in metres for a model in km",
         {grid(GridRole::Magnetic, {{0, 1}, {1, 1}}), grid(GridRole::FlightHeight, {{0, 250}, {1, 300}})}, std::nullopt,
         1000, {{0, 0.25}, {1, 0.3}}, "", 3},
        {"a typed height without a flight-height grid", {grid(GridRole::Magnetic, {{0, 1}, {2, 2}})}, 0.3, 1,
         {{0, 0.3}, {2, 0.3}}, "", 3},
        {"the grid's heights before a typed one", {grid(GridRole::Magnetic, all(1)), grid(GridRole::FlightHeight, all(0.05))},
         0.3, 1, {{0, 0.05}, {1, 0.05}, {2, 0.05}, {3, 0.05}, {4, 0.05}}, "", 0},
        {"a flight height alone makes no magnetic stations", {grid(GridRole::FlightHeight, all(0.05))}, std::nullopt, 1,
         {}, "", 0},
        {"a depth horizon breaks at its hole and leaves the stations alone",
         {grid(GridRole::HorizonDepth, {{0, 2}, {1, 2.5}, {3, 3}, {4, 3.5}})}, std::nullopt, 1000, {},
         "0:2 1:2.5 2:gap 3:3 4:3.5", 0},
        {"elevations in metres become depths in km; no gap at the ends",
         {grid(GridRole::HorizonElevation, {{1, -500}, {2, 250}})}, std::nullopt, 1000, {}, "1:0.5 2:-0.25", 0},
        {"elevations in metres for a model in metres", {grid(GridRole::HorizonElevation, {{0, -120}, {1, 80}})},
         std::nullopt, 1, {}, "0:120 1:-80", 0},
        {"a run of holes is one gap", {grid(GridRole::HorizonDepth, {{0, 1}, {3, 1}})}, std::nullopt, 1, {},
         "0:1 1:gap 3:1", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProfileOptions o;
        o.metresPerModelUnit = c.metresPerUnit;
        o.magneticHeight = c.typedHeight;
        const GridProfile p = profileFromSamples(at, c.grids, o);
        std::vector<std::pair<double, double>> magnetic;
        for (const MagneticStationValue& s : p.magnetic)
            magnetic.emplace_back(s.x, s.height);
        EXPECT_EQ(magnetic, c.magnetic);
        EXPECT_EQ(p.x.size(), 5u);   // no gravity grid: every position
        EXPECT_EQ(p.leftOut, c.leftOut);
        ASSERT_EQ(p.horizons.size(), std::string(c.horizon).empty() ? 0u : 1u);
        if (!p.horizons.empty()) {
            const PointSet& h = p.horizons[0];
            EXPECT_EQ(pointsText(h), c.horizon);
            EXPECT_TRUE(h.joined);
            EXPECT_EQ(h.path, "grid.tif");
            EXPECT_EQ(h.horizonStep, 1);
            EXPECT_EQ(h, PointSet(h));   // gaps too: the history sees no change in a copy
        }
    }
}

TEST(GridProfile, AHorizonCutAgainReplacesItsSet)
{
    Workspace ws;
    ws.model.UnitsKm = true;
    const ProfileLineRecord line{0, 0, 3000, 0, "-"};
    for (double depth : {2.0, 3.0}) {
        const GridProfile p = profileFromSamples({0, 1, 2, 3}, {grid(GridRole::HorizonDepth, {{0, depth}, {3, depth}})});
        ASSERT_EQ(applyGridProfile(ws, p, line), "");
        if (depth == 2.0)
            ws.overlays.pointSets[0].colour = 0x123456;   // as the user set it
    }
    ASSERT_EQ(ws.overlays.pointSets.size(), 1u);
    EXPECT_EQ(pointsText(ws.overlays.pointSets[0]), "0:3 1:gap 3:3");
    EXPECT_EQ(ws.overlays.pointSets[0].colour, 0x123456u);
}
