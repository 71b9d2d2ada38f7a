#pragma once
// The engine's small vector and matrix classes. Single precision throughout:
// the show's geometry is defined in floats, and results must be identical on
// every run, so nothing here may be contracted into fused multiply-adds
// (the build passes -ffp-contract=off).

namespace NORVALE_VIRELLO {

// A 3 x 3 rotation matrix, m[row][col]. Vectors are rows: v' = v * M.
class Matrix {
public:
    float m[3][3];

    Matrix();  // identity
    Matrix(const Matrix& other) = default;
    Matrix& operator=(const Matrix& other) = default;

    // Replaces the matrix with a rotation by x about the X axis, then y about
    // Y, then z about Z (angles in radians, right-handed). For a row vector,
    // v * M == ((v * Rx) * Ry) * Rz. Returns a copy of the new matrix.
    Matrix makeRotation(float x, float y, float z);
};

class Vector {
public:
    float x, y, z;

    Vector();  // (0, 0, 0)
    Vector(float x, float y, float z);
    Vector(const Vector& other) = default;
    Vector& operator=(const Vector& other) = default;

    Vector operator+(const Vector& other) const;
    Vector operator*(float s) const;
    Vector operator*(const Matrix& m) const;  // row vector times matrix
    Vector& operator*=(float s);
    float dotProduct(const Vector& other) const;
    // Makes the vector unit length and returns a copy. A zero vector stays
    // zero instead of turning into NaNs.
    Vector normalize();
};

class Vector3 {
public:
    float x, y, z;

    Vector3();  // (0, 0, 0)
    Vector3(float x, float y, float z);
    Vector3(const Vector3& other) = default;
    Vector3& operator=(const Vector3& other) = default;

    Vector3& operator+=(const Vector3& other);
    Vector3 operator*(float s) const;
    Vector3 operator*(const Matrix& m) const;
    Vector3& operator*=(const Matrix& m);
    float length() const;
    Vector3 normalize();  // zero stays zero, as for Vector
};

}  // namespace NORVALE_VIRELLO
