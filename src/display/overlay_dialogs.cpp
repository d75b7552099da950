#include "display/overlay_dialogs.h"

#include "display/backdrop.h"
#include "display/point_layer.h"
#include "model/text.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QComboBox>
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
    auto* okBtn = new QPushButton(QStringLiteral("OK"), d);
    okBtn->setObjectName(QStringLiteral("OKBtn"));
    okBtn->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), d);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    row->addWidget(okBtn);
    row->addWidget(cancel);
    QObject::connect(okBtn, &QPushButton::clicked, d, ok);
    QObject::connect(cancel, &QPushButton::clicked, d, &QDialog::reject);
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
    if (!std::isfinite(b.xLeft) || !std::isfinite(b.xRight) || !std::isfinite(b.zTop) ||
        !std::isfinite(b.zBottom) || b.xLeft == b.xRight || b.zTop == b.zBottom)
        return "The picture's edges must be four numbers, left and right different, top and bottom different.";
    b.opacity = std::clamp(b.opacity, 0, 100);
    // The picture already read is kept when only its placement changes.
    if (!(b.clipPercent > 0 && b.clipPercent <= 100))
        return "The clip percentile must lie above 0 and up to 100.";
    if (o.backdrop && o.backdrop->path == b.path && o.backdrop->image &&
        o.backdrop->clipPercent == b.clipPercent && o.backdrop->redWhiteBlue == b.redWhiteBlue) {
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
        auto* item = new QListWidgetItem(
            fileNameOf(s.path) + QStringLiteral(" (%1 points)").arg(s.points.size()), list_);
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
    auto field = [&](const QString& label, const QString& name) {
        auto* row = new QHBoxLayout;
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setMaximumWidth(110);
        row->addWidget(new QLabel(label, this));
        row->addStretch();
        row->addWidget(e);
        layout->addLayout(row);
        return e;
    };
    left_ = field(QStringLiteral("Horizontal position of the left edge"), QStringLiteral("Left"));
    right_ = field(QStringLiteral("Horizontal position of the right edge"), QStringLiteral("Right"));
    top_ = field(QStringLiteral("Depth of the top edge"), QStringLiteral("Top"));
    bottom_ = field(QStringLiteral("Depth of the bottom edge"), QStringLiteral("Bottom"));
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
    clip_ = field(QStringLiteral("SEG-Y: clip at the percentile"), QStringLiteral("Clip"));
    colours_ = new QCheckBox(QStringLiteral("SEG-Y: red-white-blue instead of grey"), this);
    colours_->setObjectName(QStringLiteral("RedWhiteBlue"));
    layout->addWidget(colours_);
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
    clip_->setText(QString::number(b.clipPercent, 'g', 12));
    colours_->setChecked(b.redWhiteBlue);
    opacityText_->setText(QStringLiteral("%1 %").arg(b.opacity));
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
                b.value_or(nan), opacity_->value(), num(clip_).value_or(nan), colours_->isChecked(), {}};
    if (bd.path.empty()) {
        platform_.error(QStringLiteral("Choose a picture first."));
        return;
    }
    if (std::string err = placeBackdrop(ws_.overlays, bd, read_); !err.empty()) {
        platform_.error(QString::fromStdString(err));
        return;
    }
    accept();
}

}  // namespace corvane
