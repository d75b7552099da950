#include "regional_ui/tabstractdata.h"

#include "model/text.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace corvane {

namespace {

constexpr int DialogWidth = 520;
constexpr int DialogHeight = 400;

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

}  // namespace

TabstractData::TabstractData(Workspace& ws, QWidget* parent) : QDialog(parent), ws_(ws)
{
    setObjectName(QStringLiteral("TabstractData"));
    setWindowTitle(QStringLiteral("Select the Portion of the Data to be Retained"));
    setModal(true);
    // The cut lines are kept in pixels of this plot, so its size is fixed.
    setFixedSize(DialogWidth, DialogHeight);

    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    leftlabel_ = new QLabel(this);
    leftlabel_->setObjectName(QStringLiteral("leftlabel"));
    leftlabel_->setGeometry(48, DialogHeight - 76, 200, 20);
    leftlabel_->setFont(mono);
    rightlabel_ = new QLabel(this);
    rightlabel_->setObjectName(QStringLiteral("rightlabel"));
    rightlabel_->setGeometry(DialogWidth - 230, DialogHeight - 76, 200, 20);
    rightlabel_->setFont(mono);
    auto* hint = new QLabel(QStringLiteral("Left button: left cut line.  Right button: right cut line."), this);
    hint->setGeometry(48, DialogHeight - 54, DialogWidth - 56, 16);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setGeometry(DialogWidth - 184, DialogHeight - 34, 84, 28);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(DialogWidth - 92, DialogHeight - 34, 84, 28);
    connect(ok, &QPushButton::clicked, this, &TabstractData::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TabstractData::showEvent(QShowEvent* e)
{
    FormActivate();
    QDialog::showEvent(e);
}

void TabstractData::FormActivate()
{
    const Model& m = ws_.model;
    resetCutLines(state_, m, plot());
    smallest_ = largest_ = m.ObservedGravity[1];
    for (int i = 1; i <= m.NumStations; ++i) {
        smallest_ = std::min(smallest_, m.ObservedGravity[i]);
        largest_ = std::max(largest_, m.ObservedGravity[i]);
    }
    rightlabel_->setText(q(openingRightLabel(state_.RightCut)));
    leftlabel_->setText(q(openingLeftLabel(state_.LeftCut)));
    update();
}

void TabstractData::FormMouseDown(Qt::MouseButton button, const QPoint& pos)
{
    const AbstractPlot p = plot();
    if (!pressMovesLine(p, pos.x(), pos.y()))
        return;
    if (button == Qt::LeftButton) {
        placeLeftLine(state_, ws_.model, p, pos.x());
        leftlabel_->setText(q(leftLabel(state_.LeftCut)));
    } else {
        placeRightLine(state_, ws_.model, p, pos.x());
        rightlabel_->setText(q(rightLabel(state_.RightCut)));
    }
    update();
}

void TabstractData::mousePressEvent(QMouseEvent* e)
{
    FormMouseDown(e->button(), e->position().toPoint());
    QDialog::mousePressEvent(e);
}

void TabstractData::OKBtnClick()
{
    cutProfile(ws_.model, ws_.display, state_.LeftCut, state_.RightCut);
    accept();
}

void TabstractData::paintEvent(QPaintEvent* e)
{
    QDialog::paintEvent(e);
    const AbstractPlot p = plot();
    const Model& m = ws_.model;
    const int bottom = p.bottom();
    QPainter painter(this);
    const QRect frame(QPoint(AbstractPlot::FrameLeft, AbstractPlot::FrameTop),
                      QPoint(p.frameRight(), bottom));
    painter.fillRect(frame, Qt::white);
    painter.setPen(Qt::black);

    QFont f = painter.font();
    f.setPointSize(8);
    painter.setFont(f);
    // Gravity axis at the left of the data, labelled with the extremes.
    const int axisX = AbstractPlot::DataLeft;
    painter.drawLine(axisX, bottom, axisX, AbstractPlot::FrameTop);
    painter.drawText(QRect(AbstractPlot::FrameLeft, (AbstractPlot::FrameTop + bottom) / 2 - 6, 36, 12),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("mG"));
    for (double g : {smallest_, largest_}) {
        const int y = plotRow(p, g, smallest_, largest_);
        painter.drawLine(axisX - 4, y, axisX, y);
        const int ty = std::clamp(y, AbstractPlot::FrameTop + 6, bottom - 6);
        painter.drawText(QRect(AbstractPlot::FrameLeft, ty - 6, 36, 12), Qt::AlignRight | Qt::AlignVCenter,
                         q(fixed(g, 0, 1)));
    }
    // Distance axis: above the bottom for data that are all 0 or more.
    const int axisY = smallest_ >= 0 ? bottom - 35 : bottom;
    painter.drawLine(axisX, axisY, p.frameRight(), axisY);
    painter.drawText(QRect(axisX, axisY + 2, p.dataWidth(), 14), Qt::AlignCenter,
                     QStringLiteral("Distance"));
    const int labelY = std::min(axisY + 3, bottom - 14);
    painter.drawText(QRect(axisX + 2, labelY, 80, 12), Qt::AlignLeft | Qt::AlignVCenter,
                     q(fixed(m.StationX[1], 0, 1)));
    painter.drawText(QRect(p.frameRight() - 82, labelY, 80, 12), Qt::AlignRight | Qt::AlignVCenter,
                     q(fixed(m.StationX[m.NumStations], 0, 1)));

    // The observed data, then the two cut lines.
    QPolygon line;
    for (int i = 1; i <= m.NumStations; ++i)
        line << QPoint(plotColumn(m, p, m.StationX[i]),
                       plotRow(p, m.ObservedGravity[i], smallest_, largest_));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawPolyline(line);
    painter.setPen(QPen(QColor(200, 0, 0), 1));
    for (int c : {state_.LeftColumn, state_.RightColumn})
        painter.drawLine(c, bottom, c, AbstractPlot::FrameTop);
}

}  // namespace corvane
