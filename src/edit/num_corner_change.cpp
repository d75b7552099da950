#include "edit/num_corner_change.h"

#include "model/corner_edit.h"
#include "model/text.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace corvane {

TNumCornerChange::TNumCornerChange(Workspace& ws, Platform& platform, QWidget* parent)
    : QDialog(parent), ws_(ws), platform_(platform)
{
    setObjectName(QStringLiteral("TNumCornerChange"));
    setWindowTitle(QStringLiteral("Manual Corner Coordinate Change"));
    noofbody = new QLabel(this);
    noofbody->setObjectName(QStringLiteral("noofbody"));
    noofbody->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    noofbody->setAlignment(Qt::AlignCenter);
    NoOfCorner = new QLabel(this);
    NoOfCorner->setObjectName(QStringLiteral("NoOfCorner"));
    xpos = new QLineEdit(this);
    xpos->setObjectName(QStringLiteral("xpos"));
    depth = new QLineEdit(this);
    depth->setObjectName(QStringLiteral("depth"));
    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    previous = button(QStringLiteral("Previous Corner"), "previous");
    NextCorner = button(QStringLiteral("Next Corner"), "NextCorner");
    DoCalc = button(QStringLiteral("Calculate"), "DoCalc");
    OKBtn = button(QStringLiteral("OK"), "OKBtn");
    OKBtn->setDefault(true);
    connect(previous, &QPushButton::clicked, this, &TNumCornerChange::previousClick);
    connect(NextCorner, &QPushButton::clicked, this, &TNumCornerChange::NextCornerClick);
    connect(DoCalc, &QPushButton::clicked, this, &TNumCornerChange::DoCalcClick);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Horizontal position"), xpos);
    form->addRow(QStringLiteral("Depth"), depth);
    auto* buttons = new QGridLayout;
    buttons->addWidget(previous, 0, 0);
    buttons->addWidget(NextCorner, 0, 1);
    buttons->addWidget(DoCalc, 1, 0);
    buttons->addWidget(OKBtn, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noofbody);
    layout->addWidget(NoOfCorner);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

bool TNumCornerChange::validBody() const
{
    return b_ >= 1 && b_ <= ws_.model.NumBodies && ws_.model.Bodies[b_].NumCorners >= 2;
}

void TNumCornerChange::FormActivate()
{
    pending_.clear();
    b_ = ws_.model.CurrentBody;
    k_ = 1;
    if (!validBody())
        return;
    noofbody->setText(QStringLiteral("Body ") + QString::number(b_));
    showCorner(10);
}

void TNumCornerChange::showCorner(int width)
{
    const Tbody& body = ws_.model.Bodies[b_];
    NoOfCorner->setText(QStringLiteral("Corner ") + QString::number(k_));
    xpos->setText(QString::fromStdString(fixed(body.CornerX[k_], width, 2)));
    depth->setText(QString::fromStdString(fixed(body.CornerZ[k_], width, 2)));
}

void TNumCornerChange::store(bool onlyRealChanges)
{
    const auto x = parseNumber(xpos->text().toStdString());
    const auto z = parseNumber(depth->text().toStdString());
    if (!x || !z)
        return;
    const Model& m = ws_.model;
    const Tbody& body = m.Bodies[b_];
    if (onlyRealChanges) {
        // The boxes show two decimals: a difference this small is the
        // rounding of the display, not an edit.
        const double tolX = 0.001 * std::fabs(m.StationX[m.NumStations] - m.StationX[1]);
        const double tolZ = 0.001 * std::fabs(ws_.display.ViewDepthMax - ws_.display.ViewDepthMin);
        if (std::fabs(*x - body.CornerX[k_]) <= tolX && std::fabs(*z - body.CornerZ[k_]) <= tolZ)
            return;
    }
    const int partner = copyCornerPosition(ws_.model, b_, k_, *x, *z);
    if (partner > 0)
        pending_.insert(partner);
    pending_.insert(b_);
}

void TNumCornerChange::step(int by)
{
    if (!validBody())
        return;
    store(true);
    const int n = ws_.model.Bodies[b_].NumCorners;
    k_ += by;
    if (k_ < 1)
        k_ = n - 1;
    if (k_ >= n)
        k_ = 1;
    showCorner(9);
}

void TNumCornerChange::previousClick() { step(-1); }
void TNumCornerChange::NextCornerClick() { step(+1); }

void TNumCornerChange::recalculatePending()
{
    if (pending_.empty())
        return;
    BusyCursor busy(platform_);
    // Partner bodies first, the edited body last.
    for (int b : pending_)
        if (b != b_ && b <= ws_.model.NumBodies)
            ws_.model.UpdateBody(b);
    if (pending_.count(b_))
        ws_.model.UpdateBody(b_);
    pending_.clear();
}

void TNumCornerChange::DoCalcClick()
{
    if (!validBody())
        return;
    store(false);
    recalculatePending();
    if (repaint)
        repaint();
}

void TNumCornerChange::finish()
{
    if (validBody())
        recalculatePending();
}

void TNumCornerChange::done(int result)
{
    finish();
    QDialog::done(result);
}

}  // namespace corvane
