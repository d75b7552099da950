// The regional builder and profile abstraction dialogs, driven through their
// handlers and the scripted platform.
#include "display/options_widgets.h"
#include "model/text.h"
#include "platform/scripted_platform.h"
#include "regional_ui/tabstractdata.h"
#include "regional_ui/tregbuild.h"
#include "support/bodies.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace corvane {
namespace {

struct DialogFixture : ::testing::Test {
    Workspace ws;
    ScriptedPlatform platform;
    DialogFixture()
    {
        Model& m = ws.model;
        test::setStations(m, 21, 100, 300);
        for (int i = 1; i <= 21; ++i)
            m.ObservedGravity[i] = 5.0 + 0.03 * (m.StationX[i] - 100) + std::sin(i * 0.7);
    }
    double observed(int i) const { return ws.model.ObservedGravity[i]; }

    int run(QDialog& d, const std::function<void()>& act, const char* button)
    {
        platform.dialogHandler = [&](QDialog& dlg) {
            act();
            dlg.findChild<QPushButton*>(button)->click();
            return dlg.result();
        };
        return platform.execDialog(d);
    }
};

using RegionalDialog = DialogFixture;

TEST_F(RegionalDialog, OpeningAndConstantRemoval)
{
    Tregbuild dlg(ws, platform);
    EXPECT_EQ(dlg.windowTitle(), "Regional Field Removal");
    double mean = 0;
    for (int i = 1; i <= 21; ++i)
        mean += observed(i) / 21;
    QString constant, incr1, incr2, linear;
    bool constantShown = false, linearShown = true;
    run(dlg, [&] {
        constant = dlg.findChild<QLineEdit*>("constant")->text();
        incr1 = dlg.findChild<QLabel*>("incr1")->text();
        incr2 = dlg.findChild<QLabel*>("incr2")->text();
        linear = dlg.findChild<QLabel*>("LinearValue")->text();
        constantShown = dlg.findChild<SpinButton*>("constantspin1")->isVisible();
        linearShown = dlg.findChild<QToolButton*>("mplus")->isVisible();
        // To the line and back: the constant is the mean again, not the intercept.
        dlg.findChild<QRadioButton*>("regtype1")->click();
        dlg.findChild<QRadioButton*>("regtype0")->click();
        EXPECT_EQ(dlg.state().RegionalMode, RegionalKind::Constant);
        EXPECT_EQ(dlg.state().RegionalM, 0.0);
    }, "BitBtn2");
    EXPECT_EQ(constant.toStdString(), fixed(mean, 10, 2));
    EXPECT_EQ(incr1, "10.0");
    EXPECT_EQ(incr2, "1.0");
    EXPECT_EQ(linear, " Y = Mx + C");
    EXPECT_TRUE(constantShown);
    EXPECT_FALSE(linearShown);
    double after = 0;
    for (int i = 1; i <= 21; ++i)
        after += observed(i);
    EXPECT_NEAR(after / 21, 0.0, 1e-12);
    // The gravity axis was taken from the observed data on opening.
    EXPECT_LT(ws.display.GravityMin, ws.display.GravityMax);
}

TEST_F(RegionalDialog, StepsAndTypedConstant)
{
    Tregbuild dlg(ws, platform);
    const double before = observed(4);
    run(dlg, [&] {
        auto* step = dlg.findChild<SpinButton*>("SpinButton2");
        step->clickUp();
        step->clickUp();
        EXPECT_EQ(dlg.state().RegionalCStep, 1000.0);
        EXPECT_EQ(dlg.findChild<QLabel*>("incr1")->text(), "1000.00");
        // The linear buttons do nothing outside Linear mode.
        dlg.mplusClick();
        EXPECT_EQ(dlg.state().RegionalM, 0.0);
        // The constant typed in the box is what the spin starts from.
        dlg.findChild<QLineEdit*>("constant")->setText("2.5");
        dlg.findChild<SpinButton*>("constantspin1")->clickDown();
        EXPECT_EQ(dlg.findChild<QLineEdit*>("constant")->text(), "   -997.50");
        dlg.findChild<QLineEdit*>("constant")->setText("1.25");
    }, "BitBtn2");
    // And what OK removes.
    EXPECT_DOUBLE_EQ(observed(4), before - 1.25);

    // Cancel removes nothing; the steps start again at 10 and 1 on opening.
    const double kept = observed(4);
    run(dlg, [&] { EXPECT_EQ(dlg.state().RegionalCStep, 10.0); }, "BitBtn1");
    EXPECT_EQ(observed(4), kept);
}

TEST_F(RegionalDialog, BestFitLine)
{
    // Exactly on a line, with the first station away from 0.
    for (int i = 1; i <= 21; ++i)
        ws.model.ObservedGravity[i] = 3.0 - 0.02 * ws.model.StationX[i];
    Tregbuild dlg(ws, platform);
    run(dlg, [&] {
        dlg.findChild<QRadioButton*>("regtype1")->click();
        EXPECT_EQ(dlg.state().RegionalMode, RegionalKind::Linear);
        EXPECT_EQ(dlg.findChild<QLabel*>("LinearValue")->text(),
                  " Y = -0.020000 (X - 100) + 1.000  ( Dev =    0.0 )");
        EXPECT_TRUE(dlg.findChild<QToolButton*>("cminus")->isVisible());
        EXPECT_FALSE(dlg.findChild<QLineEdit*>("constant")->isVisible());
        EXPECT_TRUE(platform.cursorStack.empty());   // the hourglass was restored
    }, "BitBtn2");
    for (int i = 1; i <= 21; ++i)
        EXPECT_NEAR(observed(i), 0.0, 1e-9) << i;

    // The buttons move M and C by the step, which the spin scales.
    run(dlg, [&] {
        dlg.regtypeClick(1);
        const double m0 = dlg.state().RegionalM, c0 = dlg.state().RegionalC;
        dlg.findChild<SpinButton*>("SpinButton3")->clickDown();
        EXPECT_EQ(dlg.findChild<QLabel*>("incr2")->text(), "  0.10");
        dlg.findChild<QToolButton*>("mplus")->click();
        dlg.findChild<QToolButton*>("cminus")->click();
        dlg.findChild<QToolButton*>("cminus")->click();
        EXPECT_NEAR(dlg.state().RegionalM, m0 + 0.1, 1e-12);
        EXPECT_NEAR(dlg.state().RegionalC, c0 - 0.2, 1e-12);
        EXPECT_EQ(dlg.findChild<QLabel*>("LinearValue")->text(), " Y = 0.100000 (X - 100) -0.200");
    }, "BitBtn2");
    EXPECT_NEAR(observed(1), 0.2, 1e-9);
    EXPECT_NEAR(observed(21), 0.2 - 0.1 * 200, 1e-9);
}

TEST_F(RegionalDialog, RefusedChoicesKeepTheMode)
{
    test::setStations(ws.model, 5, 40, 40);   // every station at one place
    Tregbuild dlg(ws, platform);
    const double before = observed(2);
    run(dlg, [&] {
        dlg.findChild<QRadioButton*>("regtype1")->click();
        EXPECT_EQ(dlg.state().RegionalMode, RegionalKind::Constant);
        EXPECT_TRUE(dlg.findChild<QRadioButton*>("regtype0")->isChecked());
        // A constant box that is not a number keeps Spline mode.
        dlg.regtypeClick(2);
        dlg.findChild<QLineEdit*>("constant")->setText("abc");
        dlg.findChild<QRadioButton*>("regtype0")->click();
        EXPECT_EQ(dlg.state().RegionalMode, RegionalKind::Spline);
        EXPECT_TRUE(dlg.findChild<QRadioButton*>("regtype2")->isChecked());
    }, "BitBtn1");
    ASSERT_EQ(platform.texts(ScriptedPlatform::Kind::Error).size(), 1);
    EXPECT_FALSE(platform.last().text.isEmpty());
    EXPECT_EQ(observed(2), before);
}

TEST_F(RegionalDialog, SplineKnotsByClicks)
{
    Tregbuild dlg(ws, platform);
    std::vector<double> before;
    for (int i = 1; i <= 21; ++i)
        before.push_back(observed(i));
    const PlotArea a = dlg.plotArea();
    double gMin = 0, gMax = 0;
    run(dlg, [&] {
        gMin = ws.display.GravityMin;
        gMax = ws.display.GravityMax;
        // The main window redrawing meanwhile does not move the dialog's scale.
        ws.display.GravityMin = -100;
        ws.display.GravityMax = 100;
        // Clicks before Spline mode set nothing.
        dlg.FormMouseDown(Qt::LeftButton, {a.left + 5, a.top + 10});
        EXPECT_EQ(dlg.state().KnotRow[0], DefaultKnotRow);
        dlg.findChild<QRadioButton*>("regtype2")->click();
        EXPECT_FALSE(dlg.findChild<QLineEdit*>("constant")->isVisible());
        EXPECT_FALSE(dlg.findChild<QLabel*>("LinearValue")->isVisible());
        // Every knot to one row, through real mouse presses on the dialog.
        const int row = a.top + 40;
        for (int j = 1; j <= NumKnots; ++j)
            QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(knotColumn(a, j) + (j < NumKnots ? 2 : 0), row));
        for (int r : dlg.state().KnotRow)
            EXPECT_EQ(r, row);
        // Outside the plot: ignored.
        dlg.FormMouseDown(Qt::LeftButton, {a.left + 5, a.bottom + 3});
        EXPECT_EQ(dlg.state().KnotRow[0], row);
    }, "BitBtn2");
    // Seven equal knots remove a constant: the value of their row.
    const double g = gMax - 40.0 / (a.bottom - a.top) * (gMax - gMin);
    for (int i = 1; i <= 21; ++i)
        EXPECT_NEAR(observed(i), before[static_cast<std::size_t>(i - 1)] - g, 1e-9) << i;
}

using AbstractDialog = DialogFixture;

TEST_F(AbstractDialog, OkAtOnceKeepsTheMiddleThird)
{
    Model& m = ws.model;
    m.NumBodies = 1;
    test::setBody(m, 1, {{150, 2}, {250, 2}, {250, 8}, {150, 8}}, 0.2);
    m.RecalculateModel();
    TabstractData dlg(ws);
    EXPECT_EQ(dlg.windowTitle(), "Select the Portion of the Data to be Retained");
    const AbstractPlot p = dlg.plot();
    const double left = cutValueAt(m, p, p.width / 3);
    const double right = cutValueAt(m, p, p.width * 2 / 3);
    const KeptRange expected = keptStations(m, left, right);
    const double firstX = m.StationX[expected.first];
    QString leftText, rightText;
    EXPECT_EQ(run(dlg, [&] {
        leftText = dlg.findChild<QLabel*>("leftlabel")->text();
        rightText = dlg.findChild<QLabel*>("rightlabel")->text();
    }, "OKBtn"), QDialog::Accepted);
    EXPECT_EQ(leftText.toStdString(), "Left = " + fixed(left, 10, 1));
    EXPECT_EQ(rightText.toStdString(), "Right = " + fixed(right, 10, 1));
    EXPECT_LE(firstX, left);
    EXPECT_EQ(m.NumStations, expected.last - expected.first + 1);
    EXPECT_EQ(m.StationX[1], firstX);
    EXPECT_GE(m.StationX[m.NumStations], right);
    EXPECT_EQ(ws.display.ViewXMin, m.StationX[1]);
    EXPECT_EQ(ws.display.ViewXMax, m.StationX[m.NumStations]);
    for (int i = 1; i <= m.NumStations; ++i)
        EXPECT_DOUBLE_EQ(m.CalculatedGravity[i], m.Bodies[1].Gravity[i]) << i;
}

TEST_F(AbstractDialog, LinesByMouseAndCancel)
{
    TabstractData dlg(ws);
    const double x1 = ws.model.StationX[1];
    run(dlg, [&] {
        const AbstractPlot p = dlg.plot();
        // Left press right of the right line: half the right line's column.
        const int right = dlg.state().RightColumn;
        QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(right + 10, 50));
        EXPECT_EQ(dlg.state().LeftColumn, right / 2);
        EXPECT_EQ(dlg.findChild<QLabel*>("leftlabel")->text().toStdString(),
                  leftLabel(cutValueAt(ws.model, p, right / 2)));
        // Right press: the right line.
        QTest::mouseClick(&dlg, Qt::RightButton, {}, QPoint(p.frameRight() - 20, 50));
        EXPECT_EQ(dlg.state().RightColumn, p.frameRight() - 20);
        EXPECT_EQ(dlg.findChild<QLabel*>("rightlabel")->text().left(7), "Right= ");
        // Presses left of the data or below the plot move nothing.
        dlg.FormMouseDown(Qt::LeftButton, {30, 50});
        dlg.FormMouseDown(Qt::RightButton, {200, p.bottom() + 1});
        EXPECT_EQ(dlg.state().LeftColumn, right / 2);
        EXPECT_EQ(dlg.state().RightColumn, p.frameRight() - 20);
    }, "CancelBtn");
    EXPECT_EQ(ws.model.NumStations, 21);
    EXPECT_EQ(ws.model.StationX[1], x1);
    // Opening again puts the lines back at the thirds.
    run(dlg, [&] { EXPECT_EQ(dlg.state().LeftColumn, dlg.width() / 3); }, "CancelBtn");
}

TEST_F(AbstractDialog, FlatDataAndTheDialogsPaint)
{
    for (int i = 1; i <= 21; ++i)
        ws.model.ObservedGravity[i] = 4.0;
    TabstractData cut(ws);
    Tregbuild regional(ws, platform);
    // Painting flat data (no vertical range) must not divide by zero.
    run(cut, [&] {
        const QImage img = cut.grab().toImage();
        const AbstractPlot p = cut.plot();
        // The flat profile runs along the middle of the plot, in black.
        const int y = plotRow(p, 4.0, 4.0, 4.0);
        EXPECT_EQ(img.pixelColor(p.width / 2 + 3, y), QColor(Qt::black));
    }, "CancelBtn");
    // On flat data the knots still set different values.
    run(regional, [&] {
        EXPECT_FALSE(regional.grab().isNull());
        regional.regtypeClick(2);
        const PlotArea a = regional.plotArea();
        regional.FormMouseDown(Qt::LeftButton, {a.left, a.top});
        regional.FormMouseDown(Qt::LeftButton, {a.right, a.bottom});
        EXPECT_GT(regional.state().KnotG[0], regional.state().KnotG[6]);
    }, "BitBtn1");
}

}  // namespace
}  // namespace corvane

namespace corvane {

TEST(RegionalDialogDigits, TheLineShownIsTheLineRemovedInKilometresAndMetres)
{
    // A regional of 0.156361 mGal/km over 48 km with a basin in it, in either
    // unit; the line is fitted, moved with the buttons at small steps, and
    // removed. The line read back from the dialog's text is the one removed.
    for (const double perKm : {1.0, 1000.0}) {
        SCOPED_TRACE(perKm == 1 ? "km" : "m");
        Workspace ws;
        ScriptedPlatform platform;
        Model& m = ws.model;
        m.UnitsKm = perKm == 1;
        test::setStations(m, 97, 0, 48 * perKm);
        for (int i = 1; i <= m.NumStations; ++i) {
            const double km = m.StationX[i] / perKm;
            m.ObservedGravity[i] = -18.2 + 0.156361 * km - 30 * std::exp(-std::pow((km - 15) / 6, 2));
        }
        std::vector<double> before(static_cast<std::size_t>(m.NumStations));
        for (int i = 1; i <= m.NumStations; ++i)
            before[static_cast<std::size_t>(i - 1)] = m.ObservedGravity[i];
        Tregbuild dlg(ws, platform);
        QString shown, step;
        platform.dialogHandler = [&](QDialog& d) {
            dlg.regtypeClick(1);
            auto* spin = dlg.findChild<SpinButton*>("SpinButton3");
            for (int k = 0; k < 5; ++k)
                spin->clickDown();   // 0.00001
            dlg.mminusClick();
            dlg.cplusClick();
            step = dlg.findChild<QLabel*>("incr2")->text();
            shown = dlg.findChild<QLabel*>("LinearValue")->text();
            d.findChild<QPushButton*>("BitBtn2")->click();
            return d.result();
        };
        platform.execDialog(dlg);
        EXPECT_EQ(step.trimmed(), "0.00001");
        // " Y = M X + C" or " Y = M X C"
        const QStringList parts = shown.simplified().split(' ');
        ASSERT_GE(parts.size(), 5) << shown.toStdString();
        const double M = parts[2].toDouble();
        const double C = parts.size() > 5 && parts[4] == "+" ? parts[5].toDouble() : parts[4].toDouble();
        EXPECT_NE(M, 0) << shown.toStdString();
        for (int i = 1; i <= m.NumStations; ++i) {
            const double removed = before[static_cast<std::size_t>(i - 1)] - m.ObservedGravity[i];
            EXPECT_NEAR(M * m.StationX[i] + C, removed, 2 * LineTolerance) << i << " " << shown.toStdString();
        }
    }
}

}  // namespace corvane
