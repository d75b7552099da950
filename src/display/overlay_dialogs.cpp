#include "display/overlay_dialogs.h"

#include "display/backdrop.h"
#include "display/dialog_widgets.h"
#include "display/point_layer.h"
#include "model/text.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QTabWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace corvane {

namespace {

QHBoxLayout* buttonsRow(QDialog* d, const std::function<void()>& ok)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    const auto [okBtn, cancel] = okCancelButtons(d);
    row->addWidget(okBtn);
    row->addWidget(cancel);
    QObject::connect(okBtn, &QPushButton::clicked, d, ok);
    return row;
}

QString fileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::string placeBackdrop(Overlays& o, Backdrop b, const BackdropReader& read)
{
    if (!(b.velocity >= 0) || !std::isfinite(b.velocity))
        return "The velocity must be a positive number, or 0 for a section in depth.";
    // Edges the section gives itself need not be typed.
    if (b.cdpPositions && !(std::isfinite(b.xRight) && b.xRight != b.xLeft))
        b.xRight = b.xLeft + 1;
    if (b.velocity > 0 && !(std::isfinite(b.zTop) && std::isfinite(b.zBottom) && b.zTop != b.zBottom))
        b.zTop = 0, b.zBottom = 1;
    if (!std::isfinite(b.xLeft) || !std::isfinite(b.xRight) || !std::isfinite(b.zTop) ||
        !std::isfinite(b.zBottom) || b.xLeft == b.xRight || b.zTop == b.zBottom)
        return "The picture's edges must be four numbers, left and right different, top and bottom different.";
    b.opacity = std::clamp(b.opacity, 0, 100);
    // The picture already read is kept when only its placement changes.
    if (!(b.clipPercent > 0 && b.clipPercent <= 100))
        return "The clip percentile must lie above 0 and up to 100.";
    if (o.backdrop && o.backdrop->path == b.path && o.backdrop->image &&
        o.backdrop->clipPercent == b.clipPercent && o.backdrop->redWhiteBlue == b.redWhiteBlue &&
        o.backdrop->cdpPositions == b.cdpPositions && o.backdrop->velocity == b.velocity) {
        // The edges the section gave itself stay as it gave them.
        if (b.cdpPositions)
            b.xRight = b.xLeft + (o.backdrop->xRight - o.backdrop->xLeft);
        if (b.velocity > 0) {
            b.zTop = o.backdrop->zTop;
            b.zBottom = o.backdrop->zBottom;
        }
        b.image = o.backdrop->image;
    } else {
        if (std::string err = read(b); !err.empty())
            return err;
        if (!b.image)   // the reading was stopped
            return {};
    }
    o.backdrop = std::move(b);
    return {};
}

// ---- Point data sets ----

TPointSets::TPointSets(Workspace& ws, Platform& platform, QWidget* parent)
    : QDialog(parent), ws_(ws), platform_(platform)
{
    setObjectName(QStringLiteral("TPointSets"));
    setWindowTitle(QStringLiteral("Point Data"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("Sets"));
    layout->addWidget(new QLabel(QStringLiteral("Sets shown are ticked"), this));
    layout->addWidget(list_);
    auto* row = new QHBoxLayout;
    symbol_ = new QComboBox(this);
    symbol_->setObjectName(QStringLiteral("Symbol"));
    for (int s = 0; s < NumPointSymbols; ++s)
        symbol_->addItem(pointSymbolName(static_cast<PointSymbol>(s)));
    swatch_ = new QLabel(this);
    swatch_->setFixedSize(24, 16);
    auto* colour = new QPushButton(QStringLiteral("Colour..."), this);
    colour->setObjectName(QStringLiteral("ColourBtn"));
    auto* remove = new QPushButton(QStringLiteral("Remove"), this);
    remove->setObjectName(QStringLiteral("RemoveBtn"));
    row->addWidget(new QLabel(QStringLiteral("Symbol"), this));
    row->addWidget(symbol_);
    row->addWidget(swatch_);
    row->addWidget(colour);
    row->addStretch();
    row->addWidget(remove);
    layout->addLayout(row);
    layout->addLayout(buttonsRow(this, [this] { OKBtnClick(); }));

    connect(list_, &QListWidget::currentRowChanged, this, [this] { showCurrent(); });
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int i = list_->row(item);
        if (!filling_ && i >= 0 && i < static_cast<int>(sets_.size()))
            sets_[static_cast<std::size_t>(i)].hidden = item->checkState() != Qt::Checked;
    });
    connect(symbol_, &QComboBox::currentIndexChanged, this, [this](int s) {
        const int i = list_->currentRow();
        if (!filling_ && i >= 0 && i < static_cast<int>(sets_.size()) && s >= 0)
            sets_[static_cast<std::size_t>(i)].symbol = static_cast<PointSymbol>(s);
    });
    connect(colour, &QPushButton::clicked, this, [this] { ColourBtnClick(); });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveBtnClick(); });
}

void TPointSets::showEvent(QShowEvent* e)
{
    FormActivate();
    QDialog::showEvent(e);
}

void TPointSets::FormActivate()
{
    sets_ = ws_.overlays.pointSets;
    fillList();
    list_->setCurrentRow(sets_.empty() ? -1 : 0);
    showCurrent();
}

void TPointSets::fillList()
{
    filling_ = true;
    list_->clear();
    for (const PointSet& s : sets_) {
        // A horizon's gaps are no points.
        const auto count = std::count_if(s.points.begin(), s.points.end(),
                                         [](const DataPoint& d) { return std::isfinite(d.z); });
        auto* item = new QListWidgetItem(fileNameOf(s.path) + QStringLiteral(" (%1 points)").arg(count), list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(s.hidden ? Qt::Unchecked : Qt::Checked);
    }
    filling_ = false;
}

void TPointSets::showCurrent()
{
    const int i = list_->currentRow();
    const bool any = i >= 0 && i < static_cast<int>(sets_.size());
    filling_ = true;
    symbol_->setEnabled(any);
    if (any) {
        const PointSet& s = sets_[static_cast<std::size_t>(i)];
        symbol_->setCurrentIndex(static_cast<int>(s.symbol));
        swatch_->setStyleSheet(QStringLiteral("background: %1").arg(QColor::fromRgb(s.colour).name()));
    } else {
        swatch_->setStyleSheet(QString());
    }
    filling_ = false;
}

void TPointSets::RemoveBtnClick()
{
    const int i = list_->currentRow();
    if (i < 0 || i >= static_cast<int>(sets_.size()))
        return;
    sets_.erase(sets_.begin() + i);
    fillList();
    list_->setCurrentRow(std::min(i, static_cast<int>(sets_.size()) - 1));
    showCurrent();
}

void TPointSets::ColourBtnClick()
{
    const int i = list_->currentRow();
    if (i < 0 || i >= static_cast<int>(sets_.size()))
        return;
    PointSet& s = sets_[static_cast<std::size_t>(i)];
    if (auto c = platform_.chooseColour(QColor::fromRgb(s.colour))) {
        s.colour = c->rgb() & 0xffffff;
        showCurrent();
    }
}

void TPointSets::OKBtnClick()
{
    ws_.overlays.pointSets = sets_;
    accept();
}

// ---- Backdrop picture ----

TiePicture::TiePicture(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMinimumSize(ViewWidth, ViewHeight);
}

void TiePicture::setPicture(const QImage& img)
{
    size_ = img.size();
    setPixmap(QPixmap::fromImage(img.scaled(ViewWidth, ViewHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TiePicture::mousePressEvent(QMouseEvent* e)
{
    const QPixmap pm = pixmap();
    const QPointF at = e->position();
    if (pm.isNull() || !clicked || at.x() < 0 || at.y() < 0 || at.x() >= pm.width() || at.y() >= pm.height())
        return;
    // The picture's own pixels: a click stands for the middle of the one under it.
    const double fx = double(size_.width()) / pm.width(), fy = double(size_.height()) / pm.height();
    clicked(QPointF((std::floor(at.x() * fx) + 0.5), (std::floor(at.y() * fy) + 0.5)));
}

TBackdrop::TBackdrop(Workspace& ws, Platform& platform, BackdropReader read, QWidget* parent)
    : QDialog(parent), ws_(ws), platform_(platform), read_(std::move(read))
{
    setObjectName(QStringLiteral("TBackdrop"));
    setWindowTitle(QStringLiteral("Backdrop Image"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* fileRow = new QHBoxLayout;
    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("Path"));
    path_->setMinimumWidth(260);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("BrowseBtn"));
    fileRow->addWidget(new QLabel(QStringLiteral("Picture"), this));
    fileRow->addWidget(path_);
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);
    QVBoxLayout* target = layout;
    auto field = [&](const QString& label, const QString& name) {
        auto* row = new QHBoxLayout;
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setMaximumWidth(110);
        row->addWidget(new QLabel(label, this));
        row->addStretch();
        row->addWidget(e);
        target->addLayout(row);
        return e;
    };
    // Placed by its edges, or by two points clicked on it (which fill in the edges).
    auto* tabs = new QTabWidget(this);
    auto* edgesPage = new QWidget(tabs);
    target = new QVBoxLayout(edgesPage);
    left_ = field(QStringLiteral("Horizontal position of the left edge"), QStringLiteral("Left"));
    right_ = field(QStringLiteral("Horizontal position of the right edge"), QStringLiteral("Right"));
    top_ = field(QStringLiteral("Depth of the top edge"), QStringLiteral("Top"));
    bottom_ = field(QStringLiteral("Depth of the bottom edge"), QStringLiteral("Bottom"));
    target->addStretch();
    tabs->addTab(edgesPage, QStringLiteral("Edges"));
    auto* tiePage = new QWidget(tabs);
    target = new QVBoxLayout(tiePage);
    auto* show = new QPushButton(QStringLiteral("Show the picture"), tiePage);
    show->setObjectName(QStringLiteral("ShowBtn"));
    target->addWidget(show);
    tie_ = new TiePicture(tiePage);
    tie_->setObjectName(QStringLiteral("TiePicture"));
    target->addWidget(tie_);
    tieText_ = new QLabel(QStringLiteral("Click two points on the picture."), tiePage);
    target->addWidget(tieText_);
    x1_ = field(QStringLiteral("Point 1: horizontal position"), QStringLiteral("X1"));
    z1_ = field(QStringLiteral("Point 1: depth"), QStringLiteral("Z1"));
    x2_ = field(QStringLiteral("Point 2: horizontal position"), QStringLiteral("X2"));
    z2_ = field(QStringLiteral("Point 2: depth"), QStringLiteral("Z2"));
    auto* place = new QPushButton(QStringLiteral("Set the edges from the points"), tiePage);
    place->setObjectName(QStringLiteral("PlaceBtn"));
    target->addWidget(place);
    tabs->addTab(tiePage, QStringLiteral("Tie points"));
    layout->addWidget(tabs);
    target = layout;
    connect(show, &QPushButton::clicked, this, [this] { ShowBtnClick(); });
    connect(place, &QPushButton::clicked, this, [this] { PlaceBtnClick(); });
    tie_->clicked = [this](QPointF p) {
        ties_[static_cast<std::size_t>(nextTie_)] = p;
        nextTie_ = 1 - nextTie_;
        auto text = [](const std::optional<QPointF>& t) {
            return t ? QStringLiteral("(%1, %2)").arg(t->x(), 0, 'f', 1).arg(t->y(), 0, 'f', 1) : QStringLiteral("-");
        };
        tieText_->setText(QStringLiteral("Point 1 at pixel %1, point 2 at pixel %2").arg(text(ties_[0]), text(ties_[1])));
    };
    auto* opRow = new QHBoxLayout;
    opacity_ = new QSlider(Qt::Horizontal, this);
    opacity_->setObjectName(QStringLiteral("Opacity"));
    opacity_->setRange(0, 100);
    opacityText_ = new QLabel(this);
    opacityText_->setMinimumWidth(40);
    opRow->addWidget(new QLabel(QStringLiteral("Opacity"), this));
    opRow->addWidget(opacity_);
    opRow->addWidget(opacityText_);
    layout->addLayout(opRow);
    auto* fillRow = new QHBoxLayout;
    bodies_ = new QComboBox(this);
    bodies_->setObjectName(QStringLiteral("Bodies"));
    // In the order of BodyFill.
    bodies_->addItems({QStringLiteral("Outlines"), QStringLiteral("Translucent"), QStringLiteral("Opaque")});
    fillRow->addWidget(new QLabel(QStringLiteral("Bodies over the picture"), this));
    fillRow->addStretch();
    fillRow->addWidget(bodies_);
    layout->addLayout(fillRow);
    clip_ = field(QStringLiteral("SEG-Y: clip at the percentile"), QStringLiteral("Clip"));
    colours_ = new QCheckBox(QStringLiteral("SEG-Y: red-white-blue instead of grey"), this);
    colours_->setObjectName(QStringLiteral("RedWhiteBlue"));
    layout->addWidget(colours_);
    cdp_ = new QCheckBox(QStringLiteral("SEG-Y: trace positions from the CDP x and y of the trace headers"), this);
    cdp_->setObjectName(QStringLiteral("CdpX"));
    cdp_->setToolTip(QStringLiteral("The first trace stands at the left edge typed, the others at their "
                                    "distance from it, from the CDP x and y."));
    layout->addWidget(cdp_);
    velocity_ = field(QStringLiteral("SEG-Y in time: interval velocity, m/s (0: a section in depth)"),
                      QStringLiteral("Velocity"));
    auto* sketch = new QLabel(QStringLiteral("One velocity draws the times at depth v t / 2: a sketch, "
                                             "not a depth conversion."),
                              this);
    sketch->setObjectName(QStringLiteral("VelocityNote"));
    sketch->setWordWrap(true);
    layout->addWidget(sketch);
    // The edges the file gives are not typed.
    connect(cdp_, &QCheckBox::toggled, this, [this](bool on) { right_->setEnabled(!on); });
    connect(velocity_, &QLineEdit::textChanged, this, [this](const QString& t) {
        const bool timed = parseNumber(t.toStdString()).value_or(0) > 0;
        top_->setEnabled(!timed);
        bottom_->setEnabled(!timed);
    });
    layout->addLayout(buttonsRow(this, [this] { OKBtnClick(); }));
    connect(opacity_, &QSlider::valueChanged, this,
            [this](int v) { opacityText_->setText(QStringLiteral("%1 %").arg(v)); });
    connect(browse, &QPushButton::clicked, this, [this] { BrowseBtnClick(); });
}

void TBackdrop::showEvent(QShowEvent* e)
{
    FormActivate();
    QDialog::showEvent(e);
}

void TBackdrop::FormActivate()
{
    const Display& d = ws_.display;
    // A first picture spans the view until its edges are typed.
    const Backdrop b = ws_.overlays.backdrop.value_or(
        Backdrop{{}, d.ViewXMin, d.ViewXMax, d.ViewDepthMin, d.ViewDepthMax, 60, 98, false, {}});
    path_->setText(QString::fromStdString(b.path));
    left_->setText(QString::number(b.xLeft, 'g', 12));
    right_->setText(QString::number(b.xRight, 'g', 12));
    top_->setText(QString::number(b.zTop, 'g', 12));
    bottom_->setText(QString::number(b.zBottom, 'g', 12));
    opacity_->setValue(b.opacity);
    bodies_->setCurrentIndex(static_cast<int>(b.bodies));
    clip_->setText(QString::number(b.clipPercent, 'g', 12));
    colours_->setChecked(b.redWhiteBlue);
    cdp_->setChecked(b.cdpPositions);
    right_->setEnabled(!b.cdpPositions);
    velocity_->setText(QString::number(b.velocity, 'g', 12));
    opacityText_->setText(QStringLiteral("%1 %").arg(b.opacity));
}

void TBackdrop::ShowBtnClick()
{
    Backdrop b;
    b.path = path_->text().toStdString();
    b.clipPercent = parseNumber(clip_->text().toStdString()).value_or(98);
    b.redWhiteBlue = colours_->isChecked();
    b.cdpPositions = cdp_->isChecked();
    if (b.path.empty()) {
        platform_.error(QStringLiteral("Choose a picture first."));
        return;
    }
    if (std::string err = read_(b); !err.empty()) {
        platform_.error(QString::fromStdString(err));
        return;
    }
    if (!b.image)
        return;
    tie_->setPicture(b.image->source);
    ties_ = {};
    nextTie_ = 0;
    tieText_->setText(QStringLiteral("Click two points on the picture."));
}

void TBackdrop::PlaceBtnClick()
{
    auto num = [](const QLineEdit* e) { return parseNumber(e->text().toStdString()).value_or(NAN); };
    std::optional<BackdropEdges> e;
    if (ties_[0] && ties_[1])
        e = edgesFromTiePoints(QSizeF(tie_->pictureSize()), *ties_[0], *ties_[1], QPointF(num(x1_), num(z1_)),
                               QPointF(num(x2_), num(z2_)));
    if (!e) {
        platform_.error(QStringLiteral("Click two points that differ in both directions, and type where they lie."));
        return;
    }
    left_->setText(QString::number(e->xLeft, 'g', 12));
    right_->setText(QString::number(e->xRight, 'g', 12));
    top_->setText(QString::number(e->zTop, 'g', 12));
    bottom_->setText(QString::number(e->zBottom, 'g', 12));
}

void TBackdrop::BrowseBtnClick()
{
    const QString name = platform_.openFileName(QStringLiteral("Pictures"),
                                                QStringLiteral("*.png;*.jpg;*.jpeg;*.tif;*.tiff;*.sgy;*.segy"));
    if (!name.isEmpty())
        path_->setText(name);
}

void TBackdrop::OKBtnClick()
{
    auto num = [](const QLineEdit* e) { return parseNumber(e->text().toStdString()); };
    const auto l = num(left_), r = num(right_), t = num(top_), b = num(bottom_);
    const double nan = std::nan("");
    Backdrop bd{path_->text().toStdString(), l.value_or(nan), r.value_or(nan), t.value_or(nan),
                b.value_or(nan), opacity_->value(), num(clip_).value_or(nan), colours_->isChecked(), {},
                cdp_->isChecked(), num(velocity_).value_or(nan),
                static_cast<BodyFill>(std::clamp(bodies_->currentIndex(), 0, 2))};
    if (bd.path.empty()) {
        platform_.error(QStringLiteral("Choose a picture first."));
        return;
    }
    const auto before = ws_.overlays.backdrop ? ws_.overlays.backdrop->image : nullptr;
    if (std::string err = placeBackdrop(ws_.overlays, bd, read_); !err.empty()) {
        platform_.error(QString::fromStdString(err));
        return;
    }
    // A file read in part is shown as far as it goes, and the user told.
    const Backdrop* now = ws_.overlays.backdrop ? &*ws_.overlays.backdrop : nullptr;
    if (now && now->image && now->image != before && !now->image->note.empty())
        platform_.warning(QString::fromStdString(now->image->note));
    accept();
}

}  // namespace corvane
