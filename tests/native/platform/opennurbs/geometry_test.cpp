#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "opennurbs.h"

namespace {

struct NormalCase {
  const char* name;
  ON_3dPoint a, b, c;
  bool ok;
  ON_3dVector expected;
};

TEST(ON_3dVector, PerpendicularToGivesTheRightHandUnitNormal) {
  const double inf = std::numeric_limits<double>::infinity();
  const NormalCase cases[] = {
      {"CounterClockwiseInXY", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, true, {0, 0, 1}},
      {"ClockwiseInXY", {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, true, {0, 0, -1}},
      {"InYZ", {0, 0, 0}, {0, 2, 0}, {0, 0, 3}, true, {1, 0, 0}},
      {"Tilted", {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, true, {1 / std::sqrt(3.0), 1 / std::sqrt(3.0), 1 / std::sqrt(3.0)}},
      {"FarFromOrigin", {1e6, 1e6, 5}, {1e6 + 1, 1e6, 5}, {1e6, 1e6 + 1, 5}, true, {0, 0, 1}},
      {"LongSliver", {0, 0, 0}, {1000, 0, 0}, {500, 1e-3, 0}, true, {0, 0, 1}},
      {"TwoEqualCorners", {1, 2, 3}, {1, 2, 3}, {4, 5, 6}, false, {0, 0, 0}},
      {"AllEqual", {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, false, {0, 0, 0}},
      {"Collinear", {0, 0, 0}, {1, 1, 1}, {2, 2, 2}, false, {0, 0, 0}},
      {"Infinite", {0, 0, 0}, {inf, 0, 0}, {0, 1, 0}, false, {0, 0, 0}},
  };
  for (const NormalCase& c : cases) {
    ON_3dVector n(9, 9, 9);
    EXPECT_EQ(n.PerpendicularTo(c.a, c.b, c.c), c.ok) << c.name;
    EXPECT_NEAR(n.x, c.expected.x, 1e-12) << c.name;
    EXPECT_NEAR(n.y, c.expected.y, 1e-12) << c.name;
    EXPECT_NEAR(n.z, c.expected.z, 1e-12) << c.name;
    if (c.ok) {
      EXPECT_NEAR(n.Length(), 1.0, 1e-15) << c.name;
    }
    // The corner order decides the side, whichever corner starts.
    ON_3dVector r;
    r.PerpendicularTo(c.b, c.c, c.a);
    EXPECT_NEAR(ON_DotProduct(r, n), c.ok ? 1.0 : 0.0, 1e-12) << c.name;
  }
}

// Coordinates whose squares overflow or vanish still have their length.
TEST(ON_3dVector, LengthsBeyondTheRangeOfTheSquares) {
  EXPECT_DOUBLE_EQ(ON_3dVector(3e200, 4e200, 0).Length(), 5e200);
  EXPECT_DOUBLE_EQ(ON_3dVector(0, 3e-200, 4e-200).Length(), 5e-200);
  EXPECT_EQ(ON_3dPoint(0, 0, 0).DistanceTo(ON_3dPoint(1e300, 0, 0)), 1e300);
  EXPECT_EQ(ON_3dVector(0, 0, 0).Length(), 0.0);
  EXPECT_EQ(ON_3dVector(3, 4, 0).Length(), 5.0);
  ON_3dVector huge(0, 0, 1e300);
  ASSERT_TRUE(huge.Unitize());
  EXPECT_EQ(huge, ON_3dVector(0, 0, 1));
  EXPECT_TRUE(std::isinf(ON_3dVector(std::numeric_limits<double>::infinity(), 0, 0).Length()));
  EXPECT_TRUE(std::isnan(ON_3dVector(std::numeric_limits<double>::quiet_NaN(), 0, 0).Length()));
}

TEST(ON_Xform, RotationSnapsQuarterTurnsToExactValues) {
  ON_Xform x;
  ASSERT_TRUE(x.Rotation(-ON_PI / 2, ON_xaxis, ON_origin));
  const double expected[4][4] = {{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {0, 0, 0, 1}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(x.m_xform[i][j], expected[i][j]) << i << j;
  ON_Xform half;
  ASSERT_TRUE(half.Rotation(ON_PI, ON_zaxis, ON_origin));
  EXPECT_EQ(half * ON_3dPoint(3, 4, 5), ON_3dPoint(-3, -4, 5));
  // Not snapped: an ordinary angle keeps its sine and cosine.
  ON_Xform small;
  ASSERT_TRUE(small.Rotation(0.25, ON_zaxis, ON_origin));
  EXPECT_EQ(small.m_xform[1][0], std::sin(0.25));
}

TEST(ON_Xform, RotationAboutACentreAndTranslation) {
  ON_Xform r;
  ASSERT_TRUE(r.Rotation(1.0, 0.0, ON_3dVector(0, 0, 5), ON_3dPoint(1, 1, 0)));  // quarter turn about z through (1,1)
  const ON_3dPoint p = r * ON_3dPoint(2, 1, 7);
  EXPECT_EQ(p, ON_3dPoint(1, 2, 7));
  EXPECT_EQ(r * ON_3dPoint(1, 1, 3), ON_3dPoint(1, 1, 3));  // the axis stays
  ON_Xform t;
  t.Translation(ON_3dVector(1, 2, 3));
  EXPECT_EQ((t * r) * ON_3dPoint(2, 1, 7), ON_3dPoint(2, 4, 10));
  EXPECT_EQ(t * ON_3dVector(1, 0, 0), ON_3dVector(1, 0, 0));  // vectors do not move
  EXPECT_TRUE(ON_identity_transformation.IsIdentity());
}

TEST(ON_Xform, RotationRefusesBadInput) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ON_Xform x;
  EXPECT_FALSE(x.Rotation(0.5, ON_3dVector(0, 0, 0), ON_origin));
  EXPECT_TRUE(x.IsIdentity());
  EXPECT_FALSE(x.Rotation(nan, ON_zaxis, ON_origin));
  EXPECT_FALSE(x.Rotation(0.5, ON_zaxis, ON_3dPoint(nan, 0, 0)));
  EXPECT_FALSE(x.Rotation(0.0, 0.0, ON_zaxis, ON_origin));
  EXPECT_TRUE(x.IsIdentity());
}

ON_Mesh Sample() {
  ON_Mesh m;
  const float pts[][3] = {{1, 2, 3}, {-4.5f, 0.25f, -7}, {0, -0.0f, 1e-30f}, {3.4e38f, -1e-7f, 12345.678f}};
  for (const auto& p : pts) m.SetVertex(m.VertexCount(), ON_3fPoint(p[0], p[1], p[2]));
  m.SetTriangle(0, 0, 1, 2);
  m.SetTriangle(1, 1, 2, 3);
  for (int i = 0; i < 4; ++i) m.m_N.Append(ON_3fVector(0, 1, 0));
  m.m_N[1] = ON_3fVector(0, 0, 1);
  return m;
}

TEST(ON_Mesh, RotateMinusQuarterTurnAboutXIsExactYUpToZUp) {
  ON_Mesh m = Sample();
  const ON_Mesh before = m;
  ASSERT_TRUE(m.Rotate(-1.5707963267948966, ON_xaxis, ON_origin));
  for (int i = 0; i < m.VertexCount(); ++i) {
    EXPECT_EQ(m.m_V[i].x, before.m_V[i].x) << i;
    EXPECT_EQ(m.m_V[i].y, before.m_V[i].z) << i;
    EXPECT_EQ(m.m_V[i].z, -before.m_V[i].y) << i;
  }
  // The normals turn the same way.
  EXPECT_EQ(m.m_N[0], ON_3fVector(0, 0, -1));
  EXPECT_EQ(m.m_N[1], ON_3fVector(0, 1, 0));
  // Sine and cosine given directly behave the same.
  ON_Mesh n = before;
  ASSERT_TRUE(n.Rotate(-1.0, 0.0, ON_xaxis, ON_origin));
  for (int i = 0; i < n.VertexCount(); ++i) EXPECT_EQ(n.m_V[i], m.m_V[i]);
}

TEST(ON_Mesh, TransformsBoundingBoxAndFailures) {
  ON_Mesh m;
  EXPECT_FALSE(m.BoundingBox().IsValid());  // no vertices, no box
  m.SetVertex(0, ON_3fPoint(1, 2, 3));
  m.SetVertex(1, ON_3fPoint(-1, 5, 0));
  ON_BoundingBox box = m.BoundingBox();
  ASSERT_TRUE(box.IsValid());
  EXPECT_EQ(box.m_min, ON_3dPoint(-1, 2, 0));
  EXPECT_EQ(box.m_max, ON_3dPoint(1, 5, 3));

  ASSERT_TRUE(m.Translate(ON_3dVector(10, 0, -1)));
  EXPECT_EQ(m.m_V[0], ON_3fPoint(11, 2, 2));
  ASSERT_TRUE(m.Scale(2.0));
  EXPECT_EQ(m.m_V[1], ON_3fPoint(18, 10, -2));

  // Bad rotations leave the mesh as it was.
  const ON_Mesh kept = m;
  EXPECT_FALSE(m.Rotate(std::numeric_limits<double>::quiet_NaN(), ON_xaxis, ON_origin));
  EXPECT_FALSE(m.Rotate(0.3, ON_3dVector(0, 0, 0), ON_origin));
  ON_Xform bad;
  bad.m_xform[0][0] = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(m.Transform(bad));
  for (int i = 0; i < m.VertexCount(); ++i) EXPECT_EQ(m.m_V[i], kept.m_V[i]);

  // A mirror flips the normals with it.
  m.m_N.Append(ON_3fVector(1, 0, 0));
  m.m_N.Append(ON_3fVector(0, 0.6f, 0.8f));
  ON_Xform mirror;
  mirror.m_xform[0][0] = -1;
  ASSERT_TRUE(m.Transform(mirror));
  EXPECT_EQ(m.m_N[0], ON_3fVector(-1, 0, 0));
  EXPECT_NEAR(m.m_N[1].y, 0.6f, 1e-7);
  EXPECT_NEAR(m.m_N[1].z, 0.8f, 1e-7);
}

}  // namespace
