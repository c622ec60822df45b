// NURBS geometry from arbitrary bytes. The first byte chooses what to build
// (kKinds); each kind reads the rest through a Reader. Numbers come from small
// palettes, so that knots repeat, points coincide and weights vanish, with NaN,
// the infinities and huge values among them; counts are small; and the data
// members are sometimes left inconsistent, as code writing them directly can.
// Every member must then report failure instead of reading outside the arrays
// (AddressSanitizer watches), and what does succeed must make sense: points of a
// valid curve or surface with positive weights lie in the box of its control
// points, the helpers' lines, arcs, polylines and sample points start where the
// curve does, iso-curves lie on their surface, and the edge curves of a box
// brep run between its corners.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include <memory>

#include "NurbsInput.h"
#include "ZTKBrep.h"
#include "ZTKCurve.h"
#include "ZTKNurbsCurve.h"

namespace {

using namespace fuzzinput;

void Check(bool ok) {
  if (!ok) std::abort();
}

bool Finite(const ON_3dPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// Parameters worth evaluating at: the knots, between them, beyond the domain, NaN.
double Parameter(Reader& r, const ON_NurbsCurve& c) {
  const int k = c.KnotCount();
  const uint8_t b = r.Byte();
  if (k > 0 && b < 128) return c.Knot(b % k);
  const ON_Interval d = c.Domain();
  if (b < 200 && d.IsValid()) return d.ParameterAt((b - 128) / 71.0);
  static const double palette[] = {-1e300, -1.0, 0.25, 5.0, 1e300, kNaN, kInf};
  return palette[b % 7];
}

// A point of a valid curve with positive weights lies in the box of its
// Euclidean control points (the convex hull property).
void CheckInHull(const ON_NurbsCurve& c, const ON_3dPoint& p) {
  ON_BoundingBox box;
  if (!c.GetBoundingBox(box)) return;
  // Rounding grows with the size of the coordinates (no squares, which would
  // underflow or overflow at the palette's extremes).
  for (int i = 0; i < 3; ++i) {
    const double tol = 1e-9 * (std::fabs(box.m_min[i]) + std::fabs(box.m_max[i]));
    if (std::isfinite(tol)) Check(p[i] >= box.m_min[i] - tol && p[i] <= box.m_max[i] + tol);
  }
}

void CheckHelpers(Reader& r, const ON_NurbsCurve& c) {
  const double size = [&] {
    ON_BoundingBox box;
    return c.GetBoundingBox(box) ? box.Diagonal().Length() : 0.0;
  }();
  const double tol = 1e-6 * size;
  ON_Line line;
  if (ZTKCurve::IsLine(&c, line) == 1) {
    Check(c.IsValid() && line.IsValid());
    Check(line.from.DistanceTo(c.PointAtStart()) <= tol && line.to.DistanceTo(c.PointAtEnd()) <= tol);
  }
  ON_Arc arc;
  if (ZTKCurve::IsArc(&c, arc) == 1) {
    Check(c.IsValid() && arc.IsValid());
    Check(arc.StartPoint().DistanceTo(c.PointAtStart()) <= tol && arc.EndPoint().DistanceTo(c.PointAtEnd()) <= tol);
  }
  ON_Polyline polyline;
  if (ZTKCurve::IsPolyline(&c, polyline) == 1) {
    Check(c.IsValid() && polyline.Count() >= 2);
    Check(polyline[0].DistanceTo(c.PointAtStart()) <= tol &&
          polyline[polyline.Count() - 1].DistanceTo(c.PointAtEnd()) <= tol);
  }
  ON_3dPointArray points;
  const double angle = (r.Byte() & 1) ? 15.0 : 1.0 + r.Byte();
  if (ZTKNurbsCurve::GetPoints(c, points, angle) == 1) {
    Check(c.IsValid() && points.Count() >= 2 && points.Count() <= 1024 * c.CVCount() + 1);
    Check(points[0] == c.PointAtStart());
  } else {
    Check(points.Count() == 0);
  }
}

void FuzzNurbsCurve(Reader& r) {
  ON_NurbsCurve c = ReadCurve(r);
  Corrupt(r, c);
  const bool valid = c.IsValid();
  bool positive = true;
  for (int i = 0; valid && i < c.CVCount(); ++i) positive = positive && c.Weight(i) > 0.0;
  const ON_Interval d = c.Domain();
  for (int k = 0; k < 6; ++k) {
    const double t = Parameter(r, c);
    const int der = r.Byte() % 4, side = static_cast<int>(r.Byte() % 3) - 1;
    double v[3 * 4];
    const bool ok = c.Evaluate(t, der, 3, v, side);
    if (valid && positive && d.Includes(t)) {
      Check(ok);
      if (c.Dimension() == 3 && Finite(ON_3dPoint(v[0], v[1], v[2]))) CheckInHull(c, ON_3dPoint(v[0], v[1], v[2]));
    }
  }
  c.IsClosed();
  c.IsPeriodic();
  ON_BoundingBox box;
  c.GetBoundingBox(box);
  const ON_NurbsCurve copy(c);
  Check(copy.IsValid() == valid);
  ON_NurbsCurve form;
  Check((c.GetNurbForm(form) == 1) == valid);
  CheckHelpers(r, c);
  ON_Xform x;
  x.Translation(Coordinate(r), 1.0, -2.0);
  c.Transform(x);
  c.IsValid();
}

// Arcs from palette numbers: their NURBS form exists exactly when the arc is
// valid, and then is a valid curve from the arc's start to its end.
void FuzzArc(Reader& r) {
  const ON_3dPoint centre(Coordinate(r), Coordinate(r), Coordinate(r));
  const ON_3dVector x(Coordinate(r), Coordinate(r), Coordinate(r)), y(Coordinate(r), Coordinate(r), Coordinate(r));
  static const double angles[] = {0.0, 1e-10, 1.0, 1.5707963267948966, 3.0, 3.141592653589793, 4.0,
                                  6.283185307179586, 7.0, -1.0, -7.0, kNaN, kInf};
  const double radius = Coordinate(r), angle = r.Pick(angles, sizeof angles / sizeof angles[0]);
  const ON_Arc arc(ON_Plane(ON_origin, x, y), centre, radius, angle);
  ON_NurbsCurve nc;
  const int rc = arc.GetNurbForm(nc);
  Check((rc != 0) == arc.IsValid());
  if (rc) {
    Check(nc.IsValid());
    const double tol = 1e-9 * (std::fabs(radius) + centre.DistanceTo(ON_origin));
    if (std::isfinite(tol)) Check(nc.PointAtStart().DistanceTo(arc.StartPoint()) <= tol);
    CheckHelpers(r, nc);
  }
  arc.BoundingBox();
}

// Parameters of one direction of a surface, as Parameter picks them for curves.
double SurfaceParameter(Reader& r, const ON_NurbsSurface& s, int dir) {
  const int k = s.KnotCount(dir);
  const uint8_t b = r.Byte();
  if (k > 0 && b < 128) return s.Knot(dir, b % k);
  const ON_Interval d = s.Domain(dir);
  if (b < 200 && d.IsValid()) return d.ParameterAt((b - 128) / 71.0);
  static const double palette[] = {-1e300, -1.0, 0.25, 5.0, 1e300, kNaN, kInf};
  return palette[b % 7];
}

// Whether a and b agree within rounding of numbers the size of the box's.
bool Near(const ON_3dPoint& a, const ON_3dPoint& b, const ON_BoundingBox& box) {
  for (int i = 0; i < 3; ++i) {
    const double tol = 1e-7 * (std::fabs(box.m_min[i]) + std::fabs(box.m_max[i]) + std::fabs(a[i]));
    if (std::isfinite(tol) && !(std::fabs(a[i] - b[i]) <= tol)) return false;
  }
  return true;
}

void FuzzNurbsSurface(Reader& r) {
  ON_NurbsSurface s = ReadSurface(r);
  Corrupt(r, s);
  const bool valid = s.IsValid();
  bool positive = true;
  for (int i = 0; valid && i < s.CVCount(0); ++i)
    for (int j = 0; j < s.CVCount(1); ++j) positive = positive && s.Weight(i, j) > 0.0;
  ON_BoundingBox box;
  const bool boxed = s.GetBoundingBox(box);
  const ON_Interval d0 = s.Domain(0), d1 = s.Domain(1);
  for (int k = 0; k < 4; ++k) {
    const double u = SurfaceParameter(r, s, 0), v = SurfaceParameter(r, s, 1);
    const int der = r.Byte() % 4, quadrant = r.Byte() % 6;  // quadrant 5 does not exist
    double out[3 * 10];
    const bool ok = s.Evaluate(u, v, der, 3, out, quadrant);
    if (quadrant == 5) Check(!ok);
    if (valid && positive && quadrant < 5 && d0.Includes(u) && d1.Includes(v)) {
      Check(ok);
      const ON_3dPoint p(out[0], s.Dimension() > 1 ? out[1] : 0.0, s.Dimension() > 2 ? out[2] : 0.0);
      if (boxed && Finite(p)) {
        ON_BoundingBox grown = box;
        grown.Set(p, true);
        Check(Near(grown.m_min, box.m_min, box) && Near(grown.m_max, box.m_max, box));
      }
    }
  }
  for (int k = 0; k < 3; ++k) {
    const int dir = r.Byte() % 3;  // direction 2 does not exist
    const double c = SurfaceParameter(r, s, dir == 0 ? 1 : 0);
    const std::unique_ptr<ON_Curve> iso(s.IsoCurve(dir, c));
    if (!valid || dir == 2 || !std::isfinite(c)) {
      Check(!iso);
      continue;
    }
    if (!iso) {
      // Far beyond the domain the basis functions' knot differences cancel out
      // (1e300 - 1e300): there may be no curve there, but there is one inside.
      Check(!s.Domain(dir == 0 ? 1 : 0).Includes(c));
      continue;
    }
    const ON_NurbsCurve* nc = ON_NurbsCurve::Cast(iso.get());
    Check(nc && nc->Order() == s.Order(dir) && nc->CVCount() == s.CVCount(dir) && nc->Domain() == s.Domain(dir));
    // The iso-curve is exact: on the domain (beyond it, extrapolation magnifies
    // rounding without bound), where both evaluate to numbers, it is the surface.
    const double t = SurfaceParameter(r, s, dir);
    const ON_3dPoint on = dir == 0 ? s.PointAt(t, c) : s.PointAt(c, t), along = iso->PointAt(t);
    const bool inside = s.Domain(dir).Includes(t) && s.Domain(dir == 0 ? 1 : 0).Includes(c);
    if (positive && boxed && inside && Finite(on) && Finite(along)) Check(Near(along, on, box));
    iso->IsValid();
  }
  s.IsPeriodic(0);
  s.IsPeriodic(1);
  const ON_NurbsSurface copy(s);
  Check(copy.IsValid() == valid);
  s.Translate(ON_3dVector(Coordinate(r), 1.0, -2.0));
  s.IsValid();
}

void FuzzPlaneSurface(Reader& r) {
  const ON_3dPoint origin(Coordinate(r), Coordinate(r), Coordinate(r));
  const ON_3dVector a(Coordinate(r), Coordinate(r), Coordinate(r)), b(Coordinate(r), Coordinate(r), Coordinate(r));
  ON_PlaneSurface s((r.Byte() & 1) ? ON_Plane(origin, a) : ON_Plane(origin, a, b));
  for (int dir = 0; dir < 2; ++dir) {
    const ON_Interval e(Coordinate(r), Coordinate(r));
    Check(s.SetExtents(dir, e, r.Byte() & 1) == e.IsIncreasing());
    if (r.Byte() & 1) s.SetDomain(dir, Coordinate(r), Coordinate(r));
  }
  const bool valid = s.IsValid();
  ON_BoundingBox box;
  const bool boxed = s.GetBoundingBox(box);
  for (int k = 0; k < 3; ++k) {
    const int dir = r.Byte() % 3;
    const double c = Coordinate(r);
    const std::unique_ptr<ON_Curve> iso(s.IsoCurve(dir, c));
    if (!valid || dir == 2 || !std::isfinite(c)) {
      Check(!iso);
      continue;
    }
    Check(dynamic_cast<const ON_LineCurve*>(iso.get()) && iso->Domain() == s.Domain(dir));
    const ON_Interval d = s.Domain(dir);
    const ON_3dPoint start = dir == 0 ? s.PointAt(d[0], c) : s.PointAt(c, d[0]);
    if (boxed && Finite(start)) Check(Near(iso->PointAtStart(), start, box));
  }
  double v[3 * 6];
  s.Evaluate(Coordinate(r), Coordinate(r), r.Byte() % 3, 3, v);
  s.Rotate(Coordinate(r), a, origin);
  s.IsValid();
}

// A box brep on palette corners: there is one exactly when the corners are
// valid points and no edge is shorter than ON_ZERO_TOLERANCE, and then its
// twelve edge curves run between its corners.
void FuzzBrepBox(Reader& r) {
  ON_3dPoint corners[8];
  const bool axisAligned = r.Byte() & 1;
  const ON_3dPoint lo(Coordinate(r), Coordinate(r), Coordinate(r)), hi(Coordinate(r), Coordinate(r), Coordinate(r));
  for (int i = 0; i < 8; ++i) {
    if (axisAligned) {
      const int x = (i & 1) ^ ((i >> 1) & 1), y = (i >> 1) & 1, z = i >> 2;
      corners[i] = ON_3dPoint(x ? hi.x : lo.x, y ? hi.y : lo.y, z ? hi.z : lo.z);
    } else {
      corners[i] = ON_3dPoint(Coordinate(r), Coordinate(r), Coordinate(r));
    }
  }
  const std::unique_ptr<ON_Brep> brep(ON_BrepBox(corners));
  if (!brep) return;
  Check(brep->m_V.Count() == 8 && brep->m_E.Count() == 12 && brep->IsValid());
  if (r.Byte() & 1) {  // topology made inconsistent: not valid, and still no reads outside
    brep->m_E[r.Byte() % 12].m_vi[r.Byte() & 1] = static_cast<int>(r.Byte()) - 128;
    brep->m_V[r.Byte() % 8].m_ei.Append(static_cast<int>(r.Byte()) - 128);
    brep->IsValid();
  }
  const ON_Brep copy(*brep);
  ON_ClassArray<ON_NurbsCurve> curves;
  const int n = ZTKBrep::GetEdgeCurves(copy, curves);
  Check(n == curves.Count() && n <= 12);
  if (n == 12) {
    const ON_BoundingBox box = copy.BoundingBox();
    for (int i = 0; i < 12; ++i) {
      const ON_BrepEdge& e = copy.m_E[i];
      Check(Near(curves[i].PointAtStart(), e.PointAtStart(), box) && Near(curves[i].PointAtEnd(), e.PointAtEnd(), box));
    }
  }
}

// What the first byte chooses between; new kinds are appended.
void (*const kKinds[])(Reader&) = {FuzzNurbsCurve, FuzzArc, FuzzNurbsSurface, FuzzPlaneSurface, FuzzBrepBox};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader r{data, size};
  kKinds[r.Byte() % (sizeof kKinds / sizeof kKinds[0])](r);
  return 0;
}
