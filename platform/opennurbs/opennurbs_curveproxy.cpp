#include "opennurbs_curveproxy.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "opennurbs_nurbscurve.h"

namespace {

// Runs a NURBS curve backwards: the CVs in the opposite order and the knots
// mirrored (k -> -k), so the domain [a, b] becomes [-b, -a].
bool ReverseNurbs(ON_NurbsCurve& c) {
  const int knots = c.KnotCount(), count = c.CVCount(), size = c.CVSize();
  if (knots < 2 || count < 2 || size < 1) return false;
  for (int i = 0, j = knots - 1; i <= j; ++i, --j) {
    const double a = c.m_knot[i], b = c.m_knot[j];
    c.m_knot[i] = -b;
    c.m_knot[j] = -a;
  }
  std::vector<double> tmp(static_cast<size_t>(size));
  for (int i = 0, j = count - 1; i < j; ++i, --j) {
    double* p = c.CV(i);
    double* q = c.CV(j);
    std::memcpy(tmp.data(), p, sizeof(double) * tmp.size());
    std::memcpy(p, q, sizeof(double) * tmp.size());
    std::memcpy(q, tmp.data(), sizeof(double) * tmp.size());
  }
  return true;
}

// Maps the knots linearly so that the domain becomes d (increasing); the ends
// land exactly on d's ends.
bool SetNurbsDomain(ON_NurbsCurve& c, const ON_Interval& d) {
  const ON_Interval old = c.Domain();
  if (!old.IsIncreasing() || !d.IsIncreasing()) return false;
  if (old == d) return true;
  for (int i = 0; i < c.KnotCount(); ++i) c.m_knot[i] = d.ParameterAt(old.NormalizedParameterAt(c.m_knot[i]));
  return true;
}

}  // namespace

ON_CurveProxy::ON_CurveProxy(const ON_Curve* real_curve) { SetProxyCurve(real_curve); }

ON_CurveProxy::ON_CurveProxy(const ON_Curve* real_curve, ON_Interval real_curve_subdomain) {
  SetProxyCurve(real_curve, real_curve_subdomain);
}

void ON_CurveProxy::SetProxyCurve(const ON_Curve* real_curve) {
  SetProxyCurve(real_curve, real_curve ? real_curve->Domain() : ON_Interval());
}

void ON_CurveProxy::SetProxyCurve(const ON_Curve* real_curve, ON_Interval real_curve_subdomain) {
  m_real_curve = real_curve;
  m_bReversed = false;
  m_real_curve_domain = real_curve ? real_curve_subdomain : ON_Interval();
  m_this_domain = m_real_curve_domain;
}

double ON_CurveProxy::RealCurveParameter(double t) const {
  if (!m_bReversed && m_this_domain == m_real_curve_domain) return t;  // exactly the curve's parameter
  double s = m_this_domain.NormalizedParameterAt(t);
  if (s == ON_UNSET_VALUE) return ON_UNSET_VALUE;
  if (m_bReversed) s = 1.0 - s;
  return m_real_curve_domain.ParameterAt(s);
}

double ON_CurveProxy::ThisCurveParameter(double real_curve_parameter) const {
  if (!m_bReversed && m_this_domain == m_real_curve_domain) return real_curve_parameter;
  double s = m_real_curve_domain.NormalizedParameterAt(real_curve_parameter);
  if (s == ON_UNSET_VALUE) return ON_UNSET_VALUE;
  if (m_bReversed) s = 1.0 - s;
  return m_this_domain.ParameterAt(s);
}

bool ON_CurveProxy::SetDomain(double t0, double t1) {
  if (!(ON_IsValid(t0) && ON_IsValid(t1) && t0 < t1)) return false;
  m_this_domain.Set(t0, t1);
  return true;
}

bool ON_CurveProxy::Reverse() {
  if (!m_real_curve) return false;
  m_bReversed = !m_bReversed;
  m_this_domain.Reverse();
  return true;
}

ON_Curve* ON_CurveProxy::DuplicateCurve() const {
  ON_NurbsCurve* c = new ON_NurbsCurve();
  if (!GetNurbForm(*c)) {
    delete c;
    return nullptr;
  }
  return c;
}

bool ON_CurveProxy::IsValid(ON_TextLog* text_log) const {
  if (!m_real_curve || !m_real_curve->IsValid(text_log)) return false;
  if (!m_real_curve_domain.IsIncreasing() || !m_this_domain.IsIncreasing()) return false;
  const ON_Interval d = m_real_curve->Domain();
  return d.Includes(m_real_curve_domain[0]) && d.Includes(m_real_curve_domain[1]);
}

bool ON_CurveProxy::Evaluate(double t, int der_count, int v_stride, double* v, int side, int* hint) const {
  if (!m_real_curve || der_count < 0 || !v || !m_this_domain.IsIncreasing() || !m_real_curve_domain.IsIncreasing())
    return false;
  const double r = RealCurveParameter(t);
  if (!ON_IsValid(r)) return false;
  if (!m_real_curve->Evaluate(r, der_count, v_stride, v, m_bReversed ? -side : side, hint)) return false;
  const double scale = (m_bReversed ? -1.0 : 1.0) * m_real_curve_domain.Length() / m_this_domain.Length();
  if (scale == 1.0) return true;
  const int dim = m_real_curve->Dimension();
  double f = 1.0;
  for (int k = 1; k <= der_count; ++k) {
    f *= scale;
    double* p = v + static_cast<size_t>(k) * v_stride;
    for (int c = 0; c < dim; ++c) p[c] *= f;
  }
  return true;
}

bool ON_CurveProxy::IsPeriodic() const {
  return m_real_curve && m_real_curve_domain == m_real_curve->Domain() && m_real_curve->IsPeriodic();
}

int ON_CurveProxy::GetNurbForm(ON_NurbsCurve& nurbs_curve, double tolerance, const ON_Interval* subdomain) const {
  if (!IsValid()) return 0;
  ON_Interval target = m_this_domain, real = m_real_curve_domain;
  if (subdomain && *subdomain != m_this_domain) {
    if (!subdomain->IsIncreasing() || !m_this_domain.Includes((*subdomain)[0]) ||
        !m_this_domain.Includes((*subdomain)[1]))
      return 0;
    target = *subdomain;
    const double a = RealCurveParameter(target[0]), b = RealCurveParameter(target[1]);
    real = m_bReversed ? ON_Interval(b, a) : ON_Interval(a, b);
  }
  const ON_Interval* part = real == m_real_curve->Domain() ? nullptr : &real;
  const int rc = m_real_curve->GetNurbForm(nurbs_curve, tolerance, part);
  if (!rc) return 0;
  if ((m_bReversed && !ReverseNurbs(nurbs_curve)) || !SetNurbsDomain(nurbs_curve, target)) {
    nurbs_curve.Destroy();
    return 0;
  }
  return rc;
}

int ON_CurveProxy::HasNurbForm() const { return m_real_curve ? m_real_curve->HasNurbForm() : 0; }

bool ON_CurveProxy::GetBBox(double* boxmin, double* boxmax, bool grow) const {
  if (!m_real_curve) return false;
  if (m_real_curve_domain == m_real_curve->Domain()) return m_real_curve->GetBBox(boxmin, boxmax, grow);
  ON_NurbsCurve c;
  return GetNurbForm(c) && c.GetBBox(boxmin, boxmax, grow);
}

bool ON_CurveProxy::Transform(const ON_Xform&) { return false; }
