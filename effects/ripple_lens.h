#pragma once
// The rippling, slowly turning lens that Rauha and Avaruus2 lay over a
// photo window: every grid point looks at its screen position, turned about
// the centre, magnified by a factor that ripples outward in rings, and the
// whole picture scrolls along the texture's rows at 0.1 texel per ms.
class DeformGrid;

struct RippleLens {
    float turnPerMs;   // rotation of the lens, radians per ms
    float phasePerMs;  // how fast the rings travel, radians per ms
    bool shadeByRipple;  // level follows the magnification; otherwise full level 255
};

// Writes every point of `grid` for the time t (ms).
void fillRippleLens(DeformGrid& grid, float t, const RippleLens& lens);
