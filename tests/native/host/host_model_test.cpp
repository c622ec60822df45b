// The stand-in host's document model: documents and their settings, 3D sketches,
// temporary bodies and the closed-shell body build. Calls go through literal table
// positions, as a client's do.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "ComHolders.h"
#include "StandInHostTest.h"

namespace {

using standin::Fault;
using Lines = std::vector<std::string>;

template <int N, class Obj, class... Args>
HRESULT At(Obj* object, Args... args) {
  return HostOp::Call<N>(object, args...);
}

// The unit cube: corners, and its six faces running counter-clockwise seen from outside.
const std::array<std::array<double, 3>, 8> kCube = {{
    {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1},
}};
const std::vector<std::vector<int>> kCubeQuads = {
    {0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {3, 7, 6, 2}, {0, 4, 7, 3}, {1, 2, 6, 5},
};

std::vector<std::vector<int>> CubeTriangles() {
  std::vector<std::vector<int>> out;
  for (const auto& q : kCubeQuads) {
    out.push_back({q[0], q[1], q[2]});
    out.push_back({q[0], q[2], q[3]});
  }
  return out;
}

struct Placement {
  double scale = 1.0;
  std::array<double, 3> offset = {0, 0, 0};
};

// The unit normal of the corner loop (right-handed), or zero when it has no area.
std::array<double, 3> LoopNormal(const double* xyz, size_t count) {
  std::array<double, 3> n = {0, 0, 0};
  for (size_t c = 0; c < count; ++c) {
    const double* p = xyz + 3 * c;
    const double* q = xyz + 3 * ((c + 1) % count);
    n[0] += (p[1] - q[1]) * (p[2] + q[2]);
    n[1] += (p[2] - q[2]) * (p[0] + q[0]);
    n[2] += (p[0] - q[0]) * (p[1] + q[1]);
  }
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (length > 0)
    for (double& v : n) v /= length;
  return n;
}

// Adds a face of cube corners with the normal of its own corners.
HRESULT AddFace(HostBody* body, const std::vector<int>& corners, Placement at = {},
                const std::array<double, 3>& nudge = {0, 0, 0}) {
  double xyz[12] = {};
  for (size_t c = 0; c < corners.size(); ++c)
    for (size_t a = 0; a < 3; ++a) xyz[3 * c + a] = kCube[static_cast<size_t>(corners[c])][a] * at.scale + at.offset[a] + nudge[a];
  const std::array<double, 3> normal = LoopNormal(xyz, corners.size());
  return At<72>(body, static_cast<LONG>(corners.size()), static_cast<const double*>(xyz), normal.data());
}

class HostModel : public standin::StandInHostTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(At<19>(host.Application(), part.Out()), S_OK);
    ASSERT_EQ(At<8>(host.Application(), doc.Out()), S_OK);
    ASSERT_TRUE(part && doc);
    made = host.ActiveDocument();
  }
  // Adds the faces to a new temporary body and builds it; the built body's
  // interface is released here.
  HRESULT Build(const std::vector<std::vector<int>>& faces, Placement at = {}) {
    CountedPtr<HostBody> body;
    HRESULT hr = At<31>(part.Get(), body.Out());
    if (hr != S_OK || !body) return E_UNEXPECTED;
    for (const auto& f : faces) EXPECT_EQ(AddFace(body.Get(), f, at), S_OK);
    CountedPtr<IDispatch> built;
    hr = At<12>(body.Get(), built.Out());
    EXPECT_EQ(static_cast<bool>(built), hr == S_OK);
    return hr;
  }

  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
  standin::Document* made = nullptr;
};

TEST_F(HostModel, NewPartIsActiveWithTheUnitTheHostGaveIt) {
  EXPECT_EQ(made->Kind(), standin::DocumentKind::Part);
  EXPECT_EQ(made->LengthUnit(), standin::kUnitAsCreated);
  EXPECT_EQ(At<14>(doc.Get(), LONG{3}), S_OK);
  EXPECT_EQ(made->LengthUnit(), 3);
  // The host has millimetres (0) to feet (4); any other code is refused and changes nothing.
  for (LONG code : {-1, 5, 7, 0x7FFFFFFF}) {
    EXPECT_EQ(At<14>(doc.Get(), code), E_INVALIDARG) << code;
    EXPECT_EQ(made->LengthUnit(), 3) << code;
  }
  for (LONG code : {0, 1, 2, 4}) {
    EXPECT_EQ(At<14>(doc.Get(), code), S_OK) << code;
    EXPECT_EQ(made->LengthUnit(), code);
  }
  EXPECT_EQ(At<14>(doc.Get(), LONG{3}), S_OK);
  // A second part becomes the active document; the first keeps its unit.
  CountedPtr<HostPartDocument> second;
  ASSERT_EQ(At<19>(host.Application(), second.Out()), S_OK);
  EXPECT_NE(host.ActiveDocument(), made);
  EXPECT_EQ(host.ActiveDocument()->LengthUnit(), standin::kUnitAsCreated);
  EXPECT_EQ(made->LengthUnit(), 3);
  EXPECT_EQ(host.Documents().size(), 2u);
}

TEST_F(HostModel, DocumentCountsItsSettingsAndRedraws) {
  host.Log().Clear();
  At<237>(doc.Get(), LONG{1});
  At<235>(doc.Get(), LONG{0});
  At<82>(doc.Get());
  At<560>(doc.Get());
  At<349>(doc.Get());
  At<560>(doc.Get());
  EXPECT_EQ(made->AddToDatabaseCalls(), std::vector<LONG>{1});
  EXPECT_EQ(made->DisplayWhenAddedCalls(), std::vector<LONG>{0});
  EXPECT_EQ(made->ClearSelectionCount(), 1);
  EXPECT_EQ(made->RedrawCount(), 2);
  EXPECT_EQ(made->ZoomToFitCount(), 1);
  EXPECT_EQ(host.Log().Lines("HostDocument"), (Lines{"HostDocument.237(1)", "HostDocument.235(0)", "HostDocument.82()",
                                                     "HostDocument.560()", "HostDocument.349()", "HostDocument.560()"}));
}

TEST(HostApplicationModel, AnswersWithWhatTheTestSet) {
  standin::StandInHost host;
  HostApplication* app = host.Application();
  // No document yet: the active document is null, with S_OK.
  HostDocument* doc = reinterpret_cast<HostDocument*>(&host);
  EXPECT_EQ(At<8>(app, &doc), S_OK);
  EXPECT_EQ(doc, nullptr);

  struct Revision {
    const wchar_t* set;
    bool null;
  };
  for (const Revision& r : {Revision{L"21.3.0", false}, Revision{L"", false}, Revision{nullptr, true}}) {
    host.SetRevision(r.set);
    BstrHolder text;
    EXPECT_EQ(At<25>(app, text.Out()), S_OK);
    EXPECT_EQ(text.Get() == nullptr, r.null);
    if (r.set) {
      EXPECT_STREQ(text.Text(), r.set);
    }
  }

  host.SetMainWindow(static_cast<LONG>(0x80001234u));
  CountedPtr<HostFrame> frame;
  ASSERT_EQ(At<15>(app, frame.Out()), S_OK);
  LONG handle = 0;
  EXPECT_EQ(At<17>(frame.Get(), &handle), S_OK);
  EXPECT_EQ(static_cast<uint32_t>(handle), 0x80001234u);
  frame.Reset();
  host.SetFramePresent(false);
  EXPECT_EQ(At<15>(app, frame.Out()), S_OK);
  EXPECT_FALSE(frame);
  EXPECT_TRUE(host.ReferenceProblems().empty());
}

// Every document answers the document role; a part, an assembly and a drawing each
// also answer their own role, on the same object, and no other kind's. The ids of
// the document, part and assembly roles are the real host's.
TEST(HostApplicationModel, EachDocumentKindAnswersItsOwnRoles) {
  const IID document = {0xB90793FB, 0xEF3D, 0x4B80, {0xA5, 0xC4, 0x99, 0x95, 0x9C, 0xDB, 0x6C, 0xEB}};
  const IID part = {0x83A33D32, 0x27C5, 0x11CE, {0xBF, 0xD4, 0x00, 0x40, 0x05, 0x13, 0xBB, 0x57}};
  const IID assembly = {0x83A33D35, 0x27C5, 0x11CE, {0xBF, 0xD4, 0x00, 0x40, 0x05, 0x13, 0xBB, 0x57}};
  const IID& drawing = standin::kRoleDrawingDocument.iid;
  using standin::DocumentKind;
  standin::StandInHost host;
  for (auto kind : {DocumentKind::Part, DocumentKind::Assembly, DocumentKind::Drawing}) {
    SCOPED_TRACE(static_cast<int>(kind));
    standin::Document& d = host.AddDocument(kind);
    EXPECT_EQ(d.PartInterface() != nullptr, kind == DocumentKind::Part);
    EXPECT_EQ(d.AssemblyInterface() != nullptr, kind == DocumentKind::Assembly);
    EXPECT_EQ(d.DrawingInterface() != nullptr, kind == DocumentKind::Drawing);
    const std::pair<const IID*, void*> roles[] = {{&document, d.DocumentInterface()},
                                                  {&part, d.PartInterface()},
                                                  {&assembly, d.AssemblyInterface()},
                                                  {&drawing, d.DrawingInterface()}};
    for (const auto& [iid, face] : roles) {
      void* out = reinterpret_cast<void*>(1);
      const HRESULT hr = d.DocumentInterface()->QueryInterface(*iid, &out);
      EXPECT_EQ(hr, face ? S_OK : E_NOINTERFACE);
      EXPECT_EQ(out, face);
      if (out) static_cast<IUnknown*>(out)->Release();
    }
    CountedPtr<HostDocument> active;
    ASSERT_EQ(At<8>(host.Application(), active.Out()), S_OK);
    EXPECT_EQ(static_cast<void*>(active.Get()), d.DocumentInterface());
  }
  EXPECT_TRUE(host.ReferenceProblems().empty());
}

// --- 3D sketches --------------------------------------------------------------------------

TEST_F(HostModel, LinesGoOnlyIntoAnOpenSketch) {
  CountedPtr<IDispatch> segment;
  EXPECT_EQ(At<542>(doc.Get(), 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, segment.Out()), E_FAIL);
  EXPECT_FALSE(segment);
  EXPECT_EQ(made->RefusedLines(), 1);

  ASSERT_EQ(At<656>(doc.Get(), LONG{0}), S_OK);
  EXPECT_TRUE(made->InSketch());
  EXPECT_EQ(At<542>(doc.Get(), 0.254, 0.0, 0.0, 0.0, 0.5, -1.5, segment.Out()), S_OK);
  EXPECT_TRUE(segment);  // the client holds a reference to the segment and releases it
  EXPECT_EQ(At<542>(doc.Get(), 1.0, 1.0, 1.0, 2.0, 2.0, 2.0, static_cast<IDispatch**>(nullptr)), S_OK);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(At<542>(doc.Get(), nan, 0.0, 0.0, 1.0, 0.0, 0.0, segment.Out()), E_INVALIDARG);
  ASSERT_EQ(At<656>(doc.Get(), LONG{0}), S_OK);
  EXPECT_FALSE(made->InSketch());
  EXPECT_EQ(At<542>(doc.Get(), 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, segment.Out()), E_FAIL);

  ASSERT_EQ(made->Sketches().size(), 1u);
  const auto& lines = made->Sketches()[0].lines;
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].start, (std::array<double, 3>{0.254, 0, 0}));
  EXPECT_EQ(lines[0].end, (std::array<double, 3>{0, 0.5, -1.5}));
  EXPECT_EQ(lines[1].end, (std::array<double, 3>{2, 2, 2}));
  EXPECT_EQ(made->SketchCalls(), (std::vector<LONG>{0, 0}));
  EXPECT_EQ(made->RefusedLines(), 2);

  // A second enter opens a new sketch.
  ASSERT_EQ(At<656>(doc.Get(), LONG{0}), S_OK);
  EXPECT_EQ(At<542>(doc.Get(), 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, segment.Out()), S_OK);
  EXPECT_EQ(made->Sketches().size(), 2u);
  EXPECT_EQ(made->LineCount(), 3u);
}

TEST(HostSketchReferences, AnUnreleasedSegmentIsALeak) {
  standin::StandInHost host;
  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
  ASSERT_EQ(At<19>(host.Application(), part.Out()), S_OK);
  ASSERT_EQ(At<8>(host.Application(), doc.Out()), S_OK);
  At<656>(doc.Get(), LONG{0});
  IDispatch* segment = nullptr;
  ASSERT_EQ(At<542>(doc.Get(), 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, &segment), S_OK);
  const auto problems = host.ReferenceProblems();
  ASSERT_EQ(problems.size(), 3u);  // the part, the document and the segment
  EXPECT_EQ(problems[2].rfind("HostSketchSegment #", 0), 0u) << problems[2];
  segment->Release();
  doc.Reset();
  part.Reset();
  EXPECT_TRUE(host.ReferenceProblems().empty());
}

// --- bodies -------------------------------------------------------------------------------

TEST_F(HostModel, ClosedShellsBuildAndOpenOrFlippedOnesDoNot) {
  auto without = [](std::vector<std::vector<int>> faces, size_t i) {
    faces.erase(faces.begin() + static_cast<long>(i));
    return faces;
  };
  auto flipped = [](std::vector<std::vector<int>> faces, size_t i) {
    std::reverse(faces[i].begin(), faces[i].end());
    return faces;
  };
  auto doubled = [](std::vector<std::vector<int>> faces, size_t i) {
    faces.push_back(faces[i]);
    return faces;
  };
  struct Case {
    const char* name;
    std::vector<std::vector<int>> faces;
    Placement at;
    bool builds;
  };
  const auto tris = CubeTriangles();
  const Case cases[] = {
      {"cube of 6 quads", kCubeQuads, {}, true},
      {"cube of 12 triangles", tris, {}, true},
      {"quads, scaled to millimetres and moved far away", kCubeQuads, {0.001, {1e4, -2e4, 3e4}}, true},
      {"quads, a micrometre cube", kCubeQuads, {1e-6, {0, 0, 0}}, true},
      {"quads, one face missing", without(kCubeQuads, 3), {}, false},
      {"triangles, one face missing", without(tris, 7), {}, false},
      {"quads, one face flipped", flipped(kCubeQuads, 0), {}, false},
      {"triangles, one face flipped", flipped(tris, 11), {}, false},
      {"all quads flipped (inside out, still consistent)", [&] {
         auto f = kCubeQuads;
         for (auto& q : f) std::reverse(q.begin(), q.end());
         return f;
       }(), {}, true},
      {"a face twice", doubled(kCubeQuads, 2), {}, false},
      {"two triangles back to back, no volume but closed", {{0, 1, 2}, {0, 2, 1}}, {}, true},
      {"no faces", {}, {}, false},
  };
  size_t expectedBodies = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HRESULT hr = Build(c.faces, c.at);
    if (c.builds) {
      EXPECT_EQ(hr, S_OK);
      ++expectedBodies;
      ASSERT_EQ(made->Bodies().size(), expectedBodies);
      EXPECT_EQ(made->Bodies().back()->Faces().size(), c.faces.size());
      EXPECT_FALSE(made->Bodies().back()->Temporary());
    } else {
      EXPECT_EQ(hr, E_FAIL);
      EXPECT_EQ(made->Bodies().size(), expectedBodies);  // the part holds nothing new
      EXPECT_FALSE(made->TemporaryBodies().back()->BuildProblem().empty());
    }
  }
}

// Two corners of a face closer than the corner tolerance are one corner: the face
// has a side of zero length, and the faces do not close.
TEST_F(HostModel, AFaceWithTheSameCornerTwiceDoesNotClose) {
  CountedPtr<HostBody> body;
  ASSERT_EQ(At<31>(part.Get(), body.Out()), S_OK);
  for (const auto& q : kCubeQuads) ASSERT_EQ(AddFace(body.Get(), q), S_OK);
  const double sliver[9] = {0, 0, 0, 1, 0, 0, 1, 1e-10, 0};
  const double up[3] = {0, 0, 1};
  ASSERT_EQ(At<72>(body.Get(), LONG{3}, sliver, up), S_OK);  // it has an area and a plane
  CountedPtr<IDispatch> built;
  EXPECT_EQ(At<12>(body.Get(), built.Out()), E_FAIL);
  EXPECT_NE(made->TemporaryBodies().back()->BuildProblem().find("same corner twice"), std::string::npos)
      << made->TemporaryBodies().back()->BuildProblem();
}

TEST_F(HostModel, TwoSeparateShellsMakeOneBody) {
  std::vector<std::vector<int>> faces;
  CountedPtr<HostBody> body;
  ASSERT_EQ(At<31>(part.Get(), body.Out()), S_OK);
  for (const auto& q : kCubeQuads) AddFace(body.Get(), q);
  for (const auto& q : kCubeQuads) AddFace(body.Get(), q, {1.0, {5, 0, 0}});
  CountedPtr<IDispatch> built;
  EXPECT_EQ(At<12>(body.Get(), built.Out()), S_OK);
  ASSERT_EQ(made->Bodies().size(), 1u);
  EXPECT_EQ(made->Bodies()[0]->Faces().size(), 12u);
}

TEST_F(HostModel, CornersMatchWithinTheTolerance) {
  struct Case {
    const char* name;
    double scale;
    double nudge;  // added to every corner of one face
    bool builds;
  };
  const Case cases[] = {
      {"metre cube, 1e-10 apart (tolerance 1e-9)", 1.0, 1e-10, true},
      {"metre cube, 1e-7 apart", 1.0, 1e-7, false},
      {"micrometre cube, 5e-13 apart (tolerance 1e-12 absolute)", 1e-6, 5e-13, true},
      {"micrometre cube, 1e-11 apart", 1e-6, 1e-11, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CountedPtr<HostBody> body;
    ASSERT_EQ(At<31>(part.Get(), body.Out()), S_OK);
    for (size_t i = 0; i < kCubeQuads.size(); ++i) {
      const double n = i == 1 ? c.nudge : 0.0;
      AddFace(body.Get(), kCubeQuads[i], {c.scale, {0, 0, 0}}, {n, -n, n});
    }
    CountedPtr<IDispatch> built;
    EXPECT_EQ(At<12>(body.Get(), built.Out()) == S_OK, c.builds);
  }
}

TEST_F(HostModel, BadFacesAreRefusedAndNotStored) {
  CountedPtr<HostBody> body;
  ASSERT_EQ(At<31>(part.Get(), body.Out()), S_OK);
  const double corners[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
  const double normal[3] = {0, 0, 1};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double badCorners[12] = {0, 0, 0, 1, nan, 0, 0, 1, 0, 1, 1, 0};
  const double badNormal[3] = {0, inf, 1};
  struct Case {
    const char* name;
    LONG count;
    const double* corners;
    const double* normal;
  };
  const Case cases[] = {
      {"count 2", 2, corners, normal},       {"count 5", 5, corners, normal},
      {"count 0", 0, corners, normal},       {"count -1", -1, corners, normal},
      {"null corners", 3, nullptr, normal},  {"null normal", 4, corners, nullptr},
      {"corner not a number", 3, badCorners, normal}, {"normal infinite", 3, corners, badNormal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(At<72>(body.Get(), c.count, c.corners, c.normal), E_INVALIDARG);
  }
  EXPECT_TRUE(made->TemporaryBodies().back()->Faces().empty());
  // A good face is stored as given; only the count's corners are read.
  EXPECT_EQ(At<72>(body.Get(), LONG{3}, corners, normal), S_OK);
  ASSERT_EQ(made->TemporaryBodies().back()->Faces().size(), 1u);
  const auto& f = made->TemporaryBodies().back()->Faces()[0];
  EXPECT_EQ(f.count, 3);
  EXPECT_EQ(f.corners[3], 1.0);
  EXPECT_EQ(f.corners[9], 0.0);
  EXPECT_EQ(f.normal[2], 1.0);
  EXPECT_EQ(host.Log().Args("HostBody", 72).back(), "3,[0,0,0,1,0,0,0,1,0],[0,0,1]");
}

// Faces a modeller would not take: no normal, no plane, or a normal that is not the
// plane's. The tolerance is a share of the face's size, so a face is judged the
// same in metres and in millimetres, near the origin or far from it.
TEST_F(HostModel, FacesWithoutAPlaneOrWithTheWrongNormalAreRefused) {
  struct Case {
    const char* name;
    std::vector<double> corners;  // 3 or 4 corners of a face about 1 unit wide
    std::array<double, 3> normal;
    bool taken;
  };
  const double r = 1 / std::sqrt(2.0);
  const std::vector<double> square = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  auto lifted = [&](double z) {
    auto c = square;
    c[11] = z;
    return c;
  };
  const Case cases[] = {
      {"a square with its normal", square, {0, 0, 1}, true},
      {"a triangle with its normal", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1}, true},
      {"a slanted triangle with its normal", {1, 0, 0, 0, 1, 0, 0, 0, 1}, {1 / std::sqrt(3.0), 1 / std::sqrt(3.0), 1 / std::sqrt(3.0)}, true},
      {"a normal longer than 1 that points the right way", square, {0, 0, 2}, true},
      {"a zero normal", square, {0, 0, 0}, false},
      {"a zero normal on a degenerate triangle", {0, 0, 0, 1, 0, 0, 1, 0, 0}, {0, 0, 0}, false},
      {"the normal against the winding", square, {0, 0, -1}, false},
      {"a normal in the face's plane", square, {1, 0, 0}, false},
      {"a normal tilted by 45 degrees", square, {0, r, r}, false},
      {"three corners on a line", {0, 0, 0, 1, 1, 1, 2, 2, 2}, {r, -r, 0}, false},
      {"a corner 1e-6 off the plane: taken", lifted(1e-6), {0, 0, 1}, true},
      {"a corner 1e-4 off the plane", lifted(1e-4), {0, 0, 1}, false},
      {"a corner 0.25 off the plane", lifted(0.25), {0, 0, 1}, false},
  };
  const Placement placements[] = {{1.0, {0, 0, 0}}, {0.001, {0, 0, 0}}, {0.001, {1e3, -2e3, 5e2}}};
  for (const Placement& at : placements) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " at scale " + std::to_string(at.scale));
      std::vector<double> xyz = c.corners;
      for (size_t i = 0; i < xyz.size(); ++i) xyz[i] = xyz[i] * at.scale + at.offset[i % 3];
      CountedPtr<HostBody> body;
      ASSERT_EQ(At<31>(part.Get(), body.Out()), S_OK);
      const HRESULT hr = At<72>(body.Get(), static_cast<LONG>(xyz.size() / 3), static_cast<const double*>(xyz.data()),
                                c.normal.data());
      EXPECT_EQ(hr, c.taken ? S_OK : E_INVALIDARG);
      EXPECT_EQ(made->TemporaryBodies().back()->Faces().size(), c.taken ? 1u : 0u);
    }
  }
}

TEST_F(HostModel, BuiltBodyIsAnObjectTheClientReleases) {
  CountedPtr<HostBody> body;
  ASSERT_EQ(At<31>(part.Get(), body.Out()), S_OK);
  for (const auto& q : kCubeQuads) AddFace(body.Get(), q);
  const size_t held = host.ReferenceProblems().size();  // the fixture's and this test's holders
  IDispatch* built = nullptr;
  ASSERT_EQ(At<12>(body.Get(), &built), S_OK);
  ASSERT_NE(built, nullptr);
  const auto problems = host.ReferenceProblems();
  ASSERT_EQ(problems.size(), held + 1);
  EXPECT_NE(std::find(problems.begin(), problems.end(),
                      "HostBody #" + std::to_string(made->Bodies().back()->Id()) + ": 1 reference not released"),
            problems.end());
  built->Release();
  EXPECT_EQ(host.ReferenceProblems().size(), held);
  // The faces moved into the built body; the temporary body cannot build twice.
  EXPECT_TRUE(made->TemporaryBodies().back()->Faces().empty());
  EXPECT_EQ(At<12>(body.Get(), static_cast<IDispatch**>(nullptr)), E_FAIL);
  EXPECT_EQ(made->Bodies().size(), 1u);
}

TEST_F(HostModel, InjectedFaultsStopTheBodyBuild) {
  host.InjectFault("HostPartDocument", 31, Fault::NullOut(S_OK, 1));
  host.InjectFault("HostBody", 12, Fault::Fail(E_FAIL, 1));
  CountedPtr<HostBody> body;
  EXPECT_EQ(At<31>(part.Get(), body.Out()), S_OK);
  EXPECT_FALSE(body);
  EXPECT_TRUE(made->TemporaryBodies().empty());
  EXPECT_EQ(Build(kCubeQuads), E_FAIL);  // the first build is the one that fails
  EXPECT_TRUE(made->Bodies().empty());
  EXPECT_EQ(Build(kCubeQuads), S_OK);
  EXPECT_EQ(made->Bodies().size(), 1u);
}

}  // namespace
