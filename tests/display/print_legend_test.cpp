// The printed page beyond gravity: legend rows for the magnetic curves and
// the section's lines, the magnetisation in the body blocks. A gravity
// model's page is as it always was.
#include "display/paint.h"
#include "display/point_layer.h"
#include "model/magnetic_data.h"
#include "support/bodies.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

using namespace corvane;

namespace {

// Where each text starting so was printed (top row), -1 for none.
std::vector<int> printedRows(void (*set)(Model&, Display&), const std::vector<QString>& starts)
{
    Workspace ws;
    test::setStations(ws.model, 41, 0, 40);
    test::setBody(ws.model, 1, {{10, 2}, {20, 2}, {20, 6}, {10, 6}}, 0.2);
    ws.display = {.ViewXMax = 40, .ViewDepthMin = -1, .ViewDepthMax = 10, .MapGrid = {}, .ModelLoaded = true, .Printing = true};
    set(ws.model, ws.display);
    PrintOptions o;
    o.u = o.v = 100, o.plotWidth = 700, o.plotHeight = 500, o.legend = true;
    QImage img(900, 1200, QImage::Format_RGB32);
    QPainter p(&img);
    std::vector<DrawnText> texts;
    PaintModel(p, img.rect(), ws, o, &texts);
    std::vector<int> rows;
    for (const QString& s : starts) {
        auto t = std::find_if(texts.begin(), texts.end(), [&](const DrawnText& d) { return d.text.startsWith(s); });
        rows.push_back(t == texts.end() ? -1 : t->rect.top());
    }
    return rows;
}

}  // namespace

TEST(PrintLegend, RowsAndBodyLinesForWhatThePlotShows)
{
    const std::vector<QString> texts = {"Units are Km.", "Body 1", "Field magnetics -------", "Calculated magnetics",
                                        "Ground line", "Airborne line", "Susceptibility   0.03500",
                                        "Remanence   0.000 A/m", "Rem. inc/dec   0.0/  0.0"};
    const struct {
        void (*set)(Model&, Display&);
        std::vector<bool> printed;   // each of the texts; the units and body rows move down one row
    } cases[] = {
        {[](Model&, Display&) {}, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {[](Model& m, Display& d) {
             m.Bodies[1].Susceptibility = 0.035, d.ShowMagnetic = true;
             setMagneticStations(m, {{5, 0, 1.0}, {35, 0, 2.0}});
         }, {1, 1, 1, 1, 0, 0, 1, 1, 1}},
        {[](Model& m, Display&) {
             m.StationHeight[20] = 0.2;
             setMagneticStations(m, {{5, 0.3, std::nullopt}, {35, 0.3, std::nullopt}});
         }, {1, 1, 0, 0, 1, 1, 0, 1, 1}},
    };
    std::vector<int> gravity;
    for (const auto& c : cases) {
        const std::vector<int> rows = printedRows(c.set, texts);
        if (gravity.empty())
            gravity = rows;
        std::vector<bool> printed(rows.size());
        std::transform(rows.begin(), rows.end(), printed.begin(), [](int r) { return r >= 0; });
        EXPECT_EQ(printed, c.printed);
        const int shift = c.printed[2] || c.printed[4] ? 25 : 0;
        EXPECT_EQ(std::pair(rows[0], rows[1]), std::pair(gravity[0] + shift, gravity[1] + shift));
    }
}

// Point symbols and their labels keep their size relative to the plot.
TEST(PrintLegend, PointSymbolsGrowWithThePlot)
{
    const PrintedPointSize twice = printedPointSize(1214, 607, 13), tiny = printedPointSize(60, 607, 13);
    EXPECT_EQ(std::vector<int>({twice.radius, twice.fontPixels, tiny.radius, tiny.fontPixels}), std::vector<int>({8, 26, 1, 1}));
}
