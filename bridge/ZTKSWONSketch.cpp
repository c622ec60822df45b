// The sketch builders: openNURBS points, lines, polylines, arcs and NURBS curves as
// entities of the sketch open in a host document.
#include <cstddef>
#include <memory>
#include <new>

#include "ComHolders.h"
#include "ZTKCurve.h"
#include "ZTKNurbsCurve.h"
#include "ZTKSWON.h"
#include "ZTKSWONProgress.h"

namespace {

// The entities' out values are not read, but each one carries a reference.
using Segment = CountedPtr<IDispatch>;

// An array of n doubles for one host call, or null when memory cannot be had, so
// that a curve too large to copy fails like a refused one instead of throwing out
// of the host's call.
std::unique_ptr<double[]> Doubles(size_t n) { return std::unique_ptr<double[]>(new (std::nothrow) double[n ? n : 1]); }

void PutScaled(double* out, const ON_3dPoint& p, double scale) {
  out[0] = p.x * scale;
  out[1] = p.y * scale;
  out[2] = p.z * scale;
}

HRESULT DrawLine(HostDocument* doc, const ON_3dPoint& a, const ON_3dPoint& b, double scale) {
  Segment segment;
  return HostOp::CreateLine(doc, a.x * scale, a.y * scale, a.z * scale, b.x * scale, b.y * scale, b.z * scale,
                            segment.Out());
}

// The open curve's NURBS data as the host takes it; 0 before any host call for a
// curve whose arrays could not be filled exactly from what it holds.
BOOL DrawNurbsSpline(HostDocument* doc, const ON_NurbsCurve& curve, double scale) {
  const int order = curve.Order(), cvCount = curve.CVCount(), knotCount = curve.KnotCount();
  // CV(0) is null unless the curve's storage holds what its counts say, so every
  // knot read below is one the curve has.
  if (order < 2 || cvCount < order || knotCount != order + cvCount - 2 || !curve.CV(0)) return 0;

  const LONG properties[4] = {3, order, cvCount, curve.IsPeriodic() ? 1 : 0};
  const size_t knotTotal = static_cast<size_t>(order) + static_cast<size_t>(cvCount);
  std::unique_ptr<double[]> knots = Doubles(knotTotal);
  std::unique_ptr<double[]> cvs = Doubles(3 * static_cast<size_t>(cvCount));
  if (!knots || !cvs) return 0;

  knots[0] = curve.Knot(0);
  for (int i = 0; i < knotCount; ++i) knots[static_cast<size_t>(i) + 1] = curve.Knot(i);
  knots[knotTotal - 1] = curve.Knot(knotCount - 1);

  ON_3dPoint cv;
  for (int i = 0; i < cvCount; ++i) {
    // A CV of weight 0 has no Euclidean point: there is nothing true to send.
    if (!curve.GetCV(i, cv)) return 0;
    PutScaled(cvs.get() + 3 * static_cast<size_t>(i), cv, scale);
  }

  Segment segment;
  return HostOp::CreateSplineFromNurbs(doc, properties, knots.get(), cvs.get(), segment.Out()) == S_OK ? 1 : 0;
}

}  // namespace

HRESULT CreateSketchPoint(HostDocument* doc, const ON_3dPoint& point, double scale) {
  if (!doc) return E_POINTER;
  Segment made;
  return HostOp::CreatePoint(doc, point.x * scale, point.y * scale, point.z * scale, made.Out());
}

BOOL CreateSketchLine(HostDocument* doc, const ON_Line& line, double scale) {
  if (!doc) return 0;
  return DrawLine(doc, line.from, line.to, scale) == S_OK ? 1 : 0;
}

BOOL CreateSketchPoints(HostDocument* doc, const ON_3dPointArray& points, double scale, BOOL progress) {
  BuilderProgress bar(L"Creating points", progress, points.Count());
  for (int i = 0; i < points.Count(); ++i) {
    bar.Step();
    CreateSketchPoint(doc, points[i], scale);  // a refused point does not stop the others
  }
  bar.End();
  return 1;
}

BOOL CreateSketchPolyline(HostDocument* doc, const ON_Polyline& polyline, double scale) {
  for (int i = 0; i + 1 < polyline.Count(); ++i) {
    if (!doc || DrawLine(doc, polyline[i], polyline[i + 1], scale) != S_OK) return 0;
  }
  return 1;
}

BOOL CreateSketchSplineThroughPoints(HostDocument* doc, const ON_3dPointArray& points, double scale) {
  if (!doc) return 0;
  const int count = points.Count();
  std::unique_ptr<double[]> xyz = Doubles(3 * static_cast<size_t>(count));
  if (!xyz) return 0;
  for (int i = 0; i < count; ++i) PutScaled(xyz.get() + 3 * static_cast<size_t>(i), points[i], scale);
  Segment segment;
  return HostOp::CreateSplineThroughPoints(doc, count, xyz.get(), segment.Out()) == S_OK ? 1 : 0;
}

BOOL CreateSketchSpline(HostDocument* doc, const ON_NurbsCurve& curve, double scale) {
  if (!doc) return 0;
  if (curve.IsClosed()) {
    // A closed curve reaches the host as points along it, never as NURBS data.
    ON_3dPointArray points;
    ZTKNurbsCurve::GetPoints(curve, points, 15.0);
    return CreateSketchSplineThroughPoints(doc, points, scale);
  }
  return DrawNurbsSpline(doc, curve, scale);
}

BOOL CreateSketchArc(HostDocument* doc, const ON_Arc& arc, double scale) {
  if (!doc) return 0;
  // The host's circles and arcs lie in its x-y plane; any other arc goes as a spline.
  if (!arc.IsInPlane(ON_Plane::World_xy, 1e-12)) {
    ON_NurbsCurve nurbs;
    arc.GetNurbForm(nurbs);
    return CreateSketchSpline(doc, nurbs, scale);
  }
  const ON_3dPoint& c = arc.Center();
  Segment segment;
  HRESULT hr;
  if (arc.IsCircle()) {
    hr = HostOp::CreateCircle(doc, c.x * scale, c.y * scale, c.z * scale, arc.Radius() * scale, segment.Out());
  } else {
    // A NaN normal counts as clockwise, as a normal in the plane would.
    const SHORT direction = arc.Normal().z > 0.0 ? 1 : -1;
    const ON_3dPoint s = arc.StartPoint(), e = arc.EndPoint();
    hr = HostOp::CreateArc(doc, c.x * scale, c.y * scale, c.z * scale, s.x * scale, s.y * scale, s.z * scale,
                           e.x * scale, e.y * scale, e.z * scale, direction, segment.Out());
  }
  return hr == S_OK ? 1 : 0;
}

BOOL CreateSketchCurves(HostDocument* doc, const ON_ClassArray<ON_NurbsCurve>& curves, double scale, BOOL progress) {
  // Made once and handed to every test in turn: each keeps what an earlier curve
  // left in it until a test that says yes replaces it.
  ON_Line line;
  ON_Arc arc;
  ON_Polyline polyline;
  BuilderProgress bar(L"Creating curves", progress, curves.Count());
  for (int i = 0; i < curves.Count(); ++i) {
    bar.Step();
    const ON_NurbsCurve& curve = curves[i];
    // A curve the host refuses does not stop the others.
    if (ZTKCurve::IsLine(&curve, line) == 1) {
      if (doc) DrawLine(doc, line.from, line.to, scale);
    } else if (ZTKCurve::IsArc(&curve, arc) == 1) {
      CreateSketchArc(doc, arc, scale);
    } else if (ZTKCurve::IsPolyline(&curve, polyline) == 1) {
      CreateSketchPolyline(doc, polyline, scale);
    } else {
      CreateSketchSpline(doc, curve, scale);
    }
  }
  bar.End();
  return 1;
}
