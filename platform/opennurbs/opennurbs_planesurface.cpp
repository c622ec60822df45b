#include "opennurbs_planesurface.h"

#include "opennurbs_linecurve.h"

namespace {

bool Direction(int dir) { return dir == 0 || dir == 1; }

}  // namespace

ON_PlaneSurface::ON_PlaneSurface() : m_plane(ON_Plane::UnsetPlane) {}

ON_PlaneSurface::ON_PlaneSurface(const ON_Plane& plane) { *this = plane; }

ON_PlaneSurface& ON_PlaneSurface::operator=(const ON_Plane& plane) {
  m_plane = plane;
  for (int dir = 0; dir < 2; ++dir) m_domain[dir] = m_extents[dir] = ON_Interval(0.0, 1.0);
  return *this;
}

ON_Interval ON_PlaneSurface::Extents(int dir) const { return Direction(dir) ? m_extents[dir] : ON_Interval(); }

bool ON_PlaneSurface::SetExtents(int dir, ON_Interval extents, bool bSyncDomain) {
  if (!Direction(dir) || !extents.IsIncreasing()) return false;
  m_extents[dir] = extents;
  if (bSyncDomain) m_domain[dir] = extents;
  return true;
}

bool ON_PlaneSurface::SetDomain(int dir, double t0, double t1) {
  if (!Direction(dir) || !(ON_IsValid(t0) && ON_IsValid(t1) && t0 < t1)) return false;
  m_domain[dir].Set(t0, t1);
  return true;
}

bool ON_PlaneSurface::IsValid(ON_TextLog*) const {
  return m_plane.IsValid() && m_domain[0].IsIncreasing() && m_domain[1].IsIncreasing() &&
         m_extents[0].IsIncreasing() && m_extents[1].IsIncreasing();
}

ON_Interval ON_PlaneSurface::Domain(int dir) const { return Direction(dir) ? m_domain[dir] : ON_Interval(); }

ON_3dPoint ON_PlaneSurface::At(double s, double t) const {
  const double x = m_extents[0].ParameterAt(m_domain[0].NormalizedParameterAt(s));
  const double y = m_extents[1].ParameterAt(m_domain[1].NormalizedParameterAt(t));
  return m_plane.origin + m_plane.xaxis * x + m_plane.yaxis * y;
}

bool ON_PlaneSurface::Evaluate(double s, double t, int der_count, int v_stride, double* v, int, int*) const {
  // The plane's frame is used as it stands: a surface on a plane that is not
  // orthonormal still evaluates, as it does in openNURBS, though it is not valid.
  if (der_count < 0 || v_stride < 3 || !v || !ON_IsValid(s) || !ON_IsValid(t)) return false;
  for (int dir = 0; dir < 2; ++dir)
    if (!m_domain[dir].IsIncreasing() || !m_extents[dir].IsValid()) return false;
  const ON_3dPoint p = At(s, t);
  const ON_3dVector ds = m_plane.xaxis * (m_extents[0].Length() / m_domain[0].Length());
  const ON_3dVector dt = m_plane.yaxis * (m_extents[1].Length() / m_domain[1].Length());
  const size_t count = static_cast<size_t>(der_count + 1) * (der_count + 2) / 2;
  for (size_t k = 0; k < count; ++k) {
    double* out = v + k * v_stride;
    const ON_3dVector value = k == 0 ? ON_3dVector(p.x, p.y, p.z) : k == 1 ? ds : k == 2 ? dt : ON_3dVector();
    out[0] = value.x;
    out[1] = value.y;
    out[2] = value.z;
  }
  return true;
}

ON_Curve* ON_PlaneSurface::IsoCurve(int dir, double c) const {
  if (!Direction(dir) || !ON_IsValid(c) || !IsValid()) return nullptr;
  const ON_Interval d = m_domain[dir];
  const ON_Line line = dir == 0 ? ON_Line(At(d[0], c), At(d[1], c)) : ON_Line(At(c, d[0]), At(c, d[1]));
  return new ON_LineCurve(line, d[0], d[1]);
}

bool ON_PlaneSurface::GetBBox(double* boxmin, double* boxmax, bool grow) const {
  if (!boxmin || !boxmax) return false;
  ON_3dPoint corner[4];
  for (int i = 0; i < 4; ++i) {
    corner[i] = m_plane.origin + m_plane.xaxis * m_extents[0][i & 1] + m_plane.yaxis * m_extents[1][i >> 1];
    if (!corner[i].IsValid()) return false;
  }
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 3; ++k) {
      if (!grow && i == 0) {
        boxmin[k] = boxmax[k] = corner[i][k];
      } else {
        if (corner[i][k] < boxmin[k]) boxmin[k] = corner[i][k];
        if (corner[i][k] > boxmax[k]) boxmax[k] = corner[i][k];
      }
    }
  return true;
}

bool ON_PlaneSurface::Transform(const ON_Xform& xform) {
  const ON_3dPoint o = xform * m_plane.origin;
  const double sx = (xform * (m_plane.origin + m_plane.xaxis)).DistanceTo(o);
  const double sy = (xform * (m_plane.origin + m_plane.yaxis)).DistanceTo(o);
  ON_Plane image = m_plane;
  if (!(sx > 0.0) || !(sy > 0.0) || !ON_IsValid(sx) || !ON_IsValid(sy) || !image.Transform(xform)) return false;
  m_plane = image;
  m_extents[0].Set(m_extents[0][0] * sx, m_extents[0][1] * sx);
  m_extents[1].Set(m_extents[1][0] * sy, m_extents[1][1] * sy);
  return true;
}
