#include "map_ui/map_dock.h"

#include "map_ui/map_paint.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace corvane::mapui {

MapCanvas::MapCanvas(const Workspace& ws, QWidget* parent) : QWidget(parent), ws_(ws)
{
    setMinimumSize(200, 150);
    setMouseTracking(false);
}

void MapCanvas::refresh()
{
    const auto& rec = ws_.model.ProfileLine;
    if (rec != record_ || ws_.model.UnitsKm != unitsKm_) {
        record_ = rec;
        unitsKm_ = ws_.model.UnitsKm;
        line_.reset();
        moved_ = false;
        if (rec)
            if (auto made = map::ProfileLine::make(*rec, unitsKm_))
                line_ = std::move(made.value);
        fit();
    }
    update();
}

void MapCanvas::fit()
{
    // The line with a tenth of its length around it: footprints may reach
    // far off it (strike lengths of "infinite" bodies).
    if (line_) {
        const double pad = 0.1 * line_->length() / line_->modelUnitsPerMapUnit();
        QRectF box(QPointF(line_->start().E, line_->start().N), QPointF(line_->end().E, line_->end().N));
        t_ = MapTransform::fit(box.normalized().adjusted(-pad, -pad, pad, pad), size());
    }
    else if (grid_.isOpen())
        t_ = MapTransform::fit(grid_.extent(), size());
    t_.size = size();
}

void MapCanvas::setGrid(GridImage grid)
{
    grid_ = std::move(grid);
    pictureFor_ = {};
    if (!line_)
        fit();
    update();
}

void MapCanvas::setHillshade(bool on)
{
    hillshade_ = on;
    update();
}

void MapCanvas::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    t_.size = size();
    if (grid_.isOpen() && (t_.visible() != pictureFor_ || hillshade_ != pictureShaded_)) {
        picture_ = grid_.render(t_.visible(), size(), hillshade_);
        pictureFor_ = t_.visible();
        pictureShaded_ = hillshade_;
    }
    MapScene scene;
    scene.ws = &ws_;
    scene.line = line_ ? &*line_ : nullptr;
    if (grid_.isOpen()) {
        scene.grid = &picture_;
        scene.gridLow = grid_.low();
        scene.gridHigh = grid_.high();
    }
    paintMap(p, t_, scene);
    if (!line_)
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("The model has no profile line."));
}

void MapCanvas::resizeEvent(QResizeEvent*)
{
    if (!moved_)
        fit();
    t_.size = size();
}

void MapCanvas::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        drag_ = e->position();
}

void MapCanvas::mouseMoveEvent(QMouseEvent* e)
{
    if (!drag_)
        return;
    t_ = t_.panned(e->position() - *drag_);
    moved_ = true;
    drag_ = e->position();
    update();
}

void MapCanvas::mouseReleaseEvent(QMouseEvent*)
{
    drag_.reset();
}

void MapCanvas::wheelEvent(QWheelEvent* e)
{
    const double notches = e->angleDelta().y() / 120.0;
    if (notches != 0) {
        t_ = t_.zoomedAt(e->position(), std::pow(1.25, notches));
        moved_ = true;
        update();
    }
}

MapDock::MapDock(const Workspace& ws, Platform& platform, QWidget* parent)
    : QDockWidget(QStringLiteral("Map"), parent), platform_(platform)
{
    setObjectName(QStringLiteral("MapDock"));
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    auto* choose = new QPushButton(QStringLiteral("&Grid..."), body);
    auto* shade = new QCheckBox(QStringLiteral("&Hillshade"), body);
    gridName_ = new QLabel(QStringLiteral("No grid"), body);
    row->addWidget(choose);
    row->addWidget(shade);
    row->addWidget(gridName_, 1);
    column->addLayout(row);
    canvas_ = new MapCanvas(ws, body);
    column->addWidget(canvas_, 1);
    setWidget(body);
    connect(choose, &QPushButton::clicked, this, &MapDock::chooseGrid);
    connect(shade, &QCheckBox::toggled, canvas_, &MapCanvas::setHillshade);
}

void MapDock::refresh()
{
    canvas_->refresh();
}

void MapDock::chooseGrid()
{
    const QString name = platform_.openFileName(QStringLiteral("Grids"), QStringLiteral("*.tif *.tiff *.grd *.nc *.asc *.img *.vrt"));
    if (name.isEmpty())
        return;
    auto grid = GridImage::open(name.toStdString());
    if (!grid) {
        platform_.error(QString::fromStdString(grid.error));
        return;
    }
    gridName_->setText(QFileInfo(name).fileName());
    canvas_->setGrid(std::move(grid.value));
}

}  // namespace corvane::mapui
