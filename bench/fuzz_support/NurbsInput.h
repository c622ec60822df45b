// NURBS curves and surfaces from arbitrary bytes, for the fuzz targets. Numbers
// come from small palettes, so that knots repeat, points coincide and weights
// vanish, with NaN, the infinities and huge values among them; counts are small;
// and Corrupt leaves the data members inconsistent now and then, as code writing
// them directly can.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "ByteReader.h"
#include "opennurbs.h"

namespace fuzzinput {

inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline const double kNaN = std::numeric_limits<double>::quiet_NaN();

inline double Coordinate(Reader& r) {
  static const double palette[] = {0.0, -0.0, 1.0, -1.0, 0.5, 2.0, 3.0, -2.5, 1e-300, 1e-9, 7.0, 1e6, 1e300, kNaN,
                                   kInf, 1.0000000001};
  return r.Pick(palette, sizeof palette / sizeof palette[0]);
}

inline double Weight(Reader& r) {
  static const double palette[] = {1.0, 1.0, 0.5, 2.0, 0.7071067811865476, 1e-3, 1e3, 0.0, -1.0, kNaN};
  return r.Pick(palette, sizeof palette / sizeof palette[0]);
}

inline double Knot(Reader& r) {
  static const double palette[] = {0.0, 0.0, 1.0, 1.0, 2.0, 0.5, 3.0, -1.0, 1e-12, 10.0, kNaN, kInf};
  return r.Pick(palette, sizeof palette / sizeof palette[0]);
}

inline ON_NurbsCurve ReadCurve(Reader& r) {
  const int dim = 1 + r.Byte() % 3, order = 1 + r.Byte() % 7, count = r.Byte() % 16;
  const bool rational = r.Byte() & 1;
  ON_NurbsCurve c;
  if (!c.Create(dim, rational, order, count)) return c;
  switch (r.Byte() % 4) {
    case 0:
      c.MakeClampedUniformKnotVector(1.0);
      break;
    case 1:
      c.MakePeriodicUniformKnotVector(0.5);
      break;
    case 2: {  // non-decreasing, with repeats
      double k = Knot(r);
      for (int i = 0; i < c.KnotCount(); ++i) {
        c.SetKnot(i, k);
        if (r.Byte() & 1) k += std::fabs(Knot(r));
      }
      break;
    }
    default:
      for (int i = 0; i < c.KnotCount(); ++i) c.SetKnot(i, Knot(r));
  }
  for (int i = 0; i < c.CVCount(); ++i) {
    const double x = Coordinate(r), y = Coordinate(r), z = Coordinate(r), w = rational ? Weight(r) : 1.0;
    c.SetCV(i, ON_4dPoint(x * w, y * w, z * w, w));
  }
  return c;
}

// Leaves the data members disagreeing with the storage now and then.
inline void Corrupt(Reader& r, ON_NurbsCurve& c) {
  switch (r.Byte() % 16) {
    case 0:
      c.m_cv_count += 1 + r.Byte() % 40;
      break;
    case 1:
      c.m_order += 1 + r.Byte() % 40;
      break;
    case 2:
      c.m_cv_stride -= 1;
      break;
    case 3:
      c.m_dim += 1 + r.Byte() % 4;
      break;
    case 4:
      c.m_is_rat = !c.m_is_rat;
      break;
    case 5:
      c.m_cv_count = -1 - r.Byte();
      break;
    default:
      break;
  }
}

// The knots of one direction of a surface, in the ways ReadCurve makes them.
inline void ReadKnots(Reader& r, ON_NurbsSurface& s, int dir) {
  const int order = s.Order(dir), count = s.CVCount(dir), knots = s.KnotCount(dir);
  switch (r.Byte() % 4) {
    case 0:
      ON_MakeClampedUniformKnotVector(order, count, s.m_knot[dir], 1.0);
      break;
    case 1:
      ON_MakePeriodicUniformKnotVector(order, count, s.m_knot[dir], 0.5);
      break;
    case 2: {
      double k = Knot(r);
      for (int i = 0; i < knots; ++i) {
        s.SetKnot(dir, i, k);
        if (r.Byte() & 1) k += std::fabs(Knot(r));
      }
      break;
    }
    default:
      for (int i = 0; i < knots; ++i) s.SetKnot(dir, i, Knot(r));
  }
}

inline ON_NurbsSurface ReadSurface(Reader& r) {
  const int dim = 1 + r.Byte() % 3;
  const int order0 = 1 + r.Byte() % 5, order1 = 1 + r.Byte() % 5, count0 = r.Byte() % 9, count1 = r.Byte() % 9;
  const bool rational = r.Byte() & 1;
  ON_NurbsSurface s;
  if (!s.Create(dim, rational, order0, order1, count0, count1)) return s;
  ReadKnots(r, s, 0);
  ReadKnots(r, s, 1);
  for (int i = 0; i < count0; ++i)
    for (int j = 0; j < count1; ++j) {
      const double x = Coordinate(r), y = Coordinate(r), z = Coordinate(r), w = rational ? Weight(r) : 1.0;
      s.SetCV(i, j, ON_4dPoint(x * w, y * w, z * w, w));
    }
  return s;
}

inline void Corrupt(Reader& r, ON_NurbsSurface& s) {
  const int dir = r.Byte() & 1;
  switch (r.Byte() % 16) {
    case 0:
      s.m_cv_count[dir] += 1 + r.Byte() % 40;
      break;
    case 1:
      s.m_order[dir] += 1 + r.Byte() % 40;
      break;
    case 2:
      s.m_cv_stride[dir] -= 1;
      break;
    case 3:
      s.m_dim += 1 + r.Byte() % 4;
      break;
    case 4:
      s.m_is_rat = !s.m_is_rat;
      break;
    case 5:
      s.m_cv_count[dir] = -1 - r.Byte();
      break;
    case 6:
      s.m_cv_stride[dir] = 0;
      break;
    default:
      break;
  }
}

}  // namespace fuzzinput
