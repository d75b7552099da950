#pragma once
// A profile taken from grids: the stations the samples of each grid give,
// and the step that puts them and the profile line into the model.
#include "map/grid_sampling.h"
#include "map/profile_line.h"
#include "model/magnetic_data.h"
#include "model/workspace.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// What a grid gives the profile. Heights and depths are in model units,
// heights above the datum; an elevation grid is in metres.
enum class GridRole { None, Gravity, Magnetic, Height, FlightHeight, HorizonDepth, HorizonElevation };

struct RoleSamples {
    GridRole role = GridRole::None;
    map::GridSamples samples;
    std::string path;   // the grid's file: a horizon is named after it
};

// How the samples become stations and horizons.
struct ProfileOptions {
    // Height grids, like elevation horizons, are in metres, as terrain
    // models and flight surfaces are delivered; the model takes its unit.
    double metresPerModelUnit = 1;
    // The magnetic stations' height without a flight-height grid.
    std::optional<double> magneticHeight;
};

// The stations of the profile. A gravity station stands where the gravity
// grid has a value (and the height grid too, when there is one, which gives
// its height); a magnetic station where the magnetic grid has one (and the
// flight-height grid too, when there is one, which gives its height; else
// the typed height, else the datum). Without a gravity grid the gravity
// stations are every position, without observed values. Positions left out
// of either field are counted once. Each horizon grid gives a joined point
// set at every position, broken where the grid has no value.
struct GridProfile {
    std::vector<double> x, g, h;   // gravity stations
    bool observedGravity = false;
    std::vector<MagneticStationValue> magnetic;
    std::vector<PointSet> horizons;
    int positions = 0;
    int leftOut = 0;
};
GridProfile profileFromSamples(const std::vector<double>& positions, const std::vector<RoleSamples>& grids,
                               const ProfileOptions& options = {});

// A horizon set from one grid's samples at positions (depth in model units,
// positive down; NaN depth where a gap breaks the line).
PointSet horizonFromSamples(const std::vector<double>& positions, const RoleSamples& grid,
                            double metresPerModelUnit);

// Samples again the grids of the horizons of ws (their points empty after a
// load) along the model's profile line. The messages of those that cannot be.
std::vector<std::string> sampleHorizons(Workspace& ws);

// Replaces the stations by the profile's and places the line (the magnetic
// azimuth follows from it); the horizons replace the sets of their grids. An error, and the model unchanged, when the line
// cannot be placed.
QString applyGridProfile(Workspace& ws, const GridProfile& p, const ProfileLineRecord& line);

// Where the profile azimuth came from: "From the profile line (grid
// convergence 1.23 degrees)" while it is the line's, else "Typed".
QString azimuthSourceText(const Model& m);

// "12 of 200 stations were left out over no-data or off the grid." ("" for none).
QString leftOutText(const GridProfile& p);

}  // namespace corvane

namespace corvane {
class Tcorvane;
// "Profile from grids..." and "Export to GIS...".
void profileFromGridsCommand(Tcorvane& window);
void exportToGisCommand(Tcorvane& window);
}  // namespace corvane
