// Display options: menu toggles, plan-view menu lists, double-click zones and
// the option dialogs driven through the scripted platform.
#include "display/options.h"
#include "display/options_dialogs.h"
#include "display/options_widgets.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace corvane {
namespace {

// A begun model: stations 0..100, observed data, two bodies.
struct OptionsFixture : ::testing::Test {
    Workspace ws;
    ScriptedPlatform platform;
    OptionsFixture()
    {
        test::setStations(ws.model, 11, 0, 100);
        ws.model.NumBodies = 2;
        ws.display.ModelBegun = true;
        ws.display.ViewXMin = 0;
        ws.display.ViewXMax = 100;
    }

    // Shows the dialog through the platform; fill sets its boxes, then OK or Cancel.
    int run(QDialog& d, const std::function<void(QDialog&)>& fill, bool ok = true)
    {
        platform.dialogHandler = [&](QDialog& dlg) {
            fill(dlg);
            dlg.findChild<QPushButton*>(ok ? "OKBtn" : "CancelBtn")->click();
            return dlg.result();
        };
        return platform.execDialog(d);
    }
    static void set(QDialog& d, const char* name, const QString& text)
    {
        auto* e = d.findChild<QLineEdit*>(name);
        ASSERT_NE(e, nullptr) << name;
        e->setText(text);
    }
    static QString get(QDialog& d, const char* name) { return d.findChild<QLineEdit*>(name)->text(); }
};

using DisplayToggles = OptionsFixture;

TEST_F(DisplayToggles, SideRules)
{
    Display& d = ws.display;
    const Model& m = ws.model;
    EXPECT_TRUE(applyDisplayToggle(d, m, DisplayToggle::BodyNumbers));
    EXPECT_TRUE(d.ShowBodyNumbers);
    EXPECT_FALSE(d.ShowDensities);
    EXPECT_TRUE(applyDisplayToggle(d, m, DisplayToggle::BodyDensities));
    EXPECT_TRUE(d.ShowDensities);
    EXPECT_FALSE(d.ShowBodyNumbers);
    // Turning one off leaves the other off.
    EXPECT_TRUE(applyDisplayToggle(d, m, DisplayToggle::BodyDensities));
    EXPECT_FALSE(d.ShowDensities);
    EXPECT_FALSE(d.ShowBodyNumbers);

    EXPECT_TRUE(applyDisplayToggle(d, m, DisplayToggle::Difference));
    EXPECT_TRUE(d.ShowDifference);
    EXPECT_TRUE(applyDisplayToggle(d, m, DisplayToggle::Individual));
    EXPECT_TRUE(d.ShowIndividual);
    EXPECT_FALSE(d.ShowDifference);
    EXPECT_TRUE(applyDisplayToggle(d, m, DisplayToggle::Difference));
    EXPECT_FALSE(d.ShowIndividual);

    EXPECT_TRUE(applyDisplayToggle(d, m, DisplayToggle::PlotPoints));
    EXPECT_TRUE(d.PlotPoints);
    EXPECT_TRUE(applyDisplayToggle(d, m, DisplayToggle::PlanView));
    EXPECT_TRUE(toggleFlag(d, DisplayToggle::PlanView));
    EXPECT_EQ(toggleActionName(DisplayToggle::PlanView), "PLanview1");
}

TEST_F(DisplayToggles, SomeTogglesDoNothingWithoutTheirData)
{
    Display& d = ws.display;
    d.ModelBegun = false;
    EXPECT_FALSE(applyDisplayToggle(d, ws.model, DisplayToggle::HighlightCorners));
    EXPECT_TRUE(d.HighlightCorners);
    d.ModelLoaded = true;
    EXPECT_TRUE(applyDisplayToggle(d, ws.model, DisplayToggle::HighlightCorners));
    EXPECT_FALSE(d.HighlightCorners);

    ws.model.HaveObserved = false;
    d.ShowIndividual = true;
    EXPECT_FALSE(applyDisplayToggle(d, ws.model, DisplayToggle::Difference));
    EXPECT_FALSE(d.ShowDifference);
    EXPECT_TRUE(d.ShowIndividual);
}

TEST_F(DisplayToggles, PlanViewMenuLists)
{
    auto states = [&] {
        std::map<QString, bool> out;
        for (const MenuEnable& e : planViewMenuChanges(ws.display, ws.model))
            out[e.action] = e.enabled;
        return out;
    };
    ws.display.PlanView = true;
    auto on = states();
    EXPECT_EQ(on.size(), 23u);
    for (const auto& [name, enabled] : on)
        EXPECT_FALSE(enabled) << name.toStdString();
    EXPECT_TRUE(on.count("Abstractpartoftheprofile1"));
    EXPECT_TRUE(on.count("Zoomin1"));
    EXPECT_FALSE(on.count("Zoomout1"));

    ws.model.HaveObserved = false;
    EXPECT_EQ(states().size(), 18u);   // the inversion and regional items keep their state

    ws.display.PlanView = false;
    ws.model.NumBodies = 1;
    auto off = states();
    EXPECT_EQ(off.size(), 18u);
    EXPECT_TRUE(off["Moveabody1"]);
    EXPECT_TRUE(off["setdisplaysize1"]);
    EXPECT_TRUE(off["Addabody1"]);
    EXPECT_FALSE(off["Linkabody1"]);
    EXPECT_FALSE(off["Hideabody1"]);
    // A magnetic survey alone brings the inversion items back.
    ws.model.Mag.Num = 1;
    ws.model.Mag.HasObserved[1] = true;
    off = states();
    EXPECT_EQ(off.size(), 21u);
    EXPECT_TRUE(off["Invertthemodel1"]);
    EXPECT_FALSE(off.count("Modifytheregionalfield1"));
    ws.model.Mag.Num = 0;

    ws.model.NumBodies = MaxBodies;
    ws.model.HaveObserved = true;
    off = states();
    EXPECT_EQ(off.size(), 23u);
    EXPECT_FALSE(off["Addabody1"]);
    EXPECT_FALSE(off["Copyabody1"]);
    EXPECT_TRUE(off["Deleteabody1"]);
    EXPECT_TRUE(off["Invertthemodel1"]);
}

TEST(DoubleClick, Zones)
{
    // Client height 486: Mid = 235.
    EXPECT_EQ(doubleClickZone(41, 234, 486), DoubleClickZone::CurveProperties);
    EXPECT_EQ(doubleClickZone(39, 234, 486), DoubleClickZone::GravityAxis);
    EXPECT_EQ(doubleClickZone(39, 236, 486), DoubleClickZone::DepthAxis);
    EXPECT_EQ(doubleClickZone(41, 236, 486), DoubleClickZone::ModelPanel);
    // On the divider row or the strip's edge column: the model panel.
    EXPECT_EQ(doubleClickZone(20, 235, 486), DoubleClickZone::ModelPanel);
    EXPECT_EQ(doubleClickZone(40, 100, 486), DoubleClickZone::ModelPanel);
}

using OptionDialogs = OptionsFixture;

TEST_F(OptionDialogs, DisplayLimits)
{
    Tdisplaylimits dlg(ws);
    EXPECT_EQ(dlg.windowTitle(), "Display Limits");
    ws.display.ViewXMin = 12.5;
    ws.display.ViewXMax = 80;
    QString shown;
    run(dlg, [&](QDialog& d) { shown = get(d, "xmin"); }, false);
    EXPECT_EQ(shown, "     12.50");
    EXPECT_EQ(ws.display.ViewXMin, 12.5);

    // A reversed horizontal range goes back to the whole profile.
    EXPECT_EQ(run(dlg, [](QDialog& d) { set(d, "xmin", "50"); set(d, "xmax", "20"); }),
              QDialog::Accepted);
    EXPECT_EQ(ws.display.ViewXMin, 0.0);
    EXPECT_EQ(ws.display.ViewXMax, 100.0);

    // Beyond the stations: held to them. Text that is not a number: unchanged.
    ws.display.ViewDepthMax = 40;
    run(dlg, [](QDialog& d) {
        set(d, "xmin", "-30");
        set(d, "xmax", "60");
        set(d, "zmin", "-5");
        set(d, "zmax", "depth");
    });
    EXPECT_EQ(ws.display.ViewXMin, 0.0);
    EXPECT_EQ(ws.display.ViewXMax, 60.0);
    EXPECT_EQ(ws.display.ViewDepthMin, 0.0);
    EXPECT_EQ(ws.display.ViewDepthMax, 40.0);

    // A maximum above the minimum, or equal to it, gives a range of 100.
    run(dlg, [](QDialog& d) { set(d, "zmin", "30"); set(d, "zmax", "10"); });
    EXPECT_EQ(ws.display.ViewDepthMin, 30.0);
    EXPECT_EQ(ws.display.ViewDepthMax, 130.0);
    run(dlg, [](QDialog& d) { set(d, "zmin", "7"); set(d, "zmax", "7"); });
    EXPECT_EQ(ws.display.ViewDepthMin, 7.0);
    EXPECT_EQ(ws.display.ViewDepthMax, 107.0);

    // Cancel writes nothing.
    run(dlg, [](QDialog& d) { set(d, "xmin", "10"); set(d, "zmax", "500"); }, false);
    EXPECT_EQ(ws.display.ViewXMin, 0.0);
    EXPECT_EQ(ws.display.ViewDepthMax, 107.0);
}

TEST_F(OptionDialogs, GridOptions)
{
    Tgridoptions dlg(ws);
    EXPECT_EQ(dlg.windowTitle(), "Grid Options");
    auto dots = [&](const QString& v) {
        run(dlg, [&](QDialog& d) { set(d, "dotfrequency", v); });
        return ws.display.GridDotFrequency;
    };
    EXPECT_EQ(dots("-4"), 4);
    EXPECT_EQ(dots("0"), 1);
    EXPECT_EQ(dots("15"), 10);
    EXPECT_EQ(dots("6.5"), 6);
    EXPECT_EQ(dots("1e300"), 10);
    EXPECT_EQ(dots("x"), 10);

    // Zero intervals: a tenth of the profile and of the depth range, rounded.
    ws.display.ViewDepthMin = 0;
    ws.display.ViewDepthMax = 44;
    run(dlg, [](QDialog& d) {
        set(d, "xinterval", "0");
        set(d, "zinterval", "0");
        d.findChild<QCheckBox*>("drawgrid")->setChecked(true);
        d.findChild<QCheckBox*>("snapgrid")->setChecked(true);
    });
    EXPECT_EQ(ws.display.GridStepX, 10.0);
    EXPECT_EQ(ws.display.GridStepZ, 4.0);
    EXPECT_TRUE(ws.display.DrawGrid);
    EXPECT_TRUE(ws.display.SnapToGrid);

    // Boxes show the state on opening.
    QString x;
    bool snap = false;
    run(dlg, [&](QDialog& d) {
        x = get(d, "xinterval");
        snap = d.findChild<QCheckBox*>("snapgrid")->isChecked();
    }, false);
    EXPECT_EQ(x, "     10.00");
    EXPECT_TRUE(snap);

    // A profile too short for a rounded tenth still gets a usable interval.
    test::setStations(ws.model, 5, 0, 3);
    run(dlg, [](QDialog& d) { set(d, "xinterval", "0"); });
    EXPECT_NEAR(ws.display.GridStepX, 0.3, 1e-12);
}

TEST_F(OptionDialogs, FontHeight)
{
    Tsetfontheight dlg(ws);
    EXPECT_EQ(dlg.windowTitle(), "Font Height Entry");
    auto font = [&](const QString& v) {
        run(dlg, [&](QDialog& d) { set(d, "fontheight", v); });
        return ws.display.FontHeight;
    };
    EXPECT_EQ(font("3"), 5);
    EXPECT_EQ(font("25"), 20);
    EXPECT_EQ(font("12.6"), 13);
    EXPECT_EQ(font("twelve"), 13);
    EXPECT_EQ(font("-1e300"), 5);
    QString shown;
    run(dlg, [&](QDialog& d) { shown = get(d, "fontheight"); }, false);
    EXPECT_EQ(shown, "5");
}

TEST_F(OptionDialogs, ColourScheme)
{
    Tcolourscheme dlg(ws);
    EXPECT_EQ(dlg.windowTitle(), "Colour Scheme");
    EXPECT_NE(dlg.findChild<QWidget*>("Image1"), nullptr);
    EXPECT_NE(dlg.findChild<QWidget*>("Image2"), nullptr);
    ws.display.ColourScheme = 2;
    int shown = -1;
    run(dlg, [&](QDialog&) { shown = dlg.selectedIndex(); dlg.select(2); }, false);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(ws.display.ColourScheme, 2);
    run(dlg, [&](QDialog& d) { d.findChild<QRadioButton*>("scheme0")->click(); });
    EXPECT_EQ(ws.display.ColourScheme, 1);
    EXPECT_EQ(dlg.findChild<QRadioButton*>("scheme3")->text(), "Colour scale");
}

TEST_F(OptionDialogs, GravityAxis)
{
    TGaxis dlg(ws);
    EXPECT_EQ(dlg.windowTitle(), "Gravity Axis Parameters");
    ws.display.GravityDecimals = 1;
    ws.display.GravityTickStep = 0.5;
    QString inc, dec;
    // The spin acts at once, even when the dialog is then cancelled.
    run(dlg, [&](QDialog& d) {
        inc = get(d, "increment");
        auto* spin = d.findChild<SpinButton*>("SpinButton1");
        spin->clickDown();
        spin->clickDown();   // not below 0
        for (int i = 0; i < 3; ++i)
            spin->clickUp();
        dec = d.findChild<QLabel*>("decimals")->text();
    }, false);
    EXPECT_EQ(inc, "   0.50000");
    EXPECT_EQ(dec, "3");
    EXPECT_EQ(ws.display.GravityDecimals, 3);
    EXPECT_EQ(ws.display.GravityTickStep, 0.5);

    // An increment of 0 with the axis from -2 to 6 becomes 2.
    ws.display.GravityMin = -2;
    ws.display.GravityMax = 6;
    run(dlg, [](QDialog& d) { set(d, "increment", "0"); });
    EXPECT_EQ(ws.display.GravityTickStep, 2.0);
    run(dlg, [](QDialog& d) { set(d, "increment", "?"); });
    EXPECT_EQ(ws.display.GravityTickStep, 2.0);
    // A flat range cannot give a step of 0.
    ws.display.GravityMin = ws.display.GravityMax = 3;
    run(dlg, [](QDialog& d) { set(d, "increment", "0"); });
    EXPECT_GT(ws.display.GravityTickStep, 0.0);
}

TEST_F(OptionDialogs, DepthAxis)
{
    TDepthScale dlg(ws);
    EXPECT_EQ(dlg.windowTitle(), "Depth Axis Parameters");
    bool labelled = false;
    for (QLabel* l : dlg.findChildren<QLabel*>())
        labelled |= l->text() == "Axis labelling incrememnt";
    EXPECT_TRUE(labelled);

    ws.display.DepthTickStep = 25;
    QString shown[3];
    run(dlg, [&](QDialog& d) {
        shown[0] = get(d, "maxdepth");
        shown[1] = get(d, "mindepth");
        shown[2] = get(d, "increment");
    }, false);
    EXPECT_EQ(shown[0], "     100.0");
    EXPECT_EQ(shown[1], "       0.0");
    EXPECT_EQ(shown[2], "    25.000");

    // Maximum 5 with minimum 10: the minimum becomes -95, then 0.
    run(dlg, [](QDialog& d) { set(d, "maxdepth", "5"); set(d, "mindepth", "10"); });
    EXPECT_EQ(ws.display.ViewDepthMax, 5.0);
    EXPECT_EQ(ws.display.ViewDepthMin, 0.0);

    // An increment of 80 on 0..100 becomes 25.
    run(dlg, [](QDialog& d) {
        set(d, "maxdepth", "100");
        set(d, "mindepth", "0");
        set(d, "increment", "80");
    });
    EXPECT_EQ(ws.display.DepthTickStep, 25.0);
    // An increment of 0 would never end the axis: also a quarter of the range.
    run(dlg, [](QDialog& d) { set(d, "increment", "0"); set(d, "mindepth", "bad"); });
    EXPECT_EQ(ws.display.DepthTickStep, 25.0);
    EXPECT_EQ(ws.display.ViewDepthMin, 0.0);
    // A maximum at or above the surface still leaves a depth range.
    run(dlg, [](QDialog& d) { set(d, "maxdepth", "-20"); set(d, "mindepth", "0"); });
    EXPECT_EQ(ws.display.ViewDepthMin, 0.0);
    EXPECT_GT(ws.display.ViewDepthMax, ws.display.ViewDepthMin);
    EXPECT_GT(ws.display.DepthTickStep, 0.0);
}

TEST_F(OptionDialogs, CurvePropertiesCheckBoxes)
{
    Tcurves dlg(ws, platform);
    EXPECT_EQ(dlg.windowTitle(), "Curve Properties");
    auto box = [&](const char* n) { return dlg.findChild<QCheckBox*>(n); };

    run(dlg, [&](QDialog&) {
        EXPECT_TRUE(box("individual")->isEnabled());
        box("individual")->click();
        box("difference")->click();   // clears individual and points
        EXPECT_FALSE(box("individual")->isChecked());
        box("points")->click();       // clears difference
        EXPECT_FALSE(box("difference")->isChecked());
    });
    EXPECT_FALSE(ws.display.ShowIndividual);
    EXPECT_FALSE(ws.display.ShowDifference);
    EXPECT_TRUE(ws.display.PlotPoints);

    run(dlg, [&](QDialog&) {
        EXPECT_TRUE(box("points")->isChecked());   // filled from the state
        box("difference")->click();
        EXPECT_FALSE(box("points")->isChecked());
    }, false);
    EXPECT_TRUE(ws.display.PlotPoints);   // cancelled
    EXPECT_FALSE(ws.display.ShowDifference);

    // With one body the individual box cannot be used.
    ws.model.NumBodies = 1;
    run(dlg, [&](QDialog&) { EXPECT_FALSE(box("individual")->isEnabled()); }, false);

    // Without observed data the difference and points boxes are cleared and disabled.
    ws.model.HaveObserved = false;
    ws.display.ShowDifference = true;
    run(dlg, [&](QDialog& d) {
        EXPECT_FALSE(box("difference")->isEnabled());
        EXPECT_FALSE(box("points")->isEnabled());
        EXPECT_FALSE(box("points")->isChecked());
        EXPECT_FALSE(d.findChild<QPushButton*>("obscolour")->isEnabled());
        EXPECT_FALSE(d.findChild<QLabel*>("obslabel")->isEnabled());
        EXPECT_FALSE(d.findChild<ColourSwatch*>("obsswatch")->filled());
    });
    EXPECT_FALSE(ws.display.ShowDifference);
    EXPECT_FALSE(ws.display.PlotPoints);
}

TEST_F(OptionDialogs, CurveColoursThroughTheChooser)
{
    Tcurves dlg(ws, platform);
    platform.colours = {QColor(10, 20, 30), std::nullopt};
    run(dlg, [&](QDialog& d) {
        d.findChild<QPushButton*>("calccolour")->click();
        EXPECT_EQ(d.findChild<ColourSwatch*>("calcswatch")->colour(), QColor(10, 20, 30));
        d.findChild<QPushButton*>("obscolour")->click();   // chooser cancelled
    }, false);
    // Kept at once, although the dialog was cancelled.
    EXPECT_EQ(ws.display.CalcCurveColour, QColor(10, 20, 30));
    EXPECT_EQ(ws.display.ObsCurveColour, QColor(0, 150, 0));
    EXPECT_TRUE(platform.colours.empty());
}

}  // namespace
}  // namespace corvane
