// The printed page of a model that goes beyond gravity: legend rows for the
// magnetic curves and the section's lines, the magnetisation in the body
// blocks, point symbols grown with the plot. A gravity model's page is as
// it always was.
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

void gravityModel(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 41, 0, 40);
    test::setBody(m, 1, {{10, 2}, {20, 2}, {20, 6}, {10, 6}}, 0.2);
    m.NumBodies = 1;
    m.ModelExists = true;
    m.RecalculateModel();
    for (int i = 1; i <= 41; ++i)
        m.ObservedGravity[i] = m.CalculatedGravity[i];
    Display& d = ws.display;
    d.ModelLoaded = true;
    d.ViewXMin = 0;
    d.ViewXMax = 40;
    d.ViewDepthMin = -1;
    d.ViewDepthMax = 10;
}

std::vector<DrawnText> printedTexts(Workspace& ws)
{
    PrintOptions o;
    o.u = o.v = 100;
    o.plotWidth = 700;
    o.plotHeight = 500;
    o.legend = true;
    QImage img(900, 1200, QImage::Format_RGB32);
    QPainter p(&img);
    ws.display.Printing = true;
    std::vector<DrawnText> texts;
    PaintModel(p, img.rect(), ws, o, &texts);
    ws.display.Printing = false;
    return texts;
}

std::optional<QRect> find(const std::vector<DrawnText>& texts, const QString& start)
{
    for (const DrawnText& t : texts)
        if (t.text.startsWith(start))
            return t.rect;
    return std::nullopt;
}

}  // namespace

TEST(PrintLegend, RowsAndBodyLinesForWhatThePlotShows)
{
    const struct {
        const char* name;
        void (*set)(Model&, Display&);
        std::vector<QString> shown, absent;
        int extraRows;
    } cases[] = {
        {"gravity", [](Model&, Display&) {}, {},
         {"Field magnetics", "Ground line", "Airborne line", "Susceptibility"}, 0},
        {"magnetic panel",
         [](Model& m, Display& d) {
             m.Bodies[1].Susceptibility = 0.035;
             setMagneticStations(m, {{5, 0, 1.0}, {35, 0, 2.0}});
             d.ShowMagnetic = true;
         },
         {"Field magnetics -------", "Calculated magnetics", "Susceptibility   0.03500", "Remanence   0.000 A/m",
          "Rem. inc/dec   0.0/  0.0"},
         {"Ground line", "Airborne line"}, 1},
        {"flown over a hill, panel hidden",
         [](Model& m, Display&) {
             m.StationHeight[20] = 0.2;
             setMagneticStations(m, {{5, 0.3, std::nullopt}, {35, 0.3, std::nullopt}});
         },
         {"Ground line", "Airborne line", "Susceptibility"}, {"Field magnetics"}, 1},
    };
    Workspace plain;
    gravityModel(plain);
    const std::vector<DrawnText> gravityTexts = printedTexts(plain);
    const int unitsRow = find(gravityTexts, "Units are Km.").value_or(QRect()).top();
    const int bodyRow = find(gravityTexts, "Body 1").value_or(QRect()).top();
    for (const auto& c : cases) {
        Workspace ws;
        gravityModel(ws);
        c.set(ws.model, ws.display);
        const std::vector<DrawnText> texts = printedTexts(ws);
        for (const QString& s : c.shown)
            EXPECT_TRUE(find(texts, s)) << c.name << ": " << s.toStdString();
        for (const QString& s : c.absent)
            EXPECT_FALSE(find(texts, s)) << c.name << ": " << s.toStdString();
        // The rows below move down by the rows added, 25 pixels each.
        EXPECT_EQ(find(texts, "Units are Km.").value_or(QRect()).top(), unitsRow + 25 * c.extraRows) << c.name;
        EXPECT_EQ(find(texts, "Body 1").value_or(QRect()).top(), bodyRow + 25 * c.extraRows) << c.name;
    }
}

TEST(PrintLegend, PointSymbolsAndLabelsGrowWithThePlot)
{
    const struct {
        int panel, screenPanel, font, radius, fontPixels;
    } cases[] = {
        {607, 607, 13, 4, 13},      // the window's size
        {1214, 607, 13, 8, 26},     // twice as wide
        {6070, 607, 17, 40, 170},
        {100, 607, 13, 1, 2},       // smaller, never to nothing
    };
    for (const auto& c : cases) {
        const PrintedPointSize s = printedPointSize(c.panel, c.screenPanel, c.font);
        EXPECT_EQ(s.radius, c.radius) << c.panel;
        EXPECT_EQ(s.fontPixels, c.fontPixels) << c.panel;
    }
}
