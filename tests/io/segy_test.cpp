// SEG-Y sections written here through segyio, read back and made a picture.
#include "display/backdrop.h"
#include "io/segy_section.h"
#include "output/backdrop_file.h"

#include <segyio/segy.h>

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
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
// lsb: little-endian, as segyio writes it when told so before the binary header.
void writeSegy(const std::string& path, int format, std::vector<int> cdpX = {}, int interval = 4000,
               float (*at)(int, int) = value, std::vector<int> cdpY = {}, int samples = Samples, bool lsb = false)
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
    segy_set_bfield(bin, SEGY_BIN_SAMPLES, samples);
    segy_set_bfield(bin, SEGY_BIN_FORMAT, format);
    segy_set_bfield(bin, SEGY_BIN_INTERVAL, interval);
    if (lsb)
        segy_set_format(fp, format | SEGY_LSB);
    ASSERT_EQ(segy_write_binheader(fp, bin), SEGY_OK);
    segy_set_format(fp, format | (lsb ? SEGY_LSB : 0));
    const long trace0 = SEGY_TEXT_HEADER_SIZE + SEGY_BINARY_HEADER_SIZE;
    const int trsize = segy_trsize(format, samples);
    for (int t = 0; t < static_cast<int>(cdpX.size()); ++t) {
        char header[SEGY_TRACE_HEADER_SIZE] = {};
        segy_set_field(header, SEGY_TR_CDP_X, cdpX[static_cast<std::size_t>(t)]);
        segy_set_field(header, SEGY_TR_CDP_Y, cdpY[static_cast<std::size_t>(t)]);
        segy_set_field(header, SEGY_TR_SOURCE_GROUP_SCALAR, -10);
        segy_set_field(header, SEGY_TR_DELAY_REC_TIME, 100);
        ASSERT_EQ(segy_write_traceheader(fp, t, header, trace0, trsize), SEGY_OK);
        std::vector<float> trace(static_cast<std::size_t>(samples));
        for (int s = 0; s < samples; ++s)
            trace[static_cast<std::size_t>(s)] = at(t, s);
        segy_from_native(format, samples, trace.data());
        ASSERT_EQ(segy_writetrace(fp, t, trace.data(), trace0, trsize), SEGY_OK);
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
        ASSERT_EQ(readSegy(path, s, [&calls](int, int total) { ++calls; return total == Traces; }).message(), "");
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
    ASSERT_EQ(readSegy(path, s).message(), "");
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
    ASSERT_EQ(readBackdrop(b).message(), "");
    ASSERT_TRUE(b.image);
    EXPECT_EQ(b.image->source.size(), QSize(Traces, Samples));
    EXPECT_EQ(qGray(b.image->source.pixel(top, peak)), 0);
    b.redWhiteBlue = true;
    ASSERT_EQ(readBackdrop(b).message(), "");
    EXPECT_EQ(b.image->source.pixel(top, peak), qRgb(255, 0, 0));
    // Stopped: no message, no picture.
    Backdrop stopped{path, 0, 10, 0, 5, 60, 98, false, {}};
    EXPECT_EQ(readBackdrop(stopped, [](int, int) { return false; }).message(), "");
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
        EXPECT_NE(readSegy(p, s).message(), "") << p;
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
    ASSERT_EQ(readBackdrop(b, {}, 1000).message(), "");
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
    ASSERT_EQ(readBackdrop(metres).message(), "");
    EXPECT_DOUBLE_EQ(metres.xRight, 800);
    EXPECT_DOUBLE_EQ(metres.zTop, 100);

    // A line running north-east: its traces 500 m apart along the line, not
    // the 300 m their eastings alone would give.
    const std::string oblique = dir.filePath(QStringLiteral("oblique.sgy")).toStdString();
    writeSegy(oblique, SEGY_IEEE_FLOAT_4_BYTE, {0, 3000, 6000}, 4000, constant, {0, 4000, 8000});
    Backdrop ne{oblique, 5, 6, 0, 1, 60, 100, false, {}, true, 0};
    ASSERT_EQ(readBackdrop(ne, {}, 1000).message(), "");
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
        const std::string err = readBackdrop(bd, {}, 1000).message();
        EXPECT_NE(err.find(r.says), std::string::npos) << r.path << ": " << err;
        EXPECT_EQ(bd, before);
    }
}

TEST(Segy, ByteOrderAndSampleCountFromTheBinaryHeader)
{
    // Files written here by segyio cover the format codes; the order constant
    // and the extended count are set by hand.
    struct Case {
        const char* what;
        std::vector<std::pair<int, unsigned char>> bytes;   // offset into the binary header, value
        bool little;
        std::int64_t samples;
    };
    const Case cases[] = {
        {"order constant, big", {{96, 1}, {97, 2}, {98, 3}, {99, 4}, {24, 0}, {25, 0}, {21, 9}}, false, 9},
        {"order constant, little", {{96, 4}, {97, 3}, {98, 2}, {99, 1}, {24, 1}, {25, 0}, {20, 9}}, true, 9},
        {"extended count", {{24, 0}, {25, 5}, {68, 0}, {69, 1}, {70, 0x86}, {71, 0xa0}}, false, 100000},
        {"extended, little", {{24, 5}, {68, 0xa0}, {69, 0x86}, {70, 1}}, true, 100000},
    };
    for (const Case& c : cases) {
        unsigned char bin[SEGY_BINARY_HEADER_SIZE] = {};
        for (auto [at, v] : c.bytes)
            bin[at] = v;
        EXPECT_EQ(segyLittleEndian(bin), c.little) << c.what;
        EXPECT_EQ(segySamplesPerTrace(bin, c.little), c.samples) << c.what;
    }
}

TEST(Segy, LittleEndianAndLongTracesReadRight)
{
    QTemporaryDir dir;
    auto slope = [](int t, int s) { return static_cast<float>(t + 1) + 0.001f * static_cast<float>(s % 1000); };
    const struct {
        int format;
        bool lsb;
        int samples;
    } cases[] = {
        {SEGY_IBM_FLOAT_4_BYTE, true, Samples}, {SEGY_IEEE_FLOAT_4_BYTE, true, Samples},
        {SEGY_IEEE_FLOAT_4_BYTE, false, 40000},   // beyond a signed two-byte count
        {SEGY_IBM_FLOAT_4_BYTE, true, 65535},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format << " " << c.lsb << " " << c.samples);
        const std::string path = dir.filePath(QStringLiteral("le.sgy")).toStdString();
        writeSegy(path, c.format, {}, 2000, slope, {}, c.samples, c.lsb);
        SegySection s;
        ASSERT_EQ(readSegy(path, s, {}, {4096, 1 << 17, false}).message(), "");
        ASSERT_EQ(s.traces, Traces);
        ASSERT_EQ(s.samples, c.samples);
        EXPECT_EQ(s.interval, 2000);
        EXPECT_EQ(s.delay, 100);
        EXPECT_DOUBLE_EQ(s.cdpX[3], 1200 + 25 * 3);
        for (int t = 0; t < Traces; ++t)
            for (int k : {0, 1, c.samples / 2, c.samples - 1})
                ASSERT_NEAR(s.at(t, k), slope(t, k), 1e-5 * (t + 2)) << t << " " << k;
    }
    // A count beyond what is read is refused by name: the last file, made
    // little-endian, given the extended count 2^25 in place of its own.
    const std::string path = dir.filePath(QStringLiteral("le.sgy")).toStdString();
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(3220), f.write("\0\0", 2), f.seekp(3268), f.write("\0\0\0\2", 4), f.close();
    SegySection s;
    const std::string err = readSegy(path, s).message();
    EXPECT_NE(err.find("33554432 samples a trace"), std::string::npos) << err;
}

TEST(Segy, AFileCutShortKeepsItsWholeTraces)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("cut.sgy")).toStdString();
    writeSegy(path, SEGY_IEEE_FLOAT_4_BYTE);
    const auto traceBytes = SEGY_TRACE_HEADER_SIZE + 4 * Samples;
    for (int cut : {1, traceBytes / 2, traceBytes - 1, traceBytes + 3}) {
        std::filesystem::resize_file(path, 3600 + std::uintmax_t(Traces) * traceBytes);
        std::filesystem::resize_file(path, 3600 + std::uintmax_t(Traces) * traceBytes - std::uintmax_t(cut));
        const int whole = cut > traceBytes ? Traces - 2 : Traces - 1;
        SegySection s;
        ASSERT_EQ(readSegy(path, s).message(), "") << cut;
        EXPECT_EQ(s.traces, whole);
        EXPECT_NE(s.note.find("the " + std::to_string(whole) + " whole traces"), std::string::npos) << s.note;
        EXPECT_FLOAT_EQ(s.at(whole - 1, 9), value(whole - 1, 9));
        // The backdrop shows them and passes the note on.
        Backdrop b{path, 0, 10, 0, 5, 60, 98, false, {}};
        ASSERT_EQ(readBackdrop(b).message(), "");
        EXPECT_EQ(b.image->source.width(), whole);
        EXPECT_EQ(b.image->note, s.note);
        EXPECT_EQ(b.image->sectionZero, qRgb(128, 128, 128));   // drawn small, by the largest amplitude
    }
}

TEST(Segy, ADenseSectionIsReducedKeepingItsReflectors)
{
    // 30 traces of 1000 samples, each a quiet ripple with one peak and one
    // trough a sample thick; trace t carries the factor t + 1.
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("dense.sgy")).toStdString();
    auto spikes = [](int t, int s) {
        const float f = static_cast<float>(t + 1);
        return s == 503 ? 10 * f : s == 707 ? -8 * f : 0.01f * f * static_cast<float>(std::sin(s));
    };
    std::vector<int> x(30);
    for (int t = 0; t < 30; ++t)
        x[static_cast<std::size_t>(t)] = 1000 * t;
    writeSegy(path, SEGY_IEEE_FLOAT_4_BYTE, x, 4000, spikes, {}, 1000);
    const SegyReduction cases[] = {{10, 100, false}, {10, 100, true}, {30, 1000, false}};
    for (const SegyReduction& c : cases) {
        SegySection s;
        ASSERT_EQ(readSegy(path, s, {}, c).message(), "");
        ASSERT_EQ(s.traces, c.maxColumns);
        ASSERT_EQ(s.samples, c.maxRows);
        EXPECT_EQ(s.fileTraces, 30);
        EXPECT_EQ(s.fileSamples, 1000);
        const int peakRow = 503 * c.maxRows / 1000, troughRow = 707 * c.maxRows / 1000;
        const int per = 30 / c.maxColumns;
        for (int col = 0; col < c.maxColumns; ++col) {
            // The traces of a column are averaged: factors col*per+1 .. (col+1)*per.
            const float factor = static_cast<float>(col * per) + (static_cast<float>(per) + 1) / 2;
            EXPECT_NEAR(s.at(col, peakRow), 10 * factor, 1e-3) << col;
            EXPECT_NEAR(s.at(col, troughRow), -8 * factor, 1e-3) << col;
            EXPECT_LT(std::fabs(s.at(col, 10)), 0.01f * 30 + 1e-4) << col;
        }
    }
    // The largest amplitudes a float holds, averaged: still finite.
    const std::string loud = dir.filePath(QStringLiteral("loud.sgy")).toStdString();
    writeSegy(loud, SEGY_IEEE_FLOAT_4_BYTE, {}, 4000, [](int t, int) { return t % 2 ? 3e38f : 2e38f; });
    SegySection l;
    ASSERT_EQ(readSegy(loud, l, {}, {1, 4, false}).message(), "");
    EXPECT_NEAR(l.at(0, 2), (4 * 2e38 + 3 * 3e38) / 7, 1e32);

    // Four parts of the line: the first holds traces 1 to 8.
    SegySection s;
    ASSERT_EQ(readSegy(path, s, {}, {4, 10, true}).message(), "");
    EXPECT_NEAR(s.at(0, 5), 10 * 4.5, 1e-3);
}
