#include "effects/flying_mesh.h"

#include <cmath>

#include "engine/vector.h"

void drawFlyingMesh(Mesh& mesh, int position, int arrivalMs, float growMs, float progress,
                    const unsigned int* texture, unsigned int* frame) {
    if (position <= arrivalMs) return;
    float scale = static_cast<float>(position - arrivalMs) / growMs;
    if (scale > 1.0f) scale = 1.0f;
    mesh.setScale(scale);
    mesh.setPosition(NORVALE_VIRELLO::Vector(std::sin(26.0f * progress) + (1.0f - scale) * 5.0f,
                                             0.5f * std::cos(13.0f * progress),
                                             std::sin(51.0f * progress) + 3.0f));
    mesh.setRotation(65.0f * progress, -37.0f * progress, 29.0f * progress);
    mesh.setRenderMode(Mesh::kEnvironment);
    mesh.setTexture(texture);
    mesh.transform();
    mesh.render(frame);
}
