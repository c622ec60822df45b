// The mesh members the reference check cannot see: how Append joins indices and
// per-vertex lists, what CombineIdenticalVertices does with bad indices and large
// meshes, and how ON_Color packs its channels.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "opennurbs.h"

namespace {

ON_Mesh Triangle(float x, bool normals) {
  ON_Mesh m(1, 3, normals, false);
  m.SetVertex(0, ON_3fPoint(x, 0, 0));
  m.SetVertex(1, ON_3fPoint(x + 1, 0, 0));
  m.SetVertex(2, ON_3fPoint(x, 1, 0));
  m.SetTriangle(0, 0, 1, 2);
  if (normals)
    for (int i = 0; i < 3; ++i) m.m_N.Append(ON_3fVector(0, 0, 1));
  return m;
}

TEST(ON_Mesh, AppendMovesIndicesPastTheVerticesAndKeepsListsConsistent) {
  ON_Mesh m = Triangle(0, true);
  ASSERT_TRUE(m.Append(Triangle(5, true)));
  ASSERT_EQ(m.VertexCount(), 6);
  ASSERT_EQ(m.FaceCount(), 2);
  EXPECT_EQ(m.m_F[1].vi[0], 3);
  EXPECT_EQ(m.m_F[1].vi[3], 5);  // still a triangle
  EXPECT_EQ(m.m_N.Count(), 6);   // both had normals
  EXPECT_TRUE(m.IsValid());

  ASSERT_TRUE(m.Append(Triangle(9, false)));
  EXPECT_EQ(m.m_N.Count(), 0);  // the other had none: dropped, not left short
  EXPECT_TRUE(m.IsValid());

  // An index outside the appended mesh must not land on one of this mesh's vertices.
  ON_Mesh bad = Triangle(20, false);
  bad.m_F[0].vi[1] = -1;
  bad.m_F[0].vi[2] = bad.m_F[0].vi[3] = 7;
  ASSERT_TRUE(m.Append(bad));
  EXPECT_EQ(m.m_F[3].vi[0], 9);
  EXPECT_EQ(m.m_F[3].vi[1], -1);
  EXPECT_EQ(m.m_F[3].vi[2], -1);
  EXPECT_FALSE(m.IsValid());

  // Onto itself, and onto an empty mesh, which takes the other's lists.
  ON_Mesh twice = Triangle(0, false);
  ASSERT_TRUE(twice.Append(twice));
  EXPECT_EQ(twice.VertexCount(), 6);
  EXPECT_EQ(twice.m_F[1].vi[2], 5);
  ON_Mesh empty;
  ASSERT_TRUE(empty.Append(Triangle(0, true)));
  EXPECT_EQ(empty.m_N.Count(), 3);
}

TEST(ON_Mesh, AppendDropsTheTopologyItCached) {
  ON_Mesh m = Triangle(0, false);
  ASSERT_EQ(m.Topology().TopEdgeCount(), 3);
  m.Append(Triangle(5, false));
  EXPECT_EQ(m.Topology().TopEdgeCount(), 6);
}

TEST(ON_Mesh, CombineKeepsBadIndicesBadAndFirstVerticesInOrder) {
  ON_Mesh m;
  const float pts[][3] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 0, 0}};
  for (const auto& p : pts) m.SetVertex(m.VertexCount(), ON_3fPoint(p[0], p[1], p[2]));
  m.SetTriangle(0, 0, 1, 3);
  m.SetTriangle(1, 2, 4, 9);  // an index outside the vertices
  m.SetTriangle(2, 3, -1, 4);
  ASSERT_TRUE(m.CombineIdenticalVertices(true, true));
  ASSERT_EQ(m.VertexCount(), 3);
  EXPECT_EQ(m.m_V[0], ON_3fPoint(0, 0, 0));
  EXPECT_EQ(m.m_V[1], ON_3fPoint(1, 0, 0));
  EXPECT_EQ(m.m_V[2], ON_3fPoint(0, 1, 0));
  EXPECT_EQ(m.m_F[1].vi[0], 0);
  EXPECT_EQ(m.m_F[1].vi[1], 1);
  EXPECT_EQ(m.m_F[1].vi[2], 9);  // still outside
  EXPECT_EQ(m.m_F[2].vi[1], -1);
  EXPECT_FALSE(m.CombineIdenticalVertices(true, true));  // nothing left to merge
}

TEST(ON_Mesh, CombineOfALargeGridOfSeparateTriangles) {
  const int n = 300;  // n x n squares, each as two triangles with vertices of their own
  ON_Mesh m;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const float x = float(i), y = float(j);
      const float tri[2][3][2] = {{{x, y}, {x + 1, y}, {x + 1, y + 1}}, {{x, y}, {x + 1, y + 1}, {x, y + 1}}};
      for (const auto& t : tri) {
        const int v = m.VertexCount();
        for (const auto& c : t) m.SetVertex(m.VertexCount(), ON_3fPoint(c[0], c[1], 0));
        m.SetTriangle(m.FaceCount(), v, v + 1, v + 2);
      }
    }
  ASSERT_TRUE(m.CombineIdenticalVertices(true, true));
  EXPECT_EQ(m.VertexCount(), (n + 1) * (n + 1));
  EXPECT_TRUE(m.IsValid());
  std::set<std::tuple<float, float, float>> distinct;
  for (int v = 0; v < m.VertexCount(); ++v) distinct.insert({m.m_V[v].x, m.m_V[v].y, m.m_V[v].z});
  EXPECT_EQ(distinct.size(), static_cast<size_t>(m.VertexCount()));
  EXPECT_EQ(m.Topology().TopEdgeCount(), 2 * n * (n + 1) + n * n);
}

TEST(ON_Color, PacksRedLowAndClamps) {
  const ON_Color c(0x12, 0x34, 0x56, 0x78);
  EXPECT_EQ(static_cast<unsigned int>(c), 0x78563412u);
  EXPECT_EQ(static_cast<unsigned int>(ON_Color(255, 255, 255)), 0x00FFFFFFu);
  ON_Color d(0xAABBCCDDu);
  EXPECT_EQ(d.Red(), 0xDD);
  EXPECT_EQ(d.Alpha(), 0xAA);
  d.SetRGBA(-7, 256, 128, 1000);
  EXPECT_EQ(static_cast<unsigned int>(d), 0xFF80FF00u);
  d.SetRGB(1, 2, 3);
  EXPECT_EQ(d.Alpha(), 0);
}

}  // namespace
