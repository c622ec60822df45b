// NURBS surfaces with the openNURBS names, data layout and meanings.
//
// A tensor-product surface of dimension m_dim with, per direction dir (0 and 1),
// an order m_order[dir] and m_cv_count[dir] control points (CVs), and the
// ON_KnotCount(order, cv_count) knots openNURBS stores in m_knot[dir] (see
// opennurbs_knot.h). CV (i, j), i along direction 0 and j along direction 1,
// starts at m_cv + i * m_cv_stride[0] + j * m_cv_stride[1]; a rational surface
// (m_is_rat 1) stores homogeneous CVs (w x, w y, w z, w), the weight last. The
// domain of direction dir is [knot[order-2], knot[cv_count-1]] of that direction.
//
// The surface owns its arrays (m_knot_capacity[dir] and m_cv_capacity count the
// doubles allocated). Every member checks the data members before it reads
// through them, so a surface whose counts disagree with its storage reports
// failure (false, an invalid surface, no iso-curve) instead of reading outside it.
#pragma once

#include "opennurbs_knot.h"
#include "opennurbs_surface.h"

class ON_4dPoint;
class ON_NurbsCurve;

class ON_NurbsSurface : public ON_Surface {
 public:
  ON_NurbsSurface() = default;
  // Create(...); the surface is empty when that fails.
  ON_NurbsSurface(int dimension, bool bIsRational, int order0, int order1, int cv_count0, int cv_count1);
  ON_NurbsSurface(const ON_NurbsSurface& src);
  ON_NurbsSurface& operator=(const ON_NurbsSurface& src);
  ~ON_NurbsSurface() override;

  // Sets the dimensions and allocates the knots and CVs, all zero (weights 1 for a
  // rational surface); CV (i, j) at (i * cv_count1 + j) * CVSize(). False, and an
  // empty surface, for dimension < 1, an order < 2, a CV count below its order,
  // sizes beyond 32-bit counts, or no memory.
  bool Create(int dimension, bool bIsRational, int order0, int order1, int cv_count0, int cv_count1);
  // Frees the arrays and empties the surface (dimension, orders and counts 0).
  void Destroy();

  int Dimension() const override { return m_dim; }
  bool IsRational() const { return m_is_rat != 0; }
  int CVSize() const { return m_dim > 0 ? m_dim + (m_is_rat ? 1 : 0) : 0; }  // doubles per CV
  // Per direction (0 or 1); 0 for another direction or an empty surface.
  int Order(int dir) const;
  int Degree(int dir) const;
  int CVCount(int dir) const;
  int CVCount() const;  // all CVs
  int KnotCount(int dir) const;

  // Knot i of direction dir (0 <= i < KnotCount(dir)); 0.0 for any other index.
  double Knot(int dir, int knot_index) const;
  // Sets knot i of direction dir; false for an index outside the knots.
  bool SetKnot(int dir, int knot_index, double knot_value);

  // The storage of CV (i, j), or null for an index outside the CVs.
  double* CV(int i, int j) const;
  // The weight of CV (i, j): 1 for a non-rational surface; 0 outside the CVs.
  double Weight(int i, int j) const;
  // Euclidean point (x, y, z); a rational surface gets the weight 1.
  bool SetCV(int i, int j, const ON_3dPoint& point);
  // Homogeneous point; a non-rational surface gets (x/w, y/w, z/w), and refuses w 0.
  bool SetCV(int i, int j, const ON_4dPoint& point);
  // The Euclidean point, homogeneous coordinates divided by the weight; false (and
  // the unset point) for a zero weight or an index outside the CVs.
  bool GetCV(int i, int j, ON_3dPoint& point) const;
  // The homogeneous point; weight 1 for a non-rational surface.
  bool GetCV(int i, int j, ON_4dPoint& point) const;
  // Turns a non-rational surface into the same surface with all weights 1.
  bool MakeRational();

  // ON_Surface
  // Valid: consistent counts and storage, valid knot vectors in both directions
  // (ON_IsValidKnotVector) and CVs of valid numbers. A zero weight does not make
  // the surface invalid, as in openNURBS; the points where the weights sum to zero
  // cannot be evaluated.
  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  ON_Interval Domain(int dir) const override;
  // Evaluates the span that holds (s, t); outside the domain the first or the
  // last span is extended, as openNURBS does. False for a der_count above 64,
  // whose cost grows with its fourth power.
  bool Evaluate(double s, double t, int der_count, int v_stride, double* v, int quadrant = 0,
                int* hint = nullptr) const override;
  // The exact iso-curve, an ON_NurbsCurve with the direction's order, knots and
  // rational flag: each of its CVs blends the CVs across the other direction with
  // the basis functions at c. A c outside the other direction's domain gives the
  // extension of its first or last span, as openNURBS does.
  ON_Curve* IsoCurve(int dir, double c) const override;
  // A periodic knot vector in that direction (ON_IsKnotVectorPeriodic) and the
  // last order - 1 CVs coinciding with the first in the first row along it (index
  // 0 of the other direction). openNURBS compares that row only, so a surface
  // whose other rows do not wrap still counts as periodic.
  bool IsPeriodic(int dir) const override;

  // ON_Geometry
  // The box of the Euclidean CVs (openNURBS's box of a NURBS surface, not a tight
  // one); false for an empty surface or a zero weight.
  bool GetBBox(double* boxmin, double* boxmax, bool grow = false) const override;
  // Transforms the CVs as homogeneous points; a projective transformation makes
  // the surface rational. Dimensions 1 to 3 (missing coordinates taken as 0).
  bool Transform(const ON_Xform& xform) override;

  // The NURBS surface when it is one (a null or another object gives null).
  static ON_NurbsSurface* Cast(ON_Geometry* geometry) { return dynamic_cast<ON_NurbsSurface*>(geometry); }
  static const ON_NurbsSurface* Cast(const ON_Geometry* geometry) {
    return dynamic_cast<const ON_NurbsSurface*>(geometry);
  }

  int m_dim = 0;
  int m_is_rat = 0;
  int m_order[2] = {0, 0};
  int m_cv_count[2] = {0, 0};
  int m_knot_capacity[2] = {0, 0};  // doubles allocated at m_knot[dir]
  double* m_knot[2] = {nullptr, nullptr};
  int m_cv_stride[2] = {0, 0};
  int m_cv_capacity = 0;  // doubles allocated at m_cv
  double* m_cv = nullptr;

 private:
  // The data members agree with each other and with the storage.
  bool Consistent() const;
  // The CV (i, j) without checks; Consistent() and the indices are the caller's.
  const double* At(int i, int j) const {
    return m_cv + static_cast<size_t>(i) * m_cv_stride[0] + static_cast<size_t>(j) * m_cv_stride[1];
  }
};
