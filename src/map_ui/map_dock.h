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

#include <optional>

class QCheckBox;
class QLabel;

namespace corvane::mapui {

class MapCanvas : public QWidget {
    Q_OBJECT
public:
    MapCanvas(const Workspace& ws, QWidget* parent = nullptr);
    // The line made again from the model; the view fitted when it moved.
    void refresh();
    void setGrid(GridImage grid);
    void setHillshade(bool on);
    const MapTransform& transform() const { return t_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;

private:
    void fit();
    const Workspace& ws_;
    std::optional<map::ProfileLine> line_;
    std::optional<ProfileLineRecord> record_;
    bool unitsKm_ = true;
    GridImage grid_;
    bool hillshade_ = false;
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

private:
    void chooseGrid();
    Platform& platform_;
    MapCanvas* canvas_ = nullptr;
    QLabel* gridName_ = nullptr;
};

}  // namespace corvane::mapui
