// Sketch entities out and back: the sketch builders draw lines, a polyline, full
// circles, arcs of both senses in the plane z = 0 and open NURBS curves into the
// stand-in host's 3D sketch, in inches (scale 0.0254); the readers read the
// sketch back in metres. Lines come back exactly (the builders' products), arcs
// with their centre, radius, ends and sense, splines with their control points,
// and GetSketchCurves holds lines, then splines, then arcs, each in drawing order.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "StandInHostTest.h"
#include "ZTKSWON.h"

namespace {

using standin::DocumentKind;

constexpr double kScale = 0.0254;
constexpr double kPi = 3.141592653589793;

ON_3dPoint Scaled(const ON_3dPoint& p) { return ON_3dPoint(p.x * kScale, p.y * kScale, p.z * kScale); }

// Within 1e-12 of `size`.
bool Near(const ON_3dPoint& a, const ON_3dPoint& b, double size) { return a.DistanceTo(b) <= 1e-12 * size; }

// An arc of the world plane z = `z` about `centre`, from the angle `from` (about +Z)
// through `sweep`: counter-clockwise seen from +Z for a positive sweep, clockwise
// for a negative one.
ON_Arc ArcAbout(const ON_3dPoint& centre, double radius, double from, double sweep) {
  ON_Plane plane(centre, ON_3dVector(std::cos(from), std::sin(from), 0), ON_3dVector(-std::sin(from), std::cos(from), 0));
  return ON_Arc(ON_Circle(plane, radius), sweep);
}

// An open, clamped, non-uniform cubic of five control points.
ON_NurbsCurve OpenCubic(double lift) {
  ON_NurbsCurve c(3, false, 4, 5);
  const double knots[] = {0, 0, 0, 0.3, 1, 1, 1};
  for (int i = 0; i < 7; ++i) c.SetKnot(i, knots[i]);
  const ON_3dPoint cvs[] = {{0, 0, lift}, {1, 2, lift}, {3, 2.5, 0}, {4, -1, lift}, {6, 0.5, 0}};
  for (int i = 0; i < 5; ++i) c.SetCV(i, cvs[i]);
  return c;
}

class SketchRoundTrip : public standin::StandInHostTest {
 protected:
  SketchRoundTrip() {
    part = &host.AddDocument(DocumentKind::Part);
    doc = part->DocumentInterface();
    EXPECT_EQ(HostOp::Call<656>(doc, LONG{0}), S_OK);
  }
  HostSketch* Sketch() { return part->Sketch(0).Interface(); }

  standin::Document* part = nullptr;
  HostDocument* doc = nullptr;
};

TEST_F(SketchRoundTrip, WhatTheBuildersDrawTheReadersReadBack) {
  // Drawn in an order that mixes the kinds.
  const std::vector<ON_Line> lines = {ON_Line(ON_3dPoint(0.1, -0.0, 0), ON_3dPoint(1e5 / 3, -2.5, 0)),
                                      ON_Line(ON_3dPoint(-7, 1.0 / 3, 0), ON_3dPoint(0, 0, 0))};
  ON_Polyline polyline;
  polyline.Append(1, 1, 0);
  polyline.Append(2, 1.5, 0);
  polyline.Append(2.25, 3, 0);
  polyline.Append(0.7, 0.1, 0);
  const ON_3dPoint c1(3, -4, 0), c2(-10.5, 2.25, 0);
  const std::vector<ON_Arc> arcs = {
      ON_Arc(ON_Circle(c1, 2.5), 2 * kPi),          // full circles
      ArcAbout(c1, 0.75, 0.3, kPi / 2),              // quarter, counter-clockwise
      ArcAbout(c2, 4, 2.0, -kPi / 2),                // quarter, clockwise
      ArcAbout(c2, 1.5, -1.0, 1.5 * kPi),            // three quarters, counter-clockwise
      ArcAbout(c1, 12, 0.1, -1.5 * kPi),             // three quarters, clockwise
      ArcAbout(c2, 0.5, 0.9, kPi),                   // half circles, both ways
      ArcAbout(c2, 0.5, 0.9, -kPi),
      ON_Arc(ON_Circle(c2, 0.001), 2 * kPi),
  };
  const ON_NurbsCurve cubic = OpenCubic(0.5), flat = OpenCubic(0);

  ASSERT_EQ(CreateSketchArc(doc, arcs[0], kScale), 1);
  ASSERT_EQ(CreateSketchLine(doc, lines[0], kScale), 1);
  ASSERT_EQ(CreateSketchSpline(doc, cubic, kScale), 1);
  for (size_t i = 1; i < 5; ++i) ASSERT_EQ(CreateSketchArc(doc, arcs[i], kScale), 1) << i;
  ASSERT_EQ(CreateSketchPolyline(doc, polyline, kScale), 1);
  ASSERT_EQ(CreateSketchLine(doc, lines[1], kScale), 1);
  ASSERT_EQ(CreateSketchSpline(doc, flat, kScale), 1);
  for (size_t i = 5; i < arcs.size(); ++i) ASSERT_EQ(CreateSketchArc(doc, arcs[i], kScale), 1) << i;
  ASSERT_EQ(host.Log().Count("HostDocument", 553), 6u);
  ASSERT_EQ(host.Log().Count("HostDocument", 551), 2u);
  ASSERT_EQ(host.Log().Count("HostDocument", 578), 2u);

  // Lines: the two lines, then the polyline's three segments, exactly.
  std::vector<ON_Line> drawn = {lines[0]};
  for (int i = 0; i + 1 < polyline.Count(); ++i) drawn.emplace_back(polyline[i], polyline[i + 1]);
  drawn.push_back(lines[1]);
  ON_ClassArray<ON_Line> readLines;
  ASSERT_EQ(GetSketchLines(Sketch(), readLines), 1);
  ASSERT_EQ(readLines.Count(), static_cast<int>(drawn.size()));
  for (int i = 0; i < readLines.Count(); ++i) {
    EXPECT_EQ(readLines[i].from, Scaled(drawn[static_cast<size_t>(i)].from)) << i;
    EXPECT_EQ(readLines[i].to, Scaled(drawn[static_cast<size_t>(i)].to)) << i;
  }

  // Arcs: centre, radius, ends and sense.
  ON_ClassArray<ON_Arc> readArcs;
  ASSERT_EQ(GetSketchArcs(Sketch(), readArcs), 1);
  ASSERT_EQ(readArcs.Count(), static_cast<int>(arcs.size()));
  for (int i = 0; i < readArcs.Count(); ++i) {
    SCOPED_TRACE(i);
    const ON_Arc& a = arcs[static_cast<size_t>(i)];
    const ON_Arc& r = readArcs[i];
    const double radius = a.Radius() * kScale;
    EXPECT_TRUE(r.IsValid());
    EXPECT_EQ(r.IsCircle(), a.IsCircle());
    EXPECT_EQ(r.Center(), Scaled(a.Center()));
    EXPECT_NEAR(r.Radius(), radius, 1e-12 * radius);
    EXPECT_NEAR(r.AngleRadians(), a.AngleRadians(), 1e-12);
    EXPECT_EQ(r.Normal().z, a.Normal().z);  // +1 counter-clockwise, -1 clockwise
    EXPECT_TRUE(Near(r.StartPoint(), Scaled(a.StartPoint()), radius));
    EXPECT_TRUE(Near(r.EndPoint(), Scaled(a.EndPoint()), radius));
    EXPECT_TRUE(Near(r.MidPoint(), Scaled(a.MidPoint()), radius));
  }

  // Splines: the control points as drawn, the ends where the cubics end.
  ON_ClassArray<ON_NurbsCurve> readSplines;
  ASSERT_EQ(GetSketchSplines(Sketch(), readSplines), 1);
  ASSERT_EQ(readSplines.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const ON_NurbsCurve& original = i == 0 ? cubic : flat;
    ASSERT_EQ(readSplines[i].CVCount(), original.CVCount());
    for (int k = 0; k < original.CVCount(); ++k) {
      ON_3dPoint got, cv;
      readSplines[i].GetCV(k, got);
      original.GetCV(k, cv);
      EXPECT_EQ(got, Scaled(cv)) << k;
    }
    EXPECT_TRUE(Near(readSplines[i].PointAtStart(), Scaled(original.PointAtStart()), 1.0));
    EXPECT_TRUE(Near(readSplines[i].PointAtEnd(), Scaled(original.PointAtEnd()), 1.0));
  }

  // All curves: lines, then (no polylines) splines, then arcs.
  ON_CurveArray curves;
  ASSERT_EQ(GetSketchCurves(Sketch(), curves), 1);
  ASSERT_EQ(curves.Count(), readLines.Count() + 2 + readArcs.Count());
  std::string kinds;
  for (int i = 0; i < curves.Count(); ++i) {
    if (const auto* l = dynamic_cast<const ON_LineCurve*>(curves[i])) {
      kinds += 'L';
      EXPECT_EQ(l->m_line.to, readLines[i].to);
    } else if (dynamic_cast<const ON_NurbsCurve*>(curves[i])) {
      kinds += 'S';
    } else if (const auto* a = dynamic_cast<const ON_ArcCurve*>(curves[i])) {
      kinds += 'A';
      const ON_Arc& r = readArcs[i - readLines.Count() - 2];
      EXPECT_EQ(a->m_arc.Center(), r.Center());
      EXPECT_EQ(a->m_arc.EndPoint(), r.EndPoint());
    } else {
      kinds += '?';
    }
  }
  EXPECT_EQ(kinds, "LLLLL" "SS" "AAAAAAAA");
}

// The curve list builder chooses each curve's shape; the readers give each back in
// its kind: a straight NURBS as a line, an arc's NURBS form as an arc of the same
// sense, an open cubic as a spline of its control points.
TEST_F(SketchRoundTrip, CurvesDrawnByShapeComeBackByKind) {
  ON_ClassArray<ON_NurbsCurve> curves;
  ON_NurbsCurve& straight = curves.AppendNew();
  straight.Create(3, false, 2, 2);
  straight.SetKnot(0, 0);
  straight.SetKnot(1, 1);
  straight.SetCV(0, ON_3dPoint(1, 2, 0));
  straight.SetCV(1, ON_3dPoint(4, 6, 0));
  const ON_Arc clockwise = ArcAbout(ON_3dPoint(2, 2, 0), 3, 0.25, -0.6 * kPi);
  clockwise.GetNurbForm(curves.AppendNew());
  curves.AppendNew() = OpenCubic(1);
  ASSERT_EQ(CreateSketchCurves(doc, curves, kScale, 0), 1);

  ON_CurveArray read;
  ASSERT_EQ(GetSketchCurves(Sketch(), read), 1);
  ASSERT_EQ(read.Count(), 3);
  const auto* line = dynamic_cast<const ON_LineCurve*>(read[0]);
  const auto* spline = dynamic_cast<const ON_NurbsCurve*>(read[1]);
  const auto* arc = dynamic_cast<const ON_ArcCurve*>(read[2]);
  ASSERT_TRUE(line && spline && arc);
  EXPECT_TRUE(Near(line->m_line.from, Scaled(ON_3dPoint(1, 2, 0)), 1.0));
  EXPECT_TRUE(Near(line->m_line.to, Scaled(ON_3dPoint(4, 6, 0)), 1.0));
  EXPECT_EQ(spline->CVCount(), 5);
  const double radius = 3 * kScale;
  EXPECT_NEAR(arc->m_arc.Radius(), radius, 1e-12 * radius);
  EXPECT_EQ(arc->m_arc.Normal().z, -1.0);
  EXPECT_NEAR(arc->m_arc.AngleRadians(), 0.6 * kPi, 1e-9);
  EXPECT_TRUE(Near(arc->m_arc.StartPoint(), Scaled(clockwise.StartPoint()), 1e3 * radius));
  EXPECT_TRUE(Near(arc->m_arc.EndPoint(), Scaled(clockwise.EndPoint()), 1e3 * radius));
}

}  // namespace
