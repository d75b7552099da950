// The 100 km that strike lengths and the displayed depth default to are
// 100 km in a metre model too, in every dialog and reader that offers them.
#include "app/newmodel.h"
#include "edit/add_body.h"
#include "edit/num_add.h"
#include "io/input_files.h"
#include "model/workspace.h"

#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <functional>

using namespace corvane;

TEST(MetreDefaults, NewModelBoxesFollowTheUnitUntilTyped)
{
    Tnewmodel dlg;
    dlg.FormActivate();
    auto texts = [&] {
        return (dlg.Strike1->text() + "|" + dlg.Strike2->text() + "|" + dlg.MaxZ->text()).toStdString();
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* shown;
    };
    const Step steps[] = {
        {"opening", [] {}, "100.0|100.0|100.0"},
        {"m chosen", [&] { dlg.unitsM->setChecked(true); }, "100000.0|100000.0|100000.0"},
        {"strike typed", [&] { dlg.Strike1->setText("2500"); }, "2500|100000.0|100000.0"},
        {"Km again", [&] { dlg.unitsKm->setChecked(true); }, "2500|100.0|100.0"},
        {"m again", [&] { dlg.unitsM->setChecked(true); }, "2500|100000.0|100000.0"},
        {"reopened", [&] { dlg.FormActivate(); }, "100.0|100.0|100.0"},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(texts(), s.shown) << s.what;
    }
}

TEST(MetreDefaults, NewBodiesAndModelsInMetresGetOneHundredKilometres)
{
    for (const bool km : {true, false}) {
        SCOPED_TRACE(km ? "km" : "m");
        const double hundred = km ? 100.0 : 100000.0;
        const QString shown = km ? "100.0" : "100000.0";
        Workspace ws;
        Model& m = ws.model;
        m.UnitsKm = km;
        m.NumBodies = 1;

        Taddbody add;
        add.FormActivate(m);
        EXPECT_EQ(add.Strike1->text(), shown);
        EXPECT_EQ(add.Strike2->text(), shown);
        add.Strike1->setText("not a length");
        EXPECT_EQ(add.values().strike1, hundred);
        EXPECT_EQ(add.values().strike2, hundred);

        TNumAdd keyIn(ws);
        keyIn.FormActivate();
        EXPECT_EQ(keyIn.strike1->text(), shown);
        keyIn.strike2->setText("");
        ASSERT_TRUE(keyIn.OKBtnClick());
        EXPECT_EQ(m.Bodies[2].StrikeLength1, hundred);
        EXPECT_EQ(m.Bodies[2].StrikeLength2, hundred);

        const std::string file = "a\nb\nBodies         1\nDensity        0.2\nCorners        3\n"
                                 "Corner 1       1 1\nCorner 2       2 1\nCorner 3       1 2\n";
        ASSERT_EQ(readBodyFile(ws, file, "b.bod").message(), "");
        EXPECT_EQ(m.Bodies[m.NumBodies].StrikeLength1, hundred);
        EXPECT_EQ(m.Bodies[m.NumBodies].StrikeLength2, hundred);

        NewModelInput in;
        in.readFieldData = false;
        in.km = km;
        in.strike1 = "x";
        in.maxDepth = "none";
        applyNewModel(ws, in, nullptr);
        EXPECT_EQ(m.Bodies[1].StrikeLength1, hundred);
        EXPECT_EQ(ws.display.ViewDepthMax, hundred);
    }
}
