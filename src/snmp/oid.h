// An SNMP object identifier of bounded length, held by value (no allocation), ordered the
// way agents order their objects for GETNEXT.
#pragma once

#include <algorithm>
#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace snmp {

class Oid {
  public:
    // Object names have at most 128 sub-identifiers.
    static constexpr std::size_t kMaxArcs = 128;

    constexpr Oid() = default;
    constexpr Oid(std::initializer_list<std::uint32_t> arcs) {
        for (std::uint32_t arc : arcs) Append(arc);
    }

    // False, with nothing added, when the identifier is full.
    constexpr bool Append(std::uint32_t arc) {
        if (size_ == kMaxArcs) return false;
        arcs_[size_++] = arc;
        return true;
    }
    constexpr std::size_t size() const { return size_; }
    constexpr bool empty() const { return size_ == 0; }
    constexpr std::uint32_t operator[](std::size_t i) const { return arcs_[i]; }
    constexpr const std::uint32_t* begin() const { return arcs_.data(); }
    constexpr const std::uint32_t* end() const { return arcs_.data() + size_; }

    // Whether `prefix` names this identifier or one of its ancestors.
    constexpr bool StartsWith(const Oid& prefix) const {
        return prefix.size_ <= size_ && std::equal(prefix.begin(), prefix.end(), begin());
    }
    // This identifier followed by one more arc.
    constexpr Oid Child(std::uint32_t arc) const {
        Oid child = *this;
        child.Append(arc);
        return child;
    }

    friend constexpr bool operator==(const Oid& a, const Oid& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    friend constexpr std::strong_ordering operator<=>(const Oid& a, const Oid& b) {
        return std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end());
    }

  private:
    std::array<std::uint32_t, kMaxArcs> arcs_{};
    std::size_t size_ = 0;
};

}  // namespace snmp
