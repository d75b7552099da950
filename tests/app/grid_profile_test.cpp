// Stations from grid samples: which positions each field keeps, and the
// count of those left out.
#include "app/grid_profile.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

RoleSamples grid(GridRole role, std::vector<std::pair<double, double>> values)
{
    RoleSamples r;
    r.role = role;
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
