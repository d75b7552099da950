// Output commands: the model report (file, clipboard, printer), the HP-GL and
// DXF plots, the window's picture as SVG and PNG, the printer set-up and the
// printed hardcopy.
#include "app/tcorvane.h"

#include "display/view.h"
#include "io/hpgl.h"
#include "io/report.h"
#include "output/dxf.h"
#include "output/hardcopy.h"
#include "output/picture.h"
#include "output/report_printer.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <functional>

namespace corvane {

namespace {

std::string fileNameOf(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

QString messageOf(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}

// The plots' gravity axis, from the model alone. The display keeps it until
// the next drawing of the curves, so that a plot asked for by the display's
// axis (hpglBytes(ws, ...)) is this one.
GravityAxis plotAxis(Workspace& ws)
{
    const GravityAxis axis = plotGravityAxis(ws.model);
    if (std::clamp(ws.model.NumStations, 0, MaxStations) >= 1) {
        ws.display.GravityMin = axis.min;
        ws.display.GravityMax = axis.max;
    }
    return axis;
}

// The logical resolution the window's picture is drawn at.
int pictureDpi(const DrawingArea& area)
{
    return area.picture().isNull() ? area.logicalDpiY() : area.picture().logicalDpiY();
}

// True when the files may be written: none of them exists, or the user
// agreed to replace the ones that do. The first is the file the user named;
// the others are written beside it and are named in the question.
bool mayReplaceAll(Platform& platform, const QString& name, const QStringList& besides)
{
    QStringList also;
    for (const QString& other : besides)
        if (QFileInfo::exists(other))
            also << QLatin1Char('"') + QFileInfo(other).fileName() + QLatin1Char('"');
    if (also.isEmpty())
        return mayReplace(platform, name);
    const QString others = also.join(QStringLiteral(", "));
    if (QFileInfo::exists(name))
        return platform.confirm(QStringLiteral("A file with that name already exists, and so does %1. "
                                               "Overwrite them ?").arg(others));
    return platform.confirm(QStringLiteral("The file %1 already exists. Overwrite it ?").arg(others));
}

// Asks for the file, asks before replacing it (and the files written beside
// it, named by companions), writes it with write and confirms with done.
void saveOutput(Platform& platform, const QString& filterName, const QString& pattern,
                const std::function<Status(const std::string&)>& write, const QString& done,
                const std::function<QStringList(const QString&)>& companions = {})
{
    const QString name = platform.saveFileName(filterName, pattern);
    if (name.isEmpty())
        return;
    if (!mayReplaceAll(platform, name, companions ? companions(name) : QStringList()))
        return;
    Status written;
    {
        BusyCursor busy(platform);
        written = write(fileNameOf(name));
    }
    if (!written) {
        platform.error(messageOf(written.message()));
        return;
    }
    platform.information(done);
}

}  // namespace


void Tcorvane::totheprinter1Click()
{
    QPrinter* printer = platform_->startPrintJob();
    if (!printer)
        return;
    Status printed;
    {
        BusyCursor busy(*platform_);
        printed = printTextLines(*printer, reportForPrinter(ws_.model));
    }
    if (!printed)
        platform_->error(messageOf(printed.message()));
}

void Tcorvane::toanASCIIfile1Click()
{
    saveOutput(*platform_, QStringLiteral("ascii files"), QStringLiteral("*.dta"),
               [this](const std::string& path) { return writeReportFile(ws_.model, path); },
               QStringLiteral("ASCII data successfully saved."));
}

void Tcorvane::totheclipboard1Click()
{
    if (ws_.model.NumBodies < 1)
        return;
    platform_->setClipboardText(QString::fromStdString(reportForClipboard(ws_.model)));
    platform_->information(QStringLiteral("Data successfully transferred to Clipboard"));
}

void Tcorvane::createanHPGLfile1Click()
{
    saveOutput(*platform_, QStringLiteral("HPGL files"), QStringLiteral("*.hpg"),
               [this](const std::string& path) {
                   return WriteHPGL(ws_, path, plotAxis(ws_));
               },
               QStringLiteral("HPGL data successfully saved."));
}

void Tcorvane::createaDXFfile1Click()
{
    saveOutput(*platform_, QStringLiteral("DXF files"), QStringLiteral("*.dxf"),
               [this](const std::string& path) {
                   return WriteDXF(ws_, path, plotAxis(ws_));
               },
               QStringLiteral("DXF data successfully saved."));
}

void Tcorvane::createanSVGfile1Click()
{
    saveOutput(*platform_, QStringLiteral("SVG files"), QStringLiteral("*.svg"),
               [this](const std::string& path) {
                   return writeSvgPicture(ws_, area_->clientRect().size(), pictureDpi(*area_), path);
               },
               QStringLiteral("SVG data successfully saved."));
}

// The picture at the window's size, and beside it the same at twice the size
// for print ("profile.png" and "profile@2x.png").
void Tcorvane::createaPNGfile1Click()
{
    saveOutput(*platform_, QStringLiteral("PNG files"), QStringLiteral("*.png"),
               [this](const std::string& path) {
                   return writePngPictures(ws_, area_->clientRect().size(), pictureDpi(*area_), path);
               },
               QStringLiteral("PNG data successfully saved."), [](const QString& name) {
                   return QStringList{QFile::decodeName(printSizeName(fileNameOf(name)).c_str())};
               });
}

void Tcorvane::producehardcopy1Click()
{
    Thardcopyout& form = dialog<Thardcopyout>(ws_, this);
    if (execDialog(form) != QDialog::Accepted)
        return;
    QPrinter* printer = platform_->startPrintJob();
    if (!printer)
        return;
    Status printed;
    bool tooBig = false;
    {
        BusyCursor busy(*platform_);
        HardcopySettings settings = form.settings();
        settings.screenWidth = area_->clientRect().width();
        settings.screenFontPixels = static_cast<int>(std::lround(ws_.display.FontHeight * pictureDpi(*area_) / 72.0));
        printed = printHardcopy(*printer, ws_, settings, &tooBig);
    }
    if (!printed) {
        platform_->error(messageOf(printed.message()));
        return;
    }
    if (tooBig)
        platform_->warning(QStringLiteral(
            "The plot is larger than the page: only the part that fits on the page was printed."));
}

void Tcorvane::configuretheprinter1Click()
{
    platform_->configurePrinter();
}

}  // namespace corvane
