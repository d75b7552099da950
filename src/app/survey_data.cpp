#include "app/survey_data.h"

#include "app/field_columns.h"
#include "app/newmodel_data.h"
#include "app/tcorvane.h"
#include "display/dialog_widgets.h"
#include "map/profile_line.h"
#include "model/magnetic_data.h"

#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

std::vector<map::SurveyPoint> surveyPointsFromTable(const FieldDataTable& table, const ColumnChoice& choice)
{
    std::vector<map::SurveyPoint> points;
    const auto first = static_cast<std::size_t>(std::max(choice.commentLines, 0));
    for (std::size_t r = first; r < table.lines.size(); ++r) {
        const SplitLine& line = table.lines[r];
        if (line.extraFields)
            continue;
        const auto e = fieldNumber(line, choice.xColumn);
        const auto n = fieldNumber(line, choice.yColumn);
        const auto v = fieldNumber(line, choice.gravityColumn);
        const auto h = choice.heightData ? fieldNumber(line, choice.heightColumn)
                                         : std::optional<double>(choice.constantHeight);
        if (e && n && v && h)
            points.push_back({*e, *n, *v, *h});
    }
    return points;
}

QString applySurvey(Workspace& ws, SurveyField field, const map::SurveyProjection& p)
{
    Model& m = ws.model;
    if (p.stations.size() < 2 || !(p.stations.back().x > p.stations.front().x))
        return tooFewStationsText(p.stations.size());
    if (field == SurveyField::Gravity) {
        StationList s;
        for (const map::ProjectedStation& st : p.stations)
            if (!appendStation(s, st.x, st.value, st.elevation.value_or(0.0), st.offset))
                break;
        // Every station may lie on the line: the list then holds no offsets.
        m.HaveObserved = true;
        ws.extras.RegionalRemoved.reset();
        applyEditedStations(ws, s);
    } else {
        std::vector<MagneticStationValue> stations;
        for (const map::ProjectedStation& st : p.stations)
            stations.push_back({st.x, st.elevation.value_or(0.0), st.value, st.offset});
        setMagneticStations(m, std::move(stations));
        ws.extras.MagneticRegionalRemoved.reset();
        ws.display.ShowMagnetic = true;
    }
    return {};
}

QString surveyLeftOutText(const map::SurveyProjection& p, int read, double maxDistance, bool km)
{
    QStringList said;
    auto part = [&](int n, const QString& why) {
        if (n > 0)
            said.push_back(QStringLiteral("%1 of %2 stations %3 and were left out.").arg(n).arg(read).arg(why));
    };
    part(p.tooFar, QStringLiteral("were farther than %1 %2 from the line")
                       .arg(QString::number(maxDistance, 'g', 6), km ? QStringLiteral("km") : QStringLiteral("m")));
    part(p.beyondEnds, QStringLiteral("lay beyond the ends of the line"));
    part(p.unplaced, QStringLiteral("could not be carried into the line's coordinate system"));
    return said.join(QLatin1Char(' '));
}

namespace {

// Which field the survey gives, its coordinate system and how far from the
// line a station may stand.
class TSurveyOptions : public QDialog {
public:
    TSurveyOptions(bool km, QWidget* parent) : QDialog(parent)
    {
        setObjectName(QStringLiteral("TSurveyOptions"));
        setWindowTitle(QStringLiteral("Survey Data"));
        field = new QComboBox(this);
        field->setObjectName(QStringLiteral("field"));
        field->addItems({QStringLiteral("Gravity"), QStringLiteral("Magnetic anomaly")});
        crs = namedBox(this, "crs");
        crs->setPlaceholderText(QStringLiteral("the line's"));
        distance = namedBox(this, "distance");
        distance->setText(km ? QStringLiteral("1") : QStringLiteral("1000"));
        auto* form = new QFormLayout;
        form->addRow(QStringLiteral("Values"), field);
        form->addRow(QStringLiteral("Coordinate system (EPSG)"), crs);
        form->addRow(km ? QStringLiteral("Largest distance from the line (km)")
                        : QStringLiteral("Largest distance from the line (m)"),
                     distance);
        const auto [ok, cancel] = okCancelButtons(this);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addLayout(buttons);
    }

    QComboBox* field;
    QLineEdit* crs;
    QLineEdit* distance;
};

}  // namespace

void readSurveyCommand(Tcorvane& window)
{
    Platform& platform = window.platform();
    Workspace& ws = window.workspace();
    if (!ws.model.ProfileLine) {
        platform.information(NoProfileLineText);
        return;
    }
    const auto line = map::ProfileLine::make(*ws.model.ProfileLine, ws.model.UnitsKm);
    if (!line) {
        platform.error(QString::fromStdString(line.error));
        return;
    }
    const auto chosen = chooseColumnsFile(window, ColumnsFor::Survey);
    if (!chosen)
        return;
    const std::vector<map::SurveyPoint> points = surveyPointsFromTable(chosen->table, chosen->choice);
    TSurveyOptions dlg(ws.model.UnitsKm, &window);
    for (;;) {
        if (window.execDialog(dlg) != QDialog::Accepted)
            return;
        map::SurveyOptions options;
        const auto distance = numberIn(dlg.distance);
        options.maxDistance = distance.value_or(-1);
        if (QString typed = dlg.crs->text().trimmed(); !typed.isEmpty()) {
            bool digits = false;
            typed.toInt(&digits);
            auto crs = map::Crs::fromText((digits ? QStringLiteral("EPSG:") + typed : typed).toStdString());
            if (!crs) {
                platform.error(QString::fromStdString(crs.error));
                continue;
            }
            options.crs = crs.value;
        }
        map::MapResult<map::SurveyProjection> projected;
        {
            BusyCursor busy(platform);
            projected = map::projectSurvey(points, line.value, options);
        }
        if (!projected) {
            platform.error(QString::fromStdString(projected.error));
            continue;
        }
        const bool magnetic = dlg.field->currentIndex() == 1;
        QString why;
        {
            BusyCursor busy(platform);
            why = applySurvey(ws, magnetic ? SurveyField::Magnetic : SurveyField::Gravity, projected.value);
        }
        if (!why.isEmpty()) {
            platform.error(why);
            continue;
        }
        if (chosen->table.linesDropped)
            platform.warning(LinesDroppedText);
        if (projected.value.stations.size() > static_cast<std::size_t>(MaxStations))
            platform.warning(StationsTruncatedText);
        const QString left = surveyLeftOutText(projected.value, static_cast<int>(points.size()), options.maxDistance,
                                               ws.model.UnitsKm);
        if (!left.isEmpty())
            platform.information(left);
        window.MenuStateCurrentModel();
        window.repaintModel();
        return;
    }
}

}  // namespace corvane
