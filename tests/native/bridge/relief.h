// The bicubic relief of the stand-in host's surface tests (surface_arrays.h) as the
// openNURBS surface a client of the bridge holds: the same control points in model
// units, and the knots as openNURBS stores them, each end once less.
#pragma once

#include <vector>

#include "opennurbs.h"
#include "surface_arrays.h"

namespace bridgetest {

inline ON_NurbsSurface ReliefSurface(int countU = 4) {
  const surfaces::Relief relief{1.0, countU};
  const surfaces::BSplineIn arrays = relief.Surface();
  ON_NurbsSurface s(3, false, 4, 4, countU, 4);
  for (size_t k = 1; k + 1 < arrays.uKnots.size(); ++k) s.SetKnot(0, static_cast<int>(k - 1), arrays.uKnots[k]);
  for (size_t k = 1; k + 1 < arrays.vKnots.size(); ++k) s.SetKnot(1, static_cast<int>(k - 1), arrays.vKnots[k]);
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < countU; ++i) {
      const surfaces::P3 p = relief.Cv(i, j);
      s.SetCV(i, j, ON_3dPoint(p[0], p[1], p[2]));
    }
  return s;
}

}  // namespace bridgetest
