#include "opennurbs_circle.h"

#include <cmath>

#include "opennurbs_arc.h"
#include "opennurbs_nurbscurve.h"

ON_Circle::ON_Circle() = default;

ON_Circle::ON_Circle(const ON_Plane& p, double r) { Create(p, r); }

ON_Circle::ON_Circle(const ON_3dPoint& center, double r) { Create(center, r); }

ON_Circle::ON_Circle(const ON_Plane& p, const ON_3dPoint& center, double r) { Create(p, center, r); }

bool ON_Circle::Create(const ON_Plane& p, double r) {
  plane = p;
  radius = r;
  return IsValid();
}

bool ON_Circle::Create(const ON_3dPoint& center, double r) { return Create(ON_Plane::World_xy, center, r); }

bool ON_Circle::Create(const ON_Plane& p, const ON_3dPoint& center, double r) {
  plane = p;
  plane.origin = center;
  plane.UpdateEquation();
  radius = r;
  return IsValid();
}

bool ON_Circle::IsValid() const { return radius > 0.0 && ON_IsValid(radius) && plane.IsValid(); }

ON_3dPoint ON_Circle::PointAt(double t) const { return plane.origin + DerivativeAt(0, t); }

ON_3dVector ON_Circle::DerivativeAt(int der, double t) const {
  // The derivatives of (cos t, sin t) repeat every four orders.
  double c = std::cos(t), s = std::sin(t);
  switch (((der % 4) + 4) % 4) {
    case 1: {
      const double c1 = -s;
      s = c;
      c = c1;
      break;
    }
    case 2:
      c = -c;
      s = -s;
      break;
    case 3: {
      const double c3 = s;
      s = -c;
      c = c3;
      break;
    }
    default:
      break;
  }
  return plane.xaxis * (radius * c) + plane.yaxis * (radius * s);
}

ON_3dVector ON_Circle::TangentAt(double t) const { return DerivativeAt(1, t).UnitVector(); }

bool ON_Circle::IsInPlane(const ON_Plane& p, double tolerance) const {
  // The distance of centre + r (cos t x + sin t y) from the plane is
  // d0 + r (cos t x.n + sin t y.n), whose largest size is |d0| + r |(x.n, y.n)|.
  const double d0 = p.DistanceTo(plane.origin);
  const double a = ON_DotProduct(plane.xaxis, p.zaxis), b = ON_DotProduct(plane.yaxis, p.zaxis);
  return std::fabs(d0) + radius * std::sqrt(a * a + b * b) <= tolerance;
}

int ON_Circle::GetNurbForm(ON_NurbsCurve& nurbs_curve) const {
  return ON_Arc(*this, 2.0 * ON_PI).GetNurbForm(nurbs_curve);
}

ON_BoundingBox ON_Circle::BoundingBox() const {
  ON_BoundingBox box;
  if (!IsValid()) return box;
  // Along each world axis the circle reaches r |(x_i, y_i)| either side of the centre.
  ON_3dPoint mn, mx;
  for (int i = 0; i < 3; ++i) {
    const double reach = radius * std::sqrt(plane.xaxis[i] * plane.xaxis[i] + plane.yaxis[i] * plane.yaxis[i]);
    mn[i] = plane.origin[i] - reach;
    mx[i] = plane.origin[i] + reach;
  }
  return ON_BoundingBox(mn, mx);
}

bool ON_Circle::Transform(const ON_Xform& xform) {
  const ON_3dPoint c = xform * plane.origin;
  const ON_3dVector x = xform * (plane.origin + plane.xaxis * radius) - c;
  const ON_3dVector y = xform * (plane.origin + plane.yaxis * radius) - c;
  const double rx = x.Length(), ry = y.Length();
  // A conformal map keeps the two radii equal and perpendicular.
  if (!(rx > 0.0) || !std::isfinite(rx) || std::fabs(rx - ry) > ON_SQRT_EPSILON * rx ||
      std::fabs(ON_DotProduct(x, y)) > ON_SQRT_EPSILON * rx * ry)
    return false;
  ON_Plane p;
  if (!p.CreateFromFrame(c, x, y)) return false;
  plane = p;
  radius = 0.5 * (rx + ry);
  return true;
}

bool ON_Circle::Translate(const ON_3dVector& delta) {
  plane.origin = plane.origin + delta;
  plane.UpdateEquation();
  return plane.origin.IsValid();
}

void ON_Circle::Reverse() {
  plane.yaxis = -plane.yaxis;
  plane.zaxis = -plane.zaxis;
  plane.UpdateEquation();
}
