#include "opennurbs_geometry.h"

#include <cmath>

ON_BoundingBox ON_Geometry::BoundingBox() const {
  ON_BoundingBox box;
  GetBoundingBox(box, false);
  return box;
}

bool ON_Geometry::GetBoundingBox(ON_BoundingBox& box, bool grow) const {
  double mn[3], mx[3];
  const bool growing = grow && box.IsValid();
  for (int i = 0; i < 3; ++i) {
    mn[i] = box.m_min[i];
    mx[i] = box.m_max[i];
  }
  if (!GetBBox(mn, mx, growing)) return growing;
  box.m_min = ON_3dPoint(mn[0], mn[1], mn[2]);
  box.m_max = ON_3dPoint(mx[0], mx[1], mx[2]);
  return true;
}

bool ON_Geometry::Rotate(double angle, const ON_3dVector& axis, const ON_3dPoint& center) {
  if (!std::isfinite(angle)) return false;
  return Rotate(std::sin(angle), std::cos(angle), axis, center);
}

bool ON_Geometry::Rotate(double sin_angle, double cos_angle, const ON_3dVector& axis, const ON_3dPoint& center) {
  ON_Xform x;
  if (!x.Rotation(sin_angle, cos_angle, axis, center)) return false;
  return Transform(x);
}

bool ON_Geometry::Translate(const ON_3dVector& delta) {
  if (delta.IsZero()) return true;
  ON_Xform x;
  x.Translation(delta);
  return Transform(x);
}

bool ON_Geometry::Scale(double s) {
  if (s == 1.0) return true;
  return Transform(ON_Xform(s));
}
