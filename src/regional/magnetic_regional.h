#pragma once
// The magnetic regional: a constant or a straight line, A + B x nT, taken
// off the observed magnetic anomaly. Plain functions over the model, tested
// without a window.
#include "model/model.h"
#include "model/settings.h"
#include "regional/regional.h"

#include <optional>
#include <string>

namespace corvane {

// The regional at position x (model units).
inline double magneticRegionalAt(const MagneticRegionalRecord& r, double x) { return r.A + r.B * x; }

// The mean of the observed magnetic values; nothing when there is none.
std::optional<double> meanObservedMagnetic(const Model& m);

// The least-absolute-deviation line through the observed magnetic values,
// intercept at position 0 (as the regional A + B x has it); a failure, with
// the message for the user, when fewer than two stations at distinct
// positions have a value.
Result<LineFit> fitMagneticLine(const Model& m);

// Subtracts the regional from every observed magnetic value and adds it to
// the total the model keeps (two lines taken off make one line), so the file
// records all that was removed. The bodies' anomalies do not change.
void removeMagneticRegional(Model& m, ExtrasState& extras, const MagneticRegionalRecord& r);

// " T = A + B X" as the dialog shows it (" T = 12.5 - 0.0300 X").
std::string magneticRegionalText(const MagneticRegionalRecord& r);

}  // namespace corvane
