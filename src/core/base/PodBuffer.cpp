#include "core/base/PodBuffer.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace rp::pod_detail {

namespace {

// From this size on a block is mapped: one huge page.
constexpr size_t mappedFrom = size_t(2) << 20;

bool isMapped(size_t capacity) {
    return capacity >= mappedFrom;
}

size_t pageSize() {
    static const size_t size = size_t(sysconf(_SC_PAGESIZE));
    return size;
}

void* map(size_t capacity) {
    void* data =
        mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED)
        throw std::bad_alloc();
    // Advice only: without huge pages the block works the same.
    madvise(data, capacity, MADV_HUGEPAGE);
    return data;
}

} // namespace

size_t roundCapacity(size_t bytes) {
    if (!isMapped(bytes))
        return bytes;
    const size_t page = pageSize();
    return (bytes + page - 1) / page * page;
}

void* resize(void* data, size_t oldCapacity, size_t used, size_t newCapacity) {
    const bool wasMapped = isMapped(oldCapacity);
    const bool mapped = isMapped(newCapacity);
    if (newCapacity == 0) {
        if (wasMapped)
            munmap(data, oldCapacity);
        else
            std::free(data);
        return nullptr;
    }
    if (!wasMapped && !mapped) {
        void* grown = std::realloc(data, newCapacity);
        if (!grown)
            throw std::bad_alloc();
        return grown;
    }
    if (wasMapped && mapped) {
        void* moved = mremap(data, oldCapacity, newCapacity, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED)
            throw std::bad_alloc();
        return moved;
    }
    // Crossing between the heap and a mapping: the used bytes are copied once.
    void* fresh = mapped ? map(newCapacity) : std::malloc(newCapacity);
    if (!fresh)
        throw std::bad_alloc();
    if (used > 0)
        std::memcpy(fresh, data, used < newCapacity ? used : newCapacity);
    resize(data, oldCapacity, 0, 0);
    return fresh;
}

} // namespace rp::pod_detail
