#include "app/menu_states.h"

#include "app/gradient_menu.h"
#include "app/tcorvane.h"
#include "display/options.h"
#include "inversion/run_options.h"
#include "model/magnetic_data.h"

#include <QAction>
#include <QMenu>

namespace corvane {

namespace {

// Items the start-up state leaves usable.
const char* const startupItems[] = {"Beginanewmodel1", "Profilefromgrids1", "Loadanoldmodel1", "Expertusermode1",
                                    "ExitCorvane1", "aboutbox", "help"};

}  // namespace

void disableBodyAddingWhenFull(Tcorvane& w)
{
    if (w.workspace().model.NumBodies < MaxBodies)
        return;
    for (const char* n : {"Addabody1", "KeyinaBody1", "Readinamodelfile1", "Copyabody1"})
        w.setItemEnabled(QString::fromLatin1(n), false);
}

void applyPlanViewMenu(Tcorvane& w)
{
    for (const MenuEnable& e : planViewMenuChanges(w.workspace().display, w.workspace().model))
        w.setItemEnabled(e.action, e.enabled);
}

void Tcorvane::MenuStateStartup()
{
    for (auto& [name, a] : actions_) {
        if (a->menu())
            continue;   // submenus follow their items
        bool keep = false;
        for (const char* s : startupItems)
            keep = keep || name == QLatin1String(s);
        a->setEnabled(keep);
    }
    setItemChecked(QStringLiteral("bodynumbers1"), false);
    setItemChecked(QStringLiteral("BodyDensities1"), true);
    setItemChecked(QStringLiteral("Highlightbodycorners1"), true);
    setStatus(QStringLiteral(" "));
}

namespace {

// Items enabled alike by the new-model and loaded states.
const char* const modelItems[] = {
    "Savethecurrentmodel1", "ImportamodelfromSidero1", "totheprinter1", "toanASCIIfile1",
    "totheclipboard1", "createanHPGLfile1", "createaDXFfile1", "createanSVGfile1",
    "createaPNGfile1", "ExporttoGIS1", "Readinsurveydata1", "configuretheprinter1",
    "producehardcopy1", "Readinamodelfile1", "Changebodyproperties1",
    "Changeacornerwiththemouse1", "Changeacornernumerically1", "Moveabody1", "Turnabody1",
    "Changeunits1", "bodynumbers1", "BodyDensities1", "Highlightbodycorners1", "PLanview1",
    "setdisplaysize1", "Zoomin1", "boreholedata1", "gridoptions1", "Setfontsize1",
    "Selectcolourscheme1", "Addpointdata1", "Pointdata1", "Backdropimage1", "Removebackdrop1",
    "Earthsfield1", "Readmagneticdata1", "Readgradientdata1", "Magneticstations1", "Editmagneticstations1", "Bodymagnetisation1"};

const char* const addingItems[] = {"Addabody1", "KeyinaBody1", "Copyabody1"};
const char* const pairItems[] = {"Linkabody1", "UnlinkaBody1", "Deleteabody1", "Hideabody1"};

}  // namespace

void Tcorvane::MenuStateNewModel()
{
    for (const char* n : modelItems)
        setItemEnabled(QString::fromLatin1(n), true);
    for (const char* n : addingItems)
        setItemEnabled(QString::fromLatin1(n), true);
    const Tbody& first = ws_.model.Bodies[1];
    if (first.NumCorners > 4)
        setItemEnabled(QStringLiteral("Deleteacorner1"), true);
    if (first.NumCorners < MaxCorners)
        setItemEnabled(QStringLiteral("Addacorner1"), true);
    for (const char* n : pairItems)
        setItemEnabled(QString::fromLatin1(n), false);
    setItemEnabled(QStringLiteral("Displayindividual1"), false);
    setItemChecked(QStringLiteral("Displayindividual1"), false);
    setItemEnabled(QStringLiteral("Zoomout1"), false);
    MenuStateFieldData();
}

void Tcorvane::MenuStateLoaded()
{
    const Model& m = ws_.model;
    for (const char* n : modelItems)
        setItemEnabled(QString::fromLatin1(n), true);
    for (const char* n : addingItems)
        setItemEnabled(QString::fromLatin1(n), m.NumBodies < MaxBodies);
    const Tbody& first = m.Bodies[1];
    if (first.NumCorners > 4)
        setItemEnabled(QStringLiteral("Deleteacorner1"), true);
    if (first.NumCorners < MaxCorners)
        setItemEnabled(QStringLiteral("Addacorner1"), true);
    for (const char* n : pairItems)
        setItemEnabled(QString::fromLatin1(n), m.NumBodies > 1);
    setItemEnabled(QStringLiteral("Displayindividual1"), m.NumBodies > 1);
    setItemChecked(QStringLiteral("Displayindividual1"), false);
    setItemEnabled(QStringLiteral("Zoomout1"), false);
    MenuStateFieldData();
}

void Tcorvane::MenuStateBodySelected()
{
    const Model& m = ws_.model;
    const int b = m.CurrentBody;
    if (b < 1 || b > MaxBodies)
        return;
    if (!m.Bodies[b].Hidden) {
        for (const char* n : {"Changeacornerwiththemouse1", "Deleteacorner1", "Addacorner1",
                              "Moveabody1", "Turnabody1", "setdisplaysize1", "Highlightbodycorners1",
                              "Zoomin1", "Changeacornernumerically1", "Changebodyproperties1"})
            setItemEnabled(QString::fromLatin1(n), true);
        if (m.NumBodies < MaxBodies)
            for (const char* n : {"Addabody1", "Readinamodelfile1", "KeyinaBody1", "Copyabody1"})
                setItemEnabled(QString::fromLatin1(n), true);
        if (m.NumBodies > 1)
            for (const char* n : pairItems)
                setItemEnabled(QString::fromLatin1(n), true);
        if (m.HaveObserved)
            for (const char* n : {"Invertthemodel1", "bodyinversion", "cornerinversion",
                                  "Modifytheregionalfield1", "Abstractpartoftheprofile1"})
                setItemEnabled(QString::fromLatin1(n), true);
        // A magnetic survey alone is inverted too.
        if (haveInversionData(m))
            for (const char* n : {"Invertthemodel1", "bodyinversion", "cornerinversion"})
                setItemEnabled(QString::fromLatin1(n), true);
    } else {
        for (const char* n : {"Moveabody1", "Turnabody1", "Changeacornerwiththemouse1", "Copyabody1",
                              "Deleteacorner1", "Addacorner1", "Changeacornernumerically1",
                              "Changebodyproperties1", "Linkabody1", "UnlinkaBody1",
                              "Invertthemodel1", "bodyinversion", "cornerinversion"})
            setItemEnabled(QString::fromLatin1(n), false);
    }
}

void Tcorvane::MenuStateFieldData()
{
    const bool on = ws_.model.HaveObserved;
    for (const char* n : {"Modifytheregionalfield1", "Abstractpartoftheprofile1", "Invertthemodel1",
                          "bodyinversion", "cornerinversion", "differencecurves1", "Plotpoints1",
                          "Editthefielddata1"})
        setItemEnabled(QString::fromLatin1(n), on);
    // A magnetic survey alone is inverted too; its regional is its own.
    for (const char* n : {"Invertthemodel1", "bodyinversion", "cornerinversion"})
        setItemEnabled(QString::fromLatin1(n), haveInversionData(ws_.model));
    setItemEnabled(QStringLiteral("Modifythemagneticregional1"), haveObservedMagnetic(ws_.model));
    // The magnetic panel is offered once there are magnetic stations.
    const bool magnetic = ws_.model.Mag.Num > 0;
    setItemEnabled(QStringLiteral("Showmagnetic1"), magnetic);
    setItemChecked(QStringLiteral("Showmagnetic1"), magnetic && ws_.display.ShowMagnetic);
    showGradientMenu(*this);
}

void Tcorvane::MenuStateCurrentModel()
{
    const Model& m = ws_.model;
    const Display& d = ws_.display;
    if (!m.ModelExists) {
        MenuStateStartup();
        return;
    }
    const bool zoomedOut = action(QStringLiteral("Zoomout1"))->isEnabled();
    MenuStateLoaded();
    MenuStateBodySelected();
    disableBodyAddingWhenFull(*this);
    setItemEnabled(QStringLiteral("Zoomout1"), zoomedOut || d.Zoomed);
    setItemChecked(QStringLiteral("Displayindividual1"), d.ShowIndividual);
    if (d.PlanView)
        applyPlanViewMenu(*this);
}

}  // namespace corvane
