#include "map/geopackage.h"

#include "map/body_geometry.h"
#include "map/gdal_session.h"

#include <gdal_priv.h>
#include <ogr_feature.h>
#include <ogr_geometry.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace corvane::map {

namespace fs = std::filesystem;

namespace {

struct Writer {
    GDALDataset* ds = nullptr;
    OGRSpatialReference* srs = nullptr;
    std::string problem;

    OGRLayer* layer(const char* name, OGRwkbGeometryType type, const std::vector<std::pair<const char*, OGRFieldType>>& fields)
    {
        OGRLayer* l = ds->CreateLayer(name, srs, type, nullptr);
        for (const auto& [field, kind] : fields) {
            OGRFieldDefn def(field, kind);
            if (l && l->CreateField(&def) != OGRERR_NONE)
                l = nullptr;
        }
        if (!l && problem.empty())
            problem = QuietGdal::lastMessage();
        return l;
    }

    void add(OGRLayer* l, OGRFeature& f)
    {
        if (l->CreateFeature(&f) != OGRERR_NONE && problem.empty())
            problem = QuietGdal::lastMessage();
    }
};

void setOptional(OGRFeature& f, const char* field, std::optional<double> v)
{
    if (v)
        f.SetField(field, *v);
    else
        f.SetFieldNull(f.GetFieldIndex(field));
}

void writeLine(Writer& w, const ProfileLine& line)
{
    OGRLayer* l = w.layer("profile_line", wkbLineString, {{"length_m", OFTReal}, {"azimuth", OFTReal}});
    if (!l)
        return;
    OGRFeature f(l->GetLayerDefn());
    OGRLineString g;
    g.addPoint(line.start().E, line.start().N);
    g.addPoint(line.end().E, line.end().N);
    f.SetGeometry(&g);
    f.SetField("length_m", line.length() * line.metresPerModelUnit());
    f.SetField("azimuth", line.azimuth());
    w.add(l, f);
}

void writeStations(Writer& w, const Model& m, const ProfileLine& line)
{
    // The offset column only for a model with stations off the line, so that
    // other models' layers stay as they were.
    const bool offsets = hasGravityOffsets(m) || hasMagneticOffsets(m);
    std::vector<std::pair<const char*, OGRFieldType>> fields{
        {"x_m", OFTReal}, {"easting", OFTReal}, {"northing", OFTReal}, {"height_m", OFTReal},
        {"gravity_observed", OFTReal}, {"gravity_calculated", OFTReal},
        {"magnetic_observed", OFTReal}, {"magnetic_calculated", OFTReal}};
    if (offsets)
        fields.emplace_back("offset_m", OFTReal);
    OGRLayer* l = w.layer("stations", wkbPoint, fields);
    if (!l)
        return;
    struct Station {
        double x = 0, height = 0, offset = 0;
        std::optional<double> gObs, gCalc, mObs, mCalc;
    };
    std::vector<Station> stations;
    std::map<std::tuple<double, double, double>, std::size_t> at;   // a place and its station
    for (int i = 1; i <= std::clamp(m.NumStations, 0, MaxStations); ++i) {
        Station s{m.StationX[i], m.StationHeight[i], m.StationOffset[i], std::nullopt, m.CalculatedGravity[i],
                  std::nullopt, std::nullopt};
        if (m.HaveObserved)
            s.gObs = m.ObservedGravity[i];
        at.emplace(std::make_tuple(s.x, s.height, s.offset), stations.size());
        stations.push_back(s);
    }
    const MagneticStations& mag = m.Mag;
    for (int i = 1; i <= std::clamp(mag.Num, 0, MaxStations); ++i) {
        const auto found = at.find({mag.X[i], mag.Height[i], mag.Offset[i]});
        Station* s = nullptr;
        if (found != at.end() && !stations[found->second].mCalc) {
            s = &stations[found->second];
        } else {
            stations.push_back({mag.X[i], mag.Height[i], mag.Offset[i], std::nullopt, std::nullopt, std::nullopt,
                                std::nullopt});
            s = &stations.back();
        }
        s->mCalc = mag.Calculated[i];
        if (mag.HasObserved[i])
            s->mObs = mag.Observed[i];
    }
    const double metres = line.metresPerModelUnit();
    for (const Station& s : stations) {
        const MapPoint p = line.at(s.x, s.offset);   // off the line, where the survey stood
        OGRFeature f(l->GetLayerDefn());
        OGRPoint g(p.E, p.N);
        f.SetGeometry(&g);
        f.SetField("x_m", s.x * metres);
        f.SetField("easting", p.E);
        f.SetField("northing", p.N);
        f.SetField("height_m", s.height * metres);
        setOptional(f, "gravity_observed", s.gObs);
        setOptional(f, "gravity_calculated", s.gCalc);
        setOptional(f, "magnetic_observed", s.mObs);
        setOptional(f, "magnetic_calculated", s.mCalc);
        if (offsets)
            f.SetField("offset_m", s.offset * metres);
        w.add(l, f);
    }
}

void bodyFields(OGRFeature& f, const Model& m, int b, double metres)
{
    const Tbody& body = m.Bodies[b];
    f.SetField("body", b);
    f.SetField("density", body.Density);
    f.SetField("susceptibility", body.Susceptibility);
    f.SetField("strike_length1_m", body.StrikeLength1 * metres);
    f.SetField("strike_length2_m", body.StrikeLength2 * metres);
}

void writeBodies(Writer& w, const Model& m, const ProfileLine& line)
{
    const std::vector<std::pair<const char*, OGRFieldType>> fields = {
        {"body", OFTInteger}, {"density", OFTReal}, {"susceptibility", OFTReal},
        {"strike_length1_m", OFTReal}, {"strike_length2_m", OFTReal}};
    OGRLayer* sections = w.layer("bodies", wkbPolygon25D, fields);
    OGRLayer* footprints = w.layer("footprints", wkbPolygon, fields);
    if (!sections || !footprints)
        return;
    const double metres = line.metresPerModelUnit();
    for (int b = 1; b <= std::clamp(m.NumBodies, 0, MaxBodies); ++b) {
        const auto section = bodySection(line, m, b);
        if (section.size() < 4)
            continue;   // no area
        OGRFeature f(sections->GetLayerDefn());
        auto* ring = new OGRLinearRing;
        for (const MapPoint3& p : section)
            ring->addPoint(p.E, p.N, p.Z);
        OGRPolygon poly;
        poly.addRingDirectly(ring);
        f.SetGeometry(&poly);
        bodyFields(f, m, b, metres);
        w.add(sections, f);

        OGRFeature g(footprints->GetLayerDefn());
        auto* outline = new OGRLinearRing;
        for (const MapPoint& p : bodyFootprint(line, m, b))
            outline->addPoint(p.E, p.N);
        OGRPolygon rect;
        rect.addRingDirectly(outline);
        g.SetGeometry(&rect);
        bodyFields(g, m, b, metres);
        w.add(footprints, g);
    }
}

void writeHoles(Writer& w, const Model& m, const ProfileLine& line)
{
    if (m.NumHoles < 1)
        return;
    OGRLayer* l = w.layer("boreholes", wkbLineString25D, {{"name", OFTString}});
    if (!l)
        return;
    const double metres = line.metresPerModelUnit();
    for (int h = 1; h <= std::min(m.NumHoles, MaxHoles); ++h) {
        const THole& hole = m.Holes[h];
        const int rows = std::clamp(hole.NumDepths, 0, MaxHoleDepths);
        if (rows < 1)
            continue;
        OGRFeature f(l->GetLayerDefn());
        OGRLineString g;
        for (int r = 1; r <= rows; ++r) {
            const MapPoint p = line.at(hole.HoleX[r]);
            g.addPoint(p.E, p.N, -hole.HoleDepth[r] * metres);
        }
        if (rows == 1)
            g.addPoint(g.getX(0), g.getY(0), g.getZ(0));   // a line needs two points
        f.SetGeometry(&g);
        f.SetField("name", hole.Name.c_str());
        w.add(l, f);
    }
}

// Each data point shown with the section as a point in 3-D, named by its
// set's file; the gaps that break a horizon's line are no points.
void writePoints(Writer& w, const std::vector<PointSet>& sets, const ProfileLine& line)
{
    if (sets.empty())
        return;
    OGRLayer* l = w.layer("points", wkbPoint25D, {{"set", OFTString}, {"label", OFTString}});
    if (!l)
        return;
    const double metres = line.metresPerModelUnit();
    for (const PointSet& set : sets)
        for (const DataPoint& d : set.points) {
            if (!std::isfinite(d.z))
                continue;
            OGRFeature f(l->GetLayerDefn());
            const MapPoint p = line.at(d.x);
            OGRPoint g(p.E, p.N, -d.z * metres);
            f.SetGeometry(&g);
            f.SetField("set", fs::path(set.path).filename().string().c_str());
            f.SetField("label", d.label.c_str());
            w.add(l, f);
        }
}

}  // namespace

MapResult<bool> writeGeoPackage(const std::string& path, const Model& m, const ProfileLine& line,
                                const std::vector<PointSet>& points)
{
    QuietGdal quiet;
    auto failed = [&path](const std::string& why) {
        return MapResult<bool>::failure("The GeoPackage \"" + path + "\" could not be written" +
                                        (why.empty() ? std::string(".") : ": " + why + "."));
    };
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (!driver)
        return failed("this GDAL has no GeoPackage driver");
    const fs::path target(path);
    const fs::path partial = target.parent_path() / ("." + target.filename().string() + ".partial.gpkg");
    std::error_code ec;
    fs::remove(partial, ec);

    OGRSpatialReference srs;
    if (line.crs().none()) {
        // GeoPackage's own name for plain coordinates in no named system.
        srs.SetLocalCS("Undefined cartesian SRS");
        srs.SetLinearUnits(SRS_UL_METER, 1.0);
    } else if (srs.SetFromUserInput(line.crs().text().c_str()) != OGRERR_NONE) {
        return failed("GDAL does not know its coordinate system");
    }
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference* srsUsed = &srs;
    std::string problem;
    {
        GDALDatasetUniquePtr ds(driver->Create(partial.string().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        if (!ds)
            return failed(QuietGdal::lastMessage());
        Writer w{ds.get(), srsUsed, {}};
        ds->StartTransaction();
        writeLine(w, line);
        writeStations(w, m, line);
        writeBodies(w, m, line);
        writeHoles(w, m, line);
        writePoints(w, points, line);
        if (ds->CommitTransaction() != OGRERR_NONE && w.problem.empty())
            w.problem = QuietGdal::lastMessage();
        problem = w.problem;
        // Closing writes what is left; its failure shows only as an error.
        CPLErrorReset();
        ds.reset();
        if (problem.empty() && CPLGetLastErrorType() >= CE_Failure)
            problem = QuietGdal::lastMessage();
    }
    if (problem.empty()) {
        fs::rename(partial, target, ec);
        if (ec)
            problem = ec.message();
    }
    if (!problem.empty()) {
        fs::remove(partial, ec);
        return failed(problem);
    }
    return {true, {}};
}

}  // namespace corvane::map
