#pragma once
// The asteroid that flies into the Tunnel and Valo scenes: absent until its
// arrival time, then growing to full size over `growMs` while it slides in
// from five units to the side, then swaying along its path, mapped with the
// scene's own feedback picture.
#include "render/mesh.h"

void drawFlyingMesh(Mesh& mesh, int position, int arrivalMs, float growMs, float progress,
                    const unsigned int* texture, unsigned int* frame);
