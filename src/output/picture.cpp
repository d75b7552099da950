#include "output/picture.h"

#include "display/paint.h"
#include "io/safe_file.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cmath>

namespace corvane {

namespace {

bool drawable(QSize size) { return size.width() > 0 && size.height() > 0; }

const char* const NoPicture = "The window shows no picture to save.";

void setDpi(QImage& image, double dpi)
{
    const int perMetre = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(perMetre);
    image.setDotsPerMeterY(perMetre);
}

}  // namespace

Status writeSvgPicture(Workspace& ws, QSize size, int dpi, const std::string& path)
{
    if (!drawable(size))
        return fail(NoPicture);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(dpi);
    svg.setTitle(QStringLiteral("Corvane"));
    QPainter painter;
    if (!painter.begin(&svg))
        return fail("The SVG picture could not be drawn.");
    PaintModel(painter, QRect(QPoint(0, 0), size), ws);
    // The document is completed here; a failure would leave a cut-off file.
    if (!painter.end())
        return fail("The SVG picture could not be drawn.");
    return writeFileSafely(path, std::string_view(buffer.data().constData(),
                                                  static_cast<std::size_t>(buffer.data().size())));
}

namespace {

// The picture as PNG bytes at scale times the window's pixels, or the reason
// it could not be made.
Result<QByteArray> pngBytes(Workspace& ws, QSize size, int dpi, int scale)
{
    if (!drawable(size) || scale < 1)
        return fail(NoPicture);
    QImage image(size * scale, QImage::Format_RGB32);
    if (image.isNull())
        return fail("There is not enough memory for the PNG picture.");
    image.setDevicePixelRatio(scale);
    setDpi(image, dpi);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PaintModel(painter, QRect(QPoint(0, 0), size), ws);
    }
    setDpi(image, dpi * scale);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return fail("The PNG picture could not be made.");
    return bytes;
}

std::string_view viewOf(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

Status writePngPicture(Workspace& ws, QSize size, int dpi, int scale, const std::string& path)
{
    const Result<QByteArray> bytes = pngBytes(ws, size, dpi, scale);
    if (!bytes)
        return fail(bytes.message());
    return writeFileSafely(path, viewOf(*bytes));
}

Status writePngPictures(Workspace& ws, QSize size, int dpi, const std::string& path)
{
    const Result<QByteArray> screen = pngBytes(ws, size, dpi, 1);
    if (!screen)
        return fail(screen.message());
    const Result<QByteArray> print = pngBytes(ws, size, dpi, 2);
    if (!print)
        return fail(print.message());
    return writeFilesSafely({{path, viewOf(*screen)}, {printSizeName(path), viewOf(*print)}});
}

std::string printSizeName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    // A leading dot ("/tmp/.png") belongs to the name, not to an extension.
    if (dot == std::string::npos || dot <= nameStart)
        return path + "@2x";
    return path.substr(0, dot) + "@2x" + path.substr(dot);
}

}  // namespace corvane
