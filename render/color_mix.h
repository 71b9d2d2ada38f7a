#pragma once
// Weighted colour mixes on packed pixels.
//
// Red and blue are multiplied together through the mask 0x00FF00FF (the
// eight empty bits between them catch the product's overflow) and green
// alone through 0x0000FF00, so one multiply serves two channels. Weights
// run 0..255 and the sum is divided by 256: full weight gives 255/256 of a
// channel, which is the look the show was tuned with. Bits 24-31 are
// dropped. All arithmetic is on unsigned 32-bit values so that weights
// outside 0..255 wrap instead of overflowing.

constexpr unsigned int kRedBlueMask = 0x00FF00FFu;
constexpr unsigned int kGreenMask = 0x0000FF00u;

// Each channel of p times k / 256, the two products shifted separately.
inline unsigned int scaleColor(unsigned int p, unsigned int k) {
    return (((p & kRedBlueMask) * k) >> 8 & kRedBlueMask) +
           (((p & kGreenMask) * k) >> 8 & kGreenMask);
}

// `whenTrue` if the condition holds, else `whenFalse`, through an all-ones
// or all-zeros mask so that the compiler has no branch to emit.
inline unsigned int selectByMask(bool condition, unsigned int whenTrue, unsigned int whenFalse) {
    const unsigned int mask = 0u - static_cast<unsigned int>(condition);
    return (whenTrue & mask) | (whenFalse & ~mask);
}

// a with weight w, b with weight 255 - w, over 256.
inline unsigned int blendColor(unsigned int a, unsigned int b, int w) {
    const unsigned int weightA = static_cast<unsigned int>(w);
    const unsigned int weightB = 255u - weightA;
    const unsigned int redBlue =
        ((a & kRedBlueMask) * weightA + (b & kRedBlueMask) * weightB) >> 8 & kRedBlueMask;
    const unsigned int green =
        ((a & kGreenMask) * weightA + (b & kGreenMask) * weightB) >> 8 & kGreenMask;
    return redBlue + green;
}

// A three-colour ramp: c1 at level 0, c2 around 127/128, c3 at 254. Levels
// beyond 254 (which one overlay feeds it) wrap the weights around and give
// scattered colours; that is part of the look, so they are not clamped.
//
// The overlays call this once per pixel with a random level, so a branch on
// the half would be mispredicted about every other pixel. Both halves are
// the same mix, (from, 255 - w) + (to, w), so the half's colours and weight
// are picked through a mask and the mix is done once.
inline unsigned int blend3(unsigned int c1, unsigned int c2, unsigned int c3, int level) {
    const unsigned int twice = 2u * static_cast<unsigned int>(level);
    const bool lowerHalf = level <= 127;
    const unsigned int toWeight = twice - selectByMask(lowerHalf, 0u, 254u);
    const unsigned int from = selectByMask(lowerHalf, c1, c2);
    const unsigned int to = selectByMask(lowerHalf, c2, c3);
    return scaleColor(from, 255u - toWeight) + scaleColor(to, toWeight);
}
