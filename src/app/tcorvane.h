#pragma once
// The main window: menu bar, drawing area with its status panel, the menu
// states, and one handler per menu item. The handlers of each group of
// commands live in their own file (menu_*.cpp); this header is what they share.
#include "app/drawing_area.h"
#include "map/crs.h"
#include "model/workspace.h"
#include "platform/platform.h"

#include <QMainWindow>
#include <QPoint>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QTimer;

namespace corvane {

namespace mapui {
class MapDock;
}
class ModelHistory;
class RecoveryFiles;

class Tcorvane : public QMainWindow {
    Q_OBJECT
public:
    // The window uses the given platform for every box and dialog; tests pass
    // a ScriptedPlatform. The start-up initialisation (FormActivate) runs here.
    explicit Tcorvane(Platform& platform, QWidget* parent = nullptr);
    explicit Tcorvane(std::unique_ptr<Platform> platform, QWidget* parent = nullptr);
    ~Tcorvane() override;

    Workspace& workspace() { return ws_; }
    Platform& platform() { return *platform_; }
    DrawingArea& drawingArea() { return *area_; }

    // The full repaint: PaintModel over the whole client area.
    void repaintModel();
    void setStatus(const QString& text);
    QString statusText() const;

    // The menu action whose objectName is the item's name (e.g.
    // "Beginanewmodel1"); submenus answer with their menu action. nullptr when
    // there is no such item.
    QAction* action(const QString& objectName) const;
    // Enables / checks an item by name (no effect for an unknown name).
    void setItemEnabled(const QString& objectName, bool enabled);
    void setItemChecked(const QString& objectName, bool checked);

    // The four menu states (menu_states.cpp, with every other rule for
    // which item is enabled when).
    void MenuStateStartup();
    void MenuStateNewModel();
    void MenuStateLoaded();
    void MenuStateBodySelected();
    // Items that need observed data: enabled exactly when HaveObserved.
    void MenuStateFieldData();
    // Check marks of the display toggles as the flags stand (after a load).
    void showDisplayChecks();

    // Hosts a mouse command in the drawing area (menu bar disabled while it runs).
    void startCommand(std::unique_ptr<MouseCommand> command);
    bool commandRunning() const { return area_->commandRunning(); }

    // Two points clicked on the map dock, in the map's system (its text in
    // crs), the dock showing grid when it shows none; none when the user
    // gives up with the right button.
    std::vector<map::MapPoint> pickOnMap(const QString& grid, std::string& crs);

    // Shows an instruction text in an information box unless expert user
    // mode is on.
    void instruction(const QString& text);

    // Runs a modal dialog through the platform (so tests can script it),
    // its first field holding the keyboard focus.
    int execDialog(QDialog& dialog);

    // Dialogs created when first needed and kept for the whole run, one per
    // class: dialog<Tgridoptions>(ws, this) constructs with those arguments the
    // first time and returns the same object afterwards.
    template <class D, class... Args>
    D& dialog(Args&&... args)
    {
        auto& slot = dialogs_[std::type_index(typeid(D))];
        if (!slot)
            slot = std::shared_ptr<void>(static_cast<void*>(new D(std::forward<Args>(args)...)),
                                         [](void* p) { delete static_cast<D*>(p); });
        return *static_cast<D*>(slot.get());
    }

    // State a group of commands keeps for the life of the window (one object
    // per type, value-initialised on first use).
    template <class T>
    T& partState()
    {
        auto& slot = parts_[std::type_index(typeid(T))];
        if (!slot)
            slot = std::make_shared<T>();
        return *static_cast<T*>(slot.get());
    }

    // The start-up directory with the help file's name; the help file looked
    // for there first and then beside the executable ("" when neither exists).
    QString helpFileName() const;

public slots:
    // ---- Start-up and window events (main window) ----
    void FormActivate();
    void FormDeactivate();
    void FormClick(const QPoint& pos);      // body selection
    void FormDblClick(const QPoint& pos);   // dialog of the zone double-clicked
    // The double-click zones of the display options (profile panel, gravity
    // axis strip, depth axis strip). Returns false for the model panel, where
    // nothing was done.
    bool DisplayDblClick(const QPoint& pos);

    // ---- System Options ----
    void Beginanewmodel1Click();
    void Editthefielddata1Click();
    void Loadanoldmodel1Click();
    void ImportamodelfromSidero1Click();
    void Savethecurrentmodel1Click();
    void totheprinter1Click();
    void toanASCIIfile1Click();
    void totheclipboard1Click();
    void createanHPGLfile1Click();
    void createaDXFfile1Click();
    void createanSVGfile1Click();
    void createaPNGfile1Click();
    void configuretheprinter1Click();
    void producehardcopy1Click();
    void Expertusermode1Click();
    void ExitCorvane1Click();

    // ---- Edit the Model ----
    void Profilefromgrids1Click();
    void Readinsurveydata1Click();
    void ExporttoGIS1Click();
    void Addabody1Click();
    void KeyinaBody1Click();
    void Changebodyproperties1Click();
    void Readinamodelfile1Click();
    void Changeacornerwiththemouse1Click();
    void Changeacornernumerically1Click();
    void Deleteacorner1Click();
    void Addacorner1Click();
    void Linkabody1Click();
    void UnlinkaBody1Click();
    void Deleteabody1Click();
    void Hideabody1Click();
    void Moveabody1Click();
    void Copyabody1Click();
    void Turnabody1Click();
    void Modifytheregionalfield1Click();
    void Modifythemagneticregional1Click();
    void Abstractpartoftheprofile1Click();
    void Changeunits1Click();

    // ---- Inversion Options ----
    void Invertthemodel1Click();
    void bodyinversionClick();
    void cornerinversionClick();

    // ---- Display Options ----
    void bodynumbers1Click();
    void BodyDensities1Click();
    void Highlightbodycorners1Click();
    void PLanview1Click();
    void Showthemap1Click();   // menu_map.cpp
    void differencecurves1Click();
    void Displayindividual1Click();
    void Plotpoints1Click();
    void setdisplaysize1Click();
    void Zoomin1Click();
    void Zoomout1Click();
    void boreholedata1Click();
    void gridoptions1Click();
    void Setfontsize1Click();
    void Selectcolourscheme1Click();
    void Addpointdata1Click();
    void Pointdata1Click();
    void Backdropimage1Click();
    void Removebackdrop1Click();

    // ---- Magnetics (menu_magnetics.cpp) ----
    void Earthsfield1Click();
    void Readmagneticdata1Click();
    void Readgradientdata1Click();
    void Magneticstations1Click();
    void Editmagneticstations1Click();
    void Bodymagnetisation1Click();
    void Showmagnetic1Click();
    // The gradient panel and its components (gradient_menu.cpp).
    void Showgradients1Click();
    void Gradientxx1Click();
    void Gradientxy1Click();
    void Gradientxz1Click();
    void Gradientyy1Click();
    void Gradientyz1Click();
    void Gradientzz1Click();

    // ---- About, Help ----
    void aboutboxClick();
    void helpClick();

    // ---- Undo, redo and unsaved work (menu_history.cpp) ----
    void Undo1Click();
    void Redo1Click();

public:
    ModelHistory& history() { return *history_; }
    // Runs a command as one undo step named stepName; when it starts a mouse
    // command, the step ends with that command. Refused while one runs.
    void runRecorded(const QString& item, const QString& stepName, const std::function<void()>& handler);
    // The menu states the model as it stands calls for (after an undo or redo).
    void MenuStateCurrentModel();
    // Before a changed model is replaced: save it first? False when the user
    // cancels or the save does not succeed.
    bool saveFirst();
    // Writes the model to name and says so; name is the model's file from then on.
    bool saveModelTo(const QString& name);
    // "Load an old model" once its file is chosen.
    bool loadModelFrom(const QString& name);
    // The file the model was last loaded from or saved to ("" for none).
    QString modelFile() const { return modelFile_; }
    // Keeps unsaved work in a recovery file in folder, every minute.
    void enableRecovery(const QString& folder);
    RecoveryFiles* recovery() { return recovery_.get(); }
    void writeRecovery();
    // Offers the work a program left behind when it ended unsaved (the
    // question names the model that restoring would not open, if any); true
    // when restored. Leftovers of ended programs are cleaned first, and a
    // file that fails its checksum is set aside, not offered.
    bool offerRecovery(const QString& named = {});
    // After the window is shown: the recovery offer, then the command line's file.
    void startUp(const QString& file);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    // The map dock and its item as the model stands: shown when asked for
    // and the model has a profile line, drawn again (menu_map.cpp).
    void updateMap();
    void makeMapDock();
    void init();
    void initHistory();
    void finishStep(const QString& item);
    void afterUndoRedo();
    void afterHistoryChange();
    // A backdrop's file read with a progress box that can cancel it.
    std::string readBackdropShown(Backdrop& b);
    // The files of what a model just loaded shows; the message naming those
    // that could not be read, or "".
    std::string readOverlayFilesShown();

    std::unique_ptr<Platform> ownedPlatform_;
    Platform* platform_ = nullptr;
    Workspace ws_;
    DrawingArea* area_ = nullptr;
    std::map<QString, QAction*> actions_;
    std::map<std::type_index, std::shared_ptr<void>> dialogs_;
    std::map<std::type_index, std::shared_ptr<void>> parts_;
    bool activated_ = false;

    std::unique_ptr<ModelHistory> history_;
    std::unique_ptr<RecoveryFiles> recovery_;
    QTimer* recoveryTimer_ = nullptr;
    QString modelFile_;
    QString pendingItem_;             // the item whose mouse command still runs
    bool stepAwaitsCommand_ = false;
    bool exitAnswered_ = false;       // the exit has asked already
    std::uint64_t recoveryVersion_ = 0;
    bool recoveryWarned_ = false;
    mapui::MapDock* mapDock_ = nullptr;   // made when first shown
};

// The temporary body of a command that is not built yet.
void notAvailableYet(Tcorvane& window);

// Runs a mouse command with the cross-hair and the pointer held to the model
// panel, both freed when the command ends.
void runCaptured(Tcorvane& window, std::unique_ptr<MouseCommand> command);

// Puts the keyboard focus in the dialog's first field (in tab order), its
// text selected so that typing replaces it, as on the dialog's first
// showing; returns that field (nullptr for none). A dialog opened again, or
// after a question box whose closing hands the focus back late, would
// otherwise take the keys wherever its focus last was, or add them to the
// end of a box's text.
QWidget* focusFirstField(QDialog& dialog);

}  // namespace corvane
