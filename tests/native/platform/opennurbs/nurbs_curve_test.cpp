// NURBS curves, their knot vectors and parameter intervals: storage as openNURBS
// lays it out, evaluation checked against the geometry it must produce, and bad
// data (inconsistent counts, zero weights, NaN) reported as failure without any
// read outside the curve's arrays.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "opennurbs.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// The quarter of the unit circle from (1, 0) to (0, 1), as openNURBS writes it.
ON_NurbsCurve QuarterCircle() {
  ON_NurbsCurve c(3, true, 3, 3);
  const double s = std::sqrt(0.5);
  c.SetCV(0, ON_4dPoint(1, 0, 0, 1));
  c.SetCV(1, ON_4dPoint(s, s, 0, s));
  c.SetCV(2, ON_4dPoint(0, 1, 0, 1));
  for (int k = 0; k < 4; ++k) c.SetKnot(k, k < 2 ? 0.0 : 1.0);
  return c;
}

// A cubic with an interior knot: 5 CVs, knots 0 0 0 1 3 3 3.
ON_NurbsCurve Cubic() {
  const ON_3dPoint p[5] = {{0, 0, 0}, {1, 2, 0}, {3, 2, 1}, {4, -1, 2}, {6, 0, 0}};
  ON_NurbsCurve c;
  EXPECT_TRUE(c.CreateClampedUniformNurbs(3, 4, 5, p));
  c.SetKnot(3, 1.0);
  c.SetKnot(4, 3.0);
  c.SetKnot(5, 3.0);
  c.SetKnot(6, 3.0);
  return c;
}

void ExpectEmpty(const ON_NurbsCurve& c) {
  EXPECT_EQ(c.Dimension(), 0);
  EXPECT_EQ(c.Order(), 0);
  EXPECT_EQ(c.CVCount(), 0);
  EXPECT_EQ(c.KnotCount(), 0);
  EXPECT_EQ(c.m_knot, nullptr);
  EXPECT_EQ(c.m_cv, nullptr);
  EXPECT_FALSE(c.IsValid());
}

TEST(ON_NurbsCurve, StorageAsOpenNurbsLaysItOut) {
  ON_NurbsCurve c;
  ExpectEmpty(c);
  ASSERT_TRUE(c.Create(3, true, 3, 4));
  EXPECT_EQ(c.m_dim, 3);
  EXPECT_EQ(c.m_is_rat, 1);
  EXPECT_EQ(c.m_order, 3);
  EXPECT_EQ(c.m_cv_count, 4);
  EXPECT_EQ(c.KnotCount(), 5);  // order + CV count - 2
  EXPECT_EQ(c.m_cv_stride, 4);
  EXPECT_EQ(c.CVSize(), 4);
  EXPECT_EQ(c.Weight(2), 1.0);
  ASSERT_TRUE(c.SetCV(1, ON_4dPoint(2, 4, 6, 2)));
  EXPECT_EQ(c.m_cv[4], 2.0);  // homogeneous, weight last
  EXPECT_EQ(c.m_cv[7], 2.0);
  ON_3dPoint p;
  ASSERT_TRUE(c.GetCV(1, p));
  EXPECT_EQ(p, ON_3dPoint(1, 2, 3));
  ASSERT_TRUE(c.SetCV(2, ON_3dPoint(5, 6, 7)));  // Euclidean: weight 1
  ON_4dPoint h;
  ASSERT_TRUE(c.GetCV(2, h));
  EXPECT_EQ(h, ON_4dPoint(5, 6, 7, 1));

  ON_NurbsCurve n(3, false, 2, 2);
  EXPECT_EQ(n.m_cv_stride, 3);
  ASSERT_TRUE(n.SetCV(0, ON_4dPoint(2, 4, 6, 2)));  // divided by the weight
  ASSERT_TRUE(n.GetCV(0, h));
  EXPECT_EQ(h, ON_4dPoint(1, 2, 3, 1));
  EXPECT_FALSE(n.SetCV(1, ON_4dPoint(1, 1, 1, 0)));
}

TEST(ON_NurbsCurve, RefusesIndicesAndShapesItDoesNotHave) {
  ON_NurbsCurve c(3, true, 3, 3);
  ON_3dPoint p;
  ON_4dPoint h;
  for (int i : {-1, 3, 1 << 30}) {
    EXPECT_FALSE(c.GetCV(i, p)) << i;
    EXPECT_FALSE(c.GetCV(i, h)) << i;
    EXPECT_FALSE(c.SetCV(i, p)) << i;
    EXPECT_EQ(c.CV(i), nullptr) << i;
  }
  for (int k : {-1, 4}) {
    EXPECT_FALSE(c.SetKnot(k, 1.0)) << k;
    EXPECT_EQ(c.Knot(k), 0.0) << k;
  }
  // No Euclidean point for a zero weight.
  c.SetCV(1, ON_4dPoint(1, 1, 0, 0));
  EXPECT_FALSE(c.GetCV(1, p));
  EXPECT_EQ(p, ON_3dPoint::UnsetPoint);

  struct Shape {
    int dim, order, count;
  };
  for (const Shape s : {Shape{0, 3, 3}, Shape{3, 1, 3}, Shape{3, 3, 2}, Shape{-1, 2, 2}, Shape{3, 2, 0x7FFFFFFF}}) {
    ON_NurbsCurve bad(3, false, 2, 2);
    EXPECT_FALSE(bad.Create(s.dim, true, s.order, s.count)) << s.dim << " " << s.order << " " << s.count;
    ExpectEmpty(bad);
  }
  // An order far beyond any real curve is refused by evaluation, not allocated for.
  ON_NurbsCurve huge(3, false, 5000, 5000);
  ASSERT_TRUE(huge.MakeClampedUniformKnotVector());
  EXPECT_TRUE(huge.IsValid());
  double v[6];
  EXPECT_FALSE(huge.Evaluate(0.5, 1, 3, v));
  EXPECT_FALSE(QuarterCircle().Evaluate(0.5, 0x7FFFFFFF, 3, v));

  const ON_3dPoint pts[2] = {{0, 0, 0}, {1, 0, 0}};
  ON_NurbsCurve u;
  EXPECT_FALSE(u.CreateClampedUniformNurbs(3, 3, 2, pts));
  EXPECT_FALSE(u.CreateClampedUniformNurbs(3, 2, 2, nullptr));
  EXPECT_FALSE(u.CreateClampedUniformNurbs(3, 2, 2, pts, 0.0));
  EXPECT_FALSE(u.CreatePeriodicUniformNurbs(3, 3, 1, pts));
  EXPECT_FALSE(u.CreatePeriodicUniformNurbs(4, 3, 2, pts));
  ExpectEmpty(u);
}

// Counts that disagree with the storage, as code that writes the data members
// directly can leave them: every member refuses instead of reading past the arrays.
TEST(ON_NurbsCurve, InconsistentCountsAreReportedNotRead) {
  struct Fault {
    const char* name;
    void (*apply)(ON_NurbsCurve&);
  };
  const Fault faults[] = {
      {"cv_count_beyond_storage", [](ON_NurbsCurve& c) { c.m_cv_count = 1000; }},
      {"order_beyond_storage", [](ON_NurbsCurve& c) { c.m_order = 40; c.m_cv_count = 40; }},
      {"stride_below_cv_size", [](ON_NurbsCurve& c) { c.m_cv_stride = 2; }},
      {"stride_beyond_storage", [](ON_NurbsCurve& c) { c.m_cv_stride = 100; }},
      {"order_one", [](ON_NurbsCurve& c) { c.m_order = 1; }},
      {"fewer_cvs_than_order", [](ON_NurbsCurve& c) { c.m_cv_count = 2; }},
      {"made_rational_without_weights", [](ON_NurbsCurve& c) { c.m_is_rat = 1; }},
      {"dimension_grown", [](ON_NurbsCurve& c) { c.m_dim = 9; }},
      {"no_knots", [](ON_NurbsCurve& c) { std::free(c.m_knot); c.m_knot = nullptr; c.m_knot_capacity = 0; }},
  };
  for (const Fault& f : faults) {
    ON_NurbsCurve c = Cubic();
    ASSERT_TRUE(c.IsValid());
    f.apply(c);
    EXPECT_FALSE(c.IsValid()) << f.name;
    double v[12];
    EXPECT_FALSE(c.Evaluate(0.5, 1, 3, v)) << f.name;
    EXPECT_EQ(c.PointAt(0.5), ON_3dPoint::UnsetPoint) << f.name;
    EXPECT_FALSE(c.Domain().IsValid()) << f.name;
    EXPECT_FALSE(c.IsClosed()) << f.name;
    EXPECT_FALSE(c.IsPeriodic()) << f.name;
    EXPECT_EQ(c.Knot(3), 0.0) << f.name;
    ON_3dPoint p;
    EXPECT_FALSE(c.GetCV(4, p)) << f.name;
    ON_BoundingBox box;
    EXPECT_FALSE(c.GetBoundingBox(box)) << f.name;
    ON_Xform x;
    x.Translation(1, 2, 3);
    EXPECT_FALSE(c.Transform(x)) << f.name;
    ON_NurbsCurve copy(c);
    ExpectEmpty(copy);
    ON_NurbsCurve form;
    EXPECT_EQ(c.GetNurbForm(form), 0) << f.name;
  }
}

TEST(ON_NurbsCurve, EvaluatesPointsAndDerivatives) {
  const ON_NurbsCurve arc = QuarterCircle();
  ASSERT_TRUE(arc.IsValid());
  EXPECT_EQ(arc.Domain(), ON_Interval(0, 1));
  for (double t : {0.0, 0.1, 0.5, 0.77, 1.0}) {
    ON_3dPoint p;
    ON_3dVector d1, d2;
    ASSERT_TRUE(arc.Ev2Der(t, p, d1, d2));
    EXPECT_NEAR(ON_3dVector(p.x, p.y, p.z).Length(), 1.0, 1e-15) << t;  // on the circle
    EXPECT_NEAR(ON_DotProduct(ON_3dVector(p.x, p.y, p.z), d1), 0.0, 1e-14) << t;  // tangent
    const double h = 1e-6;
    const ON_3dVector fd = (arc.PointAt(t + h) - arc.PointAt(t - h)) * (0.5 / h);
    EXPECT_NEAR((fd - d1).Length(), 0.0, 1e-8) << t;
    const ON_3dVector fd2 = (arc.DerivativeAt(t + h) - arc.DerivativeAt(t - h)) * (0.5 / h);
    EXPECT_NEAR((fd2 - d2).Length(), 0.0, 1e-6) << t;
  }
  EXPECT_EQ(arc.PointAtStart(), ON_3dPoint(1, 0, 0));
  EXPECT_EQ(arc.PointAtEnd(), ON_3dPoint(0, 1, 0));

  // The cubic's derivatives on both sides of its interior knot agree up to the
  // second (a simple knot keeps C2), and the third jumps.
  const ON_NurbsCurve cubic = Cubic();
  double below[12], above[12];
  ASSERT_TRUE(cubic.Evaluate(1.0, 3, 3, below, -1));
  ASSERT_TRUE(cubic.Evaluate(1.0, 3, 3, above, 1));
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(below[i], above[i], 1e-12) << i;
  EXPECT_GT(std::fabs(below[9] - above[9]) + std::fabs(below[10] - above[10]), 1e-3);
}

TEST(ON_NurbsCurve, ZeroWeightsAndNaNAreReported) {
  // Weights 1, -1, 1 sum to zero at the middle: no point there, elsewhere fine.
  ON_NurbsCurve c = QuarterCircle();
  c.SetCV(1, ON_4dPoint(1, 1, 0, -1));
  EXPECT_TRUE(c.IsValid());
  EXPECT_EQ(c.PointAt(0.5), ON_3dPoint::UnsetPoint);
  EXPECT_EQ(c.DerivativeAt(0.5), ON_3dVector::UnsetVector);
  EXPECT_EQ(c.TangentAt(0.5), ON_3dVector::ZeroVector);
  EXPECT_TRUE(c.PointAt(0.0).IsValid());
  double q[4] = {1, 2, 3, 0};
  EXPECT_FALSE(ON_EvaluateQuotientRule(3, 0, 4, q));

  ON_NurbsCurve n = Cubic();
  n.SetCV(2, ON_3dPoint(kNaN, 0, 0));
  EXPECT_FALSE(n.IsValid());
  EXPECT_TRUE(std::isnan(n.PointAt(1.0).x));  // evaluated as openNURBS does, NaN in NaN out
  ON_NurbsCurve k = Cubic();
  k.SetKnot(3, kNaN);
  EXPECT_FALSE(k.IsValid());
  double v[6];
  k.Evaluate(kNaN, 1, 3, v);  // no crash, whatever it gives
  k.Evaluate(0.5, 1, 3, v);
}

TEST(ON_NurbsCurve, CopiesOwnTheirArrays) {
  ON_NurbsCurve a = Cubic();
  ON_NurbsCurve b(a);
  ON_NurbsCurve c;
  c = a;
  a.SetCV(0, ON_3dPoint(9, 9, 9));
  a.SetKnot(3, 2.0);
  for (const ON_NurbsCurve* x : {&b, &c}) {
    EXPECT_NE(x->m_cv, a.m_cv);
    EXPECT_EQ(x->PointAtStart(), ON_3dPoint(0, 0, 0));
    EXPECT_EQ(x->Knot(3), 1.0);
    EXPECT_TRUE(x->IsValid());
  }
  c = c;  // NOLINT: self-assignment keeps the curve
  EXPECT_TRUE(c.IsValid());
  ON_Curve* d = b.DuplicateCurve();
  EXPECT_EQ(d->PointAt(2.0), b.PointAt(2.0));
  delete d;
  ON_NurbsCurve form;
  EXPECT_EQ(b.GetNurbForm(form), 1);
  EXPECT_EQ(form.PointAt(0.3), b.PointAt(0.3));
}

TEST(ON_NurbsCurve, TransformMovesTheCurve) {
  ON_NurbsCurve c = QuarterCircle();
  ASSERT_TRUE(c.Translate(ON_3dVector(1, 2, 3)));
  EXPECT_EQ(c.PointAtStart(), ON_3dPoint(2, 2, 3));
  ON_4dPoint h;
  c.GetCV(1, h);
  const double s = std::sqrt(0.5);
  EXPECT_NEAR(h.x, 2 * s, 1e-15);  // homogeneous: the weight scales the translation
  EXPECT_EQ(h.w, s);

  // A projective map makes a non-rational curve rational, and the curve's points
  // are the mapped points.
  ON_NurbsCurve n = Cubic();
  const ON_NurbsCurve before = n;
  ON_Xform p;
  p.m_xform[3][0] = 0.1;
  ASSERT_TRUE(n.Transform(p));
  EXPECT_TRUE(n.IsRational());
  for (double t : {0.0, 0.4, 1.0, 2.5, 3.0}) {
    const ON_3dPoint want = p * before.PointAt(t), got = n.PointAt(t);
    EXPECT_NEAR(want.DistanceTo(got), 0.0, 1e-12) << t;
  }
}

TEST(ON_Knot, UniformVectorsAndSpans) {
  double k[9];
  ASSERT_TRUE(ON_MakeClampedUniformKnotVector(3, 5, k));
  EXPECT_EQ(std::vector<double>(k, k + 6), (std::vector<double>{0, 0, 1, 2, 3, 3}));
  ASSERT_TRUE(ON_MakePeriodicUniformKnotVector(4, 7, k, 0.5));
  EXPECT_EQ(std::vector<double>(k, k + 9), (std::vector<double>{-1, -0.5, 0, 0.5, 1, 1.5, 2, 2.5, 3}));
  EXPECT_TRUE(ON_IsKnotVectorPeriodic(4, 7, k));
  EXPECT_FALSE(ON_IsKnotVectorClamped(4, 7, k));
  EXPECT_FALSE(ON_MakeClampedUniformKnotVector(3, 2, k));
  EXPECT_FALSE(ON_MakePeriodicUniformKnotVector(3, 5, k, -1.0));

  // Order 3, 6 CVs, a double knot at 1: spans [0,1] [1,1] [1,2] [2,3].
  const double d[7] = {0, 0, 1, 1, 2, 3, 3};
  EXPECT_TRUE(ON_IsValidKnotVector(3, 6, d));
  EXPECT_EQ(ON_NurbsSpanIndex(3, 6, d, 1.0, 1), 2);   // from above: never the empty span
  EXPECT_EQ(ON_NurbsSpanIndex(3, 6, d, 1.0, -1), 0);  // from below
  EXPECT_EQ(ON_NurbsSpanIndex(3, 6, d, -5.0, 0), 0);
  EXPECT_EQ(ON_NurbsSpanIndex(3, 6, d, 3.0, 0), 3);
  EXPECT_EQ(ON_NurbsSpanIndex(3, 6, d, 99.0, -1), 3);
  // Bisection stays inside the knots whatever they hold.
  const double junk[7] = {5, kNaN, -1, 9, 0, 2, 1};
  const int span = ON_NurbsSpanIndex(3, 6, junk, 1.5, 0);
  EXPECT_GE(span, 0);
  EXPECT_LE(span, 3);
  EXPECT_FALSE(ON_IsValidKnotVector(3, 6, junk));
}

TEST(ON_Interval, UnsetEndsAndParameters) {
  const ON_Interval unset;
  EXPECT_FALSE(unset.IsValid());
  EXPECT_TRUE(unset.IsEmptyInterval());
  EXPECT_EQ(unset.Length(), 0.0);
  const ON_Interval d(2.0, -1.0);
  EXPECT_TRUE(d.IsDecreasing());
  EXPECT_EQ(d.Length(), -3.0);
  EXPECT_EQ(d.Min(), -1.0);
  EXPECT_EQ(d.ParameterAt(0.0), 2.0);
  EXPECT_EQ(d.ParameterAt(1.0), -1.0);
  EXPECT_EQ(d.NormalizedParameterAt(0.5), 0.5);
  EXPECT_TRUE(d.Includes(0.0));
  EXPECT_FALSE(d.Includes(kNaN));
  EXPECT_FALSE(ON_Interval(0.0, kNaN).IsValid());
  ON_Interval r(1, 3);
  r.Reverse();
  EXPECT_EQ(r, ON_Interval(-3, -1));
}

}  // namespace
