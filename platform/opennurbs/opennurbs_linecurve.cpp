#include "opennurbs_linecurve.h"

#include "opennurbs_nurbscurve.h"

namespace {
ON_Interval DefaultDomain(const ON_Line& line) {
  const double length = line.Length();
  return ON_Interval(0.0, length > 0.0 ? length : 1.0);
}

// Writes the first `dim` coordinates of a point or vector.
void Put(double* v, int dim, const ON_3dVector& p) {
  for (int i = 0; i < dim; ++i) v[i] = p[i];
}
}  // namespace

ON_LineCurve::ON_LineCurve() : m_line(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0)), m_t(0.0, 1.0) {}

ON_LineCurve::ON_LineCurve(const ON_Line& line) : m_line(line), m_t(DefaultDomain(line)) {}

ON_LineCurve::ON_LineCurve(const ON_3dPoint& from, const ON_3dPoint& to) : ON_LineCurve(ON_Line(from, to)) {}

ON_LineCurve::ON_LineCurve(const ON_Line& line, double t0, double t1) : m_line(line), m_t(t0, t1) {}

ON_LineCurve& ON_LineCurve::operator=(const ON_Line& line) {
  m_line = line;
  m_t = DefaultDomain(line);
  m_dim = 3;
  return *this;
}

bool ON_LineCurve::SetDomain(double t0, double t1) {
  if (!ON_Interval(t0, t1).IsIncreasing()) return false;
  m_t.Set(t0, t1);
  return true;
}

bool ON_LineCurve::IsValid(ON_TextLog*) const {
  return (m_dim == 2 || m_dim == 3) && m_line.IsValid() && m_t.IsIncreasing();
}

bool ON_LineCurve::Evaluate(double t, int der_count, int v_stride, double* v, int, int*) const {
  if (m_dim < 1 || m_dim > 3 || der_count < 0 || v_stride < m_dim || !v || !m_t.IsIncreasing()) return false;
  const double length = m_t.Length();
  Put(v, m_dim, m_line.PointAt(m_t.NormalizedParameterAt(t)) - ON_3dPoint(0, 0, 0));
  if (der_count >= 1) Put(v + v_stride, m_dim, m_line.Direction() * (1.0 / length));
  for (int k = 2; k <= der_count; ++k) Put(v + static_cast<size_t>(k) * v_stride, m_dim, ON_3dVector(0, 0, 0));
  return true;
}

int ON_LineCurve::GetNurbForm(ON_NurbsCurve& nc, double, const ON_Interval* subdomain) const {
  if (m_dim < 1 || m_dim > 3 || !m_t.IsIncreasing() || (subdomain && *subdomain != m_t)) return 0;
  if (!nc.Create(m_dim, false, 2, 2)) return 0;
  nc.SetCV(0, m_line.from);
  nc.SetCV(1, m_line.to);
  nc.SetKnot(0, m_t[0]);
  nc.SetKnot(1, m_t[1]);
  return 1;
}

bool ON_LineCurve::GetBBox(double* boxmin, double* boxmax, bool grow) const {
  if (!boxmin || !boxmax || m_dim < 1 || m_dim > 3) return false;
  for (int i = 0; i < m_dim; ++i) {
    const double a = m_line.from[i], b = m_line.to[i];
    const double lo = a < b ? a : b, hi = a < b ? b : a;
    if (!grow || lo < boxmin[i]) boxmin[i] = lo;
    if (!grow || hi > boxmax[i]) boxmax[i] = hi;
  }
  return true;
}

bool ON_LineCurve::Transform(const ON_Xform& xform) { return m_line.Transform(xform); }
