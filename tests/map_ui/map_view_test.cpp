// The map view: the map-to-pixel transform, the picture of the footprints
// and the grid read at the view's size.
#include "map/map_grids.h"
#include "map_ui/grid_image.h"
#include "map_ui/map_paint.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <QImage>

namespace corvane::mapui {
namespace {

TEST(MapTransform, PixelsAndMapAgree)
{
    // A 10 km by 4 km box fitted into 420 x 220 pixels with a 10-pixel margin:
    // the width limits the scale, 40 pixels a km, north up.
    const MapTransform t = MapTransform::fit(QRectF(500000, 6000000, 10000, 4000), QSize(420, 220), 10);
    EXPECT_DOUBLE_EQ(t.pixelsPerUnit, 0.04);
    struct Row {
        map::MapPoint p;
        QPointF pixel;
    } rows[] = {
        {{505000, 6002000}, {210, 110}},   // the centre
        {{500000, 6000000}, {10, 190}},    // south-west corner
        {{510000, 6004000}, {410, 30}},    // north-east corner
        {{505000, 6002500}, {210, 90}},    // north is up
    };
    for (const Row& r : rows) {
        const QPointF q = t.toPixel(r.p);
        EXPECT_NEAR(q.x(), r.pixel.x(), 1e-9);
        EXPECT_NEAR(q.y(), r.pixel.y(), 1e-9);
        const map::MapPoint back = t.toMap(q);
        EXPECT_NEAR(back.E, r.p.E, 1e-6);
        EXPECT_NEAR(back.N, r.p.N, 1e-6);
    }
    // Zooming keeps the point under the pointer; a drag moves the map with it.
    const MapTransform z = t.zoomedAt(QPointF(10, 190), 2);
    EXPECT_NEAR(z.toPixel({500000, 6000000}).x(), 10, 1e-9);
    EXPECT_NEAR(z.toPixel({500000, 6000000}).y(), 190, 1e-9);
    EXPECT_NEAR(z.toPixel({505000, 6002000}).x(), 410, 1e-9);
    const MapTransform d = t.panned(QPointF(30, -20));
    EXPECT_NEAR(d.toPixel({505000, 6002000}).x(), 240, 1e-9);
    EXPECT_NEAR(d.toPixel({505000, 6002000}).y(), 90, 1e-9);
}

TEST(MapTransform, ALineInAnotherSystemLandsWhereItLies)
{
    // A geographic grid 14.5 to 15.5 E, 53.5 to 54.5 N in 400 x 400 pixels
    // (no margin): 400 pixels a degree; the line's points are in UTM 33 N.
    const MapTransform t = MapTransform::fit(QRectF(14.5, 53.5, 1, 1), QSize(400, 400), 0);
    const auto utm = map::Crs::fromText("EPSG:32633");
    const auto geo = map::Crs::fromText("EPSG:4326");
    ASSERT_TRUE(utm && geo);
    const auto toGrid = map::CrsTransform::between(utm.value, geo.value);
    ASSERT_TRUE(toGrid);
    const map::MapPoint points[] = {{500000, 5985000}, {480000, 5990000}, {530000, 5960000}};
    for (const map::MapPoint& p : points) {
        double e = p.E, n = p.N;   // carried by OGR, apart from the code under test
        map::test::transform("EPSG:32633", "EPSG:4326", &e, &n);
        const QPointF q = t.toPixel(toGrid.value, p);
        EXPECT_NEAR(q.x(), 200 + (e - 15) * 400, 1e-6);
        EXPECT_NEAR(q.y(), 200 - (n - 54) * 400, 1e-6);
    }
    // On the zone's central meridian: 15 E, the middle column.
    EXPECT_NEAR(t.toPixel(toGrid.value, {500000, 5985000}).x(), 200, 1e-6);
    // The same system, or none, leaves the point as it is.
    EXPECT_EQ(t.toPixel(map::CrsTransform{}, {15, 54}), QPointF(200, 200));
}

// Two bodies under an eastward line (left is north): body 1 from 2 to 4 km,
// body 2 from 6 to 8 km, drawn into 440 x 440 pixels.
struct Scene {
    Workspace ws;
    map::ProfileLine line;
    QImage image{440, 440, QImage::Format_ARGB32};
    MapTransform t;

    Scene(double strike1, double strike2, int current, bool hidden = false)
        : line(map::ProfileLine::make({500000, 6000000, 510000, 6000000, "EPSG:32633"}, true).value)
    {
        Model& m = ws.model;
        m.NumBodies = 2;
        m.NumStations = 0;
        test::setBody(m, 1, {{2, 1}, {4, 1}, {4, 2}, {2, 2}}, 0.3, strike1, strike2);
        test::setBody(m, 2, {{6, 1}, {8, 1}, {7, 2}}, -0.2, 1, 1);
        m.Bodies[1].Hidden = hidden;
        m.CurrentBody = current;
        m.ModelExists = true;
        t = MapTransform::fit(QRectF(500000, 5995000, 10000, 10000), image.size(), 20);
        QPainter p(&image);
        MapScene scene;
        scene.ws = &ws;
        scene.line = &line;
        paintMap(p, t, scene);
    }
    // The colour at x km along the line and offset km to its left.
    QColor at(double x, double offset) const
    {
        return image.pixelColor(t.toPixel(line.at(x, offset)).toPoint());
    }
};

TEST(MapPaint, FootprintsFollowStrikeLengthsAndSelection)
{
    enum Expect { Empty, Filled, Highlight, Outline };
    struct Row {
        const char* what;
        double strike1, strike2;
        int current;
        double x, offset;
        Expect expect;
        bool hidden = false;
    } rows[] = {
        {"inside body 1, north of the line", 1, 2, 2, 3, 0.5, Filled},
        {"inside body 1, south of the line", 1, 2, 2, 3, -1.5, Filled},
        {"beyond strike length 1", 1, 2, 2, 3, 1.5, Empty},
        {"beyond strike length 2", 1, 2, 2, 3, -2.5, Empty},
        {"a longer strike length 1 reaches further", 2, 2, 2, 3, 1.5, Filled},
        {"between the bodies", 1, 2, 2, 5, 0.5, Empty},
        {"edge of the current body", 1, 2, 1, 3, 1, Highlight},
        {"edge of a body not current", 1, 2, 2, 3, 1, Outline},
        {"body 2 edge while body 1 is current", 1, 2, 1, 7, 1, Outline},
        {"a hidden body is not filled", 1, 2, 2, 3, 0.5, Empty, true},
        {"a hidden current body is still highlighted", 1, 2, 1, 3, 1, Highlight, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const Scene s(r.strike1, r.strike2, r.current, r.hidden);
        const QColor c = s.at(r.x, r.offset);
        switch (r.expect) {
        case Empty:
            EXPECT_EQ(c, QColor(Qt::white));
            break;
        case Filled:
            EXPECT_NE(c, QColor(Qt::white));
            EXPECT_NE(c, HighlightColour);
            EXPECT_NE(c, QColor(Qt::black));
            break;
        case Highlight:
            EXPECT_EQ(c, HighlightColour);
            break;
        case Outline:
            EXPECT_EQ(c, QColor(Qt::black));
            break;
        }
    }
}

TEST(GridImage, ReadsAReducedCopyOfTheWindowInView)
{
    using map::test::GridSpec;
    // 2000 x 1000 cells of 10 m rising from west to east, one no-data cell
    // in the north-west corner.
    GridSpec g{"GTiff", "ramp.tif", "EPSG:32633", 500000, 6010000, 10, 2000, 1000,
               [](double e, double) { return e - 500000; }, {{0, 0}}};
    const std::string path = map::test::makeGrid(g);
    ASSERT_FALSE(path.empty());
    auto grid = GridImage::open(path);
    ASSERT_TRUE(grid) << grid.error;
    EXPECT_EQ(grid.value.extent(), QRectF(500000, 6000000, 20000, 10000));
    struct Row {
        const char* what;
        QRectF area;
        QSize size;
        QSize image;   // at most the view's pixels, at most the cells in view
        QRectF covered;
    } rows[] = {
        {"whole grid", QRectF(500000, 6000000, 20000, 10000), QSize(200, 100), QSize(200, 100),
         QRectF(500000, 6000000, 20000, 10000)},
        {"beyond the grid", QRectF(490000, 5990000, 40000, 30000), QSize(100, 100), QSize(100, 100),
         QRectF(500000, 6000000, 20000, 10000)},
        {"a few cells, enlarged", QRectF(510000, 6005000, 100, 50), QSize(400, 200), QSize(10, 5),
         QRectF(510000, 6005000, 100, 50)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const GridPicture pic = grid.value.render(r.area, r.size, false);
        EXPECT_EQ(pic.image.size(), r.image);
        EXPECT_EQ(pic.area, r.covered);
    }
    const GridPicture whole = grid.value.render(grid.value.extent(), QSize(2000, 1000), false);
    EXPECT_EQ(whole.image.pixelColor(0, 0).alpha(), 0);   // no data: see-through
    EXPECT_EQ(whole.image.pixelColor(0, 500), rampColour(0));
    EXPECT_EQ(whole.image.pixelColor(1999, 500), rampColour(1));
    // Shading a plane tilted to the east darkens it evenly.
    const GridPicture shaded = grid.value.render(grid.value.extent(), QSize(200, 100), true);
    EXPECT_LT(shaded.image.pixelColor(100, 50).value(), rampColour(0.5).value());
    EXPECT_EQ(shaded.image.pixelColor(100, 50), shaded.image.pixelColor(100, 20));
    EXPECT_FALSE(GridImage::open((map::test::scratch() / "missing.tif").string()));

    // A grid too large to read whole at every pan is shown from a reduced
    // copy while the view holds more cells than pixels; zoomed in, from the grid.
    GridSpec wide{"GTiff", "wide.tif", "EPSG:32633", 500000, 6000500, 10, 5000, 50,
                  [](double e, double) { return e - 500000; }, {}};
    auto big = GridImage::open(map::test::makeGrid(wide));
    ASSERT_TRUE(big) << big.error;
    for (const QRectF area : {big.value.extent(), QRectF(520000, 6000000, 5000, 500)}) {
        const GridPicture pic = big.value.render(area, QSize(250, 5), false);
        for (int i : {0, 60, 124, 249}) {
            const double e = pic.area.left() + (i + 0.5) * pic.area.width() / pic.image.width();
            const double t = (e - 500005) / 49990;   // the cell centres' values span low to high
            EXPECT_NEAR(pic.image.pixelColor(i, 2).hueF(), rampColour(t).hueF(), 0.02) << i;
        }
    }
}

}  // namespace
}  // namespace corvane::mapui
