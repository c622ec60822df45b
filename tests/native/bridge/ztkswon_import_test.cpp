// ImportMeshes and ImportMeshAsPart against the stand-in host: the host calls in
// order with their literal table positions, the documents made, the failures and
// the last-error text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bridge_fixture.h"
#include "meshes.h"

namespace {

using bridgetest::BridgeTest;
using bridgetest::Concat;
using bridgetest::Lines;
using bridgetest::Repeat;
using standin::Fault;

ON_ClassArray<ON_Mesh> Tetrahedra(int n) {
  ON_ClassArray<ON_Mesh> meshes;
  for (int i = 0; i < n; ++i) meshes.AppendNew() = testmesh::Tetrahedron(float(i + 1));
  return meshes;
}

Lines PartStart(const char* units = "3") {
  return {"HostApplication.19(&)", "HostApplication.8(&)", "HostDocument.237(1)", "HostDocument.235(0)",
          std::string("HostDocument.14(") + units + ")"};
}
const Lines kPartEnd = {"HostDocument.560()", "HostDocument.349()"};
const Lines kSketchEnter = {"HostDocument.656(0)"};
const Lines kSketchLeave = {"HostDocument.82()", "HostDocument.656(0)"};

Lines TetraSolid() {
  Lines l = {"HostPartDocument.31(&)"};
  Repeat(l, "HostBody.72(3)", 4);
  l.push_back("HostBody.12(&)");
  return l;
}
Lines TetraLines() {
  Lines l;
  Repeat(l, "HostDocument.542", 6);
  return l;
}

struct OrderCase {
  const char* name;
  int kind;
  BOOL multiBody;
  int meshes;
  Lines expected;
  int documents;
};

class ImportOrder : public BridgeTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(ImportOrder, HostCallsInOrder) {
  const OrderCase& c = GetParam();
  const ON_ClassArray<ON_Mesh> meshes = Tetrahedra(c.meshes);
  EXPECT_EQ(ImportMeshes(host.Application(), meshes, 3, c.kind, c.multiBody, 0), 1);
  EXPECT_EQ(Summary(), c.expected);
  ASSERT_EQ(host.Documents().size(), static_cast<size_t>(c.documents));
  for (const auto& doc : host.Documents()) {
    EXPECT_EQ(doc->LengthUnit(), 3);
    EXPECT_FALSE(doc->InSketch());  // every sketch entered was left
    const size_t perDoc = c.multiBody ? static_cast<size_t>(c.meshes) : 1;
    EXPECT_EQ(doc->Bodies().size(), c.kind == ImportAsSolid ? perDoc : 0u);
    EXPECT_EQ(doc->LineCount(), c.kind == ImportAs3DSketch ? 6 * perDoc : 0u);
    EXPECT_EQ(doc->Sketches().size(), c.kind == ImportAs3DSketch ? 1u : 0u);
  }
  EXPECT_EQ(progress.constructed, c.kind == 0 || c.kind == 1 ? c.meshes : 0);
}

INSTANTIATE_TEST_SUITE_P(
    KindsAndMultibody, ImportOrder,
    ::testing::Values(
        OrderCase{"SolidMultibody", 0, 1, 2, Concat({PartStart(), TetraSolid(), TetraSolid(), kPartEnd}), 1},
        OrderCase{"SolidPerPart", 0, 0, 2,
                  Concat({PartStart(), TetraSolid(), kPartEnd, PartStart(), TetraSolid(), kPartEnd}), 2},
        OrderCase{"SketchMultibody", 1, 1, 2,
                  Concat({PartStart(), kSketchEnter, TetraLines(), TetraLines(), kSketchLeave, kPartEnd}), 1},
        OrderCase{"SketchPerPart", 1, 0, 2,
                  Concat({PartStart(), kSketchEnter, TetraLines(), kSketchLeave, kPartEnd, PartStart(), kSketchEnter,
                          TetraLines(), kSketchLeave, kPartEnd}),
                  2},
        OrderCase{"KindTwoMultibody", 2, 1, 2, Concat({PartStart(), kPartEnd}), 1},
        OrderCase{"KindTwoPerPart", 2, 0, 2, Concat({PartStart(), kPartEnd, PartStart(), kPartEnd}), 2},
        OrderCase{"KindMinusOneMultibody", -1, 1, 1, Concat({PartStart(), kPartEnd}), 1},
        OrderCase{"KindMinusOnePerPart", -1, 0, 1, Concat({PartStart(), kPartEnd}), 1},
        OrderCase{"EmptySolidMultibody", 0, 1, 0, Concat({PartStart(), kPartEnd}), 1},
        OrderCase{"EmptySketchMultibody", 1, 1, 0, Concat({PartStart(), kSketchEnter, kSketchLeave, kPartEnd}), 1},
        OrderCase{"EmptyPerPart", 0, 0, 0, {}, 0},
        OrderCase{"EmptySketchPerPart", 1, 0, 0, {}, 0}),
    [](const ::testing::TestParamInfo<OrderCase>& i) { return std::string(i.param.name); });

void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }

TEST_F(BridgeTest, DocumentIsReleasedBeforePartAndNothingLeaks) {
  const ON_ClassArray<ON_Mesh> meshes = Tetrahedra(1);
  for (BOOL multi : {0, 1}) {
    host.Log().Clear();
    ASSERT_EQ(ImportMeshes(host.Application(), meshes, 2, ImportAsSolid, multi, 0), 1);
    const Lines all = host.Log().Lines(true);
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2], "HostDocument.2()");
    EXPECT_EQ(all[all.size() - 1], "HostPartDocument.2()");
  }
  CheckReferences();
}

TEST_F(BridgeTest, UnitsIndexOutsideTheListLeavesTheUnitAndScalesByOne) {
  ON_ClassArray<ON_Mesh> meshes;
  meshes.AppendNew() = testmesh::Make({{10, 0, 0}, {0, 2, 0}, {0, 0, 3}}, {{0, 1, 2, 2}});
  ASSERT_EQ(ImportMeshes(host.Application(), meshes, 7, ImportAs3DSketch, 1, 0), 1);
  EXPECT_EQ(host.Log().Count("HostDocument", 14), 0u);
  ASSERT_EQ(host.Documents().size(), 1u);
  EXPECT_EQ(host.Documents()[0]->LengthUnit(), standin::kUnitAsCreated);
  EXPECT_EQ(host.Log().Args("HostDocument", 542)[0], "10,0,0,0,2,0,&");

  host.Log().Clear();
  ASSERT_EQ(ImportMeshes(host.Application(), meshes, 3, ImportAs3DSketch, 0, 0), 1);
  EXPECT_EQ(host.Log().Args("HostDocument", 542)[0], "0.254,0,0,0,0.0508,0,&");
}

// Five meshes, the third of which fails: what stays, and the text.
struct FailCase {
  const char* name;
  BOOL multiBody;
  const char* role;
  int method;
  Fault fault;
  const wchar_t* text;
  size_t documents;         // documents made
  size_t bodiesInLast;      // bodies of the last document made
  uint64_t redraws;         // calls of 560 (and of 349) over all documents
  LONG unitOfLast;          // length unit of the last document made
  uint64_t bodyRequests;    // calls of part method 31: none for the meshes after the failing one
};

class FiveMeshes : public BridgeTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(FiveMeshes, ThirdFails) {
  const FailCase& c = GetParam();
  host.InjectFault(c.role, c.method, c.fault);
  const ON_ClassArray<ON_Mesh> meshes = Tetrahedra(5);
  EXPECT_EQ(ImportMeshes(host.Application(), meshes, 0, ImportAsSolid, c.multiBody, 1), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), c.text);
  ASSERT_EQ(host.Documents().size(), c.documents);
  EXPECT_EQ(host.Documents().back()->Bodies().size(), c.bodiesInLast);
  EXPECT_EQ(host.CallCount("HostDocument", 560), c.redraws);
  EXPECT_EQ(host.CallCount("HostDocument", 349), c.redraws);
  EXPECT_EQ(host.Documents().back()->LengthUnit(), c.unitOfLast);
  EXPECT_EQ(host.CallCount("HostPartDocument", 31), c.bodyRequests);
  if (!c.multiBody) {
    // The earlier parts are complete: unit and body.
    for (size_t i = 0; i + 1 < host.Documents().size(); ++i) {
      EXPECT_EQ(host.Documents()[i]->Bodies().size(), 1u);
      EXPECT_EQ(host.Documents()[i]->LengthUnit(), 0);
    }
  }
  // The failing solid left its progress window without an end; the later meshes made none.
  EXPECT_LE(progress.constructed, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FiveMeshes,
    ::testing::Values(
        FailCase{"BuildFailsPerPart", 0, "HostBody", 12, Fault::Fail(E_FAIL, 3), L"Unable to create body from surfaces",
                 3, 0, 3, 0, 3},
        FailCase{"BuildFailsMultibody", 1, "HostBody", 12, Fault::Fail(E_FAIL, 3),
                 L"Unable to create body from surfaces", 1, 2, 1, 0, 3},
        FailCase{"TemporaryBodyFailsPerPart", 0, "HostPartDocument", 31, Fault::Fail(E_FAIL, 3),
                 L"Unable to create new body", 3, 0, 3, 0, 3},
        FailCase{"TemporaryBodyNullMultibody", 1, "HostPartDocument", 31, Fault::NullOut(S_OK, 3),
                 L"Unable to create new body", 1, 2, 1, 0, 3},
        // Only S_OK counts: a body handed out with S_FALSE is released unused, and
        // a body the host built but reported with S_FALSE is a failure.
        FailCase{"TemporaryBodyWithSFalsePerPart", 0, "HostPartDocument", 31, Fault::After(S_FALSE, 3),
                 L"Unable to create new body", 3, 0, 3, 0, 3},
        FailCase{"BuildSaysSFalseMultibody", 1, "HostBody", 12, Fault::After(S_FALSE, 3),
                 L"Unable to create body from surfaces", 1, 3, 1, 0, 3},
        FailCase{"NoPartPerPart", 0, "HostApplication", 19, Fault::NullOut(S_OK, 3), L"Unable to create new part", 2,
                 1, 2, 0, 2},
        // The third part stays as the host made it: no length unit, no finishing calls.
        FailCase{"NoDocumentPerPart", 0, "HostApplication", 8, Fault::NullOut(S_OK, 3),
                 L"Unable to retrieve active model", 3, 0, 2, standin::kUnitAsCreated, 2}),
    [](const ::testing::TestParamInfo<FailCase>& i) { return std::string(i.param.name); });

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }

TEST_F(BridgeTest, MultibodyFailsBeforeAnyMeshInItsOwnWords) {
  const ON_ClassArray<ON_Mesh> meshes = Tetrahedra(2);
  host.InjectFault("HostApplication", 19, Fault::NullOut(S_OK));
  EXPECT_EQ(ImportMeshes(host.Application(), meshes, 3, ImportAsSolid, 1, 0), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create part");
  EXPECT_EQ(Summary(), (Lines{"HostApplication.19(&)"}));
  EXPECT_EQ(ImportMeshes(host.Application(), meshes, 3, ImportAsSolid, 0, 0), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create new part");

  host.ClearFaults();
  host.Log().Clear();
  host.InjectFault("HostApplication", 8, Fault::NullOut(S_OK));
  EXPECT_EQ(ImportMeshes(host.Application(), meshes, 3, ImportAs3DSketch, 1, 0), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to retrieve active model");
  EXPECT_EQ(Summary(), (Lines{"HostApplication.19(&)", "HostApplication.8(&)"}));
  ASSERT_EQ(host.Documents().size(), 1u);
  EXPECT_EQ(host.Documents()[0]->LengthUnit(), standin::kUnitAsCreated);
  // A null application is a host that gives no part.
  EXPECT_EQ(ImportMeshes(nullptr, meshes, 3, ImportAsSolid, 1, 0), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create part");
  EXPECT_EQ(ImportMeshes(nullptr, meshes, 3, ImportAsSolid, 0, 0), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create new part");
}

// The new part and the active document count when the host hands them out,
// whatever the call returned.
TEST_F(BridgeTest, PartAndDocumentAreJudgedByTheirPointers) {
  host.InjectFault("HostApplication", 19, Fault::After(E_FAIL));
  host.InjectFault("HostApplication", 8, Fault::After(S_FALSE));
  const ON_ClassArray<ON_Mesh> meshes = Tetrahedra(2);
  for (BOOL multi : {1, 0}) {
    EXPECT_EQ(ImportMeshes(host.Application(), meshes, 0, ImportAsSolid, multi, 0), 1) << multi;
    EXPECT_EQ(ImportMeshes(host.Application(), meshes, 0, ImportAs3DSketch, multi, 0), 1) << multi;
  }
  ASSERT_EQ(host.Documents().size(), 6u);
  for (const auto& doc : host.Documents()) {
    EXPECT_EQ(doc->LengthUnit(), 0);
    EXPECT_EQ(doc->ZoomToFitCount(), 1);
  }
  EXPECT_EQ(host.Documents()[0]->Bodies().size(), 2u);
  EXPECT_EQ(host.Documents()[1]->LineCount(), 12u);
}

TEST_F(BridgeTest, LastErrorTextSurvivesLaterSuccess) {
  const ON_ClassArray<ON_Mesh> meshes = Tetrahedra(1);
  host.InjectFault("HostBody", 12, Fault::Fail(E_FAIL, 1));
  ASSERT_EQ(ImportMeshes(host.Application(), meshes, 0, ImportAsSolid, 1, 0), 0);
  ASSERT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create body from surfaces");
  ASSERT_EQ(ImportMeshes(host.Application(), meshes, 0, ImportAsSolid, 1, 0), 1);
  ASSERT_EQ(ImportMeshes(host.Application(), meshes, 0, ImportAs3DSketch, 0, 0), 1);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create body from surfaces");
  // The text handed out is a copy.
  CString copy = ZTKSWON::GetLastErrorText();
  copy.Empty();
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create body from surfaces");
  ZTKSWON::SetLastErrorText(L"x");
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"x");
}

TEST_F(BridgeTest, SolidPathLeavesTheCallersMeshesAlone) {
  // The lifted cube has three non-planar quads: the host gets them split, the
  // caller's meshes keep them, and gain no topology.
  ON_ClassArray<ON_Mesh> meshes;
  meshes.AppendNew() = testmesh::Cube(0.25f);
  meshes.AppendNew() = testmesh::Cube(0.0f);
  const ON_Mesh before0 = meshes[0];
  for (BOOL multi : {1, 0}) {
    host.Log().Clear();
    ASSERT_EQ(ImportMeshes(host.Application(), meshes, 2, ImportAsSolid, multi, 0), 1) << multi;
    EXPECT_EQ(host.Log().Count("HostBody", 72), 9u + 6u) << multi;  // 3 quads + 6 triangles, then 6 quads
    for (int m = 0; m < 2; ++m) {
      EXPECT_EQ(meshes[m].FaceCount(), 6);
      EXPECT_EQ(meshes[m].QuadCount(), 6);
      EXPECT_FALSE(meshes[m].HasTopology());
    }
    for (int f = 0; f < 6; ++f)
      for (int k = 0; k < 4; ++k) EXPECT_EQ(meshes[0].m_F[f].vi[k], before0.m_F[f].vi[k]);
  }
  const Lines corners = [&] {
    Lines l;
    for (const auto& r : host.Log().Of("HostBody", 72)) l.push_back(r.args.substr(0, 1));
    return l;
  }();
  EXPECT_EQ(std::count(corners.begin(), corners.end(), "3"), 6);
  EXPECT_EQ(std::count(corners.begin(), corners.end(), "4"), 9);
}

TEST_F(BridgeTest, ClosedMeshesBuildBodiesAndAnOpenOneFails) {
  struct Case {
    const char* name;
    ON_Mesh mesh;
    bool builds;
  };
  const ON_Mesh sphere = testmesh::Sphere(12, 24, 5.0f);
  const Case cases[] = {
      {"Cube", testmesh::Cube(), true},
      {"LiftedCube", testmesh::Cube(0.3f), true},
      {"Sphere", sphere, true},
      {"CubeWithoutAFace", testmesh::WithoutFace(testmesh::Cube(), 2), false},
      {"SphereWithoutAFace", testmesh::WithoutFace(sphere, 40), false},
  };
  for (const Case& c : cases) {
    ZTKSWON::SetLastErrorText(L"");
    ON_ClassArray<ON_Mesh> meshes;
    meshes.Append(c.mesh);
    const size_t before = host.Documents().size();
    EXPECT_EQ(ImportMeshes(host.Application(), meshes, 0, ImportAsSolid, 1, 0), c.builds ? 1 : 0) << c.name;
    ASSERT_EQ(host.Documents().size(), before + 1) << c.name;
    const standin::Document& doc = *host.Documents().back();
    EXPECT_EQ(doc.Bodies().size(), c.builds ? 1u : 0u) << c.name;
    EXPECT_EQ(ZTKSWON::GetLastErrorText(), c.builds ? L"" : L"Unable to create body from surfaces") << c.name;
    if (!c.builds) {
      EXPECT_FALSE(doc.TemporaryBodies().back()->BuildProblem().empty()) << c.name;
    }
  }
}

TEST_F(BridgeTest, SketchMultibodyPutsAllMeshesInOneSketch) {
  const ON_ClassArray<ON_Mesh> meshes = Tetrahedra(3);
  ASSERT_EQ(ImportMeshes(host.Application(), meshes, 2, ImportAs3DSketch, 1, 1), 1);
  ASSERT_EQ(host.Documents().size(), 1u);
  ASSERT_EQ(host.Documents()[0]->Sketches().size(), 1u);
  EXPECT_EQ(host.Documents()[0]->Sketches()[0].lines.size(), 18u);
  // The sketch path caches each mesh's topology and changes nothing else.
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(meshes[i].HasTopology());
    EXPECT_EQ(meshes[i].FaceCount(), 4);
  }
  // Three progress windows, one per mesh, one after the other.
  int started = 0;
  for (const std::string& l : progress.lines)
    if (l.find(" new Creating mesh|") != std::string::npos) ++started;
  EXPECT_EQ(started, 3);
  EXPECT_EQ(progress.lines.front(), "0 new Creating mesh||0|100|none");
  EXPECT_EQ(progress.lines.back(), "2 destroy");
}

TEST_F(BridgeTest, InvalidFaceIndicesAreRefusedNotRead) {
  ON_ClassArray<ON_Mesh> meshes;
  meshes.AppendNew() = testmesh::Make({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, 2}, {0, 1, 99, 99}});
  EXPECT_EQ(ImportMeshes(host.Application(), meshes, 0, ImportAsSolid, 1, 1), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Unable to create body from surfaces");
  EXPECT_EQ(host.CallCount("HostPartDocument", 31), 0u);
  EXPECT_EQ(progress.constructed, 0);
  EXPECT_EQ(host.CallCount("HostDocument", 560), 1u);
  // The sketch path draws the faces that can be drawn.
  ASSERT_EQ(ImportMeshes(host.Application(), meshes, 0, ImportAs3DSketch, 1, 0), 1);
  EXPECT_EQ(host.Documents().back()->LineCount(), 3u);
}

}  // namespace
