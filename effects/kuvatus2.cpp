#include "effects/kuvatus2.h"

#include <cmath>

#include "engine/vrl.h"
#include "render/float_to_int.h"
#include "render/pixel_ops.h"

namespace {

constexpr float kPi = 3.141592f;  // the show's pi, not the full one

struct Centre {
    float x;  // point column
    float y;  // point row
};

float distance(float column, float row, Centre centre) {
    const float dy = row - centre.y;
    const float dx = column - centre.x;
    return std::sqrt(dy * dy + dx * dx);
}

int clampLevel(int level) { return level < 0 ? 0 : (level > 255 ? 255 : level); }

}  // namespace

Kuvatus2::Kuvatus2() : grid(std::make_unique<DeformGrid>()), gridTexture(kTexturePixels) {
    grabRandomWindow(gridTexture.data());
}

void Kuvatus2::draw() {
    unsigned int* frame = vrlGetFrameBuffer();
    fillKuvatus2(*grid, time);
    grid->drawShaded(gridTexture.data(), frame);
}

void fillKuvatus2(DeformGrid& grid, float t) {
    const int columns = grid.columns;
    const int rows = grid.rows;
    // The exact halves place the brightness rings; the integer halves centre
    // the zoom and the wandering centres, one point off the exact middle.
    const float exactHalfColumns = static_cast<float>(columns - 1) * 0.5f;
    const float exactHalfRows = static_cast<float>(rows - 1) * 0.5f;
    const float halfColumns = static_cast<float>((columns - 1) / 2);
    const float halfRows = static_cast<float>((rows - 1) / 2);

    const float tau = t * 0.0001f;
    for (int r = 0; r < rows; ++r) {
        const float a = static_cast<float>(r) / static_cast<float>(rows - 1) * 2.0f * kPi;
        grid.rowValues[r] =
            (std::sin(std::cos(a + 5.2f * tau) + a) + 0.9f * std::cos(a + 7.5f * tau)) * 1.6f;
    }
    for (int c = 0; c < columns; ++c) {
        const float b = static_cast<float>(c) / static_cast<float>(columns - 1) * 2.0f * kPi;
        grid.columnValues[c] = 1.3f * std::sin(b + 8.2f * tau) - 1.6f * std::cos(std::cos(6.75f * tau) + b);
    }
    const float turnSin = std::sin(6.0f * tau);
    const float turnCos = std::cos(6.0f * tau);

    const float slow = tau * 0.6f;
    const Centre centres[4] = {
        {std::sin(9.5f * slow) * exactHalfColumns + halfColumns,
         std::cos(13.0f * slow + 3.0f * std::cos(8.0f * slow)) * exactHalfRows + halfRows},
        {1.1f * std::sin(16.0f * slow) * exactHalfColumns + halfColumns,
         std::sin(9.5f * slow + 6.0f * std::sin(5.5f * slow)) * exactHalfRows + halfRows},
        {1.2f * std::cos(20.5f * slow) * exactHalfColumns + halfColumns,
         std::cos(std::sin(22.5f * slow)) * exactHalfRows + halfRows},
        {1.8f * std::sin(10.5f * slow) * exactHalfColumns + halfColumns,
         0.2f * std::cos(std::sin(1.5f * slow)) * exactHalfRows + halfRows},
    };

    for (int r = 0; r < rows; ++r) {
        const float row = static_cast<float>(r);
        for (int c = 0; c < columns; ++c) {
            const float column = static_cast<float>(c);
            const float d1 = distance(column, row, centres[0]);
            const float d2 = distance(column, row, centres[1]);
            const float d3 = distance(column, row, centres[2]);
            const float d4 = distance(column, row, centres[3]);
            const float wave = grid.columnValues[c] + grid.rowValues[r];
            // Where the distances cancel the zoom is unbounded; the texture
            // coordinates then come from truncToInt's defined answer.
            const float zoom = ((wave + 0.3f) * 0.3f + 0.7f) / (d1 - d2 + d3 - d4);
            const float fade = std::fabs(4.0f * ((wave + 0.1f) * 0.1f + 0.9f) / (d1 + d2 - d3 + d4));
            const float x = 64.0f * zoom * (column - halfColumns) / static_cast<float>(columns - 1);
            const float y = 64.0f * zoom * (row - halfRows) / static_cast<float>(rows - 1);

            GridPoint& point = grid.points[r * columns + c];
            point.texY = truncToInt(16.0f * (x * turnCos - y * turnSin));
            point.texX = truncToInt(16.0f * (x * turnSin + y * turnCos));
            const float rowOffset = row - exactHalfRows;
            const float columnOffset = column - exactHalfColumns;
            const float rho = std::sqrt(rowOffset * rowOffset + columnOffset * columnOffset);
            const float brightness = 0.35f * std::sin(0.3f * rho + 65.0f * slow) + 0.65f;
            point.level = clampLevel(truncToInt(255.0f * brightness * (1.0f - fade)));
        }
    }
}
