#include "ZTKVector.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// The vector divided by its largest component's size, so that the products below
// neither overflow nor underflow whatever the vectors' scale.
ON_3dVector Scaled(const ON_3dVector& v) {
  const double m = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
  return m > 0.0 ? v * (1.0 / m) : v;
}
}  // namespace

double ZTKVector::Angle(const ON_3dVector& a, const ON_3dVector& b, const ON_3dVector& normal, int) {
  for (const ON_3dVector* v : {&a, &b, &normal})
    if (!std::isfinite(v->x) || !std::isfinite(v->y) || !std::isfinite(v->z))
      return std::numeric_limits<double>::quiet_NaN();
  if (a.IsZero() || b.IsZero()) return 0.0;
  const ON_3dVector sa = Scaled(a), sb = Scaled(b);
  const ON_3dVector cross = ON_CrossProduct(sa, sb);
  const double theta = std::atan2(cross.Length(), ON_DotProduct(sa, sb));
  if (ON_DotProduct(cross, Scaled(normal)) >= 0.0) return theta;
  const double angle = 2.0 * ON_PI - theta;
  return angle < 2.0 * ON_PI ? angle : 0.0;
}
