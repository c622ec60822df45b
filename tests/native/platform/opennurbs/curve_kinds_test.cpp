// Planes, circles, arcs and the curve kinds where rhino3dm cannot serve as the
// reference (it exposes no plane construction from vectors, no ownership of
// curves, no motions of these kinds): frames from vectors with parallel ones
// refused, boxes against sampling, motions, curves owned by ON_CurveArray, and
// bad data refused without reading outside the objects.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "opennurbs.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

void ExpectFrame(const ON_Plane& p, const ON_3dPoint& origin, const ON_3dVector& x, const ON_3dVector& y,
                 const ON_3dVector& z) {
  EXPECT_TRUE(p.IsValid());
  EXPECT_EQ(p.origin, origin);
  EXPECT_NEAR((p.xaxis - x).Length(), 0.0, 1e-15);
  EXPECT_NEAR((p.yaxis - y).Length(), 0.0, 1e-15);
  EXPECT_NEAR((p.zaxis - z).Length(), 0.0, 1e-15);
  EXPECT_NEAR(p.plane_equation.ValueAt(origin), 0.0, 1e-12);
  EXPECT_NEAR(p.plane_equation.ValueAt(origin + z * 2.5), 2.5, 1e-12);
}

TEST(ON_Plane, FramesFromVectors) {
  ExpectFrame(ON_Plane(), ON_origin, ON_xaxis, ON_yaxis, ON_zaxis);
  ExpectFrame(ON_Plane::World_xy, ON_origin, ON_xaxis, ON_yaxis, ON_zaxis);
  ExpectFrame(ON_Plane::World_yz, ON_origin, ON_yaxis, ON_zaxis, ON_xaxis);
  ExpectFrame(ON_Plane::World_zx, ON_origin, ON_zaxis, ON_xaxis, ON_yaxis);
  EXPECT_FALSE(ON_Plane::UnsetPlane.IsValid());

  // The y vector keeps only its part perpendicular to x.
  const ON_3dPoint o(1, 2, 3);
  ON_Plane p;
  ASSERT_TRUE(p.CreateFromFrame(o, ON_3dVector(2, 0, 0), ON_3dVector(5, 3, 0)));
  ExpectFrame(p, o, ON_xaxis, ON_yaxis, ON_zaxis);
  ASSERT_TRUE(p.CreateFromFrame(o, ON_3dVector(0, 0, 3), ON_3dVector(1, 0, -7)));
  ExpectFrame(p, o, ON_zaxis, ON_xaxis, ON_yaxis);
  const ON_3dVector x(0.3, -0.2, 0.1), y(-0.6, 0.4, 0.5);
  ASSERT_TRUE(p.CreateFromFrame(o, x, y));
  EXPECT_TRUE(p.IsValid());
  EXPECT_NEAR(ON_DotProduct(p.xaxis, x.UnitVector()), 1.0, 1e-15);
  EXPECT_NEAR(ON_DotProduct(ON_CrossProduct(x, y).UnitVector(), p.zaxis), 1.0, 1e-15);
  EXPECT_GT(ON_DotProduct(p.yaxis, y), 0.0);
  // Nearly parallel, yet well above rounding: still a frame.
  EXPECT_TRUE(p.CreateFromFrame(o, ON_xaxis, ON_3dVector(1, 1e-6, 0)));
  ExpectFrame(p, o, ON_xaxis, ON_yaxis, ON_zaxis);
  EXPECT_TRUE(ON_Plane(o, ON_xaxis, ON_yaxis).IsValid());
}

TEST(ON_Plane, ParallelOrZeroVectorsMakeNoFrame) {
  struct Case {
    const char* name;
    ON_3dVector x, y;
  };
  const Case cases[] = {
      {"same_direction", {1, 2, 3}, {2, 4, 6}},
      {"opposite", {0.3, -0.2, 0.1}, {-0.6, 0.4, -0.2}},
      // The half circle of a sketch arc, opposite up to the last bits.
      {"opposite_after_rounding", ON_3dPoint(0.7, 0.1, 0.3) - ON_3dPoint(0.2, 0.3, 0.1),
       ON_3dPoint(-0.3, 0.5, -0.1) - ON_3dPoint(0.2, 0.3, 0.1)},
      {"within_1e-9", {1, 0, 0}, {1, 1e-9, 0}},
      {"zero_x", {0, 0, 0}, {0, 1, 0}},
      {"zero_y", {1, 0, 0}, {0, 0, 0}},
      {"nan", {1, 0, 0}, {0, kNaN, 0}},
      {"infinite", {1, 0, 0}, {0, INFINITY, 0}},
  };
  for (const Case& c : cases) {
    ON_Plane p;
    EXPECT_FALSE(p.CreateFromFrame(ON_origin, c.x, c.y)) << c.name;
    EXPECT_FALSE(p.IsValid()) << c.name;
    EXPECT_FALSE(ON_Plane(ON_origin, c.x, c.y).IsValid()) << c.name;
  }
}

TEST(ON_Plane, FromANormal) {
  const ON_3dPoint o(4, 5, 6);
  ON_Plane p;
  ASSERT_TRUE(p.CreateFromNormal(o, ON_3dVector(0, 0, 7)));
  ExpectFrame(p, o, ON_xaxis, ON_yaxis, ON_zaxis);
  ASSERT_TRUE(p.CreateFromNormal(o, ON_3dVector(-1, 0, 0)));
  ExpectFrame(p, o, ON_3dVector(0, -1, 0), ON_3dVector(0, 0, 1), ON_3dVector(-1, 0, 0));
  for (const ON_3dVector& n : {ON_3dVector(0, -1, 0), ON_3dVector(1, 2, 3), ON_3dVector(-1e-3, 5, 1e-3)}) {
    const ON_Plane q(o, n);
    EXPECT_TRUE(q.IsValid());
    EXPECT_NEAR(ON_DotProduct(q.zaxis, n.UnitVector()), 1.0, 1e-15);
    EXPECT_NEAR(q.DistanceTo(o + n), n.Length(), 1e-12);
    EXPECT_NEAR(q.DistanceTo(o + q.xaxis * 3 - q.yaxis), 0.0, 1e-12);
  }
  EXPECT_FALSE(p.CreateFromNormal(o, ON_3dVector(0, 0, 0)));
  EXPECT_FALSE(ON_Plane(o, ON_3dVector(kNaN, 0, 1)).IsValid());
}

TEST(ON_Plane, PointsDistancesAndMotions) {
  ON_Plane p(ON_3dPoint(1, 1, 1), ON_3dVector(1, 0, 0), ON_3dVector(0, 0, 1));  // normal -y
  EXPECT_EQ(p.PointAt(2, 3), ON_3dPoint(3, 1, 4));
  EXPECT_EQ(p.DistanceTo(ON_3dPoint(0, -4, 0)), 5.0);
  double s = 0, t = 0;
  ASSERT_TRUE(p.ClosestPointTo(ON_3dPoint(3, 7, 4), &s, &t));
  EXPECT_EQ(s, 2.0);
  EXPECT_EQ(t, 3.0);
  EXPECT_EQ(p.ClosestPointTo(ON_3dPoint(3, 7, 4)), ON_3dPoint(3, 1, 4));
  ON_Xform r;
  r.Rotation(0.5 * ON_PI, ON_zaxis, ON_origin);
  ASSERT_TRUE(p.Transform(r));
  ExpectFrame(p, ON_3dPoint(-1, 1, 1), ON_yaxis, ON_zaxis, ON_xaxis);
  p.Flip();
  ExpectFrame(p, ON_3dPoint(-1, 1, 1), ON_zaxis, ON_yaxis, -ON_xaxis);
}

TEST(ON_3dVector, RotateAndPerpendicular) {
  ON_3dVector v(1, 0, 0);
  ASSERT_TRUE(v.Rotate(0.5 * ON_PI, ON_zaxis));
  EXPECT_EQ(v, ON_3dVector(0, 1, 0));
  // Refused: the vector stays as it was.
  EXPECT_FALSE(v.Rotate(1.0, ON_3dVector(0, 0, 0)));
  EXPECT_FALSE(v.Rotate(kNaN, ON_zaxis));
  EXPECT_EQ(v, ON_3dVector(0, 1, 0));
  for (const ON_3dVector& w : {ON_3dVector(0, 0, 1), ON_3dVector(3, -4, 0.5), ON_3dVector(-1e-9, 2, 1e-9)}) {
    ON_3dVector p;
    ASSERT_TRUE(p.PerpendicularTo(w));
    EXPECT_FALSE(p.IsZero());
    EXPECT_EQ(ON_DotProduct(p, w), 0.0);
  }
  ON_3dVector p(1, 1, 1);
  EXPECT_FALSE(p.PerpendicularTo(ON_3dVector(0, 0, 0)));
  EXPECT_TRUE(p.IsZero());
}

// The box of `n` points of the arc, a lower bound of its true box.
ON_BoundingBox Sampled(const ON_Arc& arc, int n) {
  ON_BoundingBox box;
  for (int i = 0; i <= n; ++i) box.Set(arc.PointAt(arc.m_angle.ParameterAt(static_cast<double>(i) / n)), i > 0);
  return box;
}

TEST(ON_Arc, BoxesHoldTheArcTightly) {
  const ON_Plane tilted(ON_3dPoint(1, -2, 3), ON_3dVector(1, 2, 2));
  const ON_Arc arcs[] = {ON_Arc(ON_Circle(ON_origin, 2), 0.5 * ON_PI), ON_Arc(ON_Circle(ON_origin, 2), 3.0),
                         ON_Arc(ON_Circle(tilted, 1.5), 1.0), ON_Arc(ON_Circle(tilted, 1.5), -4.0),
                         ON_Arc(ON_Circle(tilted, 1.5), 2 * ON_PI),
                         ON_Arc(ON_Circle(tilted, 1.5), ON_Interval(100.0, 104.5))};  // angles far from 0
  for (const ON_Arc& arc : arcs) {
    const ON_BoundingBox box = arc.BoundingBox(), sampled = Sampled(arc, 100000);
    ASSERT_TRUE(box.IsValid());
    for (int i = 0; i < 3; ++i) {
      EXPECT_LE(box.m_min[i], sampled.m_min[i] + 1e-15);
      EXPECT_GE(box.m_min[i], sampled.m_min[i] - 1e-9);
      EXPECT_GE(box.m_max[i], sampled.m_max[i] - 1e-15);
      EXPECT_LE(box.m_max[i], sampled.m_max[i] + 1e-9);
    }
  }
  EXPECT_FALSE(ON_Arc(ON_Circle(ON_origin, 0), 1.0).BoundingBox().IsValid());
}

TEST(ON_Arc, NurbsFormsLieOnTheArc) {
  const ON_Plane tilted(ON_3dPoint(1, -2, 3), ON_3dVector(1, 2, 2));
  for (double angle : {0.01, 1.0, 0.5 * ON_PI, 2.0, ON_PI, 4.0, 2 * ON_PI, -2.5}) {
    const ON_Arc arc(tilted, ON_3dPoint(4, 4, 4), 2.5, angle);
    ON_NurbsCurve nc;
    ASSERT_EQ(arc.GetNurbForm(nc), 2) << angle;
    ASSERT_TRUE(nc.IsValid()) << angle;
    EXPECT_EQ(nc.Domain(), arc.Domain()) << angle;
    EXPECT_EQ(nc.PointAtStart(), arc.StartPoint()) << angle;
    EXPECT_NEAR(nc.PointAtEnd().DistanceTo(arc.EndPoint()), 0.0, 1e-14) << angle;
    const ON_Interval d = nc.Domain();
    for (int i = 0; i <= 200; ++i) {
      const ON_3dPoint p = nc.PointAt(d.ParameterAt(i / 200.0));
      EXPECT_NEAR(p.DistanceTo(arc.Center()), 2.5, 1e-14) << angle;
      EXPECT_NEAR(arc.Plane().DistanceTo(p), 0.0, 1e-14) << angle;
    }
    // Between the knots the NURBS parameter is not the angle, at the knots it is.
    for (int k = 0; k < nc.KnotCount(); ++k)
      EXPECT_NEAR(nc.PointAt(nc.Knot(k)).DistanceTo(arc.PointAt(nc.Knot(k))), 0.0, 1e-14) << angle;
  }
}

TEST(ON_Arc, ArcsThatCannotBeLeaveAnEmptyCurve) {
  const ON_Arc bad[] = {ON_Arc(ON_Circle(ON_origin, 0), 1.0), ON_Arc(ON_Circle(ON_origin, 1), 0.0),
                        ON_Arc(ON_Circle(ON_origin, 1), kNaN), ON_Arc(ON_Circle(ON_origin, kNaN), 1.0),
                        ON_Arc(ON_Plane(ON_origin, ON_xaxis, ON_xaxis), ON_origin, 1.0, 1.0)};
  for (const ON_Arc& arc : bad) {
    EXPECT_FALSE(arc.IsValid());
    ON_NurbsCurve nc(3, false, 2, 2);  // what an earlier curve left
    EXPECT_EQ(arc.GetNurbForm(nc), 0);
    EXPECT_EQ(nc.CVCount(), 0);
    EXPECT_EQ(nc.m_cv, nullptr);
    EXPECT_FALSE(nc.IsValid());
    ON_NurbsCurve n2;
    EXPECT_EQ(ON_ArcCurve(arc).GetNurbForm(n2), 0);
  }
  // A circle's form is its full turn.
  ON_NurbsCurve nc;
  EXPECT_EQ(ON_Circle(ON_3dPoint(1, 2, 3), 2).GetNurbForm(nc), 2);
  EXPECT_EQ(nc.CVCount(), 9);
  EXPECT_TRUE(nc.IsClosed());
  EXPECT_FALSE(nc.IsPeriodic());
  EXPECT_EQ(ON_Circle(ON_origin, -1).GetNurbForm(nc), 0);
}

TEST(ON_Arc, MotionsAndReversal) {
  ON_Arc arc(ON_Circle(ON_3dPoint(1, 0, 0), 2), 1.0);
  const ON_3dPoint start = arc.StartPoint(), end = arc.EndPoint();
  ON_Xform m;
  m.Rotation(0.3, ON_3dVector(1, 1, 0), ON_3dPoint(0, 5, 0));
  ON_Xform t;
  t.Translation(1, 2, 3);
  const ON_Xform motion = t * m * ON_Xform(2.0);
  ASSERT_TRUE(arc.Transform(motion));
  EXPECT_NEAR(arc.Radius(), 4.0, 1e-14);
  EXPECT_NEAR(arc.StartPoint().DistanceTo(motion * start), 0.0, 1e-14);
  EXPECT_NEAR(arc.EndPoint().DistanceTo(motion * end), 0.0, 1e-14);
  // A map that stretches one way makes no circle.
  ON_Xform stretch;
  stretch.m_xform[0][0] = 3.0;
  const ON_Arc before = arc;
  EXPECT_FALSE(arc.Transform(stretch));
  EXPECT_EQ(arc.Center(), before.Center());
  // Reversed, the same points run the other way.
  const ON_3dPoint s = arc.StartPoint(), e = arc.EndPoint(), mid = arc.MidPoint();
  ASSERT_TRUE(arc.Reverse());
  EXPECT_NEAR(arc.StartPoint().DistanceTo(e), 0.0, 1e-14);
  EXPECT_NEAR(arc.EndPoint().DistanceTo(s), 0.0, 1e-14);
  EXPECT_NEAR(arc.MidPoint().DistanceTo(mid), 0.0, 1e-14);
  EXPECT_TRUE(arc.IsValid());
}

TEST(ON_Line, PointsAndDistances) {
  const ON_Line line(ON_3dPoint(0.1, 0.2, 0.3), ON_3dPoint(0.7, -0.9, 1.3));
  EXPECT_EQ(line.PointAt(0), line.from);  // the ends exactly
  EXPECT_EQ(line.PointAt(1), line.to);
  EXPECT_NEAR(line.PointAt(2).DistanceTo(line.to + line.Direction()), 0.0, 1e-15);
  EXPECT_NEAR(line.DistanceTo(line.from - line.Direction()), line.Length(), 1e-15);  // to the segment, not the line
  EXPECT_NEAR(line.ClosestPointTo(line.PointAt(0.25) + ON_CrossProduct(line.Direction(), ON_zaxis)).DistanceTo(
                  line.PointAt(0.25)), 0.0, 1e-15);
  const ON_Line point(ON_3dPoint(1, 1, 1), ON_3dPoint(1, 1, 1));
  EXPECT_FALSE(point.IsValid());
  double t = 5;
  EXPECT_FALSE(point.ClosestPointTo(ON_origin, &t));
  EXPECT_EQ(point.DistanceTo(ON_3dPoint(1, 1, 3)), 2.0);
  EXPECT_TRUE(point.Tangent().IsZero());

  ON_Polyline polyline;
  EXPECT_EQ(polyline.PointAt(0.5), ON_3dPoint::UnsetPoint);
  for (const ON_3dPoint& p : {ON_3dPoint(0, 0, 0), ON_3dPoint(3, 0, 0), ON_3dPoint(3, 4, 0)}) polyline.Append(p);
  EXPECT_EQ(polyline.SegmentCount(), 2);
  EXPECT_EQ(polyline.Length(), 7.0);
  EXPECT_EQ(polyline.PointAt(1.5), ON_3dPoint(3, 2, 0));
  EXPECT_EQ(polyline.PointAt(-1), ON_3dPoint(0, 0, 0));  // clamped to the ends
  EXPECT_EQ(polyline.PointAt(9), ON_3dPoint(3, 4, 0));
}

TEST(ON_LineCurve, DomainsAssignmentAndMotion) {
  ON_LineCurve c;
  c = ON_Line(ON_3dPoint(0, 0, 0), ON_3dPoint(0, 3, 4));
  EXPECT_EQ(c.Domain(), ON_Interval(0, 5));
  EXPECT_FALSE(c.SetDomain(2, 2));
  EXPECT_FALSE(c.SetDomain(kNaN, 2));
  ASSERT_TRUE(c.SetDomain(10, 20));
  EXPECT_EQ(c.PointAt(15), ON_3dPoint(0, 1.5, 2));
  ASSERT_TRUE(c.Translate(ON_3dVector(1, 1, 1)));  // ON_Geometry::Translate, as on any curve
  EXPECT_EQ(c.PointAtStart(), ON_3dPoint(1, 1, 1));
  ON_NurbsCurve nc;
  ASSERT_EQ(c.GetNurbForm(nc), 1);
  EXPECT_EQ(nc.Domain(), ON_Interval(10, 20));
  EXPECT_EQ(nc.PointAt(12.5), c.PointAt(12.5));
  ON_Curve* copy = c.DuplicateCurve();
  EXPECT_EQ(copy->PointAtEnd(), ON_3dPoint(1, 4, 5));
  delete copy;
  // A broken domain evaluates to nothing.
  c.m_t = ON_Interval(3, 3);
  EXPECT_FALSE(c.IsValid());
  EXPECT_EQ(c.PointAt(3), ON_3dPoint::UnsetPoint);
  EXPECT_EQ(c.GetNurbForm(nc), 0);
}

TEST(ON_PolylineCurve, MismatchedParametersAreRefusedNotRead) {
  ON_3dPointArray points;
  for (int i = 0; i < 4; ++i) points.Append(i, i * i, 0);
  struct Fault {
    const char* name;
    void (*apply)(ON_PolylineCurve&);
  };
  const Fault faults[] = {
      {"fewer_parameters", [](ON_PolylineCurve& c) { c.m_t.SetCount(2); }},
      {"more_parameters", [](ON_PolylineCurve& c) { c.m_t.Append(9); }},
      {"parameters_not_increasing", [](ON_PolylineCurve& c) { c.m_t[2] = c.m_t[1]; }},
      {"nan_parameter", [](ON_PolylineCurve& c) { c.m_t[0] = kNaN; }},
      {"dimension", [](ON_PolylineCurve& c) { c.m_dim = 7; }},
  };
  for (const Fault& f : faults) {
    ON_PolylineCurve c(points);
    ASSERT_TRUE(c.IsValid());
    f.apply(c);
    EXPECT_FALSE(c.IsValid()) << f.name;
    double v[21];
    EXPECT_FALSE(c.Evaluate(1.5, 1, 3, v)) << f.name;
    ON_NurbsCurve nc;
    EXPECT_EQ(c.GetNurbForm(nc), 0) << f.name;
    EXPECT_FALSE(c.IsClosed()) << f.name;
  }
  const ON_PolylineCurve c(points);
  EXPECT_EQ(c.Point(-1), ON_3dPoint::UnsetPoint);
  EXPECT_EQ(c.Point(4), ON_3dPoint::UnsetPoint);
  EXPECT_EQ(c.Point(3), ON_3dPoint(3, 9, 0));
  ON_BoundingBox box;
  ASSERT_TRUE(c.GetBoundingBox(box));
  EXPECT_EQ(box.m_max, ON_3dPoint(3, 9, 0));
}

TEST(ON_ArcCurve, FormAndCurveAgreeAndMove) {
  ON_ArcCurve c(ON_Arc(ON_Plane(ON_3dPoint(1, 1, 1), ON_3dVector(0, 1, 1)), 3.0, 4.0));
  EXPECT_EQ(c.Domain(), ON_Interval(0, 12));
  EXPECT_FALSE(c.IsClosed());
  ASSERT_TRUE(c.Translate(ON_3dVector(0, 0, -2)));
  ON_NurbsCurve nc;
  ASSERT_EQ(c.GetNurbForm(nc), 2);
  EXPECT_EQ(nc.Domain(), c.Domain());
  for (int k = 0; k < nc.KnotCount(); ++k) EXPECT_NEAR(nc.PointAt(nc.Knot(k)).DistanceTo(c.PointAt(nc.Knot(k))), 0, 1e-14);
  const ON_ArcCurve circle(ON_Circle(ON_origin, 2));
  EXPECT_TRUE(circle.IsClosed());
  EXPECT_TRUE(circle.IsPeriodic());
  EXPECT_EQ(circle.Domain(), ON_Interval(0, 4 * ON_PI));
  ON_BoundingBox box;
  ASSERT_TRUE(circle.GetBoundingBox(box));
  EXPECT_EQ(box.m_min, ON_3dPoint(-2, -2, 0));
}

// A line curve that counts its living instances.
class CountedCurve : public ON_LineCurve {
 public:
  static int s_alive;
  CountedCurve() { ++s_alive; }
  ~CountedCurve() override { --s_alive; }
};
int CountedCurve::s_alive = 0;

TEST(ON_CurveArray, OwnsAndDeletesItsCurves) {
  {
    ON_CurveArray a;
    for (int i = 0; i < 5; ++i) a.Append(new CountedCurve());
    a.Append(nullptr);
    EXPECT_EQ(CountedCurve::s_alive, 5);
    a.Destroy();
    EXPECT_EQ(CountedCurve::s_alive, 0);
    EXPECT_EQ(a.Count(), 0);
    a.Append(new CountedCurve());
    a.Append(new ON_ArcCurve());
    EXPECT_EQ(CountedCurve::s_alive, 1);
  }
  EXPECT_EQ(CountedCurve::s_alive, 0);  // the destructor deletes what is left
}

}  // namespace

namespace {

// The value arrays that hold lines, polylines, arcs and NURBS curves: every
// element its own deep copy, so nothing is freed twice or shared.
TEST(ON_ClassArray, HoldsCurveKindsAsValues) {
  ON_ClassArray<ON_Polyline> polylines;
  ON_ClassArray<ON_NurbsCurve> curves;
  ON_ClassArray<ON_Arc> arcs;
  ON_ClassArray<ON_Line> lines;
  ON_Polyline work;
  ON_NurbsCurve curve;
  for (int i = 0; i < 20; ++i) {
    work.Empty();
    for (int k = 0; k <= i % 4; ++k) work.Append(ON_3dPoint(i, k, 0));
    polylines.Append(work);
    const ON_3dPoint pts[3] = {{0, 0, 0}, {1, 1, 0}, {static_cast<double>(i), 0, 0}};
    curve.CreateClampedUniformNurbs(3, 3, 3, pts, 1.0);
    curves.Append(curve);
    arcs.Append(ON_Arc(ON_Circle(ON_3dPoint(i, 0, 0), 1), 1.0));
    lines.Append(ON_Line(ON_origin, ON_3dPoint(i, 0, 0)));
  }
  work.Empty();
  curve.Destroy();
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(polylines[i].Count(), i % 4 + 1);
    EXPECT_EQ(polylines[i][0], ON_3dPoint(i, 0, 0));
    EXPECT_EQ(curves[i].PointAtEnd(), ON_3dPoint(i, 0, 0));
    EXPECT_EQ(arcs[i].Center(), ON_3dPoint(i, 0, 0));
    EXPECT_EQ(lines[i].to, ON_3dPoint(i, 0, 0));
  }
  ON_ClassArray<ON_NurbsCurve> copy(curves);
  curves.Destroy();
  EXPECT_EQ(copy[7].PointAtEnd(), ON_3dPoint(7, 0, 0));
  // Too few points for the order: an empty curve, copied as one.
  const ON_3dPoint two[2] = {{0, 0, 0}, {1, 0, 0}};
  EXPECT_FALSE(curve.CreateClampedUniformNurbs(3, 3, 2, two, 1.0));
  copy.Append(curve);
  EXPECT_EQ(copy[20].CVCount(), 0);
  EXPECT_FALSE(copy[20].IsValid());
}

}  // namespace
