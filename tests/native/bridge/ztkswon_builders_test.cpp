// The two builders, called directly on a part made by the stand-in host: the
// sketch lines from the mesh topology, the planar faces with their corners and
// normals, and the progress calls with the flag on and off.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "ComHolders.h"
#include "bridge_fixture.h"
#include "ZTKMesh.h"
#include "meshes.h"

namespace {

using bridgetest::BridgeTest;
using bridgetest::Lines;
using standin::Fault;

class Builders : public BridgeTest {
 protected:
  // A new part through the host itself, as the import makes it; the test owns
  // the two references and releases them in the destructor.
  void NewPart() {
    HostOp::NewPart(host.Application(), part.Out());
    HostOp::ActiveDocument(host.Application(), doc.Out());
    ASSERT_TRUE(part && doc);
  }
  void EnterSketch() { HostOp::Insert3DSketch(doc.Get(), 0); }
  const standin::Document& Doc() const { return *host.Documents().back(); }
  // The faces the host received for the latest temporary body, built or not.
  const standin::FaceList& Faces() const {
    if (!Doc().Bodies().empty()) return Doc().Bodies().back()->Faces();
    return Doc().TemporaryBodies().back()->Faces();
  }
  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
};

using Seg = std::array<double, 6>;

std::vector<Seg> SketchLines(const standin::Document& d) {
  std::vector<Seg> out;
  for (const auto& s : d.Sketches())
    for (const auto& l : s.lines) out.push_back({l.start[0], l.start[1], l.start[2], l.end[0], l.end[1], l.end[2]});
  return out;
}

struct SketchCase {
  const char* name;
  ON_Mesh mesh;
  double scale;
  std::vector<Seg> lines;
};

TEST_F(Builders, SketchDrawsEachTopologyEdgeOnceInOrder) {
  const ON_3fPoint a(0, 0, 0), b(1, 0, 0), c(1, 1, 0), d(0, 1, 0);
  const SketchCase cases[] = {
      {"TwoTrianglesShared",
       testmesh::Make({a, b, c, d}, {{0, 1, 2, 2}, {0, 2, 3, 3}}),
       1.0,
       {{0, 0, 0, 1, 0, 0}, {1, 0, 0, 1, 1, 0}, {1, 1, 0, 0, 0, 0}, {1, 1, 0, 0, 1, 0}, {0, 1, 0, 0, 0, 0}}},
      {"TwoTrianglesSeparateVertices",
       testmesh::Make({a, b, c, a, c, d}, {{0, 1, 2, 2}, {3, 4, 5, 5}}),
       1.0,
       {{0, 0, 0, 1, 0, 0}, {1, 0, 0, 1, 1, 0}, {1, 1, 0, 0, 0, 0}, {1, 1, 0, 0, 1, 0}, {0, 1, 0, 0, 0, 0}}},
      {"QuadWithoutDiagonal",
       testmesh::Make({a, b, c, d}, {{0, 1, 2, 3}}),
       1.0,
       {{0, 0, 0, 1, 0, 0}, {1, 0, 0, 1, 1, 0}, {1, 1, 0, 0, 1, 0}, {0, 1, 0, 0, 0, 0}}},
      {"NoFaces", testmesh::Make({a, b, c}, {}), 1.0, {}},
      {"Inches", testmesh::Make({{10, 0, 0}, {0, 0, 0}, {0, 10, 0}}, {{0, 1, 2, 2}}), 0.0254,
       {{0.254, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0.254, 0}, {0, 0.254, 0, 0.254, 0, 0}}},
  };
  for (const SketchCase& k : cases) {
    NewPart();
    EnterSketch();
    host.Log().Clear();
    EXPECT_EQ(CreateSketchFromMesh(doc.Get(), k.mesh, k.scale, 0), 1) << k.name;
    EXPECT_EQ(SketchLines(Doc()), k.lines) << k.name;
    EXPECT_EQ(host.Log().Count("HostDocument", 542), k.lines.size()) << k.name;
    for (const std::string& l : host.Log().Lines()) EXPECT_EQ(l.rfind("HostDocument.542(", 0), 0u) << k.name;
  }
}

TEST_F(Builders, SketchProgressWithTheFlagOnAndOff) {
  NewPart();
  EnterSketch();
  const ON_Mesh quad = testmesh::Make({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
  ASSERT_EQ(CreateSketchFromMesh(doc.Get(), quad, 1.0, 1), 1);
  EXPECT_EQ(progress.hostCalls, (Lines{"0 new Creating mesh||0|100|none @0", "0 max 4 @0", "0 start @0",
                                       "0 step 1 @0", "0 step 1 @1", "0 step 1 @2", "0 step 1 @3", "0 end @4",
                                       "0 destroy @4"}));
  progress.lines.clear();
  ASSERT_EQ(CreateSketchFromMesh(doc.Get(), quad, 1.0, 0), 1);
  EXPECT_EQ(progress.lines, (Lines{"1 new Creating mesh||0|100|none", "1 destroy"}));
  progress.lines.clear();
  const ON_Mesh none;
  ASSERT_EQ(CreateSketchFromMesh(doc.Get(), none, 1.0, 1), 1);
  EXPECT_EQ(progress.lines, (Lines{"2 new Creating mesh||0|100|none", "2 max 0", "2 start", "2 end", "2 destroy"}));
  EXPECT_EQ(Doc().LineCount(), 8u);
}

TEST_F(Builders, SketchOfManyMeshesShowsOnlyTheOuterWindow) {
  NewPart();
  EnterSketch();
  ON_ClassArray<ON_Mesh> meshes;
  for (int i = 0; i < 3; ++i) meshes.AppendNew() = testmesh::Tetrahedron(float(i + 1));
  ASSERT_EQ(CreateSketchFromMeshes(doc.Get(), meshes, 1.0, 1), 1);
  EXPECT_EQ(progress.lines,
            (Lines{"0 new Creating meshes||0|100|none", "0 max 3", "0 start", "0 step 1",
                   "1 new Creating mesh||0|100|none", "1 destroy", "0 step 1", "2 new Creating mesh||0|100|none",
                   "2 destroy", "0 step 1", "3 new Creating mesh||0|100|none", "3 destroy", "0 end", "0 destroy"}));
  EXPECT_EQ(Doc().LineCount(), 18u);
  progress.lines.clear();
  ASSERT_EQ(CreateSketchFromMeshes(doc.Get(), meshes, 1.0, 0), 1);
  EXPECT_EQ(progress.lines.size(), 8u);  // four objects, each only made and destroyed
  EXPECT_EQ(Doc().LineCount(), 36u);
}

TEST_F(Builders, SketchLinesTheHostRefusesAreSimplyMissing) {
  NewPart();  // no sketch open: the stand-in refuses every line
  EXPECT_EQ(CreateSketchFromMesh(doc.Get(), testmesh::Tetrahedron(), 1.0, 0), 1);
  EXPECT_EQ(Doc().RefusedLines(), 6);
  EnterSketch();
  host.InjectFault("HostDocument", 542, Fault::Fail(E_FAIL, 8));  // the second line of the second mesh
  EXPECT_EQ(CreateSketchFromMesh(doc.Get(), testmesh::Tetrahedron(), 1.0, 0), 1);
  EXPECT_EQ(Doc().LineCount(), 5u);
  EXPECT_EQ(host.CallCount("HostDocument", 542), 12u);
}

struct FaceCase {
  const char* name;
  ON_Mesh mesh;
  std::vector<int> counts;
  std::vector<std::array<double, 3>> normals;
};

TEST_F(Builders, SolidFacesCornersAndNormals) {
  const FaceCase cases[] = {
      {"Triangle", testmesh::Make({{0, 0, 0}, {2, 0, 0}, {0, 3, 0}}, {{0, 1, 2, 2}}), {3}, {{0, 0, 1}}},
      {"Quad", testmesh::Make({{0, 0, 0}, {0, 2, 0}, {2, 2, 0}, {2, 0, 0}}, {{0, 1, 2, 3}}), {4}, {{0, 0, -1}}},
      {"RepeatedCorner", testmesh::Make({{0, 0, 0}, {1, 0, 0}, {1, 0, 0}}, {{0, 1, 2, 2}}), {3}, {{0, 0, 0}}},
      {"SameIndexTwice", testmesh::Make({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{0, 0, 2, 2}}), {3}, {{0, 0, 0}}},
      {"Collinear", testmesh::Make({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, {{0, 1, 2, 2}}), {3}, {{0, 0, 0}}},
      {"QuadDegenerateFirstCorners",
       testmesh::Make({{0, 0, 0}, {0, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}}), {4}, {{0, 0, 0}}},
      {"QuadNormalFromFirstThree",
       testmesh::Make({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 5}}, {{0, 1, 2, 3}}), {4}, {{0, 0, 1}}},
  };
  for (const FaceCase& k : cases) {
    NewPart();
    host.Log().Clear();
    ASSERT_EQ(CreateSolidFromMesh(part.Get(), k.mesh, 0.5, 0), 0) << k.name;  // an open mesh does not build
    const standin::FaceList faces = bridgetest::SentFaces(host.Log());
    ASSERT_EQ(faces.size(), k.counts.size()) << k.name;
    for (size_t f = 0; f < faces.size(); ++f) {
      EXPECT_EQ(faces[f].count, k.counts[f]) << k.name;
      for (int c = 0; c < faces[f].count; ++c) {
        const ON_3fPoint& v = k.mesh.m_V[k.mesh.m_F[static_cast<int>(f)].vi[c]];
        EXPECT_EQ(faces[f].corners[3 * c], v.x * 0.5) << k.name;
        EXPECT_EQ(faces[f].corners[3 * c + 1], v.y * 0.5) << k.name;
        EXPECT_EQ(faces[f].corners[3 * c + 2], v.z * 0.5) << k.name;
      }
      EXPECT_EQ(faces[f].normal, k.normals[f]) << k.name;
    }
  }
}

// The host takes no bent four-corner face: the cube with a lifted corner builds
// only from the work copy on which BreakQuads split its three bent faces.
TEST_F(Builders, BentQuadsBuildOnlyOnceSplit) {
  const ON_Mesh bent = testmesh::Cube(0.25f);
  NewPart();
  host.Log().Clear();
  EXPECT_EQ(CreateSolidFromMesh(part.Get(), bent, 0.001, 0), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create body from surfaces");
  int refused = 0;
  for (const auto& r : host.Log().Of("HostBody", 72)) refused += r.result == E_INVALIDARG;
  EXPECT_EQ(refused, 3);
  EXPECT_EQ(Faces().size(), 3u);

  ON_Mesh work(bent);
  ASSERT_EQ(ZTKMesh::BreakQuads(work, 1, nullptr), 3);
  host.Log().Clear();
  EXPECT_EQ(CreateSolidFromMesh(part.Get(), work, 0.001, 0), 1);
  for (const auto& r : host.Log().Of("HostBody", 72)) EXPECT_EQ(r.result, S_OK) << r.args;
  EXPECT_EQ(Faces().size(), 9u);
}

TEST_F(Builders, ScaleChangesCornersNotNormals) {
  const ON_Mesh sphere = testmesh::Sphere(6, 8, 3.0f);
  NewPart();
  ASSERT_EQ(CreateSolidFromMesh(part.Get(), sphere, 0.001, 0), 1);
  const standin::FaceList mm = Faces();
  NewPart();
  ASSERT_EQ(CreateSolidFromMesh(part.Get(), sphere, 1.0, 0), 1);
  const standin::FaceList m = Faces();
  ASSERT_EQ(mm.size(), static_cast<size_t>(sphere.FaceCount()));
  ASSERT_EQ(m.size(), mm.size());
  for (size_t f = 0; f < m.size(); ++f) {
    EXPECT_EQ(m[f].normal, mm[f].normal);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(mm[f].corners[i], m[f].corners[i] * 0.001);
    const double len = std::sqrt(m[f].normal[0] * m[f].normal[0] + m[f].normal[1] * m[f].normal[1] +
                                 m[f].normal[2] * m[f].normal[2]);
    EXPECT_NEAR(len, 1.0, 1e-12);
  }
}

TEST_F(Builders, SolidProgressWithTheFlagOnAndOff) {
  const ON_Mesh tetra = testmesh::Tetrahedron();
  NewPart();
  ASSERT_EQ(CreateSolidFromMesh(part.Get(), tetra, 1.0, 1), 1);
  EXPECT_EQ(progress.hostCalls,
            (Lines{"0 new Creating solid||0|100|none @0", "0 max 4 @0", "0 start @0", "0 step 1 @0", "0 step 1 @1",
                   "0 step 1 @2", "0 step 1 @3",
                   "0 status Creating body from surfaces. This may take several minutes... @4", "0 end @5",
                   "0 destroy @5"}));
  progress.lines.clear();
  NewPart();
  ASSERT_EQ(CreateSolidFromMesh(part.Get(), tetra, 1.0, 0), 1);
  EXPECT_EQ(progress.lines, (Lines{"1 new Creating solid||0|100|none", "1 destroy"}));

  // A mesh without faces: no face, a maximum of 0, and the build call decides.
  progress.lines.clear();
  NewPart();
  EXPECT_EQ(CreateSolidFromMesh(part.Get(), ON_Mesh(), 1.0, 1), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create body from surfaces");
  EXPECT_EQ(progress.lines.size(), 6u);
  EXPECT_EQ(progress.lines[1], "2 max 0");
  EXPECT_EQ(host.Log().Lines(std::string_view("HostBody")).back(), "HostBody.12(&)");

  // A failed build: status and end still come, then the object goes.
  progress.lines.clear();
  NewPart();
  host.InjectFault("HostBody", 12, Fault::Fail(E_FAIL));
  EXPECT_EQ(CreateSolidFromMesh(part.Get(), tetra, 1.0, 1), 0);
  EXPECT_EQ(progress.lines.back(), "3 destroy");
  EXPECT_EQ(progress.lines[progress.lines.size() - 2], "3 end");
}

TEST_F(Builders, NoTemporaryBodyNoProgressObject) {
  struct Case {
    const char* name;
    Fault fault;
  };
  const Case cases[] = {{"Fails", Fault::Fail(E_FAIL)},
                        {"FailsWithNull", Fault::NullOut(E_FAIL)},
                        {"SucceedsWithNull", Fault::NullOut(S_OK)},
                        {"OtherSuccessCode", Fault::Fail(S_FALSE)}};
  for (const Case& c : cases) {
    NewPart();
    host.ClearFaults();
    host.InjectFault("HostPartDocument", 31, c.fault);
    ZTKSWON::SetLastErrorText(L"");
    host.Log().Clear();
    EXPECT_EQ(CreateSolidFromMesh(part.Get(), testmesh::Tetrahedron(), 1.0, 1), 0) << c.name;
    EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create new body") << c.name;
    EXPECT_EQ(progress.constructed, 0) << c.name;
    EXPECT_EQ(host.Log().Lines(), (Lines{"HostPartDocument.31(&)"})) << c.name;
  }
  EXPECT_EQ(CreateSolidFromMesh(nullptr, testmesh::Tetrahedron(), 1.0, 1), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create new body");
}

TEST_F(Builders, FaceArgumentsReachTheHostExactly) {
  NewPart();
  const ON_Mesh m = testmesh::Make({{1, 2, 3}, {4, 2, 3}, {1, 6, 3}, {0.5f, 0.25f, 3}}, {{0, 1, 2, 2}, {3, 1, 2, 0}});
  host.Log().Clear();
  CreateSolidFromMesh(part.Get(), m, 2.0, 0);
  EXPECT_EQ(host.Log().Args("HostBody", 72),
            (Lines{"3,[2,4,6,8,4,6,2,12,6],[0,0,1]", "4,[1,0.5,6,8,4,6,2,12,6,2,4,6],[0,0,1]"}));
}

}  // namespace
