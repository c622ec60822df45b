// The subset's NURBS curves against openNURBS itself: evaluation with
// derivatives (rational, at knots from either side, outside the domain, where the
// weights vanish), validity, closedness and periodicity at and around their
// tolerances, boxes, and the clamped and periodic uniform constructors.
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
using reference::NurbsArgs;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kS = std::sqrt(0.5);

// Curves of the tables.
const std::vector<double> kQuarterArc = NurbsArgs(3, true, 3, {0, 0, 1, 1}, {{1, 0, 0, 1}, {kS, kS, 0, kS}, {0, 1, 0, 1}});
const std::vector<double> kCubic = NurbsArgs(3, false, 4, {0, 0, 0, 1, 3, 3, 3},
                                             {{0, 0, 0, 1}, {1, 2, 0, 1}, {3, 2, 1, 1}, {4, -1, 2, 1}, {6, 0, 0, 1}});
const std::vector<double> kKink = NurbsArgs(3, false, 2, {0, 1, 2}, {{0, 0, 0, 1}, {1, 0, 0, 1}, {1, 1, 0, 1}});
const std::vector<double> kRationalDoubleKnot =
    NurbsArgs(3, true, 3, {0, 0, 1, 1, 2, 2},
              {{1, 0, 0, 1}, {kS, kS, 0, kS}, {0, 1, 0, 1}, {-2, 2, 1, 2}, {-1, 0, 0.5, 1}});
const std::vector<double> kPlanar = NurbsArgs(2, false, 3, {0, 0, 2, 2}, {{0, 0, 0, 1}, {1, 3, 0, 1}, {2, 0, 0, 1}});
const std::vector<double> kZeroWeight = NurbsArgs(3, true, 3, {0, 0, 1, 1}, {{1, 0, 0, 1}, {0, 0, 0, 0}, {0, 1, 0, 1}});
const std::vector<double> kWeightsCancel =
    NurbsArgs(3, true, 3, {0, 0, 1, 1}, {{1, 0, 0, 1}, {1, 1, 0, -1}, {0, 1, 0, 1}});
const std::vector<double> kHighOrder = NurbsArgs(
    3, false, 6, {0, 0, 0, 0, 0, 0.5, 2, 3.5, 4, 4, 4, 4},
    {{0, 0, 0, 1}, {1, 1, 0, 1}, {2, -1, 1, 1}, {3, 3, 0, 1}, {4, 0, -2, 1}, {5, 2, 1, 1}, {6, 1, 0, 1}, {7, 0, 3, 1}});
const std::vector<double> kPeriodicCubic =
    NurbsArgs(3, false, 4, {-2, -1, 0, 1, 2, 3, 4, 5, 6},
              {{0, 0, 0, 1}, {1, 0, 0, 1}, {1, 1, 0, 1}, {0, 1, 1, 1}, {0, 0, 0, 1}, {1, 0, 0, 1}, {1, 1, 0, 1}});

// A closed quadratic loop (order 3, 4 CVs) whose last CV is moved by `gap` in x,
// at a distance `at` from the origin.
std::vector<double> Loop(double at, double gap) {
  return NurbsArgs(3, false, 3, {0, 0, 1, 2, 2},
                   {{at, 0, 0, 1}, {at + 1, 0, 0, 1}, {at + 1, 1, 0, 1}, {at + gap, 0, 0, 1}});
}

// The periodic quadratic on the unit square's corners (5 CVs... as
// CreatePeriodicUniformNurbs makes it), with its last knot or its last CV moved.
std::vector<double> PeriodicSquare(double knotShift, double cvShift) {
  return NurbsArgs(3, false, 3, {-1, 0, 1, 2, 3, 4, 5 + knotShift},
                   {{0, 0, 0, 1}, {1, 0, 0, 1}, {1, 1, 0, 1}, {0, 1, 0, 1}, {0, 0, 0, 1}, {1 + cvShift, 0, 0, 1}});
}

Figures SubsetEval(const Case& c) {
  size_t at = 0;
  const ON_NurbsCurve curve = reference::ReadNurbs(c.args, at);
  const int der = static_cast<int>(c.args[at]), side = static_cast<int>(c.args[at + 1]);
  Figures out;
  for (size_t i = at + 2; i < c.args.size(); ++i) {
    std::vector<double> v(3 * (der + 1), 0.0);
    const bool ok = curve.Evaluate(c.args[i], der, 3, v.data(), side);
    out.push_back(ok ? 1 : 0);
    for (double x : v) out.push_back(ok ? x : 0.0);
  }
  return out;
}

Figures SubsetProps(const Case& c) {
  size_t at = 0;
  const ON_NurbsCurve curve = reference::ReadNurbs(c.args, at);
  const ON_Interval d = curve.Domain();
  Figures out = {curve.IsValid() ? 1.0 : 0.0, curve.IsClosed() ? 1.0 : 0.0, curve.IsPeriodic() ? 1.0 : 0.0, d[0],
                 d[1]};
  ON_BoundingBox box;
  if (curve.GetBoundingBox(box))
    out.insert(out.end(), {box.m_min.x, box.m_min.y, box.m_min.z, box.m_max.x, box.m_max.y, box.m_max.z});
  else
    out.insert(out.end(), 6, 0.0);
  return out;
}

Figures SubsetCreate(const Case& c) {
  std::vector<ON_3dPoint> points;
  for (size_t i = 2; i + 2 < c.args.size(); i += 3) points.emplace_back(c.args[i], c.args[i + 1], c.args[i + 2]);
  const int order = static_cast<int>(c.args[1]) + 1;
  ON_NurbsCurve nc;
  const bool ok = c.args[0] != 0.0
                      ? nc.CreatePeriodicUniformNurbs(3, order, static_cast<int>(points.size()), points.data())
                      : nc.CreateClampedUniformNurbs(3, order, static_cast<int>(points.size()), points.data());
  if (!ok) return {0};
  Figures f = {1};
  const Figures n = reference::NurbsFigures(nc);
  f.insert(f.end(), n.begin(), n.end());
  return f;
}

Figures Subset(const Case& c) {
  if (c.kind == "nurbs_eval") return SubsetEval(c);
  if (c.kind == "nurbs_props") return SubsetProps(c);
  return SubsetCreate(c);
}

TEST(OpennurbsReference, NurbsCurveEvaluation) {
  const std::vector<Case> cases = {
      {"quarter_arc", "nurbs_eval", Join(kQuarterArc, {2, 0, 0, 0.25, 0.5, 0.8, 1})},
      {"cubic_inside_and_outside", "nurbs_eval", Join(kCubic, {3, 0, -0.5, 0, 0.7, 1, 2, 3, 3.5})},
      {"kink_from_below", "nurbs_eval", Join(kKink, {1, -1, 0, 1, 2})},
      {"kink_default", "nurbs_eval", Join(kKink, {1, 0, 0, 1, 2})},
      {"kink_from_above", "nurbs_eval", Join(kKink, {1, 1, 0, 1, 2})},
      {"rational_double_knot_below", "nurbs_eval", Join(kRationalDoubleKnot, {2, -1, 0.5, 1, 1.5, 2})},
      {"rational_double_knot_above", "nurbs_eval", Join(kRationalDoubleKnot, {2, 1, 0, 1, 1.5})},
      {"planar", "nurbs_eval", Join(kPlanar, {2, 0, 0, 0.5, 1.3, 2})},
      {"zero_weight_cv", "nurbs_eval", Join(kZeroWeight, {1, 0, 0, 0.5, 1})},
      {"weights_cancel", "nurbs_eval", Join(kWeightsCancel, {1, 0, 0, 0.5, 1})},
      {"order_six", "nurbs_eval", Join(kHighOrder, {4, 0, 0, 0.3, 0.5, 1.7, 2, 3.9, 4})},
      {"order_six_beyond_degree", "nurbs_eval", Join(kHighOrder, {7, 0, 1.1})},
      {"periodic_cubic", "nurbs_eval", Join(kPeriodicCubic, {2, 0, 0, 0.5, 1, 2.25, 3.999, 4})},
  };
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, NurbsCurveValidityClosednessAndBoxes) {
  const std::vector<Case> cases = {
      {"open_cubic", "nurbs_props", kCubic},
      {"rational", "nurbs_props", kRationalDoubleKnot},
      {"planar", "nurbs_props", kPlanar},
      {"three_cvs_ends_meet", "nurbs_props",
       NurbsArgs(3, false, 3, {0, 0, 1, 1}, {{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, 0, 1}})},
      {"order2_three_cvs_ends_meet", "nurbs_props",
       NurbsArgs(3, false, 2, {0, 1, 2}, {{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, 0, 1}})},
      {"order2_triangle", "nurbs_props",
       NurbsArgs(3, false, 2, {0, 1, 2, 3}, {{0, 0, 0, 1}, {1, 0, 0, 1}, {1, 1, 0, 1}, {0, 0, 0, 1}})},
      {"bezier_loop", "nurbs_props",
       NurbsArgs(3, false, 4, {0, 0, 0, 1, 1, 1}, {{0, 0, 0, 1}, {1, 0, 0, 1}, {1, 1, 0, 1}, {0, 0, 0, 1}})},
      {"loop_closed", "nurbs_props", Loop(0, 0)},
      {"loop_gap_1e-10", "nurbs_props", Loop(0, 1e-10)},
      {"loop_gap_3e-10", "nurbs_props", Loop(0, 3e-10)},
      {"loop_far_gap_4.5e-7", "nurbs_props", Loop(1e6, 4.5e-7)},
      {"loop_far_gap_4.6e-7", "nurbs_props", Loop(1e6, 4.6e-7)},
      {"all_cvs_at_one_point", "nurbs_props",
       NurbsArgs(3, false, 3, {0, 0, 1, 2, 2}, {{2, 2, 2, 1}, {2, 2, 2, 1}, {2, 2, 2, 1}, {2, 2, 2, 1}})},
      {"third_at_the_start", "nurbs_props",
       NurbsArgs(3, false, 2, {0, 1, 2, 3}, {{0, 0, 0, 1}, {0, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, 0, 1}})},
      {"periodic_cubic", "nurbs_props", kPeriodicCubic},
      {"periodic_square", "nurbs_props", PeriodicSquare(0, 0)},
      {"periodic_knot_off_5e-8", "nurbs_props", PeriodicSquare(5e-8, 0)},
      {"periodic_knot_off_1e-7", "nurbs_props", PeriodicSquare(1e-7, 0)},
      {"periodic_cv_off_1e-10", "nurbs_props", PeriodicSquare(0, 1e-10)},
      {"periodic_cv_off_1e-8", "nurbs_props", PeriodicSquare(0, 1e-8)},
      {"periodic_order4_five_cvs", "nurbs_props",
       NurbsArgs(3, false, 4, {-2, -1, 0, 1, 2, 3, 4},
                 {{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, 0, 1}})},
      {"zero_weight", "nurbs_props", kZeroWeight},
      {"nan_cv", "nurbs_props", NurbsArgs(3, false, 3, {0, 0, 1, 1}, {{1, 0, 0, 1}, {kNaN, 1, 0, 1}, {0, 1, 0, 1}})},
      {"nan_knot", "nurbs_props", NurbsArgs(3, false, 3, {0, kNaN, 1, 1}, {{1, 0, 0, 1}, {1, 1, 0, 1}, {0, 1, 0, 1}})},
      {"empty_first_span", "nurbs_props",
       NurbsArgs(3, false, 3, {0, 0, 0, 1}, {{1, 0, 0, 1}, {1, 1, 0, 1}, {0, 1, 0, 1}})},
      {"knot_of_full_multiplicity", "nurbs_props",
       NurbsArgs(3, false, 3, {0, 0, 1, 1, 1, 2, 2},
                 {{0, 0, 0, 1}, {1, 0, 0, 1}, {2, 0, 0, 1}, {3, 0, 0, 1}, {4, 0, 0, 1}, {5, 0, 0, 1}})},
      {"decreasing_knots", "nurbs_props",
       NurbsArgs(3, false, 3, {0, 0, 2, 1, 3, 3}, {{0, 0, 0, 1}, {1, 0, 0, 1}, {2, 0, 0, 1}, {3, 0, 0, 1}})},
  };
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, ClampedAndPeriodicUniformCurves) {
  const std::vector<double> square = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  const std::vector<double> five = {0, 0, 0, 1, 2, 0, 3, 1, 1, 4, -1, 2, 5, 0, 0};
  const std::vector<Case> cases = {
      {"clamped_quadratic_five", "nurbs_create", Join({0, 2}, five)},
      {"clamped_cubic_four", "nurbs_create", Join({0, 3}, square)},
      {"clamped_linear_four", "nurbs_create", Join({0, 1}, square)},
      {"clamped_cubic_two_points", "nurbs_create", {0, 3, 0, 0, 0, 1, 0, 0}},
      {"periodic_cubic_four", "nurbs_create", Join({1, 3}, square)},
      {"periodic_quadratic_five", "nurbs_create", Join({1, 2}, five)},
      {"periodic_quadratic_two", "nurbs_create", {1, 2, 0, 0, 0, 1, 0, 0}},
      {"periodic_quartic_three", "nurbs_create", {1, 4, 0, 0, 0, 1, 0, 0, 1, 1, 0}},
      {"periodic_linear_four", "nurbs_create", Join({1, 1}, square)},
      {"periodic_one_point", "nurbs_create", {1, 3, 1, 2, 3}},
  };
  reference::Compare(cases, Subset);
}

}  // namespace
