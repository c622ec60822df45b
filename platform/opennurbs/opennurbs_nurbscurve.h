// NURBS curves with the openNURBS names, data layout and meanings.
//
// A curve of dimension m_dim, order m_order (degree + 1) and m_cv_count control
// points (CVs). m_knot holds ON_KnotCount(order, cv_count) = order + cv_count - 2
// knots: the classic knot vector without its first and its last knot (see
// opennurbs_knot.h). m_cv holds the CVs m_cv_stride doubles apart; a rational
// curve (m_is_rat 1) stores homogeneous CVs (w x, w y, w z, w), the weight last.
// The domain is [knot[order-2], knot[cv_count-1]].
//
// The curve owns its two arrays (m_knot_capacity and m_cv_capacity count the
// doubles allocated). Every member checks the data members before it reads
// through them, so a curve whose counts disagree with its storage reports
// failure (false, an invalid curve, an unset point) instead of reading outside it.
#pragma once

#include "opennurbs_curve.h"
#include "opennurbs_knot.h"

class ON_NurbsCurve : public ON_Curve {
 public:
  ON_NurbsCurve() = default;
  // Create(dimension, bIsRational, order, cv_count); the curve is empty when that fails.
  ON_NurbsCurve(int dimension, bool bIsRational, int order, int cv_count);
  ON_NurbsCurve(const ON_NurbsCurve& src);
  ON_NurbsCurve& operator=(const ON_NurbsCurve& src);
  ~ON_NurbsCurve() override;

  // Sets the dimensions and allocates the knots and CVs, all zero (weights 1 for a
  // rational curve). False, and an empty curve, for dimension < 1, order < 2,
  // cv_count < order, sizes beyond 32-bit counts, or no memory.
  bool Create(int dimension, bool bIsRational, int order, int cv_count);
  // A non-rational curve of `order` on the points as CVs with clamped uniform
  // knots delta apart from 0 (order 3 on 5 points: 0, 0, 1, 2, 3, 3). False, and
  // an empty curve, for dimension outside 1..3, order < 2, fewer points than the
  // order, no points or delta <= 0.
  bool CreateClampedUniformNurbs(int dimension, int order, int point_count, const ON_3dPoint* point,
                                 double knot_delta = 1.0);
  // A periodic curve of `order` on the points: point_count + order - 1 CVs, the
  // points and then the first order - 1 of them again, with periodic uniform knots
  // (a cubic on 4 points: 7 CVs, knots -2 .. 6, domain [0, 4]). Order 2 gives the
  // closed polygon, which openNURBS does not count as periodic. False, and an
  // empty curve, for fewer than 2 points or the other faults above.
  bool CreatePeriodicUniformNurbs(int dimension, int order, int point_count, const ON_3dPoint* point,
                                  double knot_delta = 1.0);
  // Frees the arrays and empties the curve (dimension, order and counts 0).
  void Destroy();

  // The geometry as a NURBS curve, or null when it is none.
  static ON_NurbsCurve* Cast(ON_Geometry* geometry) { return dynamic_cast<ON_NurbsCurve*>(geometry); }
  static const ON_NurbsCurve* Cast(const ON_Geometry* geometry) {
    return dynamic_cast<const ON_NurbsCurve*>(geometry);
  }

  int Dimension() const override { return m_dim; }
  bool IsRational() const { return m_is_rat != 0; }
  int CVSize() const { return m_dim > 0 ? m_dim + (m_is_rat ? 1 : 0) : 0; }  // doubles per CV
  int Order() const { return m_order; }
  int Degree() const { return m_order >= 2 ? m_order - 1 : 0; }
  int CVCount() const { return m_cv_count; }
  int KnotCount() const { return m_order >= 2 && m_cv_count >= m_order ? ON_KnotCount(m_order, m_cv_count) : 0; }

  // Knot i (0 <= i < KnotCount()); 0.0 for any other index.
  double Knot(int knot_index) const;
  const double* Knot() const { return m_knot; }
  // Sets knot i; false for an index outside the knots.
  bool SetKnot(int knot_index, double knot_value);
  // Clamped or periodic uniform knots delta apart (see opennurbs_knot.h).
  bool MakeClampedUniformKnotVector(double delta = 1.0);
  bool MakePeriodicUniformKnotVector(double delta = 1.0);
  bool IsClamped(int end = 2) const;

  // The storage of CV i, or null for an index outside the CVs.
  double* CV(int cv_index) const;
  // The weight of CV i: 1 for a non-rational curve; 0 for an index outside the CVs.
  double Weight(int cv_index) const;
  // Euclidean point (x, y, z); a rational curve gets the weight 1.
  bool SetCV(int cv_index, const ON_3dPoint& point);
  // Homogeneous point; a non-rational curve gets (x/w, y/w, z/w), and refuses w 0.
  bool SetCV(int cv_index, const ON_4dPoint& point);
  // The Euclidean point, homogeneous coordinates divided by the weight; false (and
  // the unset point) for a zero weight or an index outside the CVs.
  bool GetCV(int cv_index, ON_3dPoint& point) const;
  // The homogeneous point; weight 1 for a non-rational curve.
  bool GetCV(int cv_index, ON_4dPoint& point) const;
  // Turns a non-rational curve into the same curve with all weights 1.
  bool MakeRational();

  // ON_Curve
  ON_Curve* DuplicateCurve() const override;
  // Valid: consistent counts and storage, a valid knot vector (ON_IsValidKnotVector)
  // and CVs of valid numbers. A zero weight does not make the curve invalid, as in
  // openNURBS; the points where the weights sum to zero cannot be evaluated.
  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  ON_Interval Domain() const override;
  // Also false for an order or a derivative count so large (thousands) that the
  // basis functions would need more than 32 MB of scratch space.
  bool Evaluate(double t, int der_count, int v_stride, double* v, int side = 0, int* hint = nullptr) const override;
  // Periodic curves are closed; curves with fewer than 4 CVs are not; the others
  // as ON_Curve::IsClosed decides.
  bool IsClosed() const override;
  // A periodic knot vector (ON_IsKnotVectorPeriodic) and the last order - 1 CVs
  // coinciding with the first order - 1.
  bool IsPeriodic() const override;
  // A copy of the curve; 1 when it is valid, else 0. A subdomain other than the
  // domain is not supported here (0, nurbs_curve unchanged).
  int GetNurbForm(ON_NurbsCurve& nurbs_curve, double tolerance = 0.0,
                  const ON_Interval* subdomain = nullptr) const override;
  int HasNurbForm() const override { return 1; }

  // ON_Geometry
  // The box of the Euclidean CVs (openNURBS's box of a NURBS curve, not a tight
  // one); false for an empty curve or a zero weight.
  bool GetBBox(double* boxmin, double* boxmax, bool grow = false) const override;
  // Transforms the CVs as homogeneous points; a projective transformation makes
  // the curve rational. Dimensions 1 to 3 (missing coordinates taken as 0).
  bool Transform(const ON_Xform& xform) override;

  int m_dim = 0;
  int m_is_rat = 0;
  int m_order = 0;
  int m_cv_count = 0;
  int m_knot_capacity = 0;  // doubles allocated at m_knot
  double* m_knot = nullptr;
  int m_cv_stride = 0;
  int m_cv_capacity = 0;  // doubles allocated at m_cv
  double* m_cv = nullptr;

  // Grow the owned storage to at least `capacity` doubles (new ones zero); false
  // when memory runs out.
  bool ReserveKnotCapacity(int capacity);
  bool ReserveCVCapacity(int capacity);

 private:
  // The data members agree with each other and with the storage.
  bool Consistent() const;
};
