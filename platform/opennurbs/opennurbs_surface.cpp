#include "opennurbs_surface.h"

#include <vector>

namespace {

// Evaluates into 3D points and vectors whatever the surface's dimension.
bool Evaluate3d(const ON_Surface& srf, double s, double t, int der_count, ON_3dVector* out, int quadrant,
                int* hint) {
  const int dim = srf.Dimension();
  if (dim < 1 || der_count < 0 || der_count > 2) return false;
  const int count = (der_count + 1) * (der_count + 2) / 2;
  const int stride = dim > 3 ? dim : 3;
  std::vector<double> v(static_cast<size_t>(stride) * count, 0.0);
  if (!srf.Evaluate(s, t, der_count, stride, v.data(), quadrant, hint)) return false;
  for (int k = 0; k < count; ++k) {
    const double* p = v.data() + static_cast<size_t>(k) * stride;
    out[k] = ON_3dVector(p[0], dim > 1 ? p[1] : 0.0, dim > 2 ? p[2] : 0.0);
  }
  return true;
}

}  // namespace

bool ON_Surface::EvPoint(double s, double t, ON_3dPoint& point, int quadrant, int* hint) const {
  ON_3dVector v[1];
  if (!Evaluate3d(*this, s, t, 0, v, quadrant, hint)) return false;
  point = ON_3dPoint(v[0].x, v[0].y, v[0].z);
  return true;
}

bool ON_Surface::Ev1Der(double s, double t, ON_3dPoint& point, ON_3dVector& ds, ON_3dVector& dt, int quadrant,
                        int* hint) const {
  ON_3dVector v[3];
  if (!Evaluate3d(*this, s, t, 1, v, quadrant, hint)) return false;
  point = ON_3dPoint(v[0].x, v[0].y, v[0].z);
  ds = v[1];
  dt = v[2];
  return true;
}

bool ON_Surface::Ev2Der(double s, double t, ON_3dPoint& point, ON_3dVector& ds, ON_3dVector& dt, ON_3dVector& dss,
                        ON_3dVector& dst, ON_3dVector& dtt, int quadrant, int* hint) const {
  ON_3dVector v[6];
  if (!Evaluate3d(*this, s, t, 2, v, quadrant, hint)) return false;
  point = ON_3dPoint(v[0].x, v[0].y, v[0].z);
  ds = v[1];
  dt = v[2];
  dss = v[3];
  dst = v[4];
  dtt = v[5];
  return true;
}

ON_3dPoint ON_Surface::PointAt(double s, double t) const {
  ON_3dPoint p;
  return EvPoint(s, t, p) ? p : ON_3dPoint::UnsetPoint;
}

bool ON_Surface::IsPeriodic(int) const { return false; }
