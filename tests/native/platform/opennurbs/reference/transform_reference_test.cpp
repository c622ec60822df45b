// The subset's transforms and boxes against openNURBS itself, and the comparison's
// own behaviour: a case that differs fails and shows both sides.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "Reference.h"
#include "opennurbs.h"

namespace {

using reference::Case;
using reference::Figures;

Figures RotatePoint(const Case& c) {
  const auto& a = c.args;
  ON_Xform x;
  x.Rotation(a[0], ON_3dVector(a[1], a[2], a[3]), ON_3dPoint(a[4], a[5], a[6]));
  const ON_3dPoint p = x * ON_3dPoint(a[7], a[8], a[9]);
  return {p.x, p.y, p.z};
}

Figures MeshBox(const Case& c) {
  ON_Mesh mesh;
  for (size_t i = 0; i + 2 < c.args.size(); i += 3)
    mesh.SetVertex(mesh.VertexCount(), ON_3dPoint(c.args[i], c.args[i + 1], c.args[i + 2]));
  for (int v = 0; v + 2 < mesh.VertexCount(); v += 3) mesh.SetTriangle(mesh.FaceCount(), v, v + 1, v + 2);
  const ON_BoundingBox box = mesh.BoundingBox();
  return {box.m_min.x, box.m_min.y, box.m_min.z, box.m_max.x, box.m_max.y, box.m_max.z};
}

Figures Subset(const Case& c) { return c.kind == "rotate_point" ? RotatePoint(c) : MeshBox(c); }

TEST(OpennurbsReference, RotationsAndBoxes) {
  const std::vector<Case> cases = {
      {"quarter_about_z", "rotate_point", {0.5 * ON_PI, 0, 0, 1, 0, 0, 0, 1, 0, 0}},
      {"one_radian_off_centre", "rotate_point", {1.0, 0, 0, 1, 1, 0, 0, 2, 0, 0}},
      {"tilted_axis", "rotate_point", {2.5, 1, 2, 3, -1, 0.5, 4, 3, -2, 7}},
      {"minus_half_turn_about_x", "rotate_point", {-ON_PI, 1, 0, 0, 0, 0, 0, 0, 1, 2}},
      {"full_turn", "rotate_point", {2 * ON_PI, 0, 1, 0, 0, 0, 0, 1, 2, 3}},
      {"box_of_a_triangle", "mesh_bbox", {0, 0, 0, 1, -2, 0.5, -3, 4, 8}},
      {"box_of_two_triangles", "mesh_bbox", {0, 0, 0, 1, -2, 0.5, -3, 4, 8, 10, 0.25, -6, 2, 2, 2, 3, 3, 3}},
  };
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, AMismatchFailsAndShowsBothSides) {
  const std::vector<Case> cases = {{"quarter_about_z", "rotate_point", {0.5 * ON_PI, 0, 0, 1, 0, 0, 0, 1, 0, 0}}};
  EXPECT_NONFATAL_FAILURE(reference::Compare(cases, [](const Case&) { return Figures{0.0, 1.0, 0.5}; }),
                          "case quarter_about_z (rotate_point");
  EXPECT_NONFATAL_FAILURE(reference::Compare(cases, [](const Case&) { return Figures{0.0, 1.0, 0.5}; }),
                          "reference: [");
  EXPECT_NONFATAL_FAILURE(reference::Compare({{"x", "no_such_kind", {}}}, [](const Case&) { return Figures{}; }),
                          "unknown kind no_such_kind");
}

}  // namespace
