#include "ZTKCurve.h"

#include <cmath>
#include <vector>

namespace {

constexpr int kArcSamplesPerSpan = 32;
// How far the summed turning of the samples may differ from the end's angle: far
// above the rounding of the sum, far below any real difference (a whole extra
// turn, or an end that is not where the samples went).
constexpr double kTurnSlack = 1e-6;

// The exact NURBS form of a curve, borrowed when the curve is one, with its
// Euclidean control points and the tolerance of the tests.
class Form {
 public:
  explicit Form(const ON_Curve* curve) {
    if (!curve) return;
    m_nurbs = ON_NurbsCurve::Cast(curve);
    if (!m_nurbs) {
      if (curve->GetNurbForm(m_own) == 0) return;
      m_nurbs = &m_own;
    }
    if (!m_nurbs->IsValid() || m_nurbs->Dimension() > 3) return;
    ON_BoundingBox box;
    m_cv.resize(static_cast<size_t>(m_nurbs->CVCount()));
    for (int i = 0; i < m_nurbs->CVCount(); ++i) {
      if (m_nurbs->Weight(i) <= 0.0 || !m_nurbs->GetCV(i, m_cv[static_cast<size_t>(i)])) return;
      box.Set(m_cv[static_cast<size_t>(i)], i > 0);
    }
    const double size = box.Diagonal().Length();
    if (!(size > 0.0) || !std::isfinite(size)) return;
    m_tolerance = ZTKCurve::kRelativeTolerance * size;
    m_ok = true;
  }

  bool Ok() const { return m_ok; }
  const ON_NurbsCurve& Nurbs() const { return *m_nurbs; }
  const ON_3dPoint& CV(int i) const { return m_cv[static_cast<size_t>(i)]; }
  double Tolerance() const { return m_tolerance; }

  // The point at t from the side given (-1 below, +1 above).
  bool PointAt(double t, int side, ON_3dPoint& p) const { return m_nurbs->EvPoint(t, p, side) && p.IsValid(); }

 private:
  const ON_NurbsCurve* m_nurbs = nullptr;
  ON_NurbsCurve m_own;
  std::vector<ON_3dPoint> m_cv;
  double m_tolerance = 0.0;
  bool m_ok = false;
};

// Whether the points first .. last (CV indices) lie on the line from p to q and
// advance along it in order, all within `tolerance`; p and q must be apart.
bool Straight(const Form& f, int first, int last, const ON_3dPoint& p, const ON_3dPoint& q) {
  const double tol = f.Tolerance();
  const ON_3dVector dir = (q - p).UnitVector();
  if (dir.IsZero()) return false;
  double previous = -INFINITY;
  for (int i = first; i <= last; ++i) {
    const ON_3dVector v = f.CV(i) - p;
    const double s = ON_DotProduct(v, dir);
    if ((v - dir * s).Length() > tol || s < previous - tol) return false;
    if (s > previous) previous = s;
  }
  return true;
}

// The distinct knot intervals of the curve: span i runs over [start, end].
struct Span {
  int index;
  double start, end;
};

std::vector<Span> Spans(const ON_NurbsCurve& c) {
  std::vector<Span> spans;
  const int d = c.Order() - 1;
  for (int i = 0; i + c.Order() <= c.CVCount(); ++i) {
    const double a = c.Knot(i + d - 1), b = c.Knot(i + d);
    if (a < b) spans.push_back({i, a, b});
  }
  return spans;
}

}  // namespace

int ZTKCurve::IsLine(const ON_Curve* curve, ON_Line& line) {
  const Form f(curve);
  if (!f.Ok()) return 0;
  const ON_Interval d = f.Nurbs().Domain();
  ON_3dPoint p, q;
  if (!f.PointAt(d[0], 1, p) || !f.PointAt(d[1], -1, q) || p.DistanceTo(q) <= f.Tolerance()) return 0;
  if (!Straight(f, 0, f.Nurbs().CVCount() - 1, p, q)) return 0;
  line = ON_Line(p, q);
  return 1;
}

int ZTKCurve::IsArc(const ON_Curve* curve, ON_Arc& arc) {
  const Form f(curve);
  if (!f.Ok() || f.Nurbs().Order() < 3) return 0;
  const double tol = f.Tolerance();
  const ON_Interval d = f.Nurbs().Domain();
  ON_3dPoint p0, p1, p2, end;
  if (!f.PointAt(d[0], 1, p0) || !f.PointAt(d.ParameterAt(1.0 / 3.0), 0, p1) ||
      !f.PointAt(d.ParameterAt(2.0 / 3.0), 0, p2) || !f.PointAt(d[1], -1, end))
    return 0;

  // The circle through the three points: centre p0 + ((|a|^2 b - |b|^2 a) x (a x b)) / (2 |a x b|^2).
  const ON_3dVector a = p1 - p0, b = p2 - p0, n = ON_CrossProduct(a, b);
  const double nn = ON_DotProduct(n, n);
  if (!(n.Length() > tol * (a.Length() + b.Length())) || !std::isfinite(nn)) return 0;  // in a row
  const ON_3dPoint centre =
      p0 + ON_CrossProduct(b * ON_DotProduct(a, a) - a * ON_DotProduct(b, b), n) * (1.0 / (2.0 * nn));
  const double radius = centre.DistanceTo(p0);
  ON_Plane plane;
  plane.origin = centre;
  plane.zaxis = n.UnitVector();
  plane.xaxis = (p0 - centre).UnitVector();
  plane.yaxis = ON_CrossProduct(plane.zaxis, plane.xaxis).UnitVector();
  plane.UpdateEquation();
  if (!plane.IsValid() || !(radius > tol)) return 0;

  // Round the circle in one sense: every sample on it, each step turning forward
  // by less than half a turn.
  const double angle_tol = tol / radius;
  double total = 0.0, previous = 0.0;
  for (const Span& s : Spans(f.Nurbs())) {
    for (int k = 0; k <= kArcSamplesPerSpan; ++k) {
      const ON_Interval span(s.start, s.end);
      ON_3dPoint p;
      const int side = k == 0 ? 1 : k == kArcSamplesPerSpan ? -1 : 0;
      if (!f.PointAt(span.ParameterAt(static_cast<double>(k) / kArcSamplesPerSpan), side, p)) return 0;
      const ON_3dVector v = p - centre;
      if (std::fabs(ON_DotProduct(v, plane.zaxis)) > tol || std::fabs(v.Length() - radius) > tol) return 0;
      const double phi = std::atan2(ON_DotProduct(v, plane.yaxis), ON_DotProduct(v, plane.xaxis));
      double step = phi - previous;
      while (step > ON_PI) step -= 2.0 * ON_PI;
      while (step <= -ON_PI) step += 2.0 * ON_PI;
      if (step < -angle_tol) return 0;
      total += step;
      previous = phi;
    }
  }
  double angle;
  if (p0.DistanceTo(end) <= tol) {
    if (!(std::fabs(total - 2.0 * ON_PI) <= kTurnSlack)) return 0;
    angle = 2.0 * ON_PI;
  } else {
    // The end's own angle is more exact than the sum of the steps, which it must match.
    angle = std::atan2(ON_DotProduct(end - centre, plane.yaxis), ON_DotProduct(end - centre, plane.xaxis));
    if (angle <= 0.0) angle += 2.0 * ON_PI;
    if (!(std::fabs(angle - total) <= kTurnSlack)) return 0;
  }
  ON_Arc found;
  if (!found.Create(ON_Circle(plane, radius), angle)) return 0;
  arc = found;
  return 1;
}

int ZTKCurve::IsPolyline(const ON_Curve* curve, ON_Polyline& polyline) {
  const Form f(curve);
  if (!f.Ok()) return 0;
  const double tol = f.Tolerance();
  const int d = f.Nurbs().Order() - 1;
  ON_Polyline corners;
  ON_3dPoint last;
  for (const Span& s : Spans(f.Nurbs())) {
    ON_3dPoint p, q;
    if (!f.PointAt(s.start, 1, p) || !f.PointAt(s.end, -1, q)) return 0;
    if (corners.Count() == 0)
      corners.Append(p);
    else if (p.DistanceTo(last) > tol)
      return 0;  // the spans do not meet
    last = q;
    if (p.DistanceTo(q) <= tol) {
      // A span of no length must stay at its point.
      for (int i = s.index; i <= s.index + d; ++i)
        if (f.CV(i).DistanceTo(p) > tol) return 0;
      continue;
    }
    if (!Straight(f, s.index, s.index + d, p, q)) return 0;
    const int n = corners.Count();
    if (q.DistanceTo(corners[n - 1]) <= tol) continue;
    // Going on straight ahead moves the last corner instead of adding one.
    if (n >= 2) {
      const ON_3dPoint& a = corners[n - 2];
      const ON_3dPoint& b = corners[n - 1];
      if (ON_DotProduct(b - a, q - b) > 0.0 && ON_Line(a, q).DistanceTo(b) <= tol) {
        corners[n - 1] = q;
        continue;
      }
    }
    corners.Append(q);
  }
  if (corners.Count() < 2) return 0;
  polyline = corners;
  return 1;
}
