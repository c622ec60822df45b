// What each branch of ImportMeshes hands on to its builder, which the call order
// alone does not show: the scale on the solid path, the progress flag on every
// path, and the caller's own meshes, unbroken, on the sketch path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge_fixture.h"
#include "meshes.h"

namespace {

using bridgetest::BridgeTest;
using bridgetest::Lines;

// The corners of body method 72 are the mesh's vertices times the scale of the
// units index, on both solid paths; the normals go unscaled.
TEST_F(BridgeTest, SolidCornersAreInMetresOnBothPaths) {
  ON_ClassArray<ON_Mesh> meshes;
  meshes.AppendNew() = testmesh::Tetrahedron(10.0f);
  meshes.AppendNew() = testmesh::Tetrahedron(3.0f);
  const struct {
    int units;
    double scale;
    LONG unit;  // the parts' length unit afterwards
  } cases[] = {{0, 0.001, 0}, {3, 0.0254, 3}, {7, 1.0, standin::kUnitAsCreated}};
  std::vector<std::array<double, 3>> normals;
  for (const auto& c : cases) {
    for (BOOL multi : {1, 0}) {
      SCOPED_TRACE("units " + std::to_string(c.units) + ", multibody " + std::to_string(multi));
      host.Log().Clear();
      ASSERT_EQ(ImportMeshes(host.Application(), meshes, c.units, ImportAsSolid, multi, 0), 1);
      const standin::FaceList faces = bridgetest::SentFaces(host.Log());
      ASSERT_EQ(faces.size(), 8u);
      for (size_t i = 0; i < faces.size(); ++i) {
        const ON_Mesh& mesh = meshes[static_cast<int>(i / 4)];
        const ON_MeshFace& f = mesh.m_F[static_cast<int>(i % 4)];
        ASSERT_EQ(faces[i].count, 3);
        for (int k = 0; k < 3; ++k) {
          const ON_3fPoint& v = mesh.m_V[f.vi[k]];
          EXPECT_EQ(faces[i].corners[3 * k], double(v.x) * c.scale) << "face " << i;
          EXPECT_EQ(faces[i].corners[3 * k + 1], double(v.y) * c.scale) << "face " << i;
          EXPECT_EQ(faces[i].corners[3 * k + 2], double(v.z) * c.scale) << "face " << i;
        }
        if (normals.size() < faces.size()) normals.push_back(faces[i].normal);
        EXPECT_EQ(faces[i].normal, normals[i]) << "face " << i;
      }
      const size_t parts = multi ? 1 : 2;
      ASSERT_GE(host.Documents().size(), parts);
      for (size_t d = host.Documents().size() - parts; d < host.Documents().size(); ++d) {
        EXPECT_EQ(host.Documents()[d]->LengthUnit(), c.unit);
        EXPECT_EQ(host.Documents()[d]->Bodies().size(), multi ? 2u : 1u);
      }
    }
  }
}

// The progress calls of one mesh's builder with the flag on: a tetrahedron has 4
// faces and 6 edges.
Lines SolidProgress(int object) {
  const std::string o = std::to_string(object) + " ";
  Lines l = {o + "new Creating solid||0|100|none", o + "max 4", o + "start"};
  for (int i = 0; i < 4; ++i) l.push_back(o + "step 1");
  l.push_back(o + "status Creating body from surfaces. This may take several minutes...");
  l.push_back(o + "end");
  l.push_back(o + "destroy");
  return l;
}
Lines SketchProgress(int object) {
  const std::string o = std::to_string(object) + " ";
  Lines l = {o + "new Creating mesh||0|100|none", o + "max 6", o + "start"};
  for (int i = 0; i < 6; ++i) l.push_back(o + "step 1");
  l.push_back(o + "end");
  l.push_back(o + "destroy");
  return l;
}
Lines Quiet(int object, const char* title) {
  const std::string o = std::to_string(object) + " ";
  return {o + "new " + title + "||0|100|none", o + "destroy"};
}

// Every branch hands the flag to its builder as it came: each mesh's progress
// object runs in full with the flag on and is only made and destroyed with it off.
TEST_F(BridgeTest, ProgressFlagReachesTheBuilderOfEveryBranch) {
  ON_ClassArray<ON_Mesh> meshes;
  meshes.AppendNew() = testmesh::Tetrahedron(1.0f);
  meshes.AppendNew() = testmesh::Tetrahedron(2.0f);
  for (int kind : {ImportAsSolid, ImportAs3DSketch}) {
    for (BOOL multi : {1, 0}) {
      for (BOOL flag : {1, 0}) {
        SCOPED_TRACE("kind " + std::to_string(kind) + ", multibody " + std::to_string(multi) + ", progress " +
                     std::to_string(flag));
        bridgetest::ProgressLog log(host);
        ZTKProgressObserver* previous = ZTKProgress::SetObserver(&log);
        EXPECT_EQ(ImportMeshes(host.Application(), meshes, 2, kind, multi, flag), 1);
        ZTKProgress::SetObserver(previous);
        const char* title = kind == ImportAsSolid ? "Creating solid" : "Creating mesh";
        Lines expected;
        for (int m = 0; m < 2; ++m) {
          const Lines one = !flag ? Quiet(m, title) : kind == ImportAsSolid ? SolidProgress(m) : SketchProgress(m);
          expected.insert(expected.end(), one.begin(), one.end());
        }
        EXPECT_EQ(log.lines, expected);
      }
    }
  }
}

// The sketch path draws the caller's meshes themselves: bent four-corner faces
// stay whole, so each gives its four sides and no diagonal, one line per topology
// edge, and the caller's mesh keeps its faces.
TEST_F(BridgeTest, SketchImportNeverBreaksFourCornerFaces) {
  for (BOOL multi : {1, 0}) {
    SCOPED_TRACE("multibody " + std::to_string(multi));
    ON_ClassArray<ON_Mesh> meshes;
    meshes.AppendNew() = testmesh::Cube(0.25f);  // three of its six quads are bent
    const ON_Mesh before = meshes[0];
    const size_t made = host.Documents().size();
    ASSERT_EQ(ImportMeshes(host.Application(), meshes, 2, ImportAs3DSketch, multi, 0), 1);
    ASSERT_EQ(host.Documents().size(), made + 1);
    const standin::Document& doc = *host.Documents().back();
    ASSERT_EQ(doc.Sketches().size(), 1u);
    const ON_MeshTopology& top = meshes[0].Topology();
    ASSERT_EQ(top.TopEdgeCount(), 12);
    const auto& lines = doc.Sketches()[0].lines;
    ASSERT_EQ(lines.size(), 12u);
    for (int e = 0; e < 12; ++e) {
      const ON_3fPoint& a = meshes[0].m_V[top.m_topv[top.m_tope[e].m_topvi[0]].m_vi[0]];
      const ON_3fPoint& b = meshes[0].m_V[top.m_topv[top.m_tope[e].m_topvi[1]].m_vi[0]];
      EXPECT_EQ(lines[static_cast<size_t>(e)].start, (std::array<double, 3>{a.x, a.y, a.z})) << e;
      EXPECT_EQ(lines[static_cast<size_t>(e)].end, (std::array<double, 3>{b.x, b.y, b.z})) << e;
    }
    EXPECT_EQ(meshes[0].FaceCount(), 6);
    EXPECT_EQ(meshes[0].QuadCount(), 6);
    for (int f = 0; f < 6; ++f)
      for (int k = 0; k < 4; ++k) EXPECT_EQ(meshes[0].m_F[f].vi[k], before.m_F[f].vi[k]);
    EXPECT_EQ(host.CallCount("HostBody", 72), 0u);
  }
}

}  // namespace
