#pragma once
// Four samples worked on at once. The sample loops are written on these vectors (the
// compiler's vector extension), so each step is one SIMD instruction for four frames
// on any target the compiler knows.

#include <cstdint>
#include <cstring>

namespace songdata
{

constexpr int kLanes = 4;
using Lanes = float __attribute__((vector_size(16)));
using IntLanes = std::int32_t __attribute__((vector_size(16)));
using PhaseLanes = std::uint32_t __attribute__((vector_size(16)));

// Loads and stores at any alignment.
inline Lanes loadLanes(const float *from)
{
    Lanes v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

inline void storeLanes(float *to, Lanes v)
{
    std::memcpy(to, &v, sizeof v);
}

} // namespace songdata
