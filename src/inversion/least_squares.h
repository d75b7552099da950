#pragma once
// The damped least-squares inversion of the selected parameters of one body:
// finite-difference Jacobian, Levenberg-Marquardt damping, normal equations
// solved through a singular value decomposition, bounded update.
// Plain C++ over the model.
#include "display/display_state.h"
#include "inversion/svd.h"
#include "model/model.h"
#include "model/settings.h"

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace corvane {

inline constexpr int MaxUnknowns = 10;

enum class UnknownKind { Density, XPosition, Depth, Rotation, CornerX, CornerZ };

struct Unknown {
    UnknownKind kind = UnknownKind::Density;
    int corner = 0;    // for CornerX and CornerZ
    double value = 0;  // P(k)
};

// The unknowns of body b in their fixed order: density, horizontal position,
// depth, rotation (starting at 0), then flagged corner x of corners 1..n-1,
// then flagged corner z.
std::vector<Unknown> inversionUnknowns(const Tbody& body);

// The number of unknowns body b would have (the same count, without building).
int countUnknowns(const Tbody& body);

// The iteration count typed for the inversion: a whole number, its absolute
// value, at most 255; anything else gives 10.
int inversionIterationCount(std::string_view typed);

// One inversion run over body b with its working state.
class Inversion {
public:
    Inversion(Model& m, const Display& d, int body);

    const std::vector<Unknown>& unknowns() const { return unknowns_; }
    double lambda() const { return lambda_; }
    double rotation() const { return rotation_; }   // accumulated, degrees
    double lastMisfit() const { return e0_; }

    // Column k of J for the current state (index 0 for station 1). The model
    // is left exactly as it was.
    std::vector<double> column(int k);

    // One iteration t (1-based): residuals, Jacobian, damping, solve, update.
    void iterate(int t);

    // The increments of the last iteration.
    const std::vector<double>& increments() const { return delta_; }

private:
    void recalculateAfterMove();
    void moveBody(double dx, double dz);
    void applyUnknowns();

    Model& m_;
    const Display& d_;
    int b_;
    std::vector<Unknown> unknowns_;
    double lambda_ = 2;
    double e0_ = 0;
    double rotation_ = 0;
    double hx_ = 0, hz_ = 0;
    std::vector<double> delta_;
    std::vector<double> r_;
};

enum class InversionOutcome { Done, NothingSelected, TooManyUnknowns };

// The whole run: corners of body b unlinked, then `iterations` iterations with
// IterationCount showing the iteration. afterIteration runs after each one.
// More than MaxUnknowns unknowns are refused before anything changes.
InversionOutcome runInversion(Model& m, InversionState& inv, const Display& d, int b,
                              int iterations, const std::function<void()>& afterIteration = {});

}  // namespace corvane
