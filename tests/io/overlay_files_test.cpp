// The point sets and the backdrop in the model file: named by reference,
// relative to the model's folder, read on load, kept when their files are gone.
#include "io/model_file.h"
#include "io/point_file.h"
#include "output/backdrop_file.h"

#include "display/backdrop.h"
#include "support/bodies.h"
#include "support/helpers.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace corvane;
using corvane::test::slurp;
namespace fs = std::filesystem;

namespace {

void twoBodies(Workspace& ws)
{
    Model& m = ws.model;
    test::setStations(m, 21, 0, 20);
    test::setBody(m, 1, {{2, 1}, {6, 1}, {6, 3}, {2, 3}}, 0.2, 50, 50);
    test::setBody(m, 2, {{10, 2}, {14, 2}, {12, 5}}, -0.1, 50, 50);
    m.NumBodies = 2;
    m.ModelExists = true;
    m.RecalculateModel();
}

// The overlays without the pictures read from their files.
Overlays placed(Overlays o)
{
    if (o.backdrop)
        o.backdrop->image.reset();
    return o;
}

}  // namespace

TEST(OverlayFiles, NamedRelativeToTheModelReadOnLoadAndKeptWhenMissing)
{
    QTemporaryDir tmp;
    const fs::path root = tmp.path().toStdString();
    fs::create_directories(root / "data");
    fs::create_directories(root / "models");
    std::ofstream(root / "data" / "quakes.txt") << "x depth\n3 2 M2\n11 4\n";
    // A name with a line break must not break its line of the block.
    std::ofstream(root / "data" / "odd\nname.txt") << "1 1\n";
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(QString::fromStdString((root / "data" / "section.png").string())));

    Workspace ws;
    twoBodies(ws);
    const std::string model = (root / "models" / "m.mod").string();
    ASSERT_EQ(saveModelFile(ws, model).message(), "");
    const std::string plain = slurp(model);
    EXPECT_EQ(plain.find("#CORVANE"), std::string::npos);

    ASSERT_EQ(addPointSet(ws.overlays, (root / "data" / "quakes.txt").string()).message(), "");
    ASSERT_EQ(addPointSet(ws.overlays, (root / "data" / "odd\nname.txt").string()).message(), "");
    ws.overlays.pointSets[1].hidden = true;
    ws.overlays.backdrop = Backdrop{(root / "data" / "section.png").string(), 1, 19, 0.5, 6, 45, 98, false, {}};
    ASSERT_EQ(saveModelFile(ws, model).message(), "");
    const std::string saved = slurp(model);
    EXPECT_NE(saved.find("\r\npoints \"../data/quakes.txt\" circle "), std::string::npos);
    EXPECT_NE(saved.find("\r\npoints \"../data/odd\\nname.txt\" square "), std::string::npos);
    EXPECT_NE(saved.find("\r\nbackdrop \"../data/section.png\" 1 19 0.5 6 45 98 grey\r\n"), std::string::npos);

    // Loaded, the items come back with absolute paths and no data until the
    // files are read; read, they are the sets and picture saved.
    Workspace back;
    std::vector<std::string> notes;
    ASSERT_EQ(loadModelFile(back, model, &notes).message(), "");
    EXPECT_TRUE(notes.empty());
    ASSERT_EQ(back.overlays.pointSets.size(), 2u);
    EXPECT_TRUE(back.overlays.pointSets[0].points.empty());
    EXPECT_EQ(readOverlayFiles(back.overlays), "");
    EXPECT_EQ(placed(back.overlays), placed(ws.overlays));
    ASSERT_TRUE(back.overlays.backdrop && back.overlays.backdrop->image);
    EXPECT_EQ(back.overlays.backdrop->image->source.size(), QSize(4, 3));
    // Sharing only the root with the model, a path is kept whole.
    const std::string fromRoot = modelFileBytes(back, "/m.mod").value();
    EXPECT_NE(fromRoot.find("points \"" + (root / "data" / "quakes.txt").string() + "\""), std::string::npos);

    // The files gone: the model loads, one message names every file, and the
    // items stay, so that saving again loses nothing.
    fs::rename(root / "data", root / "gone");
    Workspace missing;
    ASSERT_EQ(loadModelFile(missing, model, &notes).message(), "");
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(missing.model.NumBodies, 2);
    const std::string message = readOverlayFiles(missing.overlays);
    EXPECT_EQ(message.rfind("These files shown with the section could not be read.", 0), 0u) << message;
    for (const char* name : {"quakes.txt", "odd\nname.txt", "section.png"})
        EXPECT_NE(message.find(name), std::string::npos) << name;
    Overlays kept = placed(back.overlays);
    for (PointSet& s : kept.pointSets)
        s.points.clear();
    EXPECT_EQ(placed(missing.overlays), kept);
    EXPECT_TRUE(missing.overlays.backdrop && !missing.overlays.backdrop->image);
    ASSERT_EQ(saveModelFile(missing, model).message(), "");
    EXPECT_EQ(slurp(model), saved);

    // Removed again, the model saves as before any were added; a file without
    // the block clears what the last model showed.
    back.overlays = {};
    ASSERT_EQ(saveModelFile(back, model).message(), "");
    EXPECT_EQ(slurp(model), plain);
    ASSERT_EQ(loadModelFile(missing, model).message(), "");
    EXPECT_TRUE(missing.overlays.empty());
}

TEST(OverlayFiles, AFileMovedBesideTheModelIsFoundThere)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    fs::create_directories(root / "old");
    fs::create_directories(root / "model");
    const std::string model = (root / "model" / "basin.mod").string();
    auto touch = [](const fs::path& p) { std::ofstream(p) << "1 2\n"; };
    touch(root / "old" / "here.txt");
    touch(root / "model" / "moved.txt");
    touch(root / "model" / "section.png");
    struct Case {
        std::string path;    // as the model names it
        std::string found;   // the path then, "" when missing
    };
    const Case cases[] = {
        {(root / "old" / "here.txt").string(), (root / "old" / "here.txt").string()},
        {(root / "old" / "moved.txt").string(), (root / "model" / "moved.txt").string()},
        {(root / "elsewhere" / "gone.txt").string(), ""},
    };
    Overlays o;
    for (const Case& c : cases)
        o.pointSets.push_back({c.path, {}, PointSymbol::Circle, 0, false});
    o.backdrop = Backdrop{(root / "old" / "section.png").string(), 0, 1, 0, 1, 60, 98, false, {}};
    const std::vector<std::string> missing = findOverlayFiles(o, model);
    EXPECT_EQ(missing, std::vector<std::string>{cases[2].path});
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(o.pointSets[i].path, cases[i].found.empty() ? cases[i].path : cases[i].found) << i;
    EXPECT_EQ(o.backdrop->path, (root / "model" / "section.png").string());
    // Without a model file nothing is looked for beside it.
    Overlays alone;
    alone.pointSets.push_back({cases[1].path, {}, PointSymbol::Circle, 0, false});
    EXPECT_EQ(findOverlayFiles(alone, ""), std::vector<std::string>{cases[1].path});
}
