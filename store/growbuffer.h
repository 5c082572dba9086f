#pragma once
// A growing array of plain values, for the columns of a long list and the bytes of its texts. Read
// row by row, a list's columns grow from nothing to hundreds of thousands of values. A std::vector
// copies its values at every doubling and has the system hand it fresh pages each time; here a big
// buffer is mapped from the system and grown where it is (mremap), so its values are not copied and
// its pages are touched once.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>

namespace growbuffer {
// From this size on a buffer has pages of its own.
constexpr std::size_t MappedBytes = std::size_t(1) << 20;
// Storage of at least `bytes`; `*mapped` tells how it was taken. The old storage's first `used` bytes
// are kept. Throws std::bad_alloc when the system has no memory left.
void *grow(void *old, std::size_t oldBytes, std::size_t used, std::size_t *bytes, bool *mapped);
void release(void *data, std::size_t bytes, bool mapped);
} // namespace growbuffer

template <typename T> class GrowBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    GrowBuffer() = default;
    ~GrowBuffer() { growbuffer::release(m_data, m_capacity * sizeof(T), m_mapped); }
    GrowBuffer(const GrowBuffer &) = delete;
    GrowBuffer &operator=(const GrowBuffer &) = delete;
    GrowBuffer(GrowBuffer &&other) noexcept { steal(other); }
    GrowBuffer &operator=(GrowBuffer &&other) noexcept {
        if (this != &other) {
            growbuffer::release(m_data, m_capacity * sizeof(T), m_mapped);
            steal(other);
        }
        return *this;
    }

    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    bool empty() const { return m_size == 0; }
    T *data() { return m_data; }
    const T *data() const { return m_data; }
    T &operator[](std::size_t index) { return m_data[index]; }
    const T &operator[](std::size_t index) const { return m_data[index]; }

    void push_back(T value) {
        if (m_size == m_capacity) reserve(m_size + 1);
        m_data[m_size++] = value;
    }
    void append(const T *values, std::size_t count) {
        if (m_size + count > m_capacity) reserve(m_size + count);
        if (count) std::memcpy(m_data + m_size, values, count * sizeof(T));
        m_size += count;
    }
    void assign(std::size_t count, T value) {
        m_size = 0;
        if (count > m_capacity) reserve(count);
        std::fill_n(m_data, count, value);
        m_size = count;
    }
    // No values; the storage stays for the next ones.
    void clear() { m_size = 0; }
    // Room for at least `count` values, growing by doubling.
    void reserve(std::size_t count) {
        if (count <= m_capacity) return;
        std::size_t bytes = std::max({count, m_capacity * 2, std::size_t(16)}) * sizeof(T);
        m_data = static_cast<T *>(
            growbuffer::grow(m_data, m_capacity * sizeof(T), m_size * sizeof(T), &bytes, &m_mapped));
        m_capacity = bytes / sizeof(T);
    }

  private:
    void steal(GrowBuffer &other) {
        m_data = other.m_data;
        m_size = other.m_size;
        m_capacity = other.m_capacity;
        m_mapped = other.m_mapped;
        other.m_data = nullptr;
        other.m_size = other.m_capacity = 0;
        other.m_mapped = false;
    }

    T *m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    bool m_mapped = false;
};
