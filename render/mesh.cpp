#include "render/mesh.h"

#include <cmath>

using NORVALE_VIRELLO::Vector;

void Mesh::fitUnitSphere() {
    float largestSquare = 0.0f;
    for (const MeshVertex& vertex : vertices) {
        const Vector& p = vertex.position;
        const float square = p.x * p.x + p.y * p.y + p.z * p.z;
        if (square > largestSquare) largestSquare = square;
    }
    if (!(largestSquare > 0.0f)) return;  // empty, or everything at the origin
    const float factor = 1.0f / std::sqrt(largestSquare);
    for (MeshVertex& vertex : vertices) vertex.position *= factor;
}

void Mesh::setPosition(const Vector& newPosition) { position = newPosition; }

void Mesh::setRotation(float a, float b, float c) { rotation.makeRotation(a, b, c); }

void Mesh::setScale(float newScale) { scale = newScale; }

void Mesh::setRenderMode(int mode) { renderMode = mode; }

void Mesh::setTexture(const std::uint32_t* texels) { texture = texels; }
