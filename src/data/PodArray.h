#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

// A growing array of plain values in one block from malloc, for the columns of fetched rows.
//
// Growing a std::vector copies every element into fresh memory, which the system then has to map
// page by page. Here the block grows with realloc: the C library moves a large block by remapping
// its pages, so what was written is neither copied nor faulted in again. Fetching 400,000 rows spends
// most of its time outside the engine on exactly that.
template <typename T> class PodArray {
    static_assert(std::is_trivially_copyable_v<T>, "plain values only");

public:
    PodArray() = default;
    ~PodArray() { std::free(m_data); }
    PodArray(const PodArray&) = delete;
    PodArray& operator=(const PodArray&) = delete;
    PodArray(PodArray&& other) noexcept { swap(other); }
    PodArray& operator=(PodArray&& other) noexcept
    {
        PodArray(std::move(other)).swap(*this);
        return *this;
    }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const T* data() const { return m_data; }
    T& operator[](size_t i) { return m_data[i]; }
    const T& operator[](size_t i) const { return m_data[i]; }

    void push_back(const T& value)
    {
        if (m_size == m_capacity)
            reserve(m_size + 1);
        m_data[m_size++] = value;
    }
    void append(const T* values, size_t count)
    {
        if (count == 0)
            return;
        if (m_size + count > m_capacity)
            reserve(m_size + count);
        std::memcpy(m_data + m_size, values, count * sizeof(T));
        m_size += count;
    }
    // `count` copies of `value` at the end.
    void fill(size_t count, const T& value)
    {
        if (m_size + count > m_capacity)
            reserve(m_size + count);
        std::fill(m_data + m_size, m_data + m_size + count, value);
        m_size += count;
    }
    // At least `needed` elements, at least double the capacity, at least a page.
    void reserve(size_t needed)
    {
        const size_t capacity = std::max({needed, m_capacity * 2, size_t(4096) / sizeof(T)});
        void* grown = std::realloc(m_data, capacity * sizeof(T));
        if (!grown)
            throw std::bad_alloc();
        m_data = static_cast<T*>(grown);
        m_capacity = capacity;
    }
    void clear() { PodArray().swap(*this); }
    // Empty, the block kept for the values that come next.
    void truncate() { m_size = 0; }

private:
    void swap(PodArray& other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
    }

    T* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};
