#include "opennurbs_point.h"

#include <cmath>

#include "opennurbs_xform.h"

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

bool ON_3dVector::PerpendicularTo(const ON_3dVector& v) {
  const double ax = std::fabs(v.x), ay = std::fabs(v.y), az = std::fabs(v.z);
  // Drop the smallest component (the last of equal ones) and turn the other two
  // by a quarter in their plane.
  if (ax < ay && ax < az) {
    *this = ON_3dVector(0.0, v.z, -v.y);
  } else if (ay < az) {
    *this = ON_3dVector(v.z, 0.0, -v.x);
  } else {
    *this = ON_3dVector(-v.y, v.x, 0.0);
  }
  // +0 turns a -0 into +0, so axis-aligned results read plainly.
  x += 0.0;
  y += 0.0;
  z += 0.0;
  if (IsZero() || !IsValid()) {
    Zero();
    return false;
  }
  return true;
}

bool ON_3dVector::Rotate(double angle, const ON_3dVector& axis) {
  if (!std::isfinite(angle)) return false;
  return Rotate(std::sin(angle), std::cos(angle), axis);
}

bool ON_3dVector::Rotate(double sin_angle, double cos_angle, const ON_3dVector& axis) {
  ON_Xform r;
  if (!r.Rotation(sin_angle, cos_angle, axis, ON_origin)) return false;
  *this = r * *this;
  return true;
}
