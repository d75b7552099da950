// The gradient panel's switch and component items: offered with gradient
// stations, checked as the panel shows, never leaving the panel empty.
#include "app/tcorvane.h"
#include "model/gradient_data.h"
#include "platform/scripted_platform.h"
#include "support/helpers.h"

#include <QAction>

#include <gtest/gtest.h>

using namespace corvane;

TEST(GradientMenu, SwitchAndComponentsFollowTheStationsAndTheChoice)
{
    ScriptedPlatform platform;
    Tcorvane window{platform};
    Workspace& ws = window.workspace();
    test::twoBodyModel(ws.model, 21);
    ws.display.ModelLoaded = true;
    window.MenuStateLoaded();
    const char* items[] = {"Gradientxx1", "Gradientxy1", "Gradientxz1", "Gradientyy1", "Gradientyz1", "Gradientzz1"};
    auto checkedItems = [&] {
        std::string out;
        for (const char* n : items)
            out += window.action(n)->isChecked() ? "1" : "0";
        return out;
    };
    EXPECT_FALSE(window.action("Showgradients1")->isEnabled());
    window.action("Showgradients1")->trigger();
    EXPECT_FALSE(ws.display.ShowGradient);

    setGradientStations(ws.model, {{10, 0, {0, 0, 3}, {false, false, true}}, {20, 0, {}, {}}}, TensorFrame::Profile);
    window.MenuStateLoaded();
    EXPECT_TRUE(window.action("Showgradients1")->isEnabled());
    EXPECT_FALSE(window.action("Showgradients1")->isChecked());
    EXPECT_EQ(checkedItems(), "001001");   // T_zz and the observed T_xz
    window.action("Showgradients1")->trigger();
    EXPECT_TRUE(ws.display.ShowGradient);
    EXPECT_TRUE(window.action("Showgradients1")->isChecked());

    const std::pair<const char*, const char*> steps[] = {
        {"Gradientxx1", "101001"}, {"Gradientxz1", "100001"}, {"Gradientzz1", "100000"}, {"Gradientxx1", "100000"}};
    for (const auto& [item, after] : steps) {
        window.action(item)->trigger();
        EXPECT_EQ(checkedItems(), after) << item;
    }
    EXPECT_EQ(ws.display.GradientComponents, 1);
}
