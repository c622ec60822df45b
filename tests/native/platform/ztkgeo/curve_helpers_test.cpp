// The curve helpers on the curves their callers hand them: NURBS forms of lines,
// polylines and arcs (the exact forms openNURBS writes), curves that only look
// like them, closed curves to sample, and bad curves that must be refused.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "ZTKCurve.h"
#include "ZTKNurbsCurve.h"
#include "ZTKVector.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

ON_NurbsCurve Clamped(int order, const std::vector<ON_3dPoint>& points) {
  ON_NurbsCurve c;
  EXPECT_TRUE(c.CreateClampedUniformNurbs(3, order, static_cast<int>(points.size()), points.data()));
  return c;
}

ON_NurbsCurve FormOf(const ON_Curve& curve) {
  ON_NurbsCurve c;
  EXPECT_GT(curve.GetNurbForm(c), 0);
  return c;
}

ON_NurbsCurve ArcForm(const ON_Arc& arc) {
  ON_NurbsCurve c;
  EXPECT_EQ(arc.GetNurbForm(c), 2);
  return c;
}

// A plane through `origin` whose normal is `normal`.
ON_Plane Tilted(const ON_3dPoint& origin, const ON_3dVector& normal) { return ON_Plane(origin, normal); }

void ExpectNear(const ON_3dPoint& a, const ON_3dPoint& b, double tol, const std::string& what) {
  EXPECT_LE(a.DistanceTo(b), tol) << what << ": (" << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.x << ", "
                                  << b.y << ", " << b.z << ")";
}

TEST(ZTKCurve, StraightCurvesAreLines) {
  const ON_3dPoint a(1, 2, 3), b(4, -2, 3);
  ON_NurbsCurve rational = Clamped(3, {a, ON_3dPoint(2, 2 - 4.0 / 3, 3), b});
  rational.MakeRational();
  rational.SetCV(1, ON_4dPoint(2 * 3, (2 - 4.0 / 3) * 3, 3 * 3, 3));  // weight 3, same point
  struct Case {
    const char* name;
    ON_NurbsCurve curve;
  };
  const Case cases[] = {
      {"two_cvs", Clamped(2, {a, b})},
      {"cubic_with_cvs_in_order", Clamped(4, {a, a + (b - a) * 0.1, a + (b - a) * 0.7, a + (b - a) * 0.71, b})},
      {"collinear_polyline", Clamped(2, {a, a + (b - a) * 0.5, b})},
      {"rational", rational},
      {"line_curve", FormOf(ON_LineCurve(a, b))},
      {"within_tolerance", Clamped(3, {a, a + (b - a) * 0.5 + ON_3dVector(0, 0, 2e-9), b})},
  };
  for (const Case& c : cases) {
    ON_Line line;
    ASSERT_EQ(ZTKCurve::IsLine(&c.curve, line), 1) << c.name;
    ExpectNear(line.from, a, 1e-14, c.name);
    ExpectNear(line.to, b, 1e-14, c.name);
  }
  // Any curve kind, not only NURBS curves.
  ON_Line line;
  const ON_LineCurve lc(a, b);
  EXPECT_EQ(ZTKCurve::IsLine(&lc, line), 1);
  ON_3dPointArray collinear;
  for (double f : {0.0, 0.25, 1.0}) collinear.Append(a + (b - a) * f);
  const ON_PolylineCurve polyline(collinear);
  EXPECT_EQ(ZTKCurve::IsLine(&polyline, line), 1);
  const ON_PolylineCurve empty;
  EXPECT_EQ(ZTKCurve::IsLine(&empty, line), 0);
}

TEST(ZTKCurve, CurvesThatOnlyLookStraightAreNotLines) {
  const ON_3dPoint a(0, 0, 0), b(10, 0, 0);
  ON_NurbsCurve zero_weight = Clamped(3, {a, ON_3dPoint(5, 0, 0), b});
  zero_weight.MakeRational();
  zero_weight.SetCV(1, ON_4dPoint(0, 0, 0, 0));
  ON_NurbsCurve negative_weight = zero_weight;
  negative_weight.SetCV(1, ON_4dPoint(-5, 0, 0, -1));
  ON_NurbsCurve inconsistent = Clamped(2, {a, b});
  inconsistent.m_cv_count = 50;
  ON_NurbsCurve nan = Clamped(2, {a, b});
  nan.SetCV(1, ON_3dPoint(kNaN, 0, 0));
  struct Case {
    const char* name;
    ON_NurbsCurve curve;
  };
  const Case cases[] = {
      // On the line, but running past the end and back.
      {"turns_back", Clamped(3, {a, ON_3dPoint(15, 0, 0), b})},
      {"beyond_tolerance", Clamped(3, {a, ON_3dPoint(5, 2e-8, 0), b})},
      {"curved", Clamped(3, {a, ON_3dPoint(5, 1, 0), b})},
      {"closed", Clamped(3, {a, ON_3dPoint(5, 0, 0), ON_3dPoint(5, 5, 0), a})},
      {"out_and_back", Clamped(2, {a, b, a})},
      {"a_point", Clamped(2, {a, a})},
      {"zero_weight", zero_weight},
      {"negative_weight", negative_weight},
      {"inconsistent_counts", inconsistent},
      {"nan_cv", nan},
      {"empty", ON_NurbsCurve()},
  };
  for (const Case& c : cases) {
    ON_Line line(ON_3dPoint(7, 7, 7), ON_3dPoint(8, 8, 8));
    EXPECT_EQ(ZTKCurve::IsLine(&c.curve, line), 0) << c.name;
    EXPECT_EQ(line.from, ON_3dPoint(7, 7, 7)) << c.name << ": the output is left alone";
    EXPECT_EQ(line.to, ON_3dPoint(8, 8, 8)) << c.name;
  }
  ON_Line line;
  EXPECT_EQ(ZTKCurve::IsLine(nullptr, line), 0);
}

TEST(ZTKCurve, TheToleranceFollowsTheCurvesSize) {
  for (double scale : {1e-6, 1.0, 1e6}) {
    const ON_3dPoint a(0, 0, 0), b(10 * scale, 0, 0);
    const ON_NurbsCurve within = Clamped(3, {a, ON_3dPoint(5 * scale, 5e-9 * scale, 0), b});
    const ON_NurbsCurve beyond = Clamped(3, {a, ON_3dPoint(5 * scale, 2e-8 * scale, 0), b});
    ON_Line line;
    EXPECT_EQ(ZTKCurve::IsLine(&within, line), 1) << scale;
    EXPECT_EQ(ZTKCurve::IsLine(&beyond, line), 0) << scale;
  }
}

TEST(ZTKCurve, ExactArcsAreFoundWithTheirPlaneRadiusAndAngle) {
  const ON_Plane planes[] = {ON_Plane::World_xy, Tilted(ON_3dPoint(5, -2, 1), ON_3dVector(1, 2, 3)),
                             Tilted(ON_3dPoint(0, 0, 100), ON_3dVector(0, -1, 0))};
  for (const ON_Plane& plane : planes) {
    for (double degrees : {0.5, 45.0, 90.0, 91.0, 180.0, 200.0, 300.0, 359.0, 360.0, -30.0, -200.0}) {
      const std::string name = std::to_string(degrees) + " degrees about (" + std::to_string(plane.zaxis.x) + ", " +
                               std::to_string(plane.zaxis.y) + ", " + std::to_string(plane.zaxis.z) + ")";
      const ON_Arc want(plane, plane.origin + plane.xaxis * 0.3, 2.5, degrees * ON_PI / 180.0);
      ASSERT_TRUE(want.IsValid()) << name;
      for (int kind = 0; kind < 2; ++kind) {
        const ON_ArcCurve arc_curve(want);
        const ON_NurbsCurve form = ArcForm(want);
        const ON_Curve* curve = kind ? static_cast<const ON_Curve*>(&arc_curve) : &form;
        ON_Arc got;
        ASSERT_EQ(ZTKCurve::IsArc(curve, got), 1) << name << (kind ? " (arc curve)" : " (NURBS form)");
        EXPECT_TRUE(got.IsValid()) << name;
        // Counter-clockwise about its normal, which is the arc's own (the
        // reversed plane's for a negative angle).
        EXPECT_NEAR((got.Normal() - want.Normal()).Length(), 0.0, 1e-9) << name;
        ExpectNear(got.Center(), want.Center(), 1e-9, name + " centre");
        EXPECT_NEAR(got.Radius(), 2.5, 1e-9) << name;
        EXPECT_NEAR(got.AngleRadians(), want.AngleRadians(), 1e-9) << name;
        EXPECT_EQ(got.IsCircle(), want.IsCircle()) << name;
        ExpectNear(got.StartPoint(), want.StartPoint(), 1e-9, name + " start");
        ExpectNear(got.EndPoint(), want.EndPoint(), 1e-9, name + " end");
        ExpectNear(got.MidPoint(), want.MidPoint(), 1e-9, name + " middle");
      }
    }
  }
}

TEST(ZTKCurve, CurvesThatAreNotArcs) {
  const ON_NurbsCurve circle = ArcForm(ON_Arc(ON_Circle(ON_origin, 2.0), 2 * ON_PI));
  // An ellipse: the circle's form stretched along x.
  ON_NurbsCurve ellipse = circle;
  ON_Xform stretch;
  stretch.m_xform[0][0] = 1.1;
  ellipse.Transform(stretch);
  // Round the circle twice: the form's CVs and knots repeated.
  ON_NurbsCurve twice(3, true, 3, 17);
  for (int i = 0; i < 17; ++i) {
    ON_4dPoint p;
    circle.GetCV(i % 8, p);
    twice.SetCV(i, p);
  }
  for (int k = 0; k < 18; ++k) twice.SetKnot(k, (k / 2) * 0.5 * ON_PI);
  // Slightly off the circle.
  ON_NurbsCurve bumped = ArcForm(ON_Arc(ON_Circle(ON_origin, 2.0), 2.0));
  ON_4dPoint p;
  bumped.GetCV(1, p);
  bumped.SetCV(1, ON_4dPoint(p.x * 1.001, p.y * 1.001, p.z, p.w));
  struct Case {
    const char* name;
    ON_NurbsCurve curve;
  };
  const Case cases[] = {
      {"line", Clamped(3, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}})},
      {"polyline", Clamped(2, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}})},
      {"parabola", Clamped(3, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}})},
      {"ellipse", ellipse},
      {"round_twice", twice},
      {"bumped", bumped},
      {"empty", ON_NurbsCurve()},
  };
  for (const Case& c : cases) {
    ON_Arc arc;
    const ON_Arc before = arc;
    EXPECT_EQ(ZTKCurve::IsArc(&c.curve, arc), 0) << c.name;
    EXPECT_EQ(arc.m_angle, before.m_angle) << c.name << ": the output is left alone";
  }
  ON_Arc arc;
  EXPECT_EQ(ZTKCurve::IsArc(nullptr, arc), 0);
  EXPECT_EQ(ZTKCurve::IsArc(&twice, arc), 0);
}

TEST(ZTKCurve, PolylinesGiveTheirCornersInOrder) {
  const ON_3dPoint a(0, 0, 0), b(2, 0, 0), c(2, 3, 0), d(0, 3, 1);
  // Straight Bezier pieces of degree 2 meeting at double knots.
  ON_NurbsCurve pieces(3, false, 3, 5);
  const ON_3dPoint pcv[5] = {a, ON_3dPoint(1, 0, 0), b, ON_3dPoint(2, 2, 0), c};
  const double pk[6] = {0, 0, 1, 1, 2, 2};
  for (int i = 0; i < 5; ++i) pieces.SetCV(i, pcv[i]);
  for (int k = 0; k < 6; ++k) pieces.SetKnot(k, pk[k]);
  struct Case {
    const char* name;
    ON_NurbsCurve curve;
    std::vector<ON_3dPoint> corners;
  };
  const Case cases[] = {
      {"open", Clamped(2, {a, b, c, d}), {a, b, c, d}},
      {"closed", Clamped(2, {a, b, c, d, a}), {a, b, c, d, a}},
      {"straight_on_through_a_point", Clamped(2, {a, ON_3dPoint(1, 0, 0), b, c}), {a, b, c}},
      {"repeated_point", Clamped(2, {a, b, b, c}), {a, b, c}},
      {"turning_back", Clamped(2, {a, b, a}), {a, b, a}},
      {"straight", Clamped(2, {a, b}), {a, b}},
      {"straight_pieces_of_degree_2", pieces, {a, b, c}},
  };
  for (const Case& k : cases) {
    ON_Polyline got;
    got.Append(ON_3dPoint(9, 9, 9));  // replaced, not appended to
    ASSERT_EQ(ZTKCurve::IsPolyline(&k.curve, got), 1) << k.name;
    ASSERT_EQ(got.Count(), static_cast<int>(k.corners.size())) << k.name;
    for (int i = 0; i < got.Count(); ++i) ExpectNear(got[i], k.corners[static_cast<size_t>(i)], 1e-14, k.name);
  }
  ON_3dPointArray square;
  for (const ON_3dPoint& p : {a, b, c, a}) square.Append(p);
  const ON_PolylineCurve polyline_curve(square);
  ON_Polyline got;
  ASSERT_EQ(ZTKCurve::IsPolyline(&polyline_curve, got), 1);
  EXPECT_EQ(got.Count(), 4);
}

TEST(ZTKCurve, CurvedOrBrokenCurvesAreNotPolylines) {
  // A jump: a knot of full multiplicity in a degree-1 curve parts its pieces.
  ON_NurbsCurve jump(3, false, 2, 4);
  const ON_3dPoint jcv[4] = {{0, 0, 0}, {1, 0, 0}, {5, 5, 0}, {6, 5, 0}};
  const double jk[4] = {0, 1, 1, 2};
  for (int i = 0; i < 4; ++i) jump.SetCV(i, jcv[i]);
  for (int k = 0; k < 4; ++k) jump.SetKnot(k, jk[k]);
  struct Case {
    const char* name;
    ON_NurbsCurve curve;
  };
  const Case cases[] = {
      {"curved", Clamped(3, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 0, 0}})},
      {"arc", ArcForm(ON_Arc(ON_Circle(ON_origin, 1.0), 1.0))},
      {"jump", jump},
      {"a_point", Clamped(2, {{1, 1, 1}, {1, 1, 1}})},
  };
  for (const Case& c : cases) {
    ON_Polyline got;
    got.Append(ON_3dPoint(9, 9, 9));
    EXPECT_EQ(ZTKCurve::IsPolyline(&c.curve, got), 0) << c.name;
    EXPECT_EQ(got.Count(), 1) << c.name << ": the output is left alone";
  }
}

// The largest turn of the curve's tangent between neighbouring points, checked
// on a fine sampling of each piece between them.
double LargestTurnDegrees(const ON_NurbsCurve& c, const std::vector<double>& params) {
  double worst = 0.0;
  for (size_t i = 0; i + 1 < params.size(); ++i) {
    const ON_3dVector t0 = c.TangentAt(params[i] + 1e-12 * (params[i + 1] - params[i]));
    for (int k = 1; k <= 50; ++k) {
      const double t = params[i] + (params[i + 1] - params[i]) * k / 50.0;
      const ON_3dVector tk = c.TangentAt(t - 1e-12 * (params[i + 1] - params[i]));
      worst = std::max(worst, std::acos(std::min(1.0, ON_DotProduct(t0, tk))) * 180.0 / ON_PI);
    }
  }
  return worst;
}

// The parameter of each point, found by walking the curve in order from the
// parameter of the point before: the first place where the curve comes near,
// refined to the closest parameter there. Empty when a point is not on the curve
// (within tol) or comes before the one before it.
std::vector<double> ParametersInOrder(const ON_NurbsCurve& c, const ON_3dPointArray& points, double tol) {
  const ON_Interval d = c.Domain();
  const int steps = 4096;
  const double h = d.Length() / steps;
  std::vector<double> params;
  double from = d[0];
  for (int i = 0; i < points.Count(); ++i) {
    bool found = false;
    for (double t = from; t <= d[1] + 0.5 * h && !found; t += h) {
      double lo = std::max(from, t - h), hi = std::min(d[1], t + h);
      for (int k = 0; k < 200; ++k) {  // ternary search for the closest parameter
        const double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
        if (c.PointAt(m1).DistanceTo(points[i]) <= c.PointAt(m2).DistanceTo(points[i]))
          hi = m2;
        else
          lo = m1;
      }
      if (c.PointAt(lo).DistanceTo(points[i]) <= tol) {
        params.push_back(lo);
        from = lo;
        found = true;
      }
    }
    if (!found) return {};
  }
  return params;
}

TEST(ZTKNurbsCurve, ClosedCurvesAreSampledInOrderWithinTheTurnAsked) {
  const ON_3dPoint square[4] = {{0, 0, 0}, {4, 0, 0}, {4, 4, 1}, {0, 4, 0}};
  ON_NurbsCurve periodic;
  ASSERT_TRUE(periodic.CreatePeriodicUniformNurbs(3, 4, 4, square));
  struct Case {
    const char* name;
    ON_NurbsCurve curve;
    double angle;
  };
  const Case cases[] = {
      {"circle_15", ArcForm(ON_Arc(ON_Circle(Tilted({1, 2, 3}, {1, 1, 1}), 3.0), 2 * ON_PI)), 15.0},
      {"circle_5", ArcForm(ON_Arc(ON_Circle(ON_origin, 1.0), 2 * ON_PI)), 5.0},
      {"periodic_cubic_15", periodic, 15.0},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(c.curve.IsClosed()) << c.name;
    ON_3dPointArray points;
    ASSERT_EQ(ZTKNurbsCurve::GetPoints(c.curve, points, c.angle), 1) << c.name;
    ASSERT_GE(points.Count(), 4) << c.name;
    ExpectNear(points[0], c.curve.PointAtStart(), 0.0, c.name);
    ExpectNear(points[points.Count() - 1], c.curve.PointAtEnd(), 0.0, c.name);
    const std::vector<double> params = ParametersInOrder(c.curve, points, 1e-9);
    ASSERT_EQ(params.size(), static_cast<size_t>(points.Count())) << c.name << ": points on the curve, in order";
    EXPECT_LE(LargestTurnDegrees(c.curve, params), c.angle * 1.0001) << c.name;
  }
  // The circle needs 360 / 15 = 24 pieces, and halving gives 32 (8 per quarter).
  ON_3dPointArray points;
  ZTKNurbsCurve::GetPoints(cases[0].curve, points, 15.0);
  EXPECT_EQ(points.Count(), 33);
}

TEST(ZTKNurbsCurve, StraightSpansGiveTheirCornersOnly) {
  const ON_NurbsCurve loop = Clamped(2, {{0, 0, 0}, {3, 0, 0}, {3, 2, 0}, {0, 0, 0}});
  ON_3dPointArray points;
  ASSERT_EQ(ZTKNurbsCurve::GetPoints(loop, points, 15.0), 1);
  ASSERT_EQ(points.Count(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(points[i], loop.PointAt(i));
}

TEST(ZTKNurbsCurve, BadCurvesAndAnglesGiveNothing) {
  const ON_NurbsCurve circle = ArcForm(ON_Arc(ON_Circle(ON_origin, 1.0), 2 * ON_PI));
  ON_NurbsCurve inconsistent = circle;
  inconsistent.m_cv_count = 1000;
  ON_NurbsCurve cancel = circle;  // weights summing to zero inside a span
  cancel.SetCV(1, ON_4dPoint(1, 1, 0, -1));
  ON_NurbsCurve nan_knot = circle;
  nan_knot.SetKnot(3, kNaN);
  struct Case {
    const char* name;
    const ON_NurbsCurve* curve;
    double angle;
  };
  const Case cases[] = {
      {"empty", new ON_NurbsCurve(), 15.0},        {"inconsistent", &inconsistent, 15.0},
      {"weights_cancel", &cancel, 15.0},           {"nan_knot", &nan_knot, 15.0},
      {"zero_angle", &circle, 0.0},                {"negative_angle", &circle, -15.0},
      {"nan_angle", &circle, kNaN},                {"beyond_half_turn", &circle, 181.0},
  };
  for (const Case& c : cases) {
    ON_3dPointArray points;
    points.Append(ON_3dPoint(1, 2, 3));
    EXPECT_EQ(ZTKNurbsCurve::GetPoints(*c.curve, points, c.angle), 0) << c.name;
    EXPECT_EQ(points.Count(), 0) << c.name;
  }
  delete cases[0].curve;
  // A tiny angle stays bounded: 1024 pieces per span at most.
  ON_3dPointArray points;
  ASSERT_EQ(ZTKNurbsCurve::GetPoints(circle, points, 1e-9), 1);
  EXPECT_EQ(points.Count(), 4 * 1024 + 1);
}

TEST(ZTKVector, AngleCounterClockwiseAboutTheNormal) {
  const ON_3dVector x(1, 0, 0), z(0, 0, 1);
  for (int k = 0; k < 16; ++k) {
    const double want = k * ON_PI / 8;
    const ON_3dVector b(std::cos(want), std::sin(want), 0);
    EXPECT_NEAR(ZTKVector::Angle(x, b, z, 0), want, 1e-15) << k;
    const double other = ZTKVector::Angle(x, b, -z, 0);  // seen from below
    EXPECT_NEAR(other, k == 0 ? 0.0 : 2 * ON_PI - want, 1e-15) << k;
    EXPECT_LT(other, 2 * ON_PI);
  }
  // Opposite vectors: exactly pi, about either normal.
  EXPECT_EQ(ZTKVector::Angle(x, -x, z, 0), ON_PI);
  EXPECT_EQ(ZTKVector::Angle(x, -x, -z, 0), ON_PI);
  EXPECT_EQ(ZTKVector::Angle(ON_3dVector(0.3, -0.2, 0), ON_3dVector(-0.6, 0.4, 0), z, 0), ON_PI);
  // Just short of a full turn stays below 2 pi; the same direction is 0.
  EXPECT_LT(ZTKVector::Angle(x, ON_3dVector(1, -1e-17, 0), z, 0), 2 * ON_PI);
  EXPECT_EQ(ZTKVector::Angle(x, x * 3.0, z, 0), 0.0);
  // The scale of the vectors does not matter.
  EXPECT_NEAR(ZTKVector::Angle(x * 1e-200, ON_3dVector(0, 1e-200, 0), z, 0), 0.5 * ON_PI, 1e-15);
  EXPECT_NEAR(ZTKVector::Angle(x * 1e200, ON_3dVector(0, -1e200, 0), z, 0), 1.5 * ON_PI, 1e-15);
  // Vectors out of the normal's plane: their true angle, turned as the normal says.
  EXPECT_NEAR(ZTKVector::Angle(x, ON_3dVector(0, 0, 1), z, 0), 0.5 * ON_PI, 1e-15);
  EXPECT_NEAR(ZTKVector::Angle(ON_3dVector(1, 0, 1), ON_3dVector(0, 1, 1), z, 0), ON_PI / 3, 1e-15);
  EXPECT_NEAR(ZTKVector::Angle(ON_3dVector(0, 1, 1), ON_3dVector(1, 0, 1), z, 0), 2 * ON_PI - ON_PI / 3, 1e-15);
  // Nothing to measure.
  EXPECT_EQ(ZTKVector::Angle(ON_3dVector(0, 0, 0), x, z, 0), 0.0);
  EXPECT_TRUE(std::isnan(ZTKVector::Angle(x, ON_3dVector(kNaN, 0, 0), z, 0)));
  EXPECT_TRUE(std::isnan(ZTKVector::Angle(x, x, ON_3dVector(0, 0, INFINITY), 0)));
}

}  // namespace
