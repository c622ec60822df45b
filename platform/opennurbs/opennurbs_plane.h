// Planes with the openNURBS names and meanings: an origin and a right-handed
// orthonormal frame (xaxis, yaxis, zaxis), zaxis the normal, and the plane
// equation kept beside them.
#pragma once

#include "opennurbs_point.h"
#include "opennurbs_xform.h"

// a x + b y + c z + d = 0, with (x, y, z) = (a, b, c) the unit normal.
class ON_PlaneEquation {
 public:
  ON_PlaneEquation() = default;
  ON_PlaneEquation(double a, double b, double c, double e) : x(a), y(b), z(c), d(e) {}
  // The signed distance of p from the plane for a unit normal.
  double ValueAt(const ON_3dPoint& p) const { return x * p.x + y * p.y + z * p.z + d; }
  bool IsValid() const { return ON_IsValid(x) && ON_IsValid(y) && ON_IsValid(z) && ON_IsValid(d); }

  double x = 0.0, y = 0.0, z = 0.0, d = 0.0;
};

class ON_Plane {
 public:
  // The world x-y plane.
  ON_Plane();
  // CreateFromNormal(origin, normal); the result is not valid when that fails.
  ON_Plane(const ON_3dPoint& origin, const ON_3dVector& normal);
  // CreateFromFrame(origin, x_dir, y_dir); the result is not valid when that fails.
  ON_Plane(const ON_3dPoint& origin, const ON_3dVector& x_dir, const ON_3dVector& y_dir);

  static const ON_Plane World_xy;  // origin (0, 0, 0), axes x, y, z
  static const ON_Plane World_yz;  // axes y, z, x
  static const ON_Plane World_zx;  // axes z, x, y
  static const ON_Plane UnsetPlane;

  // The plane through origin with the unit normal along `normal` and the x axis
  // along normal.PerpendicularTo (so the normal (0, 0, 1) gives the world x-y
  // plane moved to origin). False, and UnsetPlane, for a zero or non-finite
  // normal.
  bool CreateFromNormal(const ON_3dPoint& origin, const ON_3dVector& normal);
  // The plane through origin whose x axis is along x_dir and whose y axis is the
  // part of y_dir perpendicular to it (Gram-Schmidt), normal x cross y. False when
  // either vector is zero or not finite, or they are parallel: the part of y_dir
  // perpendicular to x_dir is no longer than ON_SQRT_EPSILON times y_dir, below
  // which its direction would be rounding noise. On failure the plane is
  // UnsetPlane, so that nothing goes on with a frame of noise.
  bool CreateFromFrame(const ON_3dPoint& origin, const ON_3dVector& x_dir, const ON_3dVector& y_dir);

  // Valid: a valid origin, unit axes that are mutually perpendicular and right-
  // handed (each within ON_SQRT_EPSILON), and a valid equation.
  bool IsValid() const;
  // Recomputes the equation from the origin and the normal.
  bool UpdateEquation();

  const ON_3dPoint& Origin() const { return origin; }
  const ON_3dVector& Xaxis() const { return xaxis; }
  const ON_3dVector& Yaxis() const { return yaxis; }
  const ON_3dVector& Normal() const { return zaxis; }

  // origin + s xaxis + t yaxis (+ c zaxis).
  ON_3dPoint PointAt(double s, double t) const;
  ON_3dPoint PointAt(double s, double t, double c) const;
  // The signed distance of p from the plane, positive on the normal's side.
  double DistanceTo(const ON_3dPoint& p) const;
  // The foot of p on the plane, and its frame coordinates when asked for.
  ON_3dPoint ClosestPointTo(const ON_3dPoint& p) const;
  bool ClosestPointTo(const ON_3dPoint& p, double* s, double* t) const;

  // Maps the plane; the axes are renormalised, so only maps that keep angles
  // (rigid motions and uniform scales) give the image plane; false when the
  // image is not a valid plane.
  bool Transform(const ON_Xform& xform);
  // Swaps the x and y axes and reverses the normal.
  void Flip();

  ON_3dPoint origin;
  ON_3dVector xaxis;
  ON_3dVector yaxis;
  ON_3dVector zaxis;
  ON_PlaneEquation plane_equation;
};
