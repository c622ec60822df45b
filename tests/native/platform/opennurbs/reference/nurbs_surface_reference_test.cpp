// The subset's NURBS surfaces against openNURBS itself: validity, domains and
// periodicity, the box openNURBS computes, evaluation with partial derivatives
// (rational, at knots, outside the domain), exact iso-curves of both directions at
// the domain's ends, inside and beyond it, and motions of the CVs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "NurbsData.h"
#include "Reference.h"
#include "opennurbs.h"

namespace {

using reference::Case;
using reference::Figures;
using reference::Join;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kS = std::sqrt(0.5);

using Grid = std::vector<std::vector<ON_4dPoint>>;

// A surface in the numbers kinds/surfaces.js reads: dimension, rational, orders,
// CV counts, the knots of direction 0 and 1, x y z w of CV (i, j), i outermost.
std::vector<double> SurfaceArgs(bool rat, int order0, int order1, const std::vector<double>& knots0,
                                const std::vector<double>& knots1, const Grid& cvs) {
  const size_t n0 = cvs.size(), n1 = cvs.empty() ? 0 : cvs[0].size();
  std::vector<double> a = {3, rat ? 1.0 : 0.0, static_cast<double>(order0), static_cast<double>(order1),
                           static_cast<double>(n0), static_cast<double>(n1)};
  a.insert(a.end(), knots0.begin(), knots0.end());
  a.insert(a.end(), knots1.begin(), knots1.end());
  for (const auto& row : cvs)
    for (const ON_4dPoint& p : row) a.insert(a.end(), {p.x, p.y, p.z, p.w});
  return a;
}

// The surface whose numbers start at a[at]; `at` moves past them.
ON_NurbsSurface ReadSurface(const std::vector<double>& a, size_t& at) {
  ON_NurbsSurface s;
  const int o0 = static_cast<int>(a[at + 2]), o1 = static_cast<int>(a[at + 3]);
  const int n0 = static_cast<int>(a[at + 4]), n1 = static_cast<int>(a[at + 5]);
  const bool rat = a[at + 1] != 0.0;
  s.Create(static_cast<int>(a[at]), rat, o0, o1, n0, n1);
  at += 6;
  for (int k = 0; k < o0 + n0 - 2; ++k) s.SetKnot(0, k, a[at++]);
  for (int k = 0; k < o1 + n1 - 2; ++k) s.SetKnot(1, k, a[at++]);
  for (int i = 0; i < n0; ++i)
    for (int j = 0; j < n1; ++j, at += 4) {
      if (rat)
        s.SetCV(i, j, ON_4dPoint(a[at], a[at + 1], a[at + 2], a[at + 3]));
      else
        s.SetCV(i, j, ON_3dPoint(a[at], a[at + 1], a[at + 2]));
    }
  return s;
}

// A grid of non-rational CVs over (i, j) with the height f(i, j).
template <class F>
Grid Relief(int n0, int n1, F f) {
  Grid g(n0, std::vector<ON_4dPoint>(n1));
  for (int i = 0; i < n0; ++i)
    for (int j = 0; j < n1; ++j) g[i][j] = ON_4dPoint(i, 2.0 * j, f(i, j), 1);
  return g;
}

// Surfaces of the tables.
const std::vector<double> kBilinear =
    SurfaceArgs(false, 2, 2, {0, 1}, {0, 2}, {{{0, 0, 0, 1}, {0, 2, 1, 1}}, {{1, 0, 1, 1}, {1, 2, 3, 1}}});
// Cubic by quadratic with interior knots of uneven spacing.
const std::vector<double> kCubicQuadratic = SurfaceArgs(false, 4, 3, {0, 0, 0, 1, 3, 3, 3}, {0, 0, 1, 2.5, 2.5},
                                                        Relief(5, 4, [](int i, int j) { return (i - 2) * (j - 1) + 0.5 * i * i; }));
// A rational dome: the middle CV lifted with weight 0.5, the edge middles with 2.
const std::vector<double> kDome = SurfaceArgs(
    true, 3, 3, {0, 0, 1, 1}, {0, 0, 2, 2},
    {{{0, 0, 0, 1}, {0, 2, 0, 2}, {0, 2, 0, 1}},
     {{2, 0, 0, 2}, {0.5, 0.5, 2, 0.5}, {2, 4, 0, 2}},
     {{2, 0, 0, 1}, {4, 2, 0, 2}, {2, 2, 0, 1}}});
// Rational in one direction only, with a knot of multiplicity two (a kink) in u.
const std::vector<double> kRationalKink = SurfaceArgs(
    true, 3, 2, {0, 0, 0.5, 0.5, 1, 1}, {0, 2},
    {{{1, 0, 0, 1}, {1, 0, 2, 1}}, {{kS, kS, 0, kS}, {kS, kS, 2 * kS, kS}}, {{0, 1, 0, 1}, {0, 1, 2, 1}},
     {{-2, 2, 1, 2}, {-2, 2, 5, 2}}, {{-1, 0, 0.5, 1}, {-1, 0, 2.5, 1}}});
// A cylinder of radius 2 and height 3: closed in u (the circle's 9 CVs) but not periodic.
const std::vector<double> kCylinder = [] {
  const double xy[9][3] = {{2, 0, 1}, {2, 2, kS}, {0, 2, 1}, {-2, 2, kS}, {-2, 0, 1},
                           {-2, -2, kS}, {0, -2, 1}, {2, -2, kS}, {2, 0, 1}};
  Grid g(9, std::vector<ON_4dPoint>(2));
  for (int i = 0; i < 9; ++i)
    for (int j = 0; j < 2; ++j) {
      const double w = xy[i][2];
      g[i][j] = ON_4dPoint(w * xy[i][0], w * xy[i][1], w * 3.0 * j, w);
    }
  return SurfaceArgs(true, 3, 2, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4}, {0, 3}, g);
}();
// Periodic quadratic in u (5 CVs, the first two repeated) over a quadratic in v;
// the last CV of row `row` moved by `lastShift` off its twin.
Grid PeriodicRing(double lastShift, int row = 0) {
  const double ring[5][2] = {{1, 0}, {0, 1}, {-1, 0}, {1, 0}, {0, 1}};
  Grid g(5, std::vector<ON_4dPoint>(4));
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j)
      g[i][j] = ON_4dPoint(ring[i][0] * (1 + j) + (i == 4 && j == row ? lastShift : 0.0), ring[i][1] * (1 + j), j, 1);
  return g;
}
const std::vector<double> kPeriodicU = SurfaceArgs(false, 3, 3, {-1, 0, 1, 2, 3, 4}, {0, 0, 1, 2, 2}, PeriodicRing(0));
// The same with a wrapped CV moved off its twin: in the first row the surface is
// not periodic; in another row openNURBS does not look, and it still is.
const std::vector<double> kBrokenRing =
    SurfaceArgs(false, 3, 3, {-1, 0, 1, 2, 3, 4}, {0, 0, 1, 2, 2}, PeriodicRing(1e-3));
const std::vector<double> kRingOffInRow2 =
    SurfaceArgs(false, 3, 3, {-1, 0, 1, 2, 3, 4}, {0, 0, 1, 2, 2}, PeriodicRing(0.5, 2));
// Periodic in v: the ring transposed, over a line in u.
const std::vector<double> kPeriodicV = [] {
  const Grid ring = PeriodicRing(0);
  Grid g(2, std::vector<ON_4dPoint>(5));
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 5; ++j) g[i][j] = ON_4dPoint(ring[j][0].x, ring[j][0].y, 4.0 * i, 1);
  return SurfaceArgs(false, 2, 3, {0, 4}, {-1, 0, 1, 2, 3, 4}, g);
}();
// Bad data that openNURBS still stores: a zero weight, NaN, knots out of order,
// an empty span, too many equal knots.
const std::vector<double> kZeroWeight =
    SurfaceArgs(true, 2, 2, {0, 1}, {0, 1}, {{{0, 0, 0, 1}, {0, 1, 0, 1}}, {{1, 0, 0, 1}, {1, 1, 1, 0}}});
const std::vector<double> kNaNCV =
    SurfaceArgs(false, 2, 2, {0, 1}, {0, 1}, {{{0, 0, 0, 1}, {0, 1, 0, 1}}, {{1, kNaN, 0, 1}, {1, 1, 1, 1}}});
const std::vector<double> kNaNKnot = SurfaceArgs(false, 2, 2, {0, kNaN}, {0, 1}, Relief(2, 2, [](int, int) { return 0.0; }));
const std::vector<double> kDecreasing = SurfaceArgs(false, 2, 2, {1, 0}, {0, 1}, Relief(2, 2, [](int, int) { return 0.0; }));
const std::vector<double> kEmptySpan = SurfaceArgs(false, 2, 2, {0, 1}, {1, 1}, Relief(2, 2, [](int, int) { return 0.0; }));
const std::vector<double> kTripleKnot =
    SurfaceArgs(false, 3, 2, {0, 1, 1, 1, 2}, {0, 1}, Relief(4, 2, [](int i, int) { return 1.0 * i; }));

Figures Flag(bool b) { return {b ? 1.0 : 0.0}; }

Figures SubsetProps(const Case& c) {
  size_t at = 0;
  const ON_NurbsSurface s = ReadSurface(c.args, at);
  const ON_Interval d0 = s.Domain(0), d1 = s.Domain(1);
  Figures out = {s.IsValid() ? 1.0 : 0.0, d0[0], d0[1], d1[0], d1[1], s.IsPeriodic(0) ? 1.0 : 0.0,
                 s.IsPeriodic(1) ? 1.0 : 0.0};
  ON_BoundingBox box;
  if (s.GetBoundingBox(box) && box.IsValid())
    out.insert(out.end(), {box.m_min.x, box.m_min.y, box.m_min.z, box.m_max.x, box.m_max.y, box.m_max.z});
  else
    out.insert(out.end(), 6, 0.0);
  return out;
}

Figures SubsetEval(const Case& c) {
  size_t at = 0;
  const ON_NurbsSurface s = ReadSurface(c.args, at);
  Figures out;
  for (size_t i = at; i + 1 < c.args.size(); i += 2) {
    double v[6][3] = {};
    if (!s.Evaluate(c.args[i], c.args[i + 1], 2, 3, &v[0][0])) return {};
    // P, Du, Duu, Dv, Dvv, in the reference's order.
    for (int k : {0, 1, 3, 2, 5}) out.insert(out.end(), {v[k][0], v[k][1], v[k][2]});
  }
  return out;
}

Figures SubsetIso(const Case& c) {
  size_t at = 0;
  const ON_NurbsSurface s = ReadSurface(c.args, at);
  ON_Curve* curve = s.IsoCurve(static_cast<int>(c.args[at]), c.args[at + 1]);
  const ON_NurbsCurve* nc = dynamic_cast<const ON_NurbsCurve*>(curve);
  Figures out = {-1};
  if (nc) {
    out = Flag(nc->IsRational());
    const Figures f = reference::NurbsFigures(*nc);
    out.insert(out.end(), f.begin(), f.end());
  }
  delete curve;
  return out;
}

Figures SubsetMotion(const Case& c) {
  size_t at = 0;
  ON_NurbsSurface s = ReadSurface(c.args, at);
  reference::RotateAndTranslate(s, c.args, at);
  Figures out;
  for (int i = 0; i < s.CVCount(0); ++i)
    for (int j = 0; j < s.CVCount(1); ++j) {
      ON_4dPoint p;
      s.GetCV(i, j, p);
      out.insert(out.end(), {p.x, p.y, p.z, p.w});
    }
  return out;
}

Figures Subset(const Case& c) {
  if (c.kind == "surface_props") return SubsetProps(c);
  if (c.kind == "surface_eval") return SubsetEval(c);
  if (c.kind == "surface_iso") return SubsetIso(c);
  return SubsetMotion(c);
}

TEST(OpennurbsReference, NurbsSurfaceProperties) {
  const std::vector<Case> cases = {
      {"bilinear", "surface_props", kBilinear},
      {"cubic_quadratic", "surface_props", kCubicQuadratic},
      {"rational_dome", "surface_props", kDome},
      {"rational_kink", "surface_props", kRationalKink},
      {"cylinder_closed_not_periodic", "surface_props", kCylinder},
      {"periodic_in_u", "surface_props", kPeriodicU},
      {"periodic_knots_ring_broken_in_row_0", "surface_props", kBrokenRing},
      {"periodic_knots_ring_broken_in_row_2", "surface_props", kRingOffInRow2},
      {"periodic_in_v", "surface_props", kPeriodicV},
      {"zero_weight_valid_without_box", "surface_props", kZeroWeight},
      {"nan_cv", "surface_props", kNaNCV},
      {"nan_knot", "surface_props", kNaNKnot},
      {"knots_out_of_order", "surface_props", kDecreasing},
      {"empty_span", "surface_props", kEmptySpan},
      {"knot_repeated_order_times", "surface_props", kTripleKnot},
  };
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, NurbsSurfaceEvaluation) {
  std::vector<Case> cases = {
      {"bilinear", "surface_eval", Join(kBilinear, {0, 0, 0.25, 1.5, 1, 2, 0.5, 0})},
      {"cubic_quadratic_inside", "surface_eval", Join(kCubicQuadratic, {0.3, 0.2, 2.2, 1.7, 1.5, 2.4, 3, 2.5, 0, 0})},
      {"cubic_quadratic_at_knots", "surface_eval", Join(kCubicQuadratic, {1, 1, 1, 0.5, 2, 1})},
      {"cubic_quadratic_outside", "surface_eval", Join(kCubicQuadratic, {-0.5, 1, 3.5, 3, 1, -1})},
      {"rational_dome", "surface_eval", Join(kDome, {0.5, 1, 0.1, 1.9, 0.8, 0.3, 0, 0, 1, 2})},
      {"rational_kink", "surface_eval", Join(kRationalKink, {0.25, 0.5, 0.75, 1.5, 1, 2})},
      {"cylinder", "surface_eval", Join(kCylinder, {0.3, 1, 1.5, 2, 3.9, 0.5})},
      {"periodic_across_the_seam", "surface_eval", Join(kPeriodicU, {0, 0.5, 0.01, 1, 2.99, 1.5, 3, 2})},
  };
  for (Case& c : cases) c.tolerance = 1e-10;  // derivatives of rational spans lose a few digits
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, NurbsSurfaceIsoCurves) {
  std::vector<Case> cases;
  const struct {
    const char* name;
    const std::vector<double>& args;
    std::vector<std::pair<int, double>> stations;
  } surfaces[] = {
      {"bilinear", kBilinear, {{0, 0}, {0, 0.7}, {0, 2}, {1, 0}, {1, 0.25}, {1, 1}, {0, 3}, {1, -1}}},
      {"cubic_quadratic", kCubicQuadratic, {{0, 0}, {0, 1}, {0, 1.7}, {0, 2.5}, {1, 0}, {1, 1}, {1, 2.2}, {1, 3}, {0, 4}, {1, -2}}},
      {"rational_dome", kDome, {{0, 0}, {0, 0.6}, {0, 2}, {1, 0}, {1, 0.3}, {1, 1}}},
      {"rational_kink", kRationalKink, {{0, 0}, {0, 1.2}, {0, 2}, {1, 0}, {1, 0.5}, {1, 0.8}, {1, 1}}},
      {"cylinder", kCylinder, {{0, 0}, {0, 1.5}, {0, 3}, {1, 0}, {1, 1.3}, {1, 4}}},
      {"periodic_u", kPeriodicU, {{0, 0}, {0, 1.1}, {0, 2}, {1, 0}, {1, 1.5}, {1, 3}}},
      {"periodic_v", kPeriodicV, {{0, 0}, {0, 0.5}, {0, 3}, {1, 0}, {1, 2}, {1, 4}}},
      {"invalid_empty_span", kEmptySpan, {{0, 1}, {1, 0.5}}},
      {"invalid_nan_cv", kNaNCV, {{0, 0.5}}},
      {"bad_direction", kBilinear, {{2, 0.5}, {-1, 0.5}}},
  };
  for (const auto& s : surfaces)
    for (const auto& [dir, c] : s.stations)
      cases.push_back({std::string(s.name) + "_dir" + std::to_string(dir) + "_at_" + std::to_string(c), "surface_iso",
                       Join(s.args, {static_cast<double>(dir), c})});
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, NurbsSurfaceMotions) {
  const std::vector<double> quarterTurnAndShift = {0.5 * ON_PI, 0, 0, 1, 1, 0, 0, 1, 2, 3};
  const std::vector<double> tilted = {2.5, 1, 2, 3, -1, 0.5, 4, -2, 0, 7};
  const std::vector<Case> cases = {
      {"bilinear_quarter_turn", "surface_motion", Join(kBilinear, quarterTurnAndShift)},
      {"dome_tilted", "surface_motion", Join(kDome, tilted)},
      {"cubic_quadratic_tilted", "surface_motion", Join(kCubicQuadratic, tilted)},
  };
  reference::Compare(cases, Subset);
}

}  // namespace
