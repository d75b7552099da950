#pragma once
// What is shown with the section beside the model: sets of data points read
// from text files and a backdrop picture of a depth section. Neither takes
// part in the calculation; both are drawn, undone and saved with the model.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct DataPoint {
    double x = 0;
    double z = 0;        // depth, model units, positive down
    std::string label;   // may be empty
    // A gap in a joined set (NaN depth) equals a gap: a set equals its copy.
    bool operator==(const DataPoint& o) const
    {
        return x == o.x && (z == o.z || (z != z && o.z != o.z)) && label == o.label;
    }
};

enum class PointSymbol { Circle, Square, Triangle, Diamond, Cross };
inline constexpr int NumPointSymbols = 5;

// A horizon taken from a grid along the profile line: the set's path is the
// grid, and its points are sampled again from it whenever the model is read.
enum class HorizonGrid { None, Depth, Elevation };

struct PointSet {
    std::string path;   // the file the points were read from
    std::vector<DataPoint> points;
    PointSymbol symbol = PointSymbol::Circle;
    std::uint32_t colour = 0xff0000;   // 0xRRGGBB
    bool hidden = false;
    // Drawn as a line through its points in order, not as symbols; a point
    // of NaN depth is a gap the line is not drawn across.
    bool joined = false;
    HorizonGrid horizon = HorizonGrid::None;
    double horizonStep = 0;   // model units between the samples, from x = 0
    bool operator==(const PointSet&) const = default;
};

// The picture itself and its scaled copy (display/backdrop.h); shared by the
// copies the history keeps, so that undoing costs no second picture.
struct BackdropImage;

// How the bodies are filled over a backdrop: outlines alone, their colours
// let the picture through, or as they are filled without one.
enum class BodyFill { Outlines, Translucent, Opaque };

// A picture placed by the model positions of its left, right, top and bottom
// edges, drawn beneath the bodies.
struct Backdrop {
    std::string path;
    double xLeft = 0, xRight = 1;
    double zTop = 0, zBottom = 1;
    int opacity = 60;   // per cent
    // A seismic section's picture: the percentile of the absolute amplitudes
    // the colours are clipped at, and red-white-blue instead of grey.
    double clipPercent = 98;
    bool redWhiteBlue = false;
    std::shared_ptr<BackdropImage> image;   // empty until the file is read
    // A seismic section's trace positions from the CDP x and y of its trace headers
    // (xLeft the first trace's, xRight then follows from the headers).
    bool cdpPositions = false;
    // Above 0: the section's samples are two-way times in ms, drawn at this
    // one interval velocity in m/s (depth v t / 2; zTop and zBottom follow).
    double velocity = 0;
    BodyFill bodies = BodyFill::Translucent;
    bool operator==(const Backdrop&) const = default;
};

// A colour for the n-th set added (0 first); the symbols cycle likewise.
inline std::uint32_t pointSetColour(int n)
{
    constexpr std::uint32_t palette[] = {0xd00000, 0x0050d0, 0x008000, 0xc000c0, 0xe08000, 0x008080};
    return palette[static_cast<unsigned>(n < 0 ? 0 : n) % 6];
}

struct Overlays {
    std::vector<PointSet> pointSets;
    std::optional<Backdrop> backdrop;
    bool operator==(const Overlays&) const = default;
    bool empty() const { return pointSets.empty() && !backdrop; }
};

}  // namespace corvane
