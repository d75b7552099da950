// The three inversion dialogs driven through their handlers: the exact box
// formats, the spins, the applies, the fits and their messages.
#include "display/view.h"
#include "edit/body_ops.h"
#include "inversion/fits.h"
#include "inversion/run_options.h"
#include "inversion_ui/tbodyinvert.h"
#include "inversion_ui/texts.h"
#include "inversion_ui/tinvertmodel.h"
#include "inversion_ui/tinvertresult.h"
#include "inversion_ui/tproperties.h"
#include "model/magnetic_data.h"
#include "model/text.h"
#include "model/workspace.h"
#include "platform/scripted_platform.h"
#include "synthetic.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;
using namespace corvane::test;

namespace {

// A workspace holding the synthetic profile (body 1 the truth) and two more
// bodies; body 3 starts hidden.
struct Fixture {
    Workspace ws;
    ScriptedPlatform platform;
    int repaints = 0;
    QStringList statusLines;   // the status line at each repaint
    QStringList statusTexts;   // texts put in the status panel directly

    Fixture()
    {
        Model& m = ws.model;
        auto truth = syntheticModel();
        m = *truth;
        setBody(m, 2, {{20, 3}, {30, 3}, {30, 6}, {20, 6}}, -0.2, 100, 50);
        setBody(m, 3, {{-40, 2}, {-30, 2}, {-30, 5}}, 0.1);
        m.Bodies[3].Hidden = true;
        m.NumBodies = 3;
        m.RecalculateModel();
        for (int i = 1; i <= m.NumStations; ++i)   // the truth: all three bodies as they are
            m.ObservedGravity[i] = m.CalculatedGravity[i];
        ws.display.ViewDepthMin = 0;
        ws.display.ViewDepthMax = 40;
    }
    std::function<void()> repaint()
    {
        return [this] {
            ++repaints;
            statusLines << misfitText(ws.model, ws.inversion.IterationCount);
        };
    }
    std::function<void(const QString&)> status()
    {
        return [this](const QString& t) { statusTexts << t; };
    }
};

QString text(QWidget& dlg, const char* name)
{
    auto* box = dlg.findChild<QLineEdit*>(QString::fromLatin1(name));
    if (box)
        return box->text();
    auto* label = dlg.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
}

void type(QWidget& dlg, const char* name, const QString& value)
{
    auto* box = dlg.findChild<QLineEdit*>(QString::fromLatin1(name));
    ASSERT_NE(box, nullptr) << name;
    box->setText(value);
}

bool enabled(QWidget& dlg, const char* name)
{
    auto* w = dlg.findChild<QWidget*>(QString::fromLatin1(name));
    return w && w->isEnabled();
}

}  // namespace

TEST(Tproperties, OpeningFillsEveryBoxInItsFormat)
{
    Fixture f;
    Tproperties dlg(f.ws, f.platform, f.repaint(), f.status());
    dlg.FormActivate();
    EXPECT_EQ(text(dlg, "NoOfBody"), "Body 1");
    EXPECT_EQ(text(dlg, "density"), "0.300000");
    EXPECT_EQ(text(dlg, "DeltaD"), "0.0150000");
    EXPECT_EQ(text(dlg, "Depth"), "   4.0000");
    EXPECT_EQ(text(dlg, "DeltaDepth"), "    0.300");
    EXPECT_EQ(text(dlg, "width"), "   14.000");
    EXPECT_EQ(text(dlg, "deltawidth"), "    1.400");
    EXPECT_EQ(text(dlg, "strike1"), "  200.000");
    EXPECT_EQ(text(dlg, "iterations"), "10");
    EXPECT_TRUE(enabled(dlg, "bodychange"));
    EXPECT_TRUE(enabled(dlg, "invertd"));
    EXPECT_EQ(dlg.windowTitle(), "Body Properties");

    // A hidden current body: one step on, to the next body.
    f.ws.model.CurrentBody = 3;
    dlg.FormActivate();
    EXPECT_EQ(f.ws.model.CurrentBody, 1);
    EXPECT_EQ(text(dlg, "NoOfBody"), "Body 1");

    // One body, hidden: the boxes stay as they were. Without field data the
    // fits are disabled.
    f.ws.model.NumBodies = 1;
    f.ws.model.HaveObserved = false;
    dlg.FormActivate();
    EXPECT_FALSE(enabled(dlg, "bodychange"));
    EXPECT_FALSE(enabled(dlg, "invertd"));
    EXPECT_FALSE(enabled(dlg, "Invertdepth"));
    f.ws.model.Bodies[1].Hidden = true;
    type(dlg, "density", "left alone");
    dlg.FormActivate();
    EXPECT_EQ(text(dlg, "density"), "left alone");
}

TEST(Tproperties, SpinsApplyAtOnce)
{
    Fixture f;
    Model& m = f.ws.model;
    Tproperties dlg(f.ws, f.platform, f.repaint(), f.status());
    dlg.FormActivate();

    type(dlg, "DeltaD", "-0.1");   // a negative step acts as its absolute value
    dlg.DensitychangeUpClick();
    EXPECT_DOUBLE_EQ(m.Bodies[1].Density, 0.4);
    EXPECT_EQ(text(dlg, "density"), "0.4000000");
    EXPECT_EQ(text(dlg, "DeltaD"), "0.1000000");
    EXPECT_EQ(f.repaints, 1);
    EXPECT_NEAR(m.Bodies[1].Gravity[61], 0.4 / 0.3 * (m.ObservedGravity[61] - m.Bodies[2].Gravity[61]), 1e-9);

    type(dlg, "DeltaD", "ten");   // not a number: the default step, nothing else
    dlg.DensitychangeDownClick();
    EXPECT_EQ(text(dlg, "DeltaD"), "0.0200000");
    EXPECT_DOUBLE_EQ(m.Bodies[1].Density, 0.4);
    EXPECT_EQ(f.repaints, 1);

    // Depth: a lift past the surface is shortened so that the top just
    // reaches it (1e-5), the whole body with it, and the status panel says so.
    type(dlg, "DeltaDepth", "5");   // the top is at 4, the bottom at 12
    dlg.depthchangeDownClick();
    EXPECT_NEAR(m.Bodies[1].CornerZ[1], 1e-5, 1e-12);
    EXPECT_NEAR(m.Bodies[1].CornerZ[4], 8 + 1e-5, 1e-12);
    EXPECT_EQ(text(dlg, "Depth"), "    0.000");
    EXPECT_EQ(f.statusTexts, QStringList{StepShortenedText});
    EXPECT_EQ(f.repaints, 2);
    dlg.depthchangeDownClick();   // at the surface already: nothing moves
    EXPECT_NEAR(m.Bodies[1].CornerZ[4], 8 + 1e-5, 1e-12);
    EXPECT_EQ(f.statusTexts.back(), AtSurfaceText);
    EXPECT_EQ(f.repaints, 2);
    // Its default step is taken from the body's depth extent, not its top.
    type(dlg, "DeltaDepth", "");
    dlg.depthchangeUpClick();
    EXPECT_EQ(text(dlg, "DeltaDepth"), "    0.600");
    type(dlg, "DeltaDepth", "5");
    dlg.depthchangeUpClick();
    EXPECT_EQ(text(dlg, "Depth"), "    5.000");
    EXPECT_NEAR(m.Bodies[1].CornerZ[4], 13 + 1e-5, 1e-12);
    EXPECT_EQ(f.statusTexts.size(), 2);
    type(dlg, "DeltaDepth", "");
    dlg.depthchangeUpClick();
    EXPECT_EQ(text(dlg, "DeltaDepth"), "    0.375");

    // Width: a step larger than the width, downwards, mirrors the body.
    type(dlg, "deltawidth", "21");
    dlg.widthchangeDownClick();
    EXPECT_EQ(text(dlg, "width"), "   -7.000");
    EXPECT_DOUBLE_EQ(m.Bodies[1].CornerX[1], 3.5);   // -7 about 0, ratio -0.5
    EXPECT_DOUBLE_EQ(m.Bodies[1].CornerX[3], -3.5);

    // Every spin kept the total equal to the sum of the visible bodies.
    for (int i = 1; i <= m.NumStations; ++i)
        ASSERT_NEAR(m.CalculatedGravity[i], m.Bodies[1].Gravity[i] + m.Bodies[2].Gravity[i], 1e-9);
}

TEST(Tproperties, ZeroWidthBodyIsNotScaled)
{
    Fixture f;
    Model& m = f.ws.model;
    setBody(m, 2, {{25, 3}, {25, 6}, {25, 9}}, -0.2);   // a line: width 0
    m.CurrentBody = 2;
    m.RecalculateModel();
    Tproperties dlg(f.ws, f.platform, f.repaint(), f.status());
    dlg.FormActivate();
    type(dlg, "deltawidth", "2");
    dlg.widthchangeUpClick();
    EXPECT_EQ(m.Bodies[2].CornerX[1], 25);
    EXPECT_TRUE(std::isfinite(m.Bodies[2].CornerX[2]));
    EXPECT_EQ(f.statusTexts.value(0), texts::ZeroWidth);

    type(dlg, "width", "4");
    dlg.calcClick();
    EXPECT_EQ(m.Bodies[2].CornerX[2], 25);
    EXPECT_EQ(text(dlg, "width"), "    0.000");   // the box shows what the body has
}

TEST(Tproperties, CalculateIsStrictAndOkCloses)
{
    Fixture f;
    Model& m = f.ws.model;
    Tproperties dlg(f.ws, f.platform, f.repaint(), f.status());
    dlg.FormActivate();
    type(dlg, "width", "0");
    type(dlg, "density", "0.25");
    type(dlg, "strike2", "x");
    dlg.calcClick();
    EXPECT_EQ(text(dlg, "width"), "    0.001");
    EXPECT_NEAR(bodyFigures(m.Bodies[1]).width(), 0.001, 1e-12);
    EXPECT_EQ(m.Bodies[1].Density, 0.25);
    EXPECT_EQ(m.Bodies[1].StrikeLength2, 200);
    EXPECT_EQ(f.repaints, 1);

    f.platform.dialogHandler = [](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("density"))->setText("0.5");
        d.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
        return d.result();
    };
    EXPECT_EQ(f.platform.execDialog(dlg), QDialog::Accepted);
    EXPECT_EQ(m.Bodies[1].Density, 0.5);
}

TEST(Tproperties, BodyChangeAppliesChangesAndSkipsHiddenBodies)
{
    Fixture f;
    Model& m = f.ws.model;
    Tproperties dlg(f.ws, f.platform, f.repaint(), f.status());
    dlg.FormActivate();
    type(dlg, "Depth", "5");
    dlg.bodychangeDownClick();   // from 1 down: 3 is hidden, so 2
    EXPECT_EQ(m.CurrentBody, 2);
    EXPECT_NEAR(bodyFigures(m.Bodies[1]).top, 5, 1e-12);
    EXPECT_EQ(text(dlg, "NoOfBody"), "Body 2");
    EXPECT_EQ(text(dlg, "density"), "-0.200000");
    EXPECT_EQ(text(dlg, "DeltaD"), "-0.0100000");
    EXPECT_EQ(text(dlg, "Depth"), "    3.000");
    EXPECT_EQ(text(dlg, "DeltaDepth"), "    0.150");
    EXPECT_EQ(text(dlg, "width"), "   10.000");
    EXPECT_EQ(text(dlg, "strike2"), "   50.000");
    dlg.bodychangeUpClick();   // up from 2: 3 hidden, wraps to 1
    EXPECT_EQ(m.CurrentBody, 1);
    for (int i = 1; i <= m.NumStations; ++i)
        ASSERT_NEAR(m.CalculatedGravity[i], m.Bodies[1].Gravity[i] + m.Bodies[2].Gravity[i], 1e-9);

    // All hidden: one round and back where it started.
    for (int b = 1; b <= 3; ++b)
        m.Bodies[b].Hidden = true;
    dlg.bodychangeUpClick();
    EXPECT_EQ(m.CurrentBody, 1);
}

TEST(Tproperties, FitsReportTheirIterations)
{
    Fixture f;
    Model& m = f.ws.model;
    Tproperties dlg(f.ws, f.platform, f.repaint(), f.status());
    m.Bodies[1].Density = 0.36;
    m.UpdateBody(1);
    dlg.FormActivate();
    type(dlg, "iterations", "-3");
    dlg.invertdClick();
    EXPECT_EQ(f.ws.inversion.NumIterations, 3);
    EXPECT_EQ(text(dlg, "iterations"), "3");
    ASSERT_EQ(f.statusLines.size(), 3);
    EXPECT_TRUE(f.statusLines[0].startsWith(" Iteration 1    Misfit =")) << f.statusLines[0].toStdString();
    EXPECT_TRUE(f.statusLines[2].startsWith(" Iteration 3 "));
    EXPECT_EQ(f.ws.inversion.IterationCount, 0);
    EXPECT_EQ(text(dlg, "density"), QString::fromStdString(fixed(m.Bodies[1].Density, 8, 7)));
    EXPECT_NEAR(m.Bodies[1].Density, 0.3, 0.003);

    type(dlg, "iterations", "250");
    shiftBodyDepth(m, 1, 1, 0);
    m.UpdateBody(1);
    dlg.InvertdepthClick();
    EXPECT_EQ(text(dlg, "iterations"), "100");
    EXPECT_EQ(text(dlg, "Depth"), QString::fromStdString(fixed(bodyFigures(m.Bodies[1]).top, 6, 5)));
    EXPECT_NEAR(m.Bodies[1].CornerZ[1], 4, 0.08);

    // Refusals: no field data, a zero depth range.
    const int before = f.repaints;
    f.ws.display.ViewDepthMax = f.ws.display.ViewDepthMin;
    dlg.InvertdepthClick();
    EXPECT_EQ(f.platform.last().text, texts::ZeroDepthRange);
    m.HaveObserved = false;
    dlg.invertdClick();
    EXPECT_EQ(f.platform.last().kind, ScriptedPlatform::Kind::Error);
    EXPECT_EQ(f.platform.last().text, "Field data is necessary for inversion.");
    dlg.InvertdepthClick();
    EXPECT_EQ(f.platform.texts(ScriptedPlatform::Kind::Error).size(), 3);
    EXPECT_EQ(f.repaints, before);
}

TEST(Tbodyinvert, LoadsAndStoresTheSelection)
{
    Fixture f;
    Model& m = f.ws.model;
    m.CurrentBody = 2;
    f.ws.inversion.InversionBody = 1;
    Tbodyinvert dlg(f.ws, f.platform);
    dlg.FormActivate();
    // Bounds never typed show the defaults of this body (light) and model
    // (profile -60 .. 60, section 0 .. 40).
    EXPECT_EQ(text(dlg, "noofbody"), " Body 2");
    EXPECT_EQ(text(dlg, "xmin"), "  -60.00");
    EXPECT_EQ(text(dlg, "xmax"), "   60.00");
    EXPECT_EQ(text(dlg, "Depthmin"), "    0.00");
    EXPECT_EQ(text(dlg, "depthmax"), "   40.00");
    EXPECT_EQ(text(dlg, "anglemin"), "  -90.0");
    EXPECT_EQ(text(dlg, "densmin"), "-1.00000");
    EXPECT_EQ(text(dlg, "densmax"), "-0.00010");

    dlg.findChild<QCheckBox*>("density")->setChecked(true);
    dlg.findChild<QCheckBox*>("xpos")->setChecked(true);   // left as shown: still the default
    type(dlg, "densmin", "-0.5");
    type(dlg, "densmax", "heavy");   // not a number: the bound shown stays
    type(dlg, "Depthmin", "2");      // depth not ticked: the bounds typed are kept all the same
    dlg.accept();
    const Tbody& b = m.Bodies[2];
    EXPECT_EQ(f.ws.inversion.InversionBody, 2);
    EXPECT_TRUE(b.InvertDensity);
    EXPECT_EQ(b.DensMin, -0.5);
    EXPECT_EQ(b.DensMax, -0.0001);
    EXPECT_TRUE(b.InvertXPos);
    EXPECT_EQ(b.XPosMin, 0);
    EXPECT_EQ(b.XPosMax, 1000);
    EXPECT_FALSE(b.InvertDepth);
    EXPECT_EQ(b.DepthMin, 2);
    EXPECT_EQ(b.DepthMax, 40);   // left as shown: the default the box showed

    dlg.FormActivate();
    EXPECT_EQ(text(dlg, "densmin"), "-0.50000");   // typed bounds show as they are
    dlg.findChild<QCheckBox*>("density")->setChecked(false);
    type(dlg, "densmin", "-0.4");
    dlg.reject();   // every way of closing stores, the bounds of an unticked box too
    EXPECT_FALSE(b.InvertDensity);
    EXPECT_EQ(b.DensMin, -0.4);
    dlg.FormActivate();
    EXPECT_EQ(text(dlg, "Depthmin"), "    2.00");
    EXPECT_EQ(text(dlg, "densmin"), "-0.40000");

    // A minimum above its maximum is refused, and the dialog stays open.
    dlg.FormActivate();
    dlg.show();
    dlg.findChild<QCheckBox*>("density")->setChecked(true);
    type(dlg, "densmin", "2");
    type(dlg, "densmax", "1");
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(f.platform.last().kind, ScriptedPlatform::Kind::Error);
    EXPECT_EQ(f.platform.last().text, "The minimum density contrast is greater than the maximum.");
    EXPECT_FALSE(b.InvertDensity);
    EXPECT_EQ(b.DensMin, -0.4);
    EXPECT_EQ(b.DensMax, -0.0001);
    type(dlg, "densmin", "0.5");
    dlg.accept();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(b.DensMin, 0.5);
    EXPECT_EQ(b.DensMax, 1);
}

TEST(Tbodyinvert, MagnetisationChoiceAndBounds)
{
    // Rows: start values, what is typed, the bounds the body keeps (or the
    // message refusing them).
    struct Case {
        const char* name;
        double k, remanence;
        const char *susmin, *susmax, *remmax;
        double wantSusMax, wantRemMax;
        bool refused;
        const char* message = "The minimum susceptibility is greater than the maximum.";
    };
    const Case cases[] = {
        {"defaults shown, nothing typed", 0.01, 0, nullptr, nullptr, nullptr, 1, 100, false},
        {"a start above the default is shown, not stored", 2.5, 150, nullptr, nullptr, nullptr, 1, 100, false},
        {"typed bounds kept", 0.01, 0, "0", "0.2", "5", 0.2, 5, false},
        {"reversed susceptibility bounds refused", 0.01, 0, "0.5", "0.2", nullptr, 1, 100, true},
        {"a bound no model file takes back", 0.01, 0, nullptr, nullptr, "1e6", 1, 100, true,
         "The remanent intensity must be from -100000 to 100000 A/m."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        Model& m = f.ws.model;
        m.CurrentBody = 1;
        m.Bodies[1].Susceptibility = c.k;
        m.Bodies[1].Remanence = c.remanence;
        Tbodyinvert dlg(f.ws, f.platform);
        dlg.FormActivate();
        EXPECT_EQ(text(dlg, "susmax").trimmed().toDouble(), std::max(1.0, c.k));
        EXPECT_EQ(text(dlg, "remmax").trimmed().toDouble(), std::max(100.0, c.remanence));
        dlg.findChild<QCheckBox*>("susceptibility")->setChecked(true);
        dlg.findChild<QCheckBox*>("remanence")->setChecked(true);
        if (c.susmin)
            type(dlg, "susmin", c.susmin);
        if (c.susmax)
            type(dlg, "susmax", c.susmax);
        if (c.remmax)
            type(dlg, "remmax", c.remmax);
        const Tbody& b = m.Bodies[1];
        EXPECT_EQ(dlg.FormDeactivate(), !c.refused);
        EXPECT_EQ(b.InvertSusceptibility, !c.refused);
        EXPECT_EQ(b.InvertRemanence, !c.refused);
        EXPECT_EQ(b.SusceptibilityMax, c.wantSusMax);
        EXPECT_EQ(b.RemanenceMax, c.wantRemMax);
        if (c.refused) {
            EXPECT_EQ(f.platform.last().text, c.message);
        } else {
            // Reopened, the dialog shows what was stored.
            dlg.FormActivate();
            EXPECT_TRUE(dlg.findChild<QCheckBox*>("susceptibility")->isChecked());
            EXPECT_EQ(text(dlg, "remmax").trimmed().toDouble(), std::max(c.wantRemMax, c.remanence));
        }
    }
}

TEST(Tbodyinvert, RefusesMoreThanTenUnknowns)
{
    Fixture f;
    Model& m = f.ws.model;
    Tbody& b = m.Bodies[1];
    for (int k = 1; k <= 4; ++k)
        b.CornerInvertX[k] = b.CornerInvertZ[k] = true;   // 8 unknowns
    Tbodyinvert dlg(f.ws, f.platform);
    dlg.FormActivate();
    dlg.findChild<QCheckBox*>("density")->setChecked(true);
    dlg.findChild<QCheckBox*>("depth")->setChecked(true);
    EXPECT_TRUE(dlg.FormDeactivate());   // 10 is allowed
    dlg.findChild<QCheckBox*>("xpos")->setChecked(true);
    dlg.show();
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());        // refused: the dialog stays open
    EXPECT_EQ(f.platform.last().text, texts::TooManyUnknowns);
    EXPECT_FALSE(b.InvertXPos);
    dlg.findChild<QCheckBox*>("depth")->setChecked(false);
    dlg.accept();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(b.InvertXPos);
    EXPECT_FALSE(b.InvertDepth);
}

TEST(Tinvertmodel, ShowsTheSelectionAndRuns)
{
    Fixture f;
    Model& m = f.ws.model;
    f.ws.inversion.InversionBody = 1;
    Tbody& b = m.Bodies[1];
    b.InvertDensity = true;
    b.CornerInvertX[2] = b.CornerInvertX[3] = true;
    b.CornerInvertZ[6] = true;   // the closing copy does not count
    Tinvertmodel dlg(f.ws, f.platform, f.repaint());
    dlg.FormActivate();
    EXPECT_EQ(text(dlg, "density"), "Yes");
    EXPECT_EQ(text(dlg, "xpos"), "No");
    EXPECT_EQ(text(dlg, "nx"), "2");
    EXPECT_EQ(text(dlg, "ny"), "0");
    EXPECT_EQ(text(dlg, "NoOfBody"), " Body 1");
    EXPECT_EQ(text(dlg, "iterations"), "10");
    EXPECT_EQ(text(dlg, "Label7"), "No of body corners vertically");

    b.CornerInvertX[2] = b.CornerInvertX[3] = false;
    b.Density = 0.33;
    m.UpdateBody(1);
    type(dlg, "iterations", "4.5");   // not a whole number: 10
    dlg.OKBtnClick();
    EXPECT_EQ(f.ws.inversion.NumIterations, 10);
    EXPECT_EQ(f.repaints, 10);
    EXPECT_TRUE(f.statusLines[9].startsWith(" Iteration 10 "));
    EXPECT_EQ(f.ws.inversion.IterationCount, 0);
    EXPECT_NEAR(b.Density, 0.3, 0.006);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(f.platform.messages.empty());
}

TEST(Tinvertmodel, NothingSelectedStillUnlinks)
{
    Fixture f;
    Model& m = f.ws.model;
    link(m, 1, 2, 2, 1);
    f.ws.inversion.InversionBody = 9;   // left over from a larger model: body 1 then
    Tinvertmodel dlg(f.ws, f.platform, f.repaint());
    dlg.FormActivate();
    EXPECT_EQ(text(dlg, "NoOfBody"), " Body 1");
    dlg.OKBtnClick();
    EXPECT_EQ(f.platform.last().kind, ScriptedPlatform::Kind::Error);
    EXPECT_EQ(f.platform.last().text, "You havent selected any parameters to be inverted !");
    EXPECT_FALSE(m.Bodies[1].Linked[2]);
    EXPECT_FALSE(m.Bodies[2].Linked[1]);
    EXPECT_EQ(f.repaints, 0);
}

TEST(Tinvertmodel, KeptLinksHeldBoundsAndTheRunsReport)
{
    Fixture f;
    Model& m = f.ws.model;
    link(m, 1, 2, 2, 1);
    Tbody& b = m.Bodies[1];
    b.InvertDensity = true;
    b.DensMax = 0.25;   // the truth, 0.3, lies above
    b.Density = 0.2;
    m.UpdateBody(1);
    Tinvertmodel dlg(f.ws, f.platform, f.repaint(), f.status());
    dlg.FormActivate();
    auto* keep = dlg.findChild<QCheckBox*>("keeplinks");
    ASSERT_NE(keep, nullptr);
    EXPECT_EQ(keep->text(), "Keep linked corners");
    EXPECT_FALSE(keep->isChecked());
    keep->setChecked(true);
    type(dlg, "iterations", "4");
    dlg.OKBtnClick();

    EXPECT_TRUE(m.Bodies[1].Linked[2]);
    EXPECT_TRUE(m.Bodies[2].Linked[1]);
    EXPECT_EQ(b.Density, 0.25);
    ASSERT_FALSE(f.statusTexts.isEmpty());
    EXPECT_TRUE(f.statusTexts.first().startsWith(" Iteration 1    Misfit =")) << f.statusTexts.first().toStdString();
    EXPECT_TRUE(f.statusTexts.first().endsWith("   Density held at its maximum 0.250000"));
    EXPECT_EQ(f.statusTexts.last(), misfitText(m, 0) + "   Density held at its maximum 0.250000");
    const RunReport* run = dlg.lastRun();
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->title, "Inversion of body 1");
    ASSERT_EQ(run->parameters.size(), 1u);
    EXPECT_EQ(run->parameters[0].start, 0.2);
    EXPECT_EQ(run->parameters[0].final, 0.25);
    EXPECT_EQ(run->parameters[0].bound, Bound::Maximum);
    EXPECT_EQ(run->misfits.size(), 5u);
    Tinvertresult result(f.platform);
    result.fill(*run);
    EXPECT_EQ(text(result, "held"), "Density held at its maximum 0.250000.");

    // Nothing selected: no report.
    b.InvertDensity = false;
    dlg.OKBtnClick();
    EXPECT_EQ(dlg.lastRun(), nullptr);
}

TEST(Tinvertresult, ShowsCopiesAndSavesTheTable)
{
    Fixture f;
    Model& m = f.ws.model;
    m.Bodies[1].Density = 0.36;
    m.UpdateBody(1);
    Tproperties props(f.ws, f.platform, f.repaint(), f.status());
    props.FormActivate();
    props.invertdClick();   // the fit shows its result
    EXPECT_EQ(f.platform.dialogsRun, QStringList({"Tinvertresult"}));

    RunReport report;
    ASSERT_EQ(densityFit(m, f.ws.inversion, 2, {}, &report), FitOutcome::Done);
    Tinvertresult dlg(f.platform);
    dlg.fill(report);
    auto* table = dlg.findChild<QTableWidget*>("parameters");
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text(), "Density");
    EXPECT_EQ(table->item(0, 1)->text(), QString::fromStdString(fixed(-0.2, 0, 6)));
    EXPECT_EQ(table->item(0, 2)->text(), QString::fromStdString(fixed(report.parameters[0].final, 0, 6)));
    EXPECT_EQ(table->item(0, 3)->text(), QString::fromStdString(errorText(report.parameters[0])));
    auto* iterations = dlg.findChild<QTableWidget*>("iterations");
    ASSERT_EQ(iterations->rowCount(), 11);
    EXPECT_EQ(iterations->item(report.kept, 3)->text(), "kept");

    f.platform.clear();
    dlg.CopyBtnClick();
    EXPECT_EQ(f.platform.clipboard, QString::fromStdString(reportTable(report, "\n")));
    EXPECT_EQ(f.platform.last().text, "Data successfully transferred to Clipboard");

    QTemporaryDir dir;
    const QString name = dir.filePath("body2");
    f.platform.saveNames = {name};
    dlg.SaveBtnClick();
    EXPECT_EQ(f.platform.fileRequests.back().pattern, "*.txt");
    EXPECT_EQ(f.platform.last().text, "Inversion results successfully saved.");
    QFile file(name + ".txt");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), reportTable(report, "\r\n"));
    file.close();

    // An existing file stays unless the user says to replace it.
    QFile other(dir.filePath("kept.txt"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("mine");
    other.close();
    f.platform.saveNames = {other.fileName()};
    f.platform.confirmAnswers = {false};
    dlg.SaveBtnClick();
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), "mine");
    EXPECT_EQ(f.platform.last().kind, ScriptedPlatform::Kind::Confirm);

    // A folder that does not exist: the error, no success.
    f.platform.saveNames = {dir.filePath("no/such/folder/r.txt")};
    dlg.SaveBtnClick();
    EXPECT_EQ(f.platform.last().kind, ScriptedPlatform::Kind::Error);
}

TEST(Tproperties, CalculateAfterADensityChangeMovesNothingAndShowsTheMisfit)
{
    // Body 2 with its top at or near the surface: the Depth box shows the top
    // rounded (four decimals on opening, three after a body change), and a
    // Calculate for a new density must not read that as a depth typed.
    struct Case {
        const char* name;
        double top;
        bool afterBodyChange;
    };
    const Case cases[] = {
        {"at the surface, opened", MinDepth, false},
        {"at the surface, after a body change", MinDepth, true},
        {"just below it, after a body change", 0.00012, true},
        {"at the apply floor, after a body change", 1e-6, true},
        {"at an odd depth, opened", 2.34567, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        Model& m = f.ws.model;
        setBody(m, 2, {{20.00037, c.top}, {30, c.top}, {30, 6}, {20.00037, 6}}, -0.2123456, 100.00049, 50);
        m.RecalculateModel();
        m.CurrentBody = c.afterBodyChange ? 1 : 2;
        Tproperties dlg(f.ws, f.platform, f.repaint(), f.status());
        dlg.FormActivate();
        if (c.afterBodyChange)
            dlg.bodychangeUpClick();
        ASSERT_EQ(m.CurrentBody, 2);
        const Tbody before = m.Bodies[2];
        type(dlg, "density", "-0.25");
        dlg.calcClick();
        const Tbody& after = m.Bodies[2];
        EXPECT_EQ(after.Density, -0.25);
        for (int k = 1; k <= after.NumCorners; ++k) {
            EXPECT_EQ(after.CornerX[k], before.CornerX[k]) << "corner " << k;
            EXPECT_EQ(after.CornerZ[k], before.CornerZ[k]) << "corner " << k;
        }
        EXPECT_EQ(after.StrikeLength1, before.StrikeLength1);
        EXPECT_TRUE(f.statusTexts.isEmpty()) << f.statusTexts.join("|").toStdString();
        EXPECT_EQ(f.statusLines.last(), misfitText(m, 0));
        // The same again, with nothing typed: still nothing moves.
        dlg.calcClick();
        EXPECT_EQ(after.CornerZ[1], before.CornerZ[1]);
        EXPECT_TRUE(f.statusTexts.isEmpty());
    }

    // A top typed above the surface is still shortened, and said so beside
    // the misfit.
    Fixture f;
    Model& m = f.ws.model;
    m.CurrentBody = 2;
    Tproperties dlg(f.ws, f.platform, f.repaint(), f.status());
    dlg.FormActivate();
    type(dlg, "Depth", "-1");
    dlg.calcClick();
    ASSERT_EQ(f.statusTexts.size(), 1);
    EXPECT_TRUE(f.statusTexts[0].startsWith(misfitText(m, 0)));
    EXPECT_TRUE(f.statusTexts[0].endsWith(StepShortenedText));
}

TEST(Tinvertmodel, MagneticDataChosenInTheDialog)
{
    // Rows: whether the model has observed magnetic values, what is ticked
    // and typed; the susceptibility reached and whether the result window
    // shows the magnetic misfit.
    struct Case {
        const char* name;
        bool observed, gravity, magnetic;
        const char* magneticError;
        bool fitsK;
    };
    const Case cases[] = {
        {"no magnetic data: the group is hidden, gravity as before", false, true, true, "1", false},
        {"magnetics alone", true, false, true, "1", true},
        {"both, a nonsense error taken as 1 nT", true, true, true, "-3", true},
        {"gravity alone: the magnetisation stays", true, true, false, "1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        Model& m = f.ws.model;
        m.Bodies[1].Susceptibility = 0.03;
        std::vector<MagneticStationValue> stations;
        for (int i = 0; i < 41; ++i)
            stations.push_back({-60 + 3.0 * i, 0, c.observed ? std::optional<double>(0) : std::nullopt});
        setMagneticStations(m, stations);
        for (int i = 1; i <= m.Mag.Num; ++i)
            m.Mag.Observed[i] = m.Mag.Calculated[i];
        m.Bodies[1].Susceptibility = 0.01;
        m.Bodies[1].Density = 0.28;
        m.RecalculateModel();
        m.Bodies[1].InvertDensity = true;
        m.Bodies[1].InvertSusceptibility = true;   // fitted only with magnetics
        Tinvertmodel dlg(f.ws, f.platform, f.repaint());
        dlg.FormActivate();
        auto* group = dlg.findChild<QGroupBox*>("magnetics");
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->isVisibleTo(&dlg), c.observed);
        dlg.findChild<QCheckBox*>("fitgravity")->setChecked(c.gravity);
        dlg.findChild<QCheckBox*>("fitmagnetic")->setChecked(c.magnetic);
        if (c.observed) {
            EXPECT_EQ(text(dlg, "invertsusceptibility"), "Yes");
            EXPECT_EQ(text(dlg, "invertremanence"), "No");
        }
        type(dlg, "magneticerror", QString::fromLatin1(c.magneticError));
        type(dlg, "iterations", "8");
        dlg.OKBtnClick();
        ASSERT_NE(dlg.lastRun(), nullptr);
        const RunReport& run = *dlg.lastRun();
        if (c.fitsK) {
            EXPECT_NEAR(m.Bodies[1].Susceptibility, 0.03, 1e-6);
            ASSERT_EQ(run.parameters.size(), 2u);
            EXPECT_EQ(run.parameters[1].name, "Susceptibility");
            ASSERT_EQ(run.magneticRms.size(), 9u);
            EXPECT_LT(run.magneticRms[static_cast<std::size_t>(run.kept)], 1e-3 * run.magneticRms[0]);
        } else {
            EXPECT_EQ(m.Bodies[1].Susceptibility, 0.01);
            EXPECT_EQ(run.parameters.size(), 1u);
            EXPECT_TRUE(run.magneticRms.empty());
        }
        EXPECT_NEAR(m.Bodies[1].Density, 0.3, c.gravity ? 0.006 : 0.03);

        Tinvertresult result(f.platform);
        result.fill(run);
        auto* table = result.findChild<QTableWidget*>("iterations");
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->columnCount(), c.fitsK ? 5 : 4);
        if (c.fitsK) {
            EXPECT_EQ(table->horizontalHeaderItem(3)->text(), " Mag. misfit (nT)");
        }
        EXPECT_EQ(reportTable(run, "\n").find("Mag. misfit") != std::string::npos, c.fitsK);
    }
}

TEST(Tinvertmodel, StoredOptionsAndEveryBodysChoices)
{
    Fixture f;
    Model& m = f.ws.model;
    m.Bodies[1].InvertDensity = true;
    m.Bodies[2].InvertDensity = m.Bodies[2].InvertDepth = true;
    m.Bodies[2].CornerInvertX[1] = m.Bodies[2].CornerInvertZ[3] = true;
    f.ws.extras.AllBodies = f.ws.extras.FitShift = true;
    Tinvertmodel dlg(f.ws, f.platform, f.repaint());
    dlg.FormActivate();
    auto* all = dlg.findChild<QCheckBox*>("allbodies");
    ASSERT_NE(all, nullptr);
    EXPECT_TRUE(all->isChecked());
    EXPECT_TRUE(dlg.findChild<QCheckBox*>("fitshift")->isChecked());
    // Rows: the summary with every body, then with the inversion body alone.
    const char* names[] = {"density", "depth", "nx", "ny", "NoOfBody"};
    const QStringList every = {"Yes (2 bodies)", "Yes (1 body)", "1", "1", " Bodies 1, 2"};
    const QStringList one = {"Yes", "No", "0", "0", " Body 1"};
    for (const QStringList* want : {&every, &one}) {
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(text(dlg, names[i]), (*want)[i]) << names[i];
        all->setChecked(false);   // the summary follows the tick at once
    }
    // OK keeps the options with the model, where the run and corvane-calc read them.
    dlg.findChild<QCheckBox*>("fitshift")->setChecked(false);
    dlg.findChild<QCheckBox*>("keeplinks")->setChecked(true);
    type(dlg, "iterations", "2");
    dlg.OKBtnClick();
    EXPECT_FALSE(f.ws.extras.AllBodies || f.ws.extras.FitShift);
    EXPECT_TRUE(f.ws.extras.KeepLinkedCorners);
    const InversionOptions o = storedInversionOptions(f.ws);
    EXPECT_TRUE(o.keepLinks && !o.allBodies && !o.fitShift);

    // The data fitted count only with observed magnetic values; a stored
    // error that is no positive number is taken as its default.
    f.ws.extras.FitGravity = false;
    f.ws.extras.FitMagnetic = true;
    f.ws.extras.MagneticError = -1;
    EXPECT_TRUE(storedInversionOptions(f.ws).useGravity);
    EXPECT_FALSE(storedInversionOptions(f.ws).useMagnetic);
    setMagneticStations(m, {{0, 0, 1.0}, {10, 0, 2.0}});
    EXPECT_FALSE(storedInversionOptions(f.ws).useGravity);
    EXPECT_TRUE(storedInversionOptions(f.ws).useMagnetic);
    EXPECT_EQ(storedInversionOptions(f.ws).magneticError, 1);
}

TEST(Tbodyinvert, ListsTheOtherBodiesChoices)
{
    Fixture f;
    Model& m = f.ws.model;
    m.Bodies[1].InvertDensity = true;
    m.Bodies[3].InvertDepth = m.Bodies[3].InvertAngle = true;
    m.Bodies[3].CornerInvertX[1] = m.Bodies[3].CornerInvertX[2] = m.Bodies[3].CornerInvertZ[2] = true;
    Tbodyinvert dlg(f.ws, f.platform);
    auto items = [&] {
        QStringList l;
        auto* list = dlg.findChild<QListWidget*>("otherbodies");
        for (int i = 0; list && i < list->count(); ++i)
            l << list->item(i)->text();
        return l;
    };
    m.CurrentBody = 1;
    dlg.FormActivate();
    EXPECT_EQ(items(), QStringList{"Body 3: depth, angle, x of 2 corners, depth of 1 corner"});
    m.CurrentBody = 3;
    dlg.FormActivate();
    EXPECT_EQ(items(), QStringList{"Body 1: density"});
    m.Bodies[1].InvertDensity = false;
    dlg.FormActivate();
    EXPECT_EQ(items(), QStringList{"None"});
}

TEST(Tinvertresult, CorrelationMatrixAndTheShift)
{
    Fixture f;
    RunReport report;
    report.title = "Inversion of body 1";
    report.misfits = {3, 1};
    report.rms = {0.3, 0.1};
    report.kept = 1;
    report.parameters = {{.name = "Density", .start = 0.2, .final = 0.3},
                         {.name = "Depth", .start = 1, .final = 1, .atBound = true},
                         {.name = "Corner 2 x", .start = 4, .final = 4.5, .decimals = 4},
                         {.name = "Gravity shift", .final = 0.52, .decimals = 4, .shift = Shift::Gravity}};
    const double nan = std::nan("");
    report.correlation = {{1, nan, -0.95, 0.2}, {nan, nan, nan, nan}, {-0.95, nan, 1, 0.5}, {0.2, nan, 0.5, 1}};
    Tinvertresult dlg(f.platform);
    dlg.fill(report);
    auto* table = dlg.findChild<QTableWidget*>("correlation");
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 3);   // the parameter held at a bound is not free
    ASSERT_EQ(table->columnCount(), 3);
    EXPECT_EQ(table->verticalHeaderItem(1)->text(), "Corner 2 x");
    // Column names stand on short lines, so a column is as narrow as its numbers.
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "Gravity\nshift");
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Corner 2 x");
    EXPECT_EQ(table->item(0, 1)->text(), "-0.950*");
    EXPECT_EQ(table->item(1, 0)->background().color(), QColor(255, 200, 200));
    EXPECT_EQ(table->item(0, 0)->text(), "1.000");
    EXPECT_EQ(table->item(1, 2)->text(), "0.500");
    EXPECT_EQ(text(dlg, "shift"), "A shift changes no body. To keep it, remove a constant regional of 0.5200 mGal "
                                  "with \"Modify the regional field\".");
    const std::string table_ = reportTable(report, "\n");
    // Names right-aligned over the numbers; a mark stands beside its number.
    EXPECT_NE(table_.find(correlationHeading() + "\n" + std::string(17, ' ') + "Density   Corner 2 x   Gravity shift\n" +
                          "Density" + std::string(12, ' ') + "1.000" + std::string(7, ' ') + "-0.950*" +
                          std::string(10, ' ') + "0.200\n"),
              std::string::npos)
        << table_;
    EXPECT_NE(table_.find(text(dlg, "shift").toStdString() + "\n"), std::string::npos);

    // One free parameter: no matrix, no shift.
    report.parameters.resize(2);
    dlg.fill(report);
    EXPECT_FALSE(table->isVisibleTo(&dlg));
    EXPECT_FALSE(dlg.findChild<QLabel*>("shift")->isVisibleTo(&dlg));
    EXPECT_EQ(reportTable(report, "\n").find("Correlation"), std::string::npos);
}
