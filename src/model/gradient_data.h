#pragma once
// The gradient stations as data: setting them as a file or the model gives
// them, and each component's misfit.
#include "model.h"
#include "tensor.h"

#include <array>
#include <optional>
#include <vector>

namespace corvane {

// One gradient station as read: its observed components in the frame of the
// data, each with its has-value flag.
struct GradientStationValue {
    double x = 0;
    double height = 0;
    GravityTensor observed;
    TensorFlags has{};
};

// Replaces the gradient stations (the first MaxStations given, then sorted by
// position, stable) and their frame, and calculates every body's tensors.
// True when stations had to be dropped.
bool setGradientStations(Model& m, std::vector<GradientStationValue> stations, TensorFrame frame);

// Each component's observed minus calculated RMS (E) in the profile frame,
// over the stations where it has an observed value; nothing where none has.
std::array<std::optional<double>, TensorComponents> gradientMisfit(const Model& m);

}  // namespace corvane
