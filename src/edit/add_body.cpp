#include "edit/add_body.h"

#include "display/view.h"
#include "edit/picking.h"
#include "model/bounds.h"
#include "model/density_law.h"
#include "model/magnetic_data.h"
#include "model/text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPen>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

namespace {

double numberOr(const QString& text, double fallback)
{
    const auto v = parseNumber(text.toStdString());
    return v ? *v : fallback;
}

}  // namespace

double hundredKm(bool unitsKm) { return unitsKm ? 100.0 : 100000.0; }

QString hundredKmText(bool unitsKm)
{
    return unitsKm ? QStringLiteral("100.0") : QStringLiteral("100000.0");
}

QString unitDefaultAfterSwitch(const QString& text, bool unitsKm)
{
    return text == hundredKmText(!unitsKm) ? hundredKmText(unitsKm) : text;
}

NewBodyValues readNewBodyValues(const QString& density, const QString& strike1,
                                const QString& strike2, bool unitsKm)
{
    NewBodyValues v;
    v.density = numberOr(density, 0.1);
    v.strike1 = numberOr(strike1, hundredKm(unitsKm));
    v.strike2 = numberOr(strike2, hundredKm(unitsKm));
    return v;
}

Taddbody::Taddbody(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Taddbody"));
    setWindowTitle(QStringLiteral("Add a Body to the Model"));
    noofbody = new QLabel(this);
    noofbody->setObjectName(QStringLiteral("noofbody"));
    noofbody->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    noofbody->setAlignment(Qt::AlignCenter);
    density = new QLineEdit(this);
    density->setObjectName(QStringLiteral("density"));
    Strike1 = new QLineEdit(this);
    Strike1->setObjectName(QStringLiteral("Strike1"));
    Strike2 = new QLineEdit(this);
    Strike2->setObjectName(QStringLiteral("Strike2"));

    auto* buttons = new QDialogButtonBox(this);
    OKBtn = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Density contrast"), density);
    form->addRow(QStringLiteral("Strike length 1"), Strike1);
    form->addRow(QStringLiteral("Strike length 2"), Strike2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noofbody);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void Taddbody::FormActivate(const Model& m)
{
    noofbody->setText(QStringLiteral("Body ") + QString::number(m.NumBodies + 1));
    unitsKm_ = m.UnitsKm;
    Strike1->setText(hundredKmText(unitsKm_));
    Strike2->setText(hundredKmText(unitsKm_));
    density->setText(QStringLiteral("0.1"));
}

NewBodyValues Taddbody::values() const
{
    return readNewBodyValues(density->text(), Strike1->text(), Strike2->text(), unitsKm_);
}

std::vector<std::pair<QString, bool>> addedBodyMenuChanges(const Model& m)
{
    std::vector<std::pair<QString, bool>> changes = {
        {QStringLiteral("Linkabody1"), true},
        {QStringLiteral("UnlinkaBody1"), true},
        {QStringLiteral("Deleteabody1"), true},
        {QStringLiteral("Hideabody1"), true},
        {QStringLiteral("Displayindividual1"), true},
    };
    if (m.NumBodies >= MaxBodies) {
        changes.emplace_back(QStringLiteral("Addabody1"), false);
        changes.emplace_back(QStringLiteral("KeyinaBody1"), false);
        changes.emplace_back(QStringLiteral("Copyabody1"), false);
    }
    return changes;
}

void clearLinksAndFlags(Tbody& body)
{
    clearMagnetisation(body);
    clearDensityLaw(body);
    body.InvertDensity = body.InvertXPos = body.InvertDepth = body.InvertAngle = false;
    for (int k = 1; k <= MaxCorners; ++k) {
        body.clearLink(k);
        body.CornerInvertX[k] = false;
        body.CornerInvertZ[k] = false;
    }
}

int beginNewBody(Model& m, const NewBodyValues& v)
{
    m.NumBodies = std::clamp(m.NumBodies + 1, 1, MaxBodies);
    const int b = m.NumBodies;
    Tbody& body = m.Bodies[b];
    body.Density = v.density;
    body.StrikeLength1 = v.strike1;
    body.StrikeLength2 = v.strike2;
    body.Hidden = false;
    clearLinksAndFlags(body);
    resetInversionBounds(body);   // none carried over from a deleted body
    return b;
}

void finishNewBody(Workspace& ws, int b)
{
    ws.model.CurrentBody = b;
    ws.inversion.InversionBody = b;
    ws.model.CalculateBody(b);
}

DrawBody::DrawBody(Workspace& ws, int body, std::function<QRect()> client,
                   std::function<void(int)> onClosed)
    : ws_(ws), body_(std::clamp(body, 1, MaxBodies)), client_(std::move(client)),
      onClosed_(std::move(onClosed))
{
}

void DrawBody::press(const MouseEvent& e)
{
    if (done_ || !e.inModelPanel)
        return;   // presses outside the model panel are ignored
    if (e.button != Qt::LeftButton && e.button != Qt::RightButton)
        return;
    const int k = stored_ + 1;
    // Until the body has two distinct corners the right button adds a corner
    // too; the 51st press closes the body whatever the button.
    const bool closing = k >= MaxCorners || (e.button == Qt::RightButton && hasTwoDistinctCorners());
    if (closing) {
        close();
        return;
    }
    const QPointF p = cornerPlace(ws_.model, ws_.display, e.model);
    Tbody& body = ws_.model.Bodies[body_];
    body.CornerX[k] = p.x();
    body.CornerZ[k] = p.y();
    body.NumCorners = k;
    stored_ = k;
}

bool DrawBody::hasTwoDistinctCorners() const
{
    const Tbody& body = ws_.model.Bodies[body_];
    for (int k = 2; k <= stored_; ++k)
        if (body.CornerX[k] != body.CornerX[1] || body.CornerZ[k] != body.CornerZ[1])
            return true;
    return false;
}

void DrawBody::close()
{
    const bool kept = hasTwoDistinctCorners();
    if (kept) {
        Tbody& body = ws_.model.Bodies[body_];
        const int n = stored_ + 1;
        body.NumCorners = n;
        body.CornerX[n] = body.CornerX[1];
        body.CornerZ[n] = body.CornerZ[1];
    }
    done_ = true;
    if (onClosed_)
        onClosed_(kept ? stored_ : 0);
}

void DrawBody::cancel()
{
    if (!done_)
        close();
}

void DrawBody::paintOverlay(QPainter& painter)
{
    if (done_ || stored_ == 0 || !client_)
        return;
    const ViewLayout L = viewLayout(client_(), ws_.display);
    const Tbody& body = ws_.model.Bodies[body_];
    QPolygon line;
    for (int k = 1; k <= stored_; ++k)
        line << SectionToScreen(L, ws_.display, body.CornerX[k], body.CornerZ[k]);
    painter.save();
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);
    if (stored_ == 1)
        painter.drawPoint(line[0]);
    else
        painter.drawPolyline(line);
    painter.restore();
}

}  // namespace corvane
