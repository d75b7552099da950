#include "safe_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

std::string writeFileSafely(const std::string& path, std::string_view bytes)
{
    if (path.empty())
        return "Could not write the file: no file name was given.";

    // Replace the file a link points to, not the link itself.
    std::string target = path;
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode))
            return failure("Could not write", path, EISDIR);
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }

    std::string temp = folderOf(target) + "/.corvane-save-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return failure("Could not write", path, errno);

    int err = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        err = errno;
    // A new file gets the usual permissions rather than mkstemp's 0600; an
    // existing one keeps its own.
    if (err == 0) {
        mode_t mode;
        if (exists) {
            mode = old.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(fd, mode);
    }
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return failure("Could not write", path, err);
    }

    // Make the rename itself durable.
    const int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

std::string readWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes)
{
    bytes.clear();
    if (path.empty())
        return "Could not read the file: no file name was given.";
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return failure("Could not read", path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return failure("Could not read", path, err);
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
            return failure("Could not read", path, err);
        }
        if (n == 0)
            break;
        if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
            ::close(fd);
            return "Could not read \"" + path + "\": the file is too large.";
        }
        data.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    bytes = std::move(data);
    return {};
}

}  // namespace corvane
