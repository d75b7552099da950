// Station heights through the application: a new model read with a height
// column, the field-data grids, undo, and the recovery file.
#include "app/field_columns.h"
#include "app/history.h"
#include "app/newmodel.h"
#include "app/recovery.h"
#include "app/station_table.h"
#include "model/gravity.h"
#include "model/ground.h"
#include "support/bodies.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace corvane;

namespace {

// 21 stations over a hill, one body, anomalies at the stations' heights.
void hillModel(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 21, 0, 100);
    for (int i = 1; i <= 21; ++i)
        m.StationHeight[i] = 8 * std::exp(-std::pow((m.StationX[i] - 50) / 20, 2));
    m.HaveObserved = true;
    m.ModelExists = true;
    test::setBody(m, 1, {{30, 10}, {60, 12}, {55, 30}, {35, 25}}, 0.3, 50, 50);
    test::setBody(m, 2, {{70, 5}, {90, 5}, {90, 15}, {70, 15}}, -0.2, 20, 40);
    m.NumBodies = 2;
    m.RecalculateModel();
}

bool sameBits(const Array1<double, MaxStations>& a, const Array1<double, MaxStations>& b)
{
    return std::memcmp(a.data(), b.data(), sizeof(double) * MaxStations) == 0;
}

}  // namespace

TEST(StationHeightsApp, ColumnChooserReadsAHeightColumnOrOneHeight)
{
    Tdatadisplay1 dlg;
    const FieldDataTable t = readFieldDataText("a\nb\nc\n0 1.0 100\n10 2.0 140\n20 1.5 90\n").value();
    dlg.fill(t);
    // Opened: no height column, every station on the datum.
    ColumnChoice c = dlg.choice();
    EXPECT_FALSE(c.heightData);
    EXPECT_EQ(c.constantHeight, 0);
    EXPECT_FALSE(dlg.HColumn->isVisibleTo(&dlg));
    EXPECT_TRUE(dlg.ConstHeight->isVisibleTo(&dlg));

    dlg.ConstHeight->setText(QStringLiteral("300"));
    EXPECT_EQ(stationsFromTable(t, dlg.choice()).h, (std::vector<double>{300, 300, 300}));

    dlg.HeightData->setChecked(true);
    EXPECT_TRUE(dlg.HColumn->isVisibleTo(&dlg));
    EXPECT_FALSE(dlg.ConstHeight->isVisibleTo(&dlg));
    dlg.spin(Tdatadisplay1::Value::HeightColumn, +1);   // held to the 3 fields
    EXPECT_EQ(dlg.HColumn->text(), QStringLiteral("3"));
    const StationList s = stationsFromTable(t, dlg.choice());
    EXPECT_EQ(s.h, (std::vector<double>{100, 140, 90}));

    // The new model takes them, and its section starts above the highest.
    Workspace ws;
    applyNewModel(ws, NewModelInput{}, &s);
    EXPECT_EQ(ws.model.StationHeight[2], 140);
    EXPECT_EQ(ws.model.StationHeight[4], 0);
    EXPECT_LT(ws.display.ViewDepthMin, -140);
    EXPECT_DOUBLE_EQ(ws.display.DepthTickStep, (ws.display.ViewDepthMax - ws.display.ViewDepthMin) * 0.25);

    // Opened again: back to no height column.
    dlg.fill(t);
    EXPECT_FALSE(dlg.choice().heightData);
    EXPECT_EQ(dlg.choice().constantHeight, 0);
}

TEST(StationHeightsApp, EditTheFieldDataShowsAndTakesTheHeights)
{
    Workspace ws;
    hillModel(ws);
    Model& m = ws.model;
    TDataDisplay dlg;
    dlg.fill(m);
    ASSERT_EQ(dlg.DataGrid->columnCount(), 4);
    EXPECT_EQ(dlg.DataGrid->item(0, 3)->text(), QStringLiteral("Height"));

    // Unchanged: the exact heights stay; a new height is taken and the
    // anomaly follows; a height that is not a number drops the row.
    std::vector<StationRow> rows = dlg.rows();
    StationList s = stationsFromRows(rows, m);
    for (int i = 1; i <= 21; ++i)
        ASSERT_EQ(s.h[static_cast<std::size_t>(i - 1)], m.StationHeight[i]);
    rows[4].height = QStringLiteral("25");
    rows[6].height = QStringLiteral("high");
    s = stationsFromRows(rows, m);
    ASSERT_EQ(s.x.size(), 20u);
    EXPECT_EQ(s.h[4], 25);
    applyEditedStations(ws, s);
    EXPECT_EQ(m.StationHeight[5], 25);
    std::vector<double> g(20);
    referenceAnomaly(m.Bodies[1], m.StationX.data(), 20, true, g.data(), m.StationHeight.data());
    EXPECT_NEAR(m.Bodies[1].Gravity[5], g[4], 1e-9 * std::abs(g[4]));

    // A model on the datum shows the three columns it always had.
    Workspace flat;
    test::setStations(flat.model, 5, 0, 4);
    dlg.fill(flat.model);
    EXPECT_EQ(dlg.DataGrid->columnCount(), 3);
    EXPECT_TRUE(dlg.rows()[0].height.isEmpty());
    EXPECT_EQ(stationsFromRows(dlg.rows(), flat.model).h, std::vector<double>(5, 0.0));
}

TEST(StationHeightsApp, UndoAndTheRecoveryFileBringTheHeightsBack)
{
    Workspace ws;
    hillModel(ws);
    Model& m = ws.model;
    const Array1<double, MaxStations> heights = m.StationHeight;
    const Array1<double, MaxStations> total = m.CalculatedGravity;

    ModelHistory h(ws);
    h.begin(QStringLiteral("Edit the field data"));
    StationList s = stationsFromRows(stationRows(m), m);
    for (double& v : s.h)
        v = 0;
    applyEditedStations(ws, s);
    ASSERT_EQ(h.end(), ModelHistory::Outcome::Recorded);
    EXPECT_FALSE(hasStationHeights(m));
    h.undo();
    EXPECT_TRUE(sameBits(m.StationHeight, heights));
    EXPECT_TRUE(sameBits(m.CalculatedGravity, total));
    h.redo();
    EXPECT_FALSE(hasStationHeights(m));
    h.undo();

    // The recovery file: heights and anomalies as they were, a hidden body
    // still out of the total.
    m.setHidden(2, true);
    const std::string bytes = recoveryBytes(ws, QStringLiteral("/tmp/hill.mod")).value();
    EXPECT_NE(bytes.find("\nelevation 2 "), std::string::npos);
    Workspace back;
    QString name;
    ASSERT_EQ(restoreRecoveryBytes(back, bytes, name), "");
    EXPECT_TRUE(sameBits(back.model.StationHeight, heights));
    EXPECT_TRUE(back.model.Bodies[2].Hidden);
    // (The model file keeps densities as six-byte reals.)
    for (int i = 1; i <= 21; ++i) {
        for (int b = 1; b <= 2; ++b)
            ASSERT_NEAR(back.model.Bodies[b].Gravity[i], m.Bodies[b].Gravity[i],
                        1e-9 * std::abs(m.Bodies[b].Gravity[i]))
                << b << " " << i;
        ASSERT_NEAR(back.model.CalculatedGravity[i], back.model.Bodies[1].Gravity[i],
                    1e-12 * std::abs(m.Bodies[1].Gravity[i]))
            << i;
    }
}
