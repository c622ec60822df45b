// The subset's line and polyline curves against openNURBS itself: domains,
// validity and closedness (three points back at the start, repeated points, ends
// within and beyond the coincidence tolerance), evaluation beyond the ends and on
// either side of a vertex, NURBS forms; and vectors turned about an axis.
#include <gtest/gtest.h>

#include "NurbsData.h"
#include "Reference.h"
#include "opennurbs.h"

namespace {

using reference::Case;
using reference::Figures;
using reference::Join;

Figures CurveFigures(const ON_Curve& curve, int side, const std::vector<double>& params) {
  const ON_Interval d = curve.Domain();
  Figures f = {d[0], d[1], curve.IsValid() ? 1.0 : 0.0, curve.IsClosed() ? 1.0 : 0.0, curve.IsPeriodic() ? 1.0 : 0.0};
  for (double t : params) {
    ON_3dPoint p;
    ON_3dVector d1;
    curve.Ev1Der(t, p, d1, side);
    f.insert(f.end(), {p.x, p.y, p.z, d1.x, d1.y, d1.z});
  }
  ON_NurbsCurve nc;
  if (curve.GetNurbForm(nc)) {
    f.push_back(1);
    const Figures n = reference::NurbsFigures(nc);
    f.insert(f.end(), n.begin(), n.end());
  } else {
    f.push_back(0);
  }
  return f;
}

Figures Subset(const Case& c) {
  const auto& a = c.args;
  if (c.kind == "line_curve") {
    const ON_LineCurve line(ON_3dPoint(a[0], a[1], a[2]), ON_3dPoint(a[3], a[4], a[5]));
    return CurveFigures(line, static_cast<int>(a[6]), std::vector<double>(a.begin() + 7, a.end()));
  }
  if (c.kind == "polyline_curve") {
    const size_t m = static_cast<size_t>(a[1]);
    ON_3dPointArray points;
    for (size_t i = 2 + m; i + 2 < a.size(); i += 3) points.Append(a[i], a[i + 1], a[i + 2]);
    const ON_PolylineCurve polyline(points);
    return CurveFigures(polyline, static_cast<int>(a[0]), std::vector<double>(a.begin() + 2, a.begin() + 2 + m));
  }
  ON_3dVector v(a[4], a[5], a[6]);
  v.Rotate(a[0], ON_3dVector(a[1], a[2], a[3]));
  return {v.x, v.y, v.z};
}

// A polyline case: side, parameters, then the points.
Case Polyline(const std::string& name, int side, const std::vector<double>& params,
              const std::vector<double>& points) {
  return {name, "polyline_curve", Join(Join({static_cast<double>(side), static_cast<double>(params.size())}, params),
                                       points)};
}

TEST(OpennurbsReference, LineAndPolylineCurves) {
  const std::vector<double> square = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0};
  const std::vector<Case> cases = {
      {"line", "line_curve", {0, 0, 0, 3, 4, 0, 0, -1, 0, 1, 2.5, 5, 10}},
      {"line_tilted", "line_curve", {1, -2, 3, -4, 5, 0.5, 0, 0, 0.3, 9.8}},
      {"line_of_length_zero", "line_curve", {1, 1, 1, 1, 1, 1, 0, 0, 0.5, 1}},
      Polyline("polyline_kink_default", 0, {-1, 0, 1, 1.5, 2, 5}, {0, 0, 0, 3, 0, 0, 3, 4, 0}),
      Polyline("polyline_kink_below", -1, {0, 1, 2}, {0, 0, 0, 3, 0, 0, 3, 4, 0}),
      Polyline("polyline_kink_above", 1, {0, 1, 2}, {0, 0, 0, 3, 0, 0, 3, 4, 0}),
      Polyline("closed_square", 0, {0, 1.5, 3}, square),
      Polyline("three_points_back_at_the_start", 0, {0.5}, {0, 0, 0, 1, 0, 0, 0, 0, 0}),
      Polyline("two_points", 0, {0.5}, {0, 0, 0, 1, 2, 3}),
      Polyline("repeated_point", 0, {0.5, 1.5}, {0, 0, 0, 0, 0, 0, 1, 0, 0}),
      Polyline("collinear_loop", 0, {1.5}, {0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 0, 0}),
      Polyline("out_and_back_twice", 0, {1.5}, {0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}),
      Polyline("gap_1e-10", 0, {}, {0, 0, 0, 1, 0, 0, 1, 1, 0, 1e-10, 0, 0}),
      Polyline("gap_3e-10", 0, {}, {0, 0, 0, 1, 0, 0, 1, 1, 0, 3e-10, 0, 0}),
      Polyline("all_at_one_point", 0, {}, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}),
  };
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, VectorsTurnedAboutAnAxis) {
  const std::vector<Case> cases = {
      {"quarter_about_z", "vector_rotate", {0.5 * ON_PI, 0, 0, 1, 1, 0, 0}},
      {"start_minus_centre_quarter_about_z", "vector_rotate", {1.5707963267948966, 0, 0, 1, 0.3, -0.2, 0.1}},
      {"tilted_axis", "vector_rotate", {2.5, 1, 2, 3, 3, -2, 7}},
      {"minus_half_turn", "vector_rotate", {-ON_PI, 1, 0, 0, 0, 1, 2}},
      {"along_the_axis", "vector_rotate", {1.0, 0, 0, 2, 0, 0, 5}},
  };
  reference::Compare(cases, Subset);
}

}  // namespace
