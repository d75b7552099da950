#include "regional_ui/tregbuild.h"

#include "display/options_widgets.h"
#include "model/text.h"
#include "platform/platform.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace corvane {

namespace {

constexpr int DialogWidth = 560;
constexpr int DialogHeight = 460;

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

}  // namespace

Tregbuild::Tregbuild(Workspace& ws, Platform& platform, QWidget* parent)
    : QDialog(parent), ws_(ws), platform_(platform)
{
    setObjectName(QStringLiteral("Tregbuild"));
    setWindowTitle(QStringLiteral("Regional Field Removal"));
    setModal(true);
    // The knots are set in pixels of this plot, so its size is fixed.
    setFixedSize(DialogWidth, DialogHeight);

    auto* box = new QGroupBox(QStringLiteral("Regional field"), this);
    box->setObjectName(QStringLiteral("regtype"));
    box->setGeometry(8, 4, 190, 92);
    regtypeBox_ = box;
    auto* radios = new QVBoxLayout(box);
    regtype_ = new QButtonGroup(this);
    const QString captions[3] = {QStringLiteral("Constant"), QStringLiteral("Best fit linear"),
                                 QStringLiteral("Interactive spline")};
    for (int i = 0; i < 3; ++i) {
        kinds_[i] = new QRadioButton(captions[i], box);
        kinds_[i]->setObjectName(QStringLiteral("regtype%1").arg(i));
        radios->addWidget(kinds_[i]);
        regtype_->addButton(kinds_[i], i);
    }
    connect(regtype_, &QButtonGroup::idClicked, this, &Tregbuild::regtypeClick);

    // Constant controls.
    constant_ = new QLineEdit(this);
    constant_->setObjectName(QStringLiteral("constant"));
    constant_->setGeometry(214, 14, 100, 24);
    constantspin1_ = new SpinButton(QStringLiteral("constantspin1"), this);
    constantspin1_->setGeometry(318, 14, 18, 24);
    auto* stepCaption = new QLabel(QStringLiteral("Step"), this);
    stepCaption->setObjectName(QStringLiteral("incr1caption"));
    stepCaption->setGeometry(214, 50, 40, 20);
    incr1_ = new QLabel(this);
    incr1_->setObjectName(QStringLiteral("incr1"));
    incr1_->setGeometry(254, 50, 60, 20);
    SpinButton2_ = new SpinButton(QStringLiteral("SpinButton2"), this);
    SpinButton2_->setGeometry(318, 48, 18, 24);
    connect(constantspin1_, &SpinButton::up, this, &Tregbuild::constantspin1Up);
    connect(constantspin1_, &SpinButton::down, this, &Tregbuild::constantspin1Down);
    connect(SpinButton2_, &SpinButton::up, this, &Tregbuild::SpinButton2Up);
    connect(SpinButton2_, &SpinButton::down, this, &Tregbuild::SpinButton2Down);

    // Linear controls.
    LinearValue_ = new QLabel(this);
    LinearValue_->setObjectName(QStringLiteral("LinearValue"));
    LinearValue_->setGeometry(214, 14, 338, 22);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    LinearValue_->setFont(mono);
    auto speed = [this](const char* name, const char* caption, int x) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(QString::fromLatin1(caption));
        b->setGeometry(x, 46, 36, 24);
        return b;
    };
    mplus_ = speed("mplus", "+M", 214);
    mminus_ = speed("mminus", "-M", 252);
    cplus_ = speed("cplus", "+C", 290);
    cminus_ = speed("cminus", "-C", 328);
    incr2_ = new QLabel(this);
    incr2_->setObjectName(QStringLiteral("incr2"));
    incr2_->setGeometry(372, 48, 56, 20);
    SpinButton3_ = new SpinButton(QStringLiteral("SpinButton3"), this);
    SpinButton3_->setGeometry(430, 46, 18, 24);
    connect(mplus_, &QToolButton::clicked, this, &Tregbuild::mplusClick);
    connect(mminus_, &QToolButton::clicked, this, &Tregbuild::mminusClick);
    connect(cplus_, &QToolButton::clicked, this, &Tregbuild::cplusClick);
    connect(cminus_, &QToolButton::clicked, this, &Tregbuild::cminusClick);
    connect(SpinButton3_, &SpinButton::up, this, &Tregbuild::SpinButton3Up);
    connect(SpinButton3_, &SpinButton::down, this, &Tregbuild::SpinButton3Down);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn2"));
    ok->setGeometry(DialogWidth - 184, DialogHeight - 25, 84, 23);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("BitBtn1"));
    cancel->setGeometry(DialogWidth - 92, DialogHeight - 25, 84, 23);
    connect(ok, &QPushButton::clicked, this, &Tregbuild::BitBtn2Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

PlotArea Tregbuild::plotArea() const
{
    PlotArea a;
    a.left = 48;
    a.top = regtypeBox_->geometry().bottom() + 1 + 16;
    a.right = width() - 8;
    a.bottom = height() - 40;
    return a;
}

void Tregbuild::showEvent(QShowEvent* e)
{
    FormActivate();
    QDialog::showEvent(e);
}

void Tregbuild::FormActivate()
{
    const Model& m = ws_.model;
    observedRange(m, axisMin_, axisMax_);
    // Flat data still need a vertical scale for the knots to mean anything.
    if (!(axisMax_ > axisMin_))
        axisMax_ = axisMin_ + 1.0;
    ws_.display.GravityMin = axisMin_;
    ws_.display.GravityMax = axisMax_;
    state_.RegionalMode = RegionalKind::Constant;
    kinds_[0]->setChecked(true);
    state_.RegionalC = meanObserved(m);
    state_.RegionalM = 0;
    showConstant();
    LinearValue_->setText(QStringLiteral(" Y = Mx + C"));
    showGroups();
    state_.RegionalCStep = 10.0;
    incr1_->setText(QStringLiteral("10.0"));
    state_.RegionalLinStep = 1.0;
    incr2_->setText(QStringLiteral("1.0"));
    state_.KnotRow.fill(DefaultKnotRow);
    knotsToModel(state_, plotArea(), m, axisMin_, axisMax_);
    update();
}

void Tregbuild::showGroups()
{
    const bool constant = state_.RegionalMode == RegionalKind::Constant;
    const bool linear = state_.RegionalMode == RegionalKind::Linear;
    for (QWidget* w : std::initializer_list<QWidget*>{constant_, constantspin1_, incr1_, SpinButton2_,
                                                      findChild<QLabel*>(QStringLiteral("incr1caption"))})
        w->setVisible(constant);
    for (QWidget* w : std::initializer_list<QWidget*>{mplus_, mminus_, cplus_, cminus_, incr2_,
                                                      SpinButton3_, LinearValue_})
        w->setVisible(linear);
}

void Tregbuild::checkMode()
{
    const QSignalBlocker block(regtype_);
    kinds_[static_cast<int>(state_.RegionalMode)]->setChecked(true);
}

void Tregbuild::regtypeClick(int index)
{
    switch (index) {
    case 0:
        if (readConstant()) {
            state_.RegionalM = 0;
            state_.RegionalMode = RegionalKind::Constant;
        }
        break;
    case 1: {
        Result<LineFit> fit = fail("");
        {
            BusyCursor busy(platform_);
            fit = fitRegionalLine(ws_.model);
        }
        if (!fit) {
            platform_.error(QString::fromStdString(fit.message()));
            break;
        }
        state_.RegionalMode = RegionalKind::Linear;
        state_.RegionalM = fit->M;
        state_.RegionalC = fit->C;
        showLinear(fit->Dev);
        break;
    }
    case 2:
        state_.RegionalMode = RegionalKind::Spline;
        break;
    default:
        break;
    }
    checkMode();
    showGroups();
    update();
}

void Tregbuild::showConstant()
{
    shownConstantValue_ = state_.RegionalC;
    shownConstant_ = q(fixed(state_.RegionalC, 10, 2));
    constant_->setText(shownConstant_);
    update();
}

void Tregbuild::showLinear(std::optional<double> dev)
{
    const Model& m = ws_.model;
    const double origin = m.NumStations > 0 ? m.StationX[1] : 0.0;
    const double span = m.NumStations > 0 ? m.StationX[m.NumStations] - origin : 0.0;
    LinearValue_->setText(q(linearText(state_.RegionalM, state_.RegionalC, dev, origin, span)));
    update();
}

bool Tregbuild::readConstant()
{
    // A constant the user typed is the one the spin and OK work on; the box
    // as the dialog wrote it shows C rounded, and then stands for the exact C.
    if (constant_->text() == shownConstant_) {
        state_.RegionalC = shownConstantValue_;
        return true;
    }
    if (auto c = parseNumber(constant_->text().toStdString())) {
        state_.RegionalC = *c;
        return true;
    }
    return false;
}

void Tregbuild::constantspin1Up()
{
    if (state_.RegionalMode != RegionalKind::Constant)
        return;
    readConstant();
    state_.RegionalC += state_.RegionalCStep;
    showConstant();
}

void Tregbuild::constantspin1Down()
{
    if (state_.RegionalMode != RegionalKind::Constant)
        return;
    readConstant();
    state_.RegionalC -= state_.RegionalCStep;
    showConstant();
}

void Tregbuild::SpinButton2Up()
{
    if (state_.RegionalMode != RegionalKind::Constant)
        return;
    state_.RegionalCStep *= 10;
    incr1_->setText(q(stepText(state_.RegionalCStep, 7)));
}

void Tregbuild::SpinButton2Down()
{
    if (state_.RegionalMode != RegionalKind::Constant)
        return;
    state_.RegionalCStep *= 0.1;
    incr1_->setText(q(stepText(state_.RegionalCStep, 7)));
}

void Tregbuild::mplusClick()
{
    if (state_.RegionalMode != RegionalKind::Linear)
        return;
    state_.RegionalM += state_.RegionalLinStep;
    showLinear();
}

void Tregbuild::mminusClick()
{
    if (state_.RegionalMode != RegionalKind::Linear)
        return;
    state_.RegionalM -= state_.RegionalLinStep;
    showLinear();
}

void Tregbuild::cplusClick()
{
    if (state_.RegionalMode != RegionalKind::Linear)
        return;
    state_.RegionalC += state_.RegionalLinStep;
    showLinear();
}

void Tregbuild::cminusClick()
{
    if (state_.RegionalMode != RegionalKind::Linear)
        return;
    state_.RegionalC -= state_.RegionalLinStep;
    showLinear();
}

void Tregbuild::SpinButton3Up()
{
    if (state_.RegionalMode != RegionalKind::Linear)
        return;
    state_.RegionalLinStep *= 10;
    incr2_->setText(q(stepText(state_.RegionalLinStep, 6)));
}

void Tregbuild::SpinButton3Down()
{
    if (state_.RegionalMode != RegionalKind::Linear)
        return;
    state_.RegionalLinStep *= 0.1;
    incr2_->setText(q(stepText(state_.RegionalLinStep, 6)));
}

void Tregbuild::FormMouseDown(Qt::MouseButton button, const QPoint& pos)
{
    (void)button;
    if (state_.RegionalMode != RegionalKind::Spline)
        return;
    const PlotArea a = plotArea();
    const int j = knotAt(a, pos.x(), pos.y());
    if (j == 0)
        return;
    state_.KnotRow[static_cast<std::size_t>(j - 1)] = pos.y();
    knotsToModel(state_, a, ws_.model, axisMin_, axisMax_);
    update();
}

void Tregbuild::mousePressEvent(QMouseEvent* e)
{
    FormMouseDown(e->button(), e->position().toPoint());
    QDialog::mousePressEvent(e);
}

void Tregbuild::BitBtn2Click()
{
    if (state_.RegionalMode == RegionalKind::Constant)
        readConstant();
    if (state_.RegionalMode == RegionalKind::Spline)
        knotsToModel(state_, plotArea(), ws_.model, axisMin_, axisMax_);
    subtractRegional(ws_.model, state_);
    ws_.extras.RegionalRemoved = regionalRecord(state_);
    accept();
}

void Tregbuild::paintEvent(QPaintEvent* e)
{
    QDialog::paintEvent(e);
    const PlotArea a = plotArea();
    const Model& m = ws_.model;
    const double gMin = axisMin_;
    const double gMax = axisMax_;
    const double gRange = gMax > gMin ? gMax - gMin : 1.0;
    const double x1 = m.StationX[1];
    const double span = m.StationX[m.NumStations] - x1;
    const double w = a.width() > 0 ? a.width() : 1.0;
    const double h = a.bottom > a.top ? a.bottom - a.top : 1.0;
    auto col = [&](double x) { return a.left + (span != 0 ? (x - x1) / span * w : 0.0); };
    auto row = [&](double g) { return a.top + (gMax - g) / gRange * h; };

    QPainter p(this);
    const QRect frame(a.left, a.top, a.width(), a.bottom - a.top);
    p.fillRect(frame, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(frame);

    // Gravity axis: the extremes and zero when it lies in the range.
    QFont f = p.font();
    f.setPointSize(8);
    p.setFont(f);
    p.drawText(QRect(2, (a.top + a.bottom) / 2 - 6, 40, 12), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("mG"));
    auto tick = [&](double g) {
        const int y = static_cast<int>(std::lround(row(g)));
        p.drawLine(a.left - 4, y, a.left, y);
        p.drawText(QRect(0, y - 7, a.left - 6, 14), Qt::AlignRight | Qt::AlignVCenter,
                   q(fixed(g, 0, 1)));
    };
    tick(gMin);
    tick(gMax);
    if (gMin < 0 && gMax > 0)
        tick(0.0);
    // Distance axis along the bottom, labelled at the profile ends.
    const QRect labels(a.left, a.bottom + 1, a.width(), 13);
    p.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, q(fixed(x1, 0, 1)));
    p.drawText(labels, Qt::AlignRight | Qt::AlignVCenter, q(fixed(m.StationX[m.NumStations], 0, 1)));
    p.drawText(labels, Qt::AlignCenter, QStringLiteral("Distance"));

    p.setClipRect(frame.adjusted(1, 1, 0, 0));
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath observed;
    for (int i = 1; i <= m.NumStations; ++i) {
        const QPointF pt(col(m.StationX[i]), row(m.ObservedGravity[i]));
        if (i == 1)
            observed.moveTo(pt);
        else
            observed.lineTo(pt);
    }
    p.setPen(QPen(Qt::black, 1));
    p.drawPath(observed);

    // The regional as it would be removed, one point per pixel column.
    QPainterPath regional;
    for (int c = a.left; c <= a.right; ++c) {
        const double x = x1 + (c - a.left) / w * span;
        const QPointF pt(c, row(regionalAt(state_, m, x)));
        if (c == a.left)
            regional.moveTo(pt);
        else
            regional.lineTo(pt);
    }
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawPath(regional);

    if (state_.RegionalMode == RegionalKind::Spline) {
        p.setPen(QPen(QColor(0, 0, 200), 3, Qt::SolidLine, Qt::RoundCap));
        for (int j = 1; j <= NumKnots; ++j)
            p.drawPoint(knotColumn(a, j), state_.KnotRow[static_cast<std::size_t>(j - 1)]);
    }
}

}  // namespace corvane
