#include "edit/spin_arrows.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

SpinArrows::SpinArrows(QWidget* parent) : QWidget(parent)
{
    up_ = new QToolButton(this);
    up_->setObjectName(QStringLiteral("up"));
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setObjectName(QStringLiteral("down"));
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFixedSize(20, 12);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up_);
    layout->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, &SpinArrows::up);
    connect(down_, &QToolButton::clicked, this, &SpinArrows::down);
}

}  // namespace corvane
