#pragma once
// Whether the pixel routines use SSE2. The build says so with VG_SIMD
// (CMake's VG_SIMD option); a compile outside it takes what the target
// processor has.
#ifndef VG_SIMD
#ifdef __SSE2__
#define VG_SIMD 1
#else
#define VG_SIMD 0
#endif
#endif

#if VG_SIMD
#include <emmintrin.h>
#endif

constexpr bool kSimdBuild = VG_SIMD != 0;
