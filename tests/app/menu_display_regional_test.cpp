// The display-option, regional and inversion commands as the user meets them
// through the menu and double-clicks: check marks, enabled items, the dialogs
// run and what they change.
#include "app/tcorvane.h"
#include "model/magnetic_data.h"
#include "platform/scripted_platform.h"
#include "regional/regional.h"
#include "support/bodies.h"
#include "support/helpers.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

struct Window {
    ScriptedPlatform platform;
    Tcorvane window{platform};
    Workspace& ws = window.workspace();

    Window()
    {
        Model& m = ws.model;
        test::twoBodyModel(m, 21);
        for (int i = 1; i <= m.NumStations; ++i)
            m.ObservedGravity[i] = m.CalculatedGravity[i] + 0.5 + 0.01 * m.StationX[i];
        ws.display.ViewXMin = 0;
        ws.display.ViewXMax = 100;
        ws.display.ModelLoaded = true;
        window.resize(652, 486);
        window.MenuStateLoaded();
        platform.clear();
    }
    bool checked(const char* name) { return window.action(name)->isChecked(); }
    bool enabled(const char* name) { return window.action(name)->isEnabled(); }
    // Answers the next dialog by pressing the named button.
    void press(const char* button)
    {
        platform.dialogHandler = [button](QDialog& d) {
            d.findChild<QPushButton*>(button)->click();
            return d.result();
        };
    }
};

TEST(DisplayMenu, TogglesKeepTheirCheckMarks)
{
    Window w;
    w.window.action("bodynumbers1")->trigger();
    EXPECT_TRUE(w.ws.display.ShowBodyNumbers);
    EXPECT_TRUE(w.checked("bodynumbers1"));
    EXPECT_FALSE(w.checked("BodyDensities1"));
    w.window.action("BodyDensities1")->trigger();
    EXPECT_TRUE(w.checked("BodyDensities1"));
    EXPECT_FALSE(w.checked("bodynumbers1"));

    w.window.action("Displayindividual1")->trigger();
    w.window.action("differencecurves1")->trigger();
    EXPECT_TRUE(w.checked("differencecurves1"));
    EXPECT_FALSE(w.checked("Displayindividual1"));
    EXPECT_FALSE(w.ws.display.ShowIndividual);

    // Without observed data the difference toggle does nothing.
    w.ws.display.ShowDifference = false;
    w.window.setItemChecked("differencecurves1", false);
    w.ws.model.HaveObserved = false;
    w.window.differencecurves1Click();
    EXPECT_FALSE(w.ws.display.ShowDifference);
    EXPECT_FALSE(w.checked("differencecurves1"));
}

TEST(DisplayMenu, PlanViewDisablesAndEnablesTheEditingItems)
{
    Window w;
    w.window.action("PLanview1")->trigger();
    EXPECT_TRUE(w.checked("PLanview1"));
    for (const char* n : {"Moveabody1", "Addabody1", "Linkabody1", "setdisplaysize1", "Zoomin1",
                          "Invertthemodel1", "Modifytheregionalfield1", "Abstractpartoftheprofile1"})
        EXPECT_FALSE(w.enabled(n)) << n;
    EXPECT_TRUE(w.enabled("Savethecurrentmodel1"));

    w.ws.model.NumBodies = 1;
    w.window.PLanview1Click();
    EXPECT_FALSE(w.checked("PLanview1"));
    for (const char* n : {"Moveabody1", "Addabody1", "setdisplaysize1", "Invertthemodel1",
                          "Abstractpartoftheprofile1"})
        EXPECT_TRUE(w.enabled(n)) << n;
    for (const char* n : {"Linkabody1", "UnlinkaBody1", "Deleteabody1", "Hideabody1"})
        EXPECT_FALSE(w.enabled(n)) << n;
}

TEST(DisplayMenu, DisplayLimitsEnableZoomOut)
{
    Window w;
    w.window.setItemEnabled("Zoomout1", false);
    w.press("CancelBtn");
    w.window.setdisplaysize1Click();
    EXPECT_FALSE(w.enabled("Zoomout1"));
    w.platform.dialogHandler = [](QDialog& d) {
        d.findChild<QLineEdit*>("xmin")->setText("20");
        d.findChild<QLineEdit*>("xmax")->setText("70");
        d.findChild<QPushButton*>("OKBtn")->click();
        return d.result();
    };
    w.window.setdisplaysize1Click();
    EXPECT_TRUE(w.enabled("Zoomout1"));
    EXPECT_EQ(w.ws.display.ViewXMin, 20.0);
    EXPECT_EQ(w.ws.display.ViewXMax, 70.0);
    EXPECT_EQ(w.platform.dialogsRun, QStringList({"Tdisplaylimits", "Tdisplaylimits"}));
}

TEST(DisplayMenu, DoubleClickZonesOpenTheirDialogs)
{
    Window w;
    const int h = w.window.drawingArea().clientRect().height();
    const int mid = (h - 15) / 2;
    w.press("CancelBtn");
    EXPECT_TRUE(w.window.DisplayDblClick({20, mid - 10}));
    EXPECT_TRUE(w.window.DisplayDblClick({20, mid + 10}));
    EXPECT_FALSE(w.window.DisplayDblClick({200, mid + 10}));
    EXPECT_EQ(w.platform.dialogsRun, QStringList({"TGaxis", "TDepthScale"}));

    // The curve dialog's OK brings the menu check marks in line.
    w.platform.dialogHandler = [](QDialog& d) {
        d.findChild<QAbstractButton*>("points")->click();
        d.findChild<QPushButton*>("OKBtn")->click();
        return d.result();
    };
    EXPECT_TRUE(w.window.DisplayDblClick({200, mid - 10}));
    EXPECT_EQ(w.platform.dialogsRun.last(), "Tcurves");
    EXPECT_TRUE(w.ws.display.PlotPoints);
    EXPECT_TRUE(w.checked("Plotpoints1"));

    // Before a model is loaded or begun nothing opens.
    w.ws.display.ModelLoaded = false;
    w.platform.dialogsRun.clear();
    w.window.DisplayDblClick({20, mid - 10});
    EXPECT_TRUE(w.platform.dialogsRun.isEmpty());
}

TEST(RegionalMenu, RemovalAndCut)
{
    Window w;
    Model& m = w.ws.model;
    w.press("BitBtn2");
    w.window.Modifytheregionalfield1Click();
    EXPECT_EQ(w.platform.dialogsRun, QStringList({"Tregbuild"}));
    EXPECT_NEAR(meanObserved(m), 0.0, 1e-12);

    w.press("OKBtn");
    w.window.Abstractpartoftheprofile1Click();
    EXPECT_LT(m.NumStations, 21);
    EXPECT_GT(m.StationX[1], 0.0);
    EXPECT_EQ(w.ws.display.ViewXMin, m.StationX[1]);
    // The bodies' own anomalies follow the kept stations.
    for (int i = 1; i <= m.NumStations; ++i)
        EXPECT_NEAR(m.CalculatedGravity[i], m.Bodies[1].Gravity[i] + m.Bodies[2].Gravity[i], 1e-12) << i;
}

}  // namespace

TEST(InversionMenu, RunEndsWithItsResultWindow)
{
    Window w;
    w.ws.model.Bodies[1].InvertDensity = true;
    w.press("CancelBtn");
    w.window.Invertthemodel1Click();
    EXPECT_EQ(w.platform.dialogsRun, QStringList({"Tinvertmodel"}));

    w.press("OKBtn");
    w.window.Invertthemodel1Click();
    EXPECT_EQ(w.platform.dialogsRun, QStringList({"Tinvertmodel", "Tinvertmodel", "Tinvertresult"}));
    EXPECT_NE(w.ws.model.Bodies[1].Density, 0.3);

    // A bound that holds the density is still named in the status panel once
    // the whole command, result window and all, has ended.
    Tbody& b = w.ws.model.Bodies[1];
    b.DensMin = 0.1;
    b.DensMax = b.Density = 0.3;
    w.ws.model.RecalculateModel();
    w.window.show();
    w.press("OKBtn");
    w.window.action("Invertthemodel1")->trigger();
    EXPECT_EQ(b.Density, 0.3);
    EXPECT_TRUE(w.window.statusText().contains(QStringLiteral("maximum"))) << w.window.statusText().toStdString();
}

TEST(RegionalMenu, AMagneticSurveyAloneIsInvertedAndItsRegionalUndone)
{
    Window w;
    Model& m = w.ws.model;
    m.HaveObserved = false;
    std::vector<MagneticStationValue> stations;
    for (int i = 0; i < 11; ++i)
        stations.push_back({10.0 * i, 0, 100.0 + i});
    setMagneticStations(m, stations);
    w.window.MenuStateLoaded();
    for (const char* item : {"Invertthemodel1", "bodyinversion", "cornerinversion", "Modifythemagneticregional1"})
        EXPECT_TRUE(w.enabled(item)) << item;
    // OK as the dialog opens: the mean, 105 nT, is taken off, and recorded.
    w.press("OKBtn");
    w.window.action("Modifythemagneticregional1")->trigger();
    for (int i = 1; i <= m.Mag.Num; ++i)
        EXPECT_DOUBLE_EQ(m.Mag.Observed[i], i - 6.0) << i;
    EXPECT_EQ(w.ws.extras.MagneticRegionalRemoved, (MagneticRegionalRecord{105, 0}));
    EXPECT_EQ(w.window.action("Undo1")->text(), "&Undo Modify the magnetic regional");
    w.window.action("Undo1")->trigger();
    for (int i = 1; i <= m.Mag.Num; ++i)
        EXPECT_EQ(m.Mag.Observed[i], 99.0 + i) << i;
    EXPECT_FALSE(w.ws.extras.MagneticRegionalRemoved.has_value());
}
