// The subset's plane surfaces against openNURBS itself: validity, domains and
// boxes, evaluation inside and beyond the domain with domains that differ from
// the extents, iso-curves of both directions at the domain's ends, inside and
// beyond it, and motions that keep angles.
#include <gtest/gtest.h>

#include <cmath>

#include "NurbsData.h"
#include "Reference.h"
#include "opennurbs.h"

namespace {

using reference::Case;
using reference::Figures;
using reference::Join;

// A plane surface in the numbers kinds/planesurfaces.js reads: the plane's
// origin and axes, the extents (domains equal to them), then the domains.
std::vector<double> PlaneArgs(const ON_3dPoint& o, const ON_3dVector& x, const ON_3dVector& y,
                              const ON_3dVector& z, const ON_Interval& ex, const ON_Interval& ey,
                              const ON_Interval& dx, const ON_Interval& dy) {
  return {o.x, o.y, o.z, x.x, x.y, x.z, y.x, y.y, y.z, z.x, z.y, z.z,
          ex[0], ex[1], ey[0], ey[1], dx[0], dx[1], dy[0], dy[1]};
}

// The world axes spelled out: the tables below are built before main, when
// other translation units' constants may not be.
const ON_3dVector kX(1, 0, 0), kY(0, 1, 0), kZ(0, 0, 1);

std::vector<double> PlaneArgs(const ON_3dPoint& o, const ON_Interval& ex, const ON_Interval& ey) {
  return PlaneArgs(o, kX, kY, kZ, ex, ey, ex, ey);
}

// Made as the reference makes it: the plane, SetExtents with the domain in
// each direction, then SetDomain where the domains differ.
ON_PlaneSurface ReadPlaneSurface(const std::vector<double>& a, size_t& at) {
  ON_Plane plane;
  plane.origin = ON_3dPoint(a[0], a[1], a[2]);
  plane.xaxis = ON_3dVector(a[3], a[4], a[5]);
  plane.yaxis = ON_3dVector(a[6], a[7], a[8]);
  plane.zaxis = ON_3dVector(a[9], a[10], a[11]);
  plane.UpdateEquation();
  ON_PlaneSurface s(plane);
  s.SetExtents(0, ON_Interval(a[12], a[13]), true);
  s.SetExtents(1, ON_Interval(a[14], a[15]), true);
  if (a[16] != a[12] || a[17] != a[13]) s.SetDomain(0, a[16], a[17]);
  if (a[18] != a[14] || a[19] != a[15]) s.SetDomain(1, a[18], a[19]);
  at = 20;
  return s;
}

void AppendBox(const ON_Geometry& g, Figures& out) {
  ON_BoundingBox box;
  if (g.GetBoundingBox(box) && box.IsValid())
    out.insert(out.end(), {box.m_min.x, box.m_min.y, box.m_min.z, box.m_max.x, box.m_max.y, box.m_max.z});
  else
    out.insert(out.end(), 6, 0.0);
}

Figures SubsetProps(const Case& c) {
  size_t at = 0;
  const ON_PlaneSurface s = ReadPlaneSurface(c.args, at);
  const ON_Interval d0 = s.Domain(0), d1 = s.Domain(1);
  Figures out = {s.IsValid() ? 1.0 : 0.0, d0[0], d0[1], d1[0], d1[1], s.IsPeriodic(0) ? 1.0 : 0.0,
                 s.IsPeriodic(1) ? 1.0 : 0.0};
  AppendBox(s, out);
  for (size_t i = at; i + 1 < c.args.size(); i += 2) {
    ON_3dPoint p;
    ON_3dVector ds, dt;
    if (!s.Ev1Der(c.args[i], c.args[i + 1], p, ds, dt)) return out;
    out.insert(out.end(), {p.x, p.y, p.z, ds.x, ds.y, ds.z, dt.x, dt.y, dt.z});
  }
  return out;
}

Figures SubsetIso(const Case& c) {
  size_t at = 0;
  const ON_PlaneSurface s = ReadPlaneSurface(c.args, at);
  ON_Curve* curve = s.IsoCurve(static_cast<int>(c.args[at]), c.args[at + 1]);
  if (!curve) return {-1};
  const ON_3dPoint p = curve->PointAtStart(), q = curve->PointAtEnd();
  Figures out = {p.x, p.y, p.z, q.x, q.y, q.z};
  ON_NurbsCurve nc;
  curve->GetNurbForm(nc);
  const Figures f = reference::NurbsFigures(nc);
  out.insert(out.end(), f.begin(), f.end());
  delete curve;
  return out;
}

Figures SubsetMotion(const Case& c) {
  size_t at = 0;
  ON_PlaneSurface s = ReadPlaneSurface(c.args, at);
  reference::RotateAndTranslate(s, c.args, at);
  s.Scale(c.args[at + 10]);
  const ON_Interval d0 = s.Domain(0), d1 = s.Domain(1);
  Figures out = {d0[0], d0[1], d1[0], d1[1]};
  AppendBox(s, out);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) {
      const ON_3dPoint p = s.PointAt(d0[i], d1[j]);
      out.insert(out.end(), {p.x, p.y, p.z});
    }
  return out;
}

Figures Subset(const Case& c) {
  if (c.kind == "plane_srf") return SubsetProps(c);
  if (c.kind == "plane_srf_iso") return SubsetIso(c);
  return SubsetMotion(c);
}

const double kS = std::sqrt(0.5);
// At (1, 2, 3), extents [-1, 3] x [2, 5].
const std::vector<double> kOffset = PlaneArgs({1, 2, 3}, {-1, 3}, {2, 5});
// The same with the domains [10, 20] x [-4, -1], which the parameters run over.
const std::vector<double> kOwnDomain =
    PlaneArgs({1, 2, 3}, kX, kY, kZ, {-1, 3}, {2, 5}, {10, 20}, {-4, -1});
// A tilted frame: x along (1, 1, 0), y rising out of the world x-y plane.
const std::vector<double> kTilted = PlaneArgs({0.5, -1, 2}, {kS, kS, 0}, {-0.5, 0.5, kS}, {0.5, -0.5, kS},
                                              {0, 2}, {-1, 1}, {0, 1}, {0, 4});

TEST(OpennurbsReference, PlaneSurfaceProperties) {
  const std::vector<Case> cases = {
      {"world_xy_unit", "plane_srf", Join(PlaneArgs({0, 0, 0}, {0, 1}, {0, 1}), {0.5, 0.5, 1, 1})},
      {"offset", "plane_srf", Join(kOffset, {-1, 2, 0.5, 4, 3, 5, -3, 8})},
      {"own_domain", "plane_srf", Join(kOwnDomain, {10, -4, 12.5, -2, 20, -1, 25, 0})},
      {"tilted", "plane_srf", Join(kTilted, {0, 0, 0.3, 2.5, 1, 4, -1, 5})},
      // Extents that do not increase are refused: the [0, 1] of the plane stays.
      {"extents_decreasing", "plane_srf", Join(PlaneArgs({0, 0, 0}, {3, 1}, {0, 2}), {0.5, 1})},
      {"extents_empty", "plane_srf", Join(PlaneArgs({0, 0, 0}, {1, 1}, {0, 2}), {0.5, 1})},
      // So are domains that do not increase.
      {"domain_empty", "plane_srf",
       Join(PlaneArgs({1, 2, 3}, kX, kY, kZ, {-1, 3}, {2, 5}, {5, 5}, {2, 5}), {0, 3})},
      {"domain_decreasing", "plane_srf",
       Join(PlaneArgs({1, 2, 3}, kX, kY, kZ, {-1, 3}, {2, 5}, {5, 1}, {6, 2}), {0, 3})},
      // A frame whose axes are not perpendicular: no valid surface, a box still.
      {"plane_not_orthonormal", "plane_srf",
       PlaneArgs({0, 0, 0}, {1, 0, 0}, {kS, kS, 0}, {0, 0, 1}, {0, 1}, {0, 1}, {0, 1}, {0, 1})},
  };
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, PlaneSurfaceIsoCurves) {
  std::vector<Case> cases;
  const struct {
    const char* name;
    const std::vector<double>& args;
    std::vector<std::pair<int, double>> stations;
  } surfaces[] = {
      {"offset", kOffset, {{0, 2}, {0, 3.5}, {0, 5}, {1, -1}, {1, 0.25}, {1, 3}, {0, 7}, {1, -4}}},
      {"own_domain", kOwnDomain, {{0, -4}, {0, -2.5}, {0, -1}, {1, 10}, {1, 17}, {1, 20}, {1, 0}}},
      {"tilted", kTilted, {{0, 0}, {0, 1.5}, {0, 4}, {1, 0}, {1, 0.5}, {1, 1}}},
      {"bad_direction", kOffset, {{2, 3}, {-1, 3}}},
  };
  for (const auto& s : surfaces)
    for (const auto& [dir, c] : s.stations)
      cases.push_back({std::string(s.name) + "_dir" + std::to_string(dir) + "_at_" + std::to_string(c),
                       "plane_srf_iso", Join(s.args, {static_cast<double>(dir), c})});
  const std::vector<double> skewed =
      PlaneArgs({0, 0, 0}, {1, 0, 0}, {kS, kS, 0}, {0, 0, 1}, {0, 1}, {0, 1}, {0, 1}, {0, 1});
  cases.push_back({"plane_not_orthonormal_no_iso", "plane_srf_iso", Join(skewed, {0, 0.5})});
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, PlaneSurfaceMotions) {
  // angle, axis, centre, translation, scale about the origin
  const std::vector<Case> cases = {
      {"quarter_turn_and_shift", "plane_srf_motion", Join(kOffset, {0.5 * ON_PI, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1})},
      {"tilted_turned_and_scaled", "plane_srf_motion", Join(kTilted, {0.3, 1, 2, 3, 1, 1, 1, 0, 0, 2, 2.5})},
      {"own_domain_halved", "plane_srf_motion", Join(kOwnDomain, {-1.2, 0, 1, 0, 0, 0, 0, -3, 0, 0, 0.5})},
      {"point_reflection", "plane_srf_motion", Join(kOffset, {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, -2})},
  };
  reference::Compare(cases, Subset);
}

}  // namespace
