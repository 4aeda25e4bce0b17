#include "FragmentCount.h"

#include <cerrno>
#include <cstring>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <vector>

namespace rp::contig {

std::optional<long> fragmentCount(int fd, std::string& error) {
    constexpr unsigned batch = 256;
    std::vector<char> buffer(sizeof(fiemap) + batch * sizeof(fiemap_extent));
    auto* map = reinterpret_cast<fiemap*>(buffer.data());
    long fragments = 0;
    __u64 start = 0;
    __u64 previousEnd = 0;
    bool havePrevious = false;
    for (;;) {
        std::memset(buffer.data(), 0, buffer.size());
        map->fm_start = start;
        map->fm_length = FIEMAP_MAX_OFFSET - start;
        // Data still waiting in the page cache has no place on disk yet: write it out first.
        map->fm_flags = FIEMAP_FLAG_SYNC;
        map->fm_extent_count = batch;
        if (ioctl(fd, FS_IOC_FIEMAP, map) != 0) {
            error = errno == EOPNOTSUPP || errno == ENOTTY
                        ? std::string("the file system does not report where files lie (FIEMAP)")
                        : std::strerror(errno);
            return std::nullopt;
        }
        if (map->fm_mapped_extents == 0)
            return fragments;
        bool last = false;
        for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
            const fiemap_extent& extent = map->fm_extents[i];
            if (!havePrevious || extent.fe_physical != previousEnd)
                ++fragments;
            havePrevious = true;
            previousEnd = extent.fe_physical + extent.fe_length;
            start = extent.fe_logical + extent.fe_length;
            last = last || (extent.fe_flags & FIEMAP_EXTENT_LAST) != 0;
        }
        if (last)
            return fragments;
    }
}

} // namespace rp::contig
