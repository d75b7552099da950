#include "map/survey_file.h"

#include "map/gdal_session.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

namespace corvane::map {

MapResult<SurveyFile> readSurveyFile(const std::string& path, const std::string& valueField,
                                     const std::string& elevationField)
{
    using R = MapResult<SurveyFile>;
    QuietGdal quiet;
    auto cannot = [&path](const std::string& why) {
        return R::failure("The survey \"" + path + "\" cannot be read: " + why);
    };
    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!ds || ds->GetLayerCount() < 1)
        return cannot("it holds no points.");
    OGRLayer* layer = ds->GetLayer(0);
    const OGRFeatureDefn* def = layer->GetLayerDefn();
    const int value = def->GetFieldIndex(valueField.c_str());
    if (value < 0)
        return cannot("it has no attribute \"" + valueField + "\".");
    const int elevation = elevationField.empty() ? -1 : def->GetFieldIndex(elevationField.c_str());
    if (!elevationField.empty() && elevation < 0)
        return cannot("it has no attribute \"" + elevationField + "\".");
    SurveyFile out;
    if (const OGRSpatialReference* srs = layer->GetSpatialRef(); srs && !srs->IsLocal()) {
        char* wkt = nullptr;
        const char* options[] = {"FORMAT=WKT2_2019", "MULTILINE=NO", nullptr};
        srs->exportToWkt(&wkt, options);
        auto crs = Crs::fromText(wkt ? wkt : "");
        CPLFree(wkt);
        if (!crs)
            return cannot("its coordinate system is not known.");
        out.crs = crs.value;
    }
    for (const auto& f : *layer) {
        const OGRGeometry* g = f->GetGeometryRef();
        if (!g || wkbFlatten(g->getGeometryType()) != wkbPoint || !f->IsFieldSetAndNotNull(value) ||
            (elevation >= 0 && !f->IsFieldSetAndNotNull(elevation))) {
            ++out.skipped;
            continue;
        }
        const OGRPoint* p = g->toPoint();
        SurveyPoint s{p->getX(), p->getY(), f->GetFieldAsDouble(value), std::nullopt};
        if (elevation >= 0)
            s.elevation = f->GetFieldAsDouble(elevation);
        else if (p->Is3D())
            s.elevation = p->getZ();
        out.points.push_back(s);
    }
    return {std::move(out), {}};
}

}  // namespace corvane::map
