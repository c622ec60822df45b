// Points and vectors with the openNURBS names and meanings.
#pragma once

#include <cmath>

#include "opennurbs_defines.h"

class ON_3dPoint;

namespace on_detail {
// The length of (x, y, z). The plain sum of squares overflows for coordinates
// beyond about 1e154 and vanishes below about 1e-154; outside the range where
// it is exact enough, the coordinates are scaled by the largest first.
inline double Length3(double x, double y, double z) {
  const double s = x * x + y * y + z * z;
  if (s > 1e-290 && s < 1e290) return std::sqrt(s);
  if (s != s) return s;  // a NaN coordinate
  const double ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
  const double m = ax > ay ? (ax > az ? ax : az) : (ay > az ? ay : az);
  if (m == 0.0 || std::isinf(m)) return m;
  const double a = ax / m, b = ay / m, c = az / m;
  return m * std::sqrt(a * a + b * b + c * c);
}
}  // namespace on_detail

class ON_3fPoint {
 public:
  float x = 0.0f, y = 0.0f, z = 0.0f;
  ON_3fPoint() = default;
  ON_3fPoint(float px, float py, float pz) : x(px), y(py), z(pz) {}
  explicit ON_3fPoint(const ON_3dPoint& p);
  float& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
  float operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
  bool operator==(const ON_3fPoint& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const ON_3fPoint& o) const { return !(*this == o); }
};

class ON_3dVector;

class ON_3dPoint {
 public:
  double x = 0.0, y = 0.0, z = 0.0;
  ON_3dPoint() = default;
  ON_3dPoint(double px, double py, double pz) : x(px), y(py), z(pz) {}
  ON_3dPoint(const ON_3fPoint& p) : x(p.x), y(p.y), z(p.z) {}  // NOLINT: widening, implicit as in openNURBS
  double& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
  double operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
  bool operator==(const ON_3dPoint& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const ON_3dPoint& o) const { return !(*this == o); }
  ON_3dPoint operator*(double s) const { return {x * s, y * s, z * s}; }
  ON_3dPoint operator+(const ON_3dVector& v) const;
  ON_3dPoint operator-(const ON_3dVector& v) const;
  ON_3dVector operator-(const ON_3dPoint& p) const;
  // Every coordinate a valid number (finite, not unset).
  bool IsValid() const { return ON_IsValid(x) && ON_IsValid(y) && ON_IsValid(z); }
  static const ON_3dPoint UnsetPoint;  // what a failed evaluation gives
  double DistanceTo(const ON_3dPoint& p) const {
    return on_detail::Length3(x - p.x, y - p.y, z - p.z);
  }
};

inline ON_3fPoint::ON_3fPoint(const ON_3dPoint& p)
    : x(static_cast<float>(p.x)), y(static_cast<float>(p.y)), z(static_cast<float>(p.z)) {}

class ON_3dVector {
 public:
  double x = 0.0, y = 0.0, z = 0.0;
  ON_3dVector() = default;
  ON_3dVector(double px, double py, double pz) : x(px), y(py), z(pz) {}
  double& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
  double operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
  bool operator==(const ON_3dVector& o) const { return x == o.x && y == o.y && z == o.z; }
  ON_3dVector operator*(double s) const { return {x * s, y * s, z * s}; }
  ON_3dVector operator+(const ON_3dVector& v) const { return {x + v.x, y + v.y, z + v.z}; }
  ON_3dVector operator-(const ON_3dVector& v) const { return {x - v.x, y - v.y, z - v.z}; }
  ON_3dVector operator-() const { return {-x, -y, -z}; }
  double Length() const { return on_detail::Length3(x, y, z); }
  void Zero() { x = y = z = 0.0; }
  bool IsZero() const { return x == 0.0 && y == 0.0 && z == 0.0; }
  bool IsValid() const { return ON_IsValid(x) && ON_IsValid(y) && ON_IsValid(z); }
  static const ON_3dVector ZeroVector;
  static const ON_3dVector UnsetVector;
  // Scales the vector to length 1; false (and the vector unchanged) when its
  // length is zero or not finite.
  bool Unitize();
  // Sets the vector to the unit normal of the triangle a, b, c by the right-hand
  // rule over the corner order; the zero vector and false when the corners span
  // no triangle.
  bool PerpendicularTo(const ON_3dPoint& a, const ON_3dPoint& b, const ON_3dPoint& c);
  // Sets the vector to one perpendicular to v, not unitized: the smallest
  // component of v is dropped and the other two swapped, one negated (so the unit
  // z gives the unit x, the unit x the unit y). False and the zero vector for a
  // zero or non-finite v.
  bool PerpendicularTo(const ON_3dVector& v);
  // Turns the vector about `axis` (through the origin) by the angle, counter-
  // clockwise seen from the tip of the axis, as ON_Xform::Rotation does; false
  // (and the vector unchanged) for a zero axis or a non-finite angle.
  bool Rotate(double angle, const ON_3dVector& axis);
  bool Rotate(double sin_angle, double cos_angle, const ON_3dVector& axis);
  // The same direction with length 1, or the zero vector when there is none.
  ON_3dVector UnitVector() const {
    ON_3dVector u = *this;
    return u.Unitize() ? u : ON_3dVector(0.0, 0.0, 0.0);
  }
};

inline ON_3dPoint ON_3dPoint::operator+(const ON_3dVector& v) const { return {x + v.x, y + v.y, z + v.z}; }
inline ON_3dPoint ON_3dPoint::operator-(const ON_3dVector& v) const { return {x - v.x, y - v.y, z - v.z}; }
inline ON_3dVector ON_3dPoint::operator-(const ON_3dPoint& p) const { return {x - p.x, y - p.y, z - p.z}; }

inline double ON_DotProduct(const ON_3dVector& a, const ON_3dVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline ON_3dVector ON_CrossProduct(const ON_3dVector& a, const ON_3dVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// True when two points coincide: every coordinate within ON_ZERO_TOLERANCE plus
// ON_RELATIVE_TOLERANCE times the sum of the two coordinates' sizes. Each point is
// dim numbers, or with is_rat dim + 1 homogeneous ones (weight last) compared as
// the Euclidean points; points with a zero weight coincide only with each other.
// NaN coincides with nothing.
bool ON_PointsAreCoincident(int dim, bool is_rat, const double* pointA, const double* pointB);

class ON_3fVector {
 public:
  float x = 0.0f, y = 0.0f, z = 0.0f;
  ON_3fVector() = default;
  ON_3fVector(float px, float py, float pz) : x(px), y(py), z(pz) {}
  explicit ON_3fVector(const ON_3dVector& v)
      : x(static_cast<float>(v.x)), y(static_cast<float>(v.y)), z(static_cast<float>(v.z)) {}
  bool operator==(const ON_3fVector& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const ON_3fVector& o) const { return !(*this == o); }
};

inline bool ON_3dVector::Unitize() {
  const double len = Length();
  if (!(len > 0.0) || !std::isfinite(len)) return false;
  x /= len;
  y /= len;
  z /= len;
  return true;
}

// The cross product is taken at the corner opposite the longest side: its two
// edges are the two shorter sides, which keeps the cancellation error smallest
// for long thin triangles. Every corner gives the same orientation, so the result
// is the right-hand normal whichever corner is chosen.
inline bool ON_3dVector::PerpendicularTo(const ON_3dPoint& a, const ON_3dPoint& b, const ON_3dPoint& c) {
  const ON_3dVector ab = b - a, bc = c - b, ca = a - c;
  const double lab = ON_DotProduct(ab, ab), lbc = ON_DotProduct(bc, bc), lca = ON_DotProduct(ca, ca);
  ON_3dVector n;
  if (lab >= lbc && lab >= lca)
    n = ON_CrossProduct(bc, ca);  // corner c: edges c->a and c->b, i.e. (a-c) x (b-c) = bc x ca
  else if (lbc >= lca)
    n = ON_CrossProduct(ca, ab);  // corner a
  else
    n = ON_CrossProduct(ab, bc);  // corner b
  if (n.Unitize()) {
    // Adding +0 turns a -0 component into +0, so axis-aligned normals read plainly.
    x = n.x + 0.0;
    y = n.y + 0.0;
    z = n.z + 0.0;
    return true;
  }
  Zero();
  return false;
}

#ifndef ON_PI
#define ON_PI 3.141592653589793238462643
#endif

extern const ON_3dPoint ON_origin;
extern const ON_3dVector ON_xaxis;
extern const ON_3dVector ON_yaxis;
extern const ON_3dVector ON_zaxis;

// A homogeneous point: (w x, w y, w z, w) stands for the Euclidean (x, y, z).
class ON_4dPoint {
 public:
  double x = 0.0, y = 0.0, z = 0.0, w = 1.0;
  ON_4dPoint() = default;
  ON_4dPoint(double px, double py, double pz, double pw) : x(px), y(py), z(pz), w(pw) {}
  explicit ON_4dPoint(const ON_3dPoint& p) : x(p.x), y(p.y), z(p.z), w(1.0) {}
  double& operator[](int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
  double operator[](int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
  bool operator==(const ON_4dPoint& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
  bool operator!=(const ON_4dPoint& o) const { return !(*this == o); }
};

class ON_2fPoint {
 public:
  float x = 0.0f, y = 0.0f;
  ON_2fPoint() = default;
  ON_2fPoint(float px, float py) : x(px), y(py) {}
};
