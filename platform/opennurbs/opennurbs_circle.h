// Circles with the openNURBS names and meanings: a plane whose origin is the
// centre and a radius; the point at angle t is
// centre + radius (cos t xaxis + sin t yaxis), counter-clockwise about the normal.
#pragma once

#include "opennurbs_bounding_box.h"
#include "opennurbs_plane.h"

class ON_NurbsCurve;

class ON_Circle {
 public:
  // The unit circle of the world x-y plane.
  ON_Circle();
  ON_Circle(const ON_Plane& plane, double radius);
  // In the plane through the centre parallel to the world x-y plane.
  ON_Circle(const ON_3dPoint& center, double radius);
  // In `plane` moved to the centre.
  ON_Circle(const ON_Plane& plane, const ON_3dPoint& center, double radius);

  bool Create(const ON_Plane& plane, double radius);
  bool Create(const ON_3dPoint& center, double radius);
  bool Create(const ON_Plane& plane, const ON_3dPoint& center, double radius);

  // Valid: a valid plane and a finite radius above zero.
  bool IsValid() const;

  const ON_Plane& Plane() const { return plane; }
  const ON_3dPoint& Center() const { return plane.origin; }
  const ON_3dVector& Normal() const { return plane.zaxis; }
  double Radius() const { return radius; }
  double Diameter() const { return 2.0 * radius; }
  double Circumference() const { return 2.0 * ON_PI * std::fabs(radius); }

  ON_3dPoint PointAt(double t) const;
  // The derivative of order der at angle t (the 0th is the point's offset from
  // the centre).
  ON_3dVector DerivativeAt(int der, double t) const;
  ON_3dVector TangentAt(double t) const;

  // True when every point of the circle lies within `tolerance` of the plane:
  // the centre's distance plus radius times the sine of the angle between the two
  // normals. As in openNURBS the circle need not be valid (one of radius 0 is its
  // centre); NaN anywhere gives false.
  bool IsInPlane(const ON_Plane& plane, double tolerance) const;

  // The rational quadratic form: 9 CVs, four spans of a quarter turn each, knots
  // at the angles 0, pi/2, pi, 3pi/2, 2pi (each twice), closed but not periodic.
  // 2 (exact, parameterised otherwise than by the angle between the knots), or 0
  // and an empty curve for an invalid circle.
  int GetNurbForm(ON_NurbsCurve& nurbs_curve) const;

  ON_BoundingBox BoundingBox() const;
  // Rigid motions and uniform scales (the radius scales with them); false, and
  // the circle unchanged, for any other map.
  bool Transform(const ON_Xform& xform);
  bool Translate(const ON_3dVector& delta);
  // Runs the other way: the y axis and the normal reversed.
  void Reverse();

  ON_Plane plane;
  double radius = 1.0;
};
