#include <gtest/gtest.h>

#include <cmath>

#include "engine/random.h"
#include "engine/vector.h"

using NORVALE_VIRELLO::Matrix;
using NORVALE_VIRELLO::Vector;
using NORVALE_VIRELLO::Vector3;

TEST(Random, ReplaysTheClassicSequenceFromStateOne) {
    resetRandom();
    EXPECT_EQ(nextRandom(), 41);
    EXPECT_EQ(nextRandom(), 18467);
    EXPECT_EQ(nextRandom(), 6334);
    EXPECT_EQ(nextRandom(), 26500);
    resetRandom();
    EXPECT_EQ(nextRandom(), 41);
}

TEST(Rotation, TurnsRowVectorsRightHandedInXThenYThenZOrder) {
    Matrix m;
    m.makeRotation(0, 0, static_cast<float>(M_PI / 2));
    Vector v = Vector(1, 0, 0) * m;
    EXPECT_NEAR(v.x, 0, 1e-6);
    EXPECT_NEAR(v.y, 1, 1e-6);

    // X first, then Y: (0, 1, 0) -> (0, 0, 1) about X, then about Y -> (1, 0, 0).
    m.makeRotation(static_cast<float>(M_PI / 2), static_cast<float>(M_PI / 2), 0);
    Vector3 w = Vector3(0, 1, 0) * m;
    EXPECT_NEAR(w.x, 1, 1e-6);
    EXPECT_NEAR(w.y, 0, 1e-6);
    EXPECT_NEAR(w.z, 0, 1e-6);

    // makeRotation replaces, it does not accumulate.
    m.makeRotation(0, 0, 0);
    w = Vector3(0.25f, 0.5f, 2.0f);
    w *= m;
    EXPECT_FLOAT_EQ(w.x, 0.25f);
    EXPECT_FLOAT_EQ(w.z, 2.0f);
}

TEST(Vectors, NormalizeGivesUnitLengthAndLeavesZeroAlone) {
    Vector v(3, 0, 4);
    Vector copy = v.normalize();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(copy.z, 0.8f);
    EXPECT_FLOAT_EQ(v.dotProduct(v), 1.0f);
    Vector3 zero;
    zero.normalize();
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_FALSE(std::isnan(zero.length()));
}
