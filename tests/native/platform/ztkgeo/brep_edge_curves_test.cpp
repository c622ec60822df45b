// ZTKBrep::GetEdgeCurves: the twelve edges of a box as NURBS curves in edge
// order, edges that run against their curves, and edges that give no curve.
#include <gtest/gtest.h>

#include <memory>

#include "ZTKBrep.h"

namespace {

std::unique_ptr<ON_Brep> Box(double x, double y, double z) {
  const ON_3dPoint corners[8] = {{0, 0, 0}, {x, 0, 0}, {x, y, 0}, {0, y, 0},
                                 {0, 0, z}, {x, 0, z}, {x, y, z}, {0, y, z}};
  return std::unique_ptr<ON_Brep>(ON_BrepBox(corners));
}

TEST(ZTKBrep, BoxGivesItsTwelveEdges) {
  const auto box = Box(1, 2, 3);
  ASSERT_NE(box, nullptr);
  ON_ClassArray<ON_NurbsCurve> curves;
  EXPECT_EQ(ZTKBrep::GetEdgeCurves(*box, curves), 12);
  ASSERT_EQ(curves.Count(), 12);
  for (int i = 0; i < 12; ++i) {
    const ON_NurbsCurve& c = curves[i];
    const ON_BrepEdge& e = box->m_E[i];
    EXPECT_TRUE(c.IsValid());
    EXPECT_EQ(c.Order(), 2);
    EXPECT_EQ(c.CVCount(), 2);
    EXPECT_EQ(c.Domain(), e.Domain());
    EXPECT_EQ(c.PointAtStart(), e.Vertex(0)->point) << i;
    EXPECT_EQ(c.PointAtEnd(), e.Vertex(1)->point) << i;
  }
  // Edge order: the bottom loop, the top loop, then the verticals.
  EXPECT_EQ(curves[1].PointAtEnd(), ON_3dPoint(1, 2, 0));
  EXPECT_EQ(curves[6].PointAtStart(), ON_3dPoint(1, 2, 3));
  EXPECT_EQ(curves[11].PointAtEnd(), ON_3dPoint(0, 2, 3));
  EXPECT_EQ(curves[9].Domain(), ON_Interval(0, 3));

  // Appends: a second call keeps the curves already there.
  EXPECT_EQ(ZTKBrep::GetEdgeCurves(*box, curves), 12);
  EXPECT_EQ(curves.Count(), 24);
}

// An edge from vertex 1 to vertex 0 over a cubic that runs from 0 to 1, and
// one over a line curve running the other way: each curve starts at its edge's
// start vertex and follows the edge.
TEST(ZTKBrep, ReversedEdgesStartAtTheirStartVertex) {
  ON_Brep b;
  const ON_3dPoint p[5] = {{0, 0, 0}, {1, 2, 0}, {3, 2, 1}, {4, -1, 2}, {6, 0, 0}};
  ON_NurbsCurve* cubic = new ON_NurbsCurve();
  ASSERT_TRUE(cubic->CreateClampedUniformNurbs(3, 4, 5, p));
  b.NewVertex(p[0], 0.0);
  b.NewVertex(p[4], 0.0);
  const int c0 = b.AddEdgeCurve(cubic);
  b.NewEdge(b.m_V[1], b.m_V[0], c0).Reverse();
  const int c1 = b.AddEdgeCurve(new ON_LineCurve(p[4], p[0]));
  b.NewEdge(b.m_V[0], b.m_V[1], c1).Reverse();
  ASSERT_TRUE(b.IsValid());

  ON_ClassArray<ON_NurbsCurve> curves;
  ASSERT_EQ(ZTKBrep::GetEdgeCurves(b, curves), 2);
  for (int i = 0; i < 2; ++i) {
    const ON_BrepEdge& e = b.m_E[i];
    const ON_NurbsCurve& c = curves[i];
    EXPECT_EQ(c.Domain(), e.Domain());
    EXPECT_LT(c.PointAtStart().DistanceTo(e.Vertex(0)->point), 1e-12);
    EXPECT_LT(c.PointAtEnd().DistanceTo(e.Vertex(1)->point), 1e-12);
    for (double f : {0.1, 0.25, 0.5, 0.8}) {
      const double t = e.Domain().ParameterAt(f);
      EXPECT_LT(c.PointAt(t).DistanceTo(e.PointAt(t)), 1e-12) << i << " " << t;
    }
  }
  EXPECT_EQ(curves[0].CVCount(), 5);
  ON_3dPoint first;
  curves[0].GetCV(0, first);
  EXPECT_EQ(first, p[4]);
}

TEST(ZTKBrep, EdgesWithoutACurveAreLeftOut) {
  ON_ClassArray<ON_NurbsCurve> curves;
  EXPECT_EQ(ZTKBrep::GetEdgeCurves(ON_Brep(), curves), 0);
  EXPECT_EQ(curves.Count(), 0);

  const auto box = Box(1, 1, 1);
  ASSERT_NE(box, nullptr);
  box->NewEdge(box->m_V[0], box->m_V[6], 40);  // no such curve
  // A part of a line curve: the subset's line curves give no NURBS form of a
  // part, so that edge gives no curve either.
  const ON_Interval half(0, 0.5);
  box->NewEdge(box->m_V[0], box->m_V[1], 0, &half);
  static_cast<ON_LineCurve*>(box->m_C3[3])->m_line.to = box->m_V[3].point;  // edge 3 collapsed to a point
  EXPECT_EQ(ZTKBrep::GetEdgeCurves(*box, curves), 11);
  ASSERT_EQ(curves.Count(), 11);
  EXPECT_EQ(curves[3].PointAtStart(), ON_3dPoint(0, 0, 1));  // edge 4 moved up to 3
}

}  // namespace
