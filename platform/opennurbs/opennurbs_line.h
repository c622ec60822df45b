// Lines, point lists and polylines with the openNURBS names and meanings.
#pragma once

#include "opennurbs_array.h"
#include "opennurbs_bounding_box.h"
#include "opennurbs_point.h"
#include "opennurbs_xform.h"

// The segment from `from` to `to`, parameterised over [0, 1].
class ON_Line {
 public:
  ON_Line() = default;
  ON_Line(const ON_3dPoint& start, const ON_3dPoint& end) : from(start), to(end) {}

  ON_3dPoint& operator[](int i) { return i ? to : from; }
  const ON_3dPoint& operator[](int i) const { return i ? to : from; }

  // Valid: both ends valid points and distinct.
  bool IsValid() const { return from.IsValid() && to.IsValid() && from != to; }
  double Length() const { return from.DistanceTo(to); }
  ON_3dVector Direction() const { return to - from; }
  // The unit direction, or the zero vector for a zero-length line.
  ON_3dVector Tangent() const { return Direction().UnitVector(); }
  // from at 0, to at 1 (exactly), linear in between.
  ON_3dPoint PointAt(double t) const;
  // The parameter of the point of the infinite line closest to p; false for a
  // zero-length line.
  bool ClosestPointTo(const ON_3dPoint& p, double* t) const;
  ON_3dPoint ClosestPointTo(const ON_3dPoint& p) const;
  // The distance from p to the segment (not the infinite line).
  double DistanceTo(const ON_3dPoint& p) const;
  ON_BoundingBox BoundingBox() const;
  bool Transform(const ON_Xform& xform);

  ON_3dPoint from;
  ON_3dPoint to;
};

class ON_3dPointArray : public ON_SimpleArray<ON_3dPoint> {
 public:
  ON_3dPointArray() = default;
  explicit ON_3dPointArray(int initial_capacity) : ON_SimpleArray<ON_3dPoint>(initial_capacity) {}

  void Append(const ON_3dPoint& p) { ON_SimpleArray<ON_3dPoint>::Append(p); }
  void Append(int count, const ON_3dPoint* p) { ON_SimpleArray<ON_3dPoint>::Append(count, p); }
  void Append(double x, double y, double z) { Append(ON_3dPoint(x, y, z)); }

  // The box of the points; an empty (not valid) box for no points.
  ON_BoundingBox BoundingBox() const;
  bool Transform(const ON_Xform& xform);
};

// A chain of segments through its points in order, parameterised so that point i
// is at i (segment i runs over [i, i + 1]).
class ON_Polyline : public ON_3dPointArray {
 public:
  ON_Polyline() = default;
  ON_Polyline(const ON_3dPointArray& points) : ON_3dPointArray(points) {}  // NOLINT: as in openNURBS

  int PointCount() const { return Count(); }
  int SegmentCount() const { return Count() > 0 ? Count() - 1 : 0; }
  // Valid: at least two points, all valid, no segment of length at most
  // `tolerance`, and at least four points when the last returns to the first
  // (three points that do enclose nothing).
  bool IsValid(double tolerance = 0.0) const;
  // Closed: at least four points, the last within `tolerance` of the first (with
  // tolerance 0, coinciding as ON_PointsAreCoincident decides), and some point
  // away from the first, so that a chain collapsed to a point is not closed.
  bool IsClosed(double tolerance = 0.0) const;
  double Length() const;
  // The point at t (see above), clamped to the ends; the unset point when there
  // are no points.
  ON_3dPoint PointAt(double t) const;
};
