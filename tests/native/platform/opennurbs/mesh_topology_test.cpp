#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "opennurbs.h"

namespace {

struct MeshData {
  std::vector<ON_3fPoint> v;
  std::vector<std::array<int, 4>> f;  // a triangle repeats its third index
};

ON_Mesh Build(const MeshData& s) {
  ON_Mesh m;
  for (size_t i = 0; i < s.v.size(); ++i) m.SetVertex(static_cast<int>(i), s.v[i]);
  for (size_t i = 0; i < s.f.size(); ++i) {
    const auto& q = s.f[i];
    m.SetQuad(static_cast<int>(i), q[0], q[1], q[2], q[3]);
  }
  return m;
}

// Edges as pairs of the first mesh vertex of each end, in the topology's order:
// this is what a reader of the topology draws.
std::vector<std::pair<int, int>> EdgeEnds(const ON_MeshTopology& t) {
  std::vector<std::pair<int, int>> out;
  for (int i = 0; i < t.TopEdgeCount(); ++i)
    out.emplace_back(t.m_topv[t.m_tope[i].m_topvi[0]].m_vi[0], t.m_topv[t.m_tope[i].m_topvi[1]].m_vi[0]);
  return out;
}

const ON_3fPoint P0(0, 0, 0), P1(1, 0, 0), P2(1, 1, 0), P3(0, 1, 0);

struct TopoCase {
  const char* name;
  MeshData mesh;
  int topVertices;
  std::vector<std::pair<int, int>> edges;  // expected, in order
  bool valid = true;                        // a face with two sides on one edge, or no edges, is not
};

void PrintTo(const TopoCase& c, std::ostream* os) { *os << c.name; }

class TopologyCases : public ::testing::TestWithParam<TopoCase> {};

TEST_P(TopologyCases, VerticesEdgesAndOrder) {
  const TopoCase& c = GetParam();
  const ON_Mesh m = Build(c.mesh);
  const ON_MeshTopology& t = m.Topology();
  EXPECT_EQ(t.IsValid(), c.valid);
  EXPECT_EQ(t.m_mesh, &m);
  EXPECT_EQ(t.TopVertexCount(), c.topVertices);
  EXPECT_EQ(t.TopFaceCount(), m.FaceCount());
  EXPECT_EQ(EdgeEnds(t), c.edges);
}

INSTANTIATE_TEST_SUITE_P(
    Meshes, TopologyCases,
    ::testing::Values(
        TopoCase{"Empty", {}, 0, {}}, TopoCase{"VerticesWithoutFaces", {{P0, P1, P2}, {}}, 3, {}},
        TopoCase{"TwoTrianglesSharingIndices",
                 {{P0, P1, P2, P3}, {{0, 1, 2, 2}, {0, 2, 3, 3}}},
                 4,
                 {{0, 1}, {1, 2}, {2, 0}, {2, 3}, {3, 0}}},
        // The same triangles with six vertices: equal coordinates merge, and each
        // edge keeps the direction of the side that first produced it.
        TopoCase{"TwoTrianglesSeparateVertices",
                 {{P0, P1, P2, P0, P2, P3}, {{0, 1, 2, 2}, {3, 4, 5, 5}}},
                 4,
                 {{0, 1}, {1, 2}, {2, 0}, {2, 5}, {5, 0}}},
        TopoCase{"QuadHasNoDiagonal", {{P0, P1, P2, P3}, {{0, 1, 2, 3}}}, 4, {{0, 1}, {1, 2}, {2, 3}, {3, 0}}},
        TopoCase{"NegativeZeroMergesWithZero",
                 {{ON_3fPoint(0, 0, 0), P1, P2, ON_3fPoint(-0.0f, 0, -0.0f)}, {{0, 1, 2, 2}, {3, 2, 1, 1}}},
                 3,
                 {{0, 1}, {1, 2}, {2, 0}}},
        // A repeated corner gives no side of zero length; what is left still counts,
        // but a triangle whose other two sides lie on one edge is not a valid face.
        TopoCase{"DegenerateTriangle", {{P0, P1}, {{0, 0, 1, 1}}}, 2, {{0, 1}}, false},
        // A quad that is a triangle: three distinct edges and a side with none.
        TopoCase{"QuadWithRepeatedCorner", {{P0, P1, P2}, {{0, 1, 2, 0}}}, 3, {{0, 1}, {1, 2}, {2, 0}}},
        TopoCase{"CoincidentCornersAtDifferentIndices", {{P0, P1, P1}, {{0, 1, 2, 2}}}, 2, {{0, 1}}, false},
        // Faces with an index outside the vertices add nothing and are not read;
        // having no edges, they are not valid faces.
        TopoCase{"InvalidIndicesIgnored",
                 {{P0, P1, P2}, {{0, 1, 7, 7}, {0, -1, 2, 2}, {0, 1, 2, 2}}},
                 3,
                 {{0, 1}, {1, 2}, {2, 0}},
                 false}),
    [](const ::testing::TestParamInfo<TopoCase>& i) { return std::string(i.param.name); });

TEST(ON_MeshTopology, FaceEdgesAndDirections) {
  const ON_Mesh m = Build({{P0, P1, P2, P3}, {{0, 1, 2, 2}, {0, 2, 3, 3}}});
  const ON_MeshTopology& t = m.Topology();
  ASSERT_EQ(t.TopEdgeCount(), 5);
  const ON_MeshTopologyFace& f0 = t.m_topf[0];
  EXPECT_EQ(f0.m_topei[0], 0);
  EXPECT_EQ(f0.m_topei[1], 1);
  EXPECT_EQ(f0.m_topei[2], 2);
  EXPECT_EQ(f0.m_reve[2], 0);
  // Face 1 runs 0 -> 2 over the diagonal that face 0 made as 2 -> 0.
  const ON_MeshTopologyFace& f1 = t.m_topf[1];
  EXPECT_EQ(f1.m_topei[0], 2);
  EXPECT_EQ(f1.m_reve[0], 1);
  EXPECT_EQ(f1.m_topei[1], 3);
  EXPECT_EQ(f1.m_topei[2], 4);
  EXPECT_EQ(f1.m_topei[3], f1.m_topei[2]);
  EXPECT_TRUE(f1.IsTriangle());
  const ON_Mesh q = Build({{P0, P1, P2, P3}, {{0, 1, 2, 3}, {7, 1, 2, 3}}});
  EXPECT_TRUE(q.Topology().m_topf[0].IsQuad());
  for (int k = 0; k < 4; ++k) EXPECT_EQ(q.Topology().m_topf[1].m_topei[k], -1);  // bad index
  // The mesh vertices of one location, ascending.
  const ON_Mesh sep = Build({{P0, P1, P0, P2, P0}, {{0, 1, 3, 3}}});
  const ON_MeshTopologyVertex& v = sep.Topology().m_topv[0];
  ASSERT_EQ(v.m_v_count, 3);
  EXPECT_EQ(v.m_vi[0], 0);
  EXPECT_EQ(v.m_vi[1], 2);
  EXPECT_EQ(v.m_vi[2], 4);
}

TEST(ON_MeshTopology, IsValidCatchesTamperedLists) {
  ON_Mesh m = Build({{P0, P1, P2, P3}, {{0, 1, 2, 3}}});
  {
    const ON_MeshTopology& t = m.Topology();
    ASSERT_TRUE(t.IsValid());
    const_cast<ON_MeshTopology&>(t).m_topv_map[3] = 0;
    EXPECT_FALSE(t.IsValid());
  }
  m.DestroyTopology();
  {
    const ON_MeshTopology& t = m.Topology();
    ASSERT_TRUE(t.IsValid());
    std::swap(const_cast<ON_MeshTopology&>(t).m_tope[1].m_topvi[0],
              const_cast<ON_MeshTopology&>(t).m_tope[1].m_topvi[1]);
    EXPECT_FALSE(t.IsValid());
  }
  m.DestroyTopology();
  {
    const ON_MeshTopology& t = m.Topology();
    const_cast<ON_MeshTopology&>(t).m_topf[0].m_topei[2] = 3;
    EXPECT_FALSE(t.IsValid());
  }
  ON_MeshTopology empty;
  EXPECT_FALSE(empty.IsValid());  // belongs to no mesh
}

// A closed grid surface: V - E + F = 2 on a closed cube of quads split into
// triangles, and every edge has two faces.
TEST(ON_MeshTopology, ClosedCubeIsTwoManifold) {
  ON_Mesh m;
  int n = 0;
  for (int i = 0; i < 8; ++i) m.SetVertex(n++, ON_3fPoint(float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)));
  const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  int f = 0;
  for (const auto& q : quads) {
    m.SetTriangle(f++, q[0], q[1], q[2]);
    m.SetTriangle(f++, q[0], q[2], q[3]);
  }
  const ON_MeshTopology& t = m.Topology();
  ASSERT_TRUE(t.IsValid());
  EXPECT_EQ(t.TopVertexCount(), 8);
  EXPECT_EQ(t.TopEdgeCount(), 18);
  EXPECT_EQ(t.TopVertexCount() - t.TopEdgeCount() + t.TopFaceCount(), 2);
  // Every edge is used by two face sides running in opposite directions.
  std::vector<int> along(t.TopEdgeCount()), uses(t.TopEdgeCount());
  for (int fi = 0; fi < t.TopFaceCount(); ++fi)
    for (int k = 0; k < 3; ++k) {
      const int e = t.m_topf[fi].m_topei[k];
      ASSERT_GE(e, 0);
      ++uses[e];
      along[e] += t.m_topf[fi].m_reve[k] ? -1 : 1;
    }
  for (int e = 0; e < t.TopEdgeCount(); ++e) {
    EXPECT_EQ(uses[e], 2) << e;
    EXPECT_EQ(along[e], 0) << e;
  }
}

TEST(ON_MeshTopology, LargeGridMatchesCountsAndStaysValid) {
  const int N = 120;  // N x N quads, each split into two triangles
  ON_Mesh m;
  for (int j = 0; j <= N; ++j)
    for (int i = 0; i <= N; ++i) m.SetVertex(m.VertexCount(), ON_3fPoint(float(i), float(j), 0.0f));
  for (int j = 0; j < N; ++j)
    for (int i = 0; i < N; ++i) {
      const int a = j * (N + 1) + i, b = a + 1, c = a + N + 2, d = a + N + 1;
      m.SetTriangle(m.FaceCount(), a, b, c);
      m.SetTriangle(m.FaceCount(), a, c, d);
    }
  const ON_MeshTopology& t = m.Topology();
  EXPECT_TRUE(t.IsValid());
  EXPECT_EQ(t.TopVertexCount(), (N + 1) * (N + 1));
  EXPECT_EQ(t.TopEdgeCount(), 2 * N * (N + 1) + N * N);
  EXPECT_EQ(t.TopVertexCount() - t.TopEdgeCount() + t.TopFaceCount(), 1);
  // A rebuild gives the same lists in the same order.
  const auto before = EdgeEnds(t);
  m.DestroyTopology();
  EXPECT_EQ(EdgeEnds(m.Topology()), before);
}

TEST(ON_MeshTopology, ManyVerticesAtOneLocation) {
  ON_Mesh m;
  const int n = 20000;
  for (int i = 0; i < n; ++i) m.SetVertex(i, ON_3fPoint(i % 2 ? -0.0f : 0.0f, 0.0f, 0.0f));
  m.SetVertex(n, ON_3fPoint(1, 0, 0));
  m.SetVertex(n + 1, ON_3fPoint(0, 1, 0));
  for (int i = 0; i < n; ++i) m.SetTriangle(m.FaceCount(), i, n, n + 1);
  const ON_MeshTopology& t = m.Topology();
  EXPECT_TRUE(t.IsValid());
  EXPECT_EQ(t.TopVertexCount(), 3);
  EXPECT_EQ(t.TopEdgeCount(), 3);
  EXPECT_EQ(t.m_topv[0].m_v_count, n);
}

TEST(ON_MeshTopology, CacheIsKeptThenDroppedByEveryChange) {
  ON_Mesh m = Build({{P0, P1, P2, P3}, {{0, 1, 2, 2}}});
  EXPECT_FALSE(m.HasTopology());
  const ON_MeshTopology* first = &m.Topology();
  const ON_MeshTopologyEdge* edges = first->m_tope.Array();
  EXPECT_TRUE(m.HasTopology());
  EXPECT_EQ(m.Topology().m_tope.Array(), edges);  // cached, not rebuilt

  struct Change {
    const char* name;
    void (*apply)(ON_Mesh&);
    int edgesAfter;
    bool validAfter = true;
  };
  const Change changes[] = {
      // Vertex 2 onto vertex 1: a degenerate triangle, whose topology is not valid.
      {"SetVertex", [](ON_Mesh& x) { x.SetVertex(2, ON_3fPoint(1, 0, 0)); }, 1, false},
      {"SetTriangle", [](ON_Mesh& x) { x.SetTriangle(0, 0, 1, 3); }, 3},
      {"SetQuad", [](ON_Mesh& x) { x.SetQuad(0, 0, 1, 2, 3); }, 4},
      {"Rotate", [](ON_Mesh& x) { x.Rotate(0.5, ON_zaxis, ON_origin); }, 3},
      {"Translate", [](ON_Mesh& x) { x.Translate(ON_3dVector(1, 2, 3)); }, 3},
      {"Destroy", [](ON_Mesh& x) { x.Destroy(); }, 0},
      {"Assign",
       [](ON_Mesh& x) {
         x = Build({{P0, P1, P2, P3}, {{0, 1, 2, 3}}});
       },
       4},
      // Direct edits that change a count are noticed even without DestroyTopology.
      {"DirectFaceAppend",
       [](ON_Mesh& x) {
         x.m_F.Append(ON_MeshFace{{0, 2, 3, 3}});
       },
       5},
      {"DirectDestroyTopology",
       [](ON_Mesh& x) {
         x.m_F[0].vi[1] = 3;
         x.DestroyTopology();
       },
       3},
  };
  for (const Change& c : changes) {
    ON_Mesh x = Build({{P0, P1, P2, P3}, {{0, 1, 2, 2}}});
    ASSERT_EQ(x.Topology().TopEdgeCount(), 3);
    c.apply(x);
    EXPECT_EQ(x.Topology().TopEdgeCount(), c.edgesAfter) << c.name;
    EXPECT_EQ(x.Topology().IsValid(), c.validAfter) << c.name;
  }
}

TEST(ON_MeshTopology, CopiesBuildTheirOwn) {
  ON_Mesh a = Build({{P0, P1, P2, P3}, {{0, 1, 2, 3}}});
  ASSERT_EQ(a.Topology().TopEdgeCount(), 4);
  ON_Mesh b(a);
  EXPECT_FALSE(b.HasTopology());
  EXPECT_EQ(b.Topology().m_mesh, &b);
  EXPECT_NE(b.Topology().m_tope.Array(), a.Topology().m_tope.Array());
  ON_Mesh c;
  c = a;
  EXPECT_EQ(c.Topology().m_mesh, &c);
  c.SetTriangle(0, 0, 1, 2);
  EXPECT_EQ(c.Topology().TopEdgeCount(), 3);
  EXPECT_EQ(a.Topology().TopEdgeCount(), 4);  // the original is untouched
  a = a;                                      // self-assignment keeps everything
  EXPECT_EQ(a.Topology().TopEdgeCount(), 4);

  // Meshes that move as the array grows keep a topology of their own.
  ON_ClassArray<ON_Mesh> arr;
  for (int i = 0; i < 50; ++i) {
    ON_Mesh& m = arr.AppendNew();
    m = a;
    m.SetVertex(0, ON_3fPoint(float(-i), 0, 0));
    ASSERT_EQ(m.Topology().m_mesh, &m);
  }
  for (int i = 0; i < arr.Count(); ++i) {
    EXPECT_EQ(arr[i].Topology().m_mesh, &arr[i]);
    EXPECT_TRUE(arr[i].Topology().IsValid());
    EXPECT_EQ(arr[i].Topology().TopEdgeCount(), 4);
  }
  ON_ClassArray<ON_Mesh> copy(arr);
  EXPECT_EQ(copy[7].Topology().m_mesh, &copy[7]);
  EXPECT_EQ(copy[7].m_V[0].x, -7.0f);
}

}  // namespace
