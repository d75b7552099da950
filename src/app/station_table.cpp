#include "app/station_table.h"

#include "app/tcorvane.h"
#include "display/dialog_widgets.h"
#include "io/field_data.h"
#include "model/text.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

// ---- The editor -------------------------------------------------------------

TStationTable::TStationTable(const Layout& layout, QWidget* parent)
    : QDialog(parent), headingsInGrid_(layout.headingsInGrid)
{
    setObjectName(QString::fromLatin1(layout.name));
    setWindowTitle(QString::fromLatin1(layout.caption));
    if (!layout.cancel)
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);   // no close box
    DataGrid = new QTableWidget(this);
    DataGrid->setObjectName(QStringLiteral("DataGrid"));
    DataGrid->setColumnCount(3);
    if (headingsInGrid_) {
        DataGrid->horizontalHeader()->hide();
        DataGrid->verticalHeader()->hide();
    }
    DataGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* buttons = new QDialogButtonBox(this);
    OKBtn = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(false);
    OKBtn->setAutoDefault(false);   // Enter ends a cell edit, not the dialog
    if (layout.cancel) {
        CancelBtn = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
        CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
        CancelBtn->setAutoDefault(false);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* box = new QVBoxLayout(this);
    box->addWidget(DataGrid);
    box->addWidget(buttons);
    resize(layout.width, layout.height);
}

void TStationTable::setTable(const QStringList& headings, const std::vector<QStringList>& rows)
{
    const int first = headingsInGrid_ ? 1 : 0;   // the grid's first row and column of values
    DataGrid->clearContents();
    DataGrid->setColumnCount(static_cast<int>(headings.size()) + first);
    DataGrid->setRowCount(static_cast<int>(rows.size()) + first);
    if (headingsInGrid_) {
        DataGrid->setItem(0, 0, fixedCell(QString()));
        for (int c = 0; c < headings.size(); ++c)
            DataGrid->setItem(0, c + 1, fixedCell(headings[c]));
    } else {
        DataGrid->setHorizontalHeaderLabels(headings);
    }
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const QStringList& row = rows[static_cast<std::size_t>(i)];
        if (headingsInGrid_)
            DataGrid->setItem(i + 1, 0, fixedCell(QString::number(i + 1)));
        for (int c = 0; c < row.size(); ++c)
            DataGrid->setItem(i + first, c + first, new QTableWidgetItem(row[c]));
    }
}

std::vector<QStringList> TStationTable::table() const
{
    const int first = headingsInGrid_ ? 1 : 0;
    std::vector<QStringList> out;
    for (int r = first; r < DataGrid->rowCount(); ++r) {
        QStringList row;
        for (int c = first; c < DataGrid->columnCount(); ++c) {
            const QTableWidgetItem* item = DataGrid->item(r, c);
            row.push_back(item ? item->text() : QString());
        }
        out.push_back(row);
    }
    return out;
}

// ---- The gravity stations ---------------------------------------------------

TDataDisplay::TDataDisplay(QWidget* parent)
    : TStationTable({"TDataDisplay", "Edit the Field Data", true, false, 360, 480}, parent)
{
}

void TDataDisplay::fill(const Model& m)
{
    const std::vector<StationRow> rows = stationRows(m);
    heights_ = !rows.empty() && !rows.front().height.isEmpty();
    offsets_ = !rows.empty() && !rows.front().offset.isEmpty();
    QStringList headings{QStringLiteral("Position"), QStringLiteral("Gravity")};
    if (heights_)
        headings.push_back(QStringLiteral("Height"));
    if (offsets_)
        headings.push_back(QStringLiteral("Offset"));
    if (headings.size() > 2)
        resize(std::max(width(), 360 + 100 * static_cast<int>(headings.size() - 2)), height());   // room for them
    std::vector<QStringList> cells;
    for (const StationRow& r : rows) {
        QStringList row{r.position, r.gravity};
        if (heights_)
            row.push_back(r.height);
        if (offsets_)
            row.push_back(r.offset);
        cells.push_back(row);
    }
    setTable(headings, cells);
}

std::vector<StationRow> TDataDisplay::rows() const
{
    std::vector<StationRow> out;
    const int offsetColumn = heights_ ? 3 : 2;
    for (const QStringList& r : table())
        out.push_back({r.value(0), r.value(1), heights_ ? r.value(2) : QString(),
                       offsets_ ? r.value(offsetColumn) : QString()});
    return out;
}

// ---- The magnetic stations --------------------------------------------------

namespace {
// The grid's texts, as the gravity grid writes its own.
constexpr std::size_t CellWidth = 12;
QString cell(double v, int decimals)
{
    return QString::fromStdString(fixed(v, 1, decimals).substr(0, CellWidth));
}
}  // namespace

std::vector<MagneticStationRow> magneticStationRows(const Model& m)
{
    const MagneticStations& mag = m.Mag;
    const bool offsets = hasMagneticOffsets(m);
    std::vector<MagneticStationRow> rows;
    for (int i = 1; i <= std::clamp(mag.Num, 0, MaxStations); ++i)
        rows.push_back({cell(mag.X[i], 3), cell(mag.Height[i], 3),
                        mag.HasObserved[i] ? cell(mag.Observed[i], 2) : QString(),
                        offsets ? cell(mag.Offset[i], 3) : QString()});
    return rows;
}

std::vector<MagneticStationValue> magneticStationsFromRows(const std::vector<MagneticStationRow>& rows,
                                                           const Model& m)
{
    // A cell the user left as it was keeps the exact value behind it, so
    // that pressing OK changes nothing.
    const std::vector<MagneticStationRow> shown = magneticStationRows(m);
    const MagneticStations& mag = m.Mag;
    std::vector<MagneticStationValue> out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const bool known = r < shown.size();
        const int i = static_cast<int>(r) + 1;
        auto value = [&](const QString& typed, const QString& was, double exact) -> std::optional<double> {
            if (known && typed == was)
                return exact;
            return storableNumber(typed.trimmed().toStdString());
        };
        const auto x = value(rows[r].position, known ? shown[r].position : QString(), known ? mag.X[i] : 0);
        const auto h = rows[r].height.trimmed().isEmpty()
                           ? std::optional<double>(0.0)
                           : value(rows[r].height, known ? shown[r].height : QString(), known ? mag.Height[i] : 0);
        MagneticStationValue v;
        if (rows[r].anomaly.trimmed().isEmpty()) {
            v.observed = std::nullopt;
        } else {
            v.observed = value(rows[r].anomaly, known ? shown[r].anomaly : QString(), known ? mag.Observed[i] : 0);
            if (!v.observed)
                continue;
        }
        const auto o = rows[r].offset.trimmed().isEmpty()
                           ? std::optional<double>(0.0)
                           : value(rows[r].offset, known ? shown[r].offset : QString(), known ? mag.Offset[i] : 0);
        if (!x || !h || !o)
            continue;
        v.x = *x;
        v.height = *h;
        v.offset = *o;
        out.push_back(v);
    }
    return out;
}

TMagStationTable::TMagStationTable(QWidget* parent)
    : TStationTable({"TMagStationTable", "Edit the Magnetic Stations", false, true, 420, 480}, parent)
{
    setTable({QStringLiteral("Position"), QStringLiteral("Height"), QStringLiteral("Anomaly (nT)")}, {});
}

void TMagStationTable::fill(const Model& m)
{
    offsets_ = hasMagneticOffsets(m);
    QStringList headings{QStringLiteral("Position"), QStringLiteral("Height"), QStringLiteral("Anomaly (nT)")};
    if (offsets_) {
        headings.push_back(QStringLiteral("Offset"));
        resize(std::max(width(), 520), height());   // room for the fourth column
    }
    std::vector<QStringList> cells;
    for (const MagneticStationRow& r : magneticStationRows(m)) {
        cells.push_back({r.position, r.height, r.anomaly});
        if (offsets_)
            cells.back().push_back(r.offset);
    }
    setTable(headings, cells);
}

std::vector<MagneticStationRow> TMagStationTable::rows() const
{
    std::vector<MagneticStationRow> out;
    for (const QStringList& r : table())
        out.push_back({r.value(0), r.value(1), r.value(2), offsets_ ? r.value(3) : QString()});
    return out;
}

// ---- The commands -----------------------------------------------------------

void editFieldData(Tcorvane& window)
{
    Workspace& ws = window.workspace();
    Model& m = ws.model;
    if (!m.HaveObserved || !m.ModelExists)
        return;
    TDataDisplay& dlg = window.dialog<TDataDisplay>(&window);
    dlg.fill(m);
    if (window.execDialog(dlg) != QDialog::Accepted)
        return;   // closed without OK: the stations stay as they were
    const StationList s = stationsFromRows(dlg.rows(), m);
    if (s.x.size() < 2 || !(s.x.back() > s.x.front())) {
        window.platform().error(tooFewStationsText(s.x.size()));
        return;
    }
    if (s.sorted)
        window.platform().warning(StationsSortedText);
    {
        BusyCursor busy(window.platform());
        applyEditedStations(ws, s);
    }
    window.repaintModel();
}

void editMagneticStationsCommand(Tcorvane& window)
{
    Workspace& ws = window.workspace();
    if (ws.model.Mag.Num < 1) {
        window.platform().information(NoMagneticStationsText);
        return;
    }
    TMagStationTable& dlg = window.dialog<TMagStationTable>(&window);
    dlg.fill(ws.model);
    if (window.execDialog(dlg) != QDialog::Accepted)
        return;   // the stations stay as they were
    std::vector<MagneticStationValue> stations = magneticStationsFromRows(dlg.rows(), ws.model);
    if (stations.size() < 2) {
        window.platform().error(TooFewMagneticStationsText);
        return;
    }
    {
        BusyCursor busy(window.platform());
        setMagneticStations(ws.model, std::move(stations));
    }
    window.MenuStateCurrentModel();
    window.repaintModel();
}

}  // namespace corvane
