// Surfaces as grids of iso-curves, breps as their edge curves, and the import of a
// whole set of geometry into a new part, assembly or drawing of the stand-in host:
// the stations of the iso-curves, the progress windows, the exact host calls of the
// import and its failures.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ComHolders.h"
#include "bridge_fixture.h"
#include "curves.h"
#include "meshes.h"

namespace {

using bridgetest::BridgeTest;
using bridgetest::Lines;
using standin::DocumentKind;
using standin::Fault;

// A surface that notes every iso-curve asked of it, so that a test sees the exact
// stations, also where the surface gives no curve.
class RecordingSurface : public ON_NurbsSurface {
 public:
  using ON_NurbsSurface::ON_NurbsSurface;
  ON_Curve* IsoCurve(int dir, double c) const override {
    stations.emplace_back(dir, c);
    return ON_NurbsSurface::IsoCurve(dir, c);
  }
  mutable std::vector<std::pair<int, double>> stations;
};

using Stations = std::vector<std::pair<int, double>>;

// The flat grid (u, v, 0) over [0, 1] x [0, 1] with n0 x n1 CVs of order 2, so that
// every iso-curve is a straight line across it.
RecordingSurface Grid(int n0, int n1) {
  RecordingSurface s(3, false, 2, 2, n0, n1);
  for (int k = 0; k < n0; ++k) s.SetKnot(0, k, double(k) / (n0 - 1));
  for (int k = 0; k < n1; ++k) s.SetKnot(1, k, double(k) / (n1 - 1));
  for (int i = 0; i < n0; ++i)
    for (int j = 0; j < n1; ++j) s.SetCV(i, j, ON_3dPoint(double(i) / (n0 - 1), double(j) / (n1 - 1), 0));
  return s;
}

Stations Along(int dir, std::initializer_list<double> values) {
  Stations out;
  for (double v : values) out.emplace_back(dir, v);
  return out;
}

Stations Then(Stations a, const Stations& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The unit box scaled by `size`, as a brep of twelve line edges.
ON_Brep Box(double size) {
  ON_3dPoint corners[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  for (ON_3dPoint& c : corners) c = c * size;
  ON_Brep brep;
  ON_BrepBox(corners, &brep);
  return brep;
}

// The titles of the progress objects in the order they were made.
Lines Titles(const Lines& progressLines) {
  Lines out;
  for (const std::string& l : progressLines) {
    const size_t at = l.find(" new ");
    if (at != std::string::npos) out.push_back(l.substr(at + 5, l.find('|') - at - 5));
  }
  return out;
}

using SurfaceSketch = bridgetest::OpenSketchTest;

TEST_F(SurfaceSketch, StationsAdvanceByRepeatedAddition) {
  // Ten CVs across [0, 1]: the tenth sum stays a hair below 1, so twelve curves.
  const RecordingSurface s = Grid(4, 10);
  EXPECT_EQ(CreateIsoCurveSketch(doc.Get(), s, 1.0, 0), 1);
  EXPECT_EQ(s.stations,
            Then(Along(0, {0, 0.1, 0.2, 0.30000000000000004, 0.4, 0.5, 0.6, 0.7, 0.7999999999999999,
                           0.8999999999999999, 0.9999999999999999, 1.0}),
                 Along(1, {0, 0.25, 0.5, 0.75, 1.0})));
  // Every iso-curve of the flat grid is a line: first those along u, then along v.
  const auto& lines = Sketch().lines;
  ASSERT_EQ(lines.size(), 17u);
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_NEAR(lines[i].start[0], 0.0, 1e-15);
    EXPECT_NEAR(lines[i].end[0], 1.0, 1e-15);
    EXPECT_NEAR(lines[i].start[1], s.stations[i].second, 1e-15);
  }
  for (size_t i = 12; i < 17; ++i) {
    EXPECT_NEAR(lines[i].start[1], 0.0, 1e-15);
    EXPECT_NEAR(lines[i].end[1], 1.0, 1e-15);
    EXPECT_NEAR(lines[i].start[0], s.stations[i].second, 1e-15);
  }
  EXPECT_EQ(host.Log().Count("HostDocument", 542), 17u);
}

TEST_F(SurfaceSketch, DegenerateDomainsAndSurfacesEnd) {
  // A domain of no length: only the one station at its end. The surface is not
  // valid then, so it gives no curves and nothing is drawn.
  RecordingSurface flat = Grid(4, 2);
  flat.SetKnot(1, 1, 0.0);
  EXPECT_EQ(CreateIsoCurveSketch(doc.Get(), flat, 1.0, 0), 1);
  EXPECT_EQ(flat.stations, Then(Along(0, {0.0}), Along(1, {0, 0.25, 0.5, 0.75, 1.0})));

  // A step lost in the rounding of its station (16 / 3 at 1e17, whose spacing is
  // 16) would never reach the end: the run goes straight to the end instead.
  const double a = 1e17, b = 1e17 + 16;
  RecordingSurface distant(3, false, 2, 3, 2, 3);
  distant.SetKnot(0, 0, 0);
  distant.SetKnot(0, 1, 1);
  for (int k = 0; k < 4; ++k) distant.SetKnot(1, k, k < 2 ? a : b);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 3; ++j) distant.SetCV(i, j, ON_3dPoint(i, j, j == 1 ? 1.0 : 0.0));
  ASSERT_TRUE(distant.IsValid());
  EXPECT_EQ(CreateIsoCurveSketch(doc.Get(), distant, 1.0, 0), 1);
  EXPECT_EQ(distant.stations, Then(Along(0, {a, b}), Along(1, {0, 0.5, 1.0})));

  // An empty surface: no curves, and the curve window counts none.
  progress.lines.clear();
  EXPECT_EQ(CreateIsoCurveSketch(doc.Get(), RecordingSurface(), 1.0, 1), 1);
  EXPECT_EQ(progress.lines, (Lines{"2 new Creating curves||0|100|none", "2 max 0", "2 start", "2 end", "2 destroy"}));
  EXPECT_EQ(Sketch().lines.size() + Sketch().arcs.size() + Sketch().splines.size(), 5u);  // those of `distant`
}

TEST_F(SurfaceSketch, ListsOfSurfacesAndBrepsShowOneWindowEach) {
  ON_ClassArray<ON_NurbsSurface> surfaces;
  for (int i = 0; i < 3; ++i) surfaces.Append(Grid(2, 2));
  EXPECT_EQ(CreateSurfaceCurveSketches(doc.Get(), surfaces, 1.0, 1), 1);
  EXPECT_EQ(progress.hostCalls,
            (Lines{"0 new Creating surface curves||0|100|none @0", "0 max 3 @0", "0 start @0", "0 step 1 @0",
                   "1 new Creating curves||0|100|none @0", "1 destroy @6", "0 step 1 @6",
                   "2 new Creating curves||0|100|none @6", "2 destroy @12", "0 step 1 @12",
                   "3 new Creating curves||0|100|none @12", "3 destroy @18", "0 end @18", "0 destroy @18"}));

  // A box brep: its twelve edges as lines, in the brep's edge order, scaled.
  progress.lines.clear();
  host.Log().Clear();
  EXPECT_EQ(CreateBrepEdgeSketch(doc.Get(), Box(2.0), 0.5, 1), 1);
  const Lines calls = host.Log().Lines("HostDocument");
  ASSERT_EQ(calls.size(), 12u);
  EXPECT_EQ(calls[0], "HostDocument.542(0,0,0,1,0,0,&)");
  EXPECT_EQ(calls[11], "HostDocument.542(0,1,0,0,1,1,&)");
  EXPECT_EQ(Titles(progress.lines), (Lines{"Creating curves"}));

  progress.lines.clear();
  ON_ClassArray<ON_Brep> breps;
  breps.Append(Box(1.0));
  breps.Append(Box(3.0));
  EXPECT_EQ(CreateBrepCurveSketches(doc.Get(), breps, 1.0, 1), 1);
  EXPECT_EQ(progress.lines,
            (Lines{"5 new Creating brep curves||0|100|none", "5 max 2", "5 start", "5 step 1",
                   "6 new Creating curves||0|100|none", "6 destroy", "5 step 1", "7 new Creating curves||0|100|none",
                   "7 destroy", "5 end", "5 destroy"}));
  EXPECT_EQ(Sketch().lines.size(), 18u + 12u + 24u);
}

TEST_F(SurfaceSketch, IsoCurvesWithTheFlagOnCountInTheCurveWindow) {
  EXPECT_EQ(CreateIsoCurveSketch(doc.Get(), Grid(2, 3), 1.0, 1), 1);
  // Stations 0, 1/3, 2/3 and the end along v; 0, 0.5 and the end along u.
  EXPECT_EQ(progress.lines, (Lines{"0 new Creating curves||0|100|none", "0 max 7", "0 start", "0 step 1", "0 step 1",
                                   "0 step 1", "0 step 1", "0 step 1", "0 step 1", "0 step 1", "0 end",
                                   "0 destroy"}));
}

// --- the geometry import ----------------------------------------------------------------

class GeometryImport : public BridgeTest {
 protected:
  Lines Calls() const { return host.Log().Lines(); }
  // The releases in order: "HostDocument", "HostPartDocument", ...
  Lines Releases() const {
    Lines out;
    for (const auto& r : host.Log().Records())
      if (r.method == 2) out.push_back(r.role);
    return out;
  }
};

TEST_F(GeometryImport, PartWithNothingGivenIsAnEmptySketch) {
  ZTKSWON::SetLastErrorText(L"earlier");
  EXPECT_EQ(ImportGeometry(host.Application(), 0, 3, nullptr, nullptr, nullptr, nullptr, nullptr, 1), 1);
  EXPECT_EQ(Calls(), (Lines{"HostApplication.19(&)", "HostApplication.8(&)", "HostDocument.237(1)",
                            "HostDocument.14(3)", "HostDocument.656(0)", "HostDocument.235(0)", "HostDocument.560()",
                            "HostDocument.82()", "HostDocument.656(0)"}));
  EXPECT_EQ(Releases(), (Lines{"HostDocument", "HostPartDocument"}));
  ASSERT_EQ(host.Documents().size(), 1u);
  const standin::Document& part = *host.Documents()[0];
  EXPECT_EQ(part.Kind(), DocumentKind::Part);
  EXPECT_EQ(part.LengthUnit(), 3);
  ASSERT_EQ(part.Sketches().size(), 1u);
  EXPECT_FALSE(part.Sketches()[0].open);
  EXPECT_TRUE(progress.lines.empty());
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), CString(L"earlier"));
}

TEST_F(GeometryImport, AssemblyAndDrawingAreMadeByTheirOwnMethods) {
  ON_3dPointArray points;
  points.Append(1, 2, 3);
  EXPECT_EQ(ImportGeometry(host.Application(), 1, 0, &points, nullptr, nullptr, nullptr, nullptr, 0), 1);
  EXPECT_EQ(Calls(), (Lines{"HostApplication.21(&)", "HostApplication.8(&)", "HostDocument.237(1)",
                            "HostDocument.14(0)", "HostDocument.656(0)", "HostDocument.235(0)",
                            "HostDocument.540(0.001,0.002,0.003,&)", "HostDocument.560()", "HostDocument.82()",
                            "HostDocument.656(0)"}));
  EXPECT_EQ(Releases().back(), "HostAssemblyDocument");
  EXPECT_EQ(host.Documents().back()->Kind(), DocumentKind::Assembly);
  EXPECT_EQ(host.Documents().back()->Sketches()[0].points.size(), 1u);

  // A drawing: method 47 with its five values, no sketch to enter or leave, and the
  // selection still cleared.
  host.Log().Clear();
  EXPECT_EQ(ImportGeometry(host.Application(), 2, 2, &points, nullptr, nullptr, nullptr, nullptr, 0), 1);
  EXPECT_EQ(Calls(), (Lines{"HostApplication.47(11,0,11,0,0,&)", "HostApplication.8(&)", "HostDocument.237(1)",
                            "HostDocument.14(2)", "HostDocument.235(0)", "HostDocument.540(1,2,3,&)",
                            "HostDocument.560()", "HostDocument.82()"}));
  EXPECT_EQ(Releases(), (Lines{"HostSketchPoint", "HostDocument", "HostDrawingDocument"}));
  standin::Document& drawing = *host.Documents().back();
  EXPECT_EQ(drawing.Kind(), DocumentKind::Drawing);
  ASSERT_TRUE(drawing.DrawingValues().has_value());
  EXPECT_EQ(*drawing.DrawingValues(), (standin::NewDrawingValues{11, 0, 11, 0.0, 0.0}));
  EXPECT_EQ(drawing.Sketch(0).points.size(), 1u);
  EXPECT_EQ(host.CallCount("HostDocument", 349), 0u);
}

TEST_F(GeometryImport, OtherTypesUseTheActiveDocument) {
  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
  HostOp::NewPart(host.Application(), part.Out());
  HostOp::ActiveDocument(host.Application(), doc.Out());
  HostOp::Insert3DSketch(doc.Get(), 0);  // the caller's sketch
  host.Log().Clear();
  ON_3dPointArray points;
  points.Append(1, 0, 0);
  EXPECT_EQ(ImportGeometry(host.Application(), 5, 1, &points, nullptr, nullptr, nullptr, nullptr, 0), 1);
  EXPECT_EQ(Calls(), (Lines{"HostApplication.8(&)", "HostDocument.237(1)", "HostDocument.14(1)",
                            "HostDocument.235(0)", "HostDocument.540(0.01,0,0,&)", "HostDocument.560()",
                            "HostDocument.82()"}));
  EXPECT_EQ(host.Documents().size(), 1u);
  EXPECT_EQ(host.Documents()[0]->Sketch(0).points.size(), 1u);
  EXPECT_TRUE(host.Documents()[0]->InSketch());  // left as the caller had it

  // With no document active: nothing to draw into.
  host.SetActiveDocument(nullptr);
  host.Log().Clear();
  EXPECT_EQ(ImportGeometry(host.Application(), -1, 1, &points, nullptr, nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), CString(L"Unable to retrieve active model"));
  EXPECT_EQ(Calls(), (Lines{"HostApplication.8(&)"}));
}

TEST_F(GeometryImport, NoDocumentIsAFailureWithItsText) {
  const struct {
    int type;
    int method;
    const wchar_t* text;
  } cases[] = {{0, 19, L"Unable to create part"},
               {1, 21, L"Unable to create assembly"},
               {2, 47, L"Unable to create drawing"},
               {0, 8, L"Unable to retrieve active model"},
               {1, 8, L"Unable to retrieve active model"},
               {2, 8, L"Unable to retrieve active model"}};
  ON_3dPointArray points;
  points.Append(1, 0, 0);
  for (const auto& k : cases) {
    standin::StandInHost own;
    own.InjectFault("HostApplication", k.method, Fault::NullOut(S_OK));
    ZTKSWON::SetLastErrorText(L"");
    EXPECT_EQ(ImportGeometry(own.Application(), k.type, 0, &points, nullptr, nullptr, nullptr, nullptr, 1), 0);
    EXPECT_EQ(ZTKSWON::GetLastErrorText(), CString(k.text)) << k.type << " " << k.method;
    // Nothing after the failed call; a new document that was made stays, released.
    EXPECT_EQ(own.Log().Lines().back().rfind("HostApplication." + std::to_string(k.method) + "(", 0), 0u);
    EXPECT_EQ(own.CallCount("HostDocument", 540), 0u);
    EXPECT_TRUE(own.ReferenceProblems().empty()) << k.type << " " << k.method;
  }
  // No application at all.
  EXPECT_EQ(ImportGeometry(nullptr, 0, 0, &points, nullptr, nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), CString(L"Unable to create part"));
  EXPECT_EQ(ImportGeometry(nullptr, 7, 0, &points, nullptr, nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), CString(L"Unable to retrieve active model"));
}

TEST_F(GeometryImport, KindsAreDrawnInOrderEachUnderItsWindow) {
  ON_3dPointArray points;
  points.Append(0, 0, 5);
  points.Append(0, 0, 6);
  ON_ClassArray<ON_NurbsCurve> curves;
  curves.Append(testcurve::OpenCubic());
  ON_ClassArray<ON_NurbsSurface> surfaces;
  surfaces.Append(Grid(2, 2));
  ON_ClassArray<ON_Brep> breps;
  breps.Append(Box(1.0));
  ON_ClassArray<ON_Mesh> meshes;
  meshes.Append(testmesh::Tetrahedron());
  EXPECT_EQ(ImportGeometry(host.Application(), 0, 2, &points, &curves, &surfaces, &breps, &meshes, 1), 1);

  std::vector<int> drawn;
  for (const auto& r : host.Log().Records())
    if (std::string(r.role) == "HostDocument" && r.method >= 540 && r.method <= 578 && r.method != 560)
      drawn.push_back(r.method);
  std::vector<int> expected = {540, 540, 578};
  expected.insert(expected.end(), 6 + 12 + 6, 542);  // surface, brep and mesh lines
  EXPECT_EQ(drawn, expected);
  EXPECT_EQ(Titles(progress.lines), (Lines{"Creating points", "Creating curves", "Creating surface curves",
                                           "Creating curves", "Creating brep curves", "Creating curves",
                                           "Creating meshes", "Creating mesh"}));
  const Lines calls = Calls();
  EXPECT_EQ(Lines(calls.end() - 3, calls.end()),
            (Lines{"HostDocument.560()", "HostDocument.82()", "HostDocument.656(0)"}));
  EXPECT_EQ(host.CallCount("HostDocument", 349), 0u);
}

TEST_F(GeometryImport, BuilderFailuresGoUnnoticed) {
  for (int m : {540, 542, 551, 553, 559, 578}) host.InjectFault("HostDocument", m, Fault::Fail(E_FAIL));
  ON_3dPointArray points;
  points.Append(0, 0, 5);
  ON_ClassArray<ON_NurbsCurve> curves;
  curves.Append(testcurve::Make(2, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {0, 1, 2}));
  ON_ClassArray<ON_Mesh> meshes;
  meshes.Append(testmesh::Tetrahedron());
  ZTKSWON::SetLastErrorText(L"");
  EXPECT_EQ(ImportGeometry(host.Application(), 0, 0, &points, &curves, nullptr, nullptr, &meshes, 0), 1);
  EXPECT_EQ(ZTKSWON::GetLastErrorText(), CString(L""));
  EXPECT_EQ(host.CallCount("HostDocument", 540), 1u);
  EXPECT_EQ(host.CallCount("HostDocument", 542), 1u + 6u);  // the polyline stops, the mesh does not
  EXPECT_EQ(host.CallCount("HostDocument", 82), 1u);
  EXPECT_EQ(host.Documents()[0]->SketchCalls(), (std::vector<LONG>{0, 0}));
}

}  // namespace
