#pragma once
// "Read in gradient data": a text file of gravity gradient stations through
// the column chooser, placed on the profile and set as one undoable step.
#include "io/gradient_file.h"
#include "model/model.h"

#include <QString>

#include <string>
#include <vector>

namespace corvane {

class Tcorvane;

struct GradientPlacement {
    std::vector<GradientStationValue> stations;
    int tooFar = 0;    // farther from the profile line than the distance
    int outside = 0;   // placed beyond any position the model file holds
    std::string error;   // the profile line cannot be used
};

// The stations of a read at their profile positions. Read with easting and
// northing they are projected onto the model's profile line when it has one
// (those farther than maxDistance model units left out and counted; those
// beyond its ends kept), and otherwise are distances from the first station,
// as x-y field data are.
GradientPlacement placeGradientStations(GradientRead read, const Model& m, double maxDistance);

// "12 gradient stations were read." with what was left out, and the
// skipped lines' note after it.
QString gradientReadText(const GradientPlacement& p, double maxDistance, bool unitsKm, const std::string& skippedNote);
inline const QString NoGradientStationsText =
    QStringLiteral("The gradient data give no usable station. The model is unchanged.");
inline const QString GradientLinesDroppedText = QStringLiteral(
    "The gradient data file has more than 4108 lines; the lines after line 4108 have not been read.");
inline const QString GradientStationsTruncatedText =
    QStringLiteral("The gradient data hold more than 4096 stations; only the first 4096 have been read.");
inline const QString GradientDistanceText = QStringLiteral("The distance from the line must be a number not below 0.");

void readGradientDataCommand(Tcorvane& window);

}  // namespace corvane
