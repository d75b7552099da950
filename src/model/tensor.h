#pragma once
// The gravity gradient tensor at a station: its six independent components
// in Eötvös (1 E = 1e-9 / s^2 = 0.1 mGal/km), and the frames it is given in.
#include <array>

namespace corvane {

inline constexpr int TensorComponents = 6;

// Profile frame: x along the profile, y to its left, z down (the frame of
// the section and of docs/gradients.md). Geographic frame: north, east, down,
// as gradiometry surveys deliver their data; there xx is T_NN, xy T_NE, xz
// T_ND, yy T_EE, yz T_ED and zz T_DD.
enum class TensorFrame : int { Profile = 0, Geographic = 1 };

struct GravityTensor {
    double xx = 0, xy = 0, xz = 0, yy = 0, yz = 0, zz = 0;

    // Component k in the order xx, xy, xz, yy, yz, zz.
    double& operator[](int k) { return this->*Members[static_cast<unsigned>(k)]; }
    double operator[](int k) const { return this->*Members[static_cast<unsigned>(k)]; }
    bool operator==(const GravityTensor&) const = default;

private:
    static constexpr std::array<double GravityTensor::*, TensorComponents> Members = {
        &GravityTensor::xx, &GravityTensor::xy, &GravityTensor::xz,
        &GravityTensor::yy, &GravityTensor::yz, &GravityTensor::zz};
};

// Which components of a tensor hold a value, in the same order.
using TensorFlags = std::array<bool, TensorComponents>;

}  // namespace corvane
