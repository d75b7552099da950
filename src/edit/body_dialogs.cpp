#include "edit/body_dialogs.h"

#include "display/dialog_widgets.h"
#include "edit/body_ops.h"
#include "edit/spin_arrows.h"
#include "model/text.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace corvane {

namespace {

SpinArrows* namedArrows(QWidget* parent, const char* name)
{
    auto* s = new SpinArrows(parent);
    s->setObjectName(QString::fromLatin1(name));
    return s;
}

QHBoxLayout* boxWithArrows(QLineEdit* box, SpinArrows* arrows)
{
    auto* row = new QHBoxLayout;
    row->addWidget(box);
    row->addWidget(arrows);
    return row;
}

std::optional<double> number(const QLineEdit* box) { return numberIn(box); }

}  // namespace

QString stepText(double step) { return QString::fromStdString(fixed(step, 10, 3)); }

// ---- TMoveBody ---------------------------------------------------------

TMoveBody::TMoveBody(Workspace& ws, Platform& platform, QWidget* parent)
    : QDialog(parent), ws_(ws), platform_(platform)
{
    setObjectName(QStringLiteral("TMoveBody"));
    setWindowTitle(QStringLiteral("Move a Body"));
    dx = namedBox(this, "dx");
    dy = namedBox(this, "dy");
    xchange = namedArrows(this, "xchange");
    ychange = namedArrows(this, "ychange");
    graphic = new QCheckBox(QStringLiteral("Set distance graphically"), this);
    graphic->setObjectName(QStringLiteral("graphic"));
    auto* buttons = new QDialogButtonBox(this);
    OKBtn = addNamedButton(buttons, QStringLiteral("OK"), QDialogButtonBox::AcceptRole, "OKBtn");
    OKBtn->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(xchange, &SpinArrows::up, this, &TMoveBody::xchangeUpClick);
    connect(xchange, &SpinArrows::down, this, &TMoveBody::xchangeDownClick);
    connect(ychange, &SpinArrows::up, this, &TMoveBody::ychangeUpClick);
    connect(ychange, &SpinArrows::down, this, &TMoveBody::ychangeDownClick);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Horizontal displacement"), boxWithArrows(dx, xchange));
    form->addRow(QStringLiteral("Vertical displacement"), boxWithArrows(dy, ychange));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(graphic);
    layout->addWidget(buttons);
}

bool TMoveBody::FormActivate()
{
    const Model& m = ws_.model;
    if (m.CurrentBody < 1 || m.CurrentBody > m.NumBodies)
        return false;
    if (m.Bodies[m.CurrentBody].Hidden) {
        platform_.error(UnhideFirstText);
        return false;
    }
    dx->setText(stepText(defaultStepX(m)));
    dy->setText(stepText(defaultStepZ(ws_.display)));
    graphic->setChecked(false);
    return true;
}

std::optional<double> TMoveBody::step(QLineEdit* box, double fallback)
{
    const std::optional<double> v = number(box);
    if (!v)
        box->setText(stepText(fallback));
    return v;
}

void TMoveBody::moveBy(double x, double z)
{
    const Model& m = ws_.model;
    if (m.CurrentBody < 1 || m.CurrentBody > m.NumBodies || m.Bodies[m.CurrentBody].Hidden)
        return;
    const QString note = depthShiftNote(moveCurrentBody(ws_.model, x, z));
    if (repaint)
        repaint();
    if (!note.isEmpty() && status)
        status(note);
}

void TMoveBody::xchangeUpClick()
{
    if (auto s = step(dx, defaultStepX(ws_.model)))
        moveBy(*s, 0);
}

void TMoveBody::xchangeDownClick()
{
    if (auto s = step(dx, defaultStepX(ws_.model)))
        moveBy(-*s, 0);
}

void TMoveBody::ychangeUpClick()   // towards the surface
{
    if (auto s = step(dy, defaultStepZ(ws_.display)))
        moveBy(0, -*s);
}

void TMoveBody::ychangeDownClick()
{
    if (auto s = step(dy, defaultStepZ(ws_.display)))
        moveBy(0, *s);
}

bool TMoveBody::dragWanted() const { return graphic->isChecked(); }

// ---- Tcopybody -----------------------------------------------------------

Tcopybody::Tcopybody(Workspace& ws, QWidget* parent) : QDialog(parent), ws_(ws)
{
    setObjectName(QStringLiteral("Tcopybody"));
    setWindowTitle(QStringLiteral("Copy a Body"));
    dx = namedBox(this, "dx");
    dy = namedBox(this, "dy");
    graphic = new QCheckBox(QStringLiteral("Set position graphically"), this);
    graphic->setObjectName(QStringLiteral("graphic"));
    auto* buttons = new QDialogButtonBox(this);
    OKBtn = addNamedButton(buttons, QStringLiteral("OK"), QDialogButtonBox::AcceptRole, "OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = addNamedButton(buttons, QStringLiteral("Cancel"), QDialogButtonBox::RejectRole, "CancelBtn");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        // A box that does not read as a number keeps the dialog open.
        if (dragWanted() || OKBtnClick() > 0)
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Horizontal displacement"), dx);
    form->addRow(QStringLiteral("Vertical displacement"), dy);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(graphic);
    layout->addWidget(buttons);
}

void Tcopybody::FormActivate()
{
    dx->setText(stepText(defaultStepX(ws_.model)));
    dy->setText(stepText(defaultStepZ(ws_.display)));
    graphic->setChecked(false);
    copied_ = 0;
}

int Tcopybody::OKBtnClick()
{
    copied_ = 0;
    const Model& m = ws_.model;
    if (dragWanted() || m.CurrentBody < 1 || m.CurrentBody > m.NumBodies)
        return 0;
    const auto x = number(dx), z = number(dy);
    if (!x || !z)
        return 0;
    copied_ = copyBodyTo(ws_.model, m.CurrentBody, *x, *z);
    return copied_;
}

bool Tcopybody::dragWanted() const { return graphic->isChecked(); }

// ---- TTurnBody -------------------------------------------------------------

TTurnBody::TTurnBody(Workspace& ws, QWidget* parent) : QDialog(parent), ws_(ws)
{
    setObjectName(QStringLiteral("TTurnBody"));
    setWindowTitle(QStringLiteral("Rotate a Body"));
    NoOfBody = new QLabel(this);
    NoOfBody->setObjectName(QStringLiteral("NoOfBody"));
    NoOfBody->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    NoOfBody->setAlignment(Qt::AlignCenter);
    angle = namedBox(this, "angle");
    turn = namedArrows(this, "turn");
    auto* buttons = new QDialogButtonBox(this);
    OKBtn = addNamedButton(buttons, QStringLiteral("OK"), QDialogButtonBox::AcceptRole, "OKBtn");
    OKBtn->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(turn, &SpinArrows::up, this, &TTurnBody::turnUpClick);
    connect(turn, &SpinArrows::down, this, &TTurnBody::turnDownClick);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Angle (degrees)"), boxWithArrows(angle, turn));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(NoOfBody);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void TTurnBody::FormActivate()
{
    const Model& m = ws_.model;
    if (m.CurrentBody < 1 || m.CurrentBody > m.NumBodies || m.Bodies[m.CurrentBody].Hidden)
        return;
    NoOfBody->setText(QStringLiteral("Body ") + QString::number(m.CurrentBody));
    angle->setText(QStringLiteral("10.0"));
}

void TTurnBody::turnBy(double sign)
{
    const Model& m = ws_.model;
    const std::optional<double> a = number(angle);
    if (!a) {
        angle->setText(QStringLiteral("10.0"));
        return;
    }
    if (m.CurrentBody < 1 || m.CurrentBody > m.NumBodies || m.Bodies[m.CurrentBody].Hidden)
        return;
    turnCurrentBody(ws_.model, sign * std::fabs(*a));
    if (repaint)
        repaint();
}

void TTurnBody::turnUpClick() { turnBy(-1); }
void TTurnBody::turnDownClick() { turnBy(+1); }

// ---- TDistUnits ------------------------------------------------------------

TDistUnits::TDistUnits(Workspace& ws, QWidget* parent) : QDialog(parent), ws_(ws)
{
    setObjectName(QStringLiteral("TDistUnits"));
    setWindowTitle(QStringLiteral("Units of Distance"));
    unitstype = new QGroupBox(QStringLiteral("Units"), this);
    unitstype->setObjectName(QStringLiteral("unitstype"));
    km = new QRadioButton(QStringLiteral("Km"), unitstype);
    km->setObjectName(QStringLiteral("Km"));
    metres = new QRadioButton(QStringLiteral("m"), unitstype);
    metres->setObjectName(QStringLiteral("m"));
    auto* columns = new QGridLayout(unitstype);
    columns->addWidget(km, 0, 0);
    columns->addWidget(metres, 0, 1);
    auto* buttons = new QDialogButtonBox(this);
    OKBtn = addNamedButton(buttons, QStringLiteral("OK"), QDialogButtonBox::AcceptRole, "OKBtn");
    OKBtn->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(unitstype);
    layout->addWidget(buttons);
}

void TDistUnits::FormActivate()
{
    (ws_.model.UnitsKm ? km : metres)->setChecked(true);
}

void TDistUnits::FormDeactivate()
{
    changeUnits(ws_.model, km->isChecked());
    if (repaint)
        repaint();
}

}  // namespace corvane
