// Vector helpers on openNURBS vectors.
#pragma once

#include "opennurbs.h"

class ZTKVector {
 public:
  // The angle in radians, in [0, 2 pi), through which `a` turns counter-
  // clockwise about `normal` (seen from its tip) to reach `b`.
  //
  // The angle between the two vectors, theta = atan2(|a x b|, a . b) in [0, pi],
  // is the answer when a x b points to the side of `normal` or is zero (so
  // opposite vectors give exactly pi), and 2 pi - theta when it points away.
  // For vectors perpendicular to `normal` this is the counter-clockwise angle in
  // the plane; for others it is still the true angle between them, turned the
  // way `normal` says, which is what an arc from a to b about that side needs.
  // 0 when either vector is zero; NaN when any input is not finite. `reserved` is
  // not used.
  static double Angle(const ON_3dVector& a, const ON_3dVector& b, const ON_3dVector& normal, int reserved);
};
