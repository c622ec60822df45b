// Axis-aligned boxes with the openNURBS names and meanings. A box whose minimum
// exceeds its maximum in any coordinate is empty (not valid); the default box is.
#pragma once

#include "opennurbs_point.h"

class ON_BoundingBox {
 public:
  ON_BoundingBox() : m_min(1.0, 0.0, 0.0), m_max(-1.0, 0.0, 0.0) {}
  ON_BoundingBox(const ON_3dPoint& mn, const ON_3dPoint& mx) : m_min(mn), m_max(mx) {}

  bool IsValid() const {
    return m_min.x <= m_max.x && m_min.y <= m_max.y && m_min.z <= m_max.z;
  }
  void Destroy() { *this = ON_BoundingBox(); }
  ON_3dPoint Min() const { return m_min; }
  ON_3dPoint Max() const { return m_max; }
  ON_3dPoint Center() const { return (m_min + (m_max - m_min) * 0.5); }
  ON_3dVector Diagonal() const { return m_max - m_min; }
  // Grows the box to hold the point (a NaN coordinate is skipped by the comparisons).
  void Set(const ON_3dPoint& p, bool grow) {
    if (!grow || !IsValid()) {
      m_min = m_max = p;
      return;
    }
    for (int i = 0; i < 3; ++i) {
      if (p[i] < m_min[i]) m_min[i] = p[i];
      if (p[i] > m_max[i]) m_max[i] = p[i];
    }
  }
  bool IsPointIn(const ON_3dPoint& p) const {
    return IsValid() && p.x >= m_min.x && p.y >= m_min.y && p.z >= m_min.z && p.x <= m_max.x &&
           p.y <= m_max.y && p.z <= m_max.z;
  }

  ON_3dPoint m_min;
  ON_3dPoint m_max;
};
