#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "ZTKMesh.h"

namespace {

ON_Mesh QuadMesh(const std::vector<ON_3fPoint>& v, const std::array<int, 4>& q) {
  ON_Mesh m;
  for (const auto& p : v) m.SetVertex(m.VertexCount(), p);
  m.SetQuad(0, q[0], q[1], q[2], q[3]);
  return m;
}

ON_3dVector FaceNormal(const ON_Mesh& m, int f) {
  const ON_MeshFace& face = m.m_F[f];
  ON_3dVector n;
  n.PerpendicularTo(m.m_V[face.vi[0]], m.m_V[face.vi[1]], m.m_V[face.vi[2]]);
  return n;
}

struct QuadCase {
  const char* name;
  std::vector<ON_3fPoint> v;
  std::array<int, 4> quad;
  int mode;
  int result;
  std::vector<std::array<int, 4>> faces;  // afterwards
};

TEST(ZTKMesh, BreakQuadsCases) {
  const ON_3fPoint a(0, 0, 0), b(2, 0, 0), c(2, 1, 0), d(0, 1, 0);
  const QuadCase cases[] = {
      {"PlanarKept", {a, b, c, d}, {0, 1, 2, 3}, 1, 0, {{0, 1, 2, 3}}},
      // Scale does not matter: a planar quad of metres or of microns stays whole.
      {"TinyPlanarKept",
       {{0, 0, 0}, {2e-6f, 0, 0}, {2e-6f, 1e-6f, 0}, {0, 1e-6f, 0}},
       {0, 1, 2, 3},
       1,
       0,
       {{0, 1, 2, 3}}},
      {"FarPlanarKept",
       {{1e5f, 1e5f, 7}, {1e5f + 2, 1e5f, 7}, {1e5f + 2, 1e5f + 1, 7}, {1e5f, 1e5f + 1, 7}},
       {0, 1, 2, 3},
       1,
       0,
       {{0, 1, 2, 3}}},
      {"TiltedPlanarKept", {{0, 0, 0}, {2, 0, 2}, {2, 1, 2}, {0, 1, 0}}, {0, 1, 2, 3}, 1, 0, {{0, 1, 2, 3}}},
      // Corner 2 lifted: cut along the shorter diagonal 1-3 of this kite.
      {"NonPlanarShorter13",
       {{0, 0, 0}, {2, -1, 0}, {4, 0, 1}, {2, 1, 0}},
       {0, 1, 2, 3},
       1,
       1,
       {{0, 1, 3, 3}, {1, 2, 3, 3}}},
      {"NonPlanarShorter02",
       {{0, -1, 0}, {2, 0, 0}, {0, 1, 0.5f}, {-2, 0, 0}},
       {0, 1, 2, 3},
       1,
       1,
       {{0, 1, 2, 2}, {0, 2, 3, 3}}},
      {"SlightTwistBelowToleranceKept", {a, b, c, {0, 1, 1e-7f}}, {0, 1, 2, 3}, 1, 0, {{0, 1, 2, 3}}},
      {"AllModeSplitsPlanar", {a, b, c, d}, {0, 1, 2, 3}, 0, 1, {{0, 1, 2, 2}, {0, 2, 3, 3}}},
      // Two consecutive corners at one place: the face is the triangle of the others.
      {"TriangleUntouched", {a, b, c}, {0, 1, 2, 2}, 0, 0, {{0, 1, 2, 2}}},
      {"RepeatedLastIndexReduced", {a, b, c}, {0, 1, 2, 0}, 1, 1, {{1, 2, 0, 0}}},
      {"CoincidentCornersReduced", {a, b, b, c}, {0, 1, 2, 3}, 1, 1, {{0, 1, 3, 3}}},
      {"OppositeCornersEqualKept", {a, b, a, c}, {0, 1, 2, 3}, 0, 0, {{0, 1, 2, 3}}},
      {"LineKept", {a, a, b, b}, {0, 1, 2, 3}, 1, 0, {{0, 1, 2, 3}}},
      {"InvalidIndexKept", {a, b, c}, {0, 1, 2, 5}, 0, 0, {{0, 1, 2, 5}}},
      {"NegativeIndexKept", {a, b, c, d}, {0, -1, 2, 3}, 0, 0, {{0, -1, 2, 3}}},
      {"UnknownModeChangesNothing", {{0, 0, 0}, {2, -1, 0}, {4, 0, 1}, {2, 1, 0}}, {0, 1, 2, 3}, 7, -1, {{0, 1, 2, 3}}},
  };
  for (const QuadCase& k : cases) {
    ON_Mesh m = QuadMesh(k.v, k.quad);
    int count = 12345;
    EXPECT_EQ(ZTKMesh::BreakQuads(m, k.mode, &count), k.result) << k.name;
    EXPECT_EQ(count, k.result < 0 ? 0 : k.result) << k.name;
    ASSERT_EQ(m.FaceCount(), static_cast<int>(k.faces.size())) << k.name;
    for (int f = 0; f < m.FaceCount(); ++f)
      for (int j = 0; j < 4; ++j) EXPECT_EQ(m.m_F[f].vi[j], k.faces[f][j]) << k.name << " face " << f;
  }
}

TEST(ZTKMesh, SplitKeepsOrientationOtherFacesAndTopologyCurrent) {
  // A twisted quad between two plain triangles; its halves face the same way as
  // the quad, the triangles keep their indices, the second half goes last.
  ON_Mesh m;
  const float pts[][3] = {{0, 0, 0.3f}, {1, 0, 0}, {1, 1, 0.3f}, {0, 1, 0}, {2, 0, 0}};
  for (const auto& p : pts) m.SetVertex(m.VertexCount(), ON_3fPoint(p[0], p[1], p[2]));
  m.SetTriangle(0, 1, 4, 2);
  m.SetQuad(1, 0, 1, 2, 3);
  m.SetTriangle(2, 0, 3, 1);
  ASSERT_EQ(m.Topology().TopEdgeCount(), 7);
  const ON_3dVector before = FaceNormal(m, 1);
  EXPECT_EQ(ZTKMesh::BreakQuads(m, ZTKMesh::BreakNonPlanarQuads, nullptr), 1);
  ASSERT_EQ(m.FaceCount(), 4);
  EXPECT_EQ(m.m_F[0].vi[1], 4);
  EXPECT_EQ(m.m_F[2].vi[1], 3);
  EXPECT_TRUE(m.m_F[1].IsTriangle());
  EXPECT_TRUE(m.m_F[3].IsTriangle());
  EXPECT_GT(ON_DotProduct(FaceNormal(m, 1), before), 0.5);
  EXPECT_GT(ON_DotProduct(FaceNormal(m, 3), before), 0.5);
  // Both diagonals are equal here; the cut is the one from corner 0.
  EXPECT_EQ(m.m_F[3].vi[0], 0);
  EXPECT_EQ(m.m_F[3].vi[1], 2);
  EXPECT_EQ(m.Topology().TopEdgeCount(), 8);  // the new diagonal is an edge now
  EXPECT_TRUE(m.Topology().IsValid());
  // Breaking again finds nothing left to do.
  EXPECT_EQ(ZTKMesh::BreakQuads(m, ZTKMesh::BreakAllQuads, nullptr), 0);
}

TEST(ZTKMesh, BreakQuadsOnEmptyAndTriangleMeshes) {
  ON_Mesh empty;
  EXPECT_EQ(ZTKMesh::BreakQuads(empty, 1, nullptr), 0);
  ON_Mesh tri = QuadMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2, 2});
  EXPECT_EQ(ZTKMesh::BreakQuads(tri, 0, nullptr), 0);
  EXPECT_EQ(tri.FaceCount(), 1);
}

}  // namespace
