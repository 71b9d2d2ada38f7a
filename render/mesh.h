#pragma once
// The records of the small software 3D pipeline: a triangle mesh loaded from
// a text file, moved into view space, sorted far to near and drawn with a
// painter's algorithm into a 320 x 200 picture.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/vector.h"

struct MeshVertex {
    NORVALE_VIRELLO::Vector position;
    NORVALE_VIRELLO::Vector normal;
    int screenX = 0;
    int screenY = 0;
    int u = 0;  // texture column 0..255
    int v = 0;  // texture row 0..255
};

struct MeshFace {
    int index0 = 0;
    int index1 = 0;
    int index2 = 0;
    int blue = 0;
    int green = 0;
    int red = 0;
    NORVALE_VIRELLO::Vector normal;
    float depth = 0.0f;  // mean view-space z; the draw order's key
};

class Mesh {
public:
    enum RenderMode { kFlat = 1, kTextured = 2, kEnvironment = 3 };

    NORVALE_VIRELLO::Vector position;
    int renderMode = 0;                     // 0 draws nothing until an effect sets it
    const std::uint32_t* texture = nullptr; // 256 x 256 texels, not owned
    int vertexCount = 0;
    int faceCount = 0;
    NORVALE_VIRELLO::Matrix rotation;
    float scale = 1.0f;
    std::vector<MeshVertex> vertices;       // model space, as loaded
    std::vector<MeshVertex> viewVertices;   // after the last transform
    std::vector<MeshFace> faces;            // as loaded; depth rewritten by transform
    std::vector<MeshFace> drawList;         // faces far to near, rewritten by transform

    // Reads a text mesh file ("v", "vn", "vt", "f" lines). A file that does
    // not open leaves the mesh empty. Call once, on a fresh mesh.
    void load(std::string fileName);
    // Rescales the model so that its farthest vertex lies at distance 1.
    void fitUnitSphere();

    void setPosition(const NORVALE_VIRELLO::Vector& newPosition);
    void setRotation(float a, float b, float c);  // radians about X, then Y, then Z
    void setScale(float newScale);
    void setRenderMode(int mode);
    void setTexture(const std::uint32_t* texels);

    // Moves, projects and depth-sorts; run after changing any of the above.
    void transform();
    // Draws the last transform's draw list into a 320 x 200 picture.
    void render(std::uint32_t* frameBuffer);

private:
    void renderFlat(std::uint32_t* frameBuffer);
    void renderTextured(const std::uint32_t* texels, std::uint32_t* frameBuffer);
    bool faceInFrontOfViewer(const MeshFace& face) const;

    struct DepthOrder {
        float key;
        int face;
    };
    // Reused by every transform so that drawing a frame allocates nothing.
    std::vector<DepthOrder> sortOrder;
};
