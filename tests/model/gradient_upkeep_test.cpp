// The gradient total follows each kind of edit as a full recalculation does.
#include "model/body_ops.h"
#include "model/model.h"
#include "model/workspace.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

using namespace corvane;

TEST(GradientUpkeep, EachEditAgreesWithAFullRecalculation)
{
    struct Case {
        const char* name;
        std::function<void(Workspace&)> edit;
    };
    const Case cases[] = {
        {"move", [](Workspace& ws) {
             ws.model.MoveBody(2, 1.5, 0.5);
             ws.model.UpdateBody(2);
         }},
        {"density", [](Workspace& ws) {
             ws.model.Bodies[1].Density = 0.7;
             ws.model.UpdateBody(1, BodyChange::Density);
         }},
        {"hide", [](Workspace& ws) { ws.model.setHidden(1, true); }},
        {"remove", [](Workspace& ws) { removeBody(ws, 1); }},
        {"units", [](Workspace& ws) { changeUnits(ws.model, false); }},
    };
    for (const Case& c : cases) {
        auto wsp = std::make_unique<Workspace>();
        Workspace& ws = *wsp;
        Model& m = ws.model;
        test::setStations(m, 21, 0, 20);
        m.NumBodies = 2;
        test::setBody(m, 1, {{4, 1}, {8, 1}, {8, 3}, {4, 3}}, 0.3, 5, 5);
        test::setBody(m, 2, {{10, 2}, {14, 1}, {13, 4}}, -0.2, 2, 8);
        m.Grad.Num = 15;
        for (int i = 1; i <= 15; ++i)
            m.Grad.X[i] = 1.3 * i, m.Grad.Height[i] = 0.1;
        m.RecalculateModel();
        ASSERT_NE(m.Grad.Calculated[5].zz, 0) << c.name;
        c.edit(ws);
        auto fresh = std::make_unique<Model>(m);
        fresh->RecalculateGradients();
        for (int i = 1; i <= 15; ++i)
            for (int k = 0; k < TensorComponents; ++k)
                EXPECT_NEAR(m.Grad.Calculated[i][k], fresh->Grad.Calculated[i][k], 1e-9) << c.name << " " << i;
    }
}
