#pragma once
// The unknowns of an inversion: their kinds, how each kind is read, named,
// bounded and moved, and which a body contributes. Plain C++ over the model.
#include "inversion/fits.h"
#include "inversion/inversion_options.h"
#include "model/model.h"

#include <optional>
#include <string>
#include <vector>

namespace corvane {

inline constexpr int MaxUnknowns = 10;
// The unknowns of a run over all bodies: the normal equations stay small
// enough to solve in a few milliseconds.
inline constexpr int MaxUnknownsAllBodies = 200;

enum class UnknownKind {
    Density, XPosition, Depth, Rotation, CornerX, CornerZ, Susceptibility, Remanence,
    DensityRate,   // a law body's gradient or decay constant, beside its contrast
    GravityShift, MagneticShift,   // the constant levels: no body
    GradientShift                  // one gradient component's level; its component in `corner`
};

struct Unknown {
    UnknownKind kind = UnknownKind::Density;
    int corner = 0;    // for CornerX and CornerZ; the component of a GradientShift
    double value = 0;  // P(k)
    int body = 0;      // the body it belongs to; 0 for a constant level
};

// The bounds a run holds a body's parameters within.
struct BodyBounds {
    Bounds density, position, depth, susceptibility, remanence;
};

// How a change of an unknown reaches the model.
enum class UnknownMove {
    Field,    // a property of the body, set to the value
    Shift,    // the whole body moved so corner 1 lies at the value
    Turn,     // the body turned about its centre by the value, in degrees
    Corner,   // one corner moved by the increment
    Level,    // a constant level: the value is all there is
};

// What the run needs to know of one kind of unknown.
struct UnknownAccess {
    // Its name alone and after "Body n "; a corner's follows "Corner n ".
    const char* name;
    const char* inBody;
    int decimals;          // as the report shows it
    bool distance;         // in model units of distance (scaled per km)
    UnknownMove move;
    bool horizontal;       // Shift and Corner: along x, else along z
    // The value in the model; rotation is the run's own accumulated one.
    double (*get)(const Tbody& body, int corner, double rotation);
    // Field: the body's property set to v.
    void (*set)(Tbody& body, double v);
    // The bounds of the run that hold it; none for corners and levels.
    std::optional<Bounds> (*bounds)(const Tbody& body, const BodyBounds& run);
};

const UnknownAccess& unknownAccess(UnknownKind kind);

// The unknowns of body b in their fixed order: density (and, for a body whose
// contrast follows a law, the law's rate), horizontal position,
// depth, rotation (starting at 0), then flagged corner x of corners 1..n-1,
// then flagged corner z.
std::vector<Unknown> inversionUnknowns(const Tbody& body);

// The number of unknowns body b would have (the same count, without building).
int countUnknowns(const Tbody& body);

// The name of an unknown as the result window shows it ("Corner 3 depth",
// "Gravity shift"); withBody names its body too ("Body 2 corner 3 depth"),
// for runs over several bodies.
std::string unknownName(const Unknown& u, bool withBody = false);

// The bounds of the body's susceptibility and remanent intensity: those
// typed, or 0 .. 1 SI and 0 .. 100 A/m widened to hold the present value.
Bounds susceptibilityBounds(const Tbody& body);
Bounds remanenceBounds(const Tbody& body);

// The unknowns of body b with the magnetic ones the options add.
std::vector<Unknown> inversionUnknowns(const Tbody& body, const InversionOptions& options);

}  // namespace corvane
