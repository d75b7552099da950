#pragma once
// The model: stations with observed and calculated anomalies, the body slots
// with their corners, links and inversion settings, and the boreholes.
// Plain C++ so that every layer above, and the tests, can use it without a window.
#include "array1.h"
#include "profile_line.h"
#include "tensor.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

inline constexpr int MaxBodies = 51;
inline constexpr int MaxCorners = 51;   // 50 distinct corners plus the closing copy
inline constexpr int MaxStations = 4096;
inline constexpr int MaxHoles = 3;
inline constexpr int MaxHoleDepths = 50;
inline constexpr int MaxHoleLabels = 10;
inline constexpr double MinDepth = 0.0001;   // corners never reach the surface
inline constexpr double DegToRad = 0.0174533;

// How a body's density contrast changes with depth: Density is the contrast
// at the reference depth LawZ0 (model units below the datum), LawRate the
// gradient (g/cm3 per model unit of depth) or the decay constant (per model
// unit of depth).
enum class DensityLaw : int { Constant, Linear, Exponential };

// One polygonal body: a prism of finite length along strike, stored closed
// (corner NumCorners repeats corner 1).
class Tbody {
public:
    double Density = 0;
    double StrikeLength1 = 0;
    double StrikeLength2 = 0;
    double Susceptibility = 0;        // SI
    double Remanence = 0;             // A/m
    double RemanentInclination = 0;   // degrees, positive downwards
    double RemanentDeclination = 0;   // degrees east of north
    double DensMin = 0, DensMax = 1.0;
    double XPosMin = 0, XPosMax = 1000;
    double DepthMin = 0, DepthMax = 1000;
    double AngleMin = -90, AngleMax = 90;
    double LawRate = 0;
    double LawZ0 = 0;
    int NumCorners = 1;
    DensityLaw Law = DensityLaw::Constant;   // beside NumCorners: no new padding
    bool Hidden = false;
    bool InvertDensity = false;
    bool InvertXPos = false;
    bool InvertDepth = false;
    bool InvertAngle = false;
    Array1<double, MaxStations> Gravity;
    Array1<double, MaxStations> Magnetic;   // nT at each magnetic station
    Array1<bool, MaxCorners> CornerInvertX;
    Array1<bool, MaxCorners> CornerInvertZ;
    Array1<double, MaxCorners> CornerX;
    Array1<double, MaxCorners> CornerZ;
    Array1<bool, MaxCorners> Linked;
    Array1<int, MaxCorners> LinkBody;
    Array1<int, MaxCorners> LinkCorner;
    // The magnetisation as unknowns of the inversion, and their bounds; the
    // defaults stand for "none typed", as those of the density do.
    bool InvertSusceptibility = false;
    bool InvertRemanence = false;
    double SusceptibilityMin = 0, SusceptibilityMax = 1;
    double RemanenceMin = 0, RemanenceMax = 100;
    // Set when the user entered a pair of bounds, so that bounds typed equal
    // to the defaults are still the user's (model/bounds.h).
    bool DensBoundsTyped = false;
    bool XPosBoundsTyped = false;
    bool DepthBoundsTyped = false;
    bool SusceptibilityBoundsTyped = false;
    bool RemanenceBoundsTyped = false;

    // Writes (x, z) into corner k, and into the closing copy when k is 1 or n.
    void setCorner(int k, double x, double z);
    void clearLink(int k);
};

// One borehole log.
class THole {
public:
    int NumLabels = 0;
    int NumDepths = 0;
    std::string Name;   // at most 20 characters
    Array1<double, MaxHoleDepths> HoleX;
    Array1<double, MaxHoleDepths> HoleDepth;
    Array1<std::string, MaxHoleLabels> Label;   // each at most 15 characters
    Array1<int, MaxHoleLabels> LabelRow;
};

// The magnetic stations: a profile of their own beside the gravity stations,
// each with a height above the datum and, where measured, an observed
// total-field anomaly. Plain data, so that the history can keep it as bytes.
struct MagneticStations {
    int Num = 0;
    int Spare = 0;
    // The Earth's field: intensity (nT), inclination (degrees, positive
    // downwards), declination (degrees east of north), and the profile's
    // azimuth (the direction of increasing x, degrees east of north).
    double FieldIntensity = 50000;
    double FieldInclination = 60;
    double FieldDeclination = 0;
    double FieldAzimuth = 90;
    Array1<double, MaxStations> X;
    Array1<double, MaxStations> Height;
    Array1<double, MaxStations> Observed;
    Array1<double, MaxStations> Calculated;
    // Each station's distance from the profile line on the map (model units,
    // positive to its left), from a scattered survey; 0 on the line. Shown
    // and exported only: the anomalies are calculated at the line.
    Array1<double, MaxStations> Offset;
    Array1<bool, MaxStations> HasObserved;
};

// What an edit changed of a body, so that only the anomalies it affects are
// calculated anew: the density moves gravity alone, the magnetisation (or its
// direction) the magnetic anomaly alone, the corners and strike lengths both.
enum class BodyChange { Shape, Density, Magnetisation };

// The gravity gradient stations: a profile of their own, each with a height
// above the datum, the components a gradiometer measured (Eötvös, in the
// frame of the data, each with its own has-value flag) and the calculated
// tensor (Eötvös, profile frame: x along the profile, y to its left, z down).
// Plain data, so that the history can keep it as bytes.
struct GradientStations {
    int Num = 0;
    TensorFrame Frame = TensorFrame::Profile;   // the frame of Observed
    Array1<double, MaxStations> X;
    Array1<double, MaxStations> Height;
    Array1<GravityTensor, MaxStations> Observed;
    Array1<TensorFlags, MaxStations> HasObserved;
    Array1<GravityTensor, MaxStations> Calculated;   // the visible bodies' sum
};

class Model {
public:
    Model();   // the start-up defaults

    int NumStations = 100;
    Array1<double, MaxStations> StationX;
    Array1<double, MaxStations> ObservedGravity;
    Array1<double, MaxStations> CalculatedGravity;
    // Each station's height above the datum (positive up; its depth is
    // minus this). 0 everywhere unless the field data gave heights.
    Array1<double, MaxStations> StationHeight;
    // Each station's distance from the profile line, as Mag.Offset.
    Array1<double, MaxStations> StationOffset;
    bool HaveObserved = true;
    bool UnitsKm = true;
    bool ModelExists = false;
    int NumBodies = 1;
    Array1<Tbody, MaxBodies> Bodies;
    int CurrentBody = 1;
    Array1<THole, MaxHoles> Holes;
    int NumHoles = 0;
    MagneticStations Mag;
    GradientStations Grad;
    // Each body's tensor at the gradient stations (station i at [i - 1]),
    // sized by RecalculateGradients; empty without gradient stations. Kept
    // out of Tbody so that a body's slot stays small for the history.
    Array1<std::vector<GravityTensor>, MaxBodies> BodyGradient;
    std::optional<ProfileLineRecord> ProfileLine;   // none: the profile is not placed on a map

    // Body operations (bodies named by number).
    void MoveBody(int b, double dx, double dz);
    void TurnBody(int b, double angle);
    void UnlinkCorner(int b, int k);
    void CopyBody(int from, int to);
    void ClearInversionFlags(int first, int last);

    // Anomaly upkeep: CalculatedGravity is the sum of the Gravity arrays of
    // the bodies 1..NumBodies that are not hidden.
    void CalculateBody(int b);     // recalculate b; add it to the total if visible
    // Removes b's old contribution to the fields `what` affects and adds the new one.
    void UpdateBody(int b, BodyChange what = BodyChange::Shape);
    void RecalculateModel();       // zero the total and calculate every body
    void removeFromTotals(int b);  // take b's anomalies out of the totals (b about to go)
    void zeroTotals();             // every total 0, before each body is calculated anew

    // Hiding or showing only changes which arrays are summed.
    void setHidden(int b, bool hidden);

    // The magnetic total alone: every body's Magnetic array and Mag.Calculated
    // (after the stations or the Earth's field change).
    void RecalculateMagnetic();
    // The gradient tensors alone: every body's BodyGradient and
    // Grad.Calculated (hidden bodies left out of the sum).
    void RecalculateGradients();
    // Both, as RecalculateMagnetic and RecalculateGradients give them; where
    // the two tables hold the same stations, in one pass that computes the
    // terms both fields take once.
    void RecalculateMagneticAndGradients();
    // True when the model has magnetic stations or a magnetised body.
    bool hasMagnetics() const;
    // No magnetic stations, the default field, no body magnetised.
    void clearMagnetics();

    // The body and corner that hold the partner of corner k of body b, if the
    // link record points at a real corner.
    bool partnerOf(int b, int k, int& pb, int& pk) const;
};

std::unique_ptr<Model> makeModel();

// Whether some gravity (magnetic) station stands off the profile line.
bool hasGravityOffsets(const Model& m);
bool hasMagneticOffsets(const Model& m);

}  // namespace corvane
