// A polyline as a curve, with the openNURBS names and meanings: the points of
// m_pline at the increasing parameters m_t (by default 0, 1, 2, ...), straight
// between them.
#pragma once

#include "opennurbs_curve.h"
#include "opennurbs_line.h"

class ON_PolylineCurve : public ON_Curve {
 public:
  ON_PolylineCurve() = default;
  explicit ON_PolylineCurve(const ON_3dPointArray& points);
  // The points at the parameters 0, 1, 2, ...
  ON_PolylineCurve& operator=(const ON_3dPointArray& points);

  int PointCount() const { return m_pline.PointCount(); }
  // Point i, or the unset point for an index outside the points.
  ON_3dPoint Point(int i) const;
  bool SetPoint(int i, const ON_3dPoint& point);

  // ON_Curve
  ON_Curve* DuplicateCurve() const override { return new ON_PolylineCurve(*this); }
  // Valid: dimension 2 or 3, a valid polyline (ON_Polyline::IsValid) and one
  // strictly increasing parameter per point.
  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  // [first parameter, last parameter]; unset for fewer than two points.
  ON_Interval Domain() const override;
  // Linear within each segment, the first and the last extrapolated outside the
  // domain; at an interior point the segment before it for side < 0, else the one
  // after. False for fewer than two points, parameters that do not match the
  // points or do not increase.
  bool Evaluate(double t, int der_count, int v_stride, double* v, int side = 0, int* hint = nullptr) const override;
  // As ON_Polyline::IsClosed with tolerance 0.
  bool IsClosed() const override;
  // Order 2, the points as CVs, knots m_t (1: exact, same parameterisation),
  // also for points that do not make a valid polyline, as openNURBS does. 0 for
  // the faults Evaluate refuses or a subdomain other than the domain.
  int GetNurbForm(ON_NurbsCurve& nurbs_curve, double tolerance = 0.0,
                  const ON_Interval* subdomain = nullptr) const override;
  int HasNurbForm() const override { return 1; }

  // ON_Geometry
  int Dimension() const override { return m_dim; }
  bool GetBBox(double* boxmin, double* boxmax, bool grow = false) const override;
  bool Transform(const ON_Xform& xform) override;

  ON_Polyline m_pline;
  ON_SimpleArray<double> m_t;
  int m_dim = 3;

 private:
  // The points and parameters agree and the parameters increase.
  bool Evaluable() const;
};
