#pragma once
// The settings of a new model, the profile without field data, and the
// stations of "Edit the field data" (the field-data file itself is read by
// io/field_data). No widgets here: the dialogs fill these from their boxes.
#include "io/field_data.h"
#include "model/workspace.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace corvane {

// The boxes of the new-model dialog, as typed.
struct NewModelInput {
    QString density = QStringLiteral("0.1");
    QString strike1 = QStringLiteral("100.0");
    QString strike2 = QStringLiteral("100.0");
    QString maxDepth = QStringLiteral("100.0");
    QString spacing = QStringLiteral("10.0");
    QString points = QStringLiteral("100");
    bool km = true;
    bool readFieldData = true;
};

// The evenly spaced profile without field data: 10 to 4096 stations (100
// when the box is not a whole number), spacing 10.0 when not a number and
// 1.0 when not positive.
std::vector<double> evenProfile(const QString& points, const QString& spacing);

// Replaces the model by a new one ready for its first body: stations (the
// given ones, or those already held when `stations` is empty), view, grid,
// axes and units; body 1's density and strike lengths; no bodies yet.
void applyNewModel(Workspace& ws, const NewModelInput& in, const StationList* stations);

// Every body slot back to a fresh body (density and strike lengths kept),
// then one body, the one about to be drawn. Returns its number, 1.
int prepareFirstBody(Workspace& ws);

// After body 1 is drawn: the temporary gravity range goes, body 1 becomes the
// current body and its anomaly is calculated.
void finishFirstBody(Workspace& ws);

// The grid of "Edit the field data": one row per station, with the heights
// where some station stands off the datum and the offsets where some station
// stands off the profile line (each empty otherwise).
struct StationRow {
    QString position;
    QString gravity;
    QString height = {};
    QString offset = {};
};
std::vector<StationRow> stationRows(const Model& m);
// Rows whose two cells are numbers, in order, as stations. A cell still
// showing the text stationRows(m) gave it keeps the exact value of m.
StationList stationsFromRows(const std::vector<StationRow>& rows, const Model& m);
// Replaces the stations and recalculates every body at the new positions.
void applyEditedStations(Workspace& ws, const StationList& s);

// The question of a field-data file whose numbers read two ways: its first
// data lines read both ways. The answers are DecimalChoices, in that order.
QString twoReadingsQuestion(const FormatQuestion& q, const std::string& fileName);
extern const QStringList DecimalChoices;

// Messages of the field-data commands.
QString tooFewStationsText(std::size_t found);
extern const QString StationsSortedText;
extern const QString StationsTruncatedText;
extern const QString LinesDroppedText;

}  // namespace corvane
