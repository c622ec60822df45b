#include "opennurbs_xform.h"

#include <cmath>

namespace {
// Within this distance of 0 or 1 a sine or cosine is taken as exact.
constexpr double kSnap = 1.490116119385e-08;
}  // namespace

const ON_Xform ON_identity_transformation;

ON_Xform::ON_Xform(double diagonal) {
  Zero();
  m_xform[0][0] = m_xform[1][1] = m_xform[2][2] = diagonal;
  m_xform[3][3] = 1.0;
}

void ON_Xform::Zero() {
  for (auto& row : m_xform)
    for (double& v : row) v = 0.0;
}

void ON_Xform::Identity() {
  Zero();
  for (int i = 0; i < 4; ++i) m_xform[i][i] = 1.0;
}

bool ON_Xform::IsIdentity() const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (m_xform[i][j] != (i == j ? 1.0 : 0.0)) return false;
  return true;
}

bool ON_Xform::IsValid() const {
  for (const auto& row : m_xform)
    for (double v : row)
      if (!std::isfinite(v)) return false;
  return true;
}

bool ON_Xform::Rotation(double s, double c, const ON_3dVector& axisIn, const ON_3dPoint& center) {
  Identity();
  if (!std::isfinite(s) || !std::isfinite(c) || !std::isfinite(center.x) || !std::isfinite(center.y) ||
      !std::isfinite(center.z))
    return false;
  ON_3dVector a = axisIn;
  if (!a.Unitize()) return false;

  // Snap first, so that an angle like -pi/2, whose cosine comes out as 6e-17,
  // gives the exact quarter turn.
  if (std::fabs(c) <= kSnap) c = 0.0;
  if (std::fabs(s) <= kSnap) s = 0.0;
  if (std::fabs(std::fabs(c) - 1.0) <= kSnap) {
    c = c < 0.0 ? -1.0 : 1.0;
    s = 0.0;
  }
  if (std::fabs(std::fabs(s) - 1.0) <= kSnap) {
    s = s < 0.0 ? -1.0 : 1.0;
    c = 0.0;
  }
  if (s == 0.0 && c == 0.0) return false;
  const double r = s * s + c * c;
  if (std::fabs(r - 1.0) > kSnap) {  // rounding noise of sin and cos is left alone
    const double len = std::sqrt(r);
    s /= len;
    c /= len;
  }

  const double t = 1.0 - c;
  // Rodrigues' formula: R = c I + s [a]x + (1 - c) a a^T.
  m_xform[0][0] = t * a.x * a.x + c;
  m_xform[0][1] = t * a.x * a.y - s * a.z;
  m_xform[0][2] = t * a.x * a.z + s * a.y;
  m_xform[1][0] = t * a.y * a.x + s * a.z;
  m_xform[1][1] = t * a.y * a.y + c;
  m_xform[1][2] = t * a.y * a.z - s * a.x;
  m_xform[2][0] = t * a.z * a.x - s * a.y;
  m_xform[2][1] = t * a.z * a.y + s * a.x;
  m_xform[2][2] = t * a.z * a.z + c;
  // The centre stays put: translation = center - R * center.
  for (int i = 0; i < 3; ++i)
    m_xform[i][3] = center[i] - (m_xform[i][0] * center.x + m_xform[i][1] * center.y + m_xform[i][2] * center.z);
  return true;
}

bool ON_Xform::Rotation(double angle, const ON_3dVector& axis, const ON_3dPoint& center) {
  return Rotation(std::sin(angle), std::cos(angle), axis, center);
}

void ON_Xform::Translation(const ON_3dVector& d) { Translation(d.x, d.y, d.z); }

void ON_Xform::Translation(double dx, double dy, double dz) {
  Identity();
  m_xform[0][3] = dx;
  m_xform[1][3] = dy;
  m_xform[2][3] = dz;
}

void ON_Xform::Scale(double s) { *this = ON_Xform(s); }

ON_Xform ON_Xform::operator*(const ON_Xform& b) const {
  ON_Xform r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m_xform[i][j] = m_xform[i][0] * b.m_xform[0][j] + m_xform[i][1] * b.m_xform[1][j] +
                        m_xform[i][2] * b.m_xform[2][j] + m_xform[i][3] * b.m_xform[3][j];
  return r;
}

ON_3dPoint ON_Xform::operator*(const ON_3dPoint& p) const {
  const double x = m_xform[0][0] * p.x + m_xform[0][1] * p.y + m_xform[0][2] * p.z + m_xform[0][3];
  const double y = m_xform[1][0] * p.x + m_xform[1][1] * p.y + m_xform[1][2] * p.z + m_xform[1][3];
  const double z = m_xform[2][0] * p.x + m_xform[2][1] * p.y + m_xform[2][2] * p.z + m_xform[2][3];
  const double w = m_xform[3][0] * p.x + m_xform[3][1] * p.y + m_xform[3][2] * p.z + m_xform[3][3];
  if (w == 1.0 || w == 0.0) return {x, y, z};
  return {x / w, y / w, z / w};
}

ON_3dVector ON_Xform::operator*(const ON_3dVector& v) const {
  return {m_xform[0][0] * v.x + m_xform[0][1] * v.y + m_xform[0][2] * v.z,
          m_xform[1][0] * v.x + m_xform[1][1] * v.y + m_xform[1][2] * v.z,
          m_xform[2][0] * v.x + m_xform[2][1] * v.y + m_xform[2][2] * v.z};
}
