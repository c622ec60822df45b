// Circular arcs with the openNURBS names and meanings: a circle and an
// increasing angle interval, so an arc always runs counter-clockwise about its
// plane's normal. An arc asked for with a negative angle is made with the
// plane's y axis and normal reversed instead (it runs clockwise about the plane
// it was given), and an angle interval longer than a full turn is cut to one.
#pragma once

#include "opennurbs_circle.h"
#include "opennurbs_interval.h"

class ON_Arc : public ON_Circle {
 public:
  // The unit circle of the world x-y plane, as a full turn.
  ON_Arc();
  ON_Arc(const ON_Circle& circle, double angle_radians);
  ON_Arc(const ON_Circle& circle, const ON_Interval& angle_interval_radians);
  ON_Arc(const ON_Plane& plane, double radius, double angle_radians);
  ON_Arc(const ON_3dPoint& center, double radius, double angle_radians);
  ON_Arc(const ON_Plane& plane, const ON_3dPoint& center, double radius, double angle_radians);

  // The arc over [0, angle] of the circle (see above for a negative angle); true
  // when the result is valid.
  bool Create(const ON_Circle& circle, double angle_radians);
  // The arc over the interval: a decreasing one [a, b] becomes [-a, -b] on the
  // reversed plane; one longer than 2 pi keeps its start and is cut to 2 pi.
  bool Create(const ON_Circle& circle, const ON_Interval& angle_interval_radians);
  bool Create(const ON_Plane& plane, double radius, double angle_radians);
  // The circle of `plane` moved to the centre.
  bool Create(const ON_Plane& plane, const ON_3dPoint& center, double radius, double angle_radians);
  // In the plane through the centre parallel to the world x-y plane.
  bool Create(const ON_3dPoint& center, double radius, double angle_radians);

  // Valid: a valid circle and an increasing angle interval longer than
  // ON_ZERO_TOLERANCE and no longer than 2 pi (+ ON_ZERO_TOLERANCE).
  bool IsValid() const;
  // A full turn: the interval's length within ON_ZERO_TOLERANCE of 2 pi.
  bool IsCircle() const;

  ON_Interval Domain() const { return m_angle; }
  ON_Interval DomainRadians() const { return m_angle; }
  double AngleRadians() const { return m_angle[1] - m_angle[0]; }
  double AngleDegrees() const { return AngleRadians() * (180.0 / ON_PI); }
  // Sets the interval as Create does; true when the arc is then valid.
  bool SetAngleIntervalRadians(const ON_Interval& angle_interval_radians);

  ON_3dPoint StartPoint() const { return PointAt(m_angle[0]); }
  ON_3dPoint MidPoint() const { return PointAt(m_angle.Mid()); }
  ON_3dPoint EndPoint() const { return PointAt(m_angle[1]); }
  double Length() const { return std::fabs(radius * AngleRadians()); }

  // The rational quadratic form over the angle interval: one span for up to a
  // quarter turn, two up to a half turn, four beyond (each limit with a margin of
  // 2 ON_SQRT_EPSILON of itself), knots at the span ends, each twice, so 3, 5 or
  // 9 CVs; the end CVs lie on the arc with weight 1, the middle CV of a span of
  // angle a at the crossing of the end tangents with weight cos(a / 2); the last
  // CV of a full turn is the first, so the form closes exactly. 2 (exact,
  // parameterised otherwise than by the angle between the knots), or 0 and an
  // empty curve for an arc that is not valid.
  int GetNurbForm(ON_NurbsCurve& nurbs_curve) const;

  ON_BoundingBox BoundingBox() const;
  bool Transform(const ON_Xform& xform);
  // Runs the other way over [-b, -a] of the reversed plane: the same points.
  bool Reverse();

  ON_Interval m_angle;
};
