// Gradient stations in the extras block.
#include "io/model_file.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace corvane;

TEST(GradientExtras, StationsSaveLoadAndCalculate)
{
    auto ws = std::make_unique<Workspace>(), back = std::make_unique<Workspace>();
    test::setStations(ws->model, 21, 0, 20);
    test::setBody(ws->model, 1, {{4, 1}, {8, 1}, {8, 3}, {4, 3}}, 0.3, 5, 5);
    const std::string without = modelFileBytes(*ws).value_or("");
    GradientStations& g = ws->model.Grad;
    g.Num = 2, g.Frame = TensorFrame::Geographic;
    g.X[1] = 2.5, g.Height[1] = 0.1, g.X[2] = 9;
    g.Observed[1] = {1.5, 0, -3, 0, 0, 40};
    g.HasObserved[1] = {true, false, true, false, false, true};
    const std::string first = modelFileBytes(*ws).value_or("");
    EXPECT_TRUE(first.ends_with("\r\ngradient-frame geographic\r\n"
                                "gradstation 2.5 0.1 1.5 - -3 - - 40\r\ngradstation 9 0 - - - - - -\r\n#END\r\n"));
    ASSERT_EQ(loadModelBytes(*back, first).message(), "");
    EXPECT_EQ(modelFileBytes(*back).value_or(""), first);
    EXPECT_EQ(std::memcmp(&back->model.Grad.HasObserved, &g.HasObserved, sizeof g.HasObserved), 0);
    auto fresh = std::make_unique<Model>(back->model);   // calculated on loading
    fresh->RecalculateGradients();
    EXPECT_NE(back->model.Grad.Calculated[2].zz, 0);
    EXPECT_EQ(back->model.Grad.Calculated, fresh->Grad.Calculated);
    // Without stations the file of before, and loading it clears them.
    g.Num = 0;
    EXPECT_EQ(modelFileBytes(*ws).value_or(""), without);
    ASSERT_EQ(loadModelBytes(*back, without).message(), "");
    EXPECT_EQ(back->model.Grad.Num, 0);
}

// The panel's keys are written only when the panel is on or components were
// chosen, read back as they were, and a file without them turns both off.
TEST(GradientExtras, PanelKeysOnlyWhenUsed)
{
    auto ws = std::make_unique<Workspace>(), back = std::make_unique<Workspace>();
    test::setStations(ws->model, 21, 0, 20);
    test::setBody(ws->model, 1, {{4, 1}, {8, 1}, {8, 3}, {4, 3}}, 0.3, 5, 5);
    GradientStations& g = ws->model.Grad;
    g.Num = 1, g.X[1] = 2.5;
    const std::string station = "gradstation 2.5 0 - - - - - -\r\n";
    struct Case {
        bool panel;
        int components;
        const char* lines;
    };
    const Case cases[] = {
        {false, 0, ""},
        {true, 0, "display gradient-panel 1\r\n"},
        {false, 36, "display gradient-components xz,zz\r\n"},
        {true, 1 | 32, "display gradient-panel 1\r\ndisplay gradient-components xx,zz\r\n"},
    };
    for (const Case& c : cases) {
        ws->display.ShowGradient = c.panel;
        ws->display.GradientComponents = c.components;
        const std::string bytes = modelFileBytes(*ws).value_or("");
        const std::size_t block = bytes.find("#CORVANE-EXTRAS 1\r\n");
        ASSERT_NE(block, std::string::npos);
        EXPECT_EQ(bytes.substr(block), "#CORVANE-EXTRAS 1\r\n" + station + c.lines + "#END\r\n");
        ASSERT_EQ(loadModelBytes(*back, bytes).message(), "");
        EXPECT_EQ(back->display.ShowGradient, c.panel);
        EXPECT_EQ(back->display.GradientComponents, c.components);
        EXPECT_EQ(modelFileBytes(*back).value_or(""), bytes);
    }
    g.Num = 0;
    ws->display.ShowGradient = false;
    ws->display.GradientComponents = 0;
    ASSERT_EQ(loadModelBytes(*back, modelFileBytes(*ws).value_or("")).message(), "");
    EXPECT_FALSE(back->display.ShowGradient);
    EXPECT_EQ(back->display.GradientComponents, 0);
}
