#include "edit/num_add.h"

#include "display/dialog_widgets.h"
#include "edit/add_body.h"
#include "edit/spin_arrows.h"
#include "model/bounds.h"
#include "model/ground.h"
#include "model/text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

QString format(double v, int w, int d)
{
    return QString::fromStdString(fixed(v, w, d));
}

std::optional<double> number(const QLineEdit* box) { return numberIn(box); }

constexpr int MinKeyedCorners = 3;
constexpr int MaxKeyedCorners = MaxCorners - 1;

}  // namespace

std::optional<int> parseWholeNumber(const QString& text)
{
    const auto v = parseNumber(text.toStdString());
    if (!v || *v != std::trunc(*v) || std::abs(*v) > 1.0e9)
        return std::nullopt;
    return static_cast<int>(*v);
}

TNumAdd::TNumAdd(Workspace& ws, QWidget* parent) : QDialog(parent), ws_(ws)
{
    setObjectName(QStringLiteral("TNumAdd"));
    setWindowTitle(QStringLiteral("Add a Body Numerically"));
    auto box = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    bodynumber = new QLabel(this);
    bodynumber->setObjectName(QStringLiteral("bodynumber"));
    bodynumber->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bodynumber->setAlignment(Qt::AlignCenter);
    noofcorners = box("noofcorners");
    density = box("density");
    strike1 = box("strike1");
    strike2 = box("strike2");
    cornerno = new QLabel(this);
    cornerno->setObjectName(QStringLiteral("cornerno"));
    cornerchange = new SpinArrows(this);
    cornerchange->setObjectName(QStringLiteral("cornerchange"));
    xpos = box("xpos");
    depth = box("depth");

    auto* buttons = new QDialogButtonBox(this);
    OKBtn = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    // The caller adds the body (OKBtnClick) once the dialog is accepted.
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cornerchange, &SpinArrows::up, this, &TNumAdd::cornerchangeUpClick);
    connect(cornerchange, &SpinArrows::down, this, &TNumAdd::cornerchangeDownClick);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("No. of corners"), noofcorners);
    form->addRow(QStringLiteral("Density contrast"), density);
    form->addRow(QStringLiteral("Strike length 1"), strike1);
    form->addRow(QStringLiteral("Strike length 2"), strike2);
    auto* cornerRow = new QHBoxLayout;
    cornerRow->addWidget(cornerno);
    cornerRow->addWidget(cornerchange);
    cornerRow->addStretch();
    auto* cornerForm = new QFormLayout;
    cornerForm->addRow(QStringLiteral("Position on profile (X)"), xpos);
    cornerForm->addRow(QStringLiteral("Depth (Y)"), depth);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bodynumber);
    layout->addLayout(form);
    layout->addLayout(cornerRow);
    layout->addLayout(cornerForm);
    layout->addWidget(buttons);
}

void TNumAdd::FormActivate()
{
    b_ = ws_.model.NumBodies + 1;
    if (b_ > MaxBodies)
        return;   // no free slot: the menu item is disabled at this count
    k_ = 1;
    m_ = 4;
    bodynumber->setText(QStringLiteral(" Body ") + QString::number(b_));
    noofcorners->setText(QStringLiteral("4"));
    density->setText(QStringLiteral("0.1"));
    cornerno->setText(QStringLiteral("Corner 1"));
    strike1->setText(hundredKmText(ws_.model.UnitsKm));
    strike2->setText(hundredKmText(ws_.model.UnitsKm));
    xpos->setText(format(ws_.model.StationX[1], 8, 1));
    depth->setText(format(ws_.display.ViewDepthMin, 8, 1));
}

void TNumAdd::storeCornerOnShow(double depthFloor)
{
    Tbody& body = ws_.model.Bodies[b_];
    if (const auto x = number(xpos))
        body.CornerX[k_] = *x;
    // At or above the surface (the ground, where stations stand off the
    // datum) the corner goes just below it.
    if (const auto z = number(depth)) {
        const double surface = Ground(ws_.model).depthAt(body.CornerX[k_]);
        body.CornerZ[k_] = *z <= surface ? surface + depthFloor : *z;
    }
}

void TNumAdd::readCornerCount()
{
    const auto m = parseWholeNumber(noofcorners->text());
    if (!m)
        return;
    m_ = *m;
    if (m_ < MinKeyedCorners) {
        m_ = MinKeyedCorners;
        noofcorners->setText(QStringLiteral("3"));
    } else if (m_ > MaxKeyedCorners) {
        m_ = MaxKeyedCorners;
        noofcorners->setText(QStringLiteral("50"));
    }
}

void TNumAdd::showCorner()
{
    const Tbody& body = ws_.model.Bodies[b_];
    cornerno->setText(QStringLiteral("Corner ") + QString::number(k_));
    xpos->setText(format(body.CornerX[k_], 8, 2));
    depth->setText(format(body.CornerZ[k_], 8, 2));
}

void TNumAdd::cornerchangeUpClick()
{
    if (b_ < 1 || b_ > MaxBodies)
        return;
    storeCornerOnShow(0.0001);
    readCornerCount();
    ++k_;
    if (k_ > m_ || k_ == MaxCorners)
        k_ = 1;
    showCorner();
}

void TNumAdd::cornerchangeDownClick()
{
    if (b_ < 1 || b_ > MaxBodies)
        return;
    storeCornerOnShow(0.0001);
    readCornerCount();
    --k_;
    if (k_ < 1)
        k_ = m_;
    showCorner();
}

bool TNumAdd::OKBtnClick()
{
    Model& m = ws_.model;
    if (b_ < 1 || b_ > MaxBodies || m.NumBodies >= MaxBodies)
        return false;
    m.NumBodies = b_;
    if (const auto count = parseWholeNumber(noofcorners->text()))
        m_ = *count;
    m_ = std::clamp(m_, MinKeyedCorners, MaxKeyedCorners);
    storeCornerOnShow(0.00001);

    Tbody& body = m.Bodies[b_];
    const NewBodyValues v = readNewBodyValues(density->text(), strike1->text(), strike2->text(),
                                              m.UnitsKm);
    body.Density = v.density;
    body.StrikeLength1 = v.strike1;
    body.StrikeLength2 = v.strike2;
    // A slot left by a deleted body may still be hidden or carry links; the
    // new body starts visible and unlinked.
    body.Hidden = false;
    clearLinksAndFlags(body);
    resetInversionBounds(body);
    body.NumCorners = m_ + 1;
    body.CornerX[m_ + 1] = body.CornerX[1];
    body.CornerZ[m_ + 1] = body.CornerZ[1];
    m.CalculateBody(b_);
    return true;
}

std::vector<std::pair<QString, bool>> TNumAdd::menuChanges() const
{
    return addedBodyMenuChanges(ws_.model);
}

}  // namespace corvane
