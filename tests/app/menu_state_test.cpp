// Menu states of the main window: after start-up, a new model, loads of one
// and two bodies, body selection and without field data; the shortcuts that
// two items carry; the small commands.
#include "app/tcorvane.h"
#include "platform/scripted_platform.h"
#include "support/bodies.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace corvane;
using corvane::test::setBody;
using corvane::test::setStations;

namespace {

QStringList allItems(Tcorvane& w)
{
    QStringList names;
    for (QAction* a : w.findChildren<QAction*>())
        if (!a->objectName().isEmpty() && !a->menu() && w.action(a->objectName()) == a)
            names << a->objectName();
    return names;
}

std::set<QString> enabledItems(Tcorvane& w)
{
    std::set<QString> out;
    for (const QString& n : allItems(w))
        if (w.action(n)->isEnabled())
            out.insert(n);
    return out;
}

bool on(Tcorvane& w, const char* name)
{
    QAction* a = w.action(QString::fromLatin1(name));
    EXPECT_NE(a, nullptr) << name;
    return a && a->isEnabled();
}

bool checked(Tcorvane& w, const char* name)
{
    return w.action(QString::fromLatin1(name))->isChecked();
}

// A model of n rectangular bodies side by side, as a load would leave it.
void fillBodies(Workspace& ws, int n)
{
    Model& m = ws.model;
    setStations(m, 21, 0, 100);
    for (int b = 1; b <= n; ++b)
        setBody(m, b, {{10.0 * b, 5}, {10.0 * b + 8, 5}, {10.0 * b + 8, 15}, {10.0 * b, 15}}, 0.1 * b);
    m.NumBodies = n;
    m.ModelExists = true;
    ws.display.ModelLoaded = true;
    m.RecalculateModel();
}

}  // namespace

TEST(MenuStates, StartupLeavesSixItemsAndBlankStatus)
{
    ScriptedPlatform p;
    Tcorvane w(p);
    EXPECT_EQ(enabledItems(w), (std::set<QString>{"Beginanewmodel1", "Loadanoldmodel1", "Expertusermode1",
                                                 "ExitCorvane1", "aboutbox", "help"}));
    EXPECT_EQ(allItems(w).size(), 51);   // every leaf item of the menu table
    EXPECT_FALSE(checked(w, "bodynumbers1"));
    EXPECT_TRUE(checked(w, "BodyDensities1"));
    EXPECT_TRUE(checked(w, "Highlightbodycorners1"));
    EXPECT_FALSE(checked(w, "Expertusermode1"));
    EXPECT_EQ(w.statusText(), QStringLiteral(" "));
    // Submenus stay open so their items can be reached once enabled.
    EXPECT_TRUE(w.action(QStringLiteral("Printoutthemodel1"))->isEnabled());
    EXPECT_TRUE(w.action(QStringLiteral("Plotthemodel1"))->isEnabled());
}
