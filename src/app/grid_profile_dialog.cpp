// The dialog of "Profile from grids..." and the GIS export.

#include "app/grid_profile.h"
#include "app/newmodel.h"
#include "app/survey_data.h"
#include "app/tcorvane.h"
#include "display/dialog_widgets.h"
#include "edit/add_body.h"
#include "map/crs.h"
#include "map/geopackage.h"
#include "model/text.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace corvane {

namespace {

// In the order of GridRole.
const QStringList RoleTexts = {QStringLiteral("None"),
                               QStringLiteral("Observed gravity"),
                               QStringLiteral("Observed magnetic anomaly"),
                               QStringLiteral("Stations' heights (m)"),
                               QStringLiteral("Flight height (m above the datum)"),
                               QStringLiteral("Horizon (depth)"),
                               QStringLiteral("Horizon (elevation)")};

// The dialog's result when "Pick on map" was pressed.
constexpr int PickOnMap = 2;

class TGridProfile : public QDialog {
public:
    TGridProfile(Platform& platform, QWidget* parent) : QDialog(parent), platform_(platform)
    {
        setObjectName(QStringLiteral("TGridProfile"));
        setWindowTitle(QStringLiteral("Profile from Grids"));
        grids = new QTableWidget(0, 2, this);
        grids->setObjectName(QStringLiteral("grids"));
        grids->setHorizontalHeaderLabels({QStringLiteral("Grid"), QStringLiteral("Gives")});
        grids->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        grids->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
        auto* add = new QPushButton(QStringLiteral("Add a grid..."), this);
        add->setObjectName(QStringLiteral("AddGrid"));
        connect(add, &QPushButton::clicked, this, [this] {
            const QString name = platform_.openFileName(QStringLiteral("Grids"),
                                                        QStringLiteral("*.tif *.tiff *.grd *.nc *.asc"));
            if (!name.isEmpty())
                addGrid(name);
        });
        auto box = [this](const char* name) {
            auto* e = new QLineEdit(this);
            e->setObjectName(QString::fromLatin1(name));
            return e;
        };
        E1 = box("E1");
        N1 = box("N1");
        E2 = box("E2");
        N2 = box("N2");
        crs = box("crs");
        crs->setPlaceholderText(QStringLiteral("the first grid's own"));
        spacing = box("spacing");
        count = box("count");
        count->setText(QStringLiteral("100"));
        flightHeight = box("flightHeight");
        flightHeight->setPlaceholderText(QStringLiteral("0, or from a flight-height grid"));
        auto* pick = new QPushButton(QStringLiteral("Pick on map"), this);
        pick->setObjectName(QStringLiteral("PickOnMap"));
        connect(pick, &QPushButton::clicked, this, [this] { done(PickOnMap); });
        interpolation = new QComboBox(this);
        interpolation->setObjectName(QStringLiteral("interpolation"));
        interpolation->addItems({QStringLiteral("Bilinear"), QStringLiteral("Bicubic")});

        auto* ends = new QHBoxLayout;
        for (QLineEdit* e : {E1, N1, E2, N2})
            ends->addWidget(e);
        ends->addWidget(pick);
        auto* form = new QFormLayout;
        form->addRow(QStringLiteral("Ends (E1 N1 E2 N2)"), ends);
        form->addRow(QStringLiteral("Coordinate system (EPSG)"), crs);
        form->addRow(QStringLiteral("Station Spacing"), spacing);
        form->addRow(QStringLiteral("No. of Points"), count);
        form->addRow(QStringLiteral("Interpolation"), interpolation);
        form->addRow(QStringLiteral("Magnetic stations' height"), flightHeight);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(grids);
        layout->addWidget(add);
        layout->addLayout(form);
        layout->addWidget(buttons);
        resize(560, 420);
    }

    void addGrid(const QString& name)
    {
        const int row = grids->rowCount();
        grids->insertRow(row);
        grids->setItem(row, 0, new QTableWidgetItem(name));
        auto* role = new QComboBox(grids);
        role->addItems(RoleTexts);
        role->setCurrentIndex(row == 0 ? 1 : 0);
        grids->setCellWidget(row, 1, role);
    }

    std::vector<std::pair<std::string, GridRole>> chosenGrids() const
    {
        std::vector<std::pair<std::string, GridRole>> out;
        for (int r = 0; r < grids->rowCount(); ++r) {
            const auto* role = static_cast<QComboBox*>(grids->cellWidget(r, 1));
            out.emplace_back(QFile::encodeName(grids->item(r, 0)->text()).toStdString(), static_cast<GridRole>(role->currentIndex()));
        }
        return out;
    }

    QTableWidget* grids;
    QLineEdit *E1, *N1, *E2, *N2, *crs, *spacing, *count, *flightHeight;
    QComboBox* interpolation;

private:
    Platform& platform_;
};

std::optional<double> number(const QLineEdit* e) { return numberIn(e); }

// The two ends clicked on the map into the boxes: in the system typed, else
// in the map's (which then goes into the system's box).
void pickEnds(Tcorvane& window, TGridProfile& dlg)
{
    const auto grids = dlg.chosenGrids();
    std::string mapCrs;
    auto ends = window.pickOnMap(grids.empty() ? QString() : QFile::decodeName(grids.front().first.c_str()), mapCrs);
    if (ends.size() != 2)
        return;
    QString typed = dlg.crs->text().trimmed();
    if (!typed.isEmpty() && mapCrs != "-") {
        bool digits = false;
        typed.toInt(&digits);
        const auto from = map::Crs::fromText(mapCrs);
        const auto to = map::Crs::fromText((digits ? QStringLiteral("EPSG:") + typed : typed).toStdString());
        const auto t = from && to ? map::CrsTransform::between(from.value, to.value)
                                  : map::MapResult<map::CrsTransform>::failure(from ? to.error : from.error);
        if (!t || !t.value.apply(ends[0]) || !t.value.apply(ends[1])) {
            window.platform().error(QString::fromStdString(t ? "The ends picked lie outside the system typed." : t.error));
            return;
        }
    } else if (mapCrs != "-") {
        dlg.crs->setText(QString::fromStdString(mapCrs));
    }
    QLineEdit* boxes[2][2] = {{dlg.E1, dlg.N1}, {dlg.E2, dlg.N2}};
    for (std::size_t i = 0; i < 2; ++i) {
        // Degrees need more decimals than metres.
        for (int k = 0; k < 2; ++k) {
            const double v = k == 0 ? ends[i].E : ends[i].N;
            boxes[i][k]->setText(QString::number(v, 'f', std::abs(v) < 1000 ? 6 : 2));
        }
    }
}

}  // namespace

void profileFromGridsCommand(Tcorvane& window)
{
    Platform& platform = window.platform();
    Workspace& ws = window.workspace();
    TGridProfile dlg(platform, &window);
    for (;;) {
        const int result = window.execDialog(dlg);
        if (result == PickOnMap) {
            pickEnds(window, dlg);
            continue;
        }
        if (result != QDialog::Accepted)
            return;
        const auto grids = dlg.chosenGrids();
        const auto e1 = number(dlg.E1), n1 = number(dlg.N1), e2 = number(dlg.E2), n2 = number(dlg.N2);
        if (grids.empty()) {
            platform.error(QStringLiteral("Add a grid first."));
            continue;
        }
        if (!e1 || !n1 || !e2 || !n2) {
            platform.error(QStringLiteral("Each end needs an easting and a northing."));
            continue;
        }
        ProfileLineRecord record{*e1, *n1, *e2, *n2, "-"};
        QString typed = dlg.crs->text().trimmed();
        if (typed.isEmpty()) {
            const auto own = map::gridCrsText(grids.front().first);
            if (!own) {
                platform.error(QString::fromStdString(own.error));
                continue;
            }
            record.Crs = own.value;
        } else {
            bool digits = false;
            typed.toInt(&digits);
            record.Crs = (digits ? QStringLiteral("EPSG:") + typed : typed).toStdString();
        }
        const bool km = ws.model.ModelExists ? ws.model.UnitsKm : true;
        const auto line = map::ProfileLine::make(record, km);
        if (!line) {
            platform.error(QString::fromStdString(line.error));
            continue;
        }
        map::SampleOptions options;
        options.spacing = number(dlg.spacing).value_or(0);
        options.count = static_cast<int>(number(dlg.count).value_or(0));
        options.interpolation = dlg.interpolation->currentIndex() == 1 ? map::Interpolation::Bicubic
                                                                      : map::Interpolation::Bilinear;
        const auto positions = map::stationPositions(line.value.length(), options);
        if (!positions) {
            platform.error(QString::fromStdString(positions.error));
            continue;
        }
        std::vector<RoleSamples> samples;
        QString failed;
        {
            BusyCursor busy(platform);
            for (const auto& [path, role] : grids) {
                if (role == GridRole::None)
                    continue;
                auto s = map::sampleGrid(path, line.value, options);
                if (!s) {
                    failed = QString::fromStdString(s.error);
                    break;
                }
                samples.push_back({role, std::move(s.value), path});
            }
        }
        if (!failed.isEmpty()) {
            platform.error(failed);
            continue;
        }
        ProfileOptions profileOptions;
        profileOptions.metresPerModelUnit = line.value.metresPerModelUnit();
        profileOptions.magneticHeight = number(dlg.flightHeight);
        const GridProfile p = profileFromSamples(positions.value, samples, profileOptions);
        const bool newModel = !ws.model.ModelExists;
        if (newModel) {
            if (p.x.size() < 2) {
                platform.error(QString::fromStdString(tooFewStationsMessage(p.x.size())));
                continue;
            }
            NewModelInput in;
            in.readFieldData = true;
            StationList s;
            s.x = p.x;
            s.g = p.g;
            s.h = p.h;
            applyNewModel(ws, in, &s);
        }
        if (const QString why = applyGridProfile(ws, p, record); !why.isEmpty()) {
            platform.error(why);
            continue;
        }
        if (const QString note = leftOutText(p); !note.isEmpty())
            platform.information(note);
        window.repaintModel();
        if (newModel) {
            window.instruction(AddCornersText);
            const int b = prepareFirstBody(ws);
            startBodyDrawing(window, b, [&window](int corners) {
                if (corners > 0)
                    finishFirstBody(window.workspace());
                window.repaintModel();
                window.MenuStateNewModel();
            });
        } else {
            window.MenuStateCurrentModel();
        }
        return;
    }
}

void exportToGisCommand(Tcorvane& window)
{
    Platform& platform = window.platform();
    const Model& m = window.workspace().model;
    if (!m.ProfileLine) {
        platform.information(NoProfileLineText);
        return;
    }
    const auto line = map::ProfileLine::make(*m.ProfileLine, m.UnitsKm);
    if (!line) {
        platform.error(QString::fromStdString(line.error));
        return;
    }
    const QString name = platform.saveFileName(QStringLiteral("GeoPackages"), QStringLiteral("*.gpkg"));
    if (name.isEmpty())
        return;
    if (!mayReplace(platform, name))
        return;
    map::MapResult<bool> written;
    {
        BusyCursor busy(platform);
        written = map::writeGeoPackage(QFile::encodeName(name).toStdString(), m, line.value,
                                       window.workspace().overlays.pointSets);
    }
    if (!written) {
        platform.error(QString::fromStdString(written.error));
        return;
    }
    platform.information(QStringLiteral("GIS data successfully saved."));
}

}  // namespace corvane
