#pragma once
// The DXF drawing of the whole picture: the HP-GL plot's frame scaled to 100 x
// 75 drawing units, as LINE and TEXT entities of an ENTITIES section, each on
// a named layer (a TABLES section before it lists them) that has the colour
// the window draws it in. It takes those colours and the ground line from
// display/, so it sits above it with the other drawn outputs.
#include "model/gravity_axis.h"
#include "model/result.h"
#include "model/workspace.h"

#include <QColor>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

// A real in the default scientific notation of the drawing files: a blank or
// minus sign, one digit, the point, 14 decimals, "E", the exponent's sign and
// four exponent digits (" 3.75000000000000E+0001").
std::string dxfReal(double x);

// The drawing's layers in the order of its table, each with its colour:
// AXES, LABELS, CALCULATED, OBSERVED (with field data), BODY_1 .. BODY_n,
// BOREHOLES (with boreholes), MAGNETIC_CALCULATED and MAGNETIC_OBSERVED
// (with magnetic stations), GRADIENT_XX .. GRADIENT_ZZ (each component the
// gradient panel shows), GROUND (with station heights), AIRBORNE (with
// magnetic stations above the ground), then POINTS_1 .. for each point data set shown
// (numbered by its place in the list) when overlays are given.
std::vector<std::pair<std::string, QColor>> dxfLayers(const Model& m, const Display& d,
                                                      const Overlays* overlays = nullptr);

// The DXF file's bytes with the gravity axis from axis.min to axis.max
// (plotGravityAxis gives the plots' own, from the model alone), or without
// one the axis ws.display holds (plotAxisOf). A failure when the plot cannot
// be scaled.
Result<std::string> dxfBytes(Workspace& ws, const std::optional<GravityAxis>& axis = std::nullopt);

// Writes the DXF file. A failure's message is for the user (nothing is
// written then).
Status WriteDXF(Workspace& ws, const std::string& fileName, const std::optional<GravityAxis>& axis = std::nullopt);

}  // namespace corvane
