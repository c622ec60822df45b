#include "opennurbs_arccurve.h"

#include <cmath>

#include "opennurbs_nurbscurve.h"

namespace {
ON_Interval DefaultDomain(const ON_Arc& arc) {
  const double length = arc.Length();
  return ON_Interval(0.0, length > 0.0 && ON_IsValid(length) ? length : 1.0);
}
}  // namespace

ON_ArcCurve::ON_ArcCurve() : m_t(DefaultDomain(m_arc)) {}

ON_ArcCurve::ON_ArcCurve(const ON_Arc& arc) : m_arc(arc), m_t(DefaultDomain(arc)) {}

ON_ArcCurve::ON_ArcCurve(const ON_Arc& arc, double t0, double t1) : m_arc(arc), m_t(t0, t1) {}

ON_ArcCurve::ON_ArcCurve(const ON_Circle& circle) : ON_ArcCurve(ON_Arc(circle, 2.0 * ON_PI)) {}

ON_ArcCurve::ON_ArcCurve(const ON_Circle& circle, double t0, double t1)
    : ON_ArcCurve(ON_Arc(circle, 2.0 * ON_PI), t0, t1) {}

ON_ArcCurve& ON_ArcCurve::operator=(const ON_Arc& arc) {
  m_arc = arc;
  m_t = DefaultDomain(arc);
  m_dim = 3;
  return *this;
}

bool ON_ArcCurve::SetDomain(double t0, double t1) {
  if (!ON_Interval(t0, t1).IsIncreasing()) return false;
  m_t.Set(t0, t1);
  return true;
}

bool ON_ArcCurve::IsValid(ON_TextLog*) const {
  return (m_dim == 2 || m_dim == 3) && m_arc.IsValid() && m_t.IsIncreasing();
}

bool ON_ArcCurve::Evaluate(double t, int der_count, int v_stride, double* v, int, int*) const {
  if (m_dim < 1 || m_dim > 3 || der_count < 0 || v_stride < m_dim || !v || !m_t.IsIncreasing() ||
      !m_arc.m_angle.IsIncreasing())
    return false;
  const double angle = m_arc.m_angle.ParameterAt(m_t.NormalizedParameterAt(t));
  const double slope = m_arc.m_angle.Length() / m_t.Length();
  double scale = 1.0;
  for (int k = 0; k <= der_count; ++k, scale *= slope) {
    const ON_3dVector d = k == 0 ? m_arc.PointAt(angle) - ON_3dPoint(0, 0, 0) : m_arc.DerivativeAt(k, angle) * scale;
    for (int i = 0; i < m_dim; ++i) v[static_cast<size_t>(k) * v_stride + i] = d[i];
  }
  return true;
}

int ON_ArcCurve::GetNurbForm(ON_NurbsCurve& nc, double, const ON_Interval* subdomain) const {
  if (m_dim != 3 || !IsValid() || (subdomain && *subdomain != m_t)) {
    nc.Destroy();
    return 0;
  }
  const int rc = m_arc.GetNurbForm(nc);
  if (!rc) return 0;
  const ON_Interval& a = m_arc.m_angle;
  for (int k = 0; k < nc.KnotCount(); ++k) nc.SetKnot(k, m_t.ParameterAt(a.NormalizedParameterAt(nc.Knot(k))));
  return rc;
}

bool ON_ArcCurve::GetBBox(double* boxmin, double* boxmax, bool grow) const {
  if (!boxmin || !boxmax || m_dim < 1 || m_dim > 3) return false;
  const ON_BoundingBox box = m_arc.BoundingBox();
  if (!box.IsValid()) return false;
  for (int i = 0; i < m_dim; ++i) {
    if (!grow || box.m_min[i] < boxmin[i]) boxmin[i] = box.m_min[i];
    if (!grow || box.m_max[i] > boxmax[i]) boxmax[i] = box.m_max[i];
  }
  return true;
}

bool ON_ArcCurve::Transform(const ON_Xform& xform) { return m_arc.Transform(xform); }
