#pragma once
// Credits: the closing scene. Dark grey static, a flat-shaded asteroid that
// wobbles, tumbles and shrinks away, and two credit pictures that each
// appear at full size in the centre and shrink to nothing. Everything is a
// function of the scene's progress (and of the random generator).
#include <memory>

#include "engine/base.h"

class Mesh;

class Credits : public NORVALE_VIRELLO::Base {
public:
    Credits();
    ~Credits() override;
    // Loads the mesh here rather than at construction.
    bool init(unsigned long start, unsigned long end) override;
    void draw() override;

    std::unique_ptr<Mesh> mesh;  // created by init

    // The picture's size relative to its own width at a progress p in 0..1;
    // 0 or less means it is not drawn.
    static float pictureScale(float progress);

private:
    void drawStatic(unsigned int* frame) const;
    void drawMesh(float progress, unsigned int* frame);
    void drawPicture(float progress, unsigned int* frame) const;
};
