#pragma once
// The "Map" dock: the chosen grid, the profile line with its stations and the
// bodies' footprints, panned by dragging and zoomed with the wheel. It draws
// the workspace as it stands whenever refresh() is called.
#include "map/profile_line.h"
#include "map_ui/grid_image.h"
#include "map_ui/map_transform.h"
#include "model/workspace.h"
#include "platform/platform.h"

#include <QDockWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;

namespace corvane::mapui {

class MapCanvas : public QWidget {
    Q_OBJECT
public:
    MapCanvas(const Workspace& ws, QWidget* parent = nullptr);
    // The line made again from the model; the view fitted when it moved.
    void refresh();
    // The grid and its system's text ("-" for none).
    void setGrid(GridImage grid, const std::string& crs);
    void setHillshade(bool on);
    const MapTransform& transform() const { return t_; }
    // The system of the map's coordinates: the grid's, else the line's.
    std::string mapCrs() const;

    // Clicks report their map point to picked until it is disarmed; a right
    // press reports none.
    using PickHandler = std::function<void(std::optional<map::MapPoint>)>;
    void armPick(PickHandler picked);
    void disarmPick();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;

private:
    void fit();
    void carryLine();
    const Workspace& ws_;
    std::optional<map::ProfileLine> line_;
    std::optional<ProfileLineRecord> record_;
    bool unitsKm_ = true;
    GridImage grid_;
    std::string gridCrs_ = "-";
    map::CrsTransform lineToGrid_;
    bool hillshade_ = false;
    PickHandler pick_;
    std::vector<map::MapPoint> picked_;
    QPointF pressedAt_;
    // The grid read for one view: read again only when the view changes.
    GridPicture picture_;
    QRectF pictureFor_;
    bool pictureShaded_ = false;
    MapTransform t_;
    std::optional<QPointF> drag_;
    bool moved_ = false;   // panned or zoomed by the user: kept on resizing
};

class MapDock : public QDockWidget {
    Q_OBJECT
public:
    MapDock(const Workspace& ws, Platform& platform, QWidget* parent = nullptr);
    void refresh();
    MapCanvas& canvas() { return *canvas_; }
    // Shows the grid at path; the reason when it cannot be read.
    QString showGrid(const QString& path);
    void clearGrid();
    const QString& gridPath() const { return gridPath_; }

signals:
    // A grid the user chose with the dock's button and that is now shown.
    void gridChosen(const QString& path);

private:
    void chooseGrid();
    QString gridPath_;
    Platform& platform_;
    MapCanvas* canvas_ = nullptr;
    QLabel* gridName_ = nullptr;
};

}  // namespace corvane::mapui
