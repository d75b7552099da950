// The GIS export read back with OGR: its layers, features and system, the
// stations at their offsets from the line, the bodies standing on the line
// and their footprints; ogrinfo opens it, and a failed write leaves nothing.
#include "map/geopackage.h"
#include "map_grids.h"
#include "support/bodies.h"

#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

namespace corvane::map {
namespace {

// In km: three gravity stations, two magnetic ones (one where a gravity
// station stands), a block and a triangle, a borehole.
std::unique_ptr<Model> smallModel()
{
    auto m = makeModel();
    m->NumStations = 3;
    for (int i = 1; i <= 3; ++i)
        m->StationX[i] = i - 1, m->StationHeight[i] = 0.1 * i, m->CalculatedGravity[i] = -1.5 * i;
    m->Mag.Num = 2;
    m->Mag.X[1] = 1, m->Mag.Height[1] = 0.2, m->Mag.Observed[1] = 42, m->Mag.HasObserved[1] = true;
    m->Mag.X[2] = 3, m->Mag.Height[2] = 0.3, m->Mag.Calculated[2] = 50;
    m->NumBodies = 2;
    corvane::test::setBody(*m, 1, {{1, 0.5}, {2, 0.5}, {2, 1.5}, {1, 1.5}}, 0.2, 10, 5);
    m->Bodies[1].Susceptibility = 0.01;
    corvane::test::setBody(*m, 2, {{4, 1}, {6, 1}, {5, 2}}, -0.1, 3, 3);
    m->NumHoles = 1, m->Holes[1].NumDepths = 2;
    m->Holes[1].HoleX[1] = m->Holes[1].HoleX[2] = 5, m->Holes[1].HoleDepth[2] = 2.5;
    return m;
}

TEST(GeoPackage, LayersReadBackWithOgr)
{
    // Eastwards: the left of the line is north.
    const auto line = ProfileLine::make({500000, 6000000, 510000, 6000000, "EPSG:32633"}, true);
    const std::string path = (test::scratch() / "model.gpkg").string();
    std::ofstream(path) << "an older file";
    // Data points, one a horizon's gap (no point).
    PointSet wells;
    wells.path = "/data/wells.txt";
    wells.points = {{2, 1.5, "top"}, {3, std::nan(""), ""}, {4, 0.5, ""}};
    const auto written = writeGeoPackage(path, *smallModel(), line.value, {wells});
    ASSERT_TRUE(written) << written.error;
    EXPECT_EQ(std::system(("ogrinfo -ro -q " + path + " > /dev/null").c_str()), 0);

    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    ASSERT_TRUE(ds);
    const std::tuple<const char*, GIntBig, OGRwkbGeometryType> layers[] = {
        {"profile_line", 1, wkbLineString}, {"stations", 4, wkbPoint}, {"bodies", 2, wkbPolygon25D},
        {"footprints", 2, wkbPolygon}, {"boreholes", 1, wkbLineString25D}, {"points", 2, wkbPoint25D}};
    ASSERT_EQ(ds->GetLayerCount(), 6);
    for (const auto& [name, features, type] : layers) {
        OGRLayer* layer = ds->GetLayerByName(name);
        ASSERT_TRUE(layer) << name;
        EXPECT_EQ(layer->GetFeatureCount(), features) << name;
        EXPECT_EQ(layer->GetGeomType(), type) << name;
        EXPECT_STREQ(layer->GetSpatialRef()->GetAuthorityCode(nullptr), "32633") << name;
    }
    // Gravity station 2 and magnetic station 1 stand in one place: one point.
    OGRLayer* stations = ds->GetLayerByName("stations");
    OGRFeatureUniquePtr both(stations->GetFeature(2)), magnetic(stations->GetFeature(4));
    EXPECT_DOUBLE_EQ(both->GetFieldAsDouble("easting"), 501000);
    EXPECT_DOUBLE_EQ(both->GetFieldAsDouble("height_m"), 200);
    EXPECT_DOUBLE_EQ(both->GetFieldAsDouble("gravity_calculated"), -3);
    EXPECT_DOUBLE_EQ(both->GetFieldAsDouble("magnetic_observed"), 42);
    EXPECT_TRUE(magnetic->IsFieldNull(magnetic->GetFieldIndex("gravity_observed")));
    EXPECT_DOUBLE_EQ(magnetic->GetFieldAsDouble("magnetic_calculated"), 50);
    EXPECT_LT(stations->GetLayerDefn()->GetFieldIndex("offset_m"), 0);   // no station off the line

    // Off the line, at the offset (left, north here, positive); a magnetic
    // station at a gravity station's x but off the line is a point of its own.
    auto off = smallModel();
    off->StationOffset[1] = 0.5, off->Mag.Offset[2] = -0.25, off->Mag.Offset[1] = 0.1;
    ASSERT_TRUE(writeGeoPackage(path, *off, line.value));
    GDALDatasetUniquePtr offDs(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    ASSERT_TRUE(offDs);
    OGRLayer* offStations = offDs->GetLayerByName("stations");
    const std::tuple<GIntBig, double, double, double> placed[] = {
        {1, 500000, 6000500, 500}, {2, 501000, 6000000, 0}, {3, 502000, 6000000, 0},
        {4, 501000, 6000100, 100}, {5, 503000, 5999750, -250}};
    EXPECT_EQ(offStations->GetFeatureCount(), 5);
    for (const auto& [fid, e, n, offset] : placed) {
        OGRFeatureUniquePtr f(offStations->GetFeature(fid));
        ASSERT_TRUE(f) << fid;
        const OGRPoint* p = f->GetGeometryRef()->toPoint();
        EXPECT_NEAR(std::hypot(p->getX() - e, p->getY() - n), 0, 1e-6) << fid;
        EXPECT_EQ(p->getY(), f->GetFieldAsDouble("northing")) << fid;
        EXPECT_NEAR(f->GetFieldAsDouble("offset_m"), offset, 1e-9) << fid;
    }

    // Body 1 spans x 1 to 2 km: its footprint 10 km to the north, 5 to the south.
    OGRFeatureUniquePtr fp(ds->GetLayerByName("footprints")->GetNextFeature());
    OGREnvelope env;
    fp->GetGeometryRef()->getEnvelope(&env);
    EXPECT_EQ(std::vector<double>({env.MinX, env.MaxX, env.MinY, env.MaxY}),
              std::vector<double>({501000, 502000, 5995000, 6010000}));
    EXPECT_DOUBLE_EQ(fp->GetGeometryRef()->toPolygon()->get_Area(), 15e6);
    EXPECT_DOUBLE_EQ(fp->GetFieldAsDouble("susceptibility"), 0.01);
    EXPECT_DOUBLE_EQ(fp->GetFieldAsDouble("strike_length1_m"), 10000);
    EXPECT_DOUBLE_EQ(fp->GetFieldAsDouble("strike_length2_m"), 5000);

    // Body 2 stands on the line, 1 to 2 km deep.
    OGRFeatureUniquePtr section(ds->GetLayerByName("bodies")->GetFeature(2));
    const OGRLinearRing* ring = section->GetGeometryRef()->toPolygon()->getExteriorRing();
    OGRLinearRing expected;
    for (auto [e, z] : {std::pair{504000, -1000}, {506000, -1000}, {505000, -2000}, {504000, -1000}})
        expected.addPoint(e, 6000000, z);
    EXPECT_TRUE(ring->Equals(&expected));
    EXPECT_EQ(section->GetFieldAsInteger("body"), 2);
    EXPECT_DOUBLE_EQ(section->GetFieldAsDouble("density"), -0.1);
    OGRFeatureUniquePtr hole(ds->GetLayerByName("boreholes")->GetNextFeature());
    EXPECT_DOUBLE_EQ(hole->GetGeometryRef()->toLineString()->getZ(1), -2500);
    OGRFeatureUniquePtr top(ds->GetLayerByName("points")->GetNextFeature());
    const OGRPoint* at = top->GetGeometryRef()->toPoint();
    EXPECT_EQ(std::vector<double>({at->getX(), at->getY(), at->getZ()}), std::vector<double>({502000, 6000000, -1500}));
    EXPECT_STREQ(top->GetFieldAsString("set"), "wells.txt");
    EXPECT_STREQ(top->GetFieldAsString("label"), "top");
    OGRFeatureUniquePtr l(ds->GetLayerByName("profile_line")->GetNextFeature());
    EXPECT_DOUBLE_EQ(l->GetFieldAsDouble("length_m"), 10000);
}

TEST(GeoPackage, AFailedWriteLeavesNoFile)
{
    const auto line = ProfileLine::make({0, 0, 1000, 0, "-"}, true);
    const std::string path = (test::scratch() / "no-such-folder" / "model.gpkg").string();
    const auto w = writeGeoPackage(path, *smallModel(), line.value);
    EXPECT_TRUE(w.error.starts_with("The GeoPackage \"" + path + "\" could not be written")) << w.error;
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace corvane::map
