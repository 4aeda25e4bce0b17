#include "Defragmenter.h"

#include "FragmentCount.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <libgen.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace rp::contig {

namespace {

// A file descriptor closed however the work ends.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::string errnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ino == b.st_ino;
}

bool copyAll(int from, int to, off_t size, std::string& error) {
    std::vector<char> buffer(1 << 20);
    off_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(from, buffer.data(), buffer.size(), done);
        if (got < 0) {
            error = errnoText("cannot read");
            return false;
        }
        if (got == 0)
            break;
        for (ssize_t written = 0; written < got;) {
            const ssize_t n = ::pwrite(to, buffer.data() + written, got - written, done + written);
            if (n < 0) {
                error = errnoText("cannot write the copy");
                return false;
            }
            written += n;
        }
        done += got;
    }
    if (done != size) {
        error = "the file changed while it was copied";
        return false;
    }
    return true;
}

} // namespace

std::string reportLine(const std::string& path, long fragments) {
    if (fragments <= 1)
        return path + " is defragmented";
    return path + " is in " + std::to_string(fragments) + " fragments";
}

FileReport analyse(const std::string& path) {
    FileReport report;
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        report.error = errnoText("cannot open");
        return report;
    }
    const auto count = fragmentCount(fd.get(), report.error);
    if (!count)
        return report;
    report.ok = true;
    report.before = report.after = *count;
    return report;
}

FileReport defragment(const std::string& path) {
    FileReport report;
    const Fd source(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat before {};
    if (source.get() < 0 || ::fstat(source.get(), &before) != 0) {
        report.error = errnoText("cannot open");
        return report;
    }
    if (!S_ISREG(before.st_mode)) {
        report.error = "not a regular file";
        return report;
    }
    const auto count = fragmentCount(source.get(), report.error);
    if (!count)
        return report;
    report.before = report.after = *count;
    report.ok = true;
    if (*count <= 1)
        return report;
    if (before.st_nlink > 1) {
        report.ok = false;
        report.error = "the file has other names (hard links); rewriting it would part them";
        return report;
    }

    std::vector<char> folder(path.begin(), path.end());
    folder.push_back('\0');
    const std::string directory = ::dirname(folder.data());
    std::string temp = directory + "/.rivelpost-contig-XXXXXX";
    const Fd copy(::mkstemp(temp.data()));
    if (copy.get() < 0) {
        report.ok = false;
        report.error = errnoText("cannot create the copy");
        return report;
    }
    const auto fail = [&](const std::string& why) {
        ::unlink(temp.c_str());
        report.ok = false;
        report.error = why;
        return report;
    };
    // One allocation for the whole file gives the file system the chance to place it in one
    // piece; where it cannot preallocate, the plain copy still helps.
    if (before.st_size > 0 && ::posix_fallocate(copy.get(), 0, before.st_size) == ENOSPC)
        return fail("not enough free space for a fresh copy");
    std::string error;
    if (!copyAll(source.get(), copy.get(), before.st_size, error))
        return fail(error);
    if (::fchmod(copy.get(), before.st_mode & 07777) != 0)
        return fail(errnoText("cannot set the copy's permissions"));
    if (::fchown(copy.get(), before.st_uid, before.st_gid) != 0 && geteuid() == 0)
        return fail(errnoText("cannot set the copy's owner"));
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ::futimens(copy.get(), times);
    if (::fsync(copy.get()) != 0)
        return fail(errnoText("cannot write the copy to disk"));
    const auto copyCount = fragmentCount(copy.get(), error);
    if (!copyCount)
        return fail(error);
    if (*copyCount >= *count) {
        ::unlink(temp.c_str());
        return report;
    }
    struct stat now {};
    if (::stat(path.c_str(), &now) != 0 || !sameFile(before, now))
        return fail("the file changed while it was copied; it was left as it was");
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return fail(errnoText("cannot put the copy in place"));
    const Fd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    report.after = *copyCount;
    report.rewritten = true;
    return report;
}

} // namespace rp::contig
