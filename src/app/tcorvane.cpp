#include "app/tcorvane.h"

#include "app/about.h"
#include "app/history.h"
#include "app/menu_table.h"
#include "app/recovery.h"
#include "model/bounds.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QTimer>

#include <vector>

namespace corvane {

namespace {

// A submenu is offered while any of its items is.
void followItems(QMenu* sub)
{
    bool any = false;
    for (const QAction* item : sub->actions())
        any = any || (!item->isSeparator() && item->isEnabled());
    sub->menuAction()->setEnabled(any);
}

}  // namespace

Tcorvane::Tcorvane(Platform& platform, QWidget* parent) : QMainWindow(parent), platform_(&platform)
{
    init();
}

Tcorvane::Tcorvane(std::unique_ptr<Platform> platform, QWidget* parent)
    : QMainWindow(parent), ownedPlatform_(std::move(platform)), platform_(ownedPlatform_.get())
{
    init();
}

Tcorvane::~Tcorvane()
{
    // Everything that may refer to the workspace goes before it does.
    area_->cancelCommand();
    dialogs_.clear();
    parts_.clear();
    delete area_;
    area_ = nullptr;
}

void Tcorvane::init()
{
    setObjectName(QStringLiteral("corvane"));
    setWindowTitle(QStringLiteral("Corvane for Windows"));
    area_ = new DrawingArea(ws_, this);
    setCentralWidget(area_);
    buildMenus();
    initHistory();
    connect(area_, &DrawingArea::clicked, this, [this](const QPoint& pos) {
        runRecorded(QStringLiteral("FormClick"), QStringLiteral("Select a body"), [this, pos] { FormClick(pos); });
    });
    connect(area_, &DrawingArea::doubleClicked, this, [this](const QPoint& pos) {
        runRecorded(QStringLiteral("FormDblClick"), QStringLiteral("Change body properties"),
                    [this, pos] { FormDblClick(pos); });
    });
    connect(area_, &DrawingArea::commandStarted, this, [this] { menuBar()->setEnabled(false); });
    connect(area_, &DrawingArea::commandEnded, this, [this] {
        menuBar()->setEnabled(true);
        // Enabling the bar enables each submenu with it; they follow their items.
        for (auto& [name, a] : actions_)
            if (a->menu())
                followItems(a->menu());
    });
    resize(652, 486);
    // Every other window is modal, so the first activation happens once per
    // run; doing it here also gives a window that is never shown its defaults.
    FormActivate();
}

void Tcorvane::buildMenus()
{
    QMenuBar* bar = menuBar();
    for (const Menu& m : menuTable()) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(m.title));
        QMenu* target = menu;
        for (const MenuItem& it : m.items) {
            const QString name = QString::fromUtf8(it.name);
            if (name == QLatin1String("-")) {
                target->addSeparator();
                continue;
            }
            if (name == QLatin1String("<")) {
                target = menu;
                continue;
            }
            if (it.submenu) {
                target = menu->addMenu(QString::fromUtf8(it.caption));
                target->setObjectName(name);
                target->menuAction()->setObjectName(name);
                actions_[name] = target->menuAction();
                continue;
            }
            QAction* a = target->addAction(QString::fromUtf8(it.caption));
            a->setObjectName(name);
            if (target != menu) {
                QMenu* sub = target;
                connect(a, &QAction::changed, this, [sub] { followItems(sub); });
            }
            if (*it.shortcut)
                a->setShortcut(QKeySequence(QString::fromUtf8(it.shortcut)));
            const MenuHandler h = it.handler;
            // Every item runs as one undo step named after it.
            const QString step = QString::fromUtf8(it.caption).remove(QLatin1Char('&'));
            if (it.checkable) {
                a->setCheckable(true);
                // Check marks follow the program's flags only: undo Qt's own
                // toggle before the handler decides.
                connect(a, &QAction::triggered, this, [this, a, h, name, step](bool checked) {
                    {
                        const QSignalBlocker block(a);
                        a->setChecked(!checked);
                    }
                    runRecorded(name, step, [this, h] { (this->*h)(); });
                });
            } else {
                connect(a, &QAction::triggered, this,
                        [this, h, name, step] { runRecorded(name, step, [this, h] { (this->*h)(); }); });
            }
            actions_[name] = a;
        }
    }
    QAction* about = bar->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("aboutbox"));
    connect(about, &QAction::triggered, this, &Tcorvane::aboutboxClick);
    actions_[about->objectName()] = about;
    QAction* help = bar->addAction(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("help"));
    connect(help, &QAction::triggered, this, &Tcorvane::helpClick);
    actions_[help->objectName()] = help;

    // A shortcut carried by two items acts on the first one in menu order; the
    // later item shows it in its menu but only answers while its menu is open.
    std::map<QString, QAction*> firstWith;
    for (const Menu& m : menuTable())
        for (const MenuItem& it : m.items) {
            if (!*it.shortcut)
                continue;
            QAction* a = actions_.at(QString::fromUtf8(it.name));
            const QString key = QString::fromUtf8(it.shortcut);
            if (firstWith.count(key))
                a->setShortcutContext(Qt::WidgetShortcut);
            else
                firstWith[key] = a;
        }
}

QAction* Tcorvane::action(const QString& objectName) const
{
    const auto it = actions_.find(objectName);
    return it == actions_.end() ? nullptr : it->second;
}

void Tcorvane::setItemEnabled(const QString& objectName, bool enabled)
{
    if (QAction* a = action(objectName))
        a->setEnabled(enabled);
}

void Tcorvane::setItemChecked(const QString& objectName, bool checked)
{
    if (QAction* a = action(objectName)) {
        const QSignalBlocker block(a);
        a->setChecked(checked);
    }
}

void Tcorvane::repaintModel()
{
    area_->repaintModel();
    updateMap();
}

void Tcorvane::setStatus(const QString& text)
{
    area_->setStatus(text);
}

QString Tcorvane::statusText() const
{
    return area_->statusText();
}

void Tcorvane::startCommand(std::unique_ptr<MouseCommand> command)
{
    area_->startCommand(std::move(command));
}

void Tcorvane::instruction(const QString& text)
{
    if (!ws_.app.ExpertUser)
        platform_->information(text);
}

// ---- Start-up ----------------------------------------------------------

void Tcorvane::FormActivate()
{
    if (activated_)
        return;
    activated_ = true;
    Model& m = ws_.model;
    Display& d = ws_.display;

    ws_.app.StartupDirectory = QDir::currentPath().toStdString();

    m.NumBodies = 1;
    m.NumStations = 100;
    m.HaveObserved = true;
    m.CurrentBody = 1;
    d.ViewDepthMin = 0;
    d.ViewDepthMax = 100;
    ws_.inversion.NumIterations = 10;
    ws_.inversion.InversionBody = 1;
    d.ShowBodyNumbers = false;
    d.ShowDensities = true;
    m.UnitsKm = true;
    ws_.inversion.IterationCount = 0;
    ws_.app.HardcopyLayout = false;
    d.ModelLoaded = false;
    d.ModelBegun = false;
    d.GravityMax = -1.0e8;
    d.GravityMin = 1.0e8;
    d.ShowDifference = false;
    d.Zoomed = false;
    m.NumHoles = 0;
    d.PlotPoints = false;
    m.ModelExists = false;
    d.ShowIndividual = false;
    d.PlanView = false;
    ws_.app.ExpertUser = false;
    d.DrawGrid = false;
    d.GridStepX = 10;
    d.GridStepZ = 10;
    d.GridDotFrequency = 3;
    d.SnapToGrid = false;
    d.HighlightCorners = true;
    d.FontHeight = 10;   // PaintModel sets the drawing font from it
    d.ColourScheme = 4;
    d.GravityDecimals = 2;
    ws_.app.Title1 = std::string(24, ' ');
    ws_.app.Title2 = std::string(24, ' ');
    d.ObsCurveColour = Rgb(0, 150, 0);
    d.CalcCurveColour = Rgb(0, 0, 0);

    for (int i = 1; i <= 100; ++i) {
        m.StationX[i] = i;
        m.ObservedGravity[i] = 0;
        m.CalculatedGravity[i] = 0;
    }
    m.StationHeight.fill(0);
    m.StationOffset.fill(0);
    for (int b = 1; b <= MaxBodies; ++b) {
        Tbody& body = m.Bodies[b];
        body.Gravity.fill(0);
        startupInversionBounds(body);
        body.InvertSusceptibility = body.InvertRemanence = false;
        for (int k = 1; k <= MaxCorners; ++k) {
            body.CornerInvertX[k] = false;
            body.CornerInvertZ[k] = false;
            body.Linked[k] = false;
            body.LinkBody[k] = 0;
            body.LinkCorner[k] = 0;
        }
    }
    MenuStateStartup();
}

void Tcorvane::FormDeactivate()
{
    // The body and borehole objects belong to the workspace and go with it.
}

void Tcorvane::closeEvent(QCloseEvent* event)
{
    area_->cancelCommand();
    // The close box asks only when unsaved work would be lost.
    if (!exitAnswered_ && !saveFirst()) {
        event->ignore();
        return;
    }
    exitAnswered_ = false;
    FormDeactivate();
    if (recovery_)
        recovery_->remove();   // a clean exit
    event->accept();
}

// ---- Small commands ----------------------------------------------------

void Tcorvane::ExitCorvane1Click()
{
    if (history_->modified() ? !saveFirst() : !platform_->confirm(QStringLiteral("Exit Corvane ?")))
        return;
    exitAnswered_ = true;
    close();
}

void Tcorvane::aboutboxClick()
{
    execDialog(dialog<TCorvaneAbout>(this));
}

QString Tcorvane::helpFileName() const
{
    const QString name = QStringLiteral("ghelp.hlp");
    const QString inStartup = QDir(QString::fromStdString(ws_.app.StartupDirectory)).filePath(name);
    if (QFileInfo(inStartup).isFile())
        return inStartup;
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (QFileInfo(beside).isFile())
        return beside;
    return QString();
}

void Tcorvane::helpClick()
{
    const QString file = helpFileName();
    if (file.isEmpty()) {
        platform_->error(QStringLiteral("The help file ghelp.hlp was not found in %1 or beside the program.")
                             .arg(QDir::toNativeSeparators(QString::fromStdString(ws_.app.StartupDirectory))));
        return;
    }
    platform_->showHelp(file);
}

void Tcorvane::Expertusermode1Click()
{
    ws_.app.ExpertUser = !ws_.app.ExpertUser;
    setItemChecked(QStringLiteral("Expertusermode1"), ws_.app.ExpertUser);
}

void notAvailableYet(Tcorvane& window)
{
    window.platform().information(QStringLiteral("Not available yet."));
}

QWidget* focusFirstField(QDialog& dialog)
{
    for (QWidget* w = dialog.nextInFocusChain(); w && w != &dialog; w = w->nextInFocusChain()) {
        if (!dialog.isAncestorOf(w) || !w->isEnabled() || !w->isVisibleTo(&dialog) ||
            !(w->focusPolicy() & Qt::TabFocus))
            continue;
        w->setFocus(Qt::TabFocusReason);
        if (auto* box = qobject_cast<QLineEdit*>(w))
            box->selectAll();
        return w;
    }
    return nullptr;
}

int Tcorvane::execDialog(QDialog& dialog)
{
    // Once the dialog is up: the focus it would get on activation is then
    // already the first field's.
    QTimer::singleShot(0, &dialog, [&dialog] {
        if (dialog.isVisible())
            focusFirstField(dialog);
    });
    return platform_->execDialog(dialog);
}

}  // namespace corvane
