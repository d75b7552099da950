#include "app/grid_profile.h"

#include "app/newmodel_data.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace corvane {

namespace {

// The value each position has in one grid's samples. The samples are taken
// at the positions given, so a position is found by its exact value.
std::map<double, double> byPosition(const map::GridSamples& s)
{
    std::map<double, double> values;
    for (const map::GridStation& st : s.stations)
        values.emplace(st.x, st.value);
    return values;
}

const RoleSamples* find(const std::vector<RoleSamples>& grids, GridRole role)
{
    for (const RoleSamples& r : grids)
        if (r.role == role)
            return &r;
    return nullptr;
}

}  // namespace

GridProfile profileFromSamples(const std::vector<double>& positions, const std::vector<RoleSamples>& grids,
                               const ProfileOptions& options)
{
    GridProfile p;
    p.positions = static_cast<int>(positions.size());
    const RoleSamples* gravity = find(grids, GridRole::Gravity);
    const RoleSamples* magnetic = find(grids, GridRole::Magnetic);
    const RoleSamples* height = find(grids, GridRole::Height);
    const RoleSamples* flight = find(grids, GridRole::FlightHeight);
    const auto g = gravity ? byPosition(gravity->samples) : std::map<double, double>{};
    const auto t = magnetic ? byPosition(magnetic->samples) : std::map<double, double>{};
    const auto h = height ? byPosition(height->samples) : std::map<double, double>{};
    const auto f = flight ? byPosition(flight->samples) : std::map<double, double>{};
    p.observedGravity = gravity != nullptr;
    for (double x : positions) {
        bool kept = false;
        const auto gi = g.find(x);
        const auto hi = h.find(x);
        const bool hasHeight = !height || hi != h.end();
        if ((!gravity || gi != g.end()) && hasHeight) {
            p.x.push_back(x);
            p.g.push_back(gravity ? gi->second : 0.0);
            p.h.push_back(height ? hi->second / options.metresPerModelUnit : 0.0);
            kept = true;
        }
        bool magneticKept = true;
        if (magnetic) {
            const auto ti = t.find(x);
            const auto fi = f.find(x);
            magneticKept = ti != t.end() && (!flight || fi != f.end());
            if (magneticKept)
                p.magnetic.push_back({x, flight ? fi->second / options.metresPerModelUnit : options.magneticHeight.value_or(0.0),
                                      ti->second});
        }
        if (!kept || !magneticKept)
            ++p.leftOut;
    }
    for (const RoleSamples& r : grids)
        if (r.role == GridRole::HorizonDepth || r.role == GridRole::HorizonElevation)
            p.horizons.push_back(horizonFromSamples(positions, r, options.metresPerModelUnit));
    return p;
}

PointSet horizonFromSamples(const std::vector<double>& positions, const RoleSamples& grid, double metresPerModelUnit)
{
    PointSet set;
    set.path = grid.path;
    set.joined = true;
    const bool elevation = grid.role == GridRole::HorizonElevation;
    set.horizon = elevation ? HorizonGrid::Elevation : HorizonGrid::Depth;
    set.horizonStep = positions.size() > 1 ? positions[1] - positions[0] : 0;
    const auto values = byPosition(grid.samples);
    for (double x : positions) {
        const auto v = values.find(x);
        if (v != values.end()) {
            set.points.push_back({x, elevation ? -v->second / metresPerModelUnit : v->second, {}});
        } else if (!set.points.empty() && !std::isnan(set.points.back().z)) {
            set.points.push_back({x, std::nan(""), {}});
        }
    }
    if (!set.points.empty() && std::isnan(set.points.back().z))
        set.points.pop_back();
    return set;
}

QString applyGridProfile(Workspace& ws, const GridProfile& p, const ProfileLineRecord& line)
{
    Model& m = ws.model;
    if (p.x.size() < 2)
        return QString::fromStdString(tooFewStationsMessage(p.x.size()));
    if (auto made = map::ProfileLine::make(line, m.UnitsKm); !made)
        return QString::fromStdString(made.error);
    StationList s;
    s.x = p.x;
    s.g = p.g;
    s.h = p.h;
    m.HaveObserved = p.observedGravity;
    applyEditedStations(ws, s);
    if (!p.magnetic.empty()) {
        setMagneticStations(m, p.magnetic);
        ws.display.ShowMagnetic = true;   // as when magnetic data are read
    }
    (void)map::placeProfile(m, line);
    // A grid cut again replaces its horizon, keeping how it is shown.
    for (const PointSet& h : p.horizons) {
        auto same = std::find_if(ws.overlays.pointSets.begin(), ws.overlays.pointSets.end(),
                                 [&h](const PointSet& s) { return s.path == h.path && s.horizon != HorizonGrid::None; });
        if (same != ws.overlays.pointSets.end()) {
            same->points = h.points;
            same->horizon = h.horizon;
            same->horizonStep = h.horizonStep;
        } else {
            PointSet added = h;
            added.colour = pointSetColour(static_cast<int>(ws.overlays.pointSets.size()));
            ws.overlays.pointSets.push_back(std::move(added));
        }
    }
    return {};
}

std::vector<std::string> sampleHorizons(Workspace& ws)
{
    std::vector<std::string> problems;
    const Model& m = ws.model;
    std::optional<map::ProfileLine> line;
    for (PointSet& set : ws.overlays.pointSets) {
        if (set.horizon == HorizonGrid::None || !set.points.empty())
            continue;
        if (!line && m.ProfileLine)
            if (auto made = map::ProfileLine::make(*m.ProfileLine, m.UnitsKm))
                line = std::move(made.value);
        if (!line) {
            problems.push_back("The horizon " + set.path + " needs the profile placed on a map.");
            continue;
        }
        map::SampleOptions options;
        options.spacing = set.horizonStep;
        const auto positions = map::stationPositions(line->length(), options);
        auto samples = positions ? map::sampleGrid(set.path, *line, options)
                                 : map::MapResult<map::GridSamples>::failure(positions.error);
        if (!samples) {
            problems.push_back(samples.error);
            continue;
        }
        const RoleSamples grid{set.horizon == HorizonGrid::Elevation ? GridRole::HorizonElevation : GridRole::HorizonDepth,
                               std::move(samples.value), set.path};
        set.points = horizonFromSamples(positions.value, grid, line->metresPerModelUnit()).points;
    }
    return problems;
}

QString azimuthSourceText(const Model& m)
{
    if (m.ProfileLine) {
        const auto line = map::ProfileLine::make(*m.ProfileLine, m.UnitsKm);
        // The line's azimuth until one is typed over it (written to a model
        // file and read back it may differ in the last digits).
        if (line && std::abs(line.value.azimuth() - m.Mag.FieldAzimuth) < 1e-6)
            return QStringLiteral("From the profile line (grid convergence %1 degrees)")
                .arg(line.value.convergence(), 0, 'f', 2);
    }
    return QStringLiteral("Typed");
}

QString leftOutText(const GridProfile& p)
{
    return QString::fromStdString(map::leftOutText(p.leftOut, p.positions));
}

}  // namespace corvane
