#pragma once
// Texture coordinates only matter in their low 8 bits, so sums of them may
// wrap freely; doing it on unsigned values keeps that defined.
inline int wrapAdd(int a, int b) {
    return static_cast<int>(static_cast<unsigned int>(a) + static_cast<unsigned int>(b));
}
