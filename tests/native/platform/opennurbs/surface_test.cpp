// NURBS and plane surfaces: storage as openNURBS lays it out, what the callers
// read (Euclidean CVs of rational surfaces, the kinds told apart by Cast,
// iso-curves owned by the caller), and bad data (counts that disagree with the
// storage, zero weights, NaN, absurd derivative counts) reported as failure
// without any read outside the surface's arrays.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "opennurbs.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Order 3 by 2 with 4 x 2 CVs at (i, j, i * j), knots 0 0 0.5 1 1 and 0 2.
ON_NurbsSurface Sheet() {
  ON_NurbsSurface s(3, false, 3, 2, 4, 2);
  const double k0[5] = {0, 0, 0.5, 1, 1};
  for (int k = 0; k < 5; ++k) s.SetKnot(0, k, k0[k]);
  s.SetKnot(1, 0, 0.0);
  s.SetKnot(1, 1, 2.0);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 2; ++j) s.SetCV(i, j, ON_3dPoint(i, j, i * j));
  return s;
}

void ExpectFailsEverywhere(const ON_NurbsSurface& s) {
  EXPECT_FALSE(s.IsValid());
  EXPECT_EQ(s.Order(0), 0);
  EXPECT_EQ(s.CVCount(1), 0);
  EXPECT_EQ(s.CVCount(), 0);
  EXPECT_EQ(s.KnotCount(0), 0);
  EXPECT_EQ(s.Knot(0, 0), 0.0);
  EXPECT_FALSE(s.Domain(0).IsValid());
  EXPECT_EQ(s.CV(0, 0), nullptr);
  ON_3dPoint p;
  EXPECT_FALSE(s.GetCV(0, 0, p));
  EXPECT_FALSE(s.EvPoint(0.5, 0.5, p));
  EXPECT_EQ(s.PointAt(0.5, 0.5), ON_3dPoint::UnsetPoint);
  EXPECT_EQ(s.IsoCurve(0, 0.5), nullptr);
  EXPECT_EQ(s.IsoCurve(1, 0.5), nullptr);
  EXPECT_FALSE(s.IsPeriodic(0));
  EXPECT_FALSE(s.BoundingBox().IsValid());
  ON_NurbsSurface copy(s);
  EXPECT_EQ(copy.m_cv, nullptr);
  EXPECT_FALSE(ON_NurbsSurface(s).Translate(ON_3dVector(1, 0, 0)));
}

TEST(ON_NurbsSurface, StorageAsOpenNurbsLaysItOut) {
  ON_NurbsSurface s;
  ASSERT_TRUE(s.Create(3, true, 3, 2, 4, 2));
  EXPECT_EQ(s.KnotCount(0), 5);  // order + CV count - 2 per direction
  EXPECT_EQ(s.KnotCount(1), 2);
  EXPECT_EQ(s.CVSize(), 4);
  EXPECT_EQ(s.m_cv_stride[1], 4);      // CV (i, j) at (i * count1 + j) * CVSize()
  EXPECT_EQ(s.m_cv_stride[0], 2 * 4);
  EXPECT_EQ(s.CV(1, 0), s.m_cv + 8);
  EXPECT_EQ(s.Weight(3, 1), 1.0);
  // A rational CV reads as the Euclidean point, and as itself homogeneously.
  ASSERT_TRUE(s.SetCV(1, 1, ON_4dPoint(2, 4, 6, 2)));
  ON_3dPoint p;
  ON_4dPoint h;
  ASSERT_TRUE(s.GetCV(1, 1, p));
  EXPECT_EQ(p, ON_3dPoint(1, 2, 3));
  ASSERT_TRUE(s.GetCV(1, 1, h));
  EXPECT_EQ(h, ON_4dPoint(2, 4, 6, 2));
  // A non-rational surface stores a homogeneous point divided out, and refuses
  // weight 0.
  ON_NurbsSurface n(3, false, 2, 2, 2, 2);
  ASSERT_TRUE(n.SetCV(0, 1, ON_4dPoint(2, 4, 6, 2)));
  ASSERT_TRUE(n.GetCV(0, 1, p));
  EXPECT_EQ(p, ON_3dPoint(1, 2, 3));
  EXPECT_FALSE(n.SetCV(0, 1, ON_4dPoint(2, 4, 6, 0)));
  EXPECT_FALSE(n.SetCV(2, 0, ON_3dPoint(0, 0, 0)));
  EXPECT_FALSE(n.SetKnot(0, 2, 1.0));
}

TEST(ON_NurbsSurface, CopiesOwnTheirStorageAndCastTellsTheKinds) {
  const ON_NurbsSurface s = Sheet();
  ON_NurbsSurface copy(s);
  ASSERT_NE(copy.m_cv, s.m_cv);
  copy.Translate(ON_3dVector(0, 0, 5));
  ON_3dPoint a, b;
  s.GetCV(2, 1, a);
  copy.GetCV(2, 1, b);
  EXPECT_EQ(b.z, a.z + 5);
  EXPECT_EQ(copy.Domain(0), s.Domain(0));

  const ON_PlaneSurface plane(ON_Plane::World_xy);
  const ON_Geometry* g[2] = {&s, &plane};
  EXPECT_EQ(ON_NurbsSurface::Cast(g[0]), &s);
  EXPECT_EQ(ON_NurbsSurface::Cast(g[1]), nullptr);
  EXPECT_EQ(ON_PlaneSurface::Cast(g[0]), nullptr);
  EXPECT_EQ(ON_PlaneSurface::Cast(g[1]), &plane);
  EXPECT_EQ(ON_Surface::Cast(g[1]), &plane);
  EXPECT_EQ(ON_NurbsSurface::Cast(static_cast<const ON_Geometry*>(nullptr)), nullptr);
}

// Iso-curves through a station lie on the surface: every point of the curve is
// the surface's point there, in both directions and at the domain's ends.
TEST(ON_NurbsSurface, IsoCurvesLieOnTheSurface) {
  const ON_NurbsSurface s = Sheet();
  for (int dir = 0; dir < 2; ++dir)
    for (double c : {0.0, 0.3, 1.0, 2.0}) {
      const double station = dir == 0 ? c : c / 2;  // inside the other direction's domain
      const std::unique_ptr<ON_Curve> iso(s.IsoCurve(dir, station));
      ASSERT_NE(iso, nullptr);
      EXPECT_EQ(iso->Domain(), s.Domain(dir));
      for (double f : {0.0, 0.2, 0.5, 0.9, 1.0}) {
        const double t = s.Domain(dir).ParameterAt(f);
        const ON_3dPoint on = dir == 0 ? s.PointAt(t, station) : s.PointAt(station, t);
        EXPECT_LT(iso->PointAt(t).DistanceTo(on), 1e-12) << dir << " " << station << " " << t;
      }
    }
}

TEST(ON_NurbsSurface, BadConstructionLeavesAnEmptySurface) {
  ON_NurbsSurface s;
  EXPECT_FALSE(s.Create(0, false, 2, 2, 2, 2));
  EXPECT_FALSE(s.Create(3, false, 1, 2, 2, 2));
  EXPECT_FALSE(s.Create(3, false, 3, 2, 2, 2));       // fewer CVs than the order
  EXPECT_FALSE(s.Create(3, false, 2, 2, 0, 2));       // a CV count of 0
  EXPECT_FALSE(s.Create(3, true, 2, 2, 1 << 16, 1 << 16));  // beyond 32-bit counts
  ExpectFailsEverywhere(s);
}

// Data members changed behind the surface's back: every member checks them
// against the storage before reading (under ASan a read outside would fail).
TEST(ON_NurbsSurface, CountsThatDisagreeWithTheStorageAreFailures) {
  {
    ON_NurbsSurface s = Sheet();
    s.m_cv_count[0] = 40;
    ExpectFailsEverywhere(s);
  }
  {
    ON_NurbsSurface s = Sheet();
    s.m_order[1] = 5;  // more than its CVs
    ExpectFailsEverywhere(s);
  }
  {
    ON_NurbsSurface s = Sheet();
    s.m_cv_stride[1] = 1;  // CVs overlapping each other
    ExpectFailsEverywhere(s);
  }
  {
    ON_NurbsSurface s = Sheet();
    s.m_cv_stride[0] = 1000;  // rows beyond the block
    ExpectFailsEverywhere(s);
  }
  {
    ON_NurbsSurface s = Sheet();
    s.m_dim = 7;  // CVs wider than those stored
    ExpectFailsEverywhere(s);
  }
  {
    ON_NurbsSurface s = Sheet();
    double* knots = s.m_knot[1];
    s.m_knot[1] = nullptr;
    ExpectFailsEverywhere(s);
    s.m_knot[1] = knots;
  }
}

TEST(ON_NurbsSurface, ZeroWeightsNaNAndAbsurdRequests) {
  // One corner of weight 0: valid (as in openNURBS), but neither its box nor
  // the point at that corner exists; elsewhere the surface evaluates.
  ON_NurbsSurface w(3, true, 2, 2, 2, 2);
  for (int k = 0; k < 2; ++k) {
    w.SetKnot(0, k, k);
    w.SetKnot(1, k, k);
  }
  w.SetCV(1, 1, ON_4dPoint(1, 1, 1, 0));
  EXPECT_TRUE(w.IsValid());
  EXPECT_FALSE(w.BoundingBox().IsValid());
  ON_3dPoint p;
  EXPECT_FALSE(w.GetCV(1, 1, p));
  EXPECT_FALSE(w.EvPoint(1, 1, p));
  EXPECT_TRUE(w.EvPoint(0.5, 0.5, p));
  // The iso-curve through that corner exists; its end cannot be evaluated.
  const std::unique_ptr<ON_Curve> iso(w.IsoCurve(0, 1.0));
  ASSERT_NE(iso, nullptr);
  EXPECT_EQ(iso->PointAtEnd(), ON_3dPoint::UnsetPoint);

  // NaN in a CV or a knot: not valid, so no iso-curve.
  ON_NurbsSurface n = Sheet();
  n.CV(2, 1)[1] = kNaN;
  EXPECT_FALSE(n.IsValid());
  EXPECT_EQ(n.IsoCurve(0, 1.0), nullptr);
  n = Sheet();
  n.SetKnot(0, 2, kNaN);
  EXPECT_FALSE(n.IsValid());
  EXPECT_EQ(n.IsoCurve(1, 0.5), nullptr);

  // Stations that are no number, directions that do not exist, derivative
  // counts and strides the surface cannot serve.
  const ON_NurbsSurface s = Sheet();
  EXPECT_EQ(s.IsoCurve(0, kNaN), nullptr);
  EXPECT_EQ(s.IsoCurve(1, std::numeric_limits<double>::infinity()), nullptr);
  EXPECT_EQ(s.IsoCurve(2, 0.5), nullptr);
  EXPECT_FALSE(s.Domain(-1).IsValid());
  EXPECT_EQ(s.CVCount(2), 0);
  double v[3 * 6];
  EXPECT_FALSE(s.Evaluate(0.5, 0.5, 1, 2, v));   // stride below the dimension
  EXPECT_FALSE(s.Evaluate(0.5, 0.5, -1, 3, v));
  EXPECT_FALSE(s.Evaluate(0.5, 0.5, 1, 3, v, 5));  // no such quadrant
  EXPECT_FALSE(s.Evaluate(0.5, 0.5, 1 << 30, 3, v));
  EXPECT_FALSE(s.Evaluate(0.5, 0.5, 1, 3, nullptr));
}

TEST(ON_PlaneSurface, FromAPlaneAndWhatTheCallersRead) {
  // The plane through (100, 0, 0) with normal (0, 0, 1): origin and unit
  // normal as made, domains and extents [0, 1].
  const ON_PlaneSurface s(ON_Plane(ON_3dPoint(100, 0, 0), ON_3dVector(0, 0, 3)));
  ASSERT_TRUE(s.IsValid());
  EXPECT_EQ(s.m_plane.origin, ON_3dPoint(100, 0, 0));
  EXPECT_EQ(s.m_plane.zaxis, ON_3dVector(0, 0, 1));
  EXPECT_EQ(s.Domain(0), ON_Interval(0, 1));
  EXPECT_EQ(s.Extents(1), ON_Interval(0, 1));
  EXPECT_FALSE(s.IsPeriodic(0));
  ON_3dPoint p;
  ON_3dVector ds, dt;
  ASSERT_TRUE(s.Ev1Der(0.5, 0.25, p, ds, dt));
  EXPECT_LT(p.DistanceTo(s.m_plane.PointAt(0.5, 0.25)), 1e-12);
  EXPECT_EQ(ds, s.m_plane.xaxis);
  EXPECT_EQ(dt, s.m_plane.yaxis);

  ON_PlaneSurface wide = s;
  ASSERT_TRUE(wide.SetExtents(0, ON_Interval(-2, 2), true));
  EXPECT_EQ(wide.Domain(0), ON_Interval(-2, 2));
  const std::unique_ptr<ON_Curve> iso(wide.IsoCurve(0, 1.0));
  ASSERT_NE(dynamic_cast<const ON_LineCurve*>(iso.get()), nullptr);
  EXPECT_EQ(iso->Domain(), ON_Interval(-2, 2));
  EXPECT_EQ(iso->PointAtStart(), wide.PointAt(-2, 1));
  EXPECT_EQ(iso->PointAtEnd(), wide.PointAt(2, 1));
}

TEST(ON_PlaneSurface, BadInputIsRefused) {
  const ON_PlaneSurface none;
  EXPECT_FALSE(none.IsValid());
  EXPECT_FALSE(none.Domain(0).IsValid());
  EXPECT_EQ(none.IsoCurve(0, 0.5), nullptr);
  EXPECT_FALSE(none.BoundingBox().IsValid());
  ON_3dPoint p;
  EXPECT_FALSE(none.EvPoint(0.5, 0.5, p));

  // A normal of zero length makes no plane, so no surface either.
  const ON_PlaneSurface flat(ON_Plane(ON_3dPoint(0, 0, 0), ON_3dVector(0, 0, 0)));
  EXPECT_FALSE(flat.IsValid());
  EXPECT_EQ(flat.IsoCurve(1, 0.5), nullptr);

  ON_PlaneSurface s(ON_Plane::World_xy);
  EXPECT_FALSE(s.SetExtents(0, ON_Interval(1, 1)));
  EXPECT_FALSE(s.SetExtents(2, ON_Interval(0, 1)));
  EXPECT_FALSE(s.SetDomain(1, 3, 2));
  EXPECT_FALSE(s.SetDomain(0, kNaN, 1));
  EXPECT_EQ(s.Domain(1), ON_Interval(0, 1));
  EXPECT_EQ(s.IsoCurve(0, kNaN), nullptr);
  EXPECT_EQ(s.IsoCurve(-1, 0.5), nullptr);
  EXPECT_FALSE(s.EvPoint(kNaN, 0.5, p));
  double v[3];
  EXPECT_FALSE(s.Evaluate(0.5, 0.5, 0, 2, v));
  // A map that collapses the plane is refused and leaves the surface as it was.
  EXPECT_FALSE(s.Scale(0.0));
  EXPECT_FALSE(s.Transform(ON_Xform(kNaN)));
  EXPECT_TRUE(s.IsValid());
  EXPECT_EQ(s.m_plane.origin, ON_3dPoint(0, 0, 0));
}

}  // namespace
