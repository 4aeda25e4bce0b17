#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

namespace rp {

namespace pod_detail {
// Moves a block of oldCapacity bytes, used up to used bytes, to one of newCapacity bytes (0
// frees it). Small blocks live on the heap; large ones are mapped straight from the kernel and
// grown with mremap, which moves pages instead of bytes whatever state the heap is in, and are
// marked for huge pages: a large record set then costs a page fault per 2 MB instead of per
// 4 kB. Throws std::bad_alloc.
void* resize(void* data, size_t oldCapacity, size_t used, size_t newCapacity);
// The capacity in bytes a block of at least bytes really gets: mapped blocks take whole pages.
size_t roundCapacity(size_t bytes);
} // namespace pod_detail

// A growable array of plain values whose large blocks grow without copying. For the typed
// columns of large record sets.
template <typename T> class PodBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodBuffer() = default;
    ~PodBuffer() { pod_detail::resize(m_data, bytes(m_capacity), 0, 0); }
    PodBuffer(const PodBuffer&) = delete;
    PodBuffer& operator=(const PodBuffer&) = delete;
    PodBuffer(PodBuffer&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
          m_capacity(std::exchange(other.m_capacity, 0)) {}
    PodBuffer& operator=(PodBuffer&& other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
        return *this;
    }

    size_t size() const { return m_size; }
    size_t capacity() const { return m_capacity; }
    T& operator[](size_t i) { return m_data[i]; }
    const T& operator[](size_t i) const { return m_data[i]; }

    void push_back(T value) {
        if (m_size == m_capacity)
            reallocate(m_capacity < 256 ? 256 : m_capacity * 2);
        m_data[m_size++] = value;
    }
    void pop_back() { --m_size; }
    void reserve(size_t capacity) {
        if (capacity > m_capacity)
            reallocate(capacity);
    }
    void shrink_to_fit() {
        if (m_size < m_capacity)
            reallocate(m_size);
    }

private:
    static size_t bytes(size_t count) { return count * sizeof(T); }

    void reallocate(size_t capacity) {
        const size_t granted = pod_detail::roundCapacity(bytes(capacity)) / sizeof(T);
        m_data = static_cast<T*>(
            pod_detail::resize(m_data, bytes(m_capacity), bytes(m_size), bytes(granted)));
        m_capacity = granted;
    }

    T* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

} // namespace rp
