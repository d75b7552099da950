#include "inversion/tbodyinvert.h"

#include "inversion/least_squares.h"
#include "inversion/texts.h"
#include "model/text.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

QLineEdit* makeBox(QWidget* parent, const char* name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFixedWidth(80);
    return box;
}

void showBound(QLineEdit* box, double v, int w, int d)
{
    box->setText(QString::fromStdString(fixed(v, w, d)));
}

void store(const QLineEdit* box, double& bound)
{
    if (const auto v = parseNumber(box->text().toStdString()))
        bound = *v;
}

}  // namespace

Tbodyinvert::Tbodyinvert(Workspace& ws, Platform& platform, QWidget* parent)
    : QDialog(parent), ws_(ws), platform_(platform)
{
    setObjectName(QStringLiteral("Tbodyinvert"));
    setWindowTitle(QStringLiteral("Body Parameter Inversion"));
    QFont f(QStringLiteral("Sans Serif"), 8);
    f.setBold(true);
    setFont(f);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto makeCheck = [panel](const char* name, const char* caption) {
        auto* c = new QCheckBox(QString::fromLatin1(caption), panel);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    xpos_ = makeCheck("xpos", "Invert horizontal position");
    depth_ = makeCheck("depth", "Invert depth");
    rotate_ = makeCheck("rotate", "Invert body angle");
    density_ = makeCheck("density", "Invert density contrast");
    xmin_ = makeBox(this, "xmin");
    xmax_ = makeBox(this, "xmax");
    Depthmin_ = makeBox(this, "Depthmin");
    depthmax_ = makeBox(this, "depthmax");
    anglemin_ = makeBox(this, "anglemin");
    anglemax_ = makeBox(this, "anglemax");
    densmin_ = makeBox(this, "densmin");
    densmax_ = makeBox(this, "densmax");

    auto* panelLayout = new QVBoxLayout(panel);
    for (QCheckBox* c : {xpos_, depth_, rotate_, density_})
        panelLayout->addWidget(c);

    noofbody_ = new QLabel(this);
    noofbody_->setObjectName(QStringLiteral("noofbody"));
    noofbody_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    OKBtn_ = new QPushButton(QStringLiteral("OK"), this);
    OKBtn_->setObjectName(QStringLiteral("OKBtn"));
    OKBtn_->setDefault(true);
    connect(OKBtn_, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(noofbody_, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Minimum"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Maximum "), this), 0, 2);
    grid->addWidget(panel, 1, 0, 4, 1);
    QLineEdit* bounds[4][2] = {
        {xmin_, xmax_}, {Depthmin_, depthmax_}, {anglemin_, anglemax_}, {densmin_, densmax_}};
    for (int r = 0; r < 4; ++r) {
        grid->addWidget(bounds[r][0], r + 1, 1);
        grid->addWidget(bounds[r][1], r + 1, 2);
    }
    grid->addWidget(OKBtn_, 5, 1, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void Tbodyinvert::FormActivate()
{
    Model& m = ws_.model;
    if (m.CurrentBody < 1 || m.CurrentBody > m.NumBodies)
        m.CurrentBody = 1;
    const Tbody& body = m.Bodies[m.CurrentBody];
    noofbody_->setText(QStringLiteral(" Body ") + QString::number(m.CurrentBody));
    density_->setChecked(body.InvertDensity);
    xpos_->setChecked(body.InvertXPos);
    depth_->setChecked(body.InvertDepth);
    rotate_->setChecked(body.InvertAngle);
    showBound(xmin_, body.XPosMin, 8, 2);
    showBound(xmax_, body.XPosMax, 8, 2);
    showBound(Depthmin_, body.DepthMin, 8, 2);
    showBound(depthmax_, body.DepthMax, 8, 2);
    showBound(anglemin_, body.AngleMin, 7, 1);
    showBound(anglemax_, body.AngleMax, 7, 1);
    showBound(densmin_, body.DensMin, 7, 5);
    showBound(densmax_, body.DensMax, 7, 5);
}

bool Tbodyinvert::FormDeactivate()
{
    Model& m = ws_.model;
    Tbody& body = m.Bodies[m.CurrentBody];
    const int bodyWide = density_->isChecked() + xpos_->isChecked() + depth_->isChecked() +
                         rotate_->isChecked();
    const int corners = countUnknowns(body) - body.InvertDensity - body.InvertXPos -
                        body.InvertDepth - body.InvertAngle;
    if (bodyWide + corners > MaxUnknowns) {
        platform_.error(texts::TooManyUnknowns);
        return false;
    }
    ws_.inversion.InversionBody = m.CurrentBody;
    body.InvertDensity = density_->isChecked();
    if (body.InvertDensity) {
        store(densmin_, body.DensMin);
        store(densmax_, body.DensMax);
    }
    body.InvertXPos = xpos_->isChecked();
    if (body.InvertXPos) {
        store(xmin_, body.XPosMin);
        store(xmax_, body.XPosMax);
    }
    body.InvertDepth = depth_->isChecked();
    if (body.InvertDepth) {
        store(Depthmin_, body.DepthMin);
        store(depthmax_, body.DepthMax);
    }
    body.InvertAngle = rotate_->isChecked();
    if (body.InvertAngle) {
        store(anglemin_, body.AngleMin);
        store(anglemax_, body.AngleMax);
    }
    return true;
}

void Tbodyinvert::done(int result)
{
    if (!FormDeactivate())
        return;
    QDialog::done(result);
}

}  // namespace corvane
