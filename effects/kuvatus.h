#pragma once
// The second scene: a 320 x 200 window of a photo behind a group of six
// small asteroids that drift around a common centre, each spinning by
// itself while the group turns. The asteroids are environment-mapped with
// a window of the same photo, so they mirror what lies behind them. A loud
// beat (energy above 0.65) re-deals everything: photo, windows, offsets,
// spins and the group's turn. The asteroids stay hidden until 61000 ms.
#include <memory>
#include <vector>

#include "engine/base.h"
#include "engine/texture.h"
#include "render/mesh.h"

class Kuvatus : public NORVALE_VIRELLO::Base {
public:
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
    std::vector<std::unique_ptr<Mesh>> meshes;
    // Entry i of each belongs to mesh i.
    std::vector<float> offsetX, offsetY, offsetZ;  // each in [-1.5, 1.5)
    std::vector<float> spinA, spinB, spinC;        // each in [-50, 50)
    // The group stays unturned until the first beat deals these.
    float groupRateC = 0.0f;
    float groupRateB = 0.0f;
    float groupRateA = 0.0f;
    std::vector<unsigned int> meshTexture;  // 256 x 256, shared by all meshes

    // Before this song position the asteroids are not drawn.
    static constexpr int kMeshesFromMs = 61000;

private:
    void redeal();
    void drawBackground(unsigned int* frame) const;
    void drawMeshes(float progress, unsigned int* frame);
};
