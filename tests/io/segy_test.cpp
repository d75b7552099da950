// SEG-Y sections written here through segyio, read back and made a picture.
#include "display/backdrop.h"
#include "io/backdrop_file.h"
#include "io/segy_section.h"

#include <segyio/segy.h>

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

using namespace corvane;

namespace {

constexpr int Traces = 7, Samples = 40;

float value(int t, int s)
{
    return static_cast<float>((t + 1) * std::sin(0.3 * s));
}

// Traces at the given CDP x in tenths of a metre (Traces of them unless
// given), times from a 100 ms delay at the given interval.
void writeSegy(const std::string& path, int format, std::vector<int> cdpX = {}, int interval = 4000,
               float (*at)(int, int) = value, std::vector<int> cdpY = {})
{
    cdpY.resize(std::max(cdpX.size(), std::size_t{Traces}), 0);
    if (cdpX.empty())
        for (int t = 0; t < Traces; ++t)
            cdpX.push_back(12000 + 250 * t);
    segy_file* fp = segy_open(path.c_str(), "w+b");
    ASSERT_NE(fp, nullptr);
    char text[3200];
    std::fill(std::begin(text), std::end(text), ' ');
    ASSERT_EQ(segy_write_textheader(fp, 0, text), SEGY_OK);
    char bin[SEGY_BINARY_HEADER_SIZE] = {};
    segy_set_bfield(bin, SEGY_BIN_SAMPLES, Samples);
    segy_set_bfield(bin, SEGY_BIN_FORMAT, format);
    segy_set_bfield(bin, SEGY_BIN_INTERVAL, interval);
    ASSERT_EQ(segy_write_binheader(fp, bin), SEGY_OK);
    segy_set_format(fp, format);
    const long trace0 = SEGY_TEXT_HEADER_SIZE + SEGY_BINARY_HEADER_SIZE;
    const int trsize = segy_trsize(format, Samples);
    for (int t = 0; t < static_cast<int>(cdpX.size()); ++t) {
        char header[SEGY_TRACE_HEADER_SIZE] = {};
        segy_set_field(header, SEGY_TR_CDP_X, cdpX[static_cast<std::size_t>(t)]);
        segy_set_field(header, SEGY_TR_CDP_Y, cdpY[static_cast<std::size_t>(t)]);
        segy_set_field(header, SEGY_TR_SOURCE_GROUP_SCALAR, -10);
        segy_set_field(header, SEGY_TR_DELAY_REC_TIME, 100);
        ASSERT_EQ(segy_write_traceheader(fp, t, header, trace0, trsize), SEGY_OK);
        float trace[Samples];
        for (int s = 0; s < Samples; ++s)
            trace[s] = at(t, s);
        segy_from_native(format, Samples, trace);
        ASSERT_EQ(segy_writetrace(fp, t, trace, trace0, trsize), SEGY_OK);
    }
    segy_close(fp);
}

}  // namespace

TEST(Segy, IbmAndIeeeSectionsReadBackWithTheirPositions)
{
    QTemporaryDir dir;
    for (int format : {SEGY_IBM_FLOAT_4_BYTE, SEGY_IEEE_FLOAT_4_BYTE}) {
        SCOPED_TRACE(format);
        const std::string path = dir.filePath(QStringLiteral("s%1.sgy").arg(format)).toStdString();
        writeSegy(path, format);
        SegySection s;
        int calls = 0;
        ASSERT_EQ(readSegy(path, s, [&calls](int, int total) { ++calls; return total == Traces; }), "");
        EXPECT_EQ(calls, 1);
        ASSERT_EQ(s.traces, Traces);
        ASSERT_EQ(s.samples, Samples);
        EXPECT_EQ(s.interval, 4000);
        for (int t = 0; t < Traces; ++t) {
            EXPECT_DOUBLE_EQ(s.cdpX[static_cast<std::size_t>(t)], 1200 + 25 * t);
            for (int k = 0; k < Samples; ++k)
                ASSERT_NEAR(s.at(t, k), value(t, k), 1e-5 * (t + 1)) << t << " " << k;
        }
    }
}

TEST(Segy, GreyPictureClippedAtThePercentile)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("s.segy")).toStdString();
    writeSegy(path, SEGY_IEEE_FLOAT_4_BYTE);
    SegySection s;
    ASSERT_EQ(readSegy(path, s), "");
    float largest = 0;
    for (float v : s.values)
        largest = std::max(largest, std::fabs(v));
    EXPECT_FLOAT_EQ(clipAmplitude(s, 100), largest);
    const double clip = clipAmplitude(s, 50);
    std::size_t below = 0;
    for (float v : s.values)
        below += std::fabs(v) <= clip;
    EXPECT_NEAR(static_cast<double>(below) / s.values.size(), 0.5, 0.01);

    const QImage img = seismicPicture(s, 98);
    ASSERT_EQ(img.size(), QSize(Traces, Samples));
    const double c98 = clipAmplitude(s, 98);
    for (int t = 0; t < Traces; ++t)
        for (int k = 0; k < Samples; ++k) {
            const double v = std::clamp(s.at(t, k) / c98, -1.0, 1.0);
            ASSERT_NEAR(qGray(img.pixel(t, k)), 127.5 - 127.5 * v, 1.0) << t << " " << k;
        }

    // Red-white-blue: the clip red, zero white, minus the clip blue.
    const QImage rwb = seismicPicture(s, 100, true);
    const int top = Traces - 1;
    int peak = 0, trough = 0;
    for (int k = 0; k < Samples; ++k) {
        peak = s.at(top, k) > s.at(top, peak) ? k : peak;
        trough = s.at(top, k) < s.at(top, trough) ? k : trough;
    }
    EXPECT_EQ(rwb.pixel(top, peak), qRgb(255, 0, 0));
    EXPECT_EQ(QColor(rwb.pixel(top, trough)).blue(), 255);
    EXPECT_LE(QColor(rwb.pixel(top, trough)).red(), 5);
    EXPECT_EQ(rwb.pixel(0, 0), qRgb(255, 255, 255));   // sin 0

    // As a backdrop: read through the same door as pictures, in its colours.
    Backdrop b{path, 0, 10, 0, 5, 60, 98, false, {}};
    ASSERT_EQ(readBackdrop(b), "");
    ASSERT_TRUE(b.image);
    EXPECT_EQ(b.image->source.size(), QSize(Traces, Samples));
    EXPECT_EQ(qGray(b.image->source.pixel(top, peak)), 0);
    b.redWhiteBlue = true;
    ASSERT_EQ(readBackdrop(b), "");
    EXPECT_EQ(b.image->source.pixel(top, peak), qRgb(255, 0, 0));
    // Stopped: no message, no picture.
    Backdrop stopped{path, 0, 10, 0, 5, 60, 98, false, {}};
    EXPECT_EQ(readBackdrop(stopped, [](int, int) { return false; }), "");
    EXPECT_FALSE(stopped.image);
}

TEST(Segy, BrokenFilesRefusedWithAMessage)
{
    QTemporaryDir dir;
    const std::string good = dir.filePath(QStringLiteral("g.sgy")).toStdString();
    writeSegy(good, SEGY_IEEE_FLOAT_4_BYTE);
    std::string bytes;
    {
        std::ifstream in(good, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    auto write = [&](const char* name, const std::string& content) {
        const std::string p = dir.filePath(QString::fromLatin1(name)).toStdString();
        std::ofstream(p, std::ios::binary) << content;
        return p;
    };
    std::string wrongFormat = bytes;
    wrongFormat[3224] = 0;
    wrongFormat[3225] = 3;   // two-byte integers
    const std::string cases[] = {
        write("short.sgy", bytes.substr(0, 3000)),
        write("headers.sgy", bytes.substr(0, 3600)),
        write("format.sgy", wrongFormat),
        dir.filePath(QStringLiteral("missing.sgy")).toStdString(),
    };
    for (const std::string& p : cases) {
        SegySection s;
        EXPECT_NE(readSegy(p, s), "") << p;
        EXPECT_EQ(s.traces, 0);
    }
}

TEST(Segy, TracesPlacedByTheirCdpXAndTimesByOneVelocity)
{
    QTemporaryDir dir;
    // Eastings 50 000 m on, the last trace after a gap; the model in km.
    const std::string path = dir.filePath(QStringLiteral("p.sgy")).toStdString();
    // Trace t holds t + 1 throughout.
    auto constant = [](int t, int) { return static_cast<float>(t + 1); };
    writeSegy(path, SEGY_IEEE_FLOAT_4_BYTE, {500000, 501000, 502000, 503000, 508000}, 4000, constant);
    Backdrop b{path, 5, 6, 0, 1, 60, 100, false, {}, true, 2000};
    ASSERT_EQ(readBackdrop(b, {}, 1000), "");
    EXPECT_DOUBLE_EQ(b.xLeft, 5);
    EXPECT_DOUBLE_EQ(b.xRight, 5.8);                          // 800 m from the first trace
    EXPECT_DOUBLE_EQ(b.zTop, 2000 * 0.1 / 2 / 1000);          // 100 ms
    EXPECT_DOUBLE_EQ(b.zBottom, 2000 * (0.1 + 39 * 0.004) / 2 / 1000);
    // Even columns at 0, 200, 400, 600 and 800 m show the trace nearest each.
    ASSERT_TRUE(b.image);
    ASSERT_EQ(b.image->source.size(), QSize(5, 40));
    const int nearest[] = {0, 2, 3, 4, 4};
    for (int c = 0; c < 5; ++c)
        EXPECT_NEAR(qGray(b.image->source.pixel(c, 7)), 127.5 - 127.5 * (nearest[c] + 1) / 5.0, 1.0) << c;

    // In a model in metres the edges are metres.
    Backdrop metres{path, 0, 1, 0, 1, 60, 100, false, {}, true, 2000};
    ASSERT_EQ(readBackdrop(metres), "");
    EXPECT_DOUBLE_EQ(metres.xRight, 800);
    EXPECT_DOUBLE_EQ(metres.zTop, 100);

    // A line running north-east: its traces 500 m apart along the line, not
    // the 300 m their eastings alone would give.
    const std::string oblique = dir.filePath(QStringLiteral("oblique.sgy")).toStdString();
    writeSegy(oblique, SEGY_IEEE_FLOAT_4_BYTE, {0, 3000, 6000}, 4000, constant, {0, 4000, 8000});
    Backdrop ne{oblique, 5, 6, 0, 1, 60, 100, false, {}, true, 0};
    ASSERT_EQ(readBackdrop(ne, {}, 1000), "");
    EXPECT_DOUBLE_EQ(ne.xRight, 6);

    // Headers that cannot place the section, and a picture asked to: refused,
    // the backdrop as it was.
    const std::string flat = dir.filePath(QStringLiteral("flat.sgy")).toStdString();
    writeSegy(flat, SEGY_IEEE_FLOAT_4_BYTE, {7000, 7000, 7000});
    const std::string untimed = dir.filePath(QStringLiteral("untimed.sgy")).toStdString();
    writeSegy(untimed, SEGY_IEEE_FLOAT_4_BYTE, {1, 2, 3}, 0);
    const std::string png = dir.filePath(QStringLiteral("p.png")).toStdString();
    QImage(2, 2, QImage::Format_RGB32).save(QString::fromStdString(png));
    const struct {
        std::string path;
        bool cdp;
        double velocity;
        const char* says;
    } refused[] = {
        {flat, true, 0, "same CDP"},
        {untimed, false, 1500, "no sample interval"},
        {png, false, 1500, "SEG-Y files"},
    };
    for (const auto& r : refused) {
        Backdrop before{r.path, 1, 2, 3, 4, 60, 98, false, {}, r.cdp, r.velocity};
        Backdrop bd = before;
        const std::string err = readBackdrop(bd, {}, 1000);
        EXPECT_NE(err.find(r.says), std::string::npos) << r.path << ": " << err;
        EXPECT_EQ(bd, before);
    }
}
