#pragma once
// A profile taken from grids: the stations the samples of each grid give,
// and the step that puts them and the profile line into the model.
#include "map/grid_sampling.h"
#include "map/profile_line.h"
#include "model/magnetic_data.h"
#include "model/workspace.h"

#include <QString>

#include <vector>

namespace corvane {

// What a grid gives the profile.
enum class GridRole { None, Gravity, Magnetic, Height };

struct RoleSamples {
    GridRole role = GridRole::None;
    map::GridSamples samples;
};

// The stations of the profile. A gravity station stands where the gravity
// grid has a value (and the height grid too, when there is one, which gives
// its height); a magnetic station where the magnetic grid has one. Without a
// gravity grid the gravity stations are every position, without observed
// values. Positions left out of either field are counted once.
struct GridProfile {
    std::vector<double> x, g, h;   // gravity stations
    bool observedGravity = false;
    std::vector<MagneticStationValue> magnetic;
    int positions = 0;
    int leftOut = 0;
};
GridProfile profileFromSamples(const std::vector<double>& positions, const std::vector<RoleSamples>& grids);

// Replaces the stations by the profile's and places the line (the magnetic
// azimuth follows from it). An error, and the model unchanged, when the line
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
