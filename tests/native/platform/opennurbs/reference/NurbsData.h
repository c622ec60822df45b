// NURBS curves in the reference cases' numbers, laid out as nurbs_data.js reads
// and writes them: in the arguments dimension, rational (0/1), order, CV count,
// the stored knots, then x y z w of each CV (homogeneous; w ignored for a
// non-rational curve); in the figures order, CV count, knots, x y z w of each CV,
// closed, periodic and the domain.
#pragma once

#include <vector>

#include "Reference.h"
#include "opennurbs.h"

namespace reference {

// a followed by b, for composing a case's arguments.
inline std::vector<double> Join(std::vector<double> a, const std::vector<double>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Rotates the geometry by the angle a[at] about the axis a[at + 1 .. at + 3]
// through the centre a[at + 4 .. at + 6], then translates it by a[at + 7 .. at + 9].
inline void RotateAndTranslate(ON_Geometry& g, const std::vector<double>& a, size_t at) {
  g.Rotate(a[at], ON_3dVector(a[at + 1], a[at + 2], a[at + 3]), ON_3dPoint(a[at + 4], a[at + 5], a[at + 6]));
  g.Translate(ON_3dVector(a[at + 7], a[at + 8], a[at + 9]));
}

// The curve whose numbers start at a[at]; `at` moves past them. A list too short
// for the counts it gives yields an empty curve.
inline ON_NurbsCurve ReadNurbs(const std::vector<double>& a, size_t& at) {
  ON_NurbsCurve c;
  if (at + 4 > a.size()) return c;
  const int dim = static_cast<int>(a[at]), order = static_cast<int>(a[at + 2]), count = static_cast<int>(a[at + 3]);
  const bool rat = a[at + 1] != 0.0;
  at += 4;
  if (count < 0 || order < 0 || at + (order + count - 2) + 4 * static_cast<size_t>(count) > a.size()) return c;
  c.Create(dim, rat, order, count);
  for (int k = 0; k < order + count - 2; ++k) c.SetKnot(k, a[at++]);
  for (int k = 0; k < count; ++k, at += 4) {
    if (rat)
      c.SetCV(k, ON_4dPoint(a[at], a[at + 1], a[at + 2], a[at + 3]));
    else
      c.SetCV(k, ON_3dPoint(a[at], a[at + 1], a[at + 2]));
  }
  return c;
}

// The numbers of a curve as ReadNurbs reads them (for composing cases).
inline std::vector<double> NurbsArgs(int dim, bool rat, int order, const std::vector<double>& knots,
                                     const std::vector<ON_4dPoint>& cvs) {
  std::vector<double> a = {static_cast<double>(dim), rat ? 1.0 : 0.0, static_cast<double>(order),
                           static_cast<double>(cvs.size())};
  a.insert(a.end(), knots.begin(), knots.end());
  for (const ON_4dPoint& p : cvs) a.insert(a.end(), {p.x, p.y, p.z, p.w});
  return a;
}

inline Figures NurbsFigures(const ON_NurbsCurve& c) {
  Figures f = {static_cast<double>(c.Order()), static_cast<double>(c.CVCount())};
  for (int k = 0; k < c.KnotCount(); ++k) f.push_back(c.Knot(k));
  for (int k = 0; k < c.CVCount(); ++k) {
    ON_4dPoint p;
    c.GetCV(k, p);
    f.insert(f.end(), {p.x, p.y, p.z, p.w});
  }
  const ON_Interval d = c.Domain();
  f.insert(f.end(), {c.IsClosed() ? 1.0 : 0.0, c.IsPeriodic() ? 1.0 : 0.0, d[0], d[1]});
  return f;
}

}  // namespace reference
