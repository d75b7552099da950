#pragma once
// The extras block of a model file: what the model holds beyond the six-byte
// records (hidden bodies, links, inversion choices, boreholes, display
// settings, ...), as lines of text after the last record:
//
//     #CORVANE-EXTRAS 1
//     key field field ...
//     #END
//
// ModelExtras is the block as plain data. Reading and writing go through one
// table of keys (model_extras.cpp): a new key is a new row there, with a
// reader into ModelExtras and a writer out of it, and the row's place in the
// table is its place in the canonical order; a key whose line is one record
// lists its fields once (io/extras_fields.h), for both. Lines with keys this
// program does not know are carried through unchanged, after the known ones.
#include "model/workspace.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

inline constexpr std::string_view ExtrasHeading = "#CORVANE-EXTRAS 1";
inline constexpr std::string_view ExtrasEnd = "#END";
// How every version's heading begins.
inline constexpr std::string_view ExtrasFamily = "#CORVANE-EXTRAS";

// Items that name parts of the model keep the line they were read from
// (0 for items made from a model), so that one that does not fit the model
// can be reported by its line.
struct ExtrasHidden {
    int Body = 0;
    int Line = 0;
};

struct ExtrasLink {
    int Body = 0, Corner = 0, Body2 = 0, Corner2 = 0;
    int Line = 0;
};

struct ExtrasField {   // the Earth's field
    double Intensity = 0, Inclination = 0, Declination = 0, Azimuth = 0;
};

// The profile's place on the map (model/profile_line.h).
struct ExtrasProfileLine {
    double E1 = 0, N1 = 0, E2 = 0, N2 = 0;
    std::string Crs;
};

struct ExtrasMagnetisation {
    int Body = 0;
    int Line = 0;
    double Susceptibility = 0, Remanence = 0, Inclination = 0, Declination = 0;
};

// A density contrast that changes with depth: "linear" (Rate the gradient) or
// "exponential" (Rate the decay constant), both per model unit of depth, the
// body's density being the contrast at depth Z0.
struct ExtrasDensityLaw {
    int Body = 0;
    int Line = 0;
    std::string Law;
    double Rate = 0, Z0 = 0;
};

struct ExtrasElevation {
    int Station = 0;
    int Line = 0;
    double Height = 0;
};

// A station's distance from the profile line (gravity or magnetic station).
struct ExtrasOffset {
    int Station = 0;
    int Line = 0;
    double Offset = 0;
};

struct ExtrasMagStation {
    double X = 0, Height = 0;
    std::optional<double> Anomaly;   // "-" in the file: no observed value
};

// A gravity gradient station and the components observed there (in the
// frame of ExtrasGradientFrame), each "-" in the file where not given.
struct ExtrasGradStation {
    double X = 0, Height = 0;
    std::optional<double> XX, XY, XZ, YY, YZ, ZZ;
};
struct ExtrasGradientFrame {   // "profile" or "geographic"
    std::string Frame;
};

struct ExtrasBodyInversion {
    int Body = 0;
    int Line = 0;
    bool Density = false, XPos = false, Depth = false, Angle = false;
};

// DensMin, DensMax, XPosMin, XPosMax, DepthMin, DepthMax, AngleMin, AngleMax.
inline constexpr int NumBoundValues = 8;
struct ExtrasBounds {
    int Body = 0;
    int Line = 0;
    std::array<double, NumBoundValues> Values{};
};

// The magnetisation as unknowns of the inversion, and its bounds.
struct ExtrasMagneticInversion {
    int Body = 0;
    int Line = 0;
    bool Susceptibility = false, Remanence = false;
};
struct ExtrasMagneticBounds {
    int Body = 0;
    int Line = 0;
    double SusceptibilityMin = 0, SusceptibilityMax = 1, RemanenceMin = 0, RemanenceMax = 100;
};

// Which of body B's bound pairs the user typed: density, horizontal
// position, depth, susceptibility, remanent intensity. Without the line a
// pair counts as typed when its values differ from the defaults.
struct ExtrasTypedBounds {
    int Body = 0;
    int Line = 0;
    bool Density = false, XPos = false, Depth = false, Susceptibility = false, Remanence = false;
};

struct ExtrasCornerInversion {
    int Body = 0, Corner = 0;
    int Line = 0;
    bool X = false, Z = false;
};

// The data "Invert the model" fits when there are magnetic data, and their
// observational errors (mGal, nT).
struct ExtrasFitData {
    bool Gravity = true, Magnetic = false;
    double GravityError = 0.1, MagneticError = 1;
    bool operator==(const ExtrasFitData&) const = default;
};

// A gravity gradient component "Invert the model" fits: its name in the
// profile frame ("zz"), its observational error (E) and its shift flag.
struct ExtrasGradientFit {
    std::string Component;
    double Error = 5;
    bool Shift = false;
};

struct ExtrasHoleRow {
    double X = 0, Depth = 0;
};
struct ExtrasHoleLabel {
    int Row = 0;
    std::string Text;
};
struct ExtrasHole {
    int Line = 0;
    std::string Name;
    std::vector<ExtrasHoleRow> Rows;
    std::vector<ExtrasHoleLabel> Labels;
};

// A display setting by name ("body-numbers", "calculated-colour", ...) and
// its value as written ("1", "#009600").
struct ExtrasSetting {
    int Line = 0;
    std::string Name;
    std::string Value;
};

// A point set or the backdrop shown with the section, as its item line
// (io/overlay_items.h reads and writes it).
struct ExtrasOverlayLine {
    int Line = 0;
    std::string Text;
};

struct ExtrasView {   // the profile shown and the axis steps (recovery only)
    double XMin = 0, XMax = 0;
    bool Zoomed = false;
    double DepthStep = 0, GravityStep = 0;
};

struct ModelExtras {
    std::vector<ExtrasHidden> Hidden;
    std::vector<ExtrasLink> Links;   // once per pair
    std::optional<ExtrasProfileLine> ProfileLine;
    std::optional<ExtrasField> Field;
    std::vector<ExtrasMagnetisation> Magnetisations;
    std::vector<ExtrasDensityLaw> DensityLaws;
    std::vector<ExtrasElevation> Elevations;
    std::vector<ExtrasOffset> Offsets;
    std::vector<ExtrasMagStation> MagStations;
    std::vector<ExtrasOffset> MagOffsets;
    std::optional<ExtrasGradientFrame> GradientFrame;   // none: the profile frame
    std::vector<ExtrasGradStation> GradStations;
    std::vector<ExtrasBodyInversion> BodyInversion;
    std::vector<ExtrasBounds> Bounds;
    std::vector<ExtrasMagneticInversion> MagneticInversion;
    std::vector<ExtrasMagneticBounds> MagneticBounds;
    std::vector<ExtrasTypedBounds> TypedBounds;
    std::vector<ExtrasCornerInversion> CornerInversion;
    std::optional<ExtrasHidden> InversionBody;   // the body, and its line
    std::optional<int> Iterations;
    bool KeepLinkedCorners = false;
    bool AllBodies = false;
    bool FitShift = false;
    std::optional<ExtrasFitData> FitData;   // none: the defaults
    std::vector<ExtrasGradientFit> FitGradients;   // the components chosen
    std::optional<RegionalRecord> Regional;
    std::optional<MagneticRegionalRecord> MagneticRegional;
    std::vector<ExtrasHole> Holes;
    std::vector<ExtrasSetting> Display;
    std::array<std::optional<std::string>, 2> Titles;
    std::vector<ExtrasOverlayLine> PointSetLines;
    std::optional<ExtrasOverlayLine> BackdropLine;
    std::optional<ExtrasOverlayLine> MapGridLine;   // the grid the map dock shows
    // The recovery file's own items.
    std::optional<std::string> ModelFile;
    std::optional<ExtrasHidden> CurrentBody;
    std::optional<ExtrasView> View;

    // Lines of unknown keys, written last in the order read, and the blocks
    // of other versions (see modelFileBytes).
    CarriedLines Carried;

    bool empty() const;
};

// What reading a block found besides its items.
struct ExtrasReading {
    std::vector<std::string> Problems;   // one sentence per line not read
    std::string Kept;   // blocks of other versions, byte for byte
    bool HasChecksum = false;
    bool ChecksumGood = false;
};

// A piece of the file in double quotes for a message, cut after its first
// few characters.
std::string extrasQuote(std::string_view s);
// The gradient component a `fit-gradient` line names ("xx" 0 .. "zz" 5), -1
// for none; and the name of component k.
int extrasGradientComponent(std::string_view name);
const char* extrasGradientName(int k);

// Reads the block that may follow the records. bytes is the whole file and
// at the offset of the first byte after the records. Nothing when no block
// starts there (bytes after the records that are not a block are ignored, as
// older programs ignore the block). Blocks of other versions that follow
// the records are kept in reading.Kept and reported in reading.Problems.
std::optional<ModelExtras> readExtras(std::string_view bytes, std::size_t at, ExtrasReading& reading);

// The block's text, from the line break that follows the last record to the
// "#END" line, CR LF line ends. With checksum, a "checksum" item over every
// byte of before and of the block ahead of it closes the items.
std::string extrasText(const ModelExtras& x, std::string_view before = {}, bool checksum = false);

// The checksum item's value: CRC-32 (the zlib polynomial), eight lower-case
// hex digits.
std::string extrasChecksum(std::string_view bytes);

// The extras of the model held in ws, in canonical order. modelPath is the
// file they are written to: the files shown with the section are named
// relative to its folder (absolute without one).
ModelExtras extrasOf(const Workspace& ws, const std::string& modelPath = {});

// Applies a block read from a model file to ws, whose records have just been
// loaded: the block states the model's extras in full, so boreholes and
// display settings it does not name return to their defaults. Items that do
// not fit the model (a body that does not exist, a one-sided link) are left
// out, each with a sentence in problems. The point sets and the backdrop are
// taken in without their files (modelPath anchors their relative paths):
// the window reads those (output/backdrop_file.h's readOverlayFiles).
void applyExtras(Workspace& ws, const ModelExtras& x, std::vector<std::string>& problems,
                 const std::string& modelPath = {});

// The stations' heights of the block, set before the bodies are calculated
// (stations it does not name stand on the datum).
void applyElevations(Model& m, const ModelExtras& x, std::vector<std::string>& problems);

// Shortest text that reads back as the same double, C locale.
std::string extrasNumber(double v);

}  // namespace corvane
