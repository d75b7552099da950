#include "app/recovery.h"

#include "io/backdrop_file.h"
#include "io/model_file.h"
#include "io/overlay_items.h"
#include "io/safe_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace corvane {

namespace {

// The extras begin with this line right after the model file's last record.
constexpr std::string_view Heading = "\nCorvane recovery 1\n";

// The length of the model file that parseModelFile read.
std::size_t modelFileLength(const ModelFileContents& f)
{
    std::size_t records = 9 + 2 * static_cast<std::size_t>(f.NumStations);
    for (const ModelFileBody& b : f.Bodies)
        records += 4 + 2 * static_cast<std::size_t>(b.NumCorners);
    return 6 * records;
}

// Doubles are written in their shortest form that reads back exactly.
void put(std::string& out, double v)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out += ' ';
    out.append(buf, r.ptr);
}

void put(std::string& out, int v)
{
    out += ' ';
    out += std::to_string(v);
}

template <class T>
bool take(std::string_view s, T& out)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool takeFlag(std::string_view s, bool& out)
{
    int v = -1;
    if (!take(s, v) || (v != 0 && v != 1))
        return false;
    out = v == 1;
    return true;
}

bool takeFinite(std::string_view s, double& out)
{
    return take(s, out) && std::isfinite(out);
}

std::vector<std::string_view> fieldsOf(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        const std::size_t j = std::min(line.find(' ', i), line.size());
        if (j > i)
            out.push_back(line.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

// The body's hidden flag, inversion choices and bounds, in the order they
// are written.
constexpr int NumBodyFlags = 5;
constexpr int NumBodyBounds = 8;

template <class B>
auto bodyFlag(B& b, int i) -> decltype(&b.Hidden)
{
    decltype(&b.Hidden) flags[] = {&b.Hidden, &b.InvertDensity, &b.InvertXPos, &b.InvertDepth,
                                   &b.InvertAngle};
    return flags[i];
}

template <class B>
auto bodyBound(B& b, int i) -> decltype(&b.DensMin)
{
    decltype(&b.DensMin) bounds[] = {&b.DensMin, &b.DensMax, &b.XPosMin, &b.XPosMax,
                                     &b.DepthMin, &b.DepthMax, &b.AngleMin, &b.AngleMax};
    return bounds[i];
}

// A link record that the model can keep: a distinct corner of another body
// that names this corner back and lies in the same place. A closing copy may
// only repeat corner 1's record.
bool linkSound(const Model& m, int b, int k)
{
    const Tbody& body = m.Bodies[b];
    const int n = body.NumCorners;
    if (k == n)
        return body.Linked[1] && body.LinkBody[n] == body.LinkBody[1] &&
               body.LinkCorner[n] == body.LinkCorner[1] && linkSound(m, b, 1);
    const int pb = body.LinkBody[k], pk = body.LinkCorner[k];
    if (pb < 1 || pb > m.NumBodies || pb == b)
        return false;
    const Tbody& partner = m.Bodies[pb];
    return pk >= 1 && pk <= partner.NumCorners - 1 && partner.Linked[pk] && partner.LinkBody[pk] == b &&
           partner.LinkCorner[pk] == k && partner.CornerX[pk] == body.CornerX[k] &&
           partner.CornerZ[pk] == body.CornerZ[k];
}

void applyExtras(Workspace& ws, std::string_view text, QString& modelFile)
{
    Model& m = ws.model;
    auto bodyIn = [&m](std::string_view s, int& b) { return take(s, b) && b >= 1 && b <= m.NumBodies; };
    ws.overlays = {};
    std::vector<std::string> overlayProblems;   // files gone since: left out
    while (!text.empty()) {
        const std::size_t eol = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, eol);
        const std::vector<std::string_view> f = fieldsOf(line);
        text.remove_prefix(std::min(eol + 1, text.size()));
        if (f.empty())
            continue;
        if (f[0] == "end")
            break;
        if (readOverlayItem(line, {}, ws.overlays, overlayProblems))
            continue;
        if (f[0] == "file" && f.size() == 2) {
            modelFile = QUrl::fromPercentEncoding(QByteArray(f[1].data(), static_cast<qsizetype>(f[1].size())));
        } else if (f[0] == "current" && f.size() == 3) {
            int current = 0, inversion = 0;
            if (bodyIn(f[1], current) && bodyIn(f[2], inversion)) {
                m.CurrentBody = current;
                ws.inversion.InversionBody = inversion;
            }
        } else if (f[0] == "view" && f.size() == 6) {
            double lo = 0, hi = 0, depthStep = 0, gravityStep = 0;
            bool zoomed = false;
            if (takeFinite(f[1], lo) && takeFinite(f[2], hi) && hi > lo && takeFlag(f[3], zoomed) &&
                takeFinite(f[4], depthStep) && depthStep > 0 && takeFinite(f[5], gravityStep) &&
                gravityStep > 0) {
                ws.display.ViewXMin = lo;
                ws.display.ViewXMax = hi;
                ws.display.Zoomed = zoomed;
                ws.display.DepthTickStep = depthStep;
                ws.display.GravityTickStep = gravityStep;
            }
        } else if (f[0] == "body" && f.size() == 2 + NumBodyFlags + NumBodyBounds) {
            int b = 0;
            bool flags[NumBodyFlags] = {};
            double bounds[NumBodyBounds] = {};
            bool ok = bodyIn(f[1], b);
            for (int i = 0; ok && i < NumBodyFlags; ++i)
                ok = takeFlag(f[static_cast<std::size_t>(2 + i)], flags[i]);
            for (int i = 0; ok && i < NumBodyBounds; ++i)
                ok = takeFinite(f[static_cast<std::size_t>(2 + NumBodyFlags + i)], bounds[i]);
            if (ok) {
                for (int i = 0; i < NumBodyFlags; ++i)
                    *bodyFlag(m.Bodies[b], i) = flags[i];
                for (int i = 0; i < NumBodyBounds; ++i)
                    *bodyBound(m.Bodies[b], i) = bounds[i];
            }
        } else if (f[0] == "corner" && f.size() == 8) {
            int b = 0, k = 0, lb = 0, lc = 0;
            bool ix = false, iz = false, linked = false;
            if (bodyIn(f[1], b) && take(f[2], k) && k >= 1 && k <= m.Bodies[b].NumCorners &&
                takeFlag(f[3], ix) && takeFlag(f[4], iz) && takeFlag(f[5], linked) && take(f[6], lb) &&
                take(f[7], lc)) {
                Tbody& body = m.Bodies[b];
                body.CornerInvertX[k] = ix;
                body.CornerInvertZ[k] = iz;
                body.Linked[k] = linked;
                body.LinkBody[k] = linked ? lb : 0;
                body.LinkCorner[k] = linked ? lc : 0;
            }
        }
    }

    if (ws.overlays.backdrop && !readBackdrop(*ws.overlays.backdrop).empty())
        ws.overlays.backdrop.reset();

    // Links are judged against the records as read, then the unsound ones go.
    std::vector<std::pair<int, int>> unsound;
    for (int b = 1; b <= m.NumBodies; ++b)
        for (int k = 1; k <= m.Bodies[b].NumCorners; ++k)
            if (m.Bodies[b].Linked[k] && !linkSound(m, b, k))
                unsound.emplace_back(b, k);
    for (const auto& [b, k] : unsound)
        m.Bodies[b].clearLink(k);

    // The file was read with every body shown; the hidden ones leave the
    // total now, but one body always stays visible.
    int visible = m.NumBodies;
    for (int b = 1; b <= m.NumBodies; ++b) {
        if (!m.Bodies[b].Hidden)
            continue;
        m.Bodies[b].Hidden = false;
        if (visible > 1) {
            m.setHidden(b, true);
            --visible;
        }
    }
}

int lockFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void unlock(const QString& path, int fd)
{
    ::unlink(QFile::encodeName(path + QStringLiteral(".lock")).constData());
    ::close(fd);
}

}  // namespace

std::optional<std::string> recoveryBytes(const Workspace& ws, const QString& modelFile, std::string& reason)
{
    std::optional<std::string> out = modelFileBytes(ws, reason);
    if (!out)
        return out;
    const Model& m = ws.model;
    std::string& s = *out;
    s += Heading;
    s += "file " + QUrl::toPercentEncoding(modelFile).toStdString() + "\n";
    s += "current";
    put(s, m.CurrentBody);
    put(s, ws.inversion.InversionBody);
    s += "\nview";
    put(s, ws.display.ViewXMin);
    put(s, ws.display.ViewXMax);
    put(s, ws.display.Zoomed ? 1 : 0);
    put(s, ws.display.DepthTickStep);
    put(s, ws.display.GravityTickStep);
    s += '\n';
    for (int b = 1; b <= m.NumBodies; ++b) {
        const Tbody& body = m.Bodies[b];
        s += "body";
        put(s, b);
        for (int i = 0; i < NumBodyFlags; ++i)
            put(s, *bodyFlag(body, i) ? 1 : 0);
        for (int i = 0; i < NumBodyBounds; ++i)
            put(s, *bodyBound(body, i));
        s += '\n';
        for (int k = 1; k <= body.NumCorners; ++k) {
            if (!body.CornerInvertX[k] && !body.CornerInvertZ[k] && !body.Linked[k])
                continue;
            s += "corner";
            for (int v : {b, k, int(body.CornerInvertX[k]), int(body.CornerInvertZ[k]), int(body.Linked[k]),
                          body.LinkBody[k], body.LinkCorner[k]})
                put(s, v);
            s += '\n';
        }
    }
    // Point data and backdrop by their files' full paths.
    for (const std::string& line : overlayItemLines(ws.overlays, {}))
        s += line + '\n';
    s += "end\n";
    return out;
}

std::string restoreRecoveryBytes(Workspace& ws, std::string_view bytes, QString& modelFile)
{
    ModelFileContents contents;
    if (std::string reason = parseModelFile(bytes, contents); !reason.empty())
        return reason;
    applyModelFile(ws, contents);
    modelFile.clear();
    const std::size_t at = modelFileLength(contents);
    if (bytes.size() >= at && bytes.substr(at).starts_with(Heading))
        applyExtras(ws, bytes.substr(at + Heading.size()), modelFile);
    return {};
}

RecoveryFiles::RecoveryFiles(const QString& folder) : folder_(QDir(folder).absolutePath())
{
    file_ = QDir(folder_).filePath(QStringLiteral("recovery-%1-%2.mod")
                                       .arg(QCoreApplication::applicationPid())
                                       .arg(QDateTime::currentMSecsSinceEpoch()));
}

RecoveryFiles::~RecoveryFiles()
{
    if (lockFd_ >= 0)
        ::close(lockFd_);
    for (const auto& [path, fd] : heldLocks_)
        ::close(fd);
}

bool RecoveryFiles::exists() const
{
    return QFileInfo::exists(file_);
}

bool RecoveryFiles::lockOwn()
{
    if (lockFd_ < 0 && QDir().mkpath(folder_))
        lockFd_ = lockFile(file_);
    return lockFd_ >= 0;
}

std::string RecoveryFiles::write(const Workspace& ws, const QString& modelFile)
{
    if (!lockOwn())
        return "Could not write in the folder \"" + QFile::encodeName(folder_).toStdString() + "\".";
    std::string reason;
    const std::optional<std::string> bytes = recoveryBytes(ws, modelFile, reason);
    if (!bytes)
        return "A model file cannot hold the model: " + reason + ".";
    return writeFileSafely(QFile::encodeName(file_).toStdString(), *bytes);
}

void RecoveryFiles::remove()
{
    QFile::remove(file_);
    if (lockFd_ >= 0)
        unlock(file_, lockFd_);
    lockFd_ = -1;
}

std::vector<RecoveryFiles::Found> RecoveryFiles::leftBehind()
{
    std::vector<Found> found;
    const QFileInfoList files =
        QDir(folder_).entryInfoList({QStringLiteral("recovery-*.mod")}, QDir::Files, QDir::Time);
    for (const QFileInfo& f : files) {
        const QString path = f.absoluteFilePath();
        if (path == file_)
            continue;
        if (!heldLocks_.count(path)) {
            const int fd = lockFile(path);
            if (fd < 0)
                continue;   // its program is still running
            heldLocks_[path] = fd;
        }
        found.push_back({path, f.lastModified()});
    }
    return found;
}

void RecoveryFiles::discard(const QString& path)
{
    QFile::remove(path);
    const auto it = heldLocks_.find(path);
    if (it == heldLocks_.end())
        return;
    unlock(path, it->second);
    heldLocks_.erase(it);
}

}  // namespace corvane
