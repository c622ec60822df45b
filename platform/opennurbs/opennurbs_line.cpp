#include "opennurbs_line.h"

#include <cmath>

ON_3dPoint ON_Line::PointAt(double t) const {
  if (t == 0.0) return from;
  if (t == 1.0) return to;
  const double s = 1.0 - t;
  return ON_3dPoint(s * from.x + t * to.x, s * from.y + t * to.y, s * from.z + t * to.z);
}

bool ON_Line::ClosestPointTo(const ON_3dPoint& p, double* t) const {
  const ON_3dVector d = Direction();
  const double dd = ON_DotProduct(d, d);
  if (!(dd > 0.0) || !std::isfinite(dd)) return false;
  if (t) *t = ON_DotProduct(p - from, d) / dd;
  return true;
}

ON_3dPoint ON_Line::ClosestPointTo(const ON_3dPoint& p) const {
  double t = 0.0;
  return ClosestPointTo(p, &t) ? PointAt(t) : from;
}

double ON_Line::DistanceTo(const ON_3dPoint& p) const {
  double t = 0.0;
  if (!ClosestPointTo(p, &t)) return p.DistanceTo(from);
  if (t < 0.0) t = 0.0;
  if (t > 1.0) t = 1.0;
  return p.DistanceTo(PointAt(t));
}

ON_BoundingBox ON_Line::BoundingBox() const {
  ON_BoundingBox box;
  box.Set(from, false);
  box.Set(to, true);
  return box;
}

bool ON_Line::Transform(const ON_Xform& xform) {
  from = xform * from;
  to = xform * to;
  return from.IsValid() && to.IsValid();
}

ON_BoundingBox ON_3dPointArray::BoundingBox() const {
  ON_BoundingBox box;
  for (int i = 0; i < m_count; ++i) box.Set(m_a[i], i > 0);
  return box;
}

bool ON_3dPointArray::Transform(const ON_Xform& xform) {
  bool ok = true;
  for (int i = 0; i < m_count; ++i) {
    m_a[i] = xform * m_a[i];
    ok = ok && m_a[i].IsValid();
  }
  return ok;
}

namespace {
bool Near(const ON_3dPoint& a, const ON_3dPoint& b, double tolerance) {
  if (tolerance > 0.0) return a.DistanceTo(b) <= tolerance;
  const double pa[3] = {a.x, a.y, a.z}, pb[3] = {b.x, b.y, b.z};
  return ON_PointsAreCoincident(3, false, pa, pb);
}
}  // namespace

bool ON_Polyline::IsValid(double tolerance) const {
  if (m_count < 2) return false;
  for (int i = 0; i < m_count; ++i)
    if (!m_a[i].IsValid()) return false;
  for (int i = 1; i < m_count; ++i)
    if (!(m_a[i].DistanceTo(m_a[i - 1]) > tolerance)) return false;
  return m_count >= 4 || !Near(m_a[0], m_a[m_count - 1], tolerance);
}

bool ON_Polyline::IsClosed(double tolerance) const {
  if (m_count < 4 || !Near(m_a[0], m_a[m_count - 1], tolerance)) return false;
  for (int i = 1; i < m_count - 1; ++i)
    if (!Near(m_a[0], m_a[i], tolerance)) return true;
  return false;
}

double ON_Polyline::Length() const {
  double length = 0.0;
  for (int i = 1; i < m_count; ++i) length += m_a[i].DistanceTo(m_a[i - 1]);
  return length;
}

ON_3dPoint ON_Polyline::PointAt(double t) const {
  if (m_count < 1 || std::isnan(t)) return ON_3dPoint::UnsetPoint;
  if (m_count == 1 || t <= 0.0) return m_a[0];
  if (t >= m_count - 1) return m_a[m_count - 1];
  const int i = static_cast<int>(std::floor(t));
  return ON_Line(m_a[i], m_a[i + 1]).PointAt(t - i);
}
