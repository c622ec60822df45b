#include "opennurbs_cv.h"

#include <cstdlib>
#include <cstring>

namespace on_detail {

bool ReserveDoubles(double*& p, int& capacity, int needed) {
  if (needed <= capacity && p) return true;
  if (needed <= 0) return false;
  double* q = static_cast<double*>(std::calloc(static_cast<size_t>(needed), sizeof(double)));
  if (!q) return false;
  if (p && capacity > 0) {
    std::memcpy(q, p, sizeof(double) * static_cast<size_t>(capacity));
    std::free(p);
  }
  p = q;
  capacity = needed;
  return true;
}

void ReleaseDoubles(double*& p, int& capacity) {
  if (p && capacity > 0) std::free(p);
  p = nullptr;
  capacity = 0;
}

void SetCV(int dim, bool is_rat, double* cv, const ON_3dPoint& point) {
  for (int i = 0; i < dim; ++i) cv[i] = i < 3 ? point[i] : 0.0;
  if (is_rat) cv[dim] = 1.0;
}

bool SetCV(int dim, bool is_rat, double* cv, const ON_4dPoint& point) {
  if (is_rat) {
    for (int i = 0; i < dim; ++i) cv[i] = i < 3 ? point[i] : 0.0;
    cv[dim] = point.w;
    return true;
  }
  if (point.w == 0.0) return false;
  const double s = 1.0 / point.w;
  for (int i = 0; i < dim; ++i) cv[i] = i < 3 ? point[i] * s : 0.0;
  return true;
}

bool GetCV(int dim, bool is_rat, const double* cv, ON_3dPoint& point) {
  const double s = !is_rat ? 1.0 : cv[dim] != 0.0 ? 1.0 / cv[dim] : 0.0;
  if (s == 0.0) {
    point = ON_3dPoint::UnsetPoint;
    return false;
  }
  point = ON_3dPoint(0.0, 0.0, 0.0);
  for (int i = 0; i < dim && i < 3; ++i) point[i] = cv[i] * s;
  return true;
}

void GetCV(int dim, bool is_rat, const double* cv, ON_4dPoint& point) {
  point = ON_4dPoint(0.0, 0.0, 0.0, is_rat ? cv[dim] : 1.0);
  for (int i = 0; i < dim && i < 3; ++i) point[i] = cv[i];
}

bool GrowBox(int dim, bool is_rat, const double* cv, bool first, double* boxmin, double* boxmax) {
  double s = 1.0;
  if (is_rat) {
    if (cv[dim] == 0.0) return false;
    s = 1.0 / cv[dim];
  }
  for (int k = 0; k < dim; ++k) {
    const double x = cv[k] * s;
    if (first) {
      boxmin[k] = boxmax[k] = x;
    } else {
      if (x < boxmin[k]) boxmin[k] = x;
      if (x > boxmax[k]) boxmax[k] = x;
    }
  }
  return true;
}

bool IsProjective(const ON_Xform& xform) {
  const double(&m)[4][4] = xform.m_xform;
  return m[3][0] != 0.0 || m[3][1] != 0.0 || m[3][2] != 0.0 || m[3][3] != 1.0;
}

void TransformCV(const ON_Xform& xform, int dim, bool is_rat, double* cv) {
  const double(&m)[4][4] = xform.m_xform;
  double p[4] = {0.0, 0.0, 0.0, is_rat ? cv[dim] : 1.0};
  for (int k = 0; k < dim; ++k) p[k] = cv[k];
  double q[4];
  for (int r = 0; r < 4; ++r) q[r] = m[r][0] * p[0] + m[r][1] * p[1] + m[r][2] * p[2] + m[r][3] * p[3];
  for (int k = 0; k < dim; ++k) cv[k] = q[k];
  if (is_rat) cv[dim] = q[3];
}

}  // namespace on_detail
