// Gradient stations in the extras block.
#include "io/model_file.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <tuple>

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

// The panel's keys only when used, read back as written; a file without them
// turns both off.
TEST(GradientExtras, PanelKeysOnlyWhenUsed)
{
    auto ws = std::make_unique<Workspace>(), back = std::make_unique<Workspace>();
    test::setStations(ws->model, 21, 0, 20);
    test::setBody(ws->model, 1, {{4, 1}, {8, 1}, {8, 3}, {4, 3}}, 0.3, 5, 5);
    ws->model.Grad.Num = 1, ws->model.Grad.X[1] = 2.5;
    const std::string station = "#CORVANE-EXTRAS 1\r\ngradstation 2.5 0 - - - - - -\r\n";
    const std::tuple<bool, int, const char*> cases[] = {
        {false, 0, ""},
        {true, 0, "display gradient-panel 1\r\n"},
        {true, 1 | 32, "display gradient-panel 1\r\ndisplay gradient-components xx,zz\r\n"},
    };
    for (const auto& [panel, components, lines] : cases) {
        ws->display.ShowGradient = panel, ws->display.GradientComponents = components;
        const std::string bytes = modelFileBytes(*ws).value_or("");
        EXPECT_TRUE(bytes.ends_with(station + lines + "#END\r\n")) << lines;
        ASSERT_EQ(loadModelBytes(*back, bytes).message(), "");
        EXPECT_EQ(std::pair(back->display.ShowGradient, back->display.GradientComponents), std::pair(panel, components));
    }
    ws->model.Grad.Num = 0, ws->display = Display{};
    ASSERT_EQ(loadModelBytes(*back, modelFileBytes(*ws).value_or("")).message(), "");
    EXPECT_EQ(std::pair(back->display.ShowGradient, back->display.GradientComponents), std::pair(false, 0));
}
