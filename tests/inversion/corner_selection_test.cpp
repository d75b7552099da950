// Choosing corners for inversion with the mouse: the four click states, the
// marks, the limit of ten unknowns and the end of the selection.
#include "display/view.h"
#include "inversion_ui/corner_selection.h"
#include "inversion_ui/texts.h"
#include "model/workspace.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::setBody;
using corvane::test::setStations;

namespace {

const QRect Client(0, 0, 652, 486);

struct Fixture {
    Workspace ws;
    ScriptedPlatform platform;
    int released = 0;
    std::unique_ptr<CornerSelection> cmd;

    Fixture()
    {
        Model& m = ws.model;
        setStations(m, 101, 0, 100);
        setBody(m, 1, {{20, 10}, {40, 10}, {40, 30}, {20, 30}});
        setBody(m, 2, {{60, 10}, {80, 10}, {80, 30}, {60, 30}});
        m.NumBodies = 2;
        m.RecalculateModel();
        ws.display.ViewXMin = 0;
        ws.display.ViewXMax = 100;
        ws.display.ViewDepthMin = 0;
        ws.display.ViewDepthMax = 50;
        ws.inversion.InversionBody = 2;
        m.CurrentBody = 1;   // the highlighted body is not the one selected on
    }
    void start()
    {
        cmd = std::make_unique<CornerSelection>(ws, platform, [] { return Client; },
                                                [this] { ++released; });
    }
    void click(double x, double z, Qt::MouseButton button = Qt::LeftButton, bool inPanel = true)
    {
        MouseEvent e;
        e.button = button;
        e.model = QPointF(x, z);
        e.screen = SectionToScreen(Client, ws.display, x, z);
        e.inModelPanel = inPanel;
        cmd->press(e);
    }
    const Tbody& body() const { return ws.model.Bodies[2]; }
};

bool blackAt(const QImage& img, QPoint p)
{
    return img.pixelColor(p) == QColor(Qt::black);
}

}  // namespace

TEST(CornerSelection, FourClicksCycleThroughTheStates)
{
    Fixture f;
    f.start();
    const std::vector<std::pair<bool, bool>> expected{
        {true, false}, {false, true}, {true, true}, {false, false}};
    for (int i = 0; i < 4; ++i) {
        f.click(80.3, 10.2);   // corner 2 of body 2, inside the pick box
        EXPECT_EQ(f.body().CornerInvertX[2], expected[static_cast<std::size_t>(i)].first) << i;
        EXPECT_EQ(f.body().CornerInvertZ[2], expected[static_cast<std::size_t>(i)].second) << i;
        EXPECT_EQ(f.cmd->state(2), (i + 1) % 4);
    }
    // Body 1, the current body, is untouched; clicks beside every corner, and
    // clicks outside the model panel, do nothing.
    f.click(40, 10);
    f.click(70, 20);
    f.click(60, 10, Qt::LeftButton, false);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_FALSE(f.ws.model.Bodies[1].CornerInvertX[k]);
        EXPECT_FALSE(f.body().CornerInvertX[k]);
        EXPECT_FALSE(f.body().CornerInvertZ[k]);
    }
    EXPECT_FALSE(f.cmd->finished());
    EXPECT_TRUE(f.platform.messages.empty());
}

TEST(CornerSelection, StartsFromTheStoredFlagsAndEndsWithTheMessage)
{
    Fixture f;
    f.ws.model.Bodies[2].CornerInvertZ[3] = true;
    f.ws.model.Bodies[2].CornerInvertX[4] = true;
    f.ws.model.Bodies[2].CornerInvertZ[4] = true;
    f.start();
    EXPECT_EQ(f.cmd->state(3), 2);
    EXPECT_EQ(f.cmd->state(4), 3);
    f.click(80, 30);   // state 2 -> 3
    EXPECT_TRUE(f.body().CornerInvertX[3]);
    EXPECT_TRUE(f.body().CornerInvertZ[3]);

    f.click(50, 40, Qt::RightButton, false);   // outside the panel: ignored
    EXPECT_FALSE(f.cmd->finished());
    f.click(50, 40, Qt::RightButton);
    EXPECT_TRUE(f.cmd->finished());
    EXPECT_EQ(f.released, 1);
    ASSERT_EQ(f.platform.messages.size(), 1u);
    EXPECT_EQ(f.platform.last().kind, ScriptedPlatform::Kind::Information);
    EXPECT_EQ(f.platform.last().text, "Selection completed");
    f.cmd->cancel();   // releasing happens once however the command ends
    EXPECT_EQ(f.released, 1);
}

TEST(CornerSelection, MarksShowTheSelection)
{
    Fixture f;
    f.start();
    f.click(60, 10);   // corner 1: x
    f.click(80, 10);   // corner 2: x, then z
    f.click(80, 10);
    f.click(80, 30);   // corner 3: x and z
    f.click(80, 30);
    f.click(80, 30);
    QImage img(Client.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        f.cmd->paintOverlay(p);
    }
    auto ends = [](QPoint c) {
        return std::pair{std::pair{c + QPoint(-8, 0), c + QPoint(8, 0)},
                         std::pair{c + QPoint(0, -8), c + QPoint(0, 8)}};
    };
    for (int k = 1; k <= 4; ++k) {
        const QPoint c = f.cmd->markPosition(k);
        EXPECT_EQ(c, SectionToScreen(Client, f.ws.display, f.body().CornerX[k], f.body().CornerZ[k]));
        const auto [h, v] = ends(c);
        const bool wantH = k == 1 || k == 3, wantV = k == 2 || k == 3;
        EXPECT_EQ(blackAt(img, h.first) && blackAt(img, h.second), wantH) << "corner " << k;
        EXPECT_EQ(blackAt(img, v.first) && blackAt(img, v.second), wantV) << "corner " << k;
        // The arrow heads: two pixels off the shaft, one mark size from the centre.
        EXPECT_EQ(blackAt(img, c + QPoint(-4, -2)), wantH) << "corner " << k;
        EXPECT_EQ(blackAt(img, c + QPoint(2, 4)), wantV) << "corner " << k;
    }

    // A corner left of the view keeps its marks at the axis strip's edge.
    f.ws.display.ViewXMin = 70;
    EXPECT_EQ(f.cmd->markPosition(1).x(), f.ws.display.SectionLeft);
}

TEST(CornerSelection, RefusesAnEleventhUnknown)
{
    // Ten unknowns with corner 4 free: a click on it is refused and changes nothing.
    Fixture f;
    Tbody& b = f.ws.model.Bodies[2];
    b.InvertDensity = b.InvertXPos = b.InvertDepth = b.InvertAngle = true;
    for (int k = 1; k <= 3; ++k)
        b.CornerInvertX[k] = b.CornerInvertZ[k] = true;
    f.start();
    f.click(60, 30);
    EXPECT_EQ(f.platform.last().kind, ScriptedPlatform::Kind::Error);
    EXPECT_EQ(f.platform.last().text, texts::TooManyUnknowns);
    EXPECT_FALSE(b.CornerInvertX[4]);
    EXPECT_EQ(f.cmd->state(4), 0);
    f.click(80, 30);   // corner 3: both -> none frees two
    f.click(60, 30);   // now corner 4 may take one
    EXPECT_TRUE(b.CornerInvertX[4]);

    // Ten unknowns with corner 4 at z alone: x and z would be eleven, so the
    // click goes on to none rather than leaving the corner stuck.
    Fixture g;
    Tbody& c = g.ws.model.Bodies[2];
    c.InvertDensity = c.InvertXPos = c.InvertDepth = c.InvertAngle = true;
    c.CornerInvertX[1] = c.CornerInvertZ[1] = true;
    c.CornerInvertX[2] = c.CornerInvertZ[2] = true;
    c.CornerInvertX[3] = true;
    c.CornerInvertZ[4] = true;
    g.start();
    g.click(80, 30);   // corner 3: x -> z keeps the count, no message
    EXPECT_TRUE(c.CornerInvertZ[3]);
    EXPECT_TRUE(g.platform.messages.empty());
    g.click(60, 30);
    EXPECT_EQ(g.platform.last().text, texts::TooManyUnknowns);
    EXPECT_FALSE(c.CornerInvertX[4]);
    EXPECT_FALSE(c.CornerInvertZ[4]);
    EXPECT_EQ(g.cmd->state(4), 0);
}
