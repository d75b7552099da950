// A scattered survey read in: its points from the chosen columns, projected
// onto the line, one field's stations replaced with their offsets in one
// undoable step, and what was left out said.
#include "app/history.h"
#include "app/survey_data.h"
#include "model/magnetic_data.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace corvane;

namespace {

// A line 4 km long eastwards from (1000, 2000) m, in a model in km. Six
// stations: E N value elevation; the fourth is 3 km north of the line, the
// fifth west of its start, the last a heading's leftover without a value.
const char* const SurveyText =
    "E N value elevation\n"
    "4000 2500 7.5 0.02\n"
    "1500 1800 5 0.01\n"
    "3000 2000 6 0\n"
    "2000 5000 9 0\n"
    "500 2000 4 0\n"
    "2500 2100 x 0\n";

map::SurveyProjection projected(double maxDistance, ColumnChoice choice)
{
    const auto table = readFieldDataText(SurveyText);
    EXPECT_TRUE(table);
    const auto points = surveyPointsFromTable(*table, choice);
    EXPECT_EQ(points.size(), 5u);
    const auto line = map::ProfileLine::make({1000, 2000, 5000, 2000, "-"}, true);
    map::SurveyOptions options;
    options.maxDistance = maxDistance;
    return map::projectSurvey(points, line.value, options).value;
}

}  // namespace

TEST(SurveyData, ReplacesOneFieldsStationsWithTheirOffsetsInOneStep)
{
    ColumnChoice choice;
    choice.xColumn = 1, choice.yColumn = 2, choice.gravityColumn = 3, choice.commentLines = 1;
    choice.xyData = true, choice.heightData = true, choice.heightColumn = 4;
    const map::SurveyProjection p = projected(1, choice);
    EXPECT_EQ(surveyLeftOutText(p, 5, 1, true),
              "1 of 5 stations were farther than 1 km from the line and were left out. "
              "1 of 5 stations lay beyond the ends of the line and were left out.");
    EXPECT_EQ(surveyLeftOutText(projected(5, choice), 5, 5, false),
              "1 of 5 stations lay beyond the ends of the line and were left out.");

    for (SurveyField field : {SurveyField::Gravity, SurveyField::Magnetic}) {
        Workspace ws;
        Model& m = ws.model;
        test::setStations(m, 11, 0, 10);
        test::setBody(m, 1, {{1, 0.5}, {3, 0.5}, {3, 1.5}, {1, 1.5}}, 0.2, 10, 10);
        m.Bodies[1].Susceptibility = 0.02;
        m.NumBodies = 1;
        m.ModelExists = true;
        m.HaveObserved = false;
        setMagneticStations(m, {{0, 0, 1.0}, {5, 0, 2.0}, {10, 0, 3.0}});
        m.RecalculateModel();
        const auto before = std::make_unique<Model>(m);

        ModelHistory h(ws);
        h.begin(QStringLiteral("Read in survey data..."));
        ASSERT_EQ(applySurvey(ws, field, p), QString());
        ASSERT_EQ(h.end(), ModelHistory::Outcome::Recorded);
        EXPECT_TRUE(h.modified());

        // In profile order: x 0.5, 2, 3 km; offsets -0.2, 0, 0.5 km.
        const std::vector<double> x{0.5, 2, 3}, offset{-0.2, 0, 0.5}, value{5, 6, 7.5}, height{0.01, 0, 0.02};
        std::vector<double> gotX, gotOffset, gotValue, gotHeight;
        const bool gravity = field == SurveyField::Gravity;
        const int n = gravity ? m.NumStations : m.Mag.Num;
        for (int i = 1; i <= n; ++i) {
            gotX.push_back(gravity ? m.StationX[i] : m.Mag.X[i]);
            gotOffset.push_back(gravity ? m.StationOffset[i] : m.Mag.Offset[i]);
            gotValue.push_back(gravity ? m.ObservedGravity[i] : m.Mag.Observed[i]);
            gotHeight.push_back(gravity ? m.StationHeight[i] : m.Mag.Height[i]);
        }
        for (std::size_t i = 0; i < x.size(); ++i) {
            EXPECT_NEAR(gotX.at(i), x[i], 1e-12);
            EXPECT_NEAR(gotOffset.at(i), offset[i], 1e-12);
            EXPECT_EQ(gotValue.at(i), value[i]);
            EXPECT_EQ(gotHeight.at(i), height[i]);
        }
        EXPECT_EQ(n, 3);
        // The other field is as it was; the anomalies are those at the new stations.
        EXPECT_EQ(gravity ? m.Mag.Num : m.NumStations, gravity ? 3 : 11);
        EXPECT_EQ(m.HaveObserved, gravity);
        const auto fresh = std::make_unique<Model>(m);
        fresh->RecalculateModel();
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(gravity ? m.CalculatedGravity[i] : m.Mag.Calculated[i],
                      gravity ? fresh->CalculatedGravity[i] : fresh->Mag.Calculated[i]);
        EXPECT_EQ(gravity ? hasGravityOffsets(m) : hasMagneticOffsets(m), true);

        h.undo();
        EXPECT_EQ(std::memcmp(&m.Mag, &before->Mag, sizeof(MagneticStations)), 0);
        EXPECT_EQ(m.NumStations, 11);
        EXPECT_FALSE(hasGravityOffsets(m) || hasMagneticOffsets(m));
        EXPECT_FALSE(m.HaveObserved);
        EXPECT_EQ(m.CalculatedGravity[4], before->CalculatedGravity[4]);
        EXPECT_FALSE(h.modified());
    }

    // Fewer than two stations kept: refused, nothing changed.
    Workspace ws;
    test::setStations(ws.model, 11, 0, 10);
    map::SurveyProjection one = p;
    one.stations.resize(1);
    EXPECT_FALSE(applySurvey(ws, SurveyField::Gravity, one).isEmpty());
    EXPECT_EQ(ws.model.NumStations, 11);
}
