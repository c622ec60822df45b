#include "opennurbs_polylinecurve.h"

#include "opennurbs_nurbscurve.h"

ON_PolylineCurve::ON_PolylineCurve(const ON_3dPointArray& points) { *this = points; }

ON_PolylineCurve& ON_PolylineCurve::operator=(const ON_3dPointArray& points) {
  m_pline = ON_Polyline(points);
  m_t.SetCount(0);
  m_t.Reserve(points.Count());
  for (int i = 0; i < points.Count(); ++i) m_t.Append(static_cast<double>(i));
  m_dim = 3;
  return *this;
}

ON_3dPoint ON_PolylineCurve::Point(int i) const {
  return i >= 0 && i < m_pline.Count() ? m_pline[i] : ON_3dPoint::UnsetPoint;
}

bool ON_PolylineCurve::SetPoint(int i, const ON_3dPoint& point) {
  if (i < 0 || i >= m_pline.Count()) return false;
  m_pline[i] = point;
  return true;
}

bool ON_PolylineCurve::Evaluable() const {
  const int n = m_pline.Count();
  if (m_dim < 1 || m_dim > 3 || n < 2 || m_t.Count() != n) return false;
  for (int i = 0; i + 1 < n; ++i)
    if (!(m_t[i] < m_t[i + 1])) return false;
  return ON_IsValid(m_t[0]) && ON_IsValid(m_t[n - 1]);
}

bool ON_PolylineCurve::IsValid(ON_TextLog*) const { return Evaluable() && m_pline.IsValid(); }

ON_Interval ON_PolylineCurve::Domain() const {
  if (m_pline.Count() < 2 || m_t.Count() != m_pline.Count()) return ON_Interval();
  return ON_Interval(m_t[0], m_t[m_t.Count() - 1]);
}

bool ON_PolylineCurve::Evaluate(double t, int der_count, int v_stride, double* v, int side, int*) const {
  if (der_count < 0 || v_stride < m_dim || !v || !Evaluable()) return false;
  // The segment whose interval holds t, from the side asked for at a point.
  int lo = 0, hi = m_t.Count() - 2;
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    const bool after = side < 0 ? m_t[mid] < t : m_t[mid] <= t;
    if (after)
      lo = mid;
    else
      hi = mid - 1;
  }
  const ON_Line segment(m_pline[lo], m_pline[lo + 1]);
  const ON_Interval d(m_t[lo], m_t[lo + 1]);
  const ON_3dPoint p = segment.PointAt(d.NormalizedParameterAt(t));
  const ON_3dVector slope = segment.Direction() * (1.0 / d.Length());
  for (int i = 0; i < m_dim; ++i) v[i] = p[i];
  for (int k = 1; k <= der_count; ++k)
    for (int i = 0; i < m_dim; ++i) v[static_cast<size_t>(k) * v_stride + i] = k == 1 ? slope[i] : 0.0;
  return true;
}

bool ON_PolylineCurve::IsClosed() const { return Evaluable() && m_pline.IsClosed(0.0); }

int ON_PolylineCurve::GetNurbForm(ON_NurbsCurve& nc, double, const ON_Interval* subdomain) const {
  if (!Evaluable() || (subdomain && *subdomain != Domain())) return 0;
  const int n = m_pline.Count();
  if (!nc.Create(m_dim, false, 2, n)) return 0;
  for (int i = 0; i < n; ++i) {
    nc.SetCV(i, m_pline[i]);
    nc.SetKnot(i, m_t[i]);
  }
  return 1;
}

bool ON_PolylineCurve::GetBBox(double* boxmin, double* boxmax, bool grow) const {
  if (!boxmin || !boxmax || m_dim < 1 || m_dim > 3 || m_pline.Count() < 1) return false;
  for (int k = 0; k < m_pline.Count(); ++k)
    for (int i = 0; i < m_dim; ++i) {
      const double x = m_pline[k][i];
      if ((!grow && k == 0) || x < boxmin[i]) boxmin[i] = x;
      if ((!grow && k == 0) || x > boxmax[i]) boxmax[i] = x;
    }
  return true;
}

bool ON_PolylineCurve::Transform(const ON_Xform& xform) { return m_pline.Transform(xform); }
