// Surface and loop arrays as a client hands them to the stand-in host (body methods
// 50, 46, 19, 53 and surface method 57, called through literal positions), and the
// slab of a bicubic relief z = f(x, y) over [0, 10] x [0, 20]: its top surface, its
// four vertical side planes trimmed by loops of four curves each in its own
// direction, and a flat or an offset base.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "ComHolders.h"
#include "HostContract.h"

namespace surfaces {

template <int N, class Obj, class... Args>
HRESULT At(Obj* object, Args... args) {
  return HostOp::Call<N>(object, args...);
}

using P3 = std::array<double, 3>;

struct BSplineIn {
  std::array<LONG, 8> header;  // order u, order v, count v, count u, periodic u, v, 3, 0
  std::vector<double> uKnots, vKnots, points;

  HRESULT MakeOn(HostBody* body, CountedPtr<HostSurface>& out) const {
    return At<50>(body, static_cast<const LONG*>(header.data()), uKnots.data(), vKnots.data(), points.data(),
                  out.Out());
  }
};

struct PlaneIn {
  P3 origin, normal;

  HRESULT MakeOn(HostBody* body, CountedPtr<HostSurface>& out) const {
    return At<46>(body, static_cast<const double*>(origin.data()), static_cast<const double*>(normal.data()),
                  out.Out());
  }
};

struct CurveIn {
  LONG order;
  std::vector<double> knots;  // order + CV count
  std::vector<P3> points;
  LONG periodic = 0;
};

inline CurveIn Line(const P3& a, const P3& b) { return CurveIn{2, {0, 0, 1, 1}, {a, b}}; }

inline CurveIn Moved(CurveIn c, const P3& by) {
  for (P3& p : c.points)
    for (size_t a = 0; a < 3; ++a) p[a] += by[a];
  return c;
}

// The arrays of method 57 for the curves in the order given.
struct LoopIn {
  std::vector<LONG> orders, dimensions, periodic, knotCounts, cvCounts;
  std::vector<double> knots, points;
  const void* reserved = nullptr;

  explicit LoopIn(const std::vector<CurveIn>& curves) {
    for (const CurveIn& c : curves) {
      orders.push_back(c.order);
      dimensions.push_back(dimensions.empty() ? -3 : 3);
      periodic.push_back(c.periodic);
      knotCounts.push_back(static_cast<LONG>(c.knots.size()));
      cvCounts.push_back(static_cast<LONG>(c.points.size()));
      knots.insert(knots.end(), c.knots.begin(), c.knots.end());
      for (const P3& p : c.points) points.insert(points.end(), p.begin(), p.end());
    }
  }
  HRESULT AddTo(HostSurface* surface) const {
    return At<57>(surface, static_cast<LONG>(orders.size()), orders.data(), dimensions.data(), periodic.data(),
                  knotCounts.data(), cvCounts.data(), knots.data(), points.data(), reserved);
  }
};

// A plane trimmed by a loop: methods 46, 57, 19, each expected to succeed.
inline void AddTrimmedPlane(HostBody* body, const PlaneIn& plane, const LoopIn& loop) {
  CountedPtr<HostSurface> surface;
  ASSERT_EQ(plane.MakeOn(body, surface), S_OK);
  ASSERT_TRUE(surface);
  ASSERT_EQ(loop.AddTo(surface.Get()), S_OK);
  VARIANT_BOOL made = VARIANT_FALSE;
  ASSERT_EQ(At<19>(body, &made), S_OK);
  EXPECT_EQ(made, VARIANT_TRUE);
}

// A B-spline surface bounded by a range: methods 50 and 53.
inline void AddBoundedSurface(HostBody* body, const BSplineIn& surface, std::array<double, 4> range) {
  CountedPtr<HostSurface> s;
  ASSERT_EQ(surface.MakeOn(body, s), S_OK);
  ASSERT_TRUE(s);
  ASSERT_EQ(At<53>(body, LONG{1}, LONG{1}, static_cast<const double*>(range.data())), S_OK);
}

// The relief: a bicubic surface, u along x over [0, 10], v along y over [0, 20];
// 4 x 4 control points (one patch) or 5 x 4 (two spans in u, the knot 5 between),
// control point (i, j) at (x_i, 20 j / 3, kZ[i][j]), all times the scale, with x_i
// the knots' Greville abscissae, so that x = u.
struct Relief {
  static constexpr double kZ[5][4] = {{1, 2, 3, 2}, {2, 4, 5, 3}, {3, 5, 4, 2}, {2, 3, 2, 1.5}, {1.5, 2, 2.5, 2}};
  double scale = 1;
  int countU = 4;

  std::vector<double> UKnots() const {
    return countU == 4 ? std::vector<double>{0, 0, 0, 0, 10, 10, 10, 10}
                       : std::vector<double>{0, 0, 0, 0, 5, 10, 10, 10, 10};
  }
  P3 Cv(int i, int j, double dz = 0) const {
    const std::vector<double> t = UKnots();
    const double x = (t[i + 1] + t[i + 2] + t[i + 3]) / 3;
    return {scale * x, scale * 20.0 * j / 3, scale * (kZ[i][j] + dz)};
  }
  // The surface moved by dz model units; `vFastest` lays the points out with v
  // running fastest, the u and v order swapped.
  BSplineIn Surface(double dz = 0, bool vFastest = false) const {
    BSplineIn s{{4, 4, 4, countU, 0, 0, 3, 0}, UKnots(), {0, 0, 0, 0, 20, 20, 20, 20}, {}};
    for (int outer = 0; outer < (vFastest ? countU : 4); ++outer)
      for (int inner = 0; inner < (vFastest ? 4 : countU); ++inner) {
        const P3 p = vFastest ? Cv(outer, inner, dz) : Cv(inner, outer, dz);
        s.points.insert(s.points.end(), p.begin(), p.end());
      }
    return s;
  }
  // The boundary iso-curves in the order v = 0, u = 10, v = 20, u = 0, each
  // running with its parameter.
  CurveIn Edge(int k, double dz = 0) const {
    CurveIn c{4, {}, {}};
    const bool alongU = k == 0 || k == 2;
    c.knots = alongU ? UKnots() : std::vector<double>{0, 0, 0, 0, 20, 20, 20, 20};
    for (int t = 0; t < (alongU ? countU : 4); ++t)
      c.points.push_back(k == 0   ? Cv(t, 0, dz)
                         : k == 1 ? Cv(countU - 1, t, dz)
                         : k == 2 ? Cv(t, 3, dz)
                                  : Cv(0, t, dz));
    return c;
  }
  static double ZMin() { return 1; }

  // The integral of f over the rectangle of the 4 x 4 relief, in its model units,
  // by 4-point Gauss-Legendre quadrature of the Bernstein form (exact for a bicubic).
  static double Integral() {
    const double x[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563, 0.8611363115940526};
    const double w[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461, 0.3478548451374538};
    auto bernstein = [](int i, double t) {
      const double c[4] = {1, 3, 3, 1};
      return c[i] * std::pow(t, i) * std::pow(1 - t, 3 - i);
    };
    double sum = 0;
    for (int a = 0; a < 4; ++a)
      for (int b = 0; b < 4; ++b) {
        const double s = (x[a] + 1) / 2, t = (x[b] + 1) / 2;
        double f = 0;
        for (int i = 0; i < 4; ++i)
          for (int j = 0; j < 4; ++j) f += kZ[i][j] * bernstein(i, s) * bernstein(j, t);
        sum += w[a] * w[b] / 4 * f;
      }
    return 10 * 20 * sum;
  }
};

// The slab under the relief: the twelve curves, the four side planes and the base.
struct Slab {
  Relief relief;
  double thickness;
  bool flat;
  CurveIn top[4], bottom[4], corner[4];  // corners at (umin, vmin), (umax, vmin), (umax, vmax), (umin, vmax)

  Slab(const Relief& r, double t, bool flatBase) : relief(r), thickness(t), flat(flatBase) {
    const double s = r.scale;
    const double zb = s * (Relief::ZMin() - t);
    for (int k = 0; k < 4; ++k) {
      top[k] = r.Edge(k);
      const P3 a = top[k].points.front(), b = top[k].points.back();
      bottom[k] = flat ? Line({a[0], a[1], zb}, {b[0], b[1], zb}) : r.Edge(k, -t);
    }
    corner[0] = Line(top[0].points.front(), bottom[0].points.front());
    corner[1] = Line(top[1].points.front(), bottom[1].points.front());
    corner[2] = Line(top[2].points.back(), bottom[2].points.back());
    corner[3] = Line(top[3].points.back(), bottom[3].points.back());
  }
  PlaneIn SidePlane(int k) const {
    const P3 normals[4] = {{0, -1, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}};
    return {top[k].points.front(), normals[k]};
  }
  LoopIn SideLoop(int k) const {
    const int first[4] = {0, 1, 2, 3}, second[4] = {1, 2, 3, 0};
    return LoopIn({top[k], corner[first[k]], bottom[k], corner[second[k]]});
  }
  PlaneIn FloorPlane() const { return {bottom[0].points.front(), {0, 0, -1}}; }
  LoopIn FloorLoop() const { return LoopIn({bottom[0], bottom[1], bottom[2], bottom[3]}); }
  BSplineIn Base() const { return relief.Surface(-thickness); }

  void AddSides(HostBody* body) const {
    for (int k = 0; k < 4; ++k) {
      SCOPED_TRACE(k);
      AddTrimmedPlane(body, SidePlane(k), SideLoop(k));
    }
  }
  void AddBase(HostBody* body) const {
    if (flat) AddTrimmedPlane(body, FloorPlane(), FloorLoop());
    else AddBoundedSurface(body, Base(), {0, 10, 0, 20});
  }
  // The volume the slab must have, in cubic metres.
  double Volume() const {
    const double area = 10 * 20, s3 = relief.scale * relief.scale * relief.scale;
    return s3 * (flat ? Relief::Integral() - (Relief::ZMin() - thickness) * area : thickness * area);
  }
};

}  // namespace surfaces
