#pragma once
// "Read in survey data...": a scattered survey (easting, northing, value and
// optionally elevation, in columns chosen as field data's are) projected onto
// the profile line. Its stations take the place of one field's, each keeping
// its offset from the line; those too far from it are left out and counted.
#include "io/field_data.h"
#include "map/survey.h"
#include "model/workspace.h"

#include <QString>

#include <vector>

namespace corvane {

class Tcorvane;

enum class SurveyField { Gravity, Magnetic };

// The lines after the comment lines whose chosen cells are numbers, in file
// order: easting from the x column, northing from the y column, the value
// from the data column, and the elevation from the height column or the one
// height typed for every station.
std::vector<map::SurveyPoint> surveyPointsFromTable(const FieldDataTable& table, const ColumnChoice& choice);

// Replaces the field's stations by the projected ones (their elevations as
// heights, their offsets kept) and recalculates; the new observed values have
// had no regional removed. An error, and the model unchanged, when fewer
// than two stations are left.
QString applySurvey(Workspace& ws, SurveyField field, const map::SurveyProjection& p);

// What was left out of `read` points, one sentence a reason ("12 of 340
// stations were farther than 2 km from the line and were left out."); ""
// when nothing was.
QString surveyLeftOutText(const map::SurveyProjection& p, int read, double maxDistance, bool km);

inline const QString NoProfileLineText = QStringLiteral("The profile is not placed on a map.");

void readSurveyCommand(Tcorvane& window);

}  // namespace corvane
