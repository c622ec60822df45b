// The surface functions against the stand-in host, in both builds: the arrays of
// body methods 50, 46 and 53 and surface method 57 as the host received them, the
// results of 19, the failures and their texts, the faces of a slab in order, and
// the document calls of ImportSurface.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "ComHolders.h"
#include "bridge_fixture.h"
#include "relief.h"

namespace {

using bridgetest::BridgeTest;
using bridgetest::Concat;
using bridgetest::Lines;
using bridgetest::ReliefSurface;
using standin::Fault;
using P3 = std::array<double, 3>;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Text() { return ZTKSWON::GetLastErrorText().ToUtf8(); }

// A surface that is neither a plane nor a NURBS surface.
class SphereLikeSurface : public ON_Surface {
 public:
  bool IsValid(ON_TextLog*) const override { return true; }
  ON_Interval Domain(int) const override { return ON_Interval(0.0, 1.0); }
  bool Evaluate(double, double, int, int, double* v, int, int*) const override {
    v[0] = v[1] = v[2] = 0.0;
    return true;
  }
  ON_Curve* IsoCurve(int, double) const override { return nullptr; }
  int Dimension() const override { return 3; }
  bool GetBBox(double* lo, double* hi, bool) const override {
    for (int i = 0; i < 3; ++i) lo[i] = hi[i] = 0.0;
    return true;
  }
  bool Transform(const ON_Xform&) override { return true; }
};

// Order 3 in u and 2 in v, 4 x 2 control points, CV (i, j) at (10 (i + 1), 20 (j + 1), 30 + i).
ON_NurbsSurface SmallSurface() {
  ON_NurbsSurface s(3, false, 3, 2, 4, 2);
  const double u[] = {0, 0, 0.5, 1, 1}, v[] = {0, 2};
  for (int k = 0; k < 5; ++k) s.SetKnot(0, k, u[k]);
  for (int k = 0; k < 2; ++k) s.SetKnot(1, k, v[k]);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 4; ++i) s.SetCV(i, j, ON_3dPoint(10.0 * (i + 1), 20.0 * (j + 1), 30.0 + i));
  return s;
}

// Rational, order 2 x 2 over [0, 1] x [0, 1]: CV (1, 0) has the homogeneous
// coordinates (2, 4, 6) and the weight 2, the others weight 1.
ON_NurbsSurface RationalSurface() {
  ON_NurbsSurface s(3, true, 2, 2, 2, 2);
  for (int dir = 0; dir < 2; ++dir) {
    s.SetKnot(dir, 0, 0.0);
    s.SetKnot(dir, 1, 1.0);
  }
  s.SetCV(0, 0, ON_4dPoint(0, 0, 0, 1));
  s.SetCV(1, 0, ON_4dPoint(2, 4, 6, 2));
  s.SetCV(0, 1, ON_4dPoint(0, 1, 0, 1));
  s.SetCV(1, 1, ON_4dPoint(1, 1, 0, 1));
  return s;
}

// Periodic in v only: order 2 x 3 with 2 x 5 CVs, uniform v knots, the last two
// CVs along v repeating the first two.
ON_NurbsSurface PeriodicInV() {
  ON_NurbsSurface s(3, false, 2, 3, 2, 5);
  s.SetKnot(0, 0, 0.0);
  s.SetKnot(0, 1, 1.0);
  for (int k = 0; k < 6; ++k) s.SetKnot(1, k, k - 1.0);
  const P3 ring[5] = {{0, 0, 0}, {0, 1, 1}, {0, 0, 2}, {0, 0, 0}, {0, 1, 1}};
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 5; ++j) s.SetCV(i, j, ON_3dPoint(ring[j][0] + i, ring[j][1], ring[j][2]));
  return s;
}

std::vector<double> ScaledCVs(const ON_NurbsSurface& s, double scale) {
  std::vector<double> out;
  ON_3dPoint p;
  for (int j = 0; j < s.CVCount(1); ++j)
    for (int i = 0; i < s.CVCount(0); ++i) {
      s.GetCV(i, j, p);
      out.insert(out.end(), {p.x * scale, p.y * scale, p.z * scale});
    }
  return out;
}

// One host call made to fail, the calls that then reach the host, and the text left.
struct FaultCase {
  const char* name;
  const char* role;
  int method;
  Fault fault;
  Lines calls;
  const char* text;
};

// The fault of the case alone, on an empty log.
void Arm(standin::StandInHost& host, const FaultCase& c) {
  host.ClearFaults();
  host.Log().Clear();
  host.InjectFault(c.role, c.method, c.fault);
}

class Surfaces : public BridgeTest {
 protected:
  void SetUp() override {
    HostOp::NewPart(host.Application(), part.Out());
    ASSERT_TRUE(part);
    ASSERT_EQ(HostOp::CreateTemporaryBody(part.Get(), body.Out()), S_OK);
    ASSERT_TRUE(body);
    host.Log().Clear();
  }
  const standin::Document& Doc() const { return *host.Documents().back(); }
  // The surfaces of the body made last: the temporary body's until a build moves
  // them to the built body.
  const standin::BodySurfaces& Kept() const {
    const standin::BodySurfaces& temporary = Doc().TemporaryBodies().back()->Surfaces();
    if (!temporary.Surfaces().empty() || Doc().Bodies().empty()) return temporary;
    return Doc().Bodies().back()->Surfaces();
  }
  // The reference problems of everything but the fixture's own part and body.
  void CheckOtherReferences() const {
    const std::string own[] = {
        "HostPartDocument #" + std::to_string(reinterpret_cast<standin::Face*>(part.Get())->ObjectId()) + ":",
        "HostBody #" + std::to_string(reinterpret_cast<standin::Face*>(body.Get())->ObjectId()) + ":"};
    for (const std::string& problem : host.ReferenceProblems())
      if (problem.rfind(own[0], 0) != 0 && problem.rfind(own[1], 0) != 0) ADD_FAILURE() << problem;
  }
  // The calls made, as "HostBody.50", IUnknown and IDispatch left out.
  Lines Methods() const {
    Lines out;
    for (const auto& r : host.Log().Records())
      if (r.method > 6) out.push_back(std::string(r.role) + "." + std::to_string(r.method));
    return out;
  }

  CountedPtr<HostPartDocument> part;
  CountedPtr<HostBody> body;
};

// --- B-spline surfaces and planes --------------------------------------------------------

TEST_F(Surfaces, NurbsSurfaceArraysInTheHostsLayout) {
  struct Case {
    const char* name;
    ON_NurbsSurface surface;
    double scale;
    std::array<LONG, 8> header;
    std::vector<double> uKnots, vKnots;
  };
  const Case cases[] = {
      {"orders 3 x 2, 4 x 2 CVs",
       SmallSurface(),
       0.001,
       {3, 2, 2, 4, 0, 0, 3, 0},
       {0, 0, 0, 0.5, 1, 1, 1},
       {0, 0, 2, 2}},
      {"rational", RationalSurface(), 0.01, {2, 2, 2, 2, 0, 0, 3, 0}, {0, 0, 1, 1}, {0, 0, 1, 1}},
      {"periodic in v only", PeriodicInV(), 1.0, {2, 3, 5, 2, 0, 1, 3, 0}, {0, 0, 1, 1}, {-1, -1, 0, 1, 2, 3, 4, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.Log().Clear();
    HostSurface* surface = nullptr;
    ASSERT_EQ(CreateNurbsSurface(body.Get(), surface, &c.surface, c.scale), 1) << Kept().LastRefusal();
    ASSERT_TRUE(surface);
    EXPECT_EQ(static_cast<void*>(surface), Kept().Surfaces().back()->Interface());
    surface->Release();
    EXPECT_EQ(Methods(), (Lines{"HostBody.50"}));
    const standin::SurfaceArrays& sent = Kept().Surfaces().back()->Arrays();
    EXPECT_EQ(sent.header, c.header);
    EXPECT_EQ(sent.uKnots, c.uKnots);
    EXPECT_EQ(sent.vKnots, c.vKnots);
    EXPECT_EQ(sent.points, ScaledCVs(c.surface, c.scale));
  }
  // Literally: u runs fastest, so the second point is CV (1, 0); scale 0.001 takes
  // (10, 20, 30) to (0.01, 0.02, 0.03) and leaves the knots alone.
  host.Log().Clear();
  const ON_NurbsSurface small = SmallSurface();
  HostSurface* surface = nullptr;
  ASSERT_EQ(CreateNurbsSurface(body.Get(), surface, &small, 0.001), 1);
  surface->Release();
  EXPECT_EQ(host.Log().Args("HostBody", 50).front(),
            "[3,2,2,4,0,0,3,0],[0,0,0,0.5,1,1,1],[0,0,2,2],"
            "[0.01,0.02,0.03,0.02,0.02,0.031,0.03,0.02,0.032,0.04,0.02,0.033,"
            "0.01,0.04,0.03,0.02,0.04,0.031,0.03,0.04,0.032,0.04,0.04,0.033],&");
  // The rational surface's CV (1, 0) arrives as its Euclidean point (1, 2, 3), no weight.
  const standin::SurfaceArrays& rational = Kept().Surfaces()[1]->Arrays();  // the second case
  ASSERT_EQ(rational.points.size(), 12u);
  EXPECT_EQ((std::vector<double>(rational.points.begin() + 3, rational.points.begin() + 6)),
            (std::vector<double>{0.01, 0.02, 0.03}));
}

TEST_F(Surfaces, TheReliefArrivesAsTheArraysOfTheHostsOwnTests) {
  const ON_NurbsSurface relief = ReliefSurface(5);
  HostSurface* surface = nullptr;
  ASSERT_EQ(CreateNurbsSurface(body.Get(), surface, &relief, 1.0), 1);
  surface->Release();
  const surfaces::BSplineIn expected = surfaces::Relief{1.0, 5}.Surface();
  const standin::SurfaceArrays& sent = Kept().Surfaces().back()->Arrays();
  EXPECT_EQ(sent.header, expected.header);
  EXPECT_EQ(sent.uKnots, expected.uKnots);
  EXPECT_EQ(sent.vKnots, expected.vKnots);
  EXPECT_EQ(sent.points, expected.points);
}

TEST_F(Surfaces, PlaneSendsItsScaledOriginAndItsUnitNormalOnly) {
  ON_PlaneSurface plane(ON_Plane(ON_3dPoint(100, 0, 0), ON_3dVector(0, 0, 1)));
  plane.SetExtents(0, ON_Interval(-5, 7), true);  // extents and domains are not sent
  plane.SetExtents(1, ON_Interval(2, 3), true);
  HostSurface* surface = nullptr;
  ASSERT_EQ(CreatePlaneSurface(body.Get(), surface, &plane, 0.0254), 1);
  ASSERT_TRUE(surface);
  surface->Release();
  EXPECT_EQ(host.Log().Lines(), (Lines{"HostBody.46([2.54,0,0],[0,0,1],&)"}));

  const ON_PlaneSurface tilted(ON_Plane(ON_3dPoint(1, 2, 3), ON_3dVector(0, 3, 4)));
  ASSERT_EQ(CreatePlaneSurface(body.Get(), surface, &tilted, 0.001), 1);
  surface->Release();
  const standin::SurfaceArrays& sent = Kept().Surfaces().back()->Arrays();
  EXPECT_EQ(sent.kind, standin::SurfaceKind::Plane);
  EXPECT_EQ(sent.origin, (P3{1 * 0.001, 2 * 0.001, 3 * 0.001}));
  EXPECT_NEAR(sent.normal[0], 0.0, 1e-15);
  EXPECT_NEAR(sent.normal[1], 0.6, 1e-15);
  EXPECT_NEAR(sent.normal[2], 0.8, 1e-15);
}

// Every failure of 50 and 46, S_FALSE included, with its text; a surface the host
// handed out with a failure is released, and the caller's variable stays null.
TEST_F(Surfaces, RefusedSurfacesLeaveNoSurfaceAndTheirText) {
  const ON_NurbsSurface nurbs = SmallSurface();
  const ON_PlaneSurface plane(ON_Plane(ON_3dPoint(0, 0, 0), ON_3dVector(0, 0, 1)));
  struct Case {
    int method;
    Fault fault;
    const char* text;
  };
  const Case cases[] = {
      {50, Fault::Fail(E_FAIL), "Unable to create nurbs surface"},
      {50, Fault::Fail(S_FALSE), "Unable to create nurbs surface"},
      {50, Fault::After(S_FALSE), "Unable to create nurbs surface"},
      {50, Fault::NullOut(S_OK), "Unable to create valid nurbs surface"},
      {46, Fault::Fail(E_FAIL), "Unable to create plane surface"},
      {46, Fault::Fail(S_FALSE), "Unable to create plane surface"},
      {46, Fault::After(S_FALSE), "Unable to create plane surface"},
      {46, Fault::NullOut(S_OK), "Unable to create valid plane surface"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.method) + " " + c.text);
    host.ClearFaults();
    host.InjectFault("HostBody", c.method, c.fault);
    ZTKSWON::SetLastErrorText(L"");
    HostSurface* surface = reinterpret_cast<HostSurface*>(&host);  // a stale value is overwritten
    const BOOL made = c.method == 50 ? CreateNurbsSurface(body.Get(), surface, &nurbs, 1.0)
                                     : CreatePlaneSurface(body.Get(), surface, &plane, 1.0);
    EXPECT_EQ(made, 0);
    EXPECT_EQ(surface, nullptr);
    EXPECT_EQ(Text(), c.text);
    CheckOtherReferences();
  }
}

// What no host would take is refused before the host is asked.
TEST_F(Surfaces, SurfacesThatAreNoValidGeometryAreRefusedBeforeTheHost) {
  ON_NurbsSurface decreasing = SmallSurface();
  decreasing.SetKnot(0, 3, 0.25);  // 0, 0, 0.5, 0.25, 1
  ON_NurbsSurface zeroWeight = RationalSurface();
  zeroWeight.SetCV(1, 1, ON_4dPoint(1, 1, 0, 0));
  ON_NurbsSurface notFinite = SmallSurface();
  notFinite.SetCV(2, 1, ON_3dPoint(kNaN, 0, 0));
  const ON_NurbsSurface empty;
  const ON_NurbsSurface good = SmallSurface();
  struct Case {
    const char* name;
    HostBody* body;
    const ON_NurbsSurface* surface;
  };
  const Case cases[] = {
      {"knots that decrease", body.Get(), &decreasing},
      {"a weight of 0", body.Get(), &zeroWeight},
      {"a CV that is not a number", body.Get(), &notFinite},
      {"an empty surface", body.Get(), &empty},
      {"no surface", body.Get(), nullptr},
      {"no body", nullptr, &good},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostSurface* surface = nullptr;
    EXPECT_EQ(CreateNurbsSurface(c.body, surface, c.surface, 1.0), 0);
    EXPECT_EQ(surface, nullptr);
    EXPECT_EQ(Text(), "Unable to create nurbs surface");
  }
  const ON_PlaneSurface unset;
  HostSurface* surface = nullptr;
  EXPECT_EQ(CreatePlaneSurface(body.Get(), surface, &unset, 1.0), 0);
  EXPECT_EQ(CreatePlaneSurface(body.Get(), surface, nullptr, 1.0), 0);
  EXPECT_EQ(Text(), "Unable to create plane surface");
  EXPECT_EQ(host.Log().Size(), 0u);
}

// --- trimming loops ------------------------------------------------------------------------

ON_NurbsCurve Curve(int order, std::vector<double> knots, std::vector<ON_4dPoint> cvs, bool rational = false) {
  ON_NurbsCurve c(3, rational, order, static_cast<int>(cvs.size()));
  for (size_t k = 0; k < knots.size(); ++k) c.SetKnot(static_cast<int>(k), knots[k]);
  for (size_t i = 0; i < cvs.size(); ++i) c.SetCV(static_cast<int>(i), cvs[i]);
  return c;
}

// The unit square in z = 0 as four curves of different kinds, not head to tail.
ON_ClassArray<ON_NurbsCurve> SquareOfFourCurves() {
  ON_ClassArray<ON_NurbsCurve> curves;
  curves.Append(Curve(2, {2, 5}, {{0, 0, 0, 1}, {1, 0, 0, 1}}));
  curves.Append(Curve(3, {0, 0, 1, 1}, {{1, 0, 0, 1}, {3, 1, 0, 2}, {1, 1, 0, 1}}, true));  // middle (1.5, 0.5, 0)
  curves.Append(Curve(4, {0, 0, 0, 0.5, 1, 1, 1},
                      {{1, 1, 0, 1}, {0.75, 1.25, 0, 1}, {0.5, 1.5, 0, 1}, {0.25, 1.25, 0, 1}, {0, 1, 0, 1}}));
  curves.Append(Curve(2, {0, 1}, {{0, 0, 0, 1}, {0, 1, 0, 1}}));
  return curves;
}

TEST_F(Surfaces, TrimmingLoopArraysCurveAfterCurve) {
  const double scale = 0.01;
  ON_NurbsCurve ring;
  const ON_3dPoint corners[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  ASSERT_TRUE(ring.CreatePeriodicUniformNurbs(3, 4, 4, corners));
  ON_ClassArray<ON_NurbsCurve> one;
  one.Append(ring);
  struct Expected {
    std::vector<LONG> orders, dimensions, periodic, knotCounts, cvCounts;
    std::vector<double> knots;
  };
  struct Case {
    const char* name;
    ON_ClassArray<ON_NurbsCurve> curves;
    Expected expected;
  };
  const Case cases[] = {
      {"four curves",
       SquareOfFourCurves(),
       {{2, 3, 4, 2}, {-3, 3, 3, 3}, {0, 0, 0, 0}, {4, 6, 9, 4}, {2, 3, 5, 2}, {2, 2, 5,   5, 0, 0, 0, 1, 1, 1, 0, 0,
                                                                                0, 0, 0.5, 1, 1, 1, 1, 0, 0, 1, 1}}},
      {"one periodic curve", one, {{4}, {-3}, {1}, {11}, {7}, {-2, -2, -1, 0, 1, 2, 3, 4, 5, 6, 6}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostSurface* surface = nullptr;
    const ON_PlaneSurface floor(ON_Plane(ON_3dPoint(0, 0, 0), ON_3dVector(0, 0, 1)));
    ASSERT_EQ(CreatePlaneSurface(body.Get(), surface, &floor, scale), 1);
    host.Log().Clear();
    EXPECT_EQ(AddTrimmingLoop(surface, c.curves, scale), 1) << Kept().Surfaces().back()->LastRefusal();
    EXPECT_EQ(static_cast<void*>(surface), Kept().Surfaces().back()->Interface());  // the variable is kept
    surface->Release();
    ASSERT_EQ(Methods(), (Lines{"HostSurface.57"}));
    const std::string args = host.Log().Of("HostSurface", 57)[0].args;
    EXPECT_EQ(args.substr(args.size() - 5), ",null");
    ASSERT_EQ(Kept().Surfaces().back()->Loops().size(), 1u);
    const standin::TrimLoop& sent = Kept().Surfaces().back()->Loops()[0];
    EXPECT_EQ(sent.orders, c.expected.orders);
    EXPECT_EQ(sent.dimensions, c.expected.dimensions);
    EXPECT_EQ(sent.periodic, c.expected.periodic);
    EXPECT_EQ(sent.knotCounts, c.expected.knotCounts);
    EXPECT_EQ(sent.cvCounts, c.expected.cvCounts);
    EXPECT_EQ(sent.knots, c.expected.knots);
    std::vector<double> points;
    ON_3dPoint p;
    for (int k = 0; k < c.curves.Count(); ++k)
      for (int i = 0; i < c.curves[k].CVCount(); ++i) {
        c.curves[k].GetCV(i, p);
        points.insert(points.end(), {p.x * scale, p.y * scale, p.z * scale});
      }
    EXPECT_EQ(sent.points, points);
  }
  // The rational curve's middle CV arrives as its Euclidean point, no weight.
  const standin::TrimLoop& square = Kept().Surfaces()[0]->Loops()[0];
  EXPECT_EQ((std::vector<double>(square.points.begin() + 9, square.points.begin() + 12)),
            (std::vector<double>{1.5 * scale, 0.5 * scale, 0}));
}

TEST_F(Surfaces, TrimmingLoopFailures) {
  const ON_PlaneSurface floor(ON_Plane(ON_3dPoint(0, 0, 0), ON_3dVector(0, 0, 1)));
  HostSurface* surface = nullptr;
  ASSERT_EQ(CreatePlaneSurface(body.Get(), surface, &floor, 1.0), 1);
  const CountedPtr<HostSurface> held = CountedPtr<HostSurface>::Attach(surface);
  host.Log().Clear();

  const ON_ClassArray<ON_NurbsCurve> none;
  EXPECT_EQ(AddTrimmingLoop(surface, none, 1.0), 0);
  EXPECT_EQ(Text(), "Unable to add empty trimming loop");
  EXPECT_EQ(host.Log().Size(), 0u);

  ON_ClassArray<ON_NurbsCurve> withEmpty = SquareOfFourCurves();
  withEmpty[2] = ON_NurbsCurve();  // what an iso-curve that could not be had leaves
  EXPECT_EQ(AddTrimmingLoop(surface, withEmpty, 1.0), 0);
  ON_ClassArray<ON_NurbsCurve> zeroWeight = SquareOfFourCurves();
  ASSERT_TRUE(zeroWeight[1].SetCV(1, ON_4dPoint(1, 1, 0, 0)));  // valid, but has no Euclidean point there
  EXPECT_EQ(AddTrimmingLoop(surface, zeroWeight, 1.0), 0);
  HostSurface* noSurface = nullptr;
  EXPECT_EQ(AddTrimmingLoop(noSurface, SquareOfFourCurves(), 1.0), 0);
  EXPECT_EQ(Text(), "Unable to add trimming loop");
  EXPECT_EQ(host.Log().Size(), 0u);

  ZTKSWON::SetLastErrorText(L"");
  host.InjectFault("HostSurface", 57, Fault::Fail(S_FALSE));
  EXPECT_EQ(AddTrimmingLoop(surface, SquareOfFourCurves(), 1.0), 0);
  EXPECT_EQ(Text(), "Unable to add trimming loop");
  EXPECT_EQ(host.Log().Count("HostSurface", 57), 1u);
}

// --- faces --------------------------------------------------------------------------------

TEST_F(Surfaces, BoundedFaceOverTheSurfacesDomainAtAnyScale) {
  ON_NurbsSurface surface = SmallSurface();  // [0, 1] x [0, 2]
  const ON_ClassArray<ON_NurbsCurve> none;
  for (double scale : {1.0, 0.001, 0.0254}) {
    SCOPED_TRACE(scale);
    host.Log().Clear();
    EXPECT_EQ(CreateTrimmedSurface(body.Get(), &surface, none, scale), 1) << Kept().LastRefusal();
    EXPECT_EQ(Methods(), (Lines{"HostBody.50", "HostBody.53"}));
    EXPECT_EQ(host.Log().Args("HostBody", 53), (Lines{"1,1,[0,1,0,2]"}));
    CheckOtherReferences();  // the host surface is let go of, the face stays
  }
  EXPECT_EQ(Kept().Faces().size(), 3u);
}

TEST_F(Surfaces, APlaneWithTrimCurvesGoesToFortySixAndNeverToFifty) {
  const ON_PlaneSurface floor(ON_Plane(ON_3dPoint(0, 0, 0), ON_3dVector(0, 0, 1)));
  EXPECT_EQ(CreateTrimmedSurface(body.Get(), &floor, SquareOfFourCurves(), 0.001), 1) << Kept().LastRefusal();
  EXPECT_EQ(Methods(), (Lines{"HostBody.46", "HostSurface.57", "HostBody.19"}));
  ASSERT_EQ(Kept().Faces().size(), 1u);
  EXPECT_TRUE(Kept().Faces()[0].trimmed);
}

TEST_F(Surfaces, TrimmedSurfaceFailuresKeepTheirTextAndReleaseTheSurface) {
  const ON_PlaneSurface floor(ON_Plane(ON_3dPoint(0, 0, 0), ON_3dVector(0, 0, 1)));
  const ON_NurbsSurface nurbs = SmallSurface();
  const ON_ClassArray<ON_NurbsCurve> none;
  const ON_ClassArray<ON_NurbsCurve> square = SquareOfFourCurves();
  struct Case {
    FaultCase fault;
    const ON_Surface* surface;
    const ON_ClassArray<ON_NurbsCurve>* trims;
  };
  const Lines trimmed = {"HostBody.46", "HostSurface.57", "HostBody.19"};
  const Case cases[] = {
      {{"19 makes no face", "HostBody", 19, Fault::NullOut(S_OK), trimmed, "Unable to create trimmed surface"},
       &floor,
       &square},
      {{"19 gives S_FALSE", "HostBody", 19, Fault::Fail(S_FALSE), trimmed, "Unable to create trimmed surface"},
       &floor,
       &square},
      {{"57 fails",
        "HostSurface",
        57,
        Fault::Fail(E_FAIL),
        {"HostBody.46", "HostSurface.57"},
        "Unable to add trimming loop"},
       &floor,
       &square},
      {{"46 fails", "HostBody", 46, Fault::After(E_FAIL), {"HostBody.46"}, "Unable to create plane surface"},
       &floor,
       &square},
      {{"53 gives S_FALSE",
        "HostBody",
        53,
        Fault::Fail(S_FALSE),
        {"HostBody.50", "HostBody.53"},
        "Unable to create bounded surface"},
       &nurbs,
       &none},
      {{"50 makes no surface",
        "HostBody",
        50,
        Fault::NullOut(S_OK),
        {"HostBody.50"},
        "Unable to create valid nurbs surface"},
       &nurbs,
       &none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault.name);
    Arm(host, c.fault);
    EXPECT_EQ(CreateTrimmedSurface(body.Get(), c.surface, *c.trims, 1.0), 0);
    EXPECT_EQ(Methods(), c.fault.calls);
    EXPECT_EQ(Text(), c.fault.text);
    CheckOtherReferences();
  }
}

// Neither a plane nor a NURBS surface: no host surface to trim or bound, so no host call.
TEST_F(Surfaces, OtherSurfacesAreRefusedWithATextOfTheirOwn) {
  const SphereLikeSurface other;
  for (const ON_ClassArray<ON_NurbsCurve>& trims : {ON_ClassArray<ON_NurbsCurve>(), SquareOfFourCurves()}) {
    EXPECT_EQ(CreateTrimmedSurface(body.Get(), &other, trims, 1.0), 0);
    EXPECT_EQ(Text(), "Unable to create surface that is neither a plane nor a nurbs surface");
    EXPECT_EQ(CreateTrimmedSurface(body.Get(), nullptr, trims, 1.0), 0);
  }
  EXPECT_EQ(host.Log().Size(), 0u);
}

// --- slabs ----------------------------------------------------------------------------------

// The relief's corners (model units): top at (u, v), and the bottom under them.
struct Corners {
  P3 top[4], bottom[4];  // (umin, vmin), (umax, vmin), (umax, vmax), (umin, vmax)
  Corners(double thickness, bool flat) {
    const surfaces::Relief r;
    const P3 t[4] = {r.Cv(0, 0), r.Cv(3, 0), r.Cv(3, 3), r.Cv(0, 3)};
    for (int k = 0; k < 4; ++k) {
      top[k] = t[k];
      bottom[k] = {t[k][0], t[k][1], (flat ? surfaces::Relief::ZMin() : t[k][2]) - thickness};
    }
  }
};

// Curve ends are evaluated points: equal to the corners within rounding.
bool Near(const P3& a, const P3& b) {
  for (size_t i = 0; i < 3; ++i)
    if (std::fabs(a[i] - b[i]) > 1e-12) return false;
  return true;
}

struct Ends {
  P3 start, end;
  bool operator==(const Ends& o) const { return Near(start, o.start) && Near(end, o.end); }
};

std::ostream& operator<<(std::ostream& os, const Ends& e) {
  return os << "(" << e.start[0] << "," << e.start[1] << "," << e.start[2] << ")->(" << e.end[0] << "," << e.end[1]
            << "," << e.end[2] << ")";
}

// The first and last control point of every curve of the loop, in model units.
std::vector<Ends> LoopEnds(const standin::TrimLoop& loop, double scale) {
  std::vector<Ends> out;
  for (size_t k = 0; k < loop.Count(); ++k) {
    const standin::LoopCurve c = loop.Curve(k);
    const double* last = c.points + 3 * (c.count - 1);
    out.push_back({{c.points[0] / scale, c.points[1] / scale, c.points[2] / scale},
                   {last[0] / scale, last[1] / scale, last[2] / scale}});
  }
  return out;
}

TEST_F(Surfaces, SlabFacesInOrderWithTheirPlanesAndLoops) {
  const ON_NurbsSurface relief = ReliefSurface();
  for (const bool flat : {true, false}) {
    SCOPED_TRACE(flat ? "flat base" : "offset base");
    host.Log().Clear();
    EXPECT_EQ(CreateBodyFromSurface(part.Get(), &relief, 2.0, flat, 1.0), 1)
        << Doc().TemporaryBodies().back()->BuildProblem();
    const Lines side = {"HostBody.46", "HostSurface.57", "HostBody.19"};
    EXPECT_EQ(Methods(), Concat({{"HostPartDocument.31", "HostBody.50", "HostBody.53"},
                                 side,
                                 side,
                                 side,
                                 side,
                                 flat ? side : Lines{"HostBody.50", "HostBody.53"},
                                 {"HostBody.12"}}));
    ASSERT_FALSE(Doc().Bodies().empty());
    const standin::BodySurfaces& made = Doc().Bodies().back()->Surfaces();
    ASSERT_EQ(made.Surfaces().size(), 6u);
    EXPECT_EQ(made.Faces().size(), 6u);

    const Corners c(2.0, flat);
    const P3* t = c.top;
    const P3* b = c.bottom;
    struct Face {
      P3 origin, normal;
      std::vector<Ends> loop;
    };
    std::vector<Face> faces = {
        {t[0], {0, -1, 0}, {{t[0], t[1]}, {t[0], b[0]}, {b[0], b[1]}, {t[1], b[1]}}},
        {t[1], {1, 0, 0}, {{t[1], t[2]}, {t[1], b[1]}, {b[1], b[2]}, {t[2], b[2]}}},
        {t[3], {0, 1, 0}, {{t[3], t[2]}, {t[2], b[2]}, {b[3], b[2]}, {t[3], b[3]}}},
        {t[0], {-1, 0, 0}, {{t[0], t[3]}, {t[3], b[3]}, {b[0], b[3]}, {t[0], b[0]}}},
    };
    if (flat) faces.push_back({b[0], {0, 0, -1}, {{b[0], b[1]}, {b[1], b[2]}, {b[3], b[2]}, {b[0], b[3]}}});
    for (size_t f = 0; f < faces.size(); ++f) {
      SCOPED_TRACE("face " + std::to_string(f + 1));
      const standin::Surface& s = *made.Surfaces()[f + 1];
      ASSERT_EQ(s.Arrays().kind, standin::SurfaceKind::Plane);
      EXPECT_TRUE(Near(s.Arrays().origin, faces[f].origin));
      EXPECT_EQ(s.Arrays().normal, faces[f].normal);
      ASSERT_EQ(s.Loops().size(), 1u);
      EXPECT_EQ(LoopEnds(s.Loops()[0], 1.0), faces[f].loop);
    }
    if (flat) {
      // The flat bottom edges are straight lines at zmin - thickness = -1.
      const standin::TrimLoop& floor = made.Surfaces()[5]->Loops()[0];
      EXPECT_EQ(floor.orders, (std::vector<LONG>{2, 2, 2, 2}));
      EXPECT_TRUE(Near(made.Surfaces()[5]->Arrays().origin, P3{0, 0, -1}));
    } else {
      // The bottom is the surface moved down by 2, over the same domain; the bottom
      // edges are the top edges moved down by 2.
      const standin::SurfaceArrays& base = made.Surfaces()[5]->Arrays();
      const standin::SurfaceArrays& top = made.Surfaces()[0]->Arrays();
      EXPECT_EQ(base.kind, standin::SurfaceKind::BSpline);
      EXPECT_EQ(base.uKnots, top.uKnots);
      EXPECT_EQ(base.vKnots, top.vKnots);
      std::vector<double> moved = top.points;
      for (size_t i = 2; i < moved.size(); i += 3) moved[i] -= 2.0;
      EXPECT_EQ(base.points, moved);
      EXPECT_FALSE(made.Faces()[5].trimmed);
      EXPECT_EQ(made.Faces()[5].range, (std::array<double, 4>{0, 10, 0, 20}));
      const standin::TrimLoop& side = made.Surfaces()[1]->Loops()[0];
      const standin::LoopCurve topEdge = side.Curve(0), bottomEdge = side.Curve(2);
      ASSERT_EQ(topEdge.count, bottomEdge.count);
      for (int i = 0; i < 3 * topEdge.count; ++i)
        EXPECT_EQ(bottomEdge.points[i], topEdge.points[i] - (i % 3 == 2 ? 2.0 : 0.0)) << i;
    }
  }
}

// No slab: the body holds the top face only, and the host is still asked to build
// it. A modeller refuses a lone open sheet; without a kernel the host builds it.
TEST_F(Surfaces, ThicknessZeroNegativeOrNaNMakesNoSlab) {
  const ON_NurbsSurface relief = ReliefSurface();
  for (const double thickness : {0.0, -1.0, kNaN, -kNaN}) {
    SCOPED_TRACE(thickness);
    host.Log().Clear();
    ZTKSWON::SetLastErrorText(L"");
    const BOOL built = CreateBodyFromSurface(part.Get(), &relief, thickness, 1, 0.001);
    EXPECT_EQ(Methods(), (Lines{"HostPartDocument.31", "HostBody.50", "HostBody.53", "HostBody.12"}));
    EXPECT_EQ(built, standin::kKernelBacked ? 0 : 1);
    EXPECT_EQ(Text(), standin::kKernelBacked ? "Unable to create body from surface" : "");
  }
}

TEST_F(Surfaces, ARefusedSideFaceStopsTheSlabButNotTheBuild) {
  const ON_NurbsSurface relief = ReliefSurface();
  host.InjectFault("HostBody", 19, Fault::NullOut(S_OK));  // every trimmed face refused
  EXPECT_EQ(CreateSlabFromSurface(body.Get(), &relief, 2.0, 1, 1.0), 0);
  EXPECT_EQ(Text(), "Unable to create trimmed surface");
  EXPECT_EQ(Methods(), (Lines{"HostBody.46", "HostSurface.57", "HostBody.19"}));

  struct Case {
    const char* name;
    bool hostBuildsAnyway;  // a host that takes what it is given
  };
  for (const Case& c : {Case{"the host's own verdict", false}, Case{"a host that builds anyway", true}}) {
    SCOPED_TRACE(c.name);
    host.Log().Clear();
    if (c.hostBuildsAnyway) host.InjectFault("HostBody", 12, Fault::Fail(S_OK));
    ZTKSWON::SetLastErrorText(L"");
    const BOOL built = CreateBodyFromSurface(part.Get(), &relief, 2.0, 1, 1.0);
    EXPECT_EQ(Methods(), (Lines{"HostPartDocument.31", "HostBody.50", "HostBody.53", "HostBody.46", "HostSurface.57",
                                "HostBody.19", "HostBody.12"}));
    const bool succeeds = c.hostBuildsAnyway || !standin::kKernelBacked;
    EXPECT_EQ(built, succeeds ? 1 : 0);
    // A build that succeeds leaves the slab's text.
    EXPECT_EQ(Text(), succeeds ? "Unable to create trimmed surface" : "Unable to create body from surface");
  }
}

TEST_F(Surfaces, BodyFailures) {
  const ON_NurbsSurface relief = ReliefSurface();
  const FaultCase cases[] = {
      {"no body", "HostPartDocument", 31, Fault::NullOut(S_OK), {"HostPartDocument.31"}, "Unable to create new body"},
      {"a body handed out with a failure",
       "HostPartDocument",
       31,
       Fault::After(S_FALSE),
       {"HostPartDocument.31"},
       "Unable to create new body"},
      {"the top face fails",
       "HostBody",
       50,
       Fault::Fail(E_FAIL),
       {"HostPartDocument.31", "HostBody.50"},
       "Unable to create nurbs surface"},
      {"the build fails",
       "HostBody",
       12,
       Fault::After(E_FAIL),
       {"HostPartDocument.31", "HostBody.50", "HostBody.53", "HostBody.12"},
       "Unable to create body from surface"},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    Arm(host, c);
    EXPECT_EQ(CreateBodyFromSurface(part.Get(), &relief, 0.0, 1, 1.0), 0);
    EXPECT_EQ(Methods(), c.calls);
    EXPECT_EQ(Text(), c.text);
    CheckOtherReferences();
  }
  EXPECT_EQ(CreateBodyFromSurface(nullptr, &relief, 2.0, 1, 1.0), 0);
  EXPECT_EQ(Text(), "Unable to create new body");
}

// --- the import -----------------------------------------------------------------------------

class Import : public BridgeTest {
 protected:
  // The application's and the document's own calls with their arguments; the
  // faces and sketch entities by role and position only.
  Lines Calls() const {
    Lines out;
    for (const auto& r : host.Log().Records()) {
      if (r.method <= 6) continue;
      bool entity = false;
      for (int m : {540, 542, 551, 553, 559, 578})
        entity = entity || (r.role == std::string("HostDocument") && r.method == m);
      out.push_back(!entity && (r.role == std::string("HostApplication") || r.role == std::string("HostDocument"))
                        ? r.Text()
                        : std::string(r.role) + "." + std::to_string(r.method));
    }
    return out;
  }
  const ON_NurbsSurface relief = ReliefSurface();
};

const Lines kPartStart = {"HostApplication.19(&)", "HostApplication.8(&)", "HostDocument.237(1)"};
const Lines kPartEnd = {"HostDocument.560()", "HostDocument.349()"};

TEST_F(Import, DocumentCallsOfEachKind) {
  const Lines slab = {"HostPartDocument.31", "HostBody.50",    "HostBody.53",    "HostBody.46",    "HostSurface.57",
                      "HostBody.19",         "HostBody.46",    "HostSurface.57", "HostBody.19",    "HostBody.46",
                      "HostSurface.57",      "HostBody.19",    "HostBody.46",    "HostSurface.57", "HostBody.19",
                      "HostBody.46",         "HostSurface.57", "HostBody.19",    "HostBody.12"};
  struct Case {
    const char* name;
    int kind;
    int units;
    Lines calls;
    size_t bodies;
  };
  const Case cases[] = {
      {"solid", ImportAsSolid, 0, Concat({kPartStart, {"HostDocument.14(0)"}, slab, kPartEnd}), 1},
      {"kind 2", 2, 3, Concat({kPartStart, {"HostDocument.14(3)"}, kPartEnd}), 0},
      {"kind -1, units 7", -1, 7, Concat({kPartStart, kPartEnd}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.Log().Clear();
    EXPECT_EQ(ImportSurface(host.Application(), &relief, c.units, c.kind, 2.0, 1, 0), 1);
    EXPECT_EQ(Calls(), c.calls);
    const standin::Document& doc = *host.Documents().back();
    EXPECT_EQ(doc.Bodies().size(), c.bodies);
    EXPECT_EQ(doc.LengthUnit(), c.units == 7 ? standin::kUnitAsCreated : c.units);
    EXPECT_TRUE(doc.SketchCalls().empty());
    EXPECT_TRUE(doc.DisplayWhenAddedCalls().empty());
  }
  EXPECT_EQ(host.Documents().size(), 3u);
  EXPECT_EQ(progress.constructed, 0);
}

// The 3D-sketch form: the iso-curves of the relief (five stations in each
// direction, cubic splines) in a sketch of the active document, entered before
// and left after; the progress flag reaches the sketch, thickness and base play
// no part.
TEST_F(Import, SketchOfIsoCurves) {
  for (const BOOL progressOn : {1, 0}) {
    SCOPED_TRACE(progressOn);
    host.Log().Clear();
    progress.lines.clear();
    EXPECT_EQ(ImportSurface(host.Application(), &relief, 3, ImportAs3DSketch, -5.0, 0, progressOn), 1);
    Lines splines;
    bridgetest::Repeat(splines, "HostDocument.578", 10);
    EXPECT_EQ(Calls(), Concat({kPartStart,
                               {"HostDocument.14(3)", "HostDocument.656(0)", "HostDocument.235(0)"},
                               splines,
                               {"HostDocument.82()", "HostDocument.656(0)"},
                               kPartEnd}));
    const standin::Document& doc = *host.Documents().back();
    ASSERT_EQ(doc.Sketches().size(), 1u);
    EXPECT_FALSE(doc.InSketch());
    EXPECT_EQ(doc.Sketches()[0].splines.size(), 10u);
    EXPECT_TRUE(doc.TemporaryBodies().empty());
    if (progressOn) {
      ASSERT_GE(progress.lines.size(), 2u);
      EXPECT_EQ(progress.lines[1], progress.lines[0].substr(0, 1) + " max 10");
    } else {
      EXPECT_EQ(progress.lines.size(), 2u);  // made and destroyed, never shown
    }
  }
  // The end points of the first iso-curve, v = 0 from u = 0 to 10, in inches.
  const auto& first = host.Documents().back()->Sketches()[0].splines.front();
  ASSERT_FALSE(first.points.empty());
  EXPECT_EQ(first.points.front(), (P3{0, 0, 1 * 0.0254}));
  EXPECT_EQ(first.points.back(), (P3{10 * 0.0254, 0, 2 * 0.0254}));
}

TEST_F(Import, Failures) {
  const FaultCase cases[] = {
      {"no part", "HostApplication", 19, Fault::NullOut(S_OK), {"HostApplication.19(&)"}, "Unable to create part"},
      {"no document",
       "HostApplication",
       8,
       Fault::NullOut(S_OK),
       {"HostApplication.19(&)", "HostApplication.8(&)"},
       "Unable to retrieve active model"},
      {"no body: the part is still finished", "HostPartDocument", 31, Fault::NullOut(S_OK),
       Concat({kPartStart, {"HostDocument.14(3)", "HostPartDocument.31"}, kPartEnd}), "Unable to create new body"},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    Arm(host, c);
    EXPECT_EQ(ImportSurface(host.Application(), &relief, 3, ImportAsSolid, 2.0, 1, 0), 0);
    EXPECT_EQ(Calls(), c.calls);
    EXPECT_EQ(Text(), c.text);
    CheckReferences();
  }
  host.Log().Clear();
  EXPECT_EQ(ImportSurface(host.Application(), nullptr, 3, ImportAsSolid, 2.0, 1, 0), 0);
  EXPECT_EQ(Text(), "No surface to import");
  EXPECT_EQ(ImportSurface(nullptr, &relief, 3, ImportAsSolid, 2.0, 1, 0), 0);
  EXPECT_EQ(Text(), "Unable to create part");
  EXPECT_EQ(host.Log().Size(), 0u);
}

// Units index 3: every length the host receives is inches times 0.0254, the
// thickness applied before the scale; knots, normals and ranges as in metres.
TEST_F(Import, InchesScaleEveryLengthAndNothingElse) {
  for (const bool flat : {true, false}) {
    SCOPED_TRACE(flat ? "flat base" : "offset base");
    ASSERT_EQ(ImportSurface(host.Application(), &relief, 2, ImportAsSolid, 2.0, flat, 0), 1);
    ASSERT_EQ(ImportSurface(host.Application(), &relief, 3, ImportAsSolid, 2.0, flat, 0), 1);
    const size_t n = host.Documents().size();
    ASSERT_EQ(host.Documents()[n - 2]->Bodies().size(), 1u);
    ASSERT_EQ(host.Documents()[n - 1]->Bodies().size(), 1u);
    EXPECT_EQ(host.Documents()[n - 1]->LengthUnit(), 3);
    const standin::BodySurfaces& m = host.Documents()[n - 2]->Bodies()[0]->Surfaces();
    const standin::BodySurfaces& in = host.Documents()[n - 1]->Bodies()[0]->Surfaces();
    ASSERT_EQ(m.Surfaces().size(), in.Surfaces().size());
    auto scaled = [](std::vector<double> v) {
      for (double& x : v) x *= 0.0254;
      return v;
    };
    for (size_t s = 0; s < m.Surfaces().size(); ++s) {
      SCOPED_TRACE(s);
      const standin::SurfaceArrays &a = m.Surfaces()[s]->Arrays(), &b = in.Surfaces()[s]->Arrays();
      EXPECT_EQ(b.header, a.header);
      EXPECT_EQ(b.uKnots, a.uKnots);
      EXPECT_EQ(b.vKnots, a.vKnots);
      EXPECT_EQ(b.points, scaled(a.points));
      EXPECT_EQ(b.normal, a.normal);
      EXPECT_EQ((std::vector<double>(b.origin.begin(), b.origin.end())),
                scaled(std::vector<double>(a.origin.begin(), a.origin.end())));
      ASSERT_EQ(b.kind == standin::SurfaceKind::Plane ? 1u : 0u, in.Surfaces()[s]->Loops().size());
      if (b.kind == standin::SurfaceKind::Plane) {
        const standin::TrimLoop &la = m.Surfaces()[s]->Loops()[0], &lb = in.Surfaces()[s]->Loops()[0];
        EXPECT_EQ(lb.knots, la.knots);
        EXPECT_EQ(lb.points, scaled(la.points));
      }
    }
    for (size_t f = 0; f < m.Faces().size(); ++f) EXPECT_EQ(in.Faces()[f].range, m.Faces()[f].range);
    if (flat) {
      EXPECT_EQ(in.Surfaces()[5]->Arrays().origin, (P3{0, 0, (1.0 - 2.0) * 0.0254}));
    }
  }
}

}  // namespace
