#pragma once
// Scattered survey stations projected onto the profile line: each station's
// x along the line and its offset from it; those farther from the line than
// a given distance, or beyond its ends, are left out and counted.
#include "map/map_result.h"
#include "map/profile_line.h"

#include <optional>
#include <vector>

namespace corvane::map {

struct SurveyPoint {
    double E = 0, N = 0;   // in the survey's coordinate system
    double value = 0;
    std::optional<double> elevation;   // as the survey gives it
};

struct ProjectedStation {
    double x = 0;        // model units along the line
    double offset = 0;   // model units from the line, positive to its left
    double value = 0;
    std::optional<double> elevation;
};

struct SurveyProjection {
    std::vector<ProjectedStation> stations;   // in profile order
    int tooFar = 0;       // farther from the line than the distance
    int beyondEnds = 0;   // within it, but before the first end or past the last
    int unplaced = 0;     // PROJ cannot carry them into the line's system
};

struct SurveyOptions {
    double maxDistance = 0;     // model units from the line
    bool keepBeyondEnds = false;
    Crs crs;                    // the survey's system; none: the line's
};

MapResult<SurveyProjection> projectSurvey(const std::vector<SurveyPoint>& points, const ProfileLine& line,
                                          const SurveyOptions& options);

}  // namespace corvane::map
