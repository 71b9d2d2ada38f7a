#include "engine/vector.h"

#include <cmath>

namespace NORVALE_VIRELLO {

namespace {

struct Row3 { float x, y, z; };

Row3 timesMatrix(float x, float y, float z, const Matrix& m) {
    return {x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0],
            x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1],
            x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2]};
}

void multiply(const float a[3][3], const float b[3][3], float out[3][3]) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
}

}  // namespace

Matrix::Matrix() : m{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}} {}

Matrix Matrix::makeRotation(float x, float y, float z) {
    const float cx = std::cos(x), sx = std::sin(x);
    const float cy = std::cos(y), sy = std::sin(y);
    const float cz = std::cos(z), sz = std::sin(z);
    // Row-vector convention: v * R rotates v.
    const float rx[3][3] = {{1, 0, 0}, {0, cx, sx}, {0, -sx, cx}};
    const float ry[3][3] = {{cy, 0, -sy}, {0, 1, 0}, {sy, 0, cy}};
    const float rz[3][3] = {{cz, sz, 0}, {-sz, cz, 0}, {0, 0, 1}};
    float rxy[3][3];
    multiply(rx, ry, rxy);
    multiply(rxy, rz, m);
    return *this;
}

Vector::Vector() : x(0), y(0), z(0) {}
Vector::Vector(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

Vector Vector::operator+(const Vector& o) const { return {x + o.x, y + o.y, z + o.z}; }
Vector Vector::operator*(float s) const { return {x * s, y * s, z * s}; }
Vector Vector::operator*(const Matrix& m) const {
    const Row3 r = timesMatrix(x, y, z, m);
    return {r.x, r.y, r.z};
}
Vector& Vector::operator*=(float s) {
    x *= s; y *= s; z *= s;
    return *this;
}
float Vector::dotProduct(const Vector& o) const { return x * o.x + y * o.y + z * o.z; }
Vector Vector::normalize() {
    const float len = std::sqrt(x * x + y * y + z * z);
    if (len > 0.0f) { x /= len; y /= len; z /= len; }
    return *this;
}

Vector3::Vector3() : x(0), y(0), z(0) {}
Vector3::Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

Vector3& Vector3::operator+=(const Vector3& o) {
    x += o.x; y += o.y; z += o.z;
    return *this;
}
Vector3 Vector3::operator*(float s) const { return {x * s, y * s, z * s}; }
Vector3 Vector3::operator*(const Matrix& m) const {
    const Row3 r = timesMatrix(x, y, z, m);
    return {r.x, r.y, r.z};
}
Vector3& Vector3::operator*=(const Matrix& m) {
    *this = *this * m;
    return *this;
}
float Vector3::length() const { return std::sqrt(x * x + y * y + z * z); }
Vector3 Vector3::normalize() {
    const float len = length();
    if (len > 0.0f) { x /= len; y /= len; z /= len; }
    return *this;
}

}  // namespace NORVALE_VIRELLO
