#include "app/recovery.h"

#include "io/model_file.h"
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
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

// Locks the lock file at lockPath, creating it if need be; the descriptor, or
// -1 when another program holds it.
int lockPath(const QByteArray& lockPath)
{
    // A lock removed by a cleaner between our open and our flock would lock
    // nothing: the lock counts only while the name is still the file locked.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return -1;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return -1;
        }
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && ::stat(lockPath.constData(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino)
            return fd;
        ::close(fd);
    }
    return -1;
}

int lockFile(const QString& path)
{
    return lockPath(QFile::encodeName(path + QStringLiteral(".lock")));
}

// Temporaries of a write that stopped half way; a write takes far less.
constexpr qint64 StaleTemporarySeconds = 10 * 60;

void unlock(const QString& path, int fd)
{
    ::unlink(QFile::encodeName(path + QStringLiteral(".lock")).constData());
    ::close(fd);
}

}  // namespace

Result<std::string> recoveryBytes(const Workspace& ws, const QString& modelFile)
{
    // Without a model path the files shown with the section are named by
    // absolute path: the work may never have been saved, and the recovery
    // file lives in a folder of its own.
    ModelExtras x = extrasOf(ws);
    const std::string file = QFile::encodeName(modelFile).toStdString();
    // A name that would break its line is left out: the work comes back unnamed.
    if (!file.empty() && file.find_first_of("\r\n") == std::string::npos)
        x.ModelFile = file;
    x.CurrentBody = ExtrasHidden{ws.model.CurrentBody, 0};
    x.View = ExtrasView{ws.display.ViewXMin, ws.display.ViewXMax, ws.display.Zoomed, ws.display.DepthTickStep,
                        ws.display.GravityTickStep};
    return modelFileBytes(ws, x, true);
}

namespace {

std::string checkContents(std::string_view bytes, ModelFileContents& contents)
{
    if (Status parsed = parseModelFile(bytes, contents); !parsed)
        return parsed.message();
    // The work is restored only as it was written: a file damaged since
    // would bring back wrong numbers without a word.
    if (!contents.Extras || !contents.ExtrasRead.HasChecksum || !contents.ExtrasRead.ChecksumGood)
        return "its checksum does not match its contents, so it was damaged after it was written";
    return {};
}

}  // namespace

std::string checkRecoveryBytes(std::string_view bytes)
{
    ModelFileContents contents;
    return checkContents(bytes, contents);
}

std::string restoreRecoveryBytes(Workspace& ws, std::string_view bytes, QString& modelFile,
                                 std::vector<std::string>* notes)
{
    ModelFileContents contents;
    if (std::string reason = checkContents(bytes, contents); !reason.empty())
        return reason;
    applyModelFile(ws, contents, notes);
    const ModelExtras& x = *contents.Extras;
    modelFile = x.ModelFile ? QFile::decodeName(QByteArray::fromStdString(*x.ModelFile)) : QString();
    if (x.CurrentBody && x.CurrentBody->Body >= 1 && x.CurrentBody->Body <= ws.model.NumBodies)
        ws.model.CurrentBody = x.CurrentBody->Body;
    if (x.View) {
        ws.display.ViewXMin = x.View->XMin;
        ws.display.ViewXMax = x.View->XMax;
        ws.display.Zoomed = x.View->Zoomed;
        ws.display.DepthTickStep = x.View->DepthStep;
        ws.display.GravityTickStep = x.View->GravityStep;
    }
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
    const Result<std::string> bytes = recoveryBytes(ws, modelFile);
    if (!bytes)
        return "A model file cannot hold the model: " + bytes.message() + ".";
    return writeFileSafely(QFile::encodeName(file_).toStdString(), *bytes).message();
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

QString RecoveryFiles::setAside(const QString& path)
{
    QString aside = path + QStringLiteral(".damaged");
    QFile::remove(aside);
    if (!QFile::rename(path, aside))
        aside.clear();
    discard(path);
    return aside;
}

int RecoveryFiles::removeLeftovers()
{
    int removed = 0;
    const QDir dir(folder_);
    const QString own = file_ + QStringLiteral(".lock");
    bool othersRun = false;
    for (const QFileInfo& f : dir.entryInfoList({QStringLiteral("*.lock")}, QDir::Files | QDir::Hidden)) {
        const QString path = f.absoluteFilePath();
        const QString file = path.chopped(5);
        if (path == own || heldLocks_.count(file))
            continue;
        const QByteArray name = QFile::encodeName(path);
        const int fd = lockPath(name);
        if (fd < 0) {
            othersRun = true;   // its program is running
            continue;
        }
        // Removed while held, so no program can take it meanwhile.
        if (!QFileInfo::exists(file) && ::unlink(name.constData()) == 0)
            ++removed;
        ::close(fd);
    }
    const QDateTime now = QDateTime::currentDateTime();
    for (const QFileInfo& f :
         dir.entryInfoList({QStringLiteral(".corvane-save-*")}, QDir::Files | QDir::Hidden | QDir::System)) {
        // While another program runs one of these may be its write under way.
        if (othersRun && f.lastModified().secsTo(now) < StaleTemporarySeconds)
            continue;
        if (QFile::remove(f.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

}  // namespace corvane
