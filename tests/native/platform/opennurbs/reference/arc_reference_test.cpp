// The subset's circles, arcs and arc curves against openNURBS itself: the NURBS
// forms of arcs from a sliver to a full turn and beyond, at the span-count limits,
// in tilted planes and with negative angles; the points and the closedness of arc
// curves; and when a circle lies in a plane.
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

// The world x-y frame at `origin` turned by `angle` about `axis`: 12 numbers,
// the same to both sides.
std::vector<double> Frame(const ON_3dPoint& origin, const ON_3dVector& axis = ON_zaxis, double angle = 0.0) {
  ON_Xform r;
  r.Rotation(angle, axis, ON_origin);
  const ON_3dVector x = r * ON_xaxis, y = r * ON_yaxis, z = r * ON_zaxis;
  return {origin.x, origin.y, origin.z, x.x, x.y, x.z, y.x, y.y, y.z, z.x, z.y, z.z};
}

ON_Plane ReadPlane(const std::vector<double>& a, size_t i) {
  ON_Plane p;
  p.origin = ON_3dPoint(a[i], a[i + 1], a[i + 2]);
  p.xaxis = ON_3dVector(a[i + 3], a[i + 4], a[i + 5]);
  p.yaxis = ON_3dVector(a[i + 6], a[i + 7], a[i + 8]);
  p.zaxis = ON_3dVector(a[i + 9], a[i + 10], a[i + 11]);
  p.UpdateEquation();
  return p;
}

ON_Circle ReadCircle(const std::vector<double>& a) {
  return ON_Circle(ReadPlane(a, 0), ON_3dPoint(a[12], a[13], a[14]), a[15]);
}

void Add(Figures& f, const ON_3dPoint& p) { f.insert(f.end(), {p.x, p.y, p.z}); }
void Add(Figures& f, const ON_3dVector& v) { f.insert(f.end(), {v.x, v.y, v.z}); }

void AddForm(Figures& f, int rc, const ON_NurbsCurve& nc) {
  if (!rc) {
    f.push_back(0);
    return;
  }
  f.push_back(1);
  const Figures n = reference::NurbsFigures(nc);
  f.insert(f.end(), n.begin(), n.end());
}

Figures ArcFigures(const Case& c) {
  const auto& a = c.args;
  ON_Arc arc;
  arc.Create(ReadPlane(a, 0), ON_3dPoint(a[12], a[13], a[14]), a[15], a[16]);
  Figures f = {arc.IsValid() ? 1.0 : 0.0, arc.IsCircle() ? 1.0 : 0.0, arc.Domain()[0], arc.Domain()[1]};
  const ON_Plane& p = arc.Plane();
  Add(f, p.origin);
  Add(f, p.xaxis);
  Add(f, p.yaxis);
  Add(f, p.zaxis);
  f.push_back(arc.Radius());
  Add(f, arc.StartPoint());
  Add(f, arc.MidPoint());
  Add(f, arc.EndPoint());
  f.push_back(arc.Length());
  ON_NurbsCurve nc;
  AddForm(f, arc.GetNurbForm(nc), nc);
  return f;
}

Figures CircleFigures(const Case& c) {
  const ON_Circle circle = ReadCircle(c.args);
  Figures f = {circle.IsValid() ? 1.0 : 0.0};
  ON_NurbsCurve nc;
  AddForm(f, circle.GetNurbForm(nc), nc);
  for (size_t i = 16; i < c.args.size(); ++i) Add(f, circle.PointAt(c.args[i]));
  return f;
}

Figures InPlaneFigures(const Case& c) {
  return {ReadCircle(c.args).IsInPlane(ReadPlane(c.args, 16), c.args[28]) ? 1.0 : 0.0};
}

Figures ArcCurveFigures(const Case& c) {
  const auto& a = c.args;
  const ON_ArcCurve curve(ON_Arc(ReadCircle(a), a[16]));
  const ON_Interval d = curve.Domain();
  Figures f = {d[0], d[1], curve.IsValid() ? 1.0 : 0.0, curve.IsClosed() ? 1.0 : 0.0, curve.IsPeriodic() ? 1.0 : 0.0};
  for (size_t i = 17; i < a.size(); ++i) {
    ON_3dPoint p;
    ON_3dVector d1, d2;
    curve.Ev2Der(a[i], p, d1, d2);
    Add(f, p);
    Add(f, d1);
    Add(f, d2);
  }
  ON_NurbsCurve nc;
  AddForm(f, curve.GetNurbForm(nc), nc);
  return f;
}

Figures Subset(const Case& c) {
  if (c.kind == "arc") return ArcFigures(c);
  if (c.kind == "circle") return CircleFigures(c);
  if (c.kind == "circle_in_plane") return InPlaneFigures(c);
  return ArcCurveFigures(c);
}

// An arc of `degrees` on the unit circle of the world x-y plane.
Case Unit(const std::string& name, double degrees) {
  return {name, "arc", Join(Frame(ON_origin), {0, 0, 0, 1, degrees * ON_PI / 180.0})};
}

TEST(OpennurbsReference, ArcsAndTheirNurbsForms) {
  const double halfPi = 0.5 * ON_PI;
  const std::vector<double> tilted = Frame({5, -2, 1}, {1, 2, 3}, 0.7);
  const std::vector<Case> cases = {
      Unit("sliver_1e-3_degrees", 1e-3),
      Unit("one_degree", 1),
      Unit("quarter", 90),
      Unit("just_over_a_quarter", 90.001),
      Unit("120_degrees", 120),
      Unit("half", 180),
      Unit("just_over_a_half", 180.001),
      Unit("200_degrees", 200),
      Unit("359_degrees", 359),
      Unit("full_turn", 360),
      Unit("beyond_a_full_turn", 400),
      Unit("minus_90_degrees", -90),
      Unit("minus_200_degrees", -200),
      Unit("minus_full_turn", -360),
      Unit("minus_500_degrees", -500),
      // The span-count limits lie 2 ON_SQRT_EPSILON beyond a quarter and a half turn.
      {"quarter_plus_4e-8", "arc", Join(Frame(ON_origin), {0, 0, 0, 1, halfPi * (1 + 2.5e-8)})},
      {"quarter_plus_5e-8", "arc", Join(Frame(ON_origin), {0, 0, 0, 1, halfPi * (1 + 3.5e-8)})},
      {"half_plus_4e-8", "arc", Join(Frame(ON_origin), {0, 0, 0, 1, ON_PI * (1 + 2.5e-8)})},
      {"half_plus_5e-8", "arc", Join(Frame(ON_origin), {0, 0, 0, 1, ON_PI * (1 + 3.5e-8)})},
      // A full turn within ON_ZERO_TOLERANCE, and just beyond it.
      {"full_turn_less_2e-10", "arc", Join(Frame(ON_origin), {0, 0, 0, 1, 2 * ON_PI - 2e-10})},
      {"full_turn_less_3e-10", "arc", Join(Frame(ON_origin), {0, 0, 0, 1, 2 * ON_PI - 3e-10})},
      // The plane given is moved to the centre.
      {"tilted_off_centre", "arc", Join(tilted, {-1, 4, 2.5, 3.5, 2.2})},
      {"tilted_negative", "arc", Join(tilted, {-1, 4, 2.5, 3.5, -4.0})},
      {"tilted_full_turn", "arc", Join(Frame({0, 0, 0}, {0, 1, 0}, 1.2), {1, 2, 3, 0.25, 2 * ON_PI})},
      {"full_circle_about_a_centre", "arc", Join(Frame(ON_origin), {10, 20, 30, 7.5, 6.283185307179586})},
      // Arcs that cannot be: no radius, no angle, NaN.
      {"zero_radius", "arc", Join(Frame(ON_origin), {0, 0, 0, 0, 1})},
      {"negative_radius", "arc", Join(Frame(ON_origin), {0, 0, 0, -2, 1})},
      {"zero_angle", "arc", Join(Frame(ON_origin), {0, 0, 0, 1, 0})},
      {"angle_2e-10", "arc", Join(Frame(ON_origin), {0, 0, 0, 1, 2e-10})},
      {"angle_3e-10", "arc", Join(Frame(ON_origin), {0, 0, 0, 1, 3e-10})},
      {"nan_angle", "arc", Join(Frame(ON_origin), {0, 0, 0, 1, kNaN})},
  };
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, CirclesAndArcCurves) {
  const std::vector<Case> cases = {
      {"unit_circle", "circle", Join(Frame(ON_origin), {0, 0, 0, 1, 0, 1, 3, -2})},
      {"tilted_circle", "circle", Join(Frame({0, 0, 0}, {1, -1, 0.5}, 2.0), {1, 2, 3, 2, 0.3, 4})},
      {"no_radius", "circle", Join(Frame(ON_origin), {0, 0, 0, 0})},
      {"arc_curve_of_a_half", "arc_curve", Join(Frame(ON_origin), {0, 0, 0, 2, ON_PI, 0, 0.5, 3, 2 * ON_PI, 7})},
      {"arc_curve_tilted", "arc_curve", Join(Frame({0, 0, 0}, {0, 1, 1}, 0.4), {3, -1, 2, 0.5, 1.3, 0, 0.2, 0.65})},
      {"arc_curve_full_turn", "arc_curve", Join(Frame(ON_origin), {1, 1, 0, 3, 2 * ON_PI, 0, 4, 3 * 2 * ON_PI})},
      {"arc_curve_negative", "arc_curve", Join(Frame(ON_origin), {0, 0, 0, 1, -2, 0, 1, 2})},
      {"arc_curve_no_radius", "arc_curve", Join(Frame(ON_origin), {0, 0, 0, 0, 1})},
  };
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, CirclesInPlanes) {
  const std::vector<double> world = Frame(ON_origin);
  // A unit circle tilted by a tiny angle leans sin(angle) out of its plane.
  const auto tilted = [&](double angle, double height, double tolerance) {
    return Join(Join(Frame({0, 0, 0}, {1, 0, 0}, angle), {0, 0, height, 1}), Join(world, {tolerance}));
  };
  const std::vector<Case> cases = {
      {"in_the_plane", "circle_in_plane", tilted(0, 0, 1e-12)},
      {"raised_1e-6", "circle_in_plane", tilted(0, 1e-6, 1e-12)},
      {"raised_within", "circle_in_plane", tilted(0, 0.9e-12, 1e-12)},
      {"raised_beyond", "circle_in_plane", tilted(0, 1.1e-12, 1e-12)},
      {"tilted_within", "circle_in_plane", tilted(0.9e-12, 0, 1e-12)},
      {"tilted_beyond", "circle_in_plane", tilted(1.1e-12, 0, 1e-12)},
      {"tilted_and_raised", "circle_in_plane", tilted(0.5e-12, -0.45e-12, 1e-12)},
      {"tilted_and_raised_beyond", "circle_in_plane", tilted(0.5e-12, -0.55e-12, 1e-12)},
      {"upside_down", "circle_in_plane", tilted(ON_PI, 0, 1e-12)},
      {"vertical", "circle_in_plane", tilted(0.5 * ON_PI, 0, 1e-12)},
      {"big_circle_far_plane", "circle_in_plane",
       Join(Join(Frame({0, 0, 0}, {1, 2, 3}, 1.0), {3, 4, 5, 100}), Join(Frame({1, 1, 1}, {1, 2, 3}, 1.0), {1e-6}))},
      {"no_radius", "circle_in_plane", Join(Join(world, {0, 0, 0, 0}), Join(world, {1e-12}))},
  };
  reference::Compare(cases, Subset);
}

}  // namespace
