// An arc as a curve, with the openNURBS names and meanings: m_arc over the
// parameter interval m_t, by default [0, length] (so the parameter is the
// distance along the arc from its start), or [0, 1] for an arc of no length; the
// parameter maps linearly onto the arc's angle interval.
#pragma once

#include "opennurbs_arc.h"
#include "opennurbs_curve.h"

class ON_ArcCurve : public ON_Curve {
 public:
  ON_ArcCurve();  // the unit circle of the world x-y plane
  explicit ON_ArcCurve(const ON_Arc& arc);
  ON_ArcCurve(const ON_Arc& arc, double t0, double t1);
  explicit ON_ArcCurve(const ON_Circle& circle);  // the full turn
  ON_ArcCurve(const ON_Circle& circle, double t0, double t1);
  // The arc over its default domain.
  ON_ArcCurve& operator=(const ON_Arc& arc);

  bool IsCircle() const { return m_arc.IsCircle(); }
  double Radius() const { return m_arc.Radius(); }
  double AngleRadians() const { return m_arc.AngleRadians(); }
  // A new domain; false (and the domain unchanged) unless t0 < t1.
  bool SetDomain(double t0, double t1);

  // ON_Curve
  ON_Curve* DuplicateCurve() const override { return new ON_ArcCurve(*this); }
  // Valid: dimension 2 or 3, a valid arc and an increasing domain.
  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  ON_Interval Domain() const override { return m_t; }
  // The circle's point at the angle that t maps to, and its derivatives scaled by
  // the powers of the map's slope; defined beyond the domain too. False for a
  // domain or an angle interval that is not increasing.
  bool Evaluate(double t, int der_count, int v_stride, double* v, int side = 0, int* hint = nullptr) const override;
  // A full turn is closed and periodic; any other arc neither.
  bool IsClosed() const override { return m_arc.IsCircle(); }
  bool IsPeriodic() const override { return m_arc.IsCircle(); }
  // ON_Arc::GetNurbForm with the knots mapped onto m_t: 2 (exact, another
  // parameterisation), or 0 (and an empty curve) for an invalid arc curve, a
  // dimension other than 3 or a subdomain other than the domain.
  int GetNurbForm(ON_NurbsCurve& nurbs_curve, double tolerance = 0.0,
                  const ON_Interval* subdomain = nullptr) const override;
  int HasNurbForm() const override { return 2; }

  // ON_Geometry
  int Dimension() const override { return m_dim; }
  bool GetBBox(double* boxmin, double* boxmax, bool grow = false) const override;
  bool Transform(const ON_Xform& xform) override;

  ON_Arc m_arc;
  ON_Interval m_t;
  int m_dim = 3;
};
