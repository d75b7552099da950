// Output commands: the model report (file, clipboard, printer), the HP-GL and
// DXF plots, the window's picture as SVG and PNG, the printer set-up and the
// printed hardcopy.
#include "app/tcorvane.h"

#include "display/view.h"
#include "io/dxf.h"
#include "io/hardcopy.h"
#include "io/hpgl.h"
#include "io/picture.h"
#include "io/report.h"

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

// The plots show every station with both curves, whatever the window shows:
// the gravity range is taken the way the normal curve drawing takes it, over
// the whole profile, so that no part of a curve falls outside the frame.
void plotGravityRange(Workspace& ws)
{
    const Model& m = ws.model;
    const int n = std::clamp(m.NumStations, 0, MaxStations);
    if (n < 1)
        return;
    Display d = ws.display;
    d.ShowDifference = false;
    d.ShowIndividual = false;
    d.ViewXMin = d.ViewXMax = m.StationX[1];
    for (int i = 2; i <= n; ++i) {
        d.ViewXMin = std::min(d.ViewXMin, m.StationX[i]);
        d.ViewXMax = std::max(d.ViewXMax, m.StationX[i]);
    }
    computeGravityRange(m, d);
    ws.display.GravityMin = d.GravityMin;
    ws.display.GravityMax = d.GravityMax;
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
// it, named by companions), writes it with write (which answers "" or the
// reason it failed) and confirms with done.
void saveOutput(Platform& platform, const QString& filterName, const QString& pattern,
                const std::function<std::string(const std::string&)>& write, const QString& done,
                const std::function<QStringList(const QString&)>& companions = {})
{
    const QString name = platform.saveFileName(filterName, pattern);
    if (name.isEmpty())
        return;
    if (!mayReplaceAll(platform, name, companions ? companions(name) : QStringList()))
        return;
    std::string err;
    {
        BusyCursor busy(platform);
        err = write(fileNameOf(name));
    }
    if (!err.empty()) {
        platform.error(messageOf(err));
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
    std::string err;
    {
        BusyCursor busy(*platform_);
        err = printTextLines(*printer, reportForPrinter(ws_.model));
    }
    if (!err.empty())
        platform_->error(messageOf(err));
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
                   plotGravityRange(ws_);
                   return WriteHPGL(ws_, path);
               },
               QStringLiteral("HPGL data successfully saved."));
}

void Tcorvane::createaDXFfile1Click()
{
    saveOutput(*platform_, QStringLiteral("DXF files"), QStringLiteral("*.dxf"),
               [this](const std::string& path) {
                   plotGravityRange(ws_);
                   return WriteDXF(ws_, path);
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
    std::string err;
    bool tooBig = false;
    {
        BusyCursor busy(*platform_);
        HardcopySettings settings = form.settings();
        settings.screenWidth = area_->clientRect().width();
        settings.screenFontPixels = static_cast<int>(std::lround(ws_.display.FontHeight * pictureDpi(*area_) / 72.0));
        err = printHardcopy(*printer, ws_, settings, &tooBig);
    }
    if (!err.empty()) {
        platform_->error(messageOf(err));
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
