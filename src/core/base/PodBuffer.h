#pragma once

#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace rp {

// A growable array of plain values kept with realloc, which can extend a large block in place
// (the kernel remaps its pages) instead of copying it as std::vector must. For the typed columns
// of large record sets.
template <typename T> class PodBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodBuffer() = default;
    ~PodBuffer() { std::free(m_data); }
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
        if (m_size == 0) {
            std::free(std::exchange(m_data, nullptr));
            m_capacity = 0;
        } else if (m_size < m_capacity) {
            reallocate(m_size);
        }
    }

private:
    void reallocate(size_t capacity) {
        void* data = std::realloc(m_data, capacity * sizeof(T));
        if (!data)
            throw std::bad_alloc();
        m_data = static_cast<T*>(data);
        m_capacity = capacity;
    }

    T* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

} // namespace rp
