#pragma once
// Process-wide settings that are not part of the model itself.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// Shared by the mouse commands, the body-properties fits and the inversion.
struct InversionState {
    int InversionBody = 1;    // the body that inversion works on
    int NumIterations = 10;   // iterations of fits and inversion
    int IterationCount = 0;   // non-zero only while a fit or inversion runs
};

struct AppSettings {
    bool ExpertUser = false;        // suppresses the mouse commands' instruction boxes
    std::string StartupDirectory;   // where the help file is looked for
    std::string ModelFileName;      // the model file last loaded or saved
    std::string Title1 = std::string(24, ' ');   // hardcopy title lines
    std::string Title2 = std::string(24, ' ');
    bool HardcopyLayout = false;    // the hardcopy layout switch
};

// A regional field as it was removed from the observed data: its kind
// ("constant", "linear", "spline") and its coefficients.
struct RegionalRecord {
    std::string Kind;
    std::vector<double> Coefficients;
    bool operator==(const RegionalRecord&) const = default;
};

// A magnetic regional taken off the observed magnetic anomaly: A + B x nT,
// x the position along the profile in model units.
struct MagneticRegionalRecord {
    double A = 0;
    double B = 0;
    bool operator==(const MagneticRegionalRecord&) const = default;
};

// What a model file's extras hold that the program keeps without using it:
// lines of keys it does not know, in the order read, and blocks of other
// versions, byte for byte.
struct CarriedLines {
    std::vector<std::string> Unknown;
    std::string Blocks;
    bool empty() const { return Unknown.empty() && Blocks.empty(); }
    bool operator==(const CarriedLines&) const = default;
};

// One gravity gradient component as "Invert the model" fits it (profile
// frame): chosen or not, its observational error (E), and whether a constant
// shift of it is a further unknown.
struct GradientFitChoice {
    bool Fit = false;
    double Error = 5;
    bool Shift = false;
    bool operator==(const GradientFitChoice&) const = default;
};

// What a model keeps for its file that has no other home.
struct ExtrasState {
    // The options of "Invert the model" beyond the bodies' own choices, kept
    // with the model so that a run can be repeated (from corvane-calc too);
    // storing them is part of the run, undone with it.
    bool KeepLinkedCorners = false;              // the inversion's "Keep linked corners"
    bool AllBodies = false;       // every body's chosen parameters at once
    bool FitShift = false;        // a constant level as a further unknown
    bool FitGravity = true;       // the data fitted, when there are magnetic data
    bool FitMagnetic = false;
    double GravityError = 0.1;    // mGal
    double MagneticError = 1;     // nT
    // The gradient components fitted, in the order xx, xy, xz, yy, yz, zz.
    std::array<GradientFitChoice, 6> FitGradients{};
    std::optional<RegionalRecord> RegionalRemoved;   // the regional last removed
    std::optional<MagneticRegionalRecord> MagneticRegionalRemoved;   // all removed, in sum
    CarriedLines Carried;
    bool operator==(const ExtrasState&) const = default;
};

}  // namespace corvane
