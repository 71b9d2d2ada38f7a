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

// WebAssembly's SIMD, which the web build's SSE2 compiles to, can also
// shuffle bytes (i8x16.swizzle); SSE2 itself cannot. Stretched sprite rows
// use it there (render/stretch_plan.h).
#if VG_SIMD && defined(__wasm_simd128__)
#define VG_BYTE_SHUFFLE 1
#else
#define VG_BYTE_SHUFFLE 0
#endif
