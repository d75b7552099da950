// New model and field data: splitting lines, choosing columns, the profile
// without field data, the new model's settings, editing the stations, and the
// whole journey through the main window (new model from a file, a body drawn
// with the mouse, saved and loaded again).
#include "app/field_columns.h"
#include "app/newmodel.h"
#include "app/tcorvane.h"
#include "edit/add_body.h"
#include "edit/num_add.h"
#include "edit/picking.h"
#include "edit/spin_arrows.h"
#include "io/model_file.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;

namespace {

const QString profileFile = QStringLiteral(CORVANE_TEST_DATA "/field_profile.dta");

StationList stations(std::string_view text, ColumnChoice c = {})
{
    return stationsFromTable(readFieldDataText(text).value(), c);
}

TEST(SplitFields, SpacesSeparateAtMostFiveFieldsOfTenCharactersFromEightyColumns)
{
    SplitLine s = SplitFields("  12.5   3,4\tx  -7 ");
    ASSERT_EQ(s.count, 5);
    EXPECT_EQ(s.fields[0], "12.5");
    EXPECT_EQ(s.fields[1], "3");   // commas and tabs separate fields too
    EXPECT_EQ(s.fields[2], "4");
    EXPECT_EQ(s.fields[3], "x");
    EXPECT_EQ(s.fields[4], "-7");

    s = SplitFields("1 2 3 4 5 6 7");
    EXPECT_EQ(s.count, 5);
    EXPECT_EQ(s.fields[4], "5");

    s = SplitFields("123456789012345 x");
    EXPECT_EQ(s.fields[0], "1234567890");
    EXPECT_EQ(s.whole[0], "123456789012345");

    // Characters after the 80th are gone, even in the middle of a field.
    const std::string longLine = std::string(76, ' ') + "123456789";
    s = SplitFields(longLine);
    ASSERT_EQ(s.count, 1);
    EXPECT_EQ(s.fields[0], "1234");

    EXPECT_EQ(SplitFields("").count, 0);
    EXPECT_EQ(SplitFields("     ").count, 0);
}

TEST(FieldData, LinesCommentsAndColumnsMakeStations)
{
    // Three comment lines, then two data lines; the last has no line end.
    StationList s = stations("a\nb\nc\n0 1.5\r\n10 2.5");
    ASSERT_EQ(s.x.size(), 2u);
    EXPECT_EQ(s.x[0], 0);
    EXPECT_EQ(s.g[0], 1.5);
    EXPECT_EQ(s.x[1], 10);
    EXPECT_EQ(s.g[1], 2.5);
    EXPECT_FALSE(s.sorted);

    // A word in the gravity column: marked and skipped.
    FieldDataTable t = readFieldDataText("h\nh\nh\n0 1\n5 none\n10 3\n").value();
    ASSERT_EQ(t.lines.size(), 6u);
    EXPECT_TRUE(hasNonNumber(t.lines[4]));
    EXPECT_FALSE(hasNonNumber(t.lines[3]));
    s = stationsFromTable(t, {});
    ASSERT_EQ(s.x.size(), 2u);
    EXPECT_EQ(s.x[1], 10);

    // Other columns, and no comment lines at all.
    ColumnChoice c;
    c.xColumn = 3;
    c.gravityColumn = 1;
    c.commentLines = 0;
    s = stations("9 x 1\n8 x 2\n", c);
    ASSERT_EQ(s.x.size(), 2u);
    EXPECT_EQ(s.g[1], 8);

    // A number longer than a grid cell is read in full.
    c = {};
    c.commentLines = 0;
    s = stations("12345678901 1.23456789012345\n12345678902 2\n", c);
    ASSERT_EQ(s.x.size(), 2u);
    EXPECT_EQ(s.x[0], 12345678901.0);
    EXPECT_EQ(s.g[0], 1.23456789012345);
}

TEST(FieldData, XYPositionsAreDistancesFromTheFirstCompleteLine)
{
    ColumnChoice c;
    c.xyData = true;
    c.yColumn = 2;
    c.gravityColumn = 3;
    c.commentLines = 1;
    StationList s = stations("x y g\n0 0 1.0\n3 4 2.0\n", c);
    ASSERT_EQ(s.x.size(), 2u);
    EXPECT_EQ(s.x[0], 0);
    EXPECT_EQ(s.g[0], 1.0);
    EXPECT_EQ(s.x[1], 5);
    EXPECT_EQ(s.g[1], 2.0);

    // A heading left among the data lines does not become the origin.
    c.commentLines = 0;
    s = stations("x y g\n100 200 1.0\n106 208 2.0\n", c);
    ASSERT_EQ(s.x.size(), 2u);
    EXPECT_EQ(s.x[0], 0);
    EXPECT_EQ(s.x[1], 10);
}

TEST(FieldData, OrderAndLimitsAreKept)
{
    ColumnChoice c;
    c.commentLines = 0;
    // Positions recorded from east to west come back in ascending order with
    // their anomalies.
    StationList s = stations("30 3\n20 2\n10 1\n20 2.5\n", c);
    EXPECT_TRUE(s.sorted);
    EXPECT_EQ(s.x, (std::vector<double>{10, 20, 20, 30}));
    EXPECT_EQ(s.g, (std::vector<double>{1, 2, 2.5, 3}));

    // 4100 data lines: the first 4096 stations are taken.
    std::string text;
    for (int i = 0; i < 4100; ++i)
        text += std::to_string(i) + " 1\n";
    s = stations(text, c);
    EXPECT_EQ(s.x.size(), 4096u);
    EXPECT_TRUE(s.truncated);
    EXPECT_EQ(s.x.back(), 4095);

    // More lines than are read: the rest is reported.
    for (int i = 4100; i < 4200; ++i)
        text += std::to_string(i) + " 1\n";
    FieldDataTable t = readFieldDataText(text).value();
    EXPECT_EQ(t.lines.size(), 4108u);
    EXPECT_TRUE(t.linesDropped);
    EXPECT_FALSE(readFieldDataText("1 2\n3 4\n").value().linesDropped);
}

TEST(NewModel, ProfileWithoutFieldData)
{
    std::vector<double> x = evenProfile("5", "0");
    ASSERT_EQ(x.size(), 10u);
    EXPECT_EQ(x[9], 9.0);
    x = evenProfile("abc", "2.5");
    ASSERT_EQ(x.size(), 100u);
    EXPECT_EQ(x[99], 247.5);
    EXPECT_EQ(evenProfile("5000", "x").size(), 4096u);
    EXPECT_EQ(evenProfile("20", "x")[1], 10.0);
    EXPECT_EQ(evenProfile("20", "-4")[1], 1.0);

    Workspace ws;
    Model& m = ws.model;
    m.NumBodies = 3;
    m.CurrentBody = 3;
    NewModelInput in;
    in.readFieldData = false;
    in.points = "11";
    in.spacing = "10";
    in.maxDepth = "40";
    in.km = false;
    in.density = "0.3";
    in.strike2 = "zz";
    applyNewModel(ws, in, nullptr);
    EXPECT_FALSE(m.HaveObserved);
    EXPECT_TRUE(m.ModelExists);
    EXPECT_TRUE(ws.display.ModelBegun);
    EXPECT_FALSE(m.UnitsKm);
    EXPECT_EQ(m.NumStations, 11);
    EXPECT_EQ(ws.display.ViewXMin, 0);
    EXPECT_EQ(ws.display.ViewXMax, 100);
    EXPECT_EQ(ws.display.ViewDepthMax, 40);
    EXPECT_EQ(ws.display.GridStepX, 10);
    EXPECT_EQ(ws.display.GridStepZ, 2);
    EXPECT_EQ(ws.display.DepthTickStep, 10);
    EXPECT_EQ(ws.display.GravityTickStep, 50);
    // The empty plot runs from -100 to +100 until body 1 is drawn.
    EXPECT_EQ(m.CalculatedGravity[1], -100);
    EXPECT_EQ(m.CalculatedGravity[2], 100);
    EXPECT_EQ(m.NumBodies, 0);
    EXPECT_EQ(m.CurrentBody, 1);
    EXPECT_EQ(m.Bodies[1].Density, 0.3);
    EXPECT_EQ(m.Bodies[1].StrikeLength2, 100000.0);   // 100 km in this metre model

    // A bottom at or above the surface is not taken.
    in.maxDepth = "-5";
    applyNewModel(ws, in, nullptr);
    EXPECT_EQ(ws.display.ViewDepthMax, 100000);

    m.Bodies[2].Linked[1] = true;
    m.Bodies[2].NumCorners = 9;
    EXPECT_EQ(prepareFirstBody(ws), 1);
    EXPECT_EQ(m.NumBodies, 1);
    EXPECT_FALSE(m.Bodies[2].Linked[1]);
    EXPECT_EQ(m.Bodies[2].NumCorners, 1);
    EXPECT_EQ(m.Bodies[1].Density, 0.3);   // kept through the reset
    test::setBody(m, 1, {{20, 5}, {60, 5}, {60, 20}, {20, 20}}, 0.3, 100, 100);
    finishFirstBody(ws);
    EXPECT_EQ(m.CalculatedGravity[1], m.Bodies[1].Gravity[1]);
    EXPECT_EQ(m.CalculatedGravity[2], m.Bodies[1].Gravity[2]);
}

TEST(NewModel, FieldDataSetTheGravityStep)
{
    Workspace ws;
    StationList s;
    s.x = {0, 10, 20};
    s.g = {-2, 6, 1};
    applyNewModel(ws, NewModelInput{}, &s);
    EXPECT_TRUE(ws.model.HaveObserved);
    EXPECT_EQ(ws.model.NumStations, 3);
    EXPECT_EQ(ws.model.ObservedGravity[2], 6);
    EXPECT_EQ(ws.display.GravityTickStep, 2.0);
    EXPECT_EQ(ws.model.CalculatedGravity[1], 0);
    // A quarter of the range, rounded down to 1, 2 or 5 times a power of ten.
    s.g = {-30.43, 0, 1.5};
    applyNewModel(ws, NewModelInput{}, &s);
    EXPECT_EQ(ws.display.GravityTickStep, 5.0);
    s.g = {0.1, 0.4, 0.2};
    applyNewModel(ws, NewModelInput{}, &s);
    EXPECT_DOUBLE_EQ(ws.display.GravityTickStep, 0.05);
    s.g = {4, 4, 4};
    applyNewModel(ws, NewModelInput{}, &s);
    EXPECT_GT(ws.display.GravityTickStep, 0);
}

TEST(EditFieldData, RowsRoundTripAndClearedRowsAreDropped)
{
    Workspace ws;
    Model& m = ws.model;
    test::setStations(m, 10, 0, 0.1125);   // 12.5 m spacing in km
    for (int i = 1; i <= 10; ++i)
        m.ObservedGravity[i] = 0.1 * i + 0.00049;
    test::setBody(m, 1, {{0.02, 0.01}, {0.08, 0.01}, {0.08, 0.03}, {0.02, 0.03}});
    m.NumBodies = 1;
    m.RecalculateModel();

    std::vector<StationRow> rows = stationRows(m);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[1].position, "     0.01");
    EXPECT_EQ(rows[1].gravity, " 0.200");

    // Nothing edited: nothing changes, not even below the shown decimals.
    StationList s = stationsFromRows(rows, m);
    ASSERT_EQ(s.x.size(), 10u);
    EXPECT_EQ(s.x[1], m.StationX[2]);
    EXPECT_EQ(s.g[1], m.ObservedGravity[2]);

    // Clearing the gravity of row 7 removes station 7; the rest move up.
    rows[6].gravity = "";
    rows[2].gravity = "9.5";
    s = stationsFromRows(rows, m);
    ASSERT_EQ(s.x.size(), 9u);
    EXPECT_EQ(s.g[2], 9.5);
    EXPECT_EQ(s.x[6], m.StationX[8]);
    applyEditedStations(ws, s);
    EXPECT_EQ(m.NumStations, 9);
    // The anomaly follows the stations it now belongs to.
    auto ref = makeModel();
    test::setStations(*ref, 10, 0, 0.1125);
    test::setBody(*ref, 1, {{0.02, 0.01}, {0.08, 0.01}, {0.08, 0.03}, {0.02, 0.03}});
    ref->NumBodies = 1;
    ref->RecalculateModel();
    EXPECT_NEAR(m.CalculatedGravity[7], ref->CalculatedGravity[8], 1e-12);
}

TEST(NewModelDialogs, SpacingShownOnlyWithoutFieldDataAndChooserLimits)
{
    Tnewmodel dlg;
    dlg.FormActivate();
    EXPECT_EQ(dlg.windowTitle(), "New Model Parameters");
    EXPECT_TRUE(dlg.dx->isHidden());
    EXPECT_TRUE(dlg.noptsLabel->isHidden());
    dlg.ObservedData->setChecked(false);
    EXPECT_FALSE(dlg.dx->isHidden());
    EXPECT_FALSE(dlg.nopts->isHidden());
    dlg.ObservedData->setChecked(true);
    EXPECT_TRUE(dlg.nopts->isHidden());
    EXPECT_EQ(dlg.MaxZ->text(), "100.0");
    EXPECT_TRUE(dlg.input().km);

    Tdatadisplay1 grid;
    grid.fill(readFieldDataText("head\n1 2 3\n4 word\n").value());
    EXPECT_EQ(grid.datagrid->rowCount(), 4);
    EXPECT_EQ(grid.datagrid->item(0, 3)->text(), "3");
    EXPECT_EQ(grid.datagrid->item(2, 0)->text(), "2");
    EXPECT_EQ(grid.datagrid->item(1, 0)->text(), "*****");   // "head" is not a number
    EXPECT_EQ(grid.datagrid->item(3, 0)->text(), "*****");
    EXPECT_EQ(grid.datagrid->item(3, 2)->text(), "word");
    EXPECT_EQ(grid.datagrid->item(3, 3)->text(), " ");
    EXPECT_TRUE(grid.YColumn->isHidden());
    grid.XYData->setChecked(true);
    EXPECT_FALSE(grid.YColumn->isHidden());

    using V = Tdatadisplay1::Value;
    grid.spin(V::GravityColumn, +1);
    EXPECT_EQ(grid.GravColumn->text(), "3");
    grid.spin(V::GravityColumn, +1);   // three fields at most
    EXPECT_EQ(grid.GravColumn->text(), "3");
    grid.spin(V::XColumn, -1);
    EXPECT_EQ(grid.XColumn->text(), "1");
    for (int i = 0; i < 5; ++i)
        grid.spin(V::CommentLines, -1);
    EXPECT_EQ(grid.CommentLines->text(), "0");
    grid.spin(V::CommentLines, +1);
    const ColumnChoice c = grid.choice();
    EXPECT_EQ(c.gravityColumn, 3);
    EXPECT_EQ(c.commentLines, 1);
    EXPECT_TRUE(c.xyData);

    // Opening again starts from the opening numbers: as many comment lines
    // as come before the first station.
    grid.fill(readFieldDataText("1 2\n").value());
    EXPECT_EQ(grid.CommentLines->text(), "0");
    EXPECT_FALSE(grid.XYData->isChecked());
}

// ---- Through the main window ---------------------------------------------

struct WindowTest : ::testing::Test {
    ScriptedPlatform p;
    std::unique_ptr<Tcorvane> w;
    // What the scripted dialogs do.
    std::function<void(Tnewmodel&)> newModel = [](Tnewmodel&) {};
    std::function<void(Tdatadisplay1&)> grid = [](Tdatadisplay1&) {};

    void SetUp() override
    {
        w = std::make_unique<Tcorvane>(p);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        p.dialogHandler = [this](QDialog& d) {
            if (auto* n = qobject_cast<Tnewmodel*>(&d))
                newModel(*n);
            else if (auto* g = qobject_cast<Tdatadisplay1*>(&d))
                grid(*g);
            return int(QDialog::Accepted);
        };
    }
    DrawingArea& area() { return w->drawingArea(); }
    Workspace& ws() { return w->workspace(); }
    QPoint pixel(double x, double z) { return SectionToScreen(area().clientRect(), ws().display, x, z); }
    void click(QPoint at, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseMove(&area(), at);
        QTest::mouseClick(&area(), b, {}, at, 300);   // apart enough not to be a double-click
    }
    bool on(const char* name) { return w->action(QString::fromLatin1(name))->isEnabled(); }
};

TEST_F(WindowTest, NewModelFromAFileDrawAFourCornerBodySaveAndLoad)
{
    p.openNames.push_back(profileFile);
    w->Beginanewmodel1Click();
    ASSERT_EQ(p.fileRequests.size(), 1u);
    EXPECT_EQ(p.fileRequests[0].filterName, "Field data files");
    EXPECT_EQ(p.fileRequests[0].pattern, "*.dta;*.dat;*.csv;*.txt");
    EXPECT_EQ(p.texts(ScriptedPlatform::Kind::Information),
              QStringList{"Left button => Add corners. Right button => Automatic body Closure."});
    const Model& m = ws().model;
    ASSERT_EQ(m.NumStations, 21);   // the "missing" line is skipped
    EXPECT_EQ(m.StationX[21], 100);
    EXPECT_EQ(m.ObservedGravity[11], 3.5);
    EXPECT_TRUE(w->commandRunning());
    EXPECT_FALSE(w->menuBar()->isEnabled());
    ASSERT_FALSE(p.pointerPlacements.empty());
    EXPECT_EQ(p.pointerPlacements.back(),
              startPointerPosition(area().clientRect(), PointerStart::AddBody));
    EXPECT_EQ(p.confinement, modelPanel(area().clientRect(), ws().display));

    // Four corners clockwise and a right click.
    const QPoint corners[] = {pixel(35, 10), pixel(65, 10), pixel(65, 30), pixel(35, 30)};
    click(pixel(20, 20));
    ASSERT_EQ(m.Bodies[1].NumCorners, 1);
    QTest::mouseMove(&area(), pixel(30, 30));   // the read-out follows the pointer
    EXPECT_TRUE(w->statusText().startsWith(" Corner 2    Position (")) << w->statusText().toStdString();
    QTest::mouseMove(&area(), QPoint(100, 20));   // above the model panel
    EXPECT_EQ(w->statusText(), " ");
    for (int k = 1; k < 4; ++k)
        click(corners[k]);
    click(pixel(50, 50), Qt::RightButton);
    ASSERT_FALSE(w->commandRunning());
    EXPECT_TRUE(w->menuBar()->isEnabled());
    EXPECT_TRUE(p.confinement.isNull());

    const Tbody& body = m.Bodies[1];
    ASSERT_EQ(body.NumCorners, 5);
    EXPECT_EQ(m.NumBodies, 1);
    EXPECT_EQ(m.CurrentBody, 1);
    // The reference: the same corners, calculated on their own.
    auto ref = makeModel();
    ref->NumStations = m.NumStations;
    for (int i = 1; i <= m.NumStations; ++i)
        ref->StationX[i] = m.StationX[i];
    std::vector<std::pair<double, double>> expected;
    const QPoint clicked[] = {pixel(20, 20), corners[1], corners[2], corners[3]};
    for (QPoint c : clicked) {
        const QPointF q = ScreenToSection(area().clientRect(), ws().display, c);
        expected.emplace_back(q.x(), q.y());
    }
    test::setBody(*ref, 1, expected, 0.1, 100, 100);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_DOUBLE_EQ(body.CornerX[k], expected[std::size_t(k - 1)].first);
        EXPECT_DOUBLE_EQ(body.CornerZ[k], expected[std::size_t(k - 1)].second);
    }
    ref->NumBodies = 1;
    ref->CalculateBody(1);
    for (int i = 1; i <= m.NumStations; ++i)
        EXPECT_NEAR(m.CalculatedGravity[i], ref->Bodies[1].Gravity[i], 1e-12) << i;
    EXPECT_GT(m.CalculatedGravity[11], 0.0);

    // Menus of a new model.
    EXPECT_TRUE(on("Addabody1"));
    EXPECT_TRUE(on("Editthefielddata1"));
    EXPECT_FALSE(on("Linkabody1"));

    // Save, then load into a second window.
    QTemporaryDir dir;
    const QString file = dir.filePath("journey.mod");
    p.saveNames.push_back(file);
    w->Savethecurrentmodel1Click();
    EXPECT_EQ(p.last().text, "Model successfully saved.");
    ScriptedPlatform p2;
    Tcorvane w2(p2);
    p2.openNames.push_back(file);
    w2.Loadanoldmodel1Click();
    const Model& l = w2.workspace().model;
    ASSERT_EQ(l.NumStations, 21);
    ASSERT_EQ(l.NumBodies, 1);
    ASSERT_EQ(l.Bodies[1].NumCorners, 5);
    for (int k = 1; k <= 5; ++k)
        EXPECT_NEAR(l.Bodies[1].CornerX[k], body.CornerX[k], 1e-9);
    for (int i = 1; i <= 21; ++i) {
        EXPECT_NEAR(l.ObservedGravity[i], m.ObservedGravity[i], 1e-9);
        EXPECT_NEAR(l.CalculatedGravity[i], m.CalculatedGravity[i], 1e-7);
    }
}

TEST_F(WindowTest, UnreadableOrUselessFieldDataLeaveTheModelAlone)
{
    p.openNames.push_back(QStringLiteral(CORVANE_TEST_DATA "/no_such_file.dta"));
    w->Beginanewmodel1Click();
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].kind, ScriptedPlatform::Kind::Error);
    EXPECT_FALSE(ws().model.ModelExists);
    EXPECT_FALSE(w->commandRunning());

    // Columns that give no stations.
    p.clear();
    p.openNames.push_back(profileFile);
    grid = [](Tdatadisplay1& g) {
        for (int i = 0; i < 30; ++i)
            g.spin(Tdatadisplay1::Value::CommentLines, +1);
    };
    w->Beginanewmodel1Click();
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].text, tooFewStationsText(0));
    EXPECT_FALSE(ws().model.ModelExists);
    EXPECT_EQ(ws().model.NumStations, 100);
}

TEST_F(WindowTest, WithoutFieldDataAndInExpertModeTheBodyIsDrawnAtOnce)
{
    w->Expertusermode1Click();
    newModel = [](Tnewmodel& n) {
        n.ObservedData->setChecked(false);
        n.nopts->setText("5");
        n.dx->setText("0");
        n.MaxZ->setText("10");
    };
    w->Beginanewmodel1Click();
    EXPECT_TRUE(p.messages.empty());
    EXPECT_TRUE(p.fileRequests.empty());
    const Model& m = ws().model;
    ASSERT_EQ(m.NumStations, 10);
    EXPECT_EQ(m.StationX[10], 9);
    EXPECT_EQ(m.CalculatedGravity[1], -100);
    click(pixel(2, 2), Qt::RightButton);   // right button below the third corner adds one
    click(pixel(6, 2), Qt::RightButton);
    click(pixel(6, 6));
    click(pixel(0, 0), Qt::RightButton);
    ASSERT_FALSE(w->commandRunning());
    EXPECT_EQ(m.Bodies[1].NumCorners, 4);
    EXPECT_EQ(m.CalculatedGravity[1], m.Bodies[1].Gravity[1]);
    EXPECT_FALSE(on("Editthefielddata1"));
    EXPECT_FALSE(on("Invertthemodel1"));
}

TEST_F(WindowTest, AddKeyInAndSelectBodies)
{
    newModel = [](Tnewmodel& n) { n.ObservedData->setChecked(false); };
    w->Expertusermode1Click();
    w->Beginanewmodel1Click();   // stations 0..990, depth 0..100
    click(pixel(100, 10));
    click(pixel(300, 10));
    click(pixel(300, 40));
    click(pixel(100, 40), Qt::RightButton);
    ASSERT_FALSE(w->commandRunning());

    // Add a second body with the mouse; snapping on.
    ws().display.SnapToGrid = true;
    p.dialogHandler = [](QDialog& d) {
        if (auto* a = qobject_cast<Taddbody*>(&d))
            a->density->setText("-0.2");
        return int(QDialog::Accepted);
    };
    w->Addabody1Click();
    ASSERT_TRUE(w->commandRunning());
    click(pixel(503, 21));
    click(pixel(700, 21));
    click(pixel(700, 60));
    click(pixel(500, 60), Qt::RightButton);
    Model& m = ws().model;
    ASSERT_EQ(m.NumBodies, 2);
    EXPECT_EQ(m.CurrentBody, 2);
    EXPECT_EQ(ws().inversion.InversionBody, 2);
    EXPECT_EQ(m.Bodies[2].Density, -0.2);
    const double gx = ws().display.GridStepX, gz = ws().display.GridStepZ;
    EXPECT_DOUBLE_EQ(m.Bodies[2].CornerX[1], 5 * gx);
    EXPECT_DOUBLE_EQ(m.Bodies[2].CornerZ[1], 4 * gz);
    EXPECT_TRUE(on("Linkabody1"));
    EXPECT_TRUE(on("Displayindividual1"));
    EXPECT_NEAR(m.CalculatedGravity[50], m.Bodies[1].Gravity[50] + m.Bodies[2].Gravity[50], 1e-12);

    // A click inside body 1 selects it.
    QTest::mouseClick(&area(), Qt::LeftButton, {}, pixel(200, 25));
    EXPECT_EQ(m.CurrentBody, 1);
    EXPECT_EQ(ws().inversion.InversionBody, 1);
    QTest::mouseClick(&area(), Qt::LeftButton, {}, pixel(800, 80), 300);   // nothing there
    EXPECT_EQ(m.CurrentBody, 1);

    // Key in a third body.
    p.dialogHandler = [](QDialog& d) {
        auto& k = dynamic_cast<TNumAdd&>(d);
        k.noofcorners->setText("3");
        k.xpos->setText("800");
        k.depth->setText("10");
        k.cornerchangeUpClick();
        k.xpos->setText("900");
        k.depth->setText("10");
        k.cornerchangeUpClick();
        k.xpos->setText("850");
        k.depth->setText("50");
        return int(QDialog::Accepted);
    };
    w->KeyinaBody1Click();
    ASSERT_EQ(m.NumBodies, 3);
    EXPECT_EQ(m.CurrentBody, 1);
    EXPECT_EQ(m.Bodies[3].NumCorners, 4);
    EXPECT_EQ(m.Bodies[3].CornerX[3], 850);
    EXPECT_EQ(m.Bodies[3].CornerX[4], 800);

    // At 51 bodies nothing more is added.
    m.NumBodies = MaxBodies;
    p.clear();
    w->Addabody1Click();
    EXPECT_EQ(p.texts(ScriptedPlatform::Kind::Information),
              QStringList{"You cannot add any more bodies to the model."});
    EXPECT_FALSE(w->commandRunning());
    EXPECT_TRUE(p.dialogsRun.isEmpty());
}

TEST_F(WindowTest, EscBeforeTheBodyHasAnAreaDropsTheAddedBody)
{
    newModel = [](Tnewmodel& n) { n.ObservedData->setChecked(false); };
    w->Expertusermode1Click();
    w->Beginanewmodel1Click();
    click(pixel(100, 10));
    click(pixel(300, 10));
    click(pixel(300, 40), Qt::RightButton);
    w->Addabody1Click();
    ASSERT_TRUE(w->commandRunning());
    click(pixel(500, 20));
    QTest::keyClick(&area(), Qt::Key_Escape);
    EXPECT_FALSE(w->commandRunning());
    EXPECT_EQ(ws().model.NumBodies, 1);
    EXPECT_TRUE(p.confinement.isNull());
    EXPECT_TRUE(w->menuBar()->isEnabled());
}

TEST_F(WindowTest, CancelOrEscBeforeTheFirstBodyIsClosedLeavesThePreviousModel)
{
    // The previous model: two bodies loaded from a file, body 2 current.
    Workspace& k = ws();
    test::setStations(k.model, 21, 0, 100);
    for (int i = 1; i <= 21; ++i)
        k.model.ObservedGravity[i] = 0.1 * i;
    test::setBody(k.model, 1, {{20, 5}, {40, 5}, {40, 20}, {20, 20}}, 0.2, 50, 50);
    test::setBody(k.model, 2, {{60, 5}, {80, 5}, {70, 25}}, -0.1, 50, 50);
    k.model.NumBodies = 2;
    k.model.CurrentBody = 2;
    k.model.ModelExists = true;
    k.model.RecalculateModel();
    k.display.ModelLoaded = true;
    k.display.ViewXMin = 10;
    k.display.ViewXMax = 90;
    k.display.ViewDepthMax = 30;
    k.display.Zoomed = true;
    k.app.ModelFileName = "/data/line7.mod";
    w->MenuStateLoaded();
    w->repaintModel();
    auto state = [&] {
        const auto bytes = modelFileBytes(k);
        std::string s = bytes.value_or(bytes.message());
        for (int i = 1; i <= k.model.NumStations; ++i)
            s += std::to_string(k.model.CalculatedGravity[i]) + ";";
        const corvane::Display& d = k.display;
        for (double v : {d.ViewXMin, d.ViewXMax, d.ViewDepthMin, d.ViewDepthMax, d.GravityTickStep,
                         d.DepthTickStep})
            s += std::to_string(v) + ";";
        s += std::to_string(d.Zoomed) + std::to_string(d.ModelBegun) + std::to_string(d.ModelLoaded) +
             std::to_string(k.model.CurrentBody) + k.app.ModelFileName;
        for (QAction* a : w->findChildren<QAction*>())
            if (!a->objectName().isEmpty() && a->isEnabled())
                s += a->objectName().toStdString() + ",";
        return s;
    };
    const std::string before = state();
    auto expectUnchanged = [&](const char* how) {
        EXPECT_FALSE(w->commandRunning()) << how;
        EXPECT_TRUE(w->menuBar()->isEnabled()) << how;
        EXPECT_TRUE(p.confinement.isNull()) << how;
        EXPECT_TRUE(state() == before) << how;
    };

    // Cancel in the parameters box, in the file dialog, in the column chooser.
    p.dialogHandler = [](QDialog&) { return int(QDialog::Rejected); };
    w->Beginanewmodel1Click();
    expectUnchanged("parameters cancelled");
    p.dialogHandler = [](QDialog& d) { return int(qobject_cast<Tnewmodel*>(&d) ? QDialog::Accepted : QDialog::Rejected); };
    w->Beginanewmodel1Click();
    ASSERT_EQ(p.fileRequests.size(), 1u);
    expectUnchanged("file dialog cancelled");
    p.openNames.push_back(profileFile);
    w->Beginanewmodel1Click();
    EXPECT_EQ(p.dialogsRun.back(), "Tdatadisplay1");
    expectUnchanged("columns cancelled");

    // Esc while body 1 has one corner, with or without field data.
    p.dialogHandler = [](QDialog&) { return int(QDialog::Accepted); };
    p.openNames.push_back(profileFile);
    w->Beginanewmodel1Click();
    ASSERT_TRUE(w->commandRunning());
    EXPECT_EQ(k.model.NumBodies, 1);
    click(pixel(50, 20));
    QTest::keyClick(&area(), Qt::Key_Escape);
    expectUnchanged("Esc with one corner");
    newModel = [](Tnewmodel& n) { n.ObservedData->setChecked(false); };
    p.dialogHandler = [this](QDialog& d) {
        newModel(dynamic_cast<Tnewmodel&>(d));
        return int(QDialog::Accepted);
    };
    w->Beginanewmodel1Click();
    ASSERT_TRUE(w->commandRunning());
    QTest::keyClick(&area(), Qt::Key_Escape);
    expectUnchanged("Esc without field data");

    // With two distinct corners Esc closes body 1 and the new model stands.
    w->Beginanewmodel1Click();
    click(pixel(100, 10));
    click(pixel(300, 40));
    QTest::keyClick(&area(), Qt::Key_Escape);
    EXPECT_FALSE(w->commandRunning());
    EXPECT_EQ(k.model.NumBodies, 1);
    EXPECT_EQ(k.model.Bodies[1].NumCorners, 3);
    EXPECT_EQ(k.model.NumStations, 100);
    EXPECT_TRUE(on("Savethecurrentmodel1"));
}

}  // namespace

TEST_F(WindowTest, SpreadsheetFileWithAHeadingRowKeepsEveryStationAndSaysWhatItSkipped)
{
    // One heading row, then 20 stations; two of them are not numbers.
    QTemporaryDir dir;
    const QString file = dir.filePath("survey.csv");
    std::string text = "\xEF\xBB\xBF\"x (km)\",\"g (mGal)\"\r\n";
    for (int i = 0; i < 20; ++i)
        text += "\"" + std::to_string(i) + ".5\"," + (i == 6 ? std::string("nan") : i == 9 ? "inf" : std::to_string(i % 7)) + "\r\n";
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
    }
    QStringList marks;
    QString comments, note;
    grid = [&](Tdatadisplay1& g) {
        for (int r = 1; r < g.datagrid->rowCount(); ++r)
            marks << g.datagrid->item(r, 0)->text();
        comments = g.CommentLines->text();
        note = g.SkippedNote->text();
    };
    w->Expertusermode1Click();
    p.openNames.push_back(file);
    w->Beginanewmodel1Click();
    // Only the heading and the two lines that are not stations are marked,
    // and the comment lines are the heading alone.
    ASSERT_EQ(marks.size(), 21);
    EXPECT_EQ(marks.count(QStringLiteral("*****")), 3);
    EXPECT_EQ(marks[0], "*****");
    EXPECT_EQ(marks[7], "*****");
    EXPECT_EQ(marks[10], "*****");
    EXPECT_EQ(marks[1], "2");
    EXPECT_EQ(comments, "1");
    const QString said = QStringLiteral("2 lines of the field data were skipped (lines 8, 11).");
    EXPECT_EQ(note, said);
    const Model& m = ws().model;
    ASSERT_EQ(m.NumStations, 18);
    EXPECT_EQ(m.StationX[1], 0.5);
    EXPECT_EQ(m.ObservedGravity[2], 1);
    click(pixel(5, 20));
    click(pixel(10, 20));
    click(pixel(8, 60), Qt::RightButton);
    ASSERT_FALSE(w->commandRunning());
    EXPECT_TRUE(w->statusText().startsWith(" Misfit = ")) << w->statusText().toStdString();
    EXPECT_TRUE(w->statusText().endsWith("   " + said)) << w->statusText().toStdString();

    // A file that cannot be read safely is refused before the grid opens.
    p.clear();
    marks.clear();
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("1,5 2,5\n0.25,1.5\n");
    }
    p.openNames.push_back(file);
    w->Beginanewmodel1Click();
    EXPECT_TRUE(marks.isEmpty());
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].kind, ScriptedPlatform::Kind::Error);
    EXPECT_TRUE(p.messages[0].text.contains("cannot be read safely")) << p.messages[0].text.toStdString();
    EXPECT_EQ(m.NumStations, 18);
}

TEST_F(WindowTest, AFileWhoseNumbersReadTwoWaysIsAskedAbout)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("grouped.txt");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x g\n1,000 5\n2,500 7\n");
    }
    // The answer decides the numbers; cancelling reads nothing.
    const struct {
        int choice;
        std::vector<double> x;
    } answers[] = {{0, {1000, 2500}}, {1, {1, 2.5}}, {-1, {}}};
    for (const auto& a : answers) {
        SCOPED_TRACE(a.choice);
        p.clear();
        p.openNames.push_back(file);
        if (a.choice >= 0)
            p.choices.push_back(a.choice);
        const std::optional<StationList> s = chooseStationsFile(*w);
        ASSERT_EQ(p.texts(ScriptedPlatform::Kind::Question).size(), 1);
        const QString asked = p.texts(ScriptedPlatform::Kind::Question)[0];
        EXPECT_TRUE(asked.contains("1,000 5   ->   1000; 5")) << asked.toStdString();
        EXPECT_TRUE(asked.contains("1,000 5   ->   1; 5")) << asked.toStdString();
        EXPECT_TRUE(asked.endsWith("[Decimal point] [Decimal comma]")) << asked.toStdString();
        EXPECT_EQ(s.has_value(), a.choice >= 0);
        EXPECT_EQ(s ? s->x : std::vector<double>{}, a.x);
    }
}
