// A long random sequence of edits of every kind, made through the window's
// own menu items, dialogs and mouse presses on a linked four-body model. Each
// edit is undone and compared bit for bit with the model before it, then
// redone and compared with the model after it.
#include "app/history.h"
#include "app/newmodel.h"
#include "app/station_table.h"
#include "app/tcorvane.h"
#include "display/view.h"
#include "edit/add_body.h"
#include "edit/body_dialogs.h"
#include "edit/num_add.h"
#include "edit/num_corner_change.h"
#include "edit/picking.h"
#include "edit/spin_arrows.h"
#include "inversion_ui/tproperties.h"
#include "io/real48.h"
#include "platform/scripted_platform.h"
#include "regional_ui/tregbuild.h"
#include "support/bodies.h"
#include "support/model_state.h"
#include "support/helpers.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <utility>

using namespace corvane;

namespace {

const QString Examples = QStringLiteral(CORVANE_TEST_DATA "/../../examples/");

// A Sidero model with one square body (its format: 13 header records, the
// stations, then per body its corner count, three properties and two more).
std::string sideroModel()
{
    std::string out;
    auto put = [&out](double v) {
        const Real48 r = encodeReal48(v).value();
        out.append(reinterpret_cast<const char*>(r.data()), r.size());
    };
    for (double v : {1.0, 2.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 10.0, 0.0, 1.0})
        put(v);
    for (double v : {0.0, 0.0, 40.0, 0.0})
        put(v);
    for (double v : {5.0, 0.02, 100.0, 0.0, 0.0, 0.0, 33.0, 6.0, 36.0, 6.0, 36.0, 8.0, 33.0, 8.0, 33.0, 6.0})
        put(v);
    return out;
}

struct UndoSequence : ::testing::Test {
    ScriptedPlatform p;
    std::unique_ptr<Tcorvane> w;
    std::mt19937 rng{20250117};
    QTemporaryDir dir;
    QString sideroFile;
    std::function<void(QDialog&)> fill;   // what the user does in the next dialog

    void SetUp() override
    {
        sideroFile = dir.filePath(QStringLiteral("mag.mod"));
        std::ofstream(QFile::encodeName(sideroFile).toStdString(), std::ios::binary) << sideroModel();

        w = std::make_unique<Tcorvane>(p);
        w->resize(652, 486);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        // A dialog opened from inside another (a fit's result window) is
        // closed as it stands.
        p.dialogHandler = [this](QDialog& d) {
            const std::function<void(QDialog&)> f = std::exchange(fill, nullptr);
            if (f)
                f(d);
            return d.result();
        };

        // Four blocks side by side, each sharing its two side corners with
        // its neighbour, over a profile with an observed anomaly.
        Model& m = model();
        test::setStations(m, 121, 0, 40);
        for (int i = 1; i <= m.NumStations; ++i)
            m.ObservedGravity[i] = 3 * std::exp(-std::pow((m.StationX[i] - 16) / 6, 2)) + 0.01 * i;
        m.NumBodies = 4;
        for (int b = 1; b <= 4; ++b) {
            const double x0 = 4 + 6.0 * (b - 1), x1 = x0 + 6;
            test::setBody(m, b, {{x0, 1}, {x1, 1}, {x1, 4}, {x0, 4}}, 0.1 * b - 0.25, 50, 60);
        }
        for (int b = 1; b <= 3; ++b) {
            link(b, 2, b + 1, 1);
            link(b, 3, b + 1, 4);
        }
        m.ModelExists = true;
        m.HaveObserved = true;
        corvane::Display& d = ws().display;
        d.ModelLoaded = true;
        d.ViewXMin = 0;
        d.ViewXMax = 40;
        d.ViewDepthMin = 0;
        d.ViewDepthMax = 10;
        m.RecalculateModel();
        ws().app.ExpertUser = true;
        w->MenuStateLoaded();
        w->MenuStateBodySelected();
        w->repaintModel();
    }

    Workspace& ws() { return w->workspace(); }
    Model& model() { return ws().model; }
    DrawingArea& area() { return w->drawingArea(); }
    Tbody& current() { return model().Bodies[model().CurrentBody]; }
    bool fewerBodiesThan(int n) { return model().NumBodies < n; }
    void link(int b, int c, int pb, int pk) { corvane::test::link(model(), b, c, pb, pk); }

    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }

    QPoint pixel(double x, double z) { return SectionToScreen(area().clientRect(), ws().display, x, z); }
    bool inPanel(QPoint at)
    {
        return modelPanel(area().clientRect(), ws().display).adjusted(4, 4, -4, -4).contains(at);
    }
    QPoint cornerPixel(int b, int k) { return pixel(model().Bodies[b].CornerX[k], model().Bodies[b].CornerZ[k]); }
    // A corner of body b that can be clicked, if any.
    std::optional<int> visibleCorner(int b)
    {
        const int n = model().Bodies[b].NumCorners - 1;
        const int start = uniform(1, std::max(n, 1));
        for (int i = 0; i < n; ++i) {
            const int k = (start + i - 1) % n + 1;
            if (inPanel(cornerPixel(b, k)))
                return k;
        }
        return std::nullopt;
    }
    QPoint somewhereNear(QPoint at, int by)
    {
        const QRect panel = modelPanel(area().clientRect(), ws().display).adjusted(6, 6, -6, -6);
        return {std::clamp(at.x() + uniform(-by, by), panel.left(), panel.right()),
                std::clamp(at.y() + uniform(-by, by), panel.top(), panel.bottom())};
    }
    QPoint centreOf(int b)
    {
        const Tbody& body = model().Bodies[b];
        double x = 0, z = 0;
        for (int k = 1; k < body.NumCorners; ++k) {
            x += body.CornerX[k];
            z += body.CornerZ[k];
        }
        return pixel(x / (body.NumCorners - 1), z / (body.NumCorners - 1));
    }
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseMove(&area(), at);
        QTest::mouseClick(&area(), button, {}, at);
    }
    void endCommand()
    {
        for (int i = 0; i < 5 && w->commandRunning(); ++i)
            click(somewhereNear(area().rect().center(), 40), Qt::RightButton);
    }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(&area(), Qt::LeftButton, {}, from);
        QTest::mouseMove(&area(), to);
        QTest::mouseRelease(&area(), Qt::LeftButton, {}, to);
    }
    // A command that went on to the mouse drags the outline a little and ends.
    void dragIfRunning()
    {
        if (!w->commandRunning())
            return;
        const QPoint from = area().rect().center();
        drag(from, somewhereNear(from, 20));
        endCommand();
    }
    // Not now: a body in view (with a linked corner) becomes the current one
    // by a click, for a later edit.
    bool selectBodyInView(bool linked = false)
    {
        for (int b = 1; b <= model().NumBodies; ++b) {
            const Tbody& body = model().Bodies[b];
            bool wanted = !linked;
            for (int k = 1; k < body.NumCorners; ++k)
                wanted = wanted || body.Linked[k];
            if (wanted && hitBody(model(), ws().display, area().clientRect(), centreOf(b)) == b) {
                click(centreOf(b));
                break;
            }
        }
        return false;
    }
    // Runs a menu item when it is enabled, with fill for its dialog.
    bool run(const char* item, std::function<void(QDialog&)> dialog = nullptr)
    {
        QAction* a = w->action(QString::fromLatin1(item));
        if (!a->isEnabled())
            return false;
        fill = std::move(dialog);
        a->trigger();
        return true;
    }
    template <class D>
    static D& as(QDialog& d)
    {
        return dynamic_cast<D&>(d);
    }
    static void press(QDialog& d, const char* button) { d.findChild<QPushButton*>(QString::fromLatin1(button))->click(); }

    struct Edit {
        QString step;                  // the undo step it makes
        std::function<bool()> make;    // false when it could not be made now
    };
    std::vector<Edit> edits();
};

std::vector<UndoSequence::Edit> UndoSequence::edits()
{
    auto mouseOnCorner = [this](const char* item, int extraClicks) {
        return [this, item, extraClicks] {
            const int b = model().CurrentBody;
            const std::optional<int> k = visibleCorner(b);
            if (!k)
                return selectBodyInView();
            if (!run(item))
                return false;
            click(cornerPixel(b, *k));
            for (int i = 0; i < extraClicks && w->commandRunning(); ++i)
                click(somewhereNear(cornerPixel(b, *k), 14));
            endCommand();
            return true;
        };
    };
    return {
        {"Change a corner with the mouse", mouseOnCorner("Changeacornerwiththemouse1", 1)},
        {"Add a corner to a body", mouseOnCorner("Addacorner1", 1)},
        {"Delete body corners", mouseOnCorner("Deleteacorner1", 0)},
        {"Unlink body corners",
         [this] {
             const int b = model().CurrentBody;
             const Tbody& body = model().Bodies[b];
             for (int k = 1; k < body.NumCorners; ++k)
                 if (body.Linked[k] && inPanel(cornerPixel(b, k)) && run("UnlinkaBody1")) {
                     click(cornerPixel(b, k));
                     endCommand();
                     return true;
                 }
             return selectBodyInView(true);
         }},
        {"Select corner inversion parameters",
         [this] {
             const int b = ws().inversion.InversionBody;
             const std::optional<int> k = visibleCorner(b);
             if (!k || !run("cornerinversion"))
                 return false;
             for (int i = uniform(1, 3); i > 0; --i)
                 click(cornerPixel(b, *k));
             endCommand();
             return true;
         }},
        {"Link body corners",
         [this] {
             const int b = model().CurrentBody;
             const int other = b % model().NumBodies + 1;
             const std::optional<int> k = visibleCorner(b), pk = visibleCorner(other);
             if (!k || !pk || !run("Linkabody1"))
                 return false;
             click(cornerPixel(b, *k));
             click(cornerPixel(other, *pk));
             endCommand();
             return true;
         }},
        {"Change a corner numerically",
         [this] {
             const int steps = uniform(0, current().NumCorners - 2);
             const double dx = uniform(-0.5, 0.5), dz = uniform(0.0, 0.5);
             return run("Changeacornernumerically1", [steps, dx, dz](QDialog& d) {
                 auto& dlg = as<TNumCornerChange>(d);
                 for (int i = 0; i < steps; ++i)
                     dlg.NextCorner->click();
                 dlg.xpos->setText(QString::number(dlg.xpos->text().toDouble() + dx));
                 dlg.depth->setText(QString::number(dlg.depth->text().toDouble() + dz + 0.1));
                 dlg.NextCorner->click();
                 dlg.OKBtn->click();
             });
         }},
        {"Delete a body",
         [this] {
             if (model().NumBodies <= 3)
                 return false;
             p.confirmAnswers.push_back(true);
             return run("Deleteabody1");
         }},
        {"Hide/unhide a body", [this] { return run("Hideabody1"); }},
        {"Move a body",
         [this] {
             const bool byMouse = uniform(0, 2) == 0;
             const int spins = uniform(1, 3);
             if (!run("Moveabody1", [byMouse, spins](QDialog& d) {
                     auto& dlg = as<TMoveBody>(d);
                     for (int i = 0; i < spins; ++i)
                         (i % 2 ? dlg.ychange : dlg.xchange)->upButton()->click();
                     dlg.graphic->setChecked(byMouse);
                     dlg.OKBtn->click();
                 }))
                 return false;
             dragIfRunning();
             return true;
         }},
        {"Copy a body",
         [this] {
             if (!fewerBodiesThan(8))
                 return false;
             const bool byMouse = uniform(0, 2) == 0;
             const double dx = uniform(-3.0, 3.0);
             if (!run("Copyabody1", [byMouse, dx](QDialog& d) {
                     auto& dlg = as<Tcopybody>(d);
                     dlg.dx->setText(QString::number(dx));
                     dlg.dy->setText(QStringLiteral("0.5"));
                     dlg.graphic->setChecked(byMouse);
                     dlg.OKBtn->click();
                 }))
                 return false;
             dragIfRunning();
             return true;
         }},
        {"Turn a body",
         [this] {
             const double angle = uniform(1.0, 20.0);
             return run("Turnabody1", [angle](QDialog& d) {
                 auto& dlg = as<TTurnBody>(d);
                 dlg.angle->setText(QString::number(angle));
                 dlg.turn->downButton()->click();
                 dlg.turn->upButton()->click();
                 dlg.turn->upButton()->click();
                 dlg.OKBtn->click();
             });
         }},
        {"Change body properties",
         [this] {
             const int kind = uniform(0, 3);
             return run("Changebodyproperties1", [kind](QDialog& d) {
                 auto& dlg = as<Tproperties>(d);
                 if (kind == 0)
                     dlg.invertdClick();   // a density fit
                 dlg.DensitychangeUpClick();
                 if (kind == 1)
                     dlg.depthchangeUpClick();
                 if (kind == 2)
                     dlg.widthchangeDownClick();
                 press(d, "OKBtn");
             });
         }},
        {"Change body properties",   // the double-click on a body
         [this] {
             const QPoint at = centreOf(model().CurrentBody);
             if (current().Hidden || hitBody(model(), ws().display, area().clientRect(), at) != model().CurrentBody)
                 return false;
             fill = [](QDialog& d) {
                 as<Tproperties>(d).DensitychangeDownClick();
                 press(d, "OKBtn");
             };
             QTest::mouseDClick(&area(), Qt::LeftButton, {}, at);
             return true;
         }},
        {"Key in a body coordinates",
         [this] {
             if (!fewerBodiesThan(8))
                 return false;
             const double x = uniform(26.0, 34.0), z = uniform(5.0, 7.0);
             return run("KeyinaBody1", [x, z](QDialog& d) {
                 auto& dlg = as<TNumAdd>(d);
                 dlg.noofcorners->setText(QStringLiteral("3"));
                 for (auto [cx, cz] : {std::pair{x, z}, {x + 4, z}, {x + 2, z + 2}}) {
                     dlg.xpos->setText(QString::number(cx));
                     dlg.depth->setText(QString::number(cz));
                     dlg.cornerchangeUpClick();
                 }
                 dlg.OKBtn->click();
             });
         }},
        {"Add a body",
         [this] {
             if (!fewerBodiesThan(8) || !run("Addabody1", [](QDialog& d) { as<Taddbody>(d).OKBtn->click(); }))
                 return false;
             const double x = uniform(8.0, 30.0), z = uniform(5.0, 7.0);
             for (auto [cx, cz] : {std::pair{x, z}, {x + 3, z}, {x + 1.5, z + 2}})
                 click(pixel(cx, cz));
             endCommand();
             return true;
         }},
        {"Read in a model file",
         [this] {
             if (!fewerBodiesThan(9))
                 return false;
             p.openNames.push_back(Examples + QStringLiteral("basin_dykes.bod"));
             return run("Readinamodelfile1");
         }},
        {"Import a model from Sidero",
         [this] {
             // (Its kilometres would lie far outside a model in metres.)
             if (!fewerBodiesThan(8) || !model().UnitsKm)
                 return false;
             p.openNames.push_back(sideroFile);
             return run("ImportamodelfromSidero1");
         }},
        {"Modify the regional field",
         [this] {
             const int spins = uniform(1, 3);
             return run("Modifytheregionalfield1", [spins](QDialog& d) {
                 auto& dlg = as<Tregbuild>(d);
                 dlg.regtypeClick(0);
                 for (int i = 0; i < spins; ++i)
                     dlg.constantspin1Up();
                 dlg.BitBtn2Click();
             });
         }},
        {"Abstract part of the profile",
         [this] {
             if (model().NumStations < 60)
                 return false;
             return run("Abstractpartoftheprofile1", [](QDialog& d) { press(d, "OKBtn"); });
         }},
        {"Change units",
         [this] {
             return run("Changeunits1", [](QDialog& d) {
                 auto& dlg = as<TDistUnits>(d);
                 (dlg.km->isChecked() ? dlg.metres : dlg.km)->setChecked(true);
                 dlg.OKBtn->click();
             });
         }},
        {"Edit the field data",
         [this] {
             const int row = uniform(1, model().NumStations);
             const double g = uniform(-2.0, 2.0);
             return run("Editthefielddata1", [row, g](QDialog& d) {
                 auto& dlg = as<TDataDisplay>(d);
                 dlg.DataGrid->item(row, 2)->setText(QString::number(g));
                 dlg.OKBtn->click();
             });
         }},
        {"Select body inversion parameters",
         [this] {
             const char* which = uniform(0, 1) ? "density" : "depth";
             return run("bodyinversion", [which](QDialog& d) {
                 d.findChild<QCheckBox*>(QString::fromLatin1(which))->toggle();
                 press(d, "OKBtn");
             });
         }},
        {"Invert the model",
         [this] {
             return run("Invertthemodel1", [](QDialog& d) {
                 d.findChild<QLineEdit*>(QStringLiteral("iterations"))->setText(QStringLiteral("2"));
                 press(d, "OKBtn");
             });
         }},
        {"Add borehole data",
         [this] {
             p.openNames.push_back(Examples + QStringLiteral("well_a1.hol"));
             return run("boreholedata1");
         }},
    };
}

}  // namespace

TEST_F(UndoSequence, EveryEditIsUndoneAndRedoneBitForBit)
{
    const std::vector<Edit> all = edits();
    std::map<QString, int> recorded;
    int done = 0;
    for (int attempt = 0; attempt < 3000 && done < 320; ++attempt) {
        // Now and then another body becomes the current one, by a click.
        if (uniform(0, 2) == 0) {
            const int b = uniform(1, model().NumBodies);
            const test::ModelState before(ws());
            const int steps = w->history().undoSteps();
            if (inPanel(centreOf(b)))
                click(centreOf(b));
            ASSERT_EQ(w->history().undoSteps(), steps);
            ASSERT_TRUE(test::sameState(test::ModelState(ws()), before, false));
        }
        // Each kind once in turn on the model as it starts, then at random.
        const std::size_t which = static_cast<std::size_t>(attempt) < all.size()
            ? static_cast<std::size_t>(attempt) : static_cast<std::size_t>(uniform(0, int(all.size()) - 1));
        const Edit& edit = all[which];
        SCOPED_TRACE(edit.step.toStdString() + ", edit " + std::to_string(done));
        const test::ModelState before(ws());
        const int steps = w->history().undoSteps();
        if (!edit.make())
            continue;
        ASSERT_FALSE(w->commandRunning());
        fill = nullptr;   // a refused command opens no dialog
        const test::ModelState after(ws());
        if (w->history().undoSteps() == steps) {
            // Refused, or nothing to change: then nothing may have changed.
            ASSERT_TRUE(test::sameState(after, before, false));
            continue;
        }
        ASSERT_EQ(w->history().undoSteps(), steps + 1);
        ASSERT_EQ(w->history().undoName(), edit.step);
        ASSERT_EQ(w->action(QStringLiteral("Undo1"))->text(), QStringLiteral("&Undo ") + edit.step);

        w->action(QStringLiteral("Undo1"))->trigger();
        ASSERT_TRUE(test::sameState(test::ModelState(ws()), before));
        ASSERT_TRUE(w->action(QStringLiteral("Redo1"))->isEnabled());
        w->action(QStringLiteral("Redo1"))->trigger();
        ASSERT_TRUE(test::sameState(test::ModelState(ws()), after));
        ASSERT_FALSE(w->action(QStringLiteral("Redo1"))->isEnabled());
        ++recorded[edit.step];
        ++done;
    }
    EXPECT_GE(done, 300);
    for (const Edit& edit : all)
        EXPECT_GT(recorded[edit.step], 0) << edit.step.toStdString();
    // The sequence kept the model sound all along.
    EXPECT_GE(model().NumBodies, 3);
}
