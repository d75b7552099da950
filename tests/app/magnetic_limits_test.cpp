// The magnetic dialogs refuse values outside the ranges a model file takes,
// naming the value, and leave the model as it was.
#include "app/magnetics.h"
#include "edit/spin_arrows.h"
#include "support/bodies.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <tuple>

using namespace corvane;

TEST(MagneticLimits, DialogsRefuseValuesOutOfRange)
{
    // The box (0 to 3 the Earth's field dialog's, 4 to 7 the magnetisation's),
    // its text and the refusal (empty: taken); box 8 is a spin step of 60
    // pressed twice on the remanent inclination.
    const std::tuple<int, const char*, const char*> cases[] = {
        {0, "1e308", "The field intensity must be from 0 to 500000 nT."},
        {0, "500000", ""},
        {1, "-90.5", "The field inclination must be from -90 to 90 degrees."},
        {2, "1e300", "The field declination must be from -360 to 360 degrees."},
        {3, "-361", "The profile azimuth must be from -360 to 360 degrees."},
        {4, "1e308", "The susceptibility must be from -1 to 100 SI."},
        {4, "100", ""},
        {5, "-2e5", "The remanent intensity must be from -100000 to 100000 A/m."},
        {6, "91", "The remanent inclination must be from -90 to 90 degrees."},
        {7, "-360", ""},
        {8, "60", "The remanent inclination must be from -90 to 90 degrees."},
    };
    for (const auto& [box, text, refusal] : cases) {
        Workspace ws;
        Model& m = ws.model;
        test::setStations(m, 11, 0, 100);
        test::setBody(m, 1, {{30, 5}, {60, 8}, {55, 30}}, 0.3);
        m.NumBodies = m.CurrentBody = 1;
        TEarthField field;
        field.fill(m);
        TMagnetisation body(ws, nullptr, nullptr);
        QString why;
        body.refuse = [&why](const QString& t) { why = t; };
        body.FormActivate();
        if (box == 8) {
            body.step[2]->setText(QString::fromLatin1(text));
            emit body.spins[2]->up();
            emit body.spins[2]->up();
            EXPECT_EQ(m.Bodies[1].RemanentInclination, 60);
            EXPECT_EQ(why.toStdString(), refusal);
            continue;
        }
        QLineEdit* boxes[] = {field.intensity, field.inclination, field.declination, field.azimuth,
                              body.value[0],   body.value[1],      body.value[2],      body.value[3]};
        double* values[] = {&m.Mag.FieldIntensity, &m.Mag.FieldInclination, &m.Mag.FieldDeclination,
                            &m.Mag.FieldAzimuth,   &m.Bodies[1].Susceptibility, &m.Bodies[1].Remanence,
                            &m.Bodies[1].RemanentInclination, &m.Bodies[1].RemanentDeclination};
        const double was = *values[box];
        boxes[box]->setText(QString::fromLatin1(text));
        if (box < 4)
            EXPECT_EQ(field.apply(m, &why), !*refusal) << text;
        else
            why = body.applyTyped();
        EXPECT_EQ(why.toStdString(), refusal) << text;
        EXPECT_EQ(*values[box], *refusal ? was : std::stod(text)) << text;
    }
}
