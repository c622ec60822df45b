// Curve proxies and the brep's wire frame: proxies of a part of a curve, run
// backwards and reparameterised, against the curve itself; breps built edge by
// edge with their indices linked, copies that own their curves (also inside a
// growing ON_ClassArray), and bad topology reported as not valid.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "opennurbs.h"

namespace {

// A cubic over [0, 3] with an interior knot at 1.
ON_NurbsCurve* NewCubic() {
  const ON_3dPoint p[5] = {{0, 0, 0}, {1, 2, 0}, {3, 2, 1}, {4, -1, 2}, {6, 0, 0}};
  ON_NurbsCurve* c = new ON_NurbsCurve();
  c->CreateClampedUniformNurbs(3, 4, 5, p);
  const double knots[7] = {0, 0, 0, 1, 3, 3, 3};
  for (int k = 0; k < 7; ++k) c->SetKnot(k, knots[k]);
  return c;
}

void ExpectNear(const ON_3dVector& a, const ON_3dVector& b, double tol = 1e-12) {
  EXPECT_LT((a - b).Length(), tol) << a.x << " " << a.y << " " << a.z << " vs " << b.x << " " << b.y << " " << b.z;
}

ON_3dVector V(const ON_3dPoint& p) { return ON_3dVector(p.x, p.y, p.z); }

TEST(ON_CurveProxy, StandsForTheWholeCurveByDefault) {
  const std::unique_ptr<ON_NurbsCurve> c(NewCubic());
  const ON_CurveProxy proxy(c.get());
  ASSERT_TRUE(proxy.IsValid());
  EXPECT_EQ(proxy.ProxyCurve(), c.get());
  EXPECT_EQ(proxy.Domain(), c->Domain());
  EXPECT_FALSE(proxy.ProxyCurveIsReversed());
  EXPECT_EQ(proxy.Dimension(), 3);
  for (double t : {0.0, 0.5, 1.0, 2.2, 3.0}) ExpectNear(V(proxy.PointAt(t)), V(c->PointAt(t)));
  ON_NurbsCurve nc;
  EXPECT_EQ(proxy.GetNurbForm(nc), 1);
  EXPECT_EQ(nc.CVCount(), 5);
  EXPECT_EQ(nc.Knot(3), 1.0);
}

// A proxy of the part [1, 3], run backwards over [10, 14]: at t it is the curve
// at 3 - (t - 10) / 2, and its derivatives follow the chain rule.
TEST(ON_CurveProxy, PartReversedAndReparameterised) {
  const std::unique_ptr<ON_NurbsCurve> c(NewCubic());
  ON_CurveProxy proxy(c.get(), ON_Interval(1, 3));
  ASSERT_TRUE(proxy.Reverse());
  EXPECT_EQ(proxy.Domain(), ON_Interval(-3, -1));
  ASSERT_TRUE(proxy.SetDomain(10, 14));
  ASSERT_TRUE(proxy.IsValid());
  EXPECT_TRUE(proxy.ProxyCurveIsReversed());
  for (double t : {10.0, 11.0, 12.5, 14.0}) {
    const double r = 3.0 - (t - 10.0) / 2.0;
    EXPECT_DOUBLE_EQ(proxy.RealCurveParameter(t), r);
    EXPECT_DOUBLE_EQ(proxy.ThisCurveParameter(r), t);
    ON_3dPoint p, q;
    ON_3dVector d1, d2, e1, e2;
    ASSERT_TRUE(proxy.Ev2Der(t, p, d1, d2));
    ASSERT_TRUE(c->Ev2Der(r, q, e1, e2));
    ExpectNear(V(p), V(q));
    ExpectNear(d1, e1 * -0.5);
    ExpectNear(d2, e2 * 0.25);
  }
  ExpectNear(V(proxy.PointAtStart()), V(c->PointAt(3)));
  ExpectNear(V(proxy.PointAtEnd()), V(c->PointAt(1)));
  // At the interior knot (1 in the curve, -1 in the reversed proxy of the whole
  // curve), the side asked for is the proxy's: from below in the proxy is from
  // above in the curve.
  ON_3dPoint p;
  ON_3dVector below, above;
  ON_CurveProxy whole(c.get());
  whole.Reverse();
  ASSERT_TRUE(whole.Ev1Der(-1.0, p, below, -1));
  ASSERT_TRUE(whole.Ev1Der(-1.0, p, above, 1));
  ON_3dVector realAbove, realBelow;
  ASSERT_TRUE(c->Ev1Der(1.0, p, realAbove, 1));
  ASSERT_TRUE(c->Ev1Der(1.0, p, realBelow, -1));
  ExpectNear(below, -realAbove);
  ExpectNear(above, -realBelow);

  // The NURBS form of a reversed whole curve runs backwards over the proxy's domain.
  ON_NurbsCurve nc;
  ASSERT_EQ(whole.GetNurbForm(nc), 1);
  EXPECT_EQ(nc.Domain(), ON_Interval(-3, 0));
  EXPECT_EQ(nc.Knot(3), -1.0);
  for (double t : {-3.0, -2.0, -0.5, 0.0}) ExpectNear(V(nc.PointAt(t)), V(whole.PointAt(t)));
  // A part of a NURBS curve has no NURBS form here: that needs the curve cut at
  // the part's ends, which the subset's NURBS curves do not do.
  EXPECT_EQ(proxy.GetNurbForm(nc), 0);
  EXPECT_EQ(proxy.DuplicateCurve(), nullptr);
  const std::unique_ptr<ON_Curve> dup(whole.DuplicateCurve());
  ASSERT_NE(ON_NurbsCurve::Cast(dup.get()), nullptr);
  ExpectNear(V(dup->PointAtStart()), V(c->PointAtEnd()));
}

TEST(ON_CurveProxy, BadInputIsRefused) {
  ON_CurveProxy none;
  EXPECT_FALSE(none.IsValid());
  EXPECT_EQ(none.Dimension(), 0);
  EXPECT_FALSE(none.Reverse());
  EXPECT_EQ(none.PointAt(0.5), ON_3dPoint::UnsetPoint);
  ON_NurbsCurve nc;
  EXPECT_EQ(none.GetNurbForm(nc), 0);
  EXPECT_FALSE(none.BoundingBox().IsValid());

  const std::unique_ptr<ON_NurbsCurve> c(NewCubic());
  EXPECT_FALSE(ON_CurveProxy(c.get(), ON_Interval(2, 1)).IsValid());
  EXPECT_FALSE(ON_CurveProxy(c.get(), ON_Interval(1, 5)).IsValid());  // beyond the curve
  ON_CurveProxy p(c.get());
  EXPECT_FALSE(p.SetDomain(1, 1));
  EXPECT_FALSE(p.SetDomain(std::numeric_limits<double>::quiet_NaN(), 1));
  EXPECT_EQ(p.Domain(), ON_Interval(0, 3));
  EXPECT_FALSE(p.Transform(ON_Xform(2.0)));  // the proxy does not own its curve
  EXPECT_EQ(p.GetNurbForm(nc, 0.0, &ON_Interval::ZeroToOne), 0);  // a part again
  // A curve that goes bad under the proxy makes the proxy invalid.
  c->SetKnot(3, std::numeric_limits<double>::quiet_NaN());
  EXPECT_FALSE(p.IsValid());
  EXPECT_EQ(p.GetNurbForm(nc), 0);
}

// A triangle of three line curves and a closed loop edge of a cubic.
ON_Brep Triangle() {
  ON_Brep b;
  const ON_3dPoint p[3] = {{0, 0, 0}, {2, 0, 0}, {0, 1, 1}};
  for (const ON_3dPoint& q : p) b.NewVertex(q, 0.0);
  for (int i = 0; i < 3; ++i) {
    const int c3i = b.AddEdgeCurve(new ON_LineCurve(p[i], p[(i + 1) % 3]));
    b.NewEdge(b.m_V[i], b.m_V[(i + 1) % 3], c3i, nullptr, 0.0);
  }
  return b;
}

TEST(ON_Brep, EdgesLinkVerticesAndCurves) {
  ON_Brep b = Triangle();
  ASSERT_TRUE(b.IsValid());
  ASSERT_EQ(b.m_E.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    const ON_BrepEdge& e = b.m_E[i];
    EXPECT_EQ(e.m_edge_index, i);
    EXPECT_EQ(e.m_c3i, i);
    EXPECT_EQ(e.EdgeCurveOf(), b.m_C3[i]);
    EXPECT_EQ(e.Brep(), &b);
    EXPECT_EQ(e.Vertex(0), &b.m_V[i]);
    EXPECT_EQ(e.Vertex(1), &b.m_V[(i + 1) % 3]);
    ExpectNear(V(e.PointAtStart()), V(b.m_V[i].point));
    EXPECT_EQ(b.m_V[i].EdgeCount(), 2);
  }
  EXPECT_EQ(b.m_V[0].m_ei[0], 0);
  EXPECT_EQ(b.m_V[0].m_ei[1], 2);
  const ON_BoundingBox box = b.BoundingBox();
  EXPECT_EQ(box.m_min, ON_3dPoint(0, 0, 0));
  EXPECT_EQ(box.m_max, ON_3dPoint(2, 1, 1));

  // An edge run backwards over a cubic from vertex 2 to vertex 0.
  ON_NurbsCurve* cubic = NewCubic();
  const ON_3dPoint end = cubic->PointAtEnd();
  ON_BrepVertex& v = b.NewVertex(end, 0.0);
  const int c3i = b.AddEdgeCurve(cubic);
  ON_BrepEdge& back = b.NewEdge(b.m_V[3], b.m_V[0], c3i);
  ASSERT_TRUE(back.Reverse());
  EXPECT_EQ(v.m_vertex_index, 3);
  EXPECT_TRUE(b.IsValid());
  ExpectNear(V(b.m_E[3].PointAtStart()), V(end));
  ExpectNear(V(b.m_E[3].PointAtEnd()), V(b.m_V[0].point));

  // Moving the brep moves its vertices and its curves, and the edges with them.
  ASSERT_TRUE(b.Translate(ON_3dVector(0, 0, 10)));
  EXPECT_EQ(b.m_V[1].point, ON_3dPoint(2, 0, 10));
  ExpectNear(V(b.m_E[0].PointAtEnd()), ON_3dVector(2, 0, 10));
  EXPECT_TRUE(b.IsValid());
}

TEST(ON_Brep, CopiesOwnTheirCurves) {
  ON_ClassArray<ON_Brep> breps;
  breps.Append(Triangle());
  for (int i = 0; i < 20; ++i) breps.Append(breps[0]);  // grows, so moves, the array
  for (int i = 0; i < breps.Count(); ++i) {
    const ON_Brep& b = breps[i];
    ASSERT_TRUE(b.IsValid()) << i;
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(b.m_E[k].Brep(), &b);
      EXPECT_EQ(b.m_E[k].EdgeCurveOf(), b.m_C3[k]);
    }
    if (i) {
      EXPECT_NE(b.m_C3[0], breps[0].m_C3[0]);
    }
  }
  ON_Brep moved = breps[3];
  moved.Translate(ON_3dVector(1, 0, 0));
  ExpectNear(V(breps[3].m_E[1].PointAtStart()), ON_3dVector(2, 0, 0));
  ExpectNear(V(moved.m_E[1].PointAtStart()), ON_3dVector(3, 0, 0));
  const ON_Brep& same = moved;
  moved = same;  // assigning a brep to itself keeps it
  EXPECT_TRUE(moved.IsValid());
}

TEST(ON_Brep, BadTopologyIsNotValid) {
  {
    ON_Brep b = Triangle();
    b.m_E[1].m_vi[1] = 7;  // a vertex that does not exist
    EXPECT_FALSE(b.IsValid());
    EXPECT_EQ(b.m_E[1].Vertex(1), nullptr);
  }
  {
    ON_Brep b = Triangle();
    b.m_V[2].point = ON_3dPoint(0, 1, 1.5);  // the edges no longer reach it
    EXPECT_FALSE(b.IsValid());
    b.m_V[2].m_tolerance = 0.6;  // unless its tolerance covers the gap
    EXPECT_TRUE(b.IsValid());
  }
  {
    ON_Brep b = Triangle();
    b.m_V[0].m_ei.Remove(0);  // the vertex forgets an edge that uses it
    EXPECT_FALSE(b.IsValid());
  }
  {
    ON_Brep b = Triangle();
    EXPECT_EQ(b.AddEdgeCurve(nullptr), -1);
    // An edge on a curve index outside m_C3 has no curve.
    const ON_BrepEdge& e = b.NewEdge(b.m_V[0], b.m_V[1], 9);
    EXPECT_EQ(e.EdgeCurveOf(), nullptr);
    EXPECT_FALSE(e.IsValid());
    EXPECT_FALSE(b.IsValid());
    const ON_Brep copy = b;  // copies it as it is
    EXPECT_EQ(copy.m_E[3].EdgeCurveOf(), nullptr);
  }
  {
    // Vertices of another brep are not linked.
    ON_Brep a = Triangle(), b = Triangle();
    const ON_BrepEdge& e = b.NewEdge(a.m_V[0], b.m_V[1], 0);
    EXPECT_EQ(e.m_vi[0], -1);
    EXPECT_EQ(a.m_V[0].EdgeCount(), 2);
    EXPECT_FALSE(b.IsValid());
  }
  {
    ON_Brep b = Triangle();
    static_cast<ON_LineCurve*>(b.m_C3[0])->m_line.to.x = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(b.IsValid());
  }
  ON_Brep empty;
  EXPECT_TRUE(empty.IsValid());
  EXPECT_FALSE(empty.BoundingBox().IsValid());
}

TEST(ON_Brep, BoxIntoAGivenBrepOrNone) {
  ON_3dPoint corners[8];
  for (int i = 0; i < 8; ++i) corners[i] = ON_3dPoint((i & 1) ^ ((i >> 1) & 1), (i >> 1) & 1, i >> 2);
  ON_Brep b = Triangle();
  ASSERT_EQ(ON_BrepBox(corners, &b), &b);  // emptied and refilled
  EXPECT_EQ(b.m_V.Count(), 8);
  EXPECT_EQ(b.m_E.Count(), 12);
  EXPECT_EQ(b.m_C3.Count(), 12);
  EXPECT_TRUE(b.IsValid());
  for (int i = 0; i < 12; ++i) EXPECT_NE(dynamic_cast<const ON_LineCurve*>(b.m_C3[i]), nullptr);

  corners[6] = corners[5];  // edge 5-6 of length 0
  EXPECT_EQ(ON_BrepBox(corners, &b), nullptr);
  EXPECT_EQ(b.m_E.Count(), 0);
  EXPECT_EQ(ON_BrepBox(nullptr), nullptr);
}

}  // namespace
