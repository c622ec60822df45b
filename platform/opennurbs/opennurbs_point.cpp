#include "opennurbs_point.h"

#include <cmath>

const ON_3dPoint ON_origin(0.0, 0.0, 0.0);
const ON_3dVector ON_xaxis(1.0, 0.0, 0.0);
const ON_3dVector ON_yaxis(0.0, 1.0, 0.0);
const ON_3dVector ON_zaxis(0.0, 0.0, 1.0);

const ON_3dPoint ON_3dPoint::UnsetPoint(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE);
const ON_3dVector ON_3dVector::ZeroVector(0.0, 0.0, 0.0);
const ON_3dVector ON_3dVector::UnsetVector(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE);

namespace {
bool Coincident(double a, double b) {
  return std::fabs(a - b) <= ON_ZERO_TOLERANCE + ON_RELATIVE_TOLERANCE * (std::fabs(a) + std::fabs(b));
}
}  // namespace

bool ON_PointsAreCoincident(int dim, bool is_rat, const double* pointA, const double* pointB) {
  if (dim < 1 || !pointA || !pointB) return false;
  double wa = 1.0, wb = 1.0;
  if (is_rat) {
    wa = pointA[dim];
    wb = pointB[dim];
    if (wa == 0.0 || wb == 0.0) {
      if (wa != wb) return false;
      wa = wb = 1.0;
    } else {
      wa = 1.0 / wa;
      wb = 1.0 / wb;
    }
  }
  for (int i = 0; i < dim; ++i)
    if (!Coincident(pointA[i] * wa, pointB[i] * wb)) return false;
  return true;
}
