// The section drawn over what is known, as a user meets it: the example model
// with its seismic section and hypocentres, a model whose files are gone, and
// unsaved overlays brought back from the recovery file.
#include "app/recovery.h"
#include "app/tcorvane.h"
#include "display/backdrop.h"
#include "io/model_file.h"
#include "output/backdrop_file.h"
#include "platform/scripted_platform.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

using namespace corvane;
namespace fs = std::filesystem;
using Kind = ScriptedPlatform::Kind;

namespace {

const fs::path examples = fs::path(CORVANE_TEST_DATA) / ".." / ".." / "examples";

}  // namespace

TEST(OverlayFiles, TheExampleShowsItsSectionAndHypocentresAndMissingFilesAreNamedOnce)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    for (const char* f : {"field_profile_overlays.mod", "field_profile_section.sgy", "hypocentres.txt"})
        fs::copy_file(examples / f, dir / f);

    ScriptedPlatform p;
    Tcorvane w(p);
    const QString model = QString::fromStdString((dir / "field_profile_overlays.mod").string());
    ASSERT_TRUE(w.loadModelFrom(model));
    EXPECT_TRUE(p.messages.empty()) << p.last().text.toStdString();
    const Overlays& o = w.workspace().overlays;
    ASSERT_EQ(o.pointSets.size(), 1u);
    EXPECT_EQ(o.pointSets[0].points.size(), 24u);
    ASSERT_TRUE(o.backdrop && o.backdrop->image);
    // The traces by their CDP x: 200 m apart over the 48 km profile (in km).
    EXPECT_EQ(o.backdrop->image->source.size(), QSize(241, 301));
    EXPECT_NEAR(o.backdrop->xRight, 48, 1e-9);

    // Moved without its data: the bodies load; one question offers to
    // locate both files and, declined, one warning names both.
    fs::create_directory(dir / "alone");
    fs::rename(dir / "field_profile_overlays.mod", dir / "alone" / "m.mod");
    p.clear();
    ASSERT_TRUE(w.loadModelFrom(QString::fromStdString((dir / "alone" / "m.mod").string())));
    EXPECT_EQ(w.workspace().model.NumBodies, 2);
    ASSERT_EQ(p.messages.size(), 2u);
    EXPECT_EQ(p.messages[0].kind, Kind::Confirm);
    EXPECT_TRUE(p.messages[0].text.contains(QStringLiteral("Locate them ?")));
    EXPECT_EQ(p.last().kind, Kind::Warning);
    EXPECT_TRUE(p.last().text.contains(QStringLiteral("hypocentres.txt")));
    EXPECT_TRUE(p.last().text.contains(QStringLiteral("field_profile_section.sgy")));

    // Located: both read from where the user shows them, nothing to warn of.
    p.clear();
    p.confirmAnswers = {true};
    p.openNames = {QString::fromStdString((dir / "hypocentres.txt").string()),
                   QString::fromStdString((dir / "field_profile_section.sgy").string())};
    ASSERT_TRUE(w.loadModelFrom(QString::fromStdString((dir / "alone" / "m.mod").string())));
    EXPECT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(w.workspace().overlays.pointSets.at(0).points.size(), 24u);
    ASSERT_TRUE(w.workspace().overlays.backdrop && w.workspace().overlays.backdrop->image);
}

TEST(OverlayFiles, TheRecoveryFileKeepsThemByAbsolutePath)
{
    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
    Workspace ws;
    ASSERT_EQ(loadModelFile(ws, (examples / "field_profile_overlays.mod").string()).message(), "");
    ASSERT_EQ(readOverlayFiles(ws.overlays, 1000), "");

    // The model never saved where it would be: the paths cannot lean on it.
    const std::string bytes = recoveryBytes(ws, QString::fromStdString((dir / "later.mod").string())).value();
    const std::string section = fs::absolute(examples / "field_profile_section.sgy").lexically_normal().string();
    EXPECT_NE(bytes.find("backdrop \"" + section + "\""), std::string::npos);

    Workspace back;
    QString name;
    ASSERT_EQ(restoreRecoveryBytes(back, bytes, name), "");
    ASSERT_EQ(readOverlayFiles(back.overlays, 1000), "");
    Overlays a = ws.overlays, b = back.overlays;
    a.backdrop->image.reset();
    b.backdrop->image.reset();
    EXPECT_EQ(b, a);
}
