#include "output/hardcopy.h"

#include "display/print_legend.h"
#include "model/text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// Characters of a title line: room for a title such as "Line 7 Bouguer
// anomaly model" in each half of the plot's width.
constexpr int MaxTitle = 40;
constexpr double InchesPerMetre = 1 / 0.0254;
// Bounds of a plot side in inches: a scale typed as 1 must not make a plot
// whose size overflows the page's pixel coordinates.
constexpr double MinSide = 0.5;
constexpr double MaxSide = 500;

// A positive length typed into a box, or the fallback.
double positive(const QString& text, double fallback)
{
    const auto v = parseNumber(text.toStdString());
    return v && *v > 0 ? *v : fallback;
}

// A scale (1 : scale); one that is not a number or is 0 counts as 100000.
double scale(const QString& text)
{
    const auto v = parseNumber(text.toStdString());
    return v && *v != 0 ? std::fabs(*v) : 100000.0;
}

// A title as its box shows it: the blanks a title starts as (and any a
// title ends with) would fill the box and leave no room for typing.
QString titleText(const std::string& title)
{
    QString t = QString::fromStdString(title).left(MaxTitle);
    while (t.endsWith(QLatin1Char(' ')))
        t.chop(1);
    return t;
}

int pixels(double inches, double dpi)
{
    return static_cast<int>(std::lround(std::clamp(inches, MinSide, MaxSide) * dpi));
}

}  // namespace

HardcopyGeometry hardcopyGeometry(const HardcopySettings& s, const Workspace& ws, QSize page,
                                  double dpiX, double dpiY)
{
    HardcopyGeometry g;
    PrintOptions& o = g.options;
    o.u = dpiX;
    o.v = dpiY;
    o.titles = s.titles;
    o.title1 = QString::fromStdString(ws.app.Title1).left(MaxTitle);
    o.title2 = QString::fromStdString(ws.app.Title2).left(MaxTitle);
    o.thirdLine = s.fileName;
    o.thirdText = QString::fromStdString(ws.app.ModelFileName);
    o.legend = s.bodyInfo;
    o.screenWidth = s.screenWidth;
    o.screenFontPixels = s.screenFontPixels;

    // The fixed parts of the printed layout (in inches): the plot's offset, its
    // axis strip, and the legend rows below it.
    const double left = 0.1, top = 0.2, axisStrip = 0.5, margin = 0.25;
    const double extraRows = ExtraLegendRow * static_cast<double>(extraLegendRows(ws.model, ws.display).size());
    const double extraBodyLines = BodyLine * static_cast<double>(magneticBodyLines(ws.model, ws.model.Bodies[1]).size());
    const double below = 0.8 + (s.fileName ? 0.25 : 0) + extraRows + (s.bodyInfo ? 2.3 + extraBodyLines : 0);

    switch (s.plotSize) {
    case HardcopySettings::FixedScale: {
        const double toMetres = ws.model.UnitsKm ? 1000.0 : 1.0;
        const Display& d = ws.display;
        const double across = std::fabs(d.ViewXMax - d.ViewXMin) * toMetres / scale(s.xscale);
        const double down = std::fabs(d.ViewDepthMax - d.ViewDepthMin) * toMetres / scale(s.yscale);
        // The section panel at the horizontal scale, beside the axis strip;
        // the curve panel as high as the section panel.
        o.plotWidth = pixels(axisStrip + across * InchesPerMetre, dpiX);
        o.plotHeight = pixels(2 * down * InchesPerMetre, dpiY);
        break;
    }
    case HardcopySettings::FitToPage:
        o.plotWidth = pixels(page.width() / dpiX - left - margin, dpiX);
        o.plotHeight = pixels(page.height() / dpiY - top - below - margin, dpiY);
        break;
    default: {
        const double unit = s.centimetres ? 2.54 : 1.0;
        o.plotWidth = pixels(positive(s.width, 7.0) / unit, dpiX);
        o.plotHeight = pixels(positive(s.height, 5.0) / unit, dpiY);
        break;
    }
    }
    g.tooBig = std::lround(left * dpiX) + o.plotWidth > page.width()
               || std::lround(top * dpiY) + o.plotHeight + std::lround(below * dpiY) > page.height();
    return g;
}

Status printHardcopy(QPrinter& printer, Workspace& ws, const HardcopySettings& s, bool* tooBig)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return fail("The printer could not be opened.");
    const QRect page(QPoint(0, 0), painter.viewport().size());
    const HardcopyGeometry g = hardcopyGeometry(s, ws, page.size(), painter.device()->logicalDpiX(),
                                                painter.device()->logicalDpiY());
    if (tooBig)
        *tooBig = g.tooBig;

    // Printing mode changes the layout values and the derived gravity range;
    // the window's picture must come back exactly as it was.
    const Display saved = ws.display;
    ws.display.Printing = true;
    PaintModel(painter, page, ws, g.options);
    ws.display = saved;

    if (!painter.end())
        return fail("The print job could not be finished.");
    return {};
}

Thardcopyout::Thardcopyout(Workspace& ws, QWidget* parent) : QDialog(parent), ws_(ws)
{
    setObjectName(QStringLiteral("Thardcopyout"));
    setWindowTitle(QStringLiteral("Produce Hardcopy of Model"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto edit = [this](const QString& name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        return e;
    };

    auto* titleGrid = new QGridLayout;
    title1_ = edit(QStringLiteral("title1"));
    title2_ = edit(QStringLiteral("Title2"));
    for (QLineEdit* t : {title1_, title2_}) {
        t->setMaxLength(MaxTitle);
        t->setMinimumWidth(t->fontMetrics().horizontalAdvance(QString(MaxTitle, QLatin1Char('n'))));   // a whole title in view
    }
    title1_->setText(titleText(ws_.app.Title1));
    title2_->setText(titleText(ws_.app.Title2));
    titleGrid->addWidget(new QLabel(QStringLiteral("Title 1 :"), this), 0, 0);
    titleGrid->addWidget(title1_, 0, 1);
    titleGrid->addWidget(new QLabel(QStringLiteral("Title 2 :"), this), 1, 0);
    titleGrid->addWidget(title2_, 1, 1);
    layout->addLayout(titleGrid);

    auto check = [this, layout](const QString& name, const QString& caption) {
        auto* c = new QCheckBox(caption, this);
        c->setObjectName(name);
        layout->addWidget(c);
        return c;
    };
    titles_ = check(QStringLiteral("titles"), QStringLiteral("Display titles"));
    bodyinfo_ = check(QStringLiteral("bodyinfo"), QStringLiteral("Display body information"));
    filename_ = check(QStringLiteral("filename"), QStringLiteral("Display filename"));

    plotsize_ = new QGroupBox(this);
    plotsize_->setObjectName(QStringLiteral("plotsize"));
    auto* sizeLayout = new QVBoxLayout(plotsize_);
    auto* sizeGroup = new QButtonGroup(this);
    const QString sizeCaptions[3] = {QStringLiteral("Set plot size"), QStringLiteral("Plot at fixed scale"),
                                     QStringLiteral("Fit to page")};
    for (int i = 0; i < 3; ++i) {
        sizeButtons_[i] = new QRadioButton(sizeCaptions[i], plotsize_);
        sizeLayout->addWidget(sizeButtons_[i]);
        sizeGroup->addButton(sizeButtons_[i], i);
    }
    connect(sizeGroup, &QButtonGroup::idClicked, this, &Thardcopyout::plotsizeClick);
    layout->addWidget(plotsize_);

    units_ = new QGroupBox(QStringLiteral("Units"), this);
    units_->setObjectName(QStringLiteral("units"));
    auto* unitsLayout = new QHBoxLayout(units_);   // two columns
    inches_ = new QRadioButton(QStringLiteral("Inches"), units_);
    cm_ = new QRadioButton(QStringLiteral("Cm,"), units_);
    unitsLayout->addWidget(inches_);
    unitsLayout->addWidget(cm_);
    layout->addWidget(units_);

    auto* sizeGrid = new QGridLayout;
    auto labelled = [&](int row, const QString& caption, const QString& name, QLabel*& label) {
        label = new QLabel(caption, this);
        QLineEdit* e = edit(name);
        sizeGrid->addWidget(label, row, 0);
        sizeGrid->addWidget(e, row, 1);
        return e;
    };
    width_ = labelled(0, QStringLiteral("Plot Width"), QStringLiteral("width"), widthLabel_);
    height_ = labelled(1, QStringLiteral("Plot height"), QStringLiteral("height"), heightLabel_);
    xscale_ = labelled(2, QStringLiteral("Horizontal scale"), QStringLiteral("xscale"), xscaleLabel_);
    yscale_ = labelled(3, QStringLiteral("Vertical scale"), QStringLiteral("yscale"), yscaleLabel_);
    layout->addLayout(sizeGrid);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &Thardcopyout::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    FormActivate();
}

void Thardcopyout::showEvent(QShowEvent* e)
{
    FormActivate();
    QDialog::showEvent(e);
}

void Thardcopyout::FormActivate()
{
    titles_->setChecked(true);
    bodyinfo_->setChecked(false);
    filename_->setChecked(false);
    inches_->setChecked(true);
    width_->setText(QStringLiteral("7.0"));
    height_->setText(QStringLiteral("5.0"));
    xscale_->setText(QStringLiteral("10000.0"));
    yscale_->setText(QStringLiteral("10000.0"));
    sizeButtons_[0]->setChecked(true);
    plotsizeClick(0);
}

void Thardcopyout::plotsizeClick(int index)
{
    if (index < 0 || index > 2)
        return;
    sizeButtons_[index]->setChecked(true);
    const bool setSize = index == HardcopySettings::SetSize;
    const bool fixedScale = index == HardcopySettings::FixedScale;
    for (QWidget* w : {static_cast<QWidget*>(width_), static_cast<QWidget*>(height_),
                       static_cast<QWidget*>(widthLabel_), static_cast<QWidget*>(heightLabel_),
                       static_cast<QWidget*>(units_)})
        w->setVisible(setSize);
    for (QWidget* w : {static_cast<QWidget*>(xscale_), static_cast<QWidget*>(yscale_),
                       static_cast<QWidget*>(xscaleLabel_), static_cast<QWidget*>(yscaleLabel_)})
        w->setVisible(fixedScale);
}

int Thardcopyout::plotsizeIndex() const
{
    for (int i = 0; i < 3; ++i)
        if (sizeButtons_[i]->isChecked())
            return i;
    return 0;
}

void Thardcopyout::OKBtnClick()
{
    ws_.app.Title1 = title1_->text().left(MaxTitle).toStdString();
    ws_.app.Title2 = title2_->text().left(MaxTitle).toStdString();
    accept();
}

HardcopySettings Thardcopyout::settings() const
{
    HardcopySettings s;
    s.titles = titles_->isChecked();
    s.bodyInfo = bodyinfo_->isChecked();
    s.fileName = filename_->isChecked();
    s.plotSize = plotsizeIndex();
    s.centimetres = cm_->isChecked();
    s.width = width_->text();
    s.height = height_->text();
    s.xscale = xscale_->text();
    s.yscale = yscale_->text();
    return s;
}

}  // namespace corvane
