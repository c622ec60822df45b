// Bodies, parts, assembly components and documents read back from the stand-in host
// as meshes: the host calls with their literal table positions, the meshes, their
// colours and names, the failures and their texts.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "StandInHostTest.h"
#include "ZTKSWON.h"

namespace {

using standin::Body;
using standin::Document;
using standin::DocumentKind;
using standin::Fault;
using standin::Tessellation;
using Lines = std::vector<std::string>;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A face of the given triangles, each as nine floats.
Tessellation Triangles(std::initializer_list<std::array<float, 9>> triangles) {
  Tessellation t;
  for (const auto& tri : triangles) t.insert(t.end(), tri.begin(), tri.end());
  return t;
}

// The unit square as two triangles sharing their diagonal, at height z.
Tessellation Square(float z = 0) { return Triangles({{0, 0, z, 1, 0, z, 1, 1, z}, {0, 0, z, 1, 1, z, 0, 1, z}}); }

std::vector<std::array<float, 3>> Corners(const ON_Mesh& m) {
  std::vector<std::array<float, 3>> out;
  for (int f = 0; f < m.FaceCount(); ++f)
    for (int k = 0; k < 3; ++k) {
      const ON_3fPoint& p = m.m_V[m.m_F[f].vi[k]];
      out.push_back({p.x, p.y, p.z});
    }
  return out;
}

std::vector<std::string> Names(const CStringArray& names) {
  std::vector<std::string> out;
  for (int i = 0; i < names.GetSize(); ++i) out.push_back(names[i].ToUtf8());
  return out;
}

std::string LastError() { return ZTKSWON::GetLastErrorText().ToUtf8(); }

class HostMeshes : public standin::StandInHostTest {
 protected:
  HostMeshes() { ZTKSWON::SetLastErrorText(L""); }

  Document& NewPart(const wchar_t* title = L"Bracket.SLDPRT") {
    Document& part = host.AddDocument(DocumentKind::Part);
    part.ReadBack().title = title;
    return part;
  }

  // The calls of the given roles, without AddRef and Release.
  Lines Calls(std::initializer_list<const char*> roles) const {
    Lines out;
    for (const auto& r : host.Log().Records()) {
      if (r.method == 1 || r.method == 2) continue;
      for (const char* role : roles)
        if (std::string(role) == r.role) out.push_back(r.Text());
    }
    return out;
  }
};

// --- AppendTriangle -----------------------------------------------------------------------

struct TriangleCase {
  const char* name;
  ON_3dPoint a, b, c;
  bool appended;
};
void PrintTo(const TriangleCase& c, std::ostream* os) { *os << c.name; }

class AppendTriangleCases : public ::testing::TestWithParam<TriangleCase> {};

TEST_P(AppendTriangleCases, RefusesWhatTheTopologyTestRefuses) {
  const TriangleCase& t = GetParam();
  ON_Mesh mesh = [] {
    ON_Mesh m;
    AppendTriangle(m, ON_3dPoint(5, 5, 5), ON_3dPoint(6, 5, 5), ON_3dPoint(5, 6, 5));
    return m;
  }();
  EXPECT_EQ(AppendTriangle(mesh, t.a, t.b, t.c), t.appended ? 1 : 0);
  ASSERT_EQ(mesh.VertexCount(), t.appended ? 6 : 3);
  ASSERT_EQ(mesh.FaceCount(), t.appended ? 2 : 1);
  if (t.appended) {
    EXPECT_EQ(mesh.m_F[1].vi[0], 3);
    EXPECT_EQ(mesh.m_F[1].vi[1], 4);
    EXPECT_EQ(mesh.m_F[1].vi[2], 5);
    EXPECT_TRUE(mesh.m_F[1].IsTriangle());
    EXPECT_EQ(mesh.m_V[4], ON_3fPoint(t.b));
  }
  // The verdict for finite corners is that of the one-triangle mesh's topology.
  ON_Mesh one;
  one.SetVertex(0, t.a);
  one.SetVertex(1, t.b);
  one.SetVertex(2, t.c);
  one.SetTriangle(0, 0, 1, 2);
  const bool finite = std::isfinite(one.m_V[0].x) && std::isfinite(one.m_V[1].x) && std::isfinite(one.m_V[2].x);
  if (finite) {
    EXPECT_EQ(one.Topology().IsValid(), t.appended);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Corners, AppendTriangleCases,
    ::testing::Values(TriangleCase{"Ordinary", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, true},
                      TriangleCase{"Collinear", {0, 0, 0}, {1, 0, 0}, {2, 0, 0}, true},
                      TriangleCase{"TwoCornersAtOneLocation", {0, 0, 0}, {1, 0, 0}, {1, 0, 0}, false},
                      TriangleCase{"FirstAndLastAtOneLocation", {0, 1, 0}, {1, 0, 0}, {0, 1, 0}, false},
                      TriangleCase{"NegativeZeroIsZero", {0, 0, 0}, {-0.0, 0, -0.0}, {0, 1, 0}, false},
                      TriangleCase{"OneLocationAsFloats", {1, 0, 0}, {1 + 1e-9, 0, 0}, {0, 1, 0}, false},
                      TriangleCase{"NotANumber", {kNaN, 0, 0}, {1, 0, 0}, {0, 1, 0}, false},
                      TriangleCase{"Infinite", {0, 0, 0}, {HUGE_VAL, 0, 0}, {0, 1, 0}, false},
                      TriangleCase{"BeyondFloat", {0, 0, 0}, {1e300, 0, 0}, {0, 1, 0}, false}),
    [](const ::testing::TestParamInfo<TriangleCase>& i) { return std::string(i.param.name); });

// --- GetMeshFromBody ------------------------------------------------------------------------

TEST_F(HostMeshes, BodyIsReadFaceByFaceWithTheHostsCalls) {
  Document& part = NewPart();
  Body& body = standin::AddBody(part, {Square(), {}, Triangles({{0, 0, 1, 1, 0, 1, 0, 1, 1}})});
  ON_Mesh mesh;
  ASSERT_EQ(GetMeshFromBody(body.Interface(), mesh), 1);
  // A face of no triangles still has its (empty) array filled.
  EXPECT_EQ(Calls({"HostBody", "HostFace"}),
            (Lines{"HostBody.8(&)", "HostFace.48(&)", "HostFace.46(0,&)", "HostFace.18(&)", "HostFace.48(&)",
                   "HostFace.46(0,&)", "HostFace.18(&)", "HostFace.48(&)", "HostFace.46(0,&)", "HostFace.18(&)"}));
  // The square's shared corners merge: 4 vertices, not 6; the last triangle adds 3.
  EXPECT_EQ(mesh.VertexCount(), 7);
  ASSERT_EQ(mesh.FaceCount(), 3);
  EXPECT_EQ(Corners(mesh), (std::vector<std::array<float, 3>>{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {1, 1, 0},
                                                              {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}}));
  for (int f = 0; f < mesh.FaceCount(); ++f) EXPECT_TRUE(mesh.m_F[f].IsTriangle());
  EXPECT_EQ(mesh.m_N.Count(), 0);
  EXPECT_EQ(mesh.m_T.Count(), 0);
  EXPECT_EQ(mesh.m_C.Count(), 0);
  EXPECT_TRUE(mesh.IsValid());
}

TEST_F(HostMeshes, RefusedTrianglesAndFailingFacesAreLeftOut) {
  Document& part = NewPart();
  // The middle triangle has two corners at one location, the last one a NaN.
  const Tessellation face = Triangles({{0, 0, 0, 1, 0, 0, 0, 1, 0},
                                       {2, 0, 0, 3, 0, 0, 3, 0, 0},
                                       {4, 0, 0, 5, 0, 0, 4, 1, 0},
                                       {kNaN, 0, 0, 7, 0, 0, 6, 1, 0}});
  Body& body = standin::AddBody(part, {face, Square(5), Square(6)});
  host.InjectFault("HostFace", 48, Fault::Fail(E_FAIL, 2));  // the second face's count
  host.InjectFault("HostFace", 46, Fault::Fail(E_FAIL, 2));  // the third face's triangles (46 of face 2 is not called)
  ON_Mesh mesh;
  ASSERT_EQ(GetMeshFromBody(body.Interface(), mesh), 1);
  EXPECT_EQ(Corners(mesh),
            (std::vector<std::array<float, 3>>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {4, 0, 0}, {5, 0, 0}, {4, 1, 0}}));
  EXPECT_EQ(host.Log().Count("HostFace", 46), 2u);
  EXPECT_EQ(host.Log().Count("HostFace", 18), 3u);
}

TEST_F(HostMeshes, BodyWithoutAValidMeshFailsAndLeavesTheMesh) {
  Document& part = NewPart();
  Body& degenerate = standin::AddBody(part, {Triangles({{0, 0, 0, 1, 0, 0, 1, 0, 0}}), {}});
  Body& faceless = standin::AddBody(part, {});
  ON_Mesh mesh;
  AppendTriangle(mesh, ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0), ON_3dPoint(0, 1, 0));

  EXPECT_EQ(GetMeshFromBody(degenerate.Interface(), mesh), 0);
  EXPECT_EQ(LastError(), "[ZTKSWON::GetMeshFromBody] Invalid mesh");
  EXPECT_EQ(GetMeshFromBody(faceless.Interface(), mesh), 0);
  EXPECT_EQ(LastError(), "Unable to get first face of body");
  host.InjectFault("HostBody", 8, Fault::Fail(E_FAIL));
  ZTKSWON::SetLastErrorText(L"");
  EXPECT_EQ(GetMeshFromBody(degenerate.Interface(), mesh), 0);
  EXPECT_EQ(LastError(), "Unable to get first face of body");
  EXPECT_EQ(GetMeshFromBody(nullptr, mesh), 0);
  EXPECT_EQ(mesh.FaceCount(), 1);  // untouched throughout
  EXPECT_EQ(mesh.VertexCount(), 3);
}

// A face the stand-in's bodies never give: a negative triangle count, and itself as
// its own next face.
struct HostileFace : standin::Object {
  static const standin::MethodTable& Table() {
    static const standin::RoleInfo role{"HostileFace", {0x5354414E, 0x0099, 0x4D48, {0x8F, 0, 0, 0, 0, 0, 0, 0x99}}};
    static const standin::MethodTable table = standin::MethodTable::For<HostFace>(role)
                                                  .Set(48, &Count)
                                                  .Set(18, &Next);
    return table;
  }
  static HRESULT STDMETHODCALLTYPE Count(standin::Face* self, LONG* count) {
    standin::CallScope call(self, 48);
    *count = -5;
    return call.Return(S_OK);
  }
  static HRESULT STDMETHODCALLTYPE Next(standin::Face* self, HostFace** next) {
    standin::CallScope call(self, 18);
    *next = self->Give<HostFace>();
    return call.Return(S_OK);
  }
  explicit HostileFace(standin::HostCore& core) : Object(core), face(*this, Table()) {}
  standin::Face face;
};

TEST_F(HostMeshes, NegativeCountAndAFaceThatNamesItselfNext) {
  // A host of their own, which outlives them, unlike the fixture's.
  standin::HostCore core;
  HostileFace hostile(core);
  struct FirstFaceIsHostile : standin::Object {
    static HRESULT STDMETHODCALLTYPE First(standin::Face* self, HostFace** face) {
      standin::CallScope call(self, 8);
      *face = self->OwnerAs<FirstFaceIsHostile>()->hostile->face.Give<HostFace>();
      return call.Return(S_OK);
    }
    FirstFaceIsHostile(standin::HostCore& core, HostileFace& h)
        : Object(core), hostile(&h), face(*this, [] () -> const standin::MethodTable& {
            static const standin::MethodTable table =
                standin::MethodTable::For<HostBody>(standin::kRoleBody).Set(8, &First);
            return table;
          }()) {}
    HostileFace* hostile;
    standin::Face face;
  } body(core, hostile);
  ON_Mesh mesh;
  EXPECT_EQ(GetMeshFromBody(body.face.As<HostBody>(), mesh), 0);
  EXPECT_EQ(LastError(), "[ZTKSWON::GetMeshFromBody] Invalid mesh");
  EXPECT_EQ(core.CallCount("HostileFace", 46), 0u);  // no array for a negative count
  EXPECT_EQ(core.CallCount("HostileFace", 18), 1u);  // and one step, not an endless walk
  EXPECT_TRUE(core.ReferenceProblems().empty());
}

// --- GetPartMeshes and GetComponentMeshes ----------------------------------------------------

struct TitleCase {
  const char* name;
  const wchar_t* title;
  bool documentRole;
  const char* expected;
};
void PrintTo(const TitleCase& c, std::ostream* os) { *os << c.name; }

class PartTitles : public HostMeshes, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(PartTitles, NamesAreTitleUpToItsLastFullStopAndBodyName) {
  const TitleCase& c = GetParam();
  Document& part = NewPart(c.title);
  standin::AddBody(part, {Square()});
  if (!c.documentRole) host.InjectFault("HostPartDocument", 0, Fault::NullOut(E_NOINTERFACE));
  ON_ClassArray<ON_Mesh> meshes;
  CStringArray names;
  ASSERT_EQ(GetPartMeshes(part.PartInterface(), meshes, &names, VARIANT_TRUE), 1);
  EXPECT_EQ(Names(names), (std::vector<std::string>{c.expected}));
  EXPECT_EQ(host.Log().Count("HostDocument", 90), c.documentRole ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Titles, PartTitles,
                         ::testing::Values(TitleCase{"WithExtension", L"Bracket.SLDPRT", true, "Bracket-Body1"},
                                           TitleCase{"SeveralStops", L"my.bracket.v2.SLDPRT", true,
                                                     "my.bracket.v2-Body1"},
                                           TitleCase{"NoStop", L"Bracket", true, "-Body1"},
                                           TitleCase{"NoDocumentRole", L"Bracket.SLDPRT", false, "Part-Body1"}),
                         [](const ::testing::TestParamInfo<TitleCase>& i) { return std::string(i.param.name); });

struct ColourCase {
  const char* name;
  std::optional<standin::MaterialValues> material;
  std::array<int, 4> rgba;
};
void PrintTo(const ColourCase& c, std::ostream* os) { *os << c.name; }

class PartColours : public HostMeshes, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(PartColours, OneColourPerMeshFromTheMaterialValues) {
  const ColourCase& c = GetParam();
  Document& part = NewPart();
  part.ReadBack().material = c.material;
  standin::AddBody(part, {Square()});
  standin::AddBody(part, {Square(), Square(1)});
  ON_ClassArray<ON_Mesh> meshes;
  ASSERT_EQ(GetPartMeshes(part.PartInterface(), meshes, nullptr, VARIANT_TRUE), 1);
  ASSERT_EQ(meshes.Count(), 2);
  for (int i = 0; i < meshes.Count(); ++i) {
    ASSERT_EQ(meshes[i].m_C.Count(), 1);  // one entry, whatever the vertex count
    const ON_Color colour = meshes[i].m_C[0];
    EXPECT_EQ((std::array<int, 4>{colour.Red(), colour.Green(), colour.Blue(), colour.Alpha()}), c.rgba);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Materials, PartColours,
    ::testing::Values(ColourCase{"NoValuesIsWhiteWithAlphaZero", std::nullopt, {255, 255, 255, 0}},
                      ColourCase{"Fractions", standin::MaterialValues{1.0, 0.5, 0.0, 9, 9, 9, 9, 0.25, 9},
                                 {255, 127, 0, 191}},
                      ColourCase{"Opaque", standin::MaterialValues{0.2, 0.4, 0.8, 0, 0, 0, 0, 0.0, 0},
                                 {51, 102, 204, 255}},
                      ColourCase{"Clamped", standin::MaterialValues{1.5, -0.5, 1e300, 0, 0, 0, 0, 2.0, 0},
                                 {255, 0, 255, 0}},
                      ColourCase{"NotANumberIsZero", standin::MaterialValues{std::nan(""), 1, 1, 0, 0, 0, 0, -1e300, 0},
                                 {0, 255, 255, 255}}),
    [](const ::testing::TestParamInfo<ColourCase>& i) { return std::string(i.param.name); });

TEST_F(HostMeshes, PartBodiesOfCodeZeroComeFirstAndASecondCallAppends) {
  Document& part = NewPart();
  Body& sheet = standin::AddBody(part, {Square(3)}, standin::kSheetBody);
  sheet.ReadBack().name = L"Skin";
  Body& solid = standin::AddBody(part, {Square(4)});
  solid.ReadBack().name = L"Core";
  ON_ClassArray<ON_Mesh> meshes;
  CStringArray names;
  ASSERT_EQ(GetPartMeshes(part.PartInterface(), meshes, &names, VARIANT_FALSE), 1);
  EXPECT_EQ(Calls({"HostPartDocument", "HostBodyEnumerator"}),
            (Lines{"HostPartDocument.0({B90793FB-EF3D-4B80-A5C4-99959CDB6CEB},&)", "HostPartDocument.88(&)",
                   "HostPartDocument.141(0,0,&)", "HostBodyEnumerator.3(1,&,null)",
                   "HostBodyEnumerator.3(1,&,null)", "HostPartDocument.141(1,0,&)",
                   "HostBodyEnumerator.3(1,&,null)", "HostBodyEnumerator.3(1,&,null)"}));
  EXPECT_EQ(Names(names), (std::vector<std::string>{"Bracket-Core", "Bracket-Skin"}));
  ASSERT_EQ(meshes.Count(), 2);
  EXPECT_EQ(meshes[0].m_V[0].z, 4.0f);
  EXPECT_EQ(meshes[1].m_V[0].z, 3.0f);

  ASSERT_EQ(GetPartMeshes(part.PartInterface(), meshes, &names, VARIANT_TRUE), 1);
  EXPECT_EQ(meshes.Count(), 4);
  EXPECT_EQ(Names(names), (std::vector<std::string>{"Bracket-Core", "Bracket-Skin", "Bracket-Core", "Bracket-Skin"}));
  EXPECT_EQ(host.Log().Args("HostPartDocument", 141).back(), "1,-1,&");
}

TEST_F(HostMeshes, PartWithoutNamesAsksForNoBodyName) {
  Document& part = NewPart();
  standin::AddBody(part, {Square()});
  ON_ClassArray<ON_Mesh> meshes;
  ASSERT_EQ(GetPartMeshes(part.PartInterface(), meshes, nullptr, VARIANT_TRUE), 1);
  EXPECT_EQ(meshes.Count(), 1);
  EXPECT_EQ(host.CallCount("HostBody", 173), 0u);
}

TEST_F(HostMeshes, PartFailuresAndTheTextThatStays) {
  Document& part = NewPart();
  ON_ClassArray<ON_Mesh> meshes;
  meshes.AppendNew();
  CStringArray names;
  names.Add(L"before");
  EXPECT_EQ(GetPartMeshes(part.PartInterface(), meshes, &names, VARIANT_TRUE), 0);
  EXPECT_EQ(LastError(), "Unable to get part bodies");
  EXPECT_EQ(meshes.Count(), 1);
  EXPECT_EQ(Names(names), (std::vector<std::string>{"before"}));
  EXPECT_EQ(GetPartMeshes(nullptr, meshes, &names, VARIANT_TRUE), 0);

  // A body that gives no mesh is passed over; its text stays after a success.
  standin::AddBody(part, {});
  standin::AddBody(part, {Square()});
  ZTKSWON::SetLastErrorText(L"");
  EXPECT_EQ(GetPartMeshes(part.PartInterface(), meshes, &names, VARIANT_TRUE), 1);
  EXPECT_EQ(Names(names), (std::vector<std::string>{"before", "Bracket-Body2"}));
  EXPECT_EQ(LastError(), "Unable to get first face of body");

  // No enumerator for either code.
  host.InjectFault("HostPartDocument", 141, Fault::NullOut(S_OK));
  EXPECT_EQ(GetPartMeshes(part.PartInterface(), meshes, &names, VARIANT_TRUE), 0);
  EXPECT_EQ(LastError(), "Unable to get part bodies");
  EXPECT_EQ(meshes.Count(), 2);
}

TEST_F(HostMeshes, ComponentMeshesAreNamedByTheComponentWithoutColour) {
  Document& part = NewPart();
  part.ReadBack().material = standin::MaterialValues{1, 0, 0, 0, 0, 0, 0, 0, 0};
  standin::AddBody(part, {Square()});
  Document& assembly = host.AddDocument(DocumentKind::Assembly);
  standin::Component& c = standin::Components(assembly).Root().AddChild(&part, L"Arm-1");
  ON_ClassArray<ON_Mesh> meshes;
  CStringArray names;
  ASSERT_EQ(GetComponentMeshes(c.Interface(), meshes, &names), 1);
  EXPECT_EQ(Names(names), (std::vector<std::string>{"Arm-1-Body1"}));
  EXPECT_EQ(meshes[0].m_C.Count(), 0);
  EXPECT_EQ(Calls({"HostComponent"}),
            (Lines{"HostComponent.69(&)", "HostComponent.119(0,&)", "HostComponent.119(1,&)"}));

  host.InjectFault("HostComponent", 69, Fault::Fail(E_FAIL));
  ASSERT_EQ(GetComponentMeshes(c.Interface(), meshes, &names), 1);
  EXPECT_EQ(Names(names).back(), "Component-Body1");

  standin::Component& empty = standin::Components(assembly).Root().AddChild(nullptr, L"Nothing");
  EXPECT_EQ(GetComponentMeshes(empty.Interface(), meshes, &names), 0);
  EXPECT_EQ(LastError(), "Unable to get component bodies");
  EXPECT_EQ(meshes.Count(), 2);
  EXPECT_EQ(GetComponentMeshes(nullptr, meshes, &names), 0);
}

// --- assemblies and documents -------------------------------------------------------------------

class Assemblies : public HostMeshes {
 protected:
  // Two parts: "Pin" with one body, "Plate" with two; an assembly of the root (no
  // bodies), A (a pin), B (a plate) and, below B, C (another pin).
  void SetUp() override {
    pin = &NewPart(L"Pin.SLDPRT");
    standin::AddBody(*pin, {Triangles({{0, 0, 0, 1, 0, 0, 0, 1, 0}})});
    plate = &NewPart(L"Plate.SLDPRT");
    standin::AddBody(*plate, {Square()});
    standin::AddBody(*plate, {Square(1)});
    assembly = &host.AddDocument(DocumentKind::Assembly);
    standin::Component& root = standin::Components(*assembly).Root();
    a = &root.AddChild(pin, L"A", standin::Placement({1, 0, 0, 0, 1, 0, 0, 0, 1}, {10, 0, 0}));
    b = &root.AddChild(plate, L"B", standin::Placement({1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 20, 0}));
    c = &b->AddChild(pin, L"C", standin::Placement({1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 30}));
  }

  Document* pin = nullptr;
  Document* plate = nullptr;
  Document* assembly = nullptr;
  standin::Component *a = nullptr, *b = nullptr, *c = nullptr;
};

TEST_F(Assemblies, PreOrderWalkEachComponentPlacedByItsOwnTransform) {
  ON_ClassArray<ON_Mesh> meshes;
  CStringArray names;
  meshes.AppendNew();
  names.Add(L"old");
  ASSERT_EQ(GetDocumentMeshes(assembly->DocumentInterface(), meshes, &names), 1);
  EXPECT_EQ(Names(names), (std::vector<std::string>{"A", "B-Body1", "B-Body2", "C"}));
  ASSERT_EQ(meshes.Count(), 4);
  EXPECT_EQ(meshes[0].m_V[0], ON_3fPoint(10, 0, 0));
  EXPECT_EQ(meshes[1].m_V[0], ON_3fPoint(0, 20, 0));
  EXPECT_EQ(meshes[2].m_V[0], ON_3fPoint(0, 20, 1));
  EXPECT_EQ(meshes[3].m_V[0], ON_3fPoint(0, 0, 30));  // B's placement is not carried down
  // The root has no bodies, and its text stays behind the success.
  EXPECT_EQ(LastError(), "Unable to get component bodies");
  EXPECT_EQ(host.Log().Args("HostAssemblyDocument", 62), (Lines{"0,&"}));
  EXPECT_EQ(host.Log().Args("HostComponent", 9).size(), 4u);  // every component is asked for children

  // Without names, the same meshes.
  ON_ClassArray<ON_Mesh> unnamed;
  ASSERT_EQ(GetDocumentMeshes(assembly->DocumentInterface(), unnamed, nullptr), 1);
  ASSERT_EQ(unnamed.Count(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Corners(unnamed[i]), Corners(meshes[i])) << i;
}

TEST_F(Assemblies, TheComponentsCallsInOrder) {
  ON_ClassArray<ON_Mesh> meshes;
  CStringArray names;
  host.Log().Clear();
  EXPECT_EQ(GetAssemblyMeshes(a->Interface(), meshes, &names), 0);
  EXPECT_EQ(Calls({"HostComponent", "HostDocument", "HostPartDocument"}),
            (Lines{"HostComponent.69(&)", "HostComponent.69(&)", "HostComponent.119(0,&)", "HostComponent.119(1,&)",
                   "HostComponent.31(&)", "HostDocument.13(&)", "HostComponent.11(&)", "HostComponent.16(&)",
                   "HostDocument.0({83A33D32-27C5-11CE-BFD4-00400513BB57},&)", "HostPartDocument.88(&)",
                   "HostComponent.9(&)"}));
  host.Log().Clear();
  EXPECT_EQ(GetAssemblyMeshes(standin::Components(*assembly).Root().Interface(), meshes, &names), 2);
  EXPECT_EQ(host.Log().Args("HostComponent", 8), (Lines{"&", "&"}));  // the root and B, which have children
}

TEST_F(Assemblies, TheHostsTransformValuesAsLaidOut) {
  // Rotation columns (0,1,0), (-1,0,0), (0,0,1): a quarter turn about z. Values 12
  // to 15 are not read.
  a->transform = {0, 1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 99, 99, 99, 99};
  ON_ClassArray<ON_Mesh> meshes;
  GetAssemblyMeshes(a->Interface(), meshes, nullptr);
  ASSERT_EQ(meshes.Count(), 1);
  const ON_Mesh& m = meshes[0];
  std::vector<ON_3fPoint> moved;
  for (int f = 0; f < m.FaceCount(); ++f)
    for (int k = 0; k < 3; ++k) moved.push_back(m.m_V[m.m_F[f].vi[k]]);
  // The pin's corners (0,0,0), (1,0,0), (0,1,0).
  EXPECT_EQ(moved, (std::vector<ON_3fPoint>{{0, 0, 0}, {0, 1, 0}, {-1, 0, 0}}));

  // The translation is taken in metres whatever the document's unit: a millimetre
  // part placed 0.5 m along x is there, not 500 m.
  HostOp::Call<14>(pin->DocumentInterface(), LONG{0});
  a->transform = standin::Placement({1, 0, 0, 0, 1, 0, 0, 0, 1}, {0.5, 0, 0});
  GetAssemblyMeshes(a->Interface(), meshes, nullptr);
  EXPECT_EQ(meshes[1].m_V[meshes[1].m_F[0].vi[1]], ON_3fPoint(1.5f, 0, 0));

  // A placement the host does not deliver, or one that is not finite, leaves the
  // mesh where it is.
  host.InjectFault("HostComponent", 11, Fault::Fail(E_FAIL, 3));
  GetAssemblyMeshes(a->Interface(), meshes, nullptr);
  a->transform[9] = std::nan("");
  GetAssemblyMeshes(a->Interface(), meshes, nullptr);
  ASSERT_EQ(meshes.Count(), 4);
  EXPECT_EQ(Corners(meshes[2]), Corners(meshes[3]));
  EXPECT_EQ(meshes[2].m_V[meshes[2].m_F[0].vi[1]], ON_3fPoint(1, 0, 0));
}

TEST_F(Assemblies, ColourFromTheComponentOrElseItsDocument) {
  pin->ReadBack().material = standin::MaterialValues{0, 0, 1, 0, 0, 0, 0, 0, 0};
  a->material = standin::MaterialValues{1, 0, 0, 0, 0, 0, 0, 0.5, 0};
  ON_ClassArray<ON_Mesh> meshes;
  ASSERT_EQ(GetDocumentMeshes(assembly->DocumentInterface(), meshes, nullptr), 1);
  auto rgba = [&](int i) {
    const ON_Color c = meshes[i].m_C[0];
    return std::array<int, 4>{c.Red(), c.Green(), c.Blue(), c.Alpha()};
  };
  for (int i = 0; i < meshes.Count(); ++i) EXPECT_EQ(meshes[i].m_C.Count(), 1);
  EXPECT_EQ(rgba(0), (std::array<int, 4>{255, 0, 0, 127}));    // A: its own values
  EXPECT_EQ(rgba(1), (std::array<int, 4>{255, 255, 255, 0}));  // B: a plate without values
  EXPECT_EQ(rgba(2), (std::array<int, 4>{255, 255, 255, 0}));
  EXPECT_EQ(rgba(3), (std::array<int, 4>{0, 0, 255, 255}));    // C: the pin's values
}

TEST_F(Assemblies, AComponentBelowItselfIsNotWalkedAgain) {
  b->AddChild(*b);
  c->AddChild(*standin::Components(*assembly).Root().Children()[0]);  // A again, below C: walked again
  ON_ClassArray<ON_Mesh> meshes;
  CStringArray names;
  ASSERT_EQ(GetDocumentMeshes(assembly->DocumentInterface(), meshes, &names), 1);
  EXPECT_EQ(Names(names), (std::vector<std::string>{"A", "B-Body1", "B-Body2", "C", "A"}));
}

TEST_F(Assemblies, FailuresOfTheTreeAndOfOtherDocuments) {
  ON_ClassArray<ON_Mesh> meshes;
  CStringArray names;
  auto refill = [&] {
    meshes.AppendNew();
    names.Add(L"old");
  };

  // No component tree: the assembly call succeeds with nothing, the document call fails.
  host.InjectFault("HostDocument", 321, Fault::NullOut(S_OK));
  refill();
  EXPECT_EQ(GetAssemblyDocMeshes(assembly->DocumentInterface(), assembly->AssemblyInterface(), meshes, &names), 1);
  EXPECT_EQ(meshes.Count(), 0);
  EXPECT_EQ(names.GetSize(), 0);
  refill();
  EXPECT_EQ(GetDocumentMeshes(assembly->DocumentInterface(), meshes, &names), 0);
  EXPECT_EQ(LastError(), "Unable to extract meshes from document");
  EXPECT_EQ(meshes.Count(), 0);
  EXPECT_EQ(names.GetSize(), 0);
  host.ClearFaults();

  // A drawing is neither a part nor an assembly.
  Document& drawing = host.AddDocument(DocumentKind::Drawing);
  refill();
  EXPECT_EQ(GetDocumentMeshes(drawing.DocumentInterface(), meshes, &names), 0);
  EXPECT_EQ(LastError(), "Unable to extract meshes from document");
  EXPECT_EQ(meshes.Count(), 0);
  EXPECT_EQ(names.GetSize(), 0);
  EXPECT_EQ(GetDocumentMeshes(nullptr, meshes, &names), 0);

  // A part without bodies: the part's text is replaced.
  Document& bare = NewPart();
  refill();
  EXPECT_EQ(GetDocumentMeshes(bare.DocumentInterface(), meshes, &names), 0);
  EXPECT_EQ(LastError(), "Unable to extract meshes from document");
  EXPECT_EQ(host.Log().Args("HostPartDocument", 141).back(), "1,-1,&");
  EXPECT_EQ(meshes.Count(), 0);
}

TEST_F(Assemblies, TheActiveDocument) {
  host.SetActiveDocument(plate);
  ON_ClassArray<ON_Mesh> meshes;
  CStringArray names;
  ASSERT_EQ(GetActiveDocumentMeshes(host.Application(), meshes, &names), 1);
  EXPECT_EQ(Names(names), (std::vector<std::string>{"Plate-Body1", "Plate-Body2"}));
  EXPECT_EQ(host.Log().Count("HostApplication", 165), 1u);
  EXPECT_EQ(host.Log().Count("HostApplication", 8), 0u);

  host.SetActiveDocument(nullptr);
  EXPECT_EQ(GetActiveDocumentMeshes(host.Application(), meshes, &names), 0);
  EXPECT_EQ(LastError(), "Unable to retrieve active model");
  EXPECT_EQ(meshes.Count(), 2);  // untouched
  EXPECT_EQ(GetActiveDocumentMeshes(nullptr, meshes, &names), 0);
}

// --- VisitHostObjectChain -----------------------------------------------------------------------

TEST_F(HostMeshes, ChainWalkInOrderAndKeepingNothing) {
  standin::ChainObject& start = host.AddChainObject();
  standin::ChainObject& one = host.AddChainObject();
  standin::ChainObject& two = host.AddChainObject();
  standin::ChainObject& three = host.AddChainObject();
  standin::ChainObject& side = host.AddChainObject();
  standin::ChainObject& counted = host.AddChainObject();
  standin::ChainObject& empty = host.AddChainObject();
  counted.count = 2;
  start.first = &one;
  one.second = &side;
  side.third = &counted;  // one's count is 2: one is marked
  one.next = &two;
  two.second = &side;     // side's third again: two is marked too
  two.next = &three;
  three.second = &empty;  // no third object: passed over
  ASSERT_EQ(VisitHostObjectChain(start.Interface()), 1);
  // "object.method", by object id.
  auto text = [](int object, int method) { return std::to_string(object) + '.' + std::to_string(method); };
  auto at = [&](const standin::ChainObject& o, int method) { return text(o.Id(), method); };
  Lines calls;
  for (const auto& r : host.Log().Records())
    if (r.method > 6) calls.push_back(text(r.object, r.method));
  EXPECT_EQ(calls, (Lines{at(start, 21), at(one, 92), at(side, 10), at(counted, 25), at(one, 9), at(one, 8),
                          at(two, 92), at(side, 10), at(counted, 25), at(two, 9), at(two, 8), at(three, 92),
                          at(empty, 10), at(three, 8)}));

  // A link that does not move on ends the walk instead of repeating it.
  host.Log().Clear();
  host.InjectFault("HostChainObject", 8, Fault::Fail(E_FAIL, 4));
  ASSERT_EQ(VisitHostObjectChain(start.Interface()), 1);
  EXPECT_EQ(host.Log().Count("HostChainObject", 8), 1u);
  EXPECT_EQ(VisitHostObjectChain(nullptr), 1);
}

}  // namespace
