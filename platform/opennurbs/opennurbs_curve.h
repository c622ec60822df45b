// The abstract parametric curve with the openNURBS names and meanings: a map from
// the parameter interval Domain() into space, evaluated with its derivatives by
// Evaluate, and convertible to the NURBS form that every curve kind here has.
#pragma once

#include "opennurbs_array.h"
#include "opennurbs_geometry.h"
#include "opennurbs_interval.h"
#include "opennurbs_point.h"

class ON_TextLog;
class ON_NurbsCurve;

class ON_Curve : public ON_Geometry {
 public:
  ON_Curve() = default;
  ON_Curve(const ON_Curve&) = default;
  ON_Curve& operator=(const ON_Curve&) = default;
  ~ON_Curve() override = default;

  // The geometry as a curve, or null when it is none.
  static ON_Curve* Cast(ON_Geometry* geometry) { return dynamic_cast<ON_Curve*>(geometry); }
  static const ON_Curve* Cast(const ON_Geometry* geometry) { return dynamic_cast<const ON_Curve*>(geometry); }

  // A new copy of the curve, of its own kind, that the caller deletes.
  virtual ON_Curve* DuplicateCurve() const = 0;
  // True when the curve can be evaluated and means what its data says; nothing is
  // written to the log, which may be null.
  virtual bool IsValid(ON_TextLog* text_log = nullptr) const = 0;

  virtual ON_Interval Domain() const = 0;

  // The point and der_count derivatives at t: v receives der_count + 1 entries of
  // Dimension() numbers, v_stride (>= Dimension()) apart. side < 0 evaluates from
  // below where the curve has a kink or a seam, side >= 0 from above; hint may be
  // null. False when the curve cannot be evaluated at t (an invalid curve, a zero
  // weight); v is then unspecified.
  virtual bool Evaluate(double t, int der_count, int v_stride, double* v, int side = 0, int* hint = nullptr) const = 0;

  // Evaluate into 3D points and vectors (coordinates beyond Dimension() are 0).
  bool EvPoint(double t, ON_3dPoint& point, int side = 0, int* hint = nullptr) const;
  bool Ev1Der(double t, ON_3dPoint& point, ON_3dVector& derivative, int side = 0, int* hint = nullptr) const;
  bool Ev2Der(double t, ON_3dPoint& point, ON_3dVector& first_derivative, ON_3dVector& second_derivative,
              int side = 0, int* hint = nullptr) const;

  // The point at t, or ON_3dPoint::UnsetPoint when it cannot be evaluated.
  ON_3dPoint PointAt(double t) const;
  ON_3dPoint PointAtStart() const;  // at Domain()[0]
  ON_3dPoint PointAtEnd() const;    // at Domain()[1]
  // The first derivative at t, or ON_3dVector::UnsetVector when it cannot be
  // evaluated.
  ON_3dVector DerivativeAt(double t) const;
  // The unit tangent at t; where the first derivative vanishes, the direction of
  // the first higher derivative that does not. The zero vector when there is none
  // or the curve cannot be evaluated.
  ON_3dVector TangentAt(double t) const;

  // Closed: the start and the end point coincide (ON_PointsAreCoincident) while
  // the points at a third and at two thirds of the domain coincide with neither,
  // so that a curve collapsed to a point or folded back onto itself is not closed.
  virtual bool IsClosed() const;
  // Periodic: a smooth closed curve with no seam. No curve is, unless its kind says so.
  virtual bool IsPeriodic() const;

  // Writes the NURBS form of the curve (over `subdomain` when it is given and
  // differs from the domain) into nurbs_curve, with the same parameterisation.
  // Returns 0 when there is none, 1 when the form is exact, 2 when it is an
  // approximation within `tolerance`. The base has none.
  virtual int GetNurbForm(ON_NurbsCurve& nurbs_curve, double tolerance = 0.0,
                          const ON_Interval* subdomain = nullptr) const;
  // 0: no NURBS form; 1: GetNurbForm is exact with the same parameterisation; 2:
  // exact with another parameterisation.
  virtual int HasNurbForm() const;
};

// Curves made with new, owned by the array: Destroy and the destructor delete
// them. Not copyable, so that no curve is owned twice.
class ON_CurveArray : public ON_SimpleArray<ON_Curve*> {
 public:
  explicit ON_CurveArray(int initial_capacity = 0) : ON_SimpleArray<ON_Curve*>(initial_capacity) {}
  ON_CurveArray(const ON_CurveArray&) = delete;
  ON_CurveArray& operator=(const ON_CurveArray&) = delete;
  ~ON_CurveArray() override { Destroy(); }

  // Deletes every curve, empties the array and frees its storage.
  void Destroy();
};
