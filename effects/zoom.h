#pragma once
// Zoom: video feedback. Two full-size pictures take turns; every 20 ms of
// song time the current one is blurred and copied into the other slightly
// magnified and warmed toward orange, and fifteen toned photo sprites are
// stamped onto it along straight paths, so each leaves a zooming trail. A
// beat (energy above 0.75) re-deals the sprites, flips the picture between
// normal and inverted colours and may bring in a tumbling mesh that is drawn
// into the feedback picture, so it trails too.
#include <memory>
#include <vector>

#include "engine/base.h"

class Mesh;

class Zoom : public NORVALE_VIRELLO::Base {
public:
    Zoom();
    ~Zoom() override;
    void draw() override;

    bool useA = true;  // pictureA is the source of the next frame
    std::vector<unsigned int> pictureA;  // 320 x 200
    std::vector<unsigned int> pictureB;  // 320 x 200
    int spriteCount = 15;
    std::vector<std::vector<unsigned int>> sprites;  // 256 x 256 each
    std::vector<int> baseX;         // sprite centre at the last beat
    std::vector<int> baseY;
    std::vector<int> spriteWidth;   // drawn size in pixels
    std::vector<int> spriteHeight;
    std::vector<int> velocityX;     // travel per step, 8.8 fixed point
    std::vector<int> velocityY;
    std::vector<int> travelX;       // travel since the last beat, 8.8 fixed point
    std::vector<int> travelY;
    bool inverted = false;          // the frame is shown with inverted colours
    std::unique_ptr<Mesh> mesh;
    std::vector<unsigned int> meshTexture;  // 256 x 256 crop of the target picture

    // Shared by every instance for the whole run.
    static inline int lastPosition = 0;  // song position at the previous frame
    static inline int stepClock = 0;     // ms not yet consumed by feedback steps
    static inline bool showMesh = false;
    static inline float meshX = 0.0f;
    static inline float meshY = 0.0f;
    static inline float meshZ = 3.5f;

    static void makeSprite(unsigned int* image);
    static void zoomStep(const unsigned int* source, unsigned int* target);

private:
    void dealOnBeat();
    void feedbackStep(unsigned int* source, unsigned int* target);
    void drawMesh(int position, unsigned int* target);
};
