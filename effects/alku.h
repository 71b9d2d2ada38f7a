#pragma once
// The opening scene: over a black frame one flat-shaded asteroid grows out
// of a single white point, tumbles and sways, while four photographs fade
// in and out one after another, added onto the picture.
#include <array>
#include <memory>
#include <vector>

#include "engine/base.h"
#include "render/mesh.h"

class Alku : public NORVALE_VIRELLO::Base {
public:
    Alku();

    void draw() override;

    struct Picture {
        const char* name;
        int start;  // ms of song position; not drawn at exactly start or end
        int end;
        int x;      // top-left corner in the frame
        int y;
        float strength;  // above 1 the picture holds full strength longer
    };
    static constexpr std::array<Picture, 4> kPictures = {{
        {"alku1.jpg", 8000, 14000, 10, 20, 1.0f},
        {"alku2.jpg", 13000, 25000, 40, 50, 2.0f},
        {"alku3.jpg", 24000, 30000, 20, 130, 1.0f},
        {"alku4.jpg", 29000, 49000, 10, 70, 2.0f},
    }};

    std::unique_ptr<Mesh> mesh;
    // A photo window refreshed on loud frames. Nothing in the scene shows
    // it, but the refreshes take random numbers that later effects see.
    std::vector<unsigned int> gridTexture;

private:
    void drawAsteroid(float progress, unsigned int* frame);
    void drawPictures(unsigned int* frame) const;
};
