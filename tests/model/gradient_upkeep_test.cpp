// The gradient total follows each kind of edit as a full recalculation does.
#include "model/body_ops.h"
#include "model/gradient_data.h"
#include "model/workspace.h"
#include "support/bodies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

using namespace corvane;

TEST(GradientUpkeep, EachEditAgreesWithAFullRecalculation)
{
    const std::function<void(Workspace&)> edits[] = {
        [](Workspace& ws) { ws.model.MoveBody(2, 1.5, 0.5), ws.model.UpdateBody(2); },
        [](Workspace& ws) { ws.model.Bodies[1].Density = 0.7, ws.model.UpdateBody(1, BodyChange::Density); },
        [](Workspace& ws) { ws.model.setHidden(1, true); },
        [](Workspace& ws) { removeBody(ws, 1); },
        [](Workspace& ws) { changeUnits(ws.model, false); },
    };
    for (const auto& edit : edits) {
        auto ws = std::make_unique<Workspace>();
        Model& m = ws->model;
        test::setStations(m, 21, 0, 20);
        m.NumBodies = 2;
        test::setBody(m, 1, {{4, 1}, {8, 1}, {8, 3}, {4, 3}}, 0.3, 5, 5);
        test::setBody(m, 2, {{10, 2}, {14, 1}, {13, 4}}, -0.2, 2, 8);
        m.Mag.FieldAzimuth = 90;   // north is y: observed T_NN is T_yy
        setGradientStations(m, {{9, 0, {1, 0, 0, 0, 0, 0}, {true}}, {3, 0.5, {2, 0, 0, 99, 0, 0}, {true}}},
                            TensorFrame::Geographic);
        EXPECT_EQ(m.Grad.X[1], 3);
        EXPECT_EQ(m.Grad.Observed[1].yy, 0);   // no figure behind a missing value
        const double e1 = 2 - m.Grad.Calculated[1].yy, e2 = 1 - m.Grad.Calculated[2].yy;
        EXPECT_DOUBLE_EQ(*gradientMisfit(m)[3], std::sqrt((e1 * e1 + e2 * e2) / 2));
        EXPECT_FALSE(gradientMisfit(m)[0]);
        edit(*ws);
        auto fresh = std::make_unique<Model>(m);
        fresh->RecalculateGradients();
        for (int i = 1; i <= 2; ++i)
            for (int k = 0; k < TensorComponents; ++k)
                EXPECT_NEAR(m.Grad.Calculated[i][k], fresh->Grad.Calculated[i][k], 1e-9);
    }
}
