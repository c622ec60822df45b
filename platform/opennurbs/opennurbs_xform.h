// 4x4 transformations with the openNURBS names and meanings: m_xform[row][column]
// acts on column vectors (x, y, z, 1), so the translation sits in the last column.
#pragma once

#include "opennurbs_point.h"

class ON_Xform {
 public:
  double m_xform[4][4];

  ON_Xform() { Identity(); }  // the identity
  explicit ON_Xform(double diagonal);  // diagonal matrix with m_xform[3][3] = 1

  void Identity();
  void Zero();
  bool IsIdentity() const;
  // True when every entry is a finite number.
  bool IsValid() const;

  // Rotation by the angle whose sine and cosine are given, about `axis` through
  // `center`. Values within a tiny distance of 0 or +-1 are snapped exactly, so
  // quarter turns give exact matrices; a pair that is not on the unit circle is
  // scaled onto it. False (and the identity) for a zero axis or non-finite input.
  bool Rotation(double sin_angle, double cos_angle, const ON_3dVector& axis, const ON_3dPoint& center);
  bool Rotation(double angle, const ON_3dVector& axis, const ON_3dPoint& center);
  void Translation(const ON_3dVector& delta);
  void Translation(double dx, double dy, double dz);
  void Scale(double s);  // uniform scale about the origin

  ON_Xform operator*(const ON_Xform& rhs) const;
  ON_3dPoint operator*(const ON_3dPoint& p) const;      // full projective transform
  ON_3dVector operator*(const ON_3dVector& v) const;    // linear part only

  double* operator[](int i) { return m_xform[i]; }
  const double* operator[](int i) const { return m_xform[i]; }
};

extern const ON_Xform ON_identity_transformation;
