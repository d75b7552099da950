#pragma once
// A fixed-size array indexed from 1, so that the model's loops read like the
// algorithms they implement ("for k = 1 to n"). Access is checked in debug builds.
#include <array>
#include <cassert>
#include <cstddef>

template <typename T, int N>
class Array1 {
public:
    static constexpr int size() { return N; }

    T& operator[](int i)
    {
        assert(i >= 1 && i <= N);
        return data_[static_cast<std::size_t>(i - 1)];
    }
    const T& operator[](int i) const
    {
        assert(i >= 1 && i <= N);
        return data_[static_cast<std::size_t>(i - 1)];
    }

    void fill(const T& v) { data_.fill(v); }

    // Element 1 at data()[0]: for kernels that run over plain arrays.
    T* data() { return data_.data(); }
    const T* data() const { return data_.data(); }

    bool operator==(const Array1&) const = default;

private:
    std::array<T, static_cast<std::size_t>(N)> data_{};
};
