// The abstract parametric surface with the openNURBS names and meanings: a map
// from the rectangle Domain(0) x Domain(1) into space, evaluated with its partial
// derivatives by Evaluate, with curves of constant parameter (IsoCurve).
#pragma once

#include "opennurbs_geometry.h"
#include "opennurbs_interval.h"
#include "opennurbs_point.h"

class ON_Curve;
class ON_TextLog;

class ON_Surface : public ON_Geometry {
 public:
  ON_Surface() = default;
  ON_Surface(const ON_Surface&) = default;
  ON_Surface& operator=(const ON_Surface&) = default;
  ~ON_Surface() override = default;

  // True when the surface can be evaluated and means what its data says; nothing
  // is written to the log, which may be null.
  virtual bool IsValid(ON_TextLog* text_log = nullptr) const = 0;

  // The parameter interval of direction 0 (the first parameter, s or u) or 1 (t
  // or v); the unset interval for another direction or an empty surface.
  virtual ON_Interval Domain(int dir) const = 0;

  // The point and the partial derivatives up to order der_count at (s, t): v
  // receives (der_count + 1)(der_count + 2) / 2 entries of Dimension() numbers,
  // v_stride apart, in the order P, Ds, Dt, Dss, Dst, Dtt, Dsss... quadrant picks
  // the side at a kink or a seam: 0 the default, 1 to 4 the quadrants of the
  // (s, t) plane around the point (1: from above in both, 2: below in s, 3: below
  // in both, 4: below in t). hint may be null. False when the surface cannot be
  // evaluated there (an invalid surface, a zero weight); v is then unspecified.
  virtual bool Evaluate(double s, double t, int der_count, int v_stride, double* v, int quadrant = 0,
                        int* hint = nullptr) const = 0;

  // Evaluate into a 3D point and vectors (coordinates beyond Dimension() are 0).
  bool EvPoint(double s, double t, ON_3dPoint& point, int quadrant = 0, int* hint = nullptr) const;
  bool Ev1Der(double s, double t, ON_3dPoint& point, ON_3dVector& ds, ON_3dVector& dt, int quadrant = 0,
              int* hint = nullptr) const;
  bool Ev2Der(double s, double t, ON_3dPoint& point, ON_3dVector& ds, ON_3dVector& dt, ON_3dVector& dss,
              ON_3dVector& dst, ON_3dVector& dtt, int quadrant = 0, int* hint = nullptr) const;
  // The point at (s, t), or ON_3dPoint::UnsetPoint when it cannot be evaluated.
  ON_3dPoint PointAt(double s, double t) const;

  // The curve of constant parameter: direction 0 gives the curve along the first
  // parameter at the second parameter c, direction 1 the curve along the second
  // parameter at the first parameter c. A new curve the caller deletes, or null
  // for an invalid surface, a direction other than 0 and 1, or an invalid c.
  virtual ON_Curve* IsoCurve(int dir, double c) const = 0;

  // Periodic in a direction: smooth across the seam where the direction's ends
  // meet. No surface is, unless its kind says so.
  virtual bool IsPeriodic(int dir) const;

  // The surface when it is one (a null or another object gives null).
  static ON_Surface* Cast(ON_Geometry* geometry) { return dynamic_cast<ON_Surface*>(geometry); }
  static const ON_Surface* Cast(const ON_Geometry* geometry) { return dynamic_cast<const ON_Surface*>(geometry); }
};
