// The subset's box brep against openNURBS itself: vertices with the edges that
// meet there, and the twelve edges with their ends, domains, directions and NURBS
// forms, for ordinary, inside-out, tiny and huge boxes, and no brep at all for
// degenerate corners.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "NurbsData.h"
#include "Reference.h"
#include "opennurbs.h"

namespace {

using reference::Case;
using reference::Figures;

// The corners openNURBS's box of an axis-aligned box has: the bottom four
// counter-clockwise from the minimum, then the top four.
Figures SubsetBox(const Case& c) {
  const auto& a = c.args;
  const double x[2] = {a[0], a[3]}, y[2] = {a[1], a[4]}, z[2] = {a[2], a[5]};
  ON_3dPoint corners[8];
  for (int k = 0; k < 2; ++k) {
    corners[4 * k + 0] = ON_3dPoint(x[0], y[0], z[k]);
    corners[4 * k + 1] = ON_3dPoint(x[1], y[0], z[k]);
    corners[4 * k + 2] = ON_3dPoint(x[1], y[1], z[k]);
    corners[4 * k + 3] = ON_3dPoint(x[0], y[1], z[k]);
  }
  const std::unique_ptr<ON_Brep> brep(ON_BrepBox(corners));
  if (!brep) return {0};
  Figures out = {1, static_cast<double>(brep->m_V.Count())};
  for (int i = 0; i < brep->m_V.Count(); ++i) {
    const ON_BrepVertex& v = brep->m_V[i];
    out.insert(out.end(), {v.point.x, v.point.y, v.point.z, static_cast<double>(v.EdgeCount())});
    for (int k = 0; k < v.EdgeCount(); ++k) out.push_back(v.m_ei[k]);
  }
  out.push_back(brep->m_E.Count());
  for (int i = 0; i < brep->m_E.Count(); ++i) {
    const ON_BrepEdge& e = brep->m_E[i];
    const ON_3dPoint p = e.PointAtStart(), q = e.PointAtEnd();
    const ON_Interval d = e.Domain();
    out.insert(out.end(), {p.x, p.y, p.z, q.x, q.y, q.z, d[0], d[1], e.ProxyCurveIsReversed() ? 1.0 : 0.0});
    ON_NurbsCurve nc;
    e.GetNurbForm(nc);
    const Figures f = reference::NurbsFigures(nc);
    out.insert(out.end(), f.begin(), f.end());
  }
  return out;
}

TEST(OpennurbsReference, BoxBreps) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<Case> cases = {
      {"box_1_2_3", "brep_box", {0, 0, 0, 1, 2, 3}},
      {"off_the_origin", "brep_box", {-5, -1, 2, -2, 4, 2.5}},
      {"inside_out", "brep_box", {1, 1, 1, 0, 0, 0}},
      {"inside_out_in_y_only", "brep_box", {0, 2, 0, 1, 0, 3}},
      {"thin_1e-8", "brep_box", {0, 0, 0, 1e-8, 1, 1}},
      {"huge", "brep_box", {0, 0, 0, 1e300, 1, 1}},
      {"flat_no_brep", "brep_box", {0, 0, 0, 1, 0, 3}},
      {"point_no_brep", "brep_box", {2, 2, 2, 2, 2, 2}},
      {"edge_1e-12_no_brep", "brep_box", {0, 0, 0, 1e-12, 1, 1}},
      {"nan_corner_no_brep", "brep_box", {0, 0, 0, nan, 1, 1}},
  };
  reference::Compare(cases, SubsetBox);
}

}  // namespace
