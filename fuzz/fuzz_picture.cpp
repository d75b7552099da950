// Any bytes as a backdrop picture (PNG, JPEG, TIFF and the other formats Qt
// reads): refused with a message, or read within the size a picture is kept
// at and drawn over a model.
#include "display/backdrop.h"
#include "fuzz_check.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <string>
#include <unistd.h>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/fuzz_picture_" + std::to_string(getpid());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        fuzz::fail("cannot write the input file");
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    Backdrop b{path, 0, 1, 0, 1, 60, 98, false, {}};
    const std::string err = loadBackdropImage(b);
    fuzz::require(err.empty() == static_cast<bool>(b.image), "a message and a picture, or neither");
    if (!b.image)
        return 0;
    const QSize s = b.image->source.size();
    fuzz::require(!s.isEmpty() && s.width() <= MaxPictureSide && s.height() <= MaxPictureSide &&
                      static_cast<long long>(s.width()) * s.height() <= MaxPicturePixels,
                  "picture larger than kept");
    // Drawn as a backdrop beneath a small view, reduced on the way.
    const QImage& r = reducedFor(*b.image, QSizeF(40, 30));
    fuzz::require(r.width() <= 40 && r.height() <= 30, "reduced picture");
    return 0;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QGuiApplication app(*argc, *argv);
    return 0;
}
