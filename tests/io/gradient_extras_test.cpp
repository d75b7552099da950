// Gradient stations in the extras block.
#include "io/model_extras.h"
#include "io/model_file.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace corvane;

namespace {

std::unique_ptr<Workspace> twoBodies()
{
    auto ws = std::make_unique<Workspace>();
    Model& m = ws->model;
    test::setStations(m, 21, 0, 20);
    m.NumBodies = 2;
    test::setBody(m, 1, {{4, 1}, {8, 1}, {8, 3}, {4, 3}}, 0.3, 5, 5);
    test::setBody(m, 2, {{10, 2}, {14, 1}, {13, 4}}, -0.2, 2, 8);
    m.RecalculateModel();
    return ws;
}

std::string save(const Workspace& ws)
{
    auto bytes = modelFileBytes(ws);
    EXPECT_TRUE(bytes) << bytes.message();
    return bytes.value_or("");
}

}  // namespace

TEST(GradientExtras, StationsSaveLoadAndCalculate)
{
    auto ws = twoBodies();
    const std::string without = save(*ws);
    GradientStations& g = ws->model.Grad;
    g.Num = 2;
    g.Frame = TensorFrame::Geographic;
    g.X[1] = 2.5, g.Height[1] = 0.1;
    g.X[2] = 9, g.Height[2] = 0;
    g.Observed[1] = {1.5, 0, -3, 0, 0, 40};
    g.HasObserved[1] = {true, false, true, false, false, true};
    const std::string first = save(*ws);
    EXPECT_TRUE(first.ends_with("\r\n#CORVANE-EXTRAS 1\r\ngradient-frame geographic\r\n"
                                "gradstation 2.5 0.1 1.5 - -3 - - 40\r\ngradstation 9 0 - - - - - -\r\n#END\r\n"))
        << first.substr(first.size() - 160);

    auto back = twoBodies();
    ASSERT_EQ(loadModelBytes(*back, first).message(), "");
    EXPECT_EQ(save(*back), first);
    const GradientStations& b = back->model.Grad;
    ASSERT_EQ(b.Num, 2);
    EXPECT_EQ(b.Frame, TensorFrame::Geographic);
    EXPECT_EQ(b.Observed[1], g.Observed[1]);
    EXPECT_EQ(b.HasObserved[1], g.HasObserved[1]);
    EXPECT_EQ(b.HasObserved[2], TensorFlags{});
    // The tensors are calculated on loading, as a full recalculation gives them.
    auto fresh = std::make_unique<Model>(back->model);
    fresh->RecalculateGradients();
    EXPECT_NE(b.Calculated[2].zz, 0);
    EXPECT_EQ(b.Calculated[1], fresh->Grad.Calculated[1]);
    EXPECT_EQ(b.Calculated[2], fresh->Grad.Calculated[2]);

    // In the profile frame no frame line; without stations the file of before.
    g.Frame = TensorFrame::Profile;
    EXPECT_EQ(save(*ws).find("gradient-frame"), std::string::npos);
    g.Num = 0;
    EXPECT_EQ(save(*ws), without);
    ASSERT_EQ(loadModelBytes(*back, without).message(), "");
    EXPECT_EQ(back->model.Grad.Num, 0);
}

TEST(GradientExtras, BadLinesAreNamed)
{
    struct Case {
        const char* line;
        const char* why;
    };
    const Case cases[] = {
        {"gradient-frame north", "\"north\" is not a frame (profile or geographic)"},
        {"gradstation 1 0 - - - - -", "takes 8 fields, this line has 7"},
        {"gradstation 1 0 x - - - - -", "\"x\" is not a number"},
        {"gradstation 1e308 0 - - - - - -", "a station's position must be from"},
        {"gradstation 1 0 - - - - - 1e308", "an observed gradient must be from -10000000 to 10000000 E"},
    };
    const auto ws = twoBodies();
    const std::string records = save(*ws);
    for (const Case& c : cases) {
        auto back = twoBodies();
        std::vector<std::string> notes;
        ASSERT_EQ(loadModelBytes(*back, records + "\r\n#CORVANE-EXTRAS 1\r\n" + c.line + "\r\n#END\r\n", &notes)
                      .message(),
                  "");
        ASSERT_EQ(notes.size(), 1u) << c.line;
        EXPECT_NE(notes[0].find(c.why), std::string::npos) << notes[0];
        EXPECT_EQ(back->model.Grad.Num, 0);
    }
}
