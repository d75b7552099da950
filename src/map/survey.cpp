#include "map/survey.h"

#include <algorithm>
#include <cmath>

namespace corvane::map {

MapResult<SurveyProjection> projectSurvey(const std::vector<SurveyPoint>& points, const ProfileLine& line,
                                          const SurveyOptions& options)
{
    using R = MapResult<SurveyProjection>;
    if (!(options.maxDistance >= 0) || !std::isfinite(options.maxDistance))
        return R::failure("The distance from the line must be a number not below 0.");
    const auto toLine = CrsTransform::between(options.crs, line.crs());
    if (!toLine)
        return R::failure(toLine.error);
    SurveyProjection out;
    for (const SurveyPoint& s : points) {
        MapPoint p{s.E, s.N};
        if (!toLine.value.apply(p)) {
            ++out.unplaced;
            continue;
        }
        const double x = line.xOf(p), offset = line.offsetOf(p);
        if (!(std::fabs(offset) <= options.maxDistance)) {
            ++out.tooFar;
            continue;
        }
        if (!options.keepBeyondEnds && (x < 0 || x > line.length())) {
            ++out.beyondEnds;
            continue;
        }
        out.stations.push_back({x, offset, s.value, s.elevation});
    }
    std::stable_sort(out.stations.begin(), out.stations.end(),
                     [](const ProjectedStation& a, const ProjectedStation& b) { return a.x < b.x; });
    return {std::move(out), {}};
}

}  // namespace corvane::map
