#pragma once
// The second scene: a frame-sized window of a photo behind a group of six
// small asteroids that drift around a common centre, each spinning by
// itself while the group turns. The asteroids are environment-mapped with
// a window of the same photo, so they mirror what lies behind them. A loud
// beat (energy above 0.65) re-deals everything: photo, windows, offsets,
// spins and the group's turn. The asteroids stay hidden until 61000 ms.
#include <array>
#include <memory>
#include <vector>

#include "engine/base.h"
#include "engine/frame.h"
#include "engine/texture.h"
#include "render/mesh.h"

// One asteroid of the group: its own offset from the group centre and its
// own spin rates, both dealt on every beat.
struct KuvatusAsteroid {
    std::unique_ptr<Mesh> mesh;
    float offsetX = 0.0f;  // each offset in [-1.5, 1.5)
    float offsetY = 0.0f;
    float offsetZ = 0.0f;
    float spinA = 0.0f;  // each rate in [-50, 50)
    float spinB = 0.0f;
    float spinC = 0.0f;
};

class Kuvatus : public NORVALE_VIRELLO::Base {
public:
    static constexpr int kAsteroidCount = 6;

    Kuvatus();
    ~Kuvatus() override;

    void draw() override;

    // A new window of the current photo into meshTexture, at a random place.
    void refreshMeshTexture();
    // New offsets from the group centre and spin rates for every mesh.
    void scatterMeshes();

    int windowX = 0;  // background window's corner in the photo
    int windowY = 0;
    NORVALE_VIRELLO::Texture* photo = nullptr;  // the engine's
    std::array<KuvatusAsteroid, kAsteroidCount> asteroids;
    // The group stays unturned until the first beat deals these.
    float groupRateC = 0.0f;
    float groupRateB = 0.0f;
    float groupRateA = 0.0f;
    std::vector<unsigned int> meshTexture = std::vector<unsigned int>(kTexturePixels);  // shared by all meshes

    // Before this song position the asteroids are not drawn.
    static constexpr int kMeshesFromMs = 61000;

private:
    void redeal();
    void drawBackground(unsigned int* frame) const;
    void drawMeshes(float progress, unsigned int* frame);
};
