// A scattered survey read in: its points from the chosen columns, projected
// onto the line, one field's stations replaced with their offsets in one
// undoable step, and what was left out said.
#include "app/history.h"
#include "app/survey_data.h"
#include "model/magnetic_data.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace corvane;

TEST(SurveyData, ReplacesOneFieldsStationsWithTheirOffsetsInOneStep)
{
    // E N value elevation (m, m, -, km) about a line 4 km eastwards from (1000, 2000):
    // the fourth point 3 km north of it, the fifth before its start, the last no point.
    const auto table = readFieldDataText("E N value elevation\n4000 2500 7.5 0.02\n1500 1800 5 0.01\n"
                                         "3000 2000 6 0\n2000 5000 9 0\n500 2000 4 0\n2500 2100 x 0\n");
    ASSERT_TRUE(table);
    const ColumnChoice choice{1, 2, 3, 1, true, true, 4, 0};
    const auto points = surveyPointsFromTable(*table, choice);
    ASSERT_EQ(points.size(), 5u);
    const auto line = map::ProfileLine::make({1000, 2000, 5000, 2000, "-"}, true);
    map::SurveyOptions options;
    options.maxDistance = 1;
    const map::SurveyProjection p = map::projectSurvey(points, line.value, options).value;
    EXPECT_EQ(surveyLeftOutText(p, 5, 1, true),
              "1 of 5 stations were farther than 1 km from the line and were left out. "
              "1 of 5 stations lay beyond the ends of the line and were left out.");

    for (SurveyField field : {SurveyField::Gravity, SurveyField::Magnetic}) {
        const bool gravity = field == SurveyField::Gravity;
        Workspace ws;
        Model& m = ws.model;
        test::setStations(m, 11, 0, 10);
        test::setBody(m, 1, {{1, 0.5}, {3, 0.5}, {3, 1.5}, {1, 1.5}}, 0.2, 10, 10);
        m.Bodies[1].Susceptibility = 0.02, m.ModelExists = true, m.HaveObserved = false;
        setMagneticStations(m, {{0, 0, 1.0}, {5, 0, 2.0}, {10, 0, 3.0}});
        m.RecalculateModel();
        const auto before = std::make_unique<Model>(m);

        ModelHistory h(ws);
        h.begin(QStringLiteral("Read in survey data..."));
        ASSERT_EQ(applySurvey(ws, field, p), QString());
        ASSERT_EQ(h.end(), ModelHistory::Outcome::Recorded);
        EXPECT_TRUE(h.modified());
        // In profile order, offsets kept; the other field as it was.
        ASSERT_EQ(gravity ? m.NumStations : m.Mag.Num, 3);
        EXPECT_EQ(gravity ? m.Mag.Num : m.NumStations, gravity ? 3 : 11);
        EXPECT_EQ(m.HaveObserved, gravity);
        const auto fresh = std::make_unique<Model>(m);   // the anomalies at the new stations
        fresh->RecalculateModel();
        const double x[] = {0.5, 2, 3}, offset[] = {-0.2, 0, 0.5}, value[] = {5, 6, 7.5}, height[] = {0.01, 0, 0.02};
        for (int i = 1; i <= 3; ++i) {
            EXPECT_NEAR(gravity ? m.StationX[i] : m.Mag.X[i], x[i - 1], 1e-12);
            EXPECT_NEAR(gravity ? m.StationOffset[i] : m.Mag.Offset[i], offset[i - 1], 1e-12);
            EXPECT_EQ(gravity ? m.ObservedGravity[i] : m.Mag.Observed[i], value[i - 1]);
            EXPECT_EQ(gravity ? m.StationHeight[i] : m.Mag.Height[i], height[i - 1]);
            EXPECT_EQ(gravity ? m.CalculatedGravity[i] : m.Mag.Calculated[i],
                      gravity ? fresh->CalculatedGravity[i] : fresh->Mag.Calculated[i]);
        }
        h.undo();
        EXPECT_EQ(std::memcmp(&m.Mag, &before->Mag, sizeof(MagneticStations)), 0);
        EXPECT_EQ(m.NumStations, 11);
        EXPECT_FALSE(hasGravityOffsets(m) || hasMagneticOffsets(m) || m.HaveObserved || h.modified());

        // Fewer than two stations kept: refused, nothing changed.
        map::SurveyProjection one = p;
        one.stations.resize(1);
        EXPECT_FALSE(applySurvey(ws, field, one).isEmpty());
        EXPECT_EQ(m.NumStations, 11);
    }
}
