// The undo history on its own: what a step keeps, how exactly it comes back,
// the saved model, and the bounds on steps and memory.
#include "app/history.h"
#include "edit/body_ops.h"
#include "support/full_model.h"
#include "support/model_state.h"
#include "support/helpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace corvane;
using corvane::test::link;
using Outcome = ModelHistory::Outcome;

namespace {

void changeDensity(Model& m, int b, double d)
{
    m.Bodies[b].Density = d;
    m.UpdateBody(b);
}

}  // namespace

TEST(ModelHistory, AStepOfTheLargestModelKeepsWhatChangedAndComesBackBitForBit)
{
    Workspace ws;
    test::fullModel(ws);
    Model& m = ws.model;
    // Body 2's leftmost corner joins body 1's rightmost.
    m.Bodies[2].setCorner(26, m.Bodies[1].CornerX[1], m.Bodies[1].CornerZ[1]);
    link(m, 1, 1, 2, 26);
    m.UpdateBody(2);
    m.CurrentBody = 1;

    ModelHistory h(ws);
    const test::ModelState before(ws);
    h.begin(QStringLiteral("Move a body"));
    moveCurrentBody(m, 0.5, 0.25);   // body 2's corner follows
    ASSERT_EQ(h.end(), Outcome::Recorded);
    const test::ModelState after(ws);
    EXPECT_EQ(h.undoName(), QStringLiteral("Move a body"));

    // Two bodies' anomalies and the total, each 4096 values, and a few corners.
    const std::size_t arrays = 3 * MaxStations * sizeof(double);
    EXPECT_GT(h.newestStepBytes(), arrays);
    EXPECT_LT(h.newestStepBytes(), arrays + 4096);
    RecordProperty("StepBytes", static_cast<int>(h.newestStepBytes()));

    // The user widens the view after the step: undo keeps it.
    ws.display.ViewXMin = -50;
    h.undo();
    EXPECT_EQ(ws.display.ViewXMin, -50);
    ws.display.ViewXMin = 0;
    EXPECT_TRUE(test::sameState(test::ModelState(ws), before));
    h.redo();
    EXPECT_TRUE(test::sameState(test::ModelState(ws), after));
    EXPECT_FALSE(h.canRedo());
}

TEST(ModelHistory, DropsEmptyStepsNestsAndKnowsTheSavedModel)
{
    Workspace ws;
    Model& m = ws.model;
    test::setStations(m, 21, 0, 20);
    test::setBody(m, 1, test::unitRectangle, 0.2);
    test::setBody(m, 2, {{4, 1}, {6, 1}, {5, 3}}, 0.3);
    m.NumBodies = 2;
    m.RecalculateModel();
    ModelHistory h(ws);
    EXPECT_FALSE(h.modified());

    // Choosing another body is no step of its own.
    h.begin(QStringLiteral("Select a body"));
    m.CurrentBody = 2;
    EXPECT_EQ(h.end(), Outcome::Unchanged);
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.modified());

    // Only the outermost step counts.
    h.begin(QStringLiteral("A"));
    h.begin(QStringLiteral("inner"));
    changeDensity(m, 1, 0.5);
    EXPECT_EQ(h.end(), Outcome::Unchanged);
    EXPECT_FALSE(h.canUndo());   // not while a step is open
    EXPECT_EQ(h.end(), Outcome::Recorded);
    EXPECT_EQ(h.undoName(), QStringLiteral("A"));
    EXPECT_TRUE(h.modified());

    h.markSaved();
    EXPECT_FALSE(h.modified());
    h.undo();
    EXPECT_TRUE(h.modified());
    EXPECT_EQ(h.redoName(), QStringLiteral("A"));
    h.redo();
    EXPECT_FALSE(h.modified());

    // Saved at the start of a step: the step's own changes are unsaved.
    h.begin(QStringLiteral("B"));
    h.markSaved();
    changeDensity(m, 2, -0.1);
    EXPECT_TRUE(h.unsaved());
    EXPECT_EQ(h.end(), Outcome::Recorded);
    EXPECT_TRUE(h.modified());
    h.undo();
    EXPECT_FALSE(h.modified());

    // A new step after an undo ends the redo branch, and the saved model
    // after B with it.
    h.redo();
    h.markSaved();
    h.undo();
    h.begin(QStringLiteral("C"));
    changeDensity(m, 2, 0.7);
    EXPECT_EQ(h.end(), Outcome::Recorded);
    EXPECT_FALSE(h.canRedo());
    EXPECT_EQ(h.undoSteps(), 2);
    h.undo();
    EXPECT_TRUE(h.modified());

    // A replacement that changed anything clears the history.
    h.begin(QStringLiteral("Load an old model"), ModelHistory::Kind::Replace);
    EXPECT_EQ(h.end(), Outcome::Unchanged);
    EXPECT_TRUE(h.canUndo());
    h.begin(QStringLiteral("Load an old model"), ModelHistory::Kind::Replace);
    changeDensity(m, 1, 0.1);
    EXPECT_EQ(h.end(), Outcome::Replaced);
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.canRedo());
    EXPECT_FALSE(h.modified());
    EXPECT_EQ(h.bytes(), 0u);
}

TEST(ModelHistory, KeepsAtLeastAHundredStepsInBoundedMemory)
{
    Workspace ws;
    Model& m = ws.model;
    test::setStations(m, MaxStations, 0, 409.5);
    m.NumBodies = 10;
    ModelHistory h(ws);

    // Steps of eleven full arrays each: the memory bound comes first.
    const int big = 200;
    for (int i = 1; i <= big; ++i) {
        h.begin(QStringLiteral("Fill"));
        for (int b = 1; b <= 10; ++b)
            m.Bodies[b].Gravity.fill(i);
        m.CalculatedGravity.fill(i);
        ASSERT_EQ(h.end(), Outcome::Recorded);
    }
    const int kept = h.undoSteps();
    EXPECT_GE(kept, ModelHistory::MinSteps);
    EXPECT_LT(kept, big);
    EXPECT_LE(h.bytes(), ModelHistory::MaxBytes);
    // The oldest step kept still undoes to what came before it.
    while (h.canUndo())
        h.undo();
    EXPECT_EQ(m.Bodies[7].Gravity[4096], big - kept);
    EXPECT_EQ(m.CalculatedGravity[1], big - kept);
    EXPECT_TRUE(h.modified());   // the model it started from is out of reach

    // Small steps: the count bound.
    for (int i = 1; i <= ModelHistory::MaxSteps + 20; ++i) {
        h.begin(QStringLiteral("Move"));
        m.StationX[1] = i;
        h.end();
    }
    EXPECT_EQ(h.undoSteps(), ModelHistory::MaxSteps);
    h.undo();
    EXPECT_EQ(m.StationX[1], ModelHistory::MaxSteps + 19);
}

TEST(ModelHistory, WhatOnlyTheModelFileKeepsIsUndoneToo)
{
    Workspace ws;
    test::fullModel(ws);
    ModelHistory h(ws);
    struct Case {
        const char* name;
        std::function<void(ExtrasState&)> change;
    };
    const Case cases[] = {
        {"Invert the model", [](ExtrasState& e) { e.KeepLinkedCorners = true; }},
        {"Modify the regional field", [](ExtrasState& e) { e.RegionalRemoved = RegionalRecord{"linear", {0.2, -3}}; }},
        {"Load an old model", [](ExtrasState& e) { e.Carried.Unknown.push_back("future 1 2"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ExtrasState before = ws.extras;
        h.begin(QString::fromLatin1(c.name));
        c.change(ws.extras);
        ASSERT_EQ(h.end(), Outcome::Recorded);
        const ExtrasState after = ws.extras;
        ASSERT_FALSE(after == before);
        h.undo();
        EXPECT_TRUE(ws.extras == before);
        h.redo();
        EXPECT_TRUE(ws.extras == after);
    }
}

// The gradient stations come back with a step, and each body's tensors with them.
TEST(ModelHistory, GradientStationsAndTheirTensorsAreUndone)
{
    Workspace ws;
    test::fullModel(ws);
    Model& m = ws.model;
    m.Grad.Num = 40;
    for (int i = 1; i <= 40; ++i)
        m.Grad.X[i] = m.StationX[i];
    m.RecalculateModel();
    const GradientStations before = m.Grad;
    const auto bodyBefore = m.BodyGradient[1];
    ModelHistory h(ws);
    for (const std::function<void()>& edit : {std::function<void()>([&] { m.Grad.Num = 0; }),
                                              std::function<void()>([&] { changeDensity(m, 1, 0.9); })}) {
        h.begin(QStringLiteral("Edit"));
        edit();
        ASSERT_EQ(h.end(), Outcome::Recorded);
        h.undo();
        EXPECT_EQ(std::memcmp(&m.Grad, &before, sizeof before), 0);
        EXPECT_EQ(m.BodyGradient[1], bodyBefore);
    }
}

TEST(ModelHistory, ThePlaceOnTheMapIsUndoneToo)
{
    Workspace ws;
    test::fullModel(ws);
    ModelHistory h(ws);
    const ProfileLineRecord a{500000, 6000000, 510000, 6000000, "EPSG:32633"};
    const ProfileLineRecord b{0, 0, 100, 100, "-"};
    const std::optional<ProfileLineRecord> cases[][2] = {
        {std::nullopt, a}, {a, b}, {b, std::nullopt}};
    for (const auto& [from, to] : cases) {
        ws.model.ProfileLine = from;
        h.clear();
        h.begin(QStringLiteral("Profile from grids"));
        ws.model.ProfileLine = to;
        ASSERT_EQ(h.end(), Outcome::Recorded);
        h.undo();
        EXPECT_EQ(ws.model.ProfileLine, from);
        h.redo();
        EXPECT_EQ(ws.model.ProfileLine, to);
    }
}
