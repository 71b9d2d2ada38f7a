#pragma once
// Zoom: video feedback. Two full-size pictures take turns; every 20 ms of
// song time the current one is blurred and copied into the other slightly
// magnified and warmed toward orange, and fifteen toned photo sprites are
// stamped onto it along straight paths, so each leaves a zooming trail. A
// beat (energy above 0.75) re-deals the sprites, flips the picture between
// normal and inverted colours and may bring in a tumbling mesh that is drawn
// into the feedback picture, so it trails too.
#include <array>
#include <memory>
#include <vector>

#include "engine/base.h"
#include "engine/frame.h"
#include "engine/texture.h"

class Mesh;

// One toned photo window that flies from where the last beat put it.
struct ZoomSprite {
    // The toned window as drawn: a beat keeps only the texels a draw at its
    // width x height reads, so the image is imageWidth x imageHeight.
    std::vector<unsigned int> image = std::vector<unsigned int>(kTexturePixels);
    int imageWidth = kTextureSide;
    int imageHeight = kTextureSide;
    int baseX = 0;  // centre at the last beat
    int baseY = 0;
    int width = kTextureSide;  // drawn size in pixels
    int height = kTextureSide;
    int velocityX = 0;  // travel per step, 24.8 fixed point
    int velocityY = 0;
    int travelX = 0;  // travel since the last beat, 24.8 fixed point
    int travelY = 0;
};

class Zoom : public NORVALE_VIRELLO::Base {
public:
    static constexpr int kSpriteCount = 15;

    Zoom();
    ~Zoom() override;
    void draw() override;

    bool useA = true;  // pictureA is the source of the next frame
    std::vector<unsigned int> pictureA = std::vector<unsigned int>(kFramePixels, 0u);
    std::vector<unsigned int> pictureB = std::vector<unsigned int>(kFramePixels, 0u);
    std::array<ZoomSprite, kSpriteCount> sprites;
    bool inverted = false;  // the frame is shown with inverted colours
    std::unique_ptr<Mesh> mesh;
    // A crop of the target picture, rewritten every frame before the mesh
    // reads it; cleared so that it has a known start.
    std::vector<unsigned int> meshTexture = std::vector<unsigned int>(kTexturePixels, 0u);

    // Shared by every instance for the whole run.
    static inline int lastPosition = 0;  // song position at the previous frame
    static inline int stepClock = 0;     // ms not yet consumed by feedback steps
    static inline bool showMesh = false;
    static inline float meshX = 0.0f;
    static inline float meshY = 0.0f;
    static inline float meshZ = 3.5f;

    // A sprite's photo window and tone, drawn from the generator in the show's
    // order before the beat draws the sprite's size.
    struct SpriteLook {
        const NORVALE_VIRELLO::Texture* photo;
        int x;
        int y;
        int level;  // 0 black, 127 the photo, 254 white
    };
    static SpriteLook drawSpriteLook();
    // The toned window at the sprite's drawn size: texel for texel what a
    // draw of the whole 256 x 256 window at that size would show.
    static void paintSprite(const SpriteLook& look, ZoomSprite& sprite);
    static void zoomStep(const unsigned int* source, unsigned int* target);

private:
    void dealOnBeat();
    void feedbackStep(unsigned int* source, unsigned int* target);
    void drawMesh(int position, unsigned int* target);
};
