#include "effects/kuvatus.h"

#include <algorithm>

#include "effects/loudness.h"
#include "effects/progress.h"
#include "engine/random.h"
#include "engine/vrl.h"
#include "render/pixel_ops.h"

using NORVALE_VIRELLO::Matrix;
using NORVALE_VIRELLO::Vector;

namespace {

constexpr float kBeatEnergy = 0.65f;
constexpr const char* kMeshFiles[Kuvatus::kAsteroidCount] = {"asteroid1.obj", "asteroid2.obj", "asteroid3.obj",
                                                "asteroid1.obj", "asteroid2.obj", "asteroid3.obj"};
// The background window's corner stays where a 640 x 480 photo covers it.
constexpr int kWindowColumns = kPhotoWidth - kFrameWidth;
constexpr int kWindowRows = kPhotoHeight - kFrameHeight;

// A random value in [-span / 2, span / 2) from one draw.
float randomCentred(float span) { return (randomUnit() - 0.5f) * span; }

}  // namespace

Kuvatus::Kuvatus() {
    photo = vrlGetTexture(kPhotoTable[0]);
    refreshMeshTexture();
    for (int i = 0; i < kAsteroidCount; ++i) {
        std::unique_ptr<Mesh>& mesh = asteroids[i].mesh;
        mesh = std::make_unique<Mesh>();
        mesh->load(kMeshFiles[i]);
        mesh->setRenderMode(Mesh::kEnvironment);
        mesh->setTexture(meshTexture.data());
    }
    scatterMeshes();
}

Kuvatus::~Kuvatus() = default;

void Kuvatus::refreshMeshTexture() {
    const int column = nextRandom() % kPhotoWidth;
    const int row = nextRandom() % kPhotoHeight;
    // The photo's own size keeps the copy inside a picture smaller than the
    // show's photos; for those it reads exactly the same pixels.
    copyPhotoWindow(column, row, photo->getImgData(), meshTexture.data(),
                    static_cast<int>(photo->getWidth()), static_cast<int>(photo->getHeight()));
}

void Kuvatus::scatterMeshes() {
    for (KuvatusAsteroid& asteroid : asteroids) {
        asteroid.offsetX = randomCentred(3.0f);
        asteroid.offsetY = randomCentred(3.0f);
        asteroid.offsetZ = randomCentred(3.0f);
        asteroid.spinA = randomCentred(100.0f);
        asteroid.spinB = randomCentred(100.0f);
        asteroid.spinC = randomCentred(100.0f);
        asteroid.mesh->setPosition(Vector(asteroid.offsetX, asteroid.offsetY, asteroid.offsetZ));
    }
}

void Kuvatus::redeal() {
    windowX = nextRandom() % kWindowColumns;
    windowY = nextRandom() % kWindowRows;
    photo = randomPhoto();
    refreshMeshTexture();
    scatterMeshes();
    groupRateA = randomCentred(50.0f);
    groupRateB = randomCentred(50.0f);
    groupRateC = randomCentred(50.0f);
}

void Kuvatus::draw() {
    unsigned int* frame = vrlGetFrameBuffer();
    const float progress = intervalProgress(*this);
    if (spectrumEnergy() > kBeatEnergy) redeal();
    drawBackground(frame);
    drawMeshes(progress, frame);
}

void Kuvatus::drawBackground(unsigned int* frame) const {
    // Rows are read with the photo's own width and wrap around its edges,
    // so a picture smaller than 640 x 480 is repeated rather than read past
    // its end. A 640 x 480 photo never wraps: the window stays inside it.
    const int width = static_cast<int>(photo->getWidth());
    const int height = static_cast<int>(photo->getHeight());
    const unsigned int* pixels = photo->getImgData();
    if (width <= 0 || height <= 0) {
        std::fill(frame, frame + kFramePixels, 0u);
        return;
    }
    const bool rowsWrap = windowX + kFrameWidth > width;
    for (int y = 0; y < kFrameHeight; ++y) {
        const unsigned int* row = pixels + static_cast<size_t>((windowY + y) % height) * width;
        unsigned int* out = frame + y * kFrameStride;
        if (!rowsWrap) {
            std::copy(row + windowX, row + windowX + kFrameWidth, out);
            continue;
        }
        for (int x = 0; x < kFrameWidth; ++x) out[x] = row[(windowX + x) % width];
    }
}

void Kuvatus::drawMeshes(float p, unsigned int* frame) {
    Matrix groupTurn;
    groupTurn.makeRotation(p * groupRateA, p * groupRateB, p * groupRateC);
    std::vector<Mesh*> sorted;
    sorted.reserve(asteroids.size());
    for (KuvatusAsteroid& asteroid : asteroids) {
        Mesh& mesh = *asteroid.mesh;
        const Vector offset(asteroid.offsetX, asteroid.offsetY, asteroid.offsetZ);
        mesh.setPosition(offset * groupTurn + Vector(0.0f, 0.0f, 3.0f));
        mesh.setRotation(p * asteroid.spinA, p * asteroid.spinB, -p * asteroid.spinC);
        sorted.push_back(&mesh);
    }
    // Painter's order: the farthest mesh first.
    std::sort(sorted.begin(), sorted.end(),
              [](const Mesh* a, const Mesh* b) { return a->position.z > b->position.z; });
    if (vrlGetModulePosition() <= kMeshesFromMs) return;
    for (Mesh* mesh : sorted) {
        mesh->transform();
        mesh->render(frame);
    }
}
