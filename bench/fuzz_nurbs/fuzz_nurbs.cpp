// NURBS geometry from arbitrary bytes. The first byte chooses what to build
// (kKinds); each kind reads the rest through a Reader. Numbers come from small
// palettes, so that knots repeat, points coincide and weights vanish, with NaN,
// the infinities and huge values among them; counts are small; and the data
// members are sometimes left inconsistent, as code writing them directly can.
// Every member must then report failure instead of reading outside the arrays
// (AddressSanitizer watches), and what does succeed must make sense: points of a
// valid curve with positive weights lie in the box of its control points, the
// helpers' lines, arcs, polylines and sample points start where the curve does.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "ZTKCurve.h"
#include "ZTKNurbsCurve.h"

namespace {

struct Reader {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() {
    if (!n) return 0;
    --n;
    return *p++;
  }
  double Pick(const double* palette, size_t count) { return palette[Byte() % count]; }
};

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

double Coordinate(Reader& r) {
  static const double palette[] = {0.0, -0.0, 1.0, -1.0, 0.5, 2.0, 3.0, -2.5, 1e-300, 1e-9, 7.0, 1e6, 1e300, kNaN,
                                   kInf, 1.0000000001};
  return r.Pick(palette, sizeof palette / sizeof palette[0]);
}

double Weight(Reader& r) {
  static const double palette[] = {1.0, 1.0, 0.5, 2.0, 0.7071067811865476, 1e-3, 1e3, 0.0, -1.0, kNaN};
  return r.Pick(palette, sizeof palette / sizeof palette[0]);
}

double Knot(Reader& r) {
  static const double palette[] = {0.0, 0.0, 1.0, 1.0, 2.0, 0.5, 3.0, -1.0, 1e-12, 10.0, kNaN, kInf};
  return r.Pick(palette, sizeof palette / sizeof palette[0]);
}

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

ON_NurbsCurve ReadCurve(Reader& r) {
  const int dim = 1 + r.Byte() % 3, order = 1 + r.Byte() % 7, count = r.Byte() % 16;
  const bool rational = r.Byte() & 1;
  ON_NurbsCurve c;
  if (!c.Create(dim, rational, order, count)) return c;
  switch (r.Byte() % 4) {
    case 0:
      c.MakeClampedUniformKnotVector(1.0);
      break;
    case 1:
      c.MakePeriodicUniformKnotVector(0.5);
      break;
    case 2: {  // non-decreasing, with repeats
      double k = Knot(r);
      for (int i = 0; i < c.KnotCount(); ++i) {
        c.SetKnot(i, k);
        if (r.Byte() & 1) k += std::fabs(Knot(r));
      }
      break;
    }
    default:
      for (int i = 0; i < c.KnotCount(); ++i) c.SetKnot(i, Knot(r));
  }
  for (int i = 0; i < c.CVCount(); ++i) {
    const double x = Coordinate(r), y = Coordinate(r), z = Coordinate(r), w = rational ? Weight(r) : 1.0;
    c.SetCV(i, ON_4dPoint(x * w, y * w, z * w, w));
  }
  return c;
}

// Leaves the data members disagreeing with the storage now and then.
void Corrupt(Reader& r, ON_NurbsCurve& c) {
  switch (r.Byte() % 16) {
    case 0:
      c.m_cv_count += 1 + r.Byte() % 40;
      break;
    case 1:
      c.m_order += 1 + r.Byte() % 40;
      break;
    case 2:
      c.m_cv_stride -= 1;
      break;
    case 3:
      c.m_dim += 1 + r.Byte() % 4;
      break;
    case 4:
      c.m_is_rat = !c.m_is_rat;
      break;
    case 5:
      c.m_cv_count = -1 - r.Byte();
      break;
    default:
      break;
  }
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

// What the first byte chooses between; new kinds are appended.
void (*const kKinds[])(Reader&) = {FuzzNurbsCurve, FuzzArc};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader r{data, size};
  kKinds[r.Byte() % (sizeof kKinds / sizeof kKinds[0])](r);
  return 0;
}
