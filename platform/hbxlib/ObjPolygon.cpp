#include "ObjPolygon.h"

#include <cmath>

namespace hbx {
namespace {

struct P2 {
  double u, v;
};

double Cross(const P2& a, const P2& b, const P2& c) { return (b.u - a.u) * (c.v - a.v) - (b.v - a.v) * (c.u - a.u); }

// Inside or on the border of the counter-clockwise triangle a b c.
bool InTriangle(const P2& p, const P2& a, const P2& b, const P2& c) {
  return Cross(a, b, p) >= 0 && Cross(b, c, p) >= 0 && Cross(c, a, p) >= 0;
}

void Emit(int32_t a, int32_t b, int32_t c, std::vector<int32_t>& out) {
  if (a == b || b == c || a == c) return;
  out.push_back(a);
  out.push_back(b);
  out.push_back(c);
}

}  // namespace

void TriangulatePolygon(const int32_t* corners, size_t count, const ON_3fPoint* points,
                        std::vector<int32_t>& triangles) {
  if (count < 3) return;
  const size_t n = count;

  // Newell normal, on coordinates taken relative to the first corner for precision.
  const ON_3fPoint& o = points[corners[0]];
  double nx = 0, ny = 0, nz = 0;
  for (size_t i = 0; i < n; ++i) {
    const ON_3fPoint& a = points[corners[i]];
    const ON_3fPoint& b = points[corners[(i + 1) % n]];
    const double ax = double(a.x) - o.x, ay = double(a.y) - o.y, az = double(a.z) - o.z;
    const double bx = double(b.x) - o.x, by = double(b.y) - o.y, bz = double(b.z) - o.z;
    nx += (ay - by) * (az + bz);
    ny += (az - bz) * (ax + bx);
    nz += (ax - bx) * (ay + by);
  }
  std::vector<size_t> next(n), prev(n);
  for (size_t i = 0; i < n; ++i) {
    next[i] = (i + 1) % n;
    prev[i] = (i + n - 1) % n;
  }
  auto fan = [&](size_t start, size_t remaining) {
    const size_t first = start;
    size_t b = next[first];
    for (size_t k = 2; k < remaining; ++k) {
      const size_t c = next[b];
      Emit(corners[first], corners[b], corners[c], triangles);
      b = c;
    }
  };
  const double ax = std::fabs(nx), ay = std::fabs(ny), az = std::fabs(nz);
  if (!(ax + ay + az > 0) || !std::isfinite(ax + ay + az)) {
    fan(0, n);  // no plane to speak of: every triangle is flat anyway
    return;
  }

  // Project onto the coordinate plane most nearly parallel to the polygon, oriented
  // so that the polygon runs counter-clockwise there.
  std::vector<P2> q(n);
  const int axis = (az >= ax && az >= ay) ? 2 : (ax >= ay ? 0 : 1);
  const double sign = (axis == 0 ? nx : axis == 1 ? ny : nz) > 0 ? 1.0 : -1.0;
  for (size_t i = 0; i < n; ++i) {
    const ON_3fPoint& p = points[corners[i]];
    const double x = double(p.x) - o.x, y = double(p.y) - o.y, z = double(p.z) - o.z;
    if (axis == 2) q[i] = {x, sign * y};
    else if (axis == 0) q[i] = {y, sign * z};
    else q[i] = {z, sign * x};
  }

  auto isEar = [&](size_t b, size_t& work) {
    const size_t a = prev[b], c = next[b];
    if (!(Cross(q[a], q[b], q[c]) > 0)) return false;
    for (size_t j = next[c]; j != a; j = next[j]) {
      ++work;
      const int32_t v = corners[j];
      if (v == corners[a] || v == corners[b] || v == corners[c]) continue;
      if (InTriangle(q[j], q[a], q[b], q[c])) return false;
    }
    return true;
  };

  // Work bound: a simple polygon needs at most about n*n ear tests; past a generous
  // bound the rest of the polygon is cut as a fan.
  const size_t budget = 4000000 + 64 * n;
  size_t work = 0;
  size_t remaining = n;
  size_t cursor = 0;
  while (remaining > 3) {
    size_t tried = 0, b = cursor;
    bool found = false;
    while (tried < remaining) {
      if (isEar(b, work)) {
        found = true;
        break;
      }
      if (work > budget) break;
      b = next[b];
      ++tried;
      ++work;
    }
    if (work > budget) {
      fan(b, remaining);
      return;
    }
    if (!found) {
      // Self-intersecting or numerically flat: clip a convex corner if there is one,
      // else the corner at hand, so every round removes one corner.
      size_t c = b;
      for (size_t k = 0; k < remaining; ++k, c = next[c], ++work)
        if (Cross(q[prev[c]], q[c], q[next[c]]) > 0) {
          b = c;
          break;
        }
    }
    const size_t a = prev[b], c = next[b];
    Emit(corners[a], corners[b], corners[c], triangles);
    next[a] = c;
    prev[c] = a;
    --remaining;
    cursor = a;
  }
  Emit(corners[prev[cursor]], corners[cursor], corners[next[cursor]], triangles);
}

}  // namespace hbx
