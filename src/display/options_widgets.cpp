#include "display/options_widgets.h"

#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

SpinButton::SpinButton(const QString& name, QWidget* parent, int arrowWidth, bool repeating)
    : QWidget(parent)
{
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setObjectName(QStringLiteral("up"));
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setObjectName(QStringLiteral("down"));
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(repeating);
        b->setFixedSize(arrowWidth, 12);
        layout->addWidget(b);
    }
    connect(up_, &QToolButton::clicked, this, &SpinButton::up);
    connect(down_, &QToolButton::clicked, this, &SpinButton::down);
}

void SpinButton::clickUp()
{
    up_->click();
}

void SpinButton::clickDown()
{
    down_->click();
}

ColourSwatch::ColourSwatch(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    setFixedSize(40, 20);
}

void ColourSwatch::setColour(const QColor& c)
{
    colour_ = c;
    filled_ = true;
    update();
}

void ColourSwatch::clearColour()
{
    filled_ = false;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::black);
    p.setBrush(filled_ ? QBrush(colour_) : QBrush(palette().window()));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace corvane
