// The Magnetics menu as the user meets it: the dialogs, what they change,
// the panel switch, the status read-out, and undo, redo and the recovery
// file bringing every piece of magnetic data back.
#include "app/field_columns.h"
#include "app/history.h"
#include "app/magnetics.h"
#include "app/newmodel.h"
#include "app/newmodel_data.h"
#include "app/recovery.h"
#include "app/station_table.h"
#include "app/tcorvane.h"
#include "edit/spin_arrows.h"
#include "model/magnetic_data.h"
#include "model/text.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"
#include "support/model_state.h"
#include "support/helpers.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <functional>

using namespace corvane;

namespace {

struct Window {
    ScriptedPlatform platform;
    Tcorvane window{platform};
    Workspace& ws = window.workspace();

    Window()
    {
        Model& m = ws.model;
        test::twoBodyModel(m, 21);
        for (int i = 1; i <= m.NumStations; ++i)
            m.ObservedGravity[i] = m.CalculatedGravity[i] + 0.5;
        ws.display.ViewXMin = 0;
        ws.display.ViewXMax = 100;
        ws.display.ModelLoaded = true;
        window.resize(652, 486);
        window.MenuStateLoaded();
        window.history().clear();
        platform.clear();
    }
    bool enabled(const char* name) { return window.action(name)->isEnabled(); }
    bool checked(const char* name) { return window.action(name)->isChecked(); }
    // The next dialog: its boxes filled by name, then the button pressed.
    void answer(std::vector<std::pair<const char*, QString>> boxes, const char* button = "OKBtn")
    {
        platform.dialogHandler = [boxes, button](QDialog& d) {
            for (const auto& [name, text] : boxes)
                d.findChild<QLineEdit*>(name)->setText(text);
            d.findChild<QPushButton*>(button)->click();
            return d.result();
        };
    }
    // Undo and redo of the newest step bring back exactly before and after.
    void expectUndoRedo(const test::ModelState& before, const char* what)
    {
        const test::ModelState after(ws);
        ASSERT_TRUE(window.history().canUndo()) << what;
        window.action("Undo1")->trigger();
        EXPECT_TRUE(test::sameState(test::ModelState(ws), before)) << what;
        window.action("Redo1")->trigger();
        EXPECT_TRUE(test::sameState(test::ModelState(ws), after)) << what;
    }
};

}  // namespace

TEST(MagneticsMenu, EveryCommandChangesTheModelAsOneUndoableStep)
{
    Window w;
    EXPECT_FALSE(w.enabled("Showmagnetic1"));
    for (const char* item :
         {"Earthsfield1", "Readmagneticdata1", "Magneticstations1", "Editmagneticstations1", "Bodymagnetisation1"})
        EXPECT_TRUE(w.enabled(item)) << item;
    // No stations to edit yet: said, and nothing recorded.
    w.window.action("Editmagneticstations1")->trigger();
    EXPECT_EQ(w.platform.texts(ScriptedPlatform::Kind::Information), QStringList{NoMagneticStationsText});
    EXPECT_FALSE(w.window.history().canUndo());
    w.platform.clear();

    // Stations without data: an even profile over the gravity stations.
    test::ModelState before(w.ws);
    w.answer({{"count", "26"}, {"height", "0.5"}});
    w.window.action("Magneticstations1")->trigger();
    const MagneticStations& mag = w.ws.model.Mag;
    ASSERT_EQ(mag.Num, 26);
    EXPECT_EQ(mag.X[1], 0);
    EXPECT_EQ(mag.X[26], 100);
    EXPECT_EQ(mag.Height[13], 0.5);
    EXPECT_FALSE(haveObservedMagnetic(w.ws.model));
    EXPECT_TRUE(w.enabled("Showmagnetic1"));
    EXPECT_TRUE(w.checked("Showmagnetic1"));
    w.expectUndoRedo(before, "stations without data");

    // The body's susceptibility by two spin steps, applied at once.
    before = test::ModelState(w.ws);
    w.ws.model.CurrentBody = 1;
    w.platform.dialogHandler = [](QDialog& d) {
        auto& dlg = dynamic_cast<TMagnetisation&>(d);
        dlg.step[0]->setText(QStringLiteral("0.02"));
        emit dlg.spins[0]->up();
        emit dlg.spins[0]->up();
        dlg.OKBtn->click();
        return d.result();
    };
    w.window.action("Bodymagnetisation1")->trigger();
    EXPECT_DOUBLE_EQ(w.ws.model.Bodies[1].Susceptibility, 0.04);
    EXPECT_NE(mag.Calculated[10], 0);
    EXPECT_EQ(mag.Calculated[10], w.ws.model.Bodies[1].Magnetic[10] + w.ws.model.Bodies[2].Magnetic[10]);
    w.expectUndoRedo(before, "magnetisation");

    // The Earth's field: a box without a number is refused and nothing changes.
    before = test::ModelState(w.ws);
    int runs = 0;
    w.platform.dialogHandler = [&runs](QDialog& d) {
        auto& dlg = dynamic_cast<TEarthField&>(d);
        dlg.inclination->setText(runs++ == 0 ? QStringLiteral("steep") : QStringLiteral("-35"));
        dlg.OKBtn->click();
        return d.result();
    };
    const double atTen = mag.Calculated[10];
    w.window.action("Earthsfield1")->trigger();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(w.platform.texts(ScriptedPlatform::Kind::Error), QStringList{MagneticNumberText});
    EXPECT_EQ(mag.FieldInclination, -35);
    EXPECT_NE(mag.Calculated[10], atTen);
    w.expectUndoRedo(before, "Earth's field");

    // The stations in their grid (how cells become stations is shown by
    // GridRowsBecomeStations): one moved, one given an anomaly, as one step
    // named as the item.
    before = test::ModelState(w.ws);
    w.platform.dialogHandler = [](QDialog& d) {
        auto& grid = *dynamic_cast<TMagStationTable&>(d).DataGrid;
        grid.item(0, 0)->setText(QStringLiteral("1.5"));
        grid.item(4, 2)->setText(QStringLiteral("-12.5"));
        dynamic_cast<TMagStationTable&>(d).OKBtn->click();
        return d.result();
    };
    w.window.action("Editmagneticstations1")->trigger();
    EXPECT_EQ(std::tuple(mag.X[1], mag.HasObserved[5], mag.Observed[5]), std::tuple(1.5, true, -12.5));
    EXPECT_EQ(w.window.history().undoName(), QStringLiteral("Edit the magnetic stations..."));
    w.expectUndoRedo(before, "magnetic station grid");

    // Hiding the magnetic body takes its magnetic anomaly out as well.
    w.ws.model.setHidden(1, true);
    EXPECT_EQ(mag.Calculated[10], w.ws.model.Bodies[2].Magnetic[10]);
}

TEST(MagneticsMenu, ReadInMagneticDataGivesObservedValuesPanelAndMisfit)
{
    Window w;
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("mag.dat"));
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("magnetic survey\nline 3\nx nT\n");
        for (int i = 0; i <= 20; ++i)
            f.write(QByteArray::number(100 - 5 * i) + " " + QByteArray::number(10.0 * i) + "\n");
    }
    w.ws.model.Bodies[1].Susceptibility = 0.01;
    w.ws.model.UpdateBody(1);
    const test::ModelState before(w.ws);
    w.platform.openNames.push_back(name);
    w.platform.dialogHandler = [](QDialog& d) {
        d.accept();   // the column chooser's opening choice: x in 1, anomaly in 2
        return d.result();
    };
    w.window.action("Readmagneticdata1")->trigger();
    const MagneticStations& mag = w.ws.model.Mag;
    ASSERT_EQ(mag.Num, 21);
    EXPECT_EQ(mag.X[1], 0);     // sorted by position
    EXPECT_EQ(mag.Observed[1], 200);
    EXPECT_TRUE(mag.HasObserved[21]);
    EXPECT_EQ(w.platform.texts(ScriptedPlatform::Kind::Warning), QStringList{StationsSortedText});
    w.window.repaintModel();
    const auto mm = magneticMisfit(w.ws.model);
    ASSERT_TRUE(mm);
    EXPECT_TRUE(w.window.statusText().endsWith(QStringLiteral(" Mag. misfit = ") +
                                               QString::fromStdString(fixed(*mm, 1, 2)) + QStringLiteral(" nT")))
        << w.window.statusText().toStdString();
    w.expectUndoRedo(before, "read in magnetic data");

    // A file the field-data reader refuses (UTF-16 without a byte order
    // mark) is refused here too, with its reason, before the chooser opens;
    // the stations stay as they were.
    const QString wide = dir.filePath(QStringLiteral("wide.dat"));
    {
        QFile f(wide);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray text = "survey\nline\nx nT\n";
        for (int i = 0; i <= 20; ++i)
            text += QByteArray::number(i) + " -3.5\n";
        for (char c : text)
            f.write(QByteArray(1, c) + QByteArray(1, '\0'));
    }
    const test::ModelState loaded(w.ws);
    w.platform.clear();
    w.platform.openNames.push_back(wide);
    int choosers = 0;
    w.platform.dialogHandler = [&choosers](QDialog& d) {
        ++choosers;
        d.accept();
        return d.result();
    };
    w.window.action("Readmagneticdata1")->trigger();
    EXPECT_EQ(choosers, 0);
    ASSERT_EQ(w.platform.texts(ScriptedPlatform::Kind::Error).size(), 1);
    EXPECT_TRUE(w.platform.texts(ScriptedPlatform::Kind::Error).front().contains(QStringLiteral("UTF-16")))
        << w.platform.texts(ScriptedPlatform::Kind::Error).front().toStdString();
    EXPECT_TRUE(test::sameState(test::ModelState(w.ws), loaded));

    // The panel switch.
    w.window.action("Showmagnetic1")->trigger();
    EXPECT_FALSE(w.ws.display.ShowMagnetic);
    EXPECT_FALSE(w.checked("Showmagnetic1"));

    // The fit of K through the dialog finds the least-squares value.
    auto copy = std::make_unique<Model>(w.ws.model);
    const auto expected = fitSusceptibility(*copy, 1);
    ASSERT_TRUE(expected);
    w.ws.model.CurrentBody = 1;
    w.platform.dialogHandler = [](QDialog& d) {
        auto& dlg = dynamic_cast<TMagnetisation&>(d);
        dlg.fit->click();
        dlg.OKBtn->click();
        return d.result();
    };
    w.window.action("Bodymagnetisation1")->trigger();
    EXPECT_EQ(w.ws.model.Bodies[1].Susceptibility, *expected);
}

TEST(MagneticsMenu, ReadInMagneticDataTakesTheChoosersHeights)
{
    // Column 3 holds each station's height; the file is in reverse order so
    // a height must travel with its station through the sort.
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("mag_h.dat"));
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("magnetic survey\nwith heights\nx nT h\n");
        for (int i = 0; i <= 20; ++i)
            f.write(QByteArray::number(100 - 5 * i) + " " + QByteArray::number(3.0 * i) + " " +
                    QByteArray::number(0.01 * i) + "\n");
    }
    auto columnHeight = [](double x) { return (100 - x) / 500; };
    struct Case {
        const char* what;
        bool column;
        QString constant;
        std::function<double(double)> height;   // expected, from the position
    };
    const Case cases[] = {
        {"opening choice", false, QStringLiteral("0"), [](double) { return 0.0; }},
        {"one height", false, QStringLiteral("0.35"), [](double) { return 0.35; }},
        {"height column", true, QStringLiteral("0.35"), columnHeight},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window w;
        w.platform.openNames.push_back(name);
        w.platform.dialogHandler = [&c](QDialog& d) {
            auto& grid = dynamic_cast<Tdatadisplay1&>(d);
            grid.HeightData->setChecked(c.column);
            grid.ConstHeight->setText(c.constant);
            d.accept();
            return d.result();
        };
        w.window.action("Readmagneticdata1")->trigger();
        const Model& m = w.ws.model;
        ASSERT_EQ(m.Mag.Num, 21);
        for (int i = 1; i <= m.Mag.Num; ++i) {
            EXPECT_DOUBLE_EQ(m.Mag.Height[i], c.height(m.Mag.X[i])) << i;
            EXPECT_EQ(m.Mag.Observed[i], 3.0 * (100 - m.Mag.X[i]) / 5) << i;
        }
    }
}

TEST(MagneticsMenu, TheChooserNamesTheMagneticColumnAndHasCancel)
{
    Tdatadisplay1 grid;
    for (bool magnetic : {true, false}) {
        grid.setMagnetic(magnetic);
        EXPECT_EQ(grid.DataColumnLabel->text(), magnetic ? "Mag. data column" : "Grav. data column");
        EXPECT_EQ(grid.DataUnit->isVisibleTo(&grid), magnetic);   // "nT"
        EXPECT_EQ(grid.CancelBtn->isVisibleTo(&grid), magnetic);
    }
}

TEST(MagneticsMenu, RecoveryFileBringsBackTheMagneticData)
{
    Window w;
    Model& m = w.ws.model;
    std::vector<MagneticStationValue> s;
    for (int i = 0; i < 30; ++i)
        s.push_back({3.5 * i, 0.25, i % 4 ? std::optional<double>(i * 1.5 - 7) : std::nullopt});
    setMagneticStations(m, s);
    m.Mag.FieldIntensity = 47000;
    m.Mag.FieldAzimuth = 135;
    m.Bodies[2].Susceptibility = 0.02;
    m.Bodies[2].Remanence = 1.5;
    m.Bodies[2].RemanentInclination = -20;
    m.Bodies[2].RemanentDeclination = 10;
    m.setHidden(1, true);
    m.RecalculateModel();
    w.ws.display.ShowMagnetic = true;

    const auto bytes = recoveryBytes(w.ws, QStringLiteral("a.mod"));
    ASSERT_TRUE(bytes) << bytes.message();
    Workspace back;
    QString file;
    ASSERT_EQ(restoreRecoveryBytes(back, *bytes, file), "");
    const Model& r = back.model;
    ASSERT_EQ(r.Mag.Num, 30);
    EXPECT_TRUE(back.display.ShowMagnetic);
    EXPECT_TRUE(r.Bodies[1].Hidden);
    EXPECT_EQ(r.Bodies[2].Remanence, 1.5);
    EXPECT_EQ(r.Bodies[2].RemanentInclination, -20);
    for (int i = 1; i <= 30; ++i) {
        EXPECT_EQ(r.Mag.X[i], m.Mag.X[i]);
        EXPECT_EQ(r.Mag.HasObserved[i], m.Mag.HasObserved[i]);
        EXPECT_EQ(r.Mag.Observed[i], m.Mag.Observed[i]);
        EXPECT_NEAR(r.Mag.Calculated[i], m.Mag.Calculated[i], 1e-9 * (1 + std::abs(m.Mag.Calculated[i])));
    }
    EXPECT_EQ(r.Mag.FieldAzimuth, 135);
}

TEST(MagneticsMenu, GridRowsBecomeStations)
{
    auto m = makeModel();
    setMagneticStations(*m, {{0.123456, 0.25, 10.0}, {2, 0, std::nullopt}, {4, 1, -3.0}});
    using Cells = std::vector<std::array<const char*, 3>>;   // nullptr: the cell as shown
    using Want = std::vector<std::tuple<double, double, std::optional<double>>>;
    const std::pair<Cells, Want> cases[] = {
        {{}, {{0.123456, 0.25, 10.0}, {2, 0, std::nullopt}, {4, 1, -3.0}}},   // as shown: exact
        {{{"5", nullptr, nullptr}, {nullptr, nullptr, " 7.5 "}, {nullptr, nullptr, ""}},
         {{2, 0, 7.5}, {4, 1, std::nullopt}, {5, 0.25, 10.0}}},
        {{{nullptr, "", "n/a"}, {"", nullptr, nullptr}}, {{4, 1, -3.0}}},   // rows left out
    };
    for (const auto& [cells, want] : cases) {
        auto rows = magneticStationRows(*m);
        for (std::size_t r = 0; r < cells.size(); ++r) {
            QString* cell[] = {&rows[r].position, &rows[r].height, &rows[r].anomaly};
            for (std::size_t c = 0; c < 3; ++c)
                if (cells[r][c])
                    *cell[c] = QString::fromLatin1(cells[r][c]);
        }
        auto copy = std::make_unique<Model>(*m);
        setMagneticStations(*copy, magneticStationsFromRows(rows, *m));
        const MagneticStations& g = copy->Mag;
        Want got;   // a station without a value keeps 0, or shows as one with it
        for (int i = 1; i <= g.Num; ++i)
            got.emplace_back(g.X[i], g.Height[i],
                             g.HasObserved[i] || g.Observed[i] ? std::optional(g.Observed[i]) : std::nullopt);
        EXPECT_EQ(got, want);
    }
}

TEST(EarthFieldDialog, BoxesShowTheirNumbersFromTheFirstDigit)
{
    // A line's azimuth comes with all its digits; the box is narrower.
    Model m;
    m.Mag.FieldIntensity = 49200;
    m.Mag.FieldInclination = 66.5;
    m.Mag.FieldDeclination = 4.5;
    m.Mag.FieldAzimuth = 51.5921993185918;
    TEarthField dlg;
    dlg.fill(m);
    for (QLineEdit* box : {dlg.intensity, dlg.inclination, dlg.declination, dlg.azimuth}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_EQ(box->cursorPosition(), 0);
    }
    EXPECT_TRUE(dlg.azimuth->text().startsWith(QStringLiteral("51.59")));
}
