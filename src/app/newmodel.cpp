#include "app/newmodel.h"

#include "app/field_columns.h"
#include "app/tcorvane.h"
#include "display/dialog_widgets.h"
#include "edit/add_body.h"
#include "edit/picking.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

namespace corvane {

// ---- Tnewmodel ----------------------------------------------------------

Tnewmodel::Tnewmodel(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tnewmodel"));
    setWindowTitle(QStringLiteral("New Model Parameters"));
    density = namedBox(this, "density");
    Strike1 = namedBox(this, "Strike1");
    Strike2 = namedBox(this, "Strike2");
    MaxZ = namedBox(this, "MaxZ");
    dx = namedBox(this, "dx");
    nopts = namedBox(this, "nopts");
    dxLabel = new QLabel(QStringLiteral("Station Spacing"), this);
    dxLabel->setObjectName(QStringLiteral("dxLabel"));
    noptsLabel = new QLabel(QStringLiteral("No. of Points"), this);
    noptsLabel->setObjectName(QStringLiteral("noptsLabel"));

    units = new QGroupBox(QStringLiteral("Units of measure"), this);
    units->setObjectName(QStringLiteral("units"));
    unitsKm = new QRadioButton(QStringLiteral("Km"), units);
    unitsKm->setObjectName(QStringLiteral("unitsKm"));
    unitsM = new QRadioButton(QStringLiteral("m"), units);
    unitsM->setObjectName(QStringLiteral("unitsM"));
    auto* unitRow = new QHBoxLayout(units);
    unitRow->addWidget(unitsKm);
    unitRow->addWidget(unitsM);

    ObservedData = new QCheckBox(QStringLiteral("Read in field data"), this);
    ObservedData->setObjectName(QStringLiteral("ObservedData"));
    connect(ObservedData, &QCheckBox::toggled, this, &Tnewmodel::ObservedDataClick);
    connect(unitsKm, &QRadioButton::toggled, this, &Tnewmodel::unitsClick);

    auto* buttons = new QDialogButtonBox(this);
    OKBtn = addNamedButton(buttons, QStringLiteral("OK"), QDialogButtonBox::AcceptRole, "OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = addNamedButton(buttons, QStringLiteral("Cancel"), QDialogButtonBox::RejectRole, "CancelBtn");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Initial Body Density"), density);
    form->addRow(QStringLiteral("Strike Length 1"), Strike1);
    form->addRow(QStringLiteral("Strike Length 2"), Strike2);
    form->addRow(QStringLiteral("Max. Depth Displayed"), MaxZ);
    form->addRow(dxLabel, dx);
    form->addRow(noptsLabel, nopts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(units);
    layout->addWidget(ObservedData);
    layout->addWidget(buttons);
    FormActivate();
}

void Tnewmodel::FormActivate()
{
    density->setText(QStringLiteral("0.1"));
    Strike1->setText(QStringLiteral("100.0"));
    Strike2->setText(QStringLiteral("100.0"));
    MaxZ->setText(QStringLiteral("100.0"));
    dx->setText(QStringLiteral("10.0"));
    nopts->setText(QStringLiteral("100"));
    unitsKm->setChecked(true);
    ObservedData->setChecked(true);
    ObservedDataClick();
}

void Tnewmodel::unitsClick()
{
    // The 100 km defaults follow the unit; a length typed stays as typed.
    for (QLineEdit* box : {Strike1, Strike2, MaxZ})
        box->setText(unitDefaultAfterSwitch(box->text(), unitsKm->isChecked()));
}

void Tnewmodel::ObservedDataClick()
{
    const bool show = !ObservedData->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(dx), static_cast<QWidget*>(nopts),
                       static_cast<QWidget*>(dxLabel), static_cast<QWidget*>(noptsLabel)})
        w->setVisible(show);
}

NewModelInput Tnewmodel::input() const
{
    NewModelInput in;
    in.density = density->text();
    in.strike1 = Strike1->text();
    in.strike2 = Strike2->text();
    in.maxDepth = MaxZ->text();
    in.spacing = dx->text();
    in.points = nopts->text();
    in.km = unitsKm->isChecked();
    in.readFieldData = ObservedData->isChecked();
    return in;
}

// ---- Command flows ------------------------------------------------------

namespace {

// What a new model replaces, kept until its first body is closed: cancelled
// before then, the new model gives the previous one back exactly.
struct ModelBeforeNew {
    explicit ModelBeforeNew(const Workspace& ws)
        : model(ws.model), display(ws.display), inversion(ws.inversion)
    {
    }
    void restore(Workspace& ws) const
    {
        ws.model = model;
        ws.display = display;
        ws.inversion = inversion;
    }
    Model model;
    Display display;
    InversionState inversion;
};

}  // namespace

void startBodyDrawing(Tcorvane& window, int body, std::function<void(int)> closed)
{
    DrawingArea& area = window.drawingArea();
    Platform& platform = window.platform();
    Workspace& ws = window.workspace();
    platform.setPointerPosition(area, startPointerPosition(area.clientRect(), PointerStart::AddBody));
    platform.pushCursor(Platform::Cursor::Cross);
    platform.confinePointer(area, modelPanel(area.clientRect(), ws.display));
    auto onClosed = [&platform, closed = std::move(closed)](int corners) {
        platform.releasePointer();
        platform.popCursor();
        if (closed)
            closed(corners);
    };
    window.startCommand(std::make_unique<DrawBody>(
        ws, body, [&area] { return area.clientRect(); }, std::move(onClosed)));
}

void beginNewModel(Tcorvane& window)
{
    Workspace& ws = window.workspace();
    Tnewmodel& dlg = window.dialog<Tnewmodel>(&window);
    dlg.FormActivate();
    if (window.execDialog(dlg) != QDialog::Accepted)
        return;
    const NewModelInput in = dlg.input();

    // Everything is read and checked before the model is touched; cancelling
    // any step leaves the model as it was.
    std::optional<StationList> stations;
    QString skippedNote;
    if (in.readFieldData) {
        std::optional<StationList> s = chooseStationsFile(window);
        if (!s)
            return;
        skippedNote = QString::fromStdString(skippedStationsNote(*s));
        stations = std::move(s);
    }

    auto before = std::make_shared<const ModelBeforeNew>(ws);
    applyNewModel(ws, in, stations ? &*stations : nullptr);
    window.repaintModel();
    window.instruction(AddCornersText);
    window.repaintModel();
    const int b = prepareFirstBody(ws);
    startBodyDrawing(window, b, [&window, before, skippedNote](int corners) {
        if (corners == 0) {
            // Ended (Esc) before body 1 had two distinct corners.
            before->restore(window.workspace());
            window.repaintModel();
            return;
        }
        {
            BusyCursor busy(window.platform());
            finishFirstBody(window.workspace());
        }
        window.repaintModel();
        window.MenuStateNewModel();
        // Said beside the misfit once the drawing has ended and the window
        // shows the new model.
        if (!skippedNote.isEmpty())
            QObject::connect(
                &window.drawingArea(), &DrawingArea::commandEnded, &window,
                [&window, skippedNote] { window.setStatus(window.statusText() + "   " + skippedNote); },
                Qt::SingleShotConnection);
    });
}

}  // namespace corvane
