// The map beside the section: its dock, and the item that shows it.
#include "app/tcorvane.h"
#include "map_ui/map_dock.h"

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QMenuBar>

namespace corvane {

namespace {

// The grid the dock last tried to show: one that cannot be read is said once.
struct MapGridTried {
    std::string path;
};

}  // namespace

void Tcorvane::Showthemap1Click()
{
    if (!ws_.model.ProfileLine)
        return;
    ws_.display.ShowMap = !ws_.display.ShowMap;
    updateMap();
}

void Tcorvane::makeMapDock()
{
    if (mapDock_)
        return;
    mapDock_ = new mapui::MapDock(ws_, *platform_, this);
    // Shown and hidden by the item only, so the flag and the dock agree.
    mapDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::BottomDockWidgetArea, mapDock_);
    connect(mapDock_, &mapui::MapDock::gridChosen, this,
            [this](const QString& path) { ws_.display.MapGrid = QFile::encodeName(path).toStdString(); });
}

void Tcorvane::updateMap()
{
    const bool placed = ws_.model.ModelExists && ws_.model.ProfileLine.has_value();
    if (QAction* a = action(QStringLiteral("Showthemap1"))) {
        a->setText(placed ? QStringLiteral("Show the &map") : QStringLiteral("Show the &map (needs a profile line)"));
        a->setEnabled(placed);
        setItemChecked(QStringLiteral("Showthemap1"), placed && ws_.display.ShowMap);
    }
    const bool shown = placed && ws_.display.ShowMap;
    if (shown)
        makeMapDock();
    if (!mapDock_)
        return;
    // The dock shows the model's grid (a loaded model's, or none).
    const std::string want = ws_.display.MapGrid;
    if (QFile::encodeName(mapDock_->gridPath()).toStdString() != want) {
        std::string& tried = partState<MapGridTried>().path;
        if (want.empty() || want != tried)
            mapDock_->clearGrid();
        if (!want.empty() && want != tried) {
            tried = want;
            const QString why = mapDock_->showGrid(QFile::decodeName(want.c_str()));
            // A missing file was named when the model was read.
            if (!why.isEmpty() && QFile::exists(QFile::decodeName(want.c_str())))
                platform_->error(why);
        }
    }
    mapDock_->setVisible(shown);
    if (shown)
        mapDock_->refresh();
}

std::vector<map::MapPoint> Tcorvane::pickOnMap(const QString& grid, std::string& crs)
{
    makeMapDock();
    if (mapDock_->gridPath().isEmpty() && !grid.isEmpty()) {
        if (const QString why = mapDock_->showGrid(grid); !why.isEmpty())
            platform_->error(why);
        else
            ws_.display.MapGrid = QFile::encodeName(grid).toStdString();
    }
    mapDock_->setVisible(true);
    mapDock_->refresh();
    // The rest of the window waits while the ends are clicked.
    menuBar()->setEnabled(false);
    centralWidget()->setEnabled(false);
    const QString before = statusText();
    setStatus(QStringLiteral("Click the line's first end on the map (right button: give up)."));
    std::vector<map::MapPoint> ends;
    QEventLoop loop;
    mapDock_->canvas().armPick([&](std::optional<map::MapPoint> p) {
        if (!p) {
            ends.clear();
            loop.quit();
            return;
        }
        ends.push_back(*p);
        if (ends.size() == 2)
            loop.quit();
        else
            setStatus(QStringLiteral("Click the line's last end on the map."));
    });
    loop.exec();
    mapDock_->canvas().disarmPick();
    crs = mapDock_->canvas().mapCrs();
    menuBar()->setEnabled(true);
    centralWidget()->setEnabled(true);
    setStatus(before);
    updateMap();
    return ends;
}

}  // namespace corvane
