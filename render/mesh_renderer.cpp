// Painter's-algorithm mesh drawing: view transform, projection, far-to-near
// sort, then integer scan conversion of each triangle.
//
// Edges step in 16.16 fixed point and textured spans in 8.8. The fixed-point
// values are held in 64 bits: for every triangle whose 32-bit walk does not
// overflow they are exactly the 32-bit values, and a triangle with corners
// far off screen (a vertex very close to the viewer) still walks without
// overflow. Loops are clamped to the screen; skipped rows and columns are
// accounted for by advancing the accumulators by the skipped step count,
// which equals stepping through them one by one.
//
// Faces with a vertex at or behind the viewer (view z <= 0, or not a number)
// are not drawn at all: their projection is meaningless.
#include "render/mesh_renderer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <utility>

#include "engine/frame.h"
#include "render/fixed_point.h"
#include "render/float_to_int.h"

using NORVALE_VIRELLO::Vector;

namespace {

// textureSpan's own clip window, narrower than the frame.
constexpr int kTextureTopRow = 5;
constexpr int kTextureBottomRow = kFrameHeight - 5;
constexpr int kTextureLeftColumn = 1;
constexpr int kTextureRightColumn = kFrameWidth - 2;
constexpr int kMarkerSide = 5;
constexpr std::uint32_t kWhite = 0x00FFFFFFu;
constexpr float kDepthFactor = 0.3333f;  // deliberately not 1/3: sort keys must match

using Fixed = std::int64_t;

int saturateToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

struct Corner {
    int x, y, u, v;
};

// Where an edge crosses the current row: x, and for textured triangles u
// and v, all in 16.16.
struct EdgePoint {
    Fixed x = 0, u = 0, v = 0;
};

struct SpanEnd {
    int x, u, v;
};

// Quotient truncated toward zero. The walk's divisors are always positive;
// when both operands fit in 32 bits the much cheaper 32-bit division gives
// the same quotient.
std::int64_t divide(std::int64_t numerator, std::int64_t denominator) {
    if (numerator >= INT_MIN && numerator <= INT_MAX && denominator > 0 && denominator <= INT_MAX)
        return static_cast<std::int32_t>(numerator) / static_cast<std::int32_t>(denominator);
    return numerator / denominator;
}

template <bool kTextured>
EdgePoint edgeStart(const Corner& corner) {
    EdgePoint point;
    point.x = Fixed{corner.x} * 65536;
    if constexpr (kTextured) {
        point.u = Fixed{corner.u} * 65536;
        point.v = Fixed{corner.v} * 65536;
    }
    return point;
}

// Per-row change along the edge from -> to.
template <bool kTextured>
EdgePoint edgeSlope(const Corner& from, const Corner& to) {
    const std::int64_t rows = std::int64_t{to.y} - from.y;
    EdgePoint slope;
    slope.x = divide((std::int64_t{to.x} - from.x) * 65536, rows);
    if constexpr (kTextured) {
        slope.u = divide((std::int64_t{to.u} - from.u) * 65536, rows);
        slope.v = divide((std::int64_t{to.v} - from.v) * 65536, rows);
    }
    return slope;
}

template <bool kTextured>
EdgePoint advance(const EdgePoint& point, const EdgePoint& slope, std::int64_t steps) {
    EdgePoint moved;
    moved.x = point.x + slope.x * steps;
    if constexpr (kTextured) {
        moved.u = point.u + slope.u * steps;
        moved.v = point.v + slope.v * steps;
    }
    return moved;
}

SpanEnd spanEnd(const EdgePoint& point) {
    return {saturateToInt(wholeOfFraction16(point.x)), saturateToInt(wholeOfFraction16(point.u)),
            saturateToInt(wholeOfFraction16(point.v))};
}

SpanEnd spanEnd(const Corner& corner) { return {corner.x, corner.u, corner.v}; }

// Rows firstRow .. endRow - 1, the short edge giving the span's first end and
// the long edge its second. Both edges come back advanced past endRow - 1.
template <bool kTextured, typename DrawSpan>
void walkRows(int firstRow, int endRow, EdgePoint& shortEdge, const EdgePoint& shortSlope,
              EdgePoint& longEdge, const EdgePoint& longSlope, DrawSpan& drawSpan) {
    const std::int64_t first = std::max<std::int64_t>(firstRow, 0);
    const std::int64_t end = std::min<std::int64_t>(endRow, kFrameHeight);
    if (first < end) {
        EdgePoint s = advance<kTextured>(shortEdge, shortSlope, first - firstRow);
        EdgePoint l = advance<kTextured>(longEdge, longSlope, first - firstRow);
        for (std::int64_t y = first; y < end; ++y) {
            drawSpan(static_cast<int>(y), spanEnd(s), spanEnd(l));
            s = advance<kTextured>(s, shortSlope, 1);
            l = advance<kTextured>(l, longSlope, 1);
        }
    }
    const std::int64_t rows = std::int64_t{endRow} - firstRow;
    shortEdge = advance<kTextured>(shortEdge, shortSlope, rows);
    longEdge = advance<kTextured>(longEdge, longSlope, rows);
}

// The scan conversion shared by solid and textured triangles, including its
// quirks: the bottom row is drawn only by a flat bottom, a flat top draws its
// row twice, and the short edge is not restarted at the middle corner.
template <bool kTextured, typename DrawSpan>
void walkTriangle(Corner a, Corner b, Corner c, DrawSpan drawSpan) {
    if (a.y > c.y) std::swap(a, c);
    if (b.y > c.y) std::swap(b, c);
    if (a.y > b.y) std::swap(a, b);
    if (a.y == c.y) return;

    const EdgePoint longSlope = edgeSlope<kTextured>(a, c);
    EdgePoint shortEdge;
    EdgePoint longEdge;
    if (b.y == a.y) {
        drawSpan(a.y, spanEnd(a), spanEnd(b));
        shortEdge = edgeStart<kTextured>(b);
        longEdge = edgeStart<kTextured>(a);
    } else {
        shortEdge = longEdge = edgeStart<kTextured>(a);
        walkRows<kTextured>(a.y, b.y, shortEdge, edgeSlope<kTextured>(a, b), longEdge, longSlope,
                            drawSpan);
    }

    if (c.y == b.y) {
        drawSpan(b.y, spanEnd(b), spanEnd(c));
        return;
    }
    walkRows<kTextured>(b.y, c.y, shortEdge, edgeSlope<kTextured>(b, c), longEdge, longSlope,
                        drawSpan);
}

Corner screenCorner(const MeshVertex& vertex) {
    return {vertex.screenX, vertex.screenY, 0, 0};
}

Corner texturedCorner(const MeshVertex& vertex) {
    return {vertex.screenX, vertex.screenY, vertex.u, vertex.v};
}

int projectAxis(float coordinate, float depth, int centre) {
    return truncToInt(static_cast<double>(coordinate) * kProjectionScale / depth + centre);
}

// Environment mapping: the view normal's x and y pick the texel.
int environmentCoordinate(float normalComponent) {
    return truncToInt(static_cast<double>(normalComponent) * 127.0 + 128.0) & 255;
}

// Not-a-number depths sort as nearest so that the order stays a strict weak
// ordering; such faces are not drawn anyway.
float sortKey(float depth) {
    return std::isnan(depth) ? -std::numeric_limits<float>::infinity() : depth;
}

std::uint32_t shadedColour(const MeshFace& face, float light) {
    const auto scaled = [light](int channel) {
        return static_cast<std::uint32_t>(truncToInt(static_cast<float>(channel) * light));
    };
    return (scaled(face.blue) << 16) + (scaled(face.green) << 8) + scaled(face.red);
}

// The white 5 x 5 block that marks a face's first corner.
void drawMarker(const MeshVertex& corner, std::uint32_t* frameBuffer) {
    const int x = corner.screenX, y = corner.screenY;
    if (x < 1 || x > kFrameWidth - kMarkerSide - 1 || y < 1 || y > kFrameHeight - kMarkerSide - 1) return;
    for (int row = y; row < y + kMarkerSide; ++row)
        std::fill_n(frameBuffer + row * kFrameStride + x, kMarkerSide, kWhite);
}

}  // namespace

void fillSpan(int x1, int x2, int y, std::uint32_t colour, std::uint32_t* frameBuffer) {
    if (y < 0 || y >= kFrameHeight || x1 == x2) return;
    int lo = std::min(x1, x2);
    int hi = std::max(x1, x2);
    if (hi < 0 || lo >= kFrameWidth) return;
    lo = std::max(lo, 0);
    hi = std::min(hi, kFrameWidth - 1);  // the right end is exclusive: the last column stays
    std::uint32_t* row = frameBuffer + y * kFrameStride;
    if (lo < hi) std::fill(row + lo, row + hi, colour);
}

void fillTriangle(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c,
                  std::uint32_t colour, std::uint32_t* frameBuffer) {
    walkTriangle<false>(screenCorner(a), screenCorner(b), screenCorner(c),
                        [colour, frameBuffer](int y, const SpanEnd& first, const SpanEnd& second) {
                            fillSpan(first.x, second.x, y, colour, frameBuffer);
                        });
}

void textureSpan(int x1, int x2, int y, int u1, int u2, int v1, int v2,
                 const std::uint32_t* texels, std::uint32_t* frameBuffer) {
    if (y < kTextureTopRow || y > kTextureBottomRow || x1 == x2) return;
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(u1, u2);
        std::swap(v1, v2);
    }
    // 8.8 fixed point; 64 bits so that any texture coordinates step without overflow.
    const std::int64_t width = std::int64_t{x2} - x1;
    const Fixed du = divide((std::int64_t{u2} - u1) * 256, width);
    const Fixed dv = divide((std::int64_t{v2} - v1) * 256, width);
    const int first = std::max(x1, kTextureLeftColumn);
    const int last = std::min(x2, kTextureRightColumn);
    if (first > last) return;
    Fixed u = Fixed{u1} * 256 + du * (first - std::int64_t{x1});
    Fixed v = Fixed{v1} * 256 + dv * (first - std::int64_t{x1});
    std::uint32_t* row = frameBuffer + y * kFrameStride;
    for (int x = first; x <= last; ++x) {
        // Both coordinates wrap, so texture coordinates outside 0..1 stay inside the texture.
        row[x] = texels[(wholeOfFraction8(v) & 255) * kTextureSide + (wholeOfFraction8(u) & 255)];
        u += du;
        v += dv;
    }
}

void textureTriangle(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c,
                     const std::uint32_t* texels, std::uint32_t* frameBuffer) {
    walkTriangle<true>(texturedCorner(a), texturedCorner(b), texturedCorner(c),
                       [texels, frameBuffer](int y, const SpanEnd& first, const SpanEnd& second) {
                           textureSpan(first.x, second.x, y, first.u, second.u, first.v,
                                       second.v, texels, frameBuffer);
                       });
}

void Mesh::transform() {
    const std::size_t count = std::min(vertices.size(), viewVertices.size());
    for (std::size_t k = 0; k < count; ++k) {
        MeshVertex& view = viewVertices[k];
        view.position = position + ((vertices[k].position * rotation) * scale);
        view.normal = vertices[k].normal * rotation;
    }
    for (std::size_t k = 0; k < count; ++k) {
        MeshVertex& view = viewVertices[k];
        view.screenX = projectAxis(view.position.x, view.position.z, kFrameCentreX);
        view.screenY = projectAxis(view.position.y, view.position.z, kFrameCentreY);
        if (renderMode == kEnvironment) {
            view.u = environmentCoordinate(view.normal.x);
            view.v = environmentCoordinate(view.normal.y);
        } else {
            view.u = vertices[k].u;
            view.v = vertices[k].v;
        }
    }

    for (MeshFace& face : faces) {
        const float z0 = viewVertices[static_cast<std::size_t>(face.index0)].position.z;
        const float z1 = viewVertices[static_cast<std::size_t>(face.index1)].position.z;
        const float z2 = viewVertices[static_cast<std::size_t>(face.index2)].position.z;
        face.depth = (z1 + z0 + z2) * kDepthFactor;
    }

    // Sorting (key, face) pairs by key alone makes exactly the comparisons and
    // moves of sorting references to the faces, so the order of equal depths
    // is the same, without chasing a pointer per comparison.
    sortOrder.resize(faces.size());
    for (std::size_t j = 0; j < faces.size(); ++j)
        sortOrder[j] = {sortKey(faces[j].depth), static_cast<int>(j)};
    std::sort(sortOrder.begin(), sortOrder.end(),
              [](const DepthOrder& left, const DepthOrder& right) { return left.key > right.key; });
    drawList.resize(faces.size());
    for (std::size_t i = 0; i < sortOrder.size(); ++i)
        drawList[i] = faces[static_cast<std::size_t>(sortOrder[i].face)];
}

void Mesh::render(std::uint32_t* frameBuffer) {
    if (renderMode == kFlat) renderFlat(frameBuffer);
    if (renderMode == kTextured || renderMode == kEnvironment) renderTextured(texture, frameBuffer);
}

bool Mesh::faceInFrontOfViewer(const MeshFace& face) const {
    for (int index : {face.index0, face.index1, face.index2}) {
        if (!(viewVertices[static_cast<std::size_t>(index)].position.z > 0.0f)) return false;
    }
    return true;
}

void Mesh::renderFlat(std::uint32_t* frameBuffer) {
    Vector light = Vector(1.0f, 0.0f, 0.0f).normalize();
    for (const MeshFace& face : drawList) {
        if (!faceInFrontOfViewer(face)) continue;
        const MeshVertex& a = viewVertices[static_cast<std::size_t>(face.index0)];
        const MeshVertex& b = viewVertices[static_cast<std::size_t>(face.index1)];
        const MeshVertex& c = viewVertices[static_cast<std::size_t>(face.index2)];
        drawMarker(a, frameBuffer);
        const Vector normal = ((a.normal + b.normal) + c.normal).normalize();
        float lit = light.dotProduct(normal);
        if (!(lit < 1.0f)) {
            lit = 1.0f;
        } else if (!(lit > 0.0f)) {
            lit = 0.0f;
        }
        fillTriangle(a, b, c, shadedColour(face, lit), frameBuffer);
    }
}

void Mesh::renderTextured(const std::uint32_t* texels, std::uint32_t* frameBuffer) {
    if (texels == nullptr) return;  // no texture set: nothing sensible to draw
    for (const MeshFace& face : drawList) {
        if (!faceInFrontOfViewer(face)) continue;
        textureTriangle(viewVertices[static_cast<std::size_t>(face.index0)],
                        viewVertices[static_cast<std::size_t>(face.index1)],
                        viewVertices[static_cast<std::size_t>(face.index2)], texels,
                        frameBuffer);
    }
}
