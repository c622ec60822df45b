// A line as a curve, with the openNURBS names and meanings: the segment m_line
// over the parameter interval m_t, by default [0, length] (so the parameter is
// the distance from the start), or [0, 1] for a line of length 0.
#pragma once

#include "opennurbs_curve.h"
#include "opennurbs_line.h"

class ON_LineCurve : public ON_Curve {
 public:
  ON_LineCurve();  // from the origin to (1, 0, 0)
  explicit ON_LineCurve(const ON_Line& line);
  ON_LineCurve(const ON_3dPoint& from, const ON_3dPoint& to);
  ON_LineCurve(const ON_Line& line, double t0, double t1);
  // The line over its default domain.
  ON_LineCurve& operator=(const ON_Line& line);

  // A new domain; false (and the domain unchanged) unless t0 < t1.
  bool SetDomain(double t0, double t1);

  // ON_Curve
  ON_Curve* DuplicateCurve() const override { return new ON_LineCurve(*this); }
  // Valid: dimension 2 or 3, distinct valid ends and an increasing domain.
  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  ON_Interval Domain() const override { return m_t; }
  // Linear in t, extrapolated outside the domain; derivatives beyond the first
  // are zero. False for a domain that is not increasing.
  bool Evaluate(double t, int der_count, int v_stride, double* v, int side = 0, int* hint = nullptr) const override;
  // Order 2, the two ends as CVs, knots m_t (so 1: exact with the same
  // parameterisation), also for a line of length 0 as openNURBS does. 0 for a
  // domain that is not increasing or a subdomain other than the domain.
  int GetNurbForm(ON_NurbsCurve& nurbs_curve, double tolerance = 0.0,
                  const ON_Interval* subdomain = nullptr) const override;
  int HasNurbForm() const override { return 1; }

  // ON_Geometry
  int Dimension() const override { return m_dim; }
  bool GetBBox(double* boxmin, double* boxmax, bool grow = false) const override;
  bool Transform(const ON_Xform& xform) override;

  ON_Line m_line;
  ON_Interval m_t;
  int m_dim = 3;
};
