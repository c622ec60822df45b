#include "ZTKNurbsCurve.h"

#include <cmath>

namespace {

constexpr int kMaxDepth = 10;
constexpr int kMaxPoints = 1 << 20;

class Sampler {
 public:
  Sampler(const ON_NurbsCurve& curve, ON_3dPointArray& points, double max_angle)
      : m_curve(curve), m_points(points), m_cos_max(std::cos(max_angle)) {}

  // The point and the unit tangent at t from the side given; where the first
  // derivative vanishes, the direction of the second. A zero tangent where both
  // vanish.
  bool At(double t, int side, ON_3dPoint& p, ON_3dVector& tangent) const {
    double v[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (m_curve.Dimension() > 3 || !m_curve.Evaluate(t, 2, 3, v, side)) return false;
    p = ON_3dPoint(v[0], v[1], v[2]);
    tangent = ON_3dVector(v[3], v[4], v[5]);
    if (!tangent.Unitize()) {
      tangent = ON_3dVector(v[6], v[7], v[8]);
      if (side < 0) tangent = -tangent;  // approaching the point, the curve comes from -d2
      if (!tangent.Unitize()) tangent.Zero();
    }
    return p.IsValid() && tangent.IsValid();
  }

  // Appends the points of (a, b] after the point at a, with tangents ta at a and
  // tb at b and the point pb at b.
  bool Piece(double a, const ON_3dVector& ta, double b, const ON_3dPoint& pb, const ON_3dVector& tb, int depth) {
    if (depth < kMaxDepth && m_points.Count() < kMaxPoints) {
      const double m = 0.5 * (a + b);
      ON_3dPoint pm;
      ON_3dVector tm;
      if (m > a && m < b) {
        if (!At(m, 0, pm, tm)) return false;
        if (Turns(ta, tb) || Turns(ta, tm) || Turns(tm, tb))
          return Piece(a, ta, m, pm, tm, depth + 1) && Piece(m, tm, b, pb, tb, depth + 1);
      }
    }
    m_points.Append(pb);
    return true;
  }

 private:
  // More than the angle between two directions; a zero direction turns nothing.
  bool Turns(const ON_3dVector& u, const ON_3dVector& v) const {
    if (u.IsZero() || v.IsZero()) return false;
    return ON_DotProduct(u, v) < m_cos_max;
  }

  const ON_NurbsCurve& m_curve;
  ON_3dPointArray& m_points;
  double m_cos_max;
};

}  // namespace

int ZTKNurbsCurve::GetPoints(const ON_NurbsCurve& curve, ON_3dPointArray& points, double angle_degrees) {
  points.Empty();
  if (!(angle_degrees > 0.0 && angle_degrees <= 180.0) || !curve.IsValid()) return 0;
  Sampler sampler(curve, points, angle_degrees * (ON_PI / 180.0));
  const int d = curve.Order() - 1;
  bool first = true;
  for (int i = 0; i + curve.Order() <= curve.CVCount(); ++i) {
    const double a = curve.Knot(i + d - 1), b = curve.Knot(i + d);
    if (!(a < b)) continue;
    ON_3dPoint pa, pb;
    ON_3dVector ta, tb;
    if (!sampler.At(a, 1, pa, ta) || !sampler.At(b, -1, pb, tb)) {
      points.Empty();
      return 0;
    }
    if (first) points.Append(pa);
    first = false;
    if (!sampler.Piece(a, ta, b, pb, tb, 0)) {
      points.Empty();
      return 0;
    }
  }
  return points.Count() >= 2 ? 1 : 0;
}
