// Gradient stations read from a text file with the columns chosen.
#include "io/gradient_file.h"

#include <gtest/gtest.h>

#include <string>

using namespace corvane;

namespace {

GradientColumnChoice columns(std::initializer_list<std::pair<int, int>> componentColumns, int commentLines)
{
    GradientColumnChoice c;
    for (const auto& [k, column] : componentColumns)
        c.component[static_cast<std::size_t>(k)] = column;
    c.commentLines = commentLines;
    return c;
}

}  // namespace

TEST(GradientFile, ChosenColumnsGiveStationsWithTheirComponents)
{
    // x, h, xx, xy, xz, yy, yz, zz: a line longer than the field data's 80
    // characters, a gap "-", a heading, broken lines, 10^8 E and a word.
    const FieldDataTable t = readFieldDataText(
        "gradient survey\nx h Txx Txy Txz Tyy Tyz Tzz\n"
        "0.000000 0.0500 -12.3456789 1.00000000 -3.2500000 4.75000000 0.50000000 7.654321012 \n"
        "10 0.05 -10 2 - 5 0.25 8\n20 0.05 nan nan nan nan nan nan\n30 0.05 -8 3 -1 6 0 100000000\n"
        "x40 0.05 -8 3 -1 6 0 9\n50 0.1 -7 4 -2 7 1 10\n", "g", 0, GradientTableShape).value();
    const TensorFlags all{true, true, true, true, true, true}, zzOnly{false, false, false, false, false, true};
    TensorFlags noXz = all, xzZz = zzOnly;
    noXz[2] = false;
    xzZz[2] = true;

    GradientColumnChoice every = columns({{0, 3}, {1, 4}, {2, 5}, {3, 6}, {4, 7}, {5, 8}}, 2);
    every.heightData = true;
    GradientColumnChoice zz = columns({{5, 8}}, 2);
    zz.constantHeight = 0.3;
    struct Case {
        GradientColumnChoice choice;
        std::vector<double> x, h, zz;
        std::vector<TensorFlags> has;
        std::vector<int> skipped;
    };
    const Case cases[] = {
        {every, {0, 10, 50}, {0.05, 0.05, 0.1}, {7.654321012, 8, 10}, {all, noXz, all}, {5, 6, 7}},
        {zz, {0, 10, 50}, {0.3, 0.3, 0.3}, {7.654321012, 8, 10}, {zzOnly, zzOnly, zzOnly}, {5, 6, 7}},
        // One data line taken as a comment.
        {columns({{2, 5}, {5, 8}}, 3), {10, 50}, {0, 0}, {8, 10}, {zzOnly, xzZz}, {5, 6, 7}},
        // No component: stations to calculate at.
        {columns({}, 2), {0, 10, 20, 30, 50}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {{}, {}, {}, {}, {}}, {7}},
    };
    for (const Case& c : cases) {
        const GradientRead r = gradientStationsFromTable(t, c.choice);
        ASSERT_EQ(r.stations.size(), c.x.size());
        for (std::size_t i = 0; i < c.x.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(r.stations[i].x, c.x[i]);
            EXPECT_EQ(r.stations[i].height, c.h[i]);
            EXPECT_EQ(r.stations[i].has, c.has[i]);
            EXPECT_EQ(r.stations[i].observed.zz, c.zz[i]);
        }
        EXPECT_EQ(r.skipped, c.skipped);
        EXPECT_TRUE(r.north.empty());
    }
    EXPECT_EQ(gradientStationsFromTable(t, every).stations.front().observed,
              (GravityTensor{-12.3456789, 1, -3.25, 4.75, 0.5, 7.654321012}));
    EXPECT_EQ(leadingNonGradientLines(t, every), 2);
    EXPECT_EQ(skippedGradientNote(gradientStationsFromTable(t, zz), t),
              "3 lines of the gradient data were skipped (lines 5, 6, 7).");

    // Easting and northing are kept for the placing.
    const FieldDataTable en =
        readFieldDataText("E N Tzz\n500100 4100200 12\n500150 4100250\n500200 4100300 -3\n", "g", 0,
                          GradientTableShape).value();
    GradientColumnChoice c = columns({{5, 3}}, 0);
    c.eastNorth = true;
    EXPECT_EQ(leadingNonGradientLines(en, c), 1);
    c.commentLines = 1;
    const GradientRead r = gradientStationsFromTable(en, c);
    ASSERT_EQ(r.stations.size(), 2u);
    EXPECT_EQ(r.stations[1].x, 500200);
    EXPECT_EQ(r.north, (std::vector<double>{4100200, 4100300}));
    EXPECT_EQ(r.skipped, std::vector<int>{3});
}
