// The sketch builders on a part whose 3D sketch is open in the stand-in host: the
// exact document calls (literal positions, arguments as the log writes them), what
// the host stored, the results when the host refuses, and the progress calls.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ComHolders.h"
#include "ZTKNurbsCurve.h"
#include "bridge_fixture.h"
#include "curves.h"

namespace {

using bridgetest::Lines;
using standin::Fault;
using testcurve::Join;
using testcurve::Num;

class SketchBuilders : public bridgetest::OpenSketchTest {
 protected:
  // The document calls since SetUp, releases left out.
  Lines Calls() const { return host.Log().Lines("HostDocument"); }
  // Only the positions of the document calls: "542", "553", ...
  std::vector<int> Methods() const {
    std::vector<int> out;
    for (const auto& r : host.Log().Records())
      if (r.method > 6 && std::string(r.role) == "HostDocument") out.push_back(r.method);
    return out;
  }
  void FailEvery(std::initializer_list<int> methods) {
    for (int m : methods) host.InjectFault("HostDocument", m, Fault::Fail(E_FAIL));
  }
};

// The points of a closed curve as the builders sample them, times the scale.
std::vector<double> SampledTimes(const ON_NurbsCurve& curve, double scale) {
  ON_3dPointArray points;
  ZTKNurbsCurve::GetPoints(curve, points, 15.0);
  std::vector<ON_3dPoint> list(points.Array(), points.Array() + points.Count());
  return testcurve::Scaled(list, scale);
}

std::vector<double> Flat(const std::vector<standin::Point3>& points) {
  std::vector<double> out;
  for (const auto& p : points) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST_F(SketchBuilders, PointAndLineResultsFollowTheHost) {
  EXPECT_EQ(CreateSketchPoint(doc.Get(), ON_3dPoint(1, -2, 3), 0.5), S_OK);
  EXPECT_EQ(CreateSketchLine(doc.Get(), ON_Line(ON_3dPoint(1, 2, 3), ON_3dPoint(4, 5, 6)), 2.0), 1);
  EXPECT_EQ(Calls(), (Lines{"HostDocument.540(0.5,-1,1.5,&)", "HostDocument.542(2,4,6,8,10,12,&)"}));
  EXPECT_EQ(Sketch().points.size(), 1u);
  EXPECT_EQ(Sketch().lines.size(), 1u);

  // Refused: outside a sketch the host answers E_FAIL; a non-finite value E_INVALIDARG.
  HostOp::Insert3DSketch(doc.Get(), 0);
  EXPECT_EQ(CreateSketchPoint(doc.Get(), ON_3dPoint(1, 2, 3), 1.0), E_FAIL);
  EXPECT_EQ(CreateSketchLine(doc.Get(), ON_Line(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0)), 1.0), 0);
  HostOp::Insert3DSketch(doc.Get(), 0);
  EXPECT_EQ(CreateSketchPoint(doc.Get(), ON_3dPoint(NAN, 0, 0), 1.0), E_INVALIDARG);
  host.InjectFault("HostDocument", 540, Fault::NullOut(S_FALSE));
  EXPECT_EQ(CreateSketchPoint(doc.Get(), ON_3dPoint(0, 0, 0), 1.0), S_FALSE);  // passed on unchanged
  host.InjectFault("HostDocument", 542, Fault::After(S_FALSE));
  EXPECT_EQ(CreateSketchLine(doc.Get(), ON_Line(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0)), 1.0), 0);
}

TEST_F(SketchBuilders, PointsAreAllTriedUnderTheirWindow) {
  const ON_3dPointArray points = testcurve::Points({{1, 0, 0}, {0, 2, 0}, {0, 0, 4}});
  host.InjectFault("HostDocument", 540, Fault::Fail(E_FAIL, 2));
  EXPECT_EQ(CreateSketchPoints(doc.Get(), points, 0.25, 1), 1);
  EXPECT_EQ(Calls(), (Lines{"HostDocument.540(0.25,0,0,&)", "HostDocument.540(0,0.5,0,&)",
                            "HostDocument.540(0,0,1,&)"}));
  EXPECT_EQ(progress.hostCalls,
            (Lines{"0 new Creating points||0|100|none @0", "0 max 3 @0", "0 start @0", "0 step 1 @0", "0 step 1 @1",
                   "0 step 1 @2", "0 end @3", "0 destroy @3"}));
  EXPECT_EQ(Sketch().points.size(), 2u);

  // No points, flag on: the window still gets its maximum 0 and is started and ended.
  progress.lines.clear();
  host.Log().Clear();
  EXPECT_EQ(CreateSketchPoints(doc.Get(), ON_3dPointArray(), 1.0, 1), 1);
  EXPECT_EQ(progress.lines, (Lines{"1 new Creating points||0|100|none", "1 max 0", "1 start", "1 end", "1 destroy"}));
  EXPECT_TRUE(Calls().empty());
  // Flag off: the object is only made and destroyed.
  progress.lines.clear();
  EXPECT_EQ(CreateSketchPoints(doc.Get(), points, 1.0, 0), 1);
  EXPECT_EQ(progress.lines, (Lines{"2 new Creating points||0|100|none", "2 destroy"}));
}

TEST_F(SketchBuilders, PolylineDrawsSegmentsAndStopsAtTheFirstRefusal) {
  const ON_Polyline three = testcurve::Points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
  EXPECT_EQ(CreateSketchPolyline(doc.Get(), three, 2.0), 1);
  EXPECT_EQ(Calls(), (Lines{"HostDocument.542(0,0,0,2,0,0,&)", "HostDocument.542(2,0,0,2,2,0,&)"}));

  host.Log().Clear();
  host.InjectFault("HostDocument", 542, Fault::Fail(E_FAIL, 3));  // the next call
  EXPECT_EQ(CreateSketchPolyline(doc.Get(), three, 2.0), 0);
  EXPECT_EQ(Calls(), (Lines{"HostDocument.542(0,0,0,2,0,0,&)"}));

  host.Log().Clear();
  EXPECT_EQ(CreateSketchPolyline(doc.Get(), testcurve::Points({{5, 5, 5}}), 1.0), 1);
  EXPECT_EQ(CreateSketchPolyline(doc.Get(), ON_Polyline(), 1.0), 1);
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(Sketch().lines.size(), 2u);
}

TEST_F(SketchBuilders, SplineThroughPointsSendsThemAllInOneCall) {
  const ON_3dPointArray points = testcurve::Points({{1, 2, 3}, {4, 5, 6}, {7, 8, 10}});
  EXPECT_EQ(CreateSketchSplineThroughPoints(doc.Get(), points, 0.5), 1);
  EXPECT_EQ(Calls(), (Lines{"HostDocument.559(3,[0.5,1,1.5,2,2.5,3,3.5,4,5],&)"}));
  ASSERT_EQ(Sketch().splines.size(), 1u);
  EXPECT_FALSE(Sketch().splines[0].fromNurbs);

  // An empty list still makes the call, with count 0; the host refuses it.
  host.Log().Clear();
  EXPECT_EQ(CreateSketchSplineThroughPoints(doc.Get(), ON_3dPointArray(), 1.0), 0);
  EXPECT_EQ(Calls(), (Lines{"HostDocument.559(0,[],&)"}));
}

TEST_F(SketchBuilders, OpenCubicGoesAsNurbsDataWithItsEndKnotsRepeated) {
  EXPECT_EQ(CreateSketchSpline(doc.Get(), testcurve::OpenCubic(), 0.5), 1);
  EXPECT_EQ(Calls(), (Lines{"HostDocument.578([3,4,4,0],[0,0,0,0,1,1,1,1],[0,0,0,0.5,1,0,1.5,1,0.5,2,0,0],&)"}));
  ASSERT_EQ(Sketch().splines.size(), 1u);
  EXPECT_TRUE(Sketch().splines[0].fromNurbs);

  // Knots are parameters: never scaled, also when they do not start at 0.
  host.Log().Clear();
  const ON_NurbsCurve quadratic =
      testcurve::Make(3, {{0, 0, 0}, {1, 1, 0}, {2, 0, 1}, {3, 1, 1}}, {2, 2, 2.5, 4, 4});
  EXPECT_EQ(CreateSketchSpline(doc.Get(), quadratic, 10.0), 1);
  EXPECT_EQ(Calls(), (Lines{"HostDocument.578([3,3,4,0],[2,2,2,2.5,4,4,4],[0,0,0,10,10,0,20,0,10,30,10,10],&)"}));
}

TEST_F(SketchBuilders, RationalCurveArrivesWithEuclideanControlPoints) {
  ON_NurbsCurve c(3, true, 3, 3);
  c.SetCV(0, ON_4dPoint(1, 0, 0, 1));
  c.SetCV(1, ON_4dPoint(1, 2, 0.5, 0.5));  // (2, 4, 1) with weight 0.5
  c.SetCV(2, ON_4dPoint(0, 4, 0, 4));      // (0, 1, 0) with weight 4
  c.SetKnot(0, 0);
  c.SetKnot(1, 0);
  c.SetKnot(2, 1);
  c.SetKnot(3, 1);
  EXPECT_EQ(CreateSketchSpline(doc.Get(), c, 1.0), 1);
  EXPECT_EQ(Calls(), (Lines{"HostDocument.578([3,3,3,0],[0,0,0,1,1,1],[1,0,0,2,4,1,0,1,0],&)"}));
}

TEST_F(SketchBuilders, ClosedCurvesNeverReachTheNurbsSpline) {
  const struct {
    const char* name;
    ON_NurbsCurve curve;
  } cases[] = {{"periodic", testcurve::PeriodicCubic()}, {"clamped and closed", testcurve::ClosedClampedCubic()}};
  for (const auto& k : cases) {
    ASSERT_TRUE(k.curve.IsClosed()) << k.name;
    host.Log().Clear();
    EXPECT_EQ(CreateSketchSpline(doc.Get(), k.curve, 2.0), 1) << k.name;
    const std::vector<double> sampled = SampledTimes(k.curve, 2.0);
    ASSERT_GE(sampled.size(), 9u) << k.name;
    EXPECT_EQ(Calls(), (Lines{"HostDocument.559(" + std::to_string(sampled.size() / 3) + ",[" + Join(sampled) +
                              "],&)"}))
        << k.name;
    EXPECT_EQ(Flat(Sketch().splines.back().points), sampled) << k.name;
  }
  EXPECT_EQ(host.CallCount("HostDocument", 578), 0u);
}

TEST_F(SketchBuilders, CurvesThatCannotBeSentAreRefusedBeforeTheHost) {
  ON_NurbsCurve zeroWeight(3, true, 3, 3);
  zeroWeight.SetCV(0, ON_4dPoint(0, 0, 0, 1));
  zeroWeight.SetCV(1, ON_4dPoint(1, 1, 0, 0));  // no Euclidean point
  zeroWeight.SetCV(2, ON_4dPoint(2, 0, 1, 1));
  for (int i = 0; i < 4; ++i) zeroWeight.SetKnot(i, i < 2 ? 0.0 : 1.0);
  // Counts that claim more than the curve's storage holds.
  ON_NurbsCurve overstated = testcurve::OpenCubic();
  overstated.m_cv_count = 40;

  const ON_NurbsCurve empty;
  const struct {
    const char* name;
    const ON_NurbsCurve& curve;
  } cases[] = {{"empty", empty}, {"zero weight", zeroWeight}, {"overstated", overstated}};
  for (const auto& k : cases) EXPECT_EQ(CreateSketchSpline(doc.Get(), k.curve, 1.0), 0) << k.name;
  EXPECT_TRUE(Calls().empty());
  overstated.m_cv_count = 4;  // its own storage again, for the destructor
}

TEST_F(SketchBuilders, ArcsInTheWorldPlaneGoAsArcsAndCircles) {
  const ON_3dPoint centre(1, 2, 0);
  const ON_Arc ccw = testcurve::ArcIn(centre, ON_3dVector(1, 0, 0), ON_3dVector(0, 1, 0), 2.0, ON_PI / 2);
  const ON_Arc cw = testcurve::ArcIn(centre, ON_3dVector(1, 0, 0), ON_3dVector(0, -1, 0), 2.0, ON_PI / 2);
  ASSERT_EQ(ccw.Normal().z, 1.0);
  ASSERT_EQ(cw.Normal().z, -1.0);
  const double s = 0.5;
  const auto expected = [&](const ON_Arc& a, int direction) {
    const ON_3dPoint st = a.StartPoint(), e = a.EndPoint();
    return "HostDocument.553(" + Join({0.5, 1, 0, st.x * s, st.y * s, st.z * s, e.x * s, e.y * s, e.z * s}) + "," +
           std::to_string(direction) + ",&)";
  };
  EXPECT_EQ(CreateSketchArc(doc.Get(), ccw, s), 1);
  EXPECT_EQ(CreateSketchArc(doc.Get(), cw, s), 1);
  EXPECT_EQ(CreateSketchArc(doc.Get(), ON_Arc(ON_Circle(centre, 2.0), 2 * ON_PI), s), 1);
  EXPECT_EQ(Calls(), (Lines{expected(ccw, 1), expected(cw, -1), "HostDocument.551(0.5,1,0,1,&)"}));
  ASSERT_EQ(Sketch().arcs.size(), 3u);
  EXPECT_EQ(Sketch().arcs[1].direction, -1);
  EXPECT_TRUE(Sketch().arcs[2].fullCircle);

  // Refused by the host: 0.
  host.InjectFault("HostDocument", 553, Fault::Fail(E_FAIL));
  host.InjectFault("HostDocument", 551, Fault::Fail(E_FAIL));
  EXPECT_EQ(CreateSketchArc(doc.Get(), ccw, s), 0);
  EXPECT_EQ(CreateSketchArc(doc.Get(), ON_Arc(ON_Circle(centre, 2.0), 2 * ON_PI), s), 0);
}

TEST_F(SketchBuilders, ArcsOffTheWorldPlaneGoAsSplinesOfTheirNurbsForm) {
  // A full circle just above the plane: closed, so sampled and drawn through points.
  const ON_Arc lifted(ON_Circle(ON_3dPoint(0, 0, 1e-6), 1.0), 2 * ON_PI);
  EXPECT_EQ(CreateSketchArc(doc.Get(), lifted, 2.0), 1);
  const std::vector<double> sampled = SampledTimes(testcurve::NurbForm(lifted), 2.0);
  ASSERT_GE(sampled.size(), 3u * 24);
  EXPECT_EQ(Calls(), (Lines{"HostDocument.559(" + std::to_string(sampled.size() / 3) + ",[" + Join(sampled) + "],&)"}));
  for (size_t i = 2; i < sampled.size(); i += 3) EXPECT_NEAR(sampled[i], 2e-6, 1e-18);

  // A tilted quarter arc: open, so its NURBS data, with the weights dropped.
  host.Log().Clear();
  const ON_Arc tilted = testcurve::ArcIn(ON_3dPoint(0, 0, 0), ON_3dVector(1, 0, 0), ON_3dVector(0, 1, 1), 1.0, ON_PI / 2);
  EXPECT_EQ(CreateSketchArc(doc.Get(), tilted, 1.0), 1);
  const ON_NurbsCurve form = testcurve::NurbForm(tilted);
  ASSERT_EQ(form.CVCount(), 3);
  std::vector<ON_3dPoint> cvs(3);
  for (int i = 0; i < 3; ++i) form.GetCV(i, cvs[static_cast<size_t>(i)]);
  const double a = form.Knot(0), b = form.Knot(3);
  EXPECT_EQ(Calls(), (Lines{"HostDocument.578([3,3,3,0],[" + Join({a, a, a, b, b, b}) + "],[" +
                            Join(testcurve::Scaled(cvs, 1.0)) + "],&)"}));
  EXPECT_EQ(host.CallCount("HostDocument", 553) + host.CallCount("HostDocument", 551), 0u);
}

TEST_F(SketchBuilders, CurvesTakeTheFirstShapeThatApplies) {
  ON_ClassArray<ON_NurbsCurve> curves;
  curves.Append(testcurve::Make(2, {{0, 0, 0}, {3, 0, 0}}, {0, 1}));                          // a line
  curves.Append(testcurve::Make(4, {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {0, 0, 0, 1, 1, 1}));  // straight cubic
  curves.Append(testcurve::NurbForm(testcurve::ArcIn(ON_3dPoint(0, 0, 0), ON_3dVector(1, 0, 0),
                                                     ON_3dVector(0, -1, 0), 1.0, ON_PI / 2)));  // clockwise arc
  curves.Append(testcurve::NurbForm(ON_Arc(ON_Circle(ON_3dPoint(5, 5, 0), 2.0), 2 * ON_PI)));  // full circle
  curves.Append(testcurve::Make(2, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {0, 1, 2}));             // a polyline
  curves.Append(testcurve::OpenCubic());
  curves.Append(testcurve::PeriodicCubic());
  EXPECT_EQ(CreateSketchCurves(doc.Get(), curves, 1.0, 1), 1);
  EXPECT_EQ(Methods(), (std::vector<int>{542, 542, 553, 551, 542, 542, 578, 559}));
  const Lines calls = Calls();
  ASSERT_EQ(calls.size(), 8u);
  EXPECT_EQ(calls[0], "HostDocument.542(0,0,0,3,0,0,&)");
  EXPECT_EQ(calls[1], "HostDocument.542(0,0,0,3,3,3,&)");
  EXPECT_EQ(calls[2].substr(calls[2].size() - 6), ",-1,&)");  // clockwise seen from +z
  EXPECT_EQ(calls[4], "HostDocument.542(0,0,0,1,0,0,&)");
  EXPECT_EQ(calls[5], "HostDocument.542(1,0,0,1,1,0,&)");
  EXPECT_NEAR(Sketch().arcs[1].radius, 2.0, 1e-12);
  EXPECT_EQ(progress.hostCalls,
            (Lines{"0 new Creating curves||0|100|none @0", "0 max 7 @0", "0 start @0", "0 step 1 @0", "0 step 1 @1",
                   "0 step 1 @2", "0 step 1 @3", "0 step 1 @4", "0 step 1 @6", "0 step 1 @7", "0 end @8",
                   "0 destroy @8"}));
}

TEST_F(SketchBuilders, CurvesAreAllTriedWhenTheHostRefusesEverything) {
  ON_ClassArray<ON_NurbsCurve> curves;
  curves.Append(testcurve::Make(2, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {0, 1, 2}));
  curves.Append(testcurve::Make(2, {{0, 0, 0}, {3, 0, 0}}, {0, 1}));
  curves.Append(testcurve::NurbForm(ON_Arc(ON_Circle(ON_3dPoint(0, 0, 0), 1.0), ON_PI / 3)));
  curves.Append(testcurve::OpenCubic());
  curves.Append(testcurve::PeriodicCubic());
  FailEvery({540, 542, 551, 553, 559, 578});
  EXPECT_EQ(CreateSketchCurves(doc.Get(), curves, 1.0, 0), 1);
  // The polyline stops at its first refused segment; every other curve is tried.
  EXPECT_EQ(Methods(), (std::vector<int>{542, 542, 553, 578, 559}));
  EXPECT_TRUE(Sketch().lines.empty() && Sketch().arcs.empty() && Sketch().splines.empty());
  EXPECT_EQ(progress.lines, (Lines{"0 new Creating curves||0|100|none", "0 destroy"}));
}

TEST_F(SketchBuilders, HandedOutEntitiesAreReleasedAndNullOnesAreFine) {
  ON_ClassArray<ON_NurbsCurve> curves;
  curves.Append(testcurve::Make(2, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {0, 1, 2}));
  curves.Append(testcurve::NurbForm(ON_Arc(ON_Circle(ON_3dPoint(0, 0, 0), 1.0), 2 * ON_PI)));
  curves.Append(testcurve::OpenCubic());
  curves.Append(testcurve::PeriodicCubic());
  EXPECT_EQ(CreateSketchCurves(doc.Get(), curves, 1.0, 0), 1);
  // The host hands out null with S_OK: nothing to release, and success all the same.
  for (int m : {540, 542, 551, 553, 559, 578}) host.InjectFault("HostDocument", m, Fault::NullOut(S_OK));
  EXPECT_EQ(CreateSketchCurves(doc.Get(), curves, 1.0, 0), 1);
  EXPECT_EQ(CreateSketchPoint(doc.Get(), ON_3dPoint(0, 0, 0), 1.0), S_OK);
  EXPECT_EQ(CreateSketchSpline(doc.Get(), testcurve::OpenCubic(), 1.0), 1);
  EXPECT_EQ(host.CallCount("HostDocument", 551), 2u);
}

TEST(SketchBuildersWithoutDocument, NothingIsCalledAndNothingBreaks) {
  const ON_3dPointArray points = testcurve::Points({{0, 0, 0}, {1, 0, 0}});
  ON_ClassArray<ON_NurbsCurve> curves;
  curves.Append(testcurve::OpenCubic());
  curves.Append(testcurve::Make(2, {{0, 0, 0}, {3, 0, 0}}, {0, 1}));
  EXPECT_EQ(CreateSketchPoint(nullptr, ON_3dPoint(0, 0, 0), 1.0), E_POINTER);
  EXPECT_EQ(CreateSketchLine(nullptr, ON_Line(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0)), 1.0), 0);
  EXPECT_EQ(CreateSketchPolyline(nullptr, ON_Polyline(points), 1.0), 0);
  EXPECT_EQ(CreateSketchSplineThroughPoints(nullptr, points, 1.0), 0);
  EXPECT_EQ(CreateSketchSpline(nullptr, testcurve::OpenCubic(), 1.0), 0);
  EXPECT_EQ(CreateSketchArc(nullptr, ON_Arc(), 1.0), 0);
  EXPECT_EQ(CreateSketchPoints(nullptr, points, 1.0, 0), 1);
  EXPECT_EQ(CreateSketchCurves(nullptr, curves, 1.0, 0), 1);
}

}  // namespace
