// Every file in examples/ is read through the reader the program uses for its
// kind, and what the reader made of it is checked against counts taken from
// the file by other means (its size, its lines). A file of a kind no reader
// takes, or one the folder's README does not describe, fails the test.
#include "app/newmodel_data.h"
#include "display/backdrop.h"
#include "io/input_files.h"
#include "io/model_extras.h"
#include "io/model_file.h"
#include "io/point_file.h"
#include "map/grid_sampling.h"
#include "output/backdrop_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace corvane;

namespace {

const fs::path examplesDir = fs::path(CORVANE_TEST_DATA) / ".." / ".." / "examples";

std::string readText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> textLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool isBlank(const std::string& s)
{
    return s.find_first_not_of(" \t") == std::string::npos;
}

// The whitespace-separated words of a line that read in full as numbers.
std::vector<double> numbersOf(const std::string& line)
{
    std::vector<double> out;
    std::istringstream in(line);
    for (std::string w; in >> w;) {
        char* end = nullptr;
        const double v = std::strtod(w.c_str(), &end);
        if (end == w.c_str() + w.size())
            out.push_back(v);
    }
    return out;
}

std::vector<fs::path> exampleFiles()
{
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(examplesDir))
        if (e.is_regular_file())
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

void checkModelFile(const fs::path& p)
{
    Workspace ws;
    ASSERT_EQ(loadModelFile(ws, p.string()).message(), "");
    const Model& m = ws.model;
    // What it shows with the section lies beside it.
    EXPECT_EQ(readOverlayFiles(ws.overlays, m.UnitsKm ? 1000 : 1), "");
    EXPECT_GE(m.NumStations, 2);
    EXPECT_GE(m.NumBodies, 1);
    // Six-byte records: 9 settings, two per station, and for each body 4
    // plus two per stored corner.
    std::uintmax_t records = 9 + 2 * static_cast<std::uintmax_t>(m.NumStations);
    for (int b = 1; b <= m.NumBodies; ++b) {
        EXPECT_GE(m.Bodies[b].NumCorners, 4) << "body " << b;
        records += 4 + 2 * static_cast<std::uintmax_t>(m.Bodies[b].NumCorners);
    }
    // After the records: nothing, or the extras block the program's own save writes.
    const std::string bytes = readText(p);
    ASSERT_GE(bytes.size(), 6 * records);
    const std::string rest = bytes.substr(6 * records);
    if (!rest.empty()) {
        EXPECT_EQ(rest.rfind("\r\n" + std::string(ExtrasHeading) + "\r\n", 0), 0u);
        EXPECT_TRUE(rest.ends_with("\r\n" + std::string(ExtrasEnd) + "\r\n"));
    }
    for (int i = 2; i <= m.NumStations; ++i)
        EXPECT_GT(m.StationX[i], m.StationX[i - 1]) << "station " << i;
}

void checkBodyFile(const fs::path& p)
{
    const std::vector<std::string> lines = textLines(readText(p));
    ASSERT_GE(lines.size(), 3u);
    // Line 3 gives the number of bodies from column 16 on.
    const std::vector<double> count = numbersOf(lines[2].substr(std::min<std::size_t>(15, lines[2].size())));
    ASSERT_EQ(count.size(), 1u) << lines[2];

    Workspace ws;
    const int before = ws.model.NumBodies;
    ASSERT_EQ(readBodyFileAt(ws, p.string()).message(), "");
    EXPECT_EQ(ws.model.NumBodies, before + static_cast<int>(count[0]));
    for (int b = before + 1; b <= ws.model.NumBodies; ++b) {
        EXPECT_GE(ws.model.Bodies[b].NumCorners, 4) << "body " << b;
        EXPECT_EQ(ws.model.Bodies[b].StrikeLength1, 100.0);
        EXPECT_EQ(ws.model.Bodies[b].StrikeLength2, 100.0);
    }
}

void checkBoreholeFile(const fs::path& p)
{
    const std::vector<std::string> lines = textLines(readText(p));
    ASSERT_GE(lines.size(), 4u);
    // After the name and two free lines: data rows of two numbers, and labels.
    int rows = 0, labels = 0;
    for (std::size_t i = 3; i < lines.size(); ++i) {
        if (isBlank(lines[i]))
            continue;
        if (numbersOf(lines[i]).size() == 2)
            ++rows;
        else
            ++labels;
    }
    Workspace ws;
    ASSERT_EQ(readBoreholeFileAt(ws, p.string()).message(), "");
    ASSERT_EQ(ws.model.NumHoles, 1);
    const THole& h = ws.model.Holes[1];
    EXPECT_EQ(h.Name, lines[0].substr(0, 20));
    EXPECT_EQ(h.NumDepths, rows);
    EXPECT_EQ(h.NumLabels, labels);
    for (int k = 2; k <= h.NumDepths; ++k)
        EXPECT_GE(h.HoleDepth[k], h.HoleDepth[k - 1]) << "row " << k;
}

// A field-data file of the examples is meant to be taken with the column
// chooser as it opens: x in column 1, anomaly in column 2, 3 comment lines.
void checkFieldData(const fs::path& p)
{
    const std::string text = readText(p);
    const std::vector<std::string> lines = textLines(text);
    const ColumnChoice opening;
    ASSERT_GT(static_cast<int>(lines.size()), opening.commentLines);
    int dataLines = 0;
    for (std::size_t i = opening.commentLines; i < lines.size(); ++i) {
        if (isBlank(lines[i]))
            continue;
        ++dataLines;
        EXPECT_LE(lines[i].size(), static_cast<std::size_t>(FieldDataLineLength)) << "line " << i + 1;
        EXPECT_GE(numbersOf(lines[i]).size(), 2u) << "line " << i + 1;
    }

    const FieldDataTable table = readFieldDataText(text).value();
    EXPECT_FALSE(table.linesDropped);
    EXPECT_LE(table.maxFields, MaxFieldsPerLine);
    const StationList s = stationsFromTable(table, opening);
    EXPECT_FALSE(s.truncated);
    EXPECT_FALSE(s.sorted) << "stations are expected in order along the profile";
    ASSERT_EQ(static_cast<int>(s.x.size()), dataLines) << "every data line becomes a station";
    ASSERT_EQ(s.g.size(), s.x.size());
    EXPECT_GE(dataLines, 300) << "a field profile of several hundred stations";

    // First and last station as the lines say.
    const std::vector<double> first = numbersOf(lines[opening.commentLines]);
    std::size_t last = lines.size() - 1;
    while (isBlank(lines[last]))
        --last;
    const std::vector<double> end = numbersOf(lines[last]);
    EXPECT_DOUBLE_EQ(s.x.front(), first[0]);
    EXPECT_DOUBLE_EQ(s.g.front(), first[1]);
    EXPECT_DOUBLE_EQ(s.x.back(), end[0]);
    EXPECT_DOUBLE_EQ(s.g.back(), end[1]);
}

// The gradiometry line's table is the one its model holds: the same stations,
// heights and geographic components, row by row.
void checkGradientLine(const fs::path& p)
{
    Workspace ws;
    ASSERT_EQ(loadModelFile(ws, (examplesDir / "field_profile_gradients.mod").string()).message(), "");
    const GradientStations& g = ws.model.Grad;
    EXPECT_EQ(g.Frame, TensorFrame::Geographic);
    std::istringstream in(readText(p));
    std::string line;
    for (int i = 0; i < 3; ++i)
        std::getline(in, line);
    int i = 0;
    for (double x = 0, h = 0; std::getline(in, line) && i < g.Num;) {
        std::istringstream row(line);
        GravityTensor t;
        ASSERT_TRUE(row >> x >> h >> t.xx >> t.xy >> t.xz >> t.yy >> t.yz >> t.zz) << line;
        ++i;
        EXPECT_EQ(g.X[i], x);
        EXPECT_EQ(g.Height[i], h);
        EXPECT_EQ(g.Observed[i], t) << line;
        EXPECT_EQ(g.HasObserved[i], (TensorFlags{true, true, true, true, true, true}));
    }
    EXPECT_GT(i, 50);
    EXPECT_EQ(i, g.Num);
}

}  // namespace

TEST(ExampleFiles, EveryExampleIsReadByTheProgram)
{
    const std::vector<fs::path> files = exampleFiles();
    ASSERT_FALSE(files.empty()) << examplesDir;
    int read = 0;
    for (const fs::path& p : files) {
        SCOPED_TRACE(p.filename().string());
        const std::string ext = p.extension().string();
        if (ext == ".md")
            continue;
        if (ext == ".mod")
            checkModelFile(p);
        else if (ext == ".bod")
            checkBodyFile(p);
        else if (ext == ".hol")
            checkBoreholeFile(p);
        else if (ext == ".dta" || ext == ".dat")
            checkFieldData(p);
        else if (p.filename() == "field_profile_gradients.txt")
            checkGradientLine(p);   // read by the program as its model's gradient stations
        else if (ext == ".txt")
            EXPECT_EQ(readPointFileAt(p.string()).message(), "");
        else if (ext == ".sgy") {
            Backdrop b{p.string(), 0, 1, 0, 1, 60, 98, false, {}, true, 0};
            EXPECT_EQ(readBackdrop(b, {}, 1000).message(), "");
            EXPECT_TRUE(b.image);
        } else if (ext == ".asc")   // a grid, in the system its .prj names
            EXPECT_EQ(map::gridCrsText(p.string()).value, "EPSG:32633");
        else if (ext == ".prj")
            EXPECT_TRUE(fs::exists(fs::path(p).replace_extension(".asc")));
        else
            ADD_FAILURE() << "no reader of the program takes a file named " << p.filename();
        ++read;
    }
    EXPECT_GE(read, 4);
}

TEST(ExampleFiles, TheReadmeDescribesEveryExample)
{
    const std::string readme = readText(examplesDir / "README.md");
    ASSERT_FALSE(readme.empty());
    for (const fs::path& p : exampleFiles()) {
        if (p.filename() == "README.md")
            continue;
        EXPECT_NE(readme.find("`" + p.filename().string() + "`"), std::string::npos)
            << p.filename() << " is not described in examples/README.md";
    }
}

TEST(ExampleFiles, TheBasementModelHoldsItsMagneticData)
{
    // The stations and values of the magnetic data file, in the field named on
    // its second line, and bodies not magnetised yet.
    const std::string text = readText(examplesDir / "basement_mag.dta");
    const StationList s = stationsFromTable(readFieldDataText(text).value(), ColumnChoice{});
    ASSERT_GE(s.x.size(), 2u);
    std::string named = textLines(text).at(1);
    std::replace(named.begin(), named.end(), ',', ' ');
    const std::vector<double> field = numbersOf(named);
    ASSERT_EQ(field.size(), 4u) << named;

    Workspace ws;
    ASSERT_EQ(loadModelFile(ws, (examplesDir / "basement.mod").string()).message(), "");
    const Model& m = ws.model;
    const MagneticStations& mag = m.Mag;
    ASSERT_EQ(mag.Num, static_cast<int>(s.x.size()));
    for (int i = 1; i <= mag.Num; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(mag.X[i], s.x[i - 1]);
        EXPECT_EQ(mag.Height[i], 0);
        ASSERT_TRUE(mag.HasObserved[i]);
        EXPECT_EQ(mag.Observed[i], s.g[i - 1]);
    }
    EXPECT_EQ(mag.FieldIntensity, field[0]);
    EXPECT_EQ(mag.FieldInclination, field[1]);
    EXPECT_EQ(mag.FieldDeclination, field[2]);
    EXPECT_EQ(mag.FieldAzimuth, field[3]);
    EXPECT_TRUE(ws.display.ShowMagnetic);
    for (int b = 1; b <= m.NumBodies; ++b) {
        EXPECT_EQ(m.Bodies[b].Susceptibility, 0) << "body " << b;
        EXPECT_EQ(m.Bodies[b].Remanence, 0) << "body " << b;
    }
}

TEST(ExampleFiles, TheFieldProfileFitsTheStationLimit)
{
    // The field example is also meant to be opened in the grid dialog, whose
    // rows hold at most 4096 lines of data.
    for (const fs::path& p : exampleFiles()) {
        if (p.extension() != ".dta" && p.extension() != ".dat")
            continue;
        SCOPED_TRACE(p.filename().string());
        const FieldDataTable t = readFieldDataText(readText(p)).value();
        EXPECT_LE(static_cast<int>(t.lines.size()), MaxStations);
    }
}

namespace {

// The text file with the blanks between the fields of every line after the
// first `free` lines replaced by sep (after a 15-column label where the file
// has one); with semicolons, numbers are written with a decimal comma.
std::string withSeparator(const std::string& text, std::size_t free, std::size_t label, char sep)
{
    std::string out;
    const std::vector<std::string> lines = textLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (i >= free) {
            const std::size_t keep = std::min(label, line.size());
            std::istringstream words(line.substr(keep));
            line.resize(keep);
            bool first = true;
            for (std::string w; words >> w; first = false) {
                if (sep == ';' && numbersOf(w).size() == 1)
                    std::replace(w.begin(), w.end(), '.', ',');
                line += (first ? "" : std::string(1, sep)) + w;
            }
        }
        out += line + "\r\n";
    }
    return out;
}

}  // namespace

TEST(ExampleFiles, CommasSemicolonsAndTabsReadLikeBlanks)
{
    int variants = 0;
    for (const fs::path& p : exampleFiles()) {
        SCOPED_TRACE(p.filename().string());
        const std::string ext = p.extension().string();
        const std::string text = readText(p);
        for (const char sep : {',', ';', '\t'}) {
            SCOPED_TRACE(std::string("separator ") + (sep == '\t' ? "tab" : std::string(1, sep)));
            if (ext == ".dta" || ext == ".dat") {
                const ColumnChoice opening;
                const StationList blank = stationsFromTable(readFieldDataText(text).value(), opening);
                const StationList other = stationsFromTable(
                    readFieldDataText(withSeparator(text, opening.commentLines, 0, sep)).value(), opening);
                EXPECT_GE(blank.x.size(), 300u);
                EXPECT_EQ(other.x, blank.x);
                EXPECT_EQ(other.g, blank.g);
            } else if (ext == ".bod") {
                Workspace blank, other;
                ASSERT_EQ(readBodyFile(blank, text, "blank").message(), "");
                ASSERT_EQ(readBodyFile(other, withSeparator(text, 2, 15, sep), "other").message(), "");
                ASSERT_EQ(other.model.NumBodies, blank.model.NumBodies);
                for (int b = 1; b <= blank.model.NumBodies; ++b) {
                    const Tbody& x = blank.model.Bodies[b];
                    const Tbody& y = other.model.Bodies[b];
                    EXPECT_EQ(y.Density, x.Density) << "body " << b;
                    ASSERT_EQ(y.NumCorners, x.NumCorners) << "body " << b;
                    for (int k = 1; k <= x.NumCorners; ++k) {
                        EXPECT_EQ(y.CornerX[k], x.CornerX[k]) << "body " << b << " corner " << k;
                        EXPECT_EQ(y.CornerZ[k], x.CornerZ[k]) << "body " << b << " corner " << k;
                    }
                }
            } else if (ext == ".hol") {
                Workspace blank, other;
                ASSERT_EQ(readBoreholeFile(blank, text, "blank").message(), "");
                ASSERT_EQ(readBoreholeFile(other, withSeparator(text, 3, 0, sep), "other").message(), "");
                const THole& x = blank.model.Holes[1];
                const THole& y = other.model.Holes[1];
                EXPECT_EQ(y.Name, x.Name);
                ASSERT_EQ(y.NumDepths, x.NumDepths);
                for (int k = 1; k <= x.NumDepths; ++k) {
                    EXPECT_EQ(y.HoleX[k], x.HoleX[k]) << "row " << k;
                    EXPECT_EQ(y.HoleDepth[k], x.HoleDepth[k]) << "row " << k;
                }
                ASSERT_EQ(y.NumLabels, x.NumLabels);
                for (int l = 1; l <= x.NumLabels; ++l) {
                    EXPECT_EQ(y.Label[l], x.Label[l]);
                    EXPECT_EQ(y.LabelRow[l], x.LabelRow[l]);
                }
            } else {
                continue;
            }
            ++variants;
        }
    }
    EXPECT_GE(variants, 9);   // three text files, three separators each
}
