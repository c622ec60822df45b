// The base of geometric objects, with the openNURBS names and meanings: every
// motion (Rotate, Translate, Scale) is expressed as an ON_Xform and applied by the
// object's own Transform.
#pragma once

#include "opennurbs_bounding_box.h"
#include "opennurbs_point.h"
#include "opennurbs_xform.h"

class ON_Geometry {
 public:
  ON_Geometry() = default;
  ON_Geometry(const ON_Geometry&) = default;
  ON_Geometry& operator=(const ON_Geometry&) = default;
  virtual ~ON_Geometry() = default;

  virtual int Dimension() const = 0;
  // Writes the box of the object into boxmin/boxmax (Dimension() doubles each),
  // or grows the box already there when `grow` is true; false for an empty object.
  virtual bool GetBBox(double* boxmin, double* boxmax, bool grow = false) const = 0;
  // Applies the transformation in place; false when it cannot be applied.
  virtual bool Transform(const ON_Xform& xform) = 0;

  ON_BoundingBox BoundingBox() const;
  bool GetBoundingBox(ON_BoundingBox& box, bool grow = false) const;

  // The angle in radians, counter-clockwise when seen from the tip of the axis.
  bool Rotate(double angle, const ON_3dVector& axis, const ON_3dPoint& center);
  bool Rotate(double sin_angle, double cos_angle, const ON_3dVector& axis, const ON_3dPoint& center);
  bool Translate(const ON_3dVector& delta);
  bool Scale(double s);
};
