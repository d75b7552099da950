#include "safe_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace corvane {

namespace {

std::string failure(const char* what, const std::string& path, int err)
{
    return std::string(what) + " \"" + path + "\": " + std::strerror(err) + ".";
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Writes all of data to fd, retrying short writes and interruptions.
bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

namespace {

// Where a write to path lands: the final file behind any chain of symbolic
// links, found one link at a time so that a link to a file not yet made
// still leads to it rather than being replaced itself. Empty for a chain
// that never ends (a loop): renaming over it would replace one of its links.
std::string followLinks(const std::string& path)
{
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return at;
        std::string to(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(at.c_str(), to.data(), to.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= to.size())
            return at;
        to.resize(static_cast<std::size_t>(n));
        at = to.front() == '/' ? to : folderOf(at) + "/" + to;
    }
    return {};
}

// A temporary's name carries the pid of the process writing it, so that a
// later process can tell one left by a process that died mid-save.
constexpr std::string_view TempPrefix = ".corvane-save-";

std::string tempPattern(const std::string& folder)
{
    return folder + "/" + std::string(TempPrefix) + std::to_string(::getpid()) + "-XXXXXX";
}

// The pid in a name of our temporaries' pattern (prefix, pid, '-', six
// characters), or 0 for any other name.
pid_t tempOwner(std::string_view name)
{
    if (name.substr(0, TempPrefix.size()) != TempPrefix)
        return 0;
    name.remove_prefix(TempPrefix.size());
    const std::size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9 || name.size() != dash + 7)
        return 0;
    long pid = 0;
    for (char c : name.substr(0, dash)) {
        if (c < '0' || c > '9')
            return 0;
        pid = pid * 10 + (c - '0');
    }
    return static_cast<pid_t>(pid);
}

// One file of a group being written: where it goes, what it was, and the
// temporary that holds its new contents until every file of the group is
// ready.
struct Pending {
    std::string path;     // as named by the caller, for messages
    std::string target;   // the file that is replaced
    bool existed = false;
    struct stat old {};
    std::string temp;
    std::string backup;   // a second name of the old file while the group is renamed
};

void discard(std::vector<Pending>& files)
{
    for (Pending& f : files) {
        if (!f.temp.empty())
            ::unlink(f.temp.c_str());
        if (!f.backup.empty())
            ::unlink(f.backup.c_str());
    }
}

// Checks the target and writes the new contents to a temporary beside it.
std::string prepare(Pending& f, std::string_view bytes)
{
    if (f.path.empty())
        return "Could not write the file: no file name was given.";
    f.target = followLinks(f.path);
    if (f.target.empty())
        return failure("Could not write", f.path, ELOOP);
    removeStaleTemporaries(folderOf(f.target));
    f.existed = ::stat(f.target.c_str(), &f.old) == 0;
    if (f.existed) {
        if (S_ISDIR(f.old.st_mode))
            return failure("Could not write", f.path, EISDIR);
        // Renaming over a file would replace it whatever its permissions, and
        // the superuser may write anything: the mode bits decide.
        if ((f.old.st_mode & 0222) == 0 || (::access(f.target.c_str(), W_OK) != 0 && errno == EACCES))
            return "Could not write \"" + f.path + "\": the file is write-protected.";
    }

    std::string temp = tempPattern(folderOf(f.target));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return failure("Could not write", f.path, errno);
    f.temp = temp;

    int err = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        err = errno;
    // A new file gets the usual permissions rather than mkstemp's 0600; an
    // existing one keeps its own, and its owner where that may be given.
    if (err == 0) {
        mode_t mode;
        if (f.existed) {
            mode = f.old.st_mode & 07777;
            if (::fchown(fd, f.old.st_uid, f.old.st_gid) != 0) {
                // Not permitted for an ordinary user: the file becomes theirs.
            }
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(fd, mode);
    }
    if (::close(fd) != 0 && err == 0)
        err = errno;
    return err == 0 ? std::string() : failure("Could not write", f.path, err);
}

}  // namespace

int removeStaleTemporaries(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* e = ::readdir(dir)) {
        const pid_t pid = tempOwner(e->d_name);
        // Only a process that no longer runs: a live one (ours included, or
        // one we may not signal) may still be writing it.
        if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            ::unlinkat(::dirfd(dir), e->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

Status writeFileSafely(const std::string& path, std::string_view bytes)
{
    return writeFilesSafely({{path, bytes}});
}

Status writeFilesSafely(const std::vector<std::pair<std::string, std::string_view>>& files)
{
    std::vector<Pending> pending(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        pending[i].path = files[i].first;
        const std::string err = prepare(pending[i], files[i].second);
        if (!err.empty()) {
            discard(pending);
            return fail(err);
        }
    }

    // Every new file is on disk. Each old file keeps a second name until the
    // whole group is in place, so that a rename that fails half-way can put
    // back the ones already replaced.
    if (pending.size() > 1)
        for (Pending& f : pending) {
            if (!f.existed)
                continue;
            std::string backup = tempPattern(folderOf(f.target));
            const int fd = ::mkstemp(backup.data());
            if (fd < 0)
                continue;
            ::close(fd);
            if (::unlink(backup.c_str()) == 0 && ::link(f.target.c_str(), backup.c_str()) == 0)
                f.backup = backup;
        }

    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (::rename(pending[i].temp.c_str(), pending[i].target.c_str()) == 0) {
            pending[i].temp.clear();
            continue;
        }
        const int err = errno;
        for (std::size_t j = 0; j < i; ++j) {
            Pending& done = pending[j];
            if (!done.backup.empty() && ::rename(done.backup.c_str(), done.target.c_str()) == 0)
                done.backup.clear();
            else if (!done.existed)
                ::unlink(done.target.c_str());
        }
        discard(pending);
        return fail(failure("Could not write", pending[i].path, err));
    }
    discard(pending);   // the backups: the new files stand

    // Make the renames themselves durable.
    for (const Pending& f : pending) {
        const int dir = ::open(folderOf(f.target).c_str(), O_RDONLY | O_DIRECTORY);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return {};
}

Result<std::string> readWholeFile(const std::string& path, std::size_t maxBytes)
{
    if (path.empty())
        return fail("Could not read the file: no file name was given.");
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return fail(failure("Could not read", path, errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(failure("Could not read", path, err));
    }
    std::string data;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            return fail(failure("Could not read", path, err));
        }
        if (n == 0)
            break;
        if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
            ::close(fd);
            return fail("Could not read \"" + path + "\": the file is too large.");
        }
        data.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return data;
}

}  // namespace corvane
