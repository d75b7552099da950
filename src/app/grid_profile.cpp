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

GridProfile profileFromSamples(const std::vector<double>& positions, const std::vector<RoleSamples>& grids)
{
    GridProfile p;
    p.positions = static_cast<int>(positions.size());
    const RoleSamples* gravity = find(grids, GridRole::Gravity);
    const RoleSamples* magnetic = find(grids, GridRole::Magnetic);
    const RoleSamples* height = find(grids, GridRole::Height);
    const auto g = gravity ? byPosition(gravity->samples) : std::map<double, double>{};
    const auto t = magnetic ? byPosition(magnetic->samples) : std::map<double, double>{};
    const auto h = height ? byPosition(height->samples) : std::map<double, double>{};
    p.observedGravity = gravity != nullptr;
    for (double x : positions) {
        bool kept = false;
        const auto gi = g.find(x);
        const auto hi = h.find(x);
        const bool hasHeight = !height || hi != h.end();
        if ((!gravity || gi != g.end()) && hasHeight) {
            p.x.push_back(x);
            p.g.push_back(gravity ? gi->second : 0.0);
            p.h.push_back(height ? hi->second : 0.0);
            kept = true;
        }
        bool magneticKept = true;
        if (magnetic) {
            const auto ti = t.find(x);
            magneticKept = ti != t.end();
            if (magneticKept)
                p.magnetic.push_back({x, 0.0, ti->second});
        }
        if (!kept || !magneticKept)
            ++p.leftOut;
    }
    return p;
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
    return {};
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
