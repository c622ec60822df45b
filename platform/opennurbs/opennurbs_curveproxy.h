// A curve that stands for a piece of another curve, with the openNURBS names and
// meanings: the part of the real curve over m_real_curve_domain, run backwards
// when m_bReversed, reparameterised linearly over m_this_domain. The proxy does
// not own the real curve, which must outlive it; brep edges are proxies of the
// brep's 3D curves.
#pragma once

#include "opennurbs_curve.h"

class ON_CurveProxy : public ON_Curve {
 public:
  ON_CurveProxy() = default;
  // SetProxyCurve(real_curve) or SetProxyCurve(real_curve, real_curve_subdomain).
  explicit ON_CurveProxy(const ON_Curve* real_curve);
  ON_CurveProxy(const ON_Curve* real_curve, ON_Interval real_curve_subdomain);
  ON_CurveProxy(const ON_CurveProxy&) = default;
  ON_CurveProxy& operator=(const ON_CurveProxy&) = default;
  ~ON_CurveProxy() override = default;

  // Stands for the whole curve (null for none), not reversed, over its domain.
  void SetProxyCurve(const ON_Curve* real_curve);
  // Stands for the part of the curve over the subdomain, which is also the
  // proxy's domain. A subdomain that is not increasing or not inside the curve's
  // domain leaves a proxy that is not valid.
  void SetProxyCurve(const ON_Curve* real_curve, ON_Interval real_curve_subdomain);
  const ON_Curve* ProxyCurve() const { return m_real_curve; }
  // The part of the real curve used, in the real curve's parameters.
  ON_Interval ProxyCurveDomain() const { return m_real_curve_domain; }
  // True when the proxy runs against the real curve.
  bool ProxyCurveIsReversed() const { return m_bReversed; }

  // The real curve's parameter for the proxy's parameter t, and the inverse.
  double RealCurveParameter(double t) const;
  double ThisCurveParameter(double real_curve_parameter) const;

  // A new domain for the proxy; false (and the domain unchanged) unless t0 < t1.
  bool SetDomain(double t0, double t1);
  // Runs the proxy the other way: the reversed flag flips and the domain [a, b]
  // becomes [-b, -a], as every openNURBS curve's Reverse does. False for a proxy
  // without a curve.
  bool Reverse();

  // ON_Curve
  // A new NURBS curve of the proxy (its NURBS form), not of the real curve's
  // kind; null when there is no NURBS form.
  ON_Curve* DuplicateCurve() const override;
  // Valid: a valid real curve, a used part that is increasing and inside its
  // domain, and an increasing domain of the proxy.
  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  ON_Interval Domain() const override { return m_this_domain; }
  // The real curve at the real parameter, from the other side when reversed;
  // the derivatives scaled by the chain rule of the linear map.
  bool Evaluate(double t, int der_count, int v_stride, double* v, int side = 0, int* hint = nullptr) const override;
  // Periodic when it stands for the whole of a periodic curve.
  bool IsPeriodic() const override;
  // The real curve's NURBS form over the used part, reversed when the proxy is,
  // with the proxy's domain (or over `subdomain` of the proxy, when it is given).
  // The real curve's result (1 exact, 2 approximate), or 0.
  int GetNurbForm(ON_NurbsCurve& nurbs_curve, double tolerance = 0.0,
                  const ON_Interval* subdomain = nullptr) const override;
  int HasNurbForm() const override;

  // ON_Geometry
  int Dimension() const override { return m_real_curve ? m_real_curve->Dimension() : 0; }
  // The real curve's box when the whole curve is used, else that of the NURBS form.
  bool GetBBox(double* boxmin, double* boxmax, bool grow = false) const override;
  // False: a proxy does not own its curve; transform the real curve instead.
  bool Transform(const ON_Xform& xform) override;

 protected:
  const ON_Curve* m_real_curve = nullptr;
  bool m_bReversed = false;
  ON_Interval m_real_curve_domain;
  ON_Interval m_this_domain;
};
