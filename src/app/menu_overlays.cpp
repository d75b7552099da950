// Point data and the backdrop picture shown with the section.
#include "app/grid_profile.h"
#include "app/tcorvane.h"
#include "display/overlay_dialogs.h"
#include "io/point_file.h"
#include "output/backdrop_file.h"
#include "platform/platform.h"

#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>

namespace corvane {

void Tcorvane::Addpointdata1Click()
{
    const QString name = platform_->openFileName(QStringLiteral("Point data"), QStringLiteral("*"));
    if (name.isEmpty())
        return;
    const Status added = addPointSet(ws_.overlays, QFile::encodeName(name).toStdString());
    if (!added) {
        platform_->error(QString::fromStdString(added.message()));
        return;
    }
    repaintModel();
}

void Tcorvane::Pointdata1Click()
{
    if (ws_.overlays.pointSets.empty()) {
        platform_->information(QStringLiteral("No point data has been added."));
        return;
    }
    if (execDialog(dialog<TPointSets>(ws_, *platform_, this)) == QDialog::Accepted)
        repaintModel();
}

namespace {

// Seismic coordinates and velocities are in metres.
double metresPerUnit(const Model& m)
{
    return m.UnitsKm ? 1000 : 1;
}

}  // namespace

std::string Tcorvane::readBackdropShown(Backdrop& b)
{
    // A large seismic section takes a while: its reading shows its progress
    // and can be cancelled.
    QProgressDialog progress(QStringLiteral("Reading the seismic section..."), QStringLiteral("Cancel"), 0, 1, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    return readBackdrop(
        b,
        [&progress](int done, int total) {
            progress.setMaximum(total);
            progress.setValue(done);
            return !progress.wasCanceled();
        },
        metresPerUnit(ws_.model))
        .message();
}

std::string Tcorvane::readOverlayFilesShown()
{
    // The map's grid: a missing one is named here once; the model keeps it.
    std::string mapGrid;
    if (!ws_.display.MapGrid.empty() && !QFileInfo::exists(QFile::decodeName(ws_.display.MapGrid.c_str())))
        mapGrid = "The map's grid " + ws_.display.MapGrid + " is missing.";
    if (ws_.overlays.empty())
        return mapGrid;
    // Files neither at their paths nor beside the model: one question offers
    // to show where they went; those not located are named in the warning.
    const std::vector<std::string> lost = findOverlayFiles(ws_.overlays, QFile::encodeName(modelFile_).toStdString());
    QStringList names;
    for (const std::string& l : lost)
        names << QFile::decodeName(l.c_str());
    const QString question = lost.size() == 1
                                 ? QStringLiteral("The file %1 shown with the section is missing, and not beside the "
                                                  "model either. Locate it ?")
                                 : QStringLiteral("These files shown with the section are missing, and not beside the "
                                                  "model either:\n%1\nLocate them ?");
    if (!lost.empty() && platform_->confirm(question.arg(names.join(QLatin1Char('\n'))))) {
        for (const std::string& l : lost) {
            const QString found =
                platform_->openFileName(QFileInfo(QFile::decodeName(l.c_str())).fileName(), QStringLiteral("*"));
            if (found.isEmpty())
                continue;
            const std::string path = QFile::encodeName(found).toStdString();
            for (PointSet& set : ws_.overlays.pointSets)
                if (set.path == l && set.points.empty())
                    set.path = path;
            if (ws_.overlays.backdrop && ws_.overlays.backdrop->path == l && !ws_.overlays.backdrop->image)
                ws_.overlays.backdrop->path = path;
        }
    }
    QProgressDialog progress(QStringLiteral("Reading the seismic section..."), QStringLiteral("Cancel"), 0, 1, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    std::vector<std::string> horizons;
    {
        BusyCursor busy(*platform_);
        horizons = sampleHorizons(ws_);
    }
    std::string text = readOverlayFiles(ws_.overlays, metresPerUnit(ws_.model), [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        return !progress.wasCanceled();
    });
    for (const std::string& h : horizons)
        text += (text.empty() ? "" : "\n") + h;
    if (!mapGrid.empty())
        text += (text.empty() ? "" : "\n") + mapGrid;
    return text;
}

void Tcorvane::Backdropimage1Click()
{
    auto read = [this](Backdrop& b) { return readBackdropShown(b); };
    if (execDialog(dialog<TBackdrop>(ws_, *platform_, read, this)) == QDialog::Accepted)
        repaintModel();
}

void Tcorvane::Removebackdrop1Click()
{
    if (!ws_.overlays.backdrop)
        return;
    ws_.overlays.backdrop.reset();
    repaintModel();
}

}  // namespace corvane
