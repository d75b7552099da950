#pragma once
// A gradient-data file: a text file of stations in columns (a position or an
// easting and a northing, perhaps a height, and any of the six tensor
// components), read with the field-data rules into gradient stations.
#include "io/field_data.h"
#include "model/gradient_data.h"
#include "model/tensor.h"

#include <array>
#include <string>
#include <vector>

namespace corvane {

// Wide enough for a position, a height and six components with room to spare.
inline constexpr TableShape GradientTableShape{MaxTableFields, MaxTableLineLength};

// The columns chosen for a gradient file (1-based; a component's 0: not in the file).
struct GradientColumnChoice {
    int xColumn = 1;   // the position, or with eastNorth the easting
    bool eastNorth = false;
    int northColumn = 2;
    bool heightData = false;   // else every station at constantHeight (model units, up)
    int heightColumn = 2;
    double constantHeight = 0;
    std::array<int, TensorComponents> component{};   // xx, xy, xz, yy, yz, zz
    TensorFrame frame = TensorFrame::Profile;
    int commentLines = 0;
};

struct GradientRead {
    // x is the position, or with eastNorth the easting (then north[i] is
    // station i's northing); in file order.
    std::vector<GradientStationValue> stations;
    bool eastNorth = false;
    std::vector<double> north;
    bool truncated = false;    // more usable lines than the stations hold
    std::vector<int> skipped;  // data lines that gave no station (file line numbers)
    std::vector<int> cut;      // of those, lines whose chosen number was cut at the line's end
};

// Whether a line gives a station: its position (and height) are numbers and,
// when components are chosen, at least one of them is. A chosen component
// that is not a number ("-", "nan") has no value at that station.
bool isGradientLine(const SplitLine& line, const GradientColumnChoice& choice);
// The lines before the first station line: the comment lines a file has.
int leadingNonGradientLines(const FieldDataTable& table, const GradientColumnChoice& choice);

// The stations of the lines after the comment lines, up to MaxStations.
GradientRead gradientStationsFromTable(const FieldDataTable& table, const GradientColumnChoice& choice);

// What was skipped or cut ("" when nothing was).
std::string skippedGradientNote(const GradientRead& r, const FieldDataTable& table);

}  // namespace corvane
