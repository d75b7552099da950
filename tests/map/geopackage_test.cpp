// The GIS export read back with OGR: its layers, their features and system,
// the bodies standing on the line and their footprints, and ogrinfo opens it.
#include "map/geopackage.h"
#include "map_grids.h"

#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <cstdlib>
#include <fstream>

namespace corvane::map {
namespace {

void setBody(Model& m, int b, double density, double s1, double s2, std::vector<std::pair<double, double>> corners)
{
    Tbody& body = m.Bodies[b];
    body.Density = density;
    body.StrikeLength1 = s1;
    body.StrikeLength2 = s2;
    body.NumCorners = static_cast<int>(corners.size()) + 1;
    for (int k = 1; k <= static_cast<int>(corners.size()); ++k)
        body.setCorner(k, corners[static_cast<std::size_t>(k - 1)].first, corners[static_cast<std::size_t>(k - 1)].second);
}

// A model in km: three gravity stations, two magnetic ones (one where a
// gravity station stands), a block and a triangle, a borehole.
std::unique_ptr<Model> smallModel()
{
    auto m = makeModel();
    m->NumStations = 3;
    for (int i = 1; i <= 3; ++i) {
        m->StationX[i] = i - 1;
        m->StationHeight[i] = 0.1 * i;
        m->ObservedGravity[i] = -i;
        m->CalculatedGravity[i] = -1.5 * i;
    }
    m->Mag.Num = 2;
    m->Mag.X[1] = 1, m->Mag.Height[1] = 0.2, m->Mag.Calculated[1] = 40, m->Mag.Observed[1] = 42;
    m->Mag.HasObserved[1] = true;
    m->Mag.X[2] = 3, m->Mag.Height[2] = 0.3, m->Mag.Calculated[2] = 50, m->Mag.HasObserved[2] = false;
    m->NumBodies = 2;
    setBody(*m, 1, 0.2, 10, 5, {{1, 0.5}, {2, 0.5}, {2, 1.5}, {1, 1.5}});
    m->Bodies[1].Susceptibility = 0.01;
    setBody(*m, 2, -0.1, 3, 3, {{4, 1}, {6, 1}, {5, 2}});
    m->NumHoles = 1;
    m->Holes[1].Name = "A1";
    m->Holes[1].NumDepths = 2;
    m->Holes[1].HoleX[1] = 5, m->Holes[1].HoleDepth[1] = 0;
    m->Holes[1].HoleX[2] = 5, m->Holes[1].HoleDepth[2] = 2.5;
    return m;
}

TEST(GeoPackage, LayersReadBackWithOgr)
{
    const auto m = smallModel();
    // Eastwards: the left of the line is north.
    const auto line = ProfileLine::make({500000, 6000000, 510000, 6000000, "EPSG:32633"}, true);
    ASSERT_TRUE(line) << line.error;
    const std::string path = (test::scratch() / "model.gpkg").string();
    std::ofstream(path) << "an older file";
    const auto written = writeGeoPackage(path, *m, line.value);
    ASSERT_TRUE(written) << written.error;
    EXPECT_EQ(std::system(("ogrinfo -ro -q " + path + " > /dev/null").c_str()), 0);

    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    ASSERT_TRUE(ds);
    const struct {
        const char* name;
        GIntBig features;
        OGRwkbGeometryType type;
    } layers[] = {{"profile_line", 1, wkbLineString},
                  {"stations", 4, wkbPoint},
                  {"bodies", 2, wkbPolygon25D},
                  {"footprints", 2, wkbPolygon},
                  {"boreholes", 1, wkbLineString25D}};
    ASSERT_EQ(ds->GetLayerCount(), 5);
    for (const auto& l : layers) {
        OGRLayer* layer = ds->GetLayerByName(l.name);
        ASSERT_TRUE(layer) << l.name;
        EXPECT_EQ(layer->GetFeatureCount(), l.features) << l.name;
        EXPECT_EQ(layer->GetGeomType(), l.type) << l.name;
        EXPECT_STREQ(layer->GetSpatialRef()->GetAuthorityCode(nullptr), "32633") << l.name;
    }

    OGRLayer* stations = ds->GetLayerByName("stations");
    std::vector<OGRFeatureUniquePtr> st;
    for (auto& f : *stations)
        st.emplace_back(f.release());
    ASSERT_EQ(st.size(), 4u);
    // Gravity station 2 and magnetic station 1 stand in one place: one point.
    EXPECT_DOUBLE_EQ(st[1]->GetFieldAsDouble("x_m"), 1000);
    EXPECT_DOUBLE_EQ(st[1]->GetFieldAsDouble("easting"), 501000);
    EXPECT_DOUBLE_EQ(st[1]->GetFieldAsDouble("height_m"), 200);
    EXPECT_DOUBLE_EQ(st[1]->GetFieldAsDouble("gravity_observed"), -2);
    EXPECT_DOUBLE_EQ(st[1]->GetFieldAsDouble("gravity_calculated"), -3);
    EXPECT_DOUBLE_EQ(st[1]->GetFieldAsDouble("magnetic_observed"), 42);
    EXPECT_TRUE(st[0]->IsFieldNull(st[0]->GetFieldIndex("magnetic_calculated")));
    EXPECT_TRUE(st[3]->IsFieldNull(st[3]->GetFieldIndex("gravity_observed")));
    EXPECT_TRUE(st[3]->IsFieldNull(st[3]->GetFieldIndex("magnetic_observed")));
    EXPECT_DOUBLE_EQ(st[3]->GetFieldAsDouble("magnetic_calculated"), 50);

    // Body 1 spans x 1 to 2 km: its footprint 10 km to the north, 5 to the south.
    OGRLayer* footprints = ds->GetLayerByName("footprints");
    OGRFeatureUniquePtr fp(footprints->GetNextFeature());
    OGREnvelope env;
    fp->GetGeometryRef()->getEnvelope(&env);
    EXPECT_DOUBLE_EQ(env.MinX, 501000);
    EXPECT_DOUBLE_EQ(env.MaxX, 502000);
    EXPECT_DOUBLE_EQ(env.MinY, 5995000);
    EXPECT_DOUBLE_EQ(env.MaxY, 6010000);
    EXPECT_DOUBLE_EQ(fp->GetGeometryRef()->toPolygon()->get_Area(), 15e6);
    EXPECT_EQ(fp->GetFieldAsInteger("body"), 1);
    EXPECT_DOUBLE_EQ(fp->GetFieldAsDouble("density"), 0.2);
    EXPECT_DOUBLE_EQ(fp->GetFieldAsDouble("susceptibility"), 0.01);
    EXPECT_DOUBLE_EQ(fp->GetFieldAsDouble("strike_length1_m"), 10000);
    EXPECT_DOUBLE_EQ(fp->GetFieldAsDouble("strike_length2_m"), 5000);

    // Body 2 stands on the line, 1 to 2 km deep.
    OGRLayer* bodies = ds->GetLayerByName("bodies");
    bodies->SetAttributeFilter("body = 2");
    OGRFeatureUniquePtr section(bodies->GetNextFeature());
    ASSERT_TRUE(section);
    const OGRLinearRing* ring = section->GetGeometryRef()->toPolygon()->getExteriorRing();
    ASSERT_EQ(ring->getNumPoints(), 4);
    const double expected[4][3] = {{504000, 6000000, -1000}, {506000, 6000000, -1000}, {505000, 6000000, -2000},
                                   {504000, 6000000, -1000}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(ring->getX(i), expected[i][0]);
        EXPECT_DOUBLE_EQ(ring->getY(i), expected[i][1]);
        EXPECT_DOUBLE_EQ(ring->getZ(i), expected[i][2]);
    }
    OGRFeatureUniquePtr hole(ds->GetLayerByName("boreholes")->GetNextFeature());
    EXPECT_STREQ(hole->GetFieldAsString("name"), "A1");
    EXPECT_DOUBLE_EQ(hole->GetGeometryRef()->toLineString()->getZ(1), -2500);
    OGRFeatureUniquePtr l(ds->GetLayerByName("profile_line")->GetNextFeature());
    EXPECT_DOUBLE_EQ(l->GetFieldAsDouble("length_m"), 10000);
    EXPECT_NEAR(l->GetFieldAsDouble("azimuth"), line.value.azimuth(), 1e-12);
}

TEST(GeoPackage, AFailedWriteLeavesNoFile)
{
    const auto m = smallModel();
    m->NumHoles = 0;
    const auto line = ProfileLine::make({0, 0, 1000, 0, "-"}, true);
    ASSERT_TRUE(line) << line.error;
    const std::string missing = (test::scratch() / "no-such-folder" / "model.gpkg").string();
    const auto w = writeGeoPackage(missing, *m, line.value);
    EXPECT_FALSE(w);
    EXPECT_TRUE(w.error.starts_with("The GeoPackage \"" + missing + "\" could not be written")) << w.error;
    EXPECT_FALSE(std::filesystem::exists(missing));
    // Without boreholes and without a system: four layers, no system.
    const std::string path = (test::scratch() / "local.gpkg").string();
    ASSERT_TRUE(writeGeoPackage(path, *m, line.value));
    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    ASSERT_TRUE(ds);
    EXPECT_EQ(ds->GetLayerCount(), 4);
    EXPECT_FALSE(ds->GetLayerByName("boreholes"));
    const OGRSpatialReference* srs = ds->GetLayerByName("stations")->GetSpatialRef();
    EXPECT_TRUE(!srs || srs->IsLocal()) << srs->GetName();
}

}  // namespace
}  // namespace corvane::map
