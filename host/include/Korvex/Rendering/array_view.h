#pragma once

#include <array>
#include <cstddef>
#include <type_traits>
#include <vector>

namespace Korvex::Rendering {

// A non-owning (pointer, count) view of contiguous elements.
template <class T>
class array_view {
public:
    using value_type = std::remove_cv_t<T>;

    constexpr array_view() = default;
    constexpr array_view(T* data, std::size_t size) : data_(data), size_(size) {}
    template <class U, class A, class = std::enable_if_t<std::is_convertible_v<U (*)[], T (*)[]>>>
    array_view(std::vector<U, A>& v) : data_(v.data()), size_(v.size()) {}
    template <class U, class A, class = std::enable_if_t<std::is_convertible_v<const U (*)[], T (*)[]>>>
    array_view(const std::vector<U, A>& v) : data_(v.data()), size_(v.size()) {}
    template <class U, std::size_t N, class = std::enable_if_t<std::is_convertible_v<U (*)[], T (*)[]>>>
    constexpr array_view(std::array<U, N>& a) : data_(a.data()), size_(N) {}
    template <class U, std::size_t N, class = std::enable_if_t<std::is_convertible_v<const U (*)[], T (*)[]>>>
    constexpr array_view(const std::array<U, N>& a) : data_(a.data()), size_(N) {}
    template <std::size_t N>
    constexpr array_view(T (&a)[N]) : data_(a), size_(N) {}

    constexpr T* data() const { return data_; }
    constexpr std::size_t size() const { return size_; }
    constexpr bool empty() const { return size_ == 0; }
    constexpr T& operator[](std::size_t i) const { return data_[i]; }
    constexpr T* begin() const { return data_; }
    constexpr T* end() const { return data_ + size_; }

private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace Korvex::Rendering
