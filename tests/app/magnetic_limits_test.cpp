// The magnetic dialogs refuse values outside the ranges a model file takes,
// naming the value, and leave the model as it was.
#include "app/magnetics.h"
#include "edit/spin_arrows.h"
#include "support/bodies.h"

#include <QLineEdit>

#include <gtest/gtest.h>

using namespace corvane;

TEST(MagneticLimits, DialogsRefuseValuesOutOfRange)
{
    struct Case {
        bool field;       // the Earth's field dialog, else the body's magnetisation
        int box;          // in the dialog's order
        const char* text;
        const char* why;  // empty: taken
    };
    const Case cases[] = {
        {true, 0, "1e308", "The field intensity must be from 0 to 500000 nT."},
        {true, 0, "500000", ""},
        {true, 0, "-1", "Each box needs a number, and the intensity may not be negative."},
        {true, 1, "-90.5", "The field inclination must be from -90 to 90 degrees."},
        {true, 2, "360", ""},
        {true, 2, "1e300", "The field declination must be from -360 to 360 degrees."},
        {true, 3, "-361", "The profile azimuth must be from -360 to 360 degrees."},
        {false, 0, "1e308", "The susceptibility must be from -1 to 100 SI."},
        {false, 0, "100", ""},
        {false, 1, "-2e5", "The remanent intensity must be from -100000 to 100000 A/m."},
        {false, 2, "91", "The remanent inclination must be from -90 to 90 degrees."},
        {false, 3, "-360", ""},
    };
    for (const Case& c : cases) {
        Workspace ws;
        Model& m = ws.model;
        test::setStations(m, 11, 0, 100);
        test::setBody(m, 1, {{30, 5}, {60, 8}, {55, 30}}, 0.3);
        m.NumBodies = 1;
        m.CurrentBody = 1;
        QString why;
        if (c.field) {
            TEarthField dlg;
            dlg.fill(m);
            QLineEdit* boxes[] = {dlg.intensity, dlg.inclination, dlg.declination, dlg.azimuth};
            const double was[] = {m.Mag.FieldIntensity, m.Mag.FieldInclination, m.Mag.FieldDeclination,
                                   m.Mag.FieldAzimuth};
            boxes[c.box]->setText(QString::fromLatin1(c.text));
            const bool taken = dlg.apply(m, &why);
            EXPECT_EQ(taken, why.isEmpty()) << c.text;
            const double now[] = {m.Mag.FieldIntensity, m.Mag.FieldInclination, m.Mag.FieldDeclination,
                                  m.Mag.FieldAzimuth};
            EXPECT_EQ(now[c.box], *c.why ? was[c.box] : std::stod(c.text)) << c.text;
        } else {
            TMagnetisation dlg(ws, nullptr, nullptr);
            dlg.FormActivate();
            dlg.value[c.box]->setText(QString::fromLatin1(c.text));
            why = dlg.applyTyped();
            const Tbody& b = m.Bodies[1];
            const double taken[] = {b.Susceptibility, b.Remanence, b.RemanentInclination, b.RemanentDeclination};
            EXPECT_EQ(taken[c.box], *c.why ? 0.0 : std::stod(c.text)) << c.text;
        }
        EXPECT_EQ(why.toStdString(), c.why) << c.text;
    }

    // A spin step that would leave the range is refused too.
    Workspace ws;
    test::setStations(ws.model, 11, 0, 100);
    test::setBody(ws.model, 1, {{30, 5}, {60, 8}, {55, 30}}, 0.3);
    ws.model.NumBodies = ws.model.CurrentBody = 1;
    TMagnetisation dlg(ws, nullptr, nullptr);
    QString refused;
    dlg.refuse = [&refused](const QString& t) { refused = t; };
    dlg.FormActivate();
    dlg.step[2]->setText(QStringLiteral("60"));
    emit dlg.spins[2]->up();
    EXPECT_EQ(ws.model.Bodies[1].RemanentInclination, 60);
    emit dlg.spins[2]->up();
    EXPECT_EQ(ws.model.Bodies[1].RemanentInclination, 60);
    EXPECT_EQ(refused, QStringLiteral("The remanent inclination must be from -90 to 90 degrees."));
}
