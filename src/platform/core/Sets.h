#pragma once
// Small sets of enumeration values (at most 32 elements), as the class library's set types.

#include <cstdint>
#include <initializer_list>

namespace tessiv {

template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items)
    {
        for (E e : items)
            FBits |= Bit(e);
    }
    static constexpr TSet FromInt(std::uint32_t bits)
    {
        TSet s;
        s.FBits = bits;
        return s;
    }
    constexpr std::uint32_t ToInt() const { return FBits; }

    constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TSet& operator+=(E e) { FBits |= Bit(e); return *this; }
    constexpr TSet& operator-=(E e) { FBits &= ~Bit(e); return *this; }
    constexpr TSet& operator+=(TSet s) { FBits |= s.FBits; return *this; }
    constexpr TSet& operator-=(TSet s) { FBits &= ~s.FBits; return *this; }
    friend constexpr TSet operator+(TSet a, TSet b) { return FromInt(a.FBits | b.FBits); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromInt(a.FBits & ~b.FBits); }
    friend constexpr TSet operator*(TSet a, TSet b) { return FromInt(a.FBits & b.FBits); }
    friend constexpr bool operator==(TSet a, TSet b) { return a.FBits == b.FBits; }

private:
    static constexpr std::uint32_t Bit(E e) { return std::uint32_t(1) << static_cast<int>(e); }
    std::uint32_t FBits = 0;
};

} // namespace tessiv
