// Points and vectors with the openNURBS names and meanings.
#pragma once

#include <cmath>

class ON_3dPoint;

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
  double DistanceTo(const ON_3dPoint& p) const {
    const double dx = x - p.x, dy = y - p.y, dz = z - p.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
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
  double Length() const { return std::sqrt(x * x + y * y + z * z); }
  void Zero() { x = y = z = 0.0; }
  bool IsZero() const { return x == 0.0 && y == 0.0 && z == 0.0; }
  // Scales the vector to length 1; false (and the vector unchanged) when its
  // length is zero or not finite.
  bool Unitize();
  // Sets the vector to the unit normal of the triangle a, b, c by the right-hand
  // rule over the corner order; the zero vector and false when the corners span
  // no triangle.
  bool PerpendicularTo(const ON_3dPoint& a, const ON_3dPoint& b, const ON_3dPoint& c);
};

inline ON_3dPoint ON_3dPoint::operator+(const ON_3dVector& v) const { return {x + v.x, y + v.y, z + v.z}; }
inline ON_3dPoint ON_3dPoint::operator-(const ON_3dVector& v) const { return {x - v.x, y - v.y, z - v.z}; }
inline ON_3dVector ON_3dPoint::operator-(const ON_3dPoint& p) const { return {x - p.x, y - p.y, z - p.z}; }

inline double ON_DotProduct(const ON_3dVector& a, const ON_3dVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline ON_3dVector ON_CrossProduct(const ON_3dVector& a, const ON_3dVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

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

class ON_2fPoint {
 public:
  float x = 0.0f, y = 0.0f;
  ON_2fPoint() = default;
  ON_2fPoint(float px, float py) : x(px), y(py) {}
};
