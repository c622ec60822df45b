#include "opennurbs_plane.h"

#include <cmath>

namespace {

// Built from literals, not from ON_xaxis and its kin, whose initialisation in
// another file may come later.
ON_Plane Axes(const ON_3dVector& x, const ON_3dVector& y, const ON_3dVector& z) {
  ON_Plane p;
  p.origin = ON_3dPoint(0.0, 0.0, 0.0);
  p.xaxis = x;
  p.yaxis = y;
  p.zaxis = z;
  p.UpdateEquation();
  return p;
}

ON_Plane Unset() {
  ON_Plane p;
  p.origin = ON_3dPoint(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE);
  p.xaxis = p.yaxis = p.zaxis = ON_3dVector(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE);
  p.plane_equation = ON_PlaneEquation(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE);
  return p;
}

bool IsUnit(const ON_3dVector& v) { return std::fabs(v.Length() - 1.0) <= ON_SQRT_EPSILON; }

}  // namespace

const ON_Plane ON_Plane::World_xy = Axes({1, 0, 0}, {0, 1, 0}, {0, 0, 1});
const ON_Plane ON_Plane::World_yz = Axes({0, 1, 0}, {0, 0, 1}, {1, 0, 0});
const ON_Plane ON_Plane::World_zx = Axes({0, 0, 1}, {1, 0, 0}, {0, 1, 0});
const ON_Plane ON_Plane::UnsetPlane = Unset();

ON_Plane::ON_Plane() : origin(0, 0, 0), xaxis(1, 0, 0), yaxis(0, 1, 0), zaxis(0, 0, 1), plane_equation(0, 0, 1, 0) {}

ON_Plane::ON_Plane(const ON_3dPoint& o, const ON_3dVector& normal) { CreateFromNormal(o, normal); }

ON_Plane::ON_Plane(const ON_3dPoint& o, const ON_3dVector& x_dir, const ON_3dVector& y_dir) {
  CreateFromFrame(o, x_dir, y_dir);
}

bool ON_Plane::CreateFromNormal(const ON_3dPoint& o, const ON_3dVector& normal) {
  origin = o;
  zaxis = normal;
  bool ok = zaxis.Unitize();
  ok = xaxis.PerpendicularTo(zaxis) && ok;
  xaxis.Unitize();
  yaxis = ON_CrossProduct(zaxis, xaxis);
  yaxis.Unitize();
  UpdateEquation();
  if (ok && IsValid()) return true;
  *this = UnsetPlane;
  return false;
}

bool ON_Plane::CreateFromFrame(const ON_3dPoint& o, const ON_3dVector& x_dir, const ON_3dVector& y_dir) {
  origin = o;
  xaxis = x_dir;
  bool ok = xaxis.Unitize();
  yaxis = y_dir - xaxis * ON_DotProduct(y_dir, xaxis);
  const double perpendicular = yaxis.Length(), along = y_dir.Length();
  ok = ok && perpendicular > ON_SQRT_EPSILON * along && std::isfinite(along);
  yaxis.Unitize();
  zaxis = ON_CrossProduct(xaxis, yaxis);
  ok = zaxis.Unitize() && ok;
  UpdateEquation();
  if (ok && IsValid()) return true;
  *this = UnsetPlane;
  return false;
}

bool ON_Plane::IsValid() const {
  if (!origin.IsValid() || !plane_equation.IsValid()) return false;
  if (!IsUnit(xaxis) || !IsUnit(yaxis) || !IsUnit(zaxis)) return false;
  if (std::fabs(ON_DotProduct(xaxis, yaxis)) > ON_SQRT_EPSILON ||
      std::fabs(ON_DotProduct(yaxis, zaxis)) > ON_SQRT_EPSILON ||
      std::fabs(ON_DotProduct(zaxis, xaxis)) > ON_SQRT_EPSILON)
    return false;
  return (ON_CrossProduct(xaxis, yaxis) - zaxis).Length() <= ON_SQRT_EPSILON;
}

bool ON_Plane::UpdateEquation() {
  plane_equation = ON_PlaneEquation(zaxis.x, zaxis.y, zaxis.z,
                                    -(zaxis.x * origin.x + zaxis.y * origin.y + zaxis.z * origin.z));
  return plane_equation.IsValid();
}

ON_3dPoint ON_Plane::PointAt(double s, double t) const { return origin + xaxis * s + yaxis * t; }

ON_3dPoint ON_Plane::PointAt(double s, double t, double c) const { return origin + xaxis * s + yaxis * t + zaxis * c; }

double ON_Plane::DistanceTo(const ON_3dPoint& p) const { return ON_DotProduct(p - origin, zaxis); }

ON_3dPoint ON_Plane::ClosestPointTo(const ON_3dPoint& p) const {
  double s = 0.0, t = 0.0;
  ClosestPointTo(p, &s, &t);
  return PointAt(s, t);
}

bool ON_Plane::ClosestPointTo(const ON_3dPoint& p, double* s, double* t) const {
  const ON_3dVector v = p - origin;
  if (s) *s = ON_DotProduct(v, xaxis);
  if (t) *t = ON_DotProduct(v, yaxis);
  return IsValid();
}

bool ON_Plane::Transform(const ON_Xform& xform) {
  const ON_3dPoint o = xform * origin;
  ON_3dVector x = (xform * (origin + xaxis)) - o;
  ON_3dVector y = (xform * (origin + yaxis)) - o;
  ON_Plane image;
  const bool ok = image.CreateFromFrame(o, x, y);
  *this = image;
  return ok;
}

void ON_Plane::Flip() {
  const ON_3dVector x = xaxis;
  xaxis = yaxis;
  yaxis = x;
  zaxis = -zaxis;
  UpdateEquation();
}
