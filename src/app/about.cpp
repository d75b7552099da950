#include "app/about.h"
#include "version.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

// A small picture of what the program does: an anomaly over a dense body.
QPixmap aboutPicture()
{
    QPixmap pm(96, 96);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(0, 0, 95, 95);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(4, 48, 92, 48);
    QPainterPath curve;
    for (int x = 6; x <= 90; ++x) {
        const double t = (x - 48) / 14.0;
        const double y = 44 - 32 / (1 + t * t);
        if (x == 6)
            curve.moveTo(x, y);
        else
            curve.lineTo(x, y);
    }
    p.setPen(QPen(Qt::black, 1.5));
    p.drawPath(curve);
    p.setPen(QPen(QColor(0, 150, 0), 1.5, Qt::DotLine));
    p.drawLine(8, 41, 88, 41);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(220, 60, 40));
    const QPoint body[] = {{36, 60}, {62, 58}, {58, 80}, {40, 82}};
    p.drawPolygon(body, 4);
    return pm;
}

}  // namespace

TCorvaneAbout::TCorvaneAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TCorvaneAbout"));
    setWindowTitle(QStringLiteral("About Corvane"));
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("ProgramIcon"));
    picture->setPixmap(aboutPicture());

    auto* name = new QLabel(QStringLiteral("Corvane ") + QLatin1String(CorvaneVersion), this);
    name->setObjectName(QStringLiteral("ProductName"));
    QFont big = name->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    name->setFont(big);
    auto* platform = new QLabel(QStringLiteral("for Microsoft Windows"), this);
    platform->setObjectName(QStringLiteral("Version"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addStretch();
    texts->addWidget(name);
    texts->addWidget(platform);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(texts);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

}  // namespace corvane
