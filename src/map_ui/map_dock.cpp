#include "map_ui/map_dock.h"

#include "map/grid_sampling.h"
#include "map_ui/map_paint.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

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
        carryLine();
        fit();
    }
    update();
}

void MapCanvas::carryLine()
{
    lineToGrid_ = {};
    if (!line_ || !grid_.isOpen() || gridCrs_ == "-")
        return;
    // A grid whose system PROJ cannot read is taken to be in the line's.
    const auto crs = map::Crs::fromText(gridCrs_);
    if (!crs)
        return;
    if (auto t = map::CrsTransform::between(line_->crs(), crs.value))
        lineToGrid_ = std::move(t.value);
}

std::string MapCanvas::mapCrs() const
{
    if (grid_.isOpen() && gridCrs_ != "-")
        return gridCrs_;
    return line_ ? line_->crs().text() : std::string("-");
}

void MapCanvas::fit()
{
    // The line with a tenth of its length around it: footprints may reach
    // far off it (strike lengths of "infinite" bodies).
    if (line_) {
        const double pad = 0.1 * line_->length() / line_->modelUnitsPerMapUnit();
        double w = INFINITY, e = -INFINITY, s = INFINITY, n = -INFINITY;
        for (double de : {-pad, pad})
            for (double dn : {-pad, pad})
                for (map::MapPoint q : {line_->start(), line_->end()}) {
                    q.E += de;
                    q.N += dn;
                    if (!lineToGrid_.apply(q))
                        continue;
                    w = std::min(w, q.E), e = std::max(e, q.E), s = std::min(s, q.N), n = std::max(n, q.N);
                }
        if (w <= e)
            t_ = MapTransform::fit(QRectF(w, s, e - w, n - s), size());
    }
    else if (grid_.isOpen())
        t_ = MapTransform::fit(grid_.extent(), size());
    t_.size = size();
}

void MapCanvas::setGrid(GridImage grid, const std::string& crs)
{
    grid_ = std::move(grid);
    gridCrs_ = crs;
    pictureFor_ = {};
    carryLine();
    if (!line_ || !moved_)
        fit();
    update();
}

void MapCanvas::armPick(PickHandler picked)
{
    pick_ = std::move(picked);
    picked_.clear();
    setCursor(Qt::CrossCursor);
    update();
}

void MapCanvas::disarmPick()
{
    pick_ = nullptr;
    picked_.clear();
    unsetCursor();
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
    scene.lineToMap = &lineToGrid_;
    scene.picked = picked_;
    paintMap(p, t_, scene);
    if (!line_ && !pick_)
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
    if (pick_ && e->button() == Qt::RightButton) {
        PickHandler done = pick_;
        done(std::nullopt);
        return;
    }
    if (e->button() == Qt::LeftButton) {
        drag_ = e->position();
        pressedAt_ = e->position();
    }
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

void MapCanvas::mouseReleaseEvent(QMouseEvent* e)
{
    const bool click = drag_ && (e->position() - pressedAt_).manhattanLength() < 4;
    drag_.reset();
    // A click picks; a drag still pans while picking.
    if (click && pick_ && e->button() == Qt::LeftButton) {
        const map::MapPoint q = t_.toMap(e->position());
        picked_.push_back(q);
        update();
        PickHandler report = pick_;
        report(q);
    }
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
    if (const QString why = showGrid(name); !why.isEmpty()) {
        platform_.error(why);
        return;
    }
    emit gridChosen(name);
}

QString MapDock::showGrid(const QString& path)
{
    const std::string file = QFile::encodeName(path).toStdString();
    auto grid = GridImage::open(file);
    if (!grid)
        return QString::fromStdString(grid.error);
    const auto crs = map::gridCrsText(file);
    gridPath_ = path;
    gridName_->setText(QFileInfo(path).fileName());
    canvas_->setGrid(std::move(grid.value), crs ? crs.value : std::string("-"));
    return {};
}

void MapDock::clearGrid()
{
    gridPath_.clear();
    gridName_->setText(QStringLiteral("No grid"));
    canvas_->setGrid(GridImage{}, "-");
}

}  // namespace corvane::mapui
