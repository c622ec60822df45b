// The subset's mesh members and colours against openNURBS itself: what
// CombineIdenticalVertices merges (compared by counts and by the corners of every
// face, since openNURBS reorders the vertices), what ON_Mesh::IsValid accepts, the
// topology edges of degenerate faces, and ON_Color's clamping and alpha.
#include <gtest/gtest.h>

#include <cstddef>
#include <limits>

#include "Reference.h"
#include "opennurbs.h"

namespace {

using reference::Case;
using reference::Figures;

constexpr double kInf = std::numeric_limits<double>::infinity();

// The mesh of a case (see kinds/mesh.js): vertex count, per vertex x y z and
// `extra` further values, then faces as four indices each.
ON_Mesh MakeMesh(const std::vector<double>& a, size_t first, int extra, std::vector<std::vector<double>>* extras) {
  ON_Mesh m;
  const int n = static_cast<int>(a[first]);
  size_t k = first + 1;
  for (int i = 0; i < n; ++i, k += 3 + static_cast<size_t>(extra)) {
    m.SetVertex(i, ON_3fPoint(static_cast<float>(a[k]), static_cast<float>(a[k + 1]), static_cast<float>(a[k + 2])));
    const auto at = a.begin() + static_cast<std::ptrdiff_t>(k + 3);
    if (extras) extras->emplace_back(at, at + extra);
  }
  for (; k + 3 < a.size(); k += 4)
    m.SetQuad(m.FaceCount(), static_cast<int>(a[k]), static_cast<int>(a[k + 1]), static_cast<int>(a[k + 2]),
              static_cast<int>(a[k + 3]));
  return m;
}

Figures Combine(const Case& c) {
  const bool ignoreNormals = c.args[0] != 0, ignoreAdditional = c.args[1] != 0;
  const int withNormals = static_cast<int>(c.args[2]), withColours = static_cast<int>(c.args[3]);
  std::vector<std::vector<double>> extras;
  ON_Mesh m = MakeMesh(c.args, 4, withNormals + withColours, &extras);
  for (const auto& e : extras) {
    if (withNormals) m.m_N.Append(ON_3fVector(0.0f, 0.0f, static_cast<float>(e[0])));
    if (withColours) m.m_C.Append(ON_Color(static_cast<int>(e[static_cast<size_t>(withNormals)]), 0, 0));
  }
  const bool merged = m.CombineIdenticalVertices(ignoreNormals, ignoreAdditional);
  Figures out = {merged ? 1.0 : 0.0, double(m.VertexCount()), double(m.m_N.Count()), double(m.m_C.Count())};
  for (int f = 0; f < m.FaceCount(); ++f)
    for (int v : m.m_F[f].vi) {
      const ON_3fPoint& p = m.m_V[v];
      out.insert(out.end(), {p.x, p.y, p.z});
    }
  return out;
}

Figures Valid(const Case& c) {
  ON_Mesh m = MakeMesh(c.args, 3, 0, nullptr);
  for (int i = 0; i < c.args[0]; ++i) m.m_N.Append(ON_3fVector(0, 0, 1));
  for (int i = 0; i < c.args[1]; ++i) m.m_T.Append(ON_2fPoint(0, 0));
  for (int i = 0; i < c.args[2]; ++i) m.m_C.Append(ON_Color(255, 0, 0));
  return {m.IsValid() ? 1.0 : 0.0};
}

Figures TopologyEdges(const Case& c) {
  const ON_Mesh m = MakeMesh(c.args, 0, 0, nullptr);
  return {double(m.Topology().TopEdgeCount())};
}

Figures Channels(const ON_Color& color) {
  return {double(color.Red()), double(color.Green()), double(color.Blue()), double(color.Alpha())};
}

Figures Subset(const Case& c) {
  const auto& a = c.args;
  if (c.kind == "mesh_combine") return Combine(c);
  if (c.kind == "mesh_valid") return Valid(c);
  if (c.kind == "mesh_topology_edges") return TopologyEdges(c);
  if (c.kind == "color_rgb") return Channels(ON_Color(int(a[0]), int(a[1]), int(a[2])));
  ON_Color color;
  color.SetRGBA(int(a[0]), int(a[1]), int(a[2]), int(a[3]));
  return Channels(color);
}

// Vertices shared by two triangles of the unit square, given once per triangle.
#define SQUARE_SEPARATE 6, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 2, 2, 3, 4, 5, 5

TEST(OpennurbsReference, CombineIdenticalVertices) {
  const std::vector<Case> cases = {
      {"square_of_separate_triangles", "mesh_combine", {1, 1, 0, 0, SQUARE_SEPARATE}},
      {"nothing_to_merge", "mesh_combine", {1, 1, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 2, 2}},
      {"unused_vertices_merge_but_stay", "mesh_combine",
       {1, 1, 0, 0, 5, 0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5, 5, 5, 5, 0, 1, 2, 2}},
      {"negative_zero_is_zero", "mesh_combine",
       {1, 1, 0, 0, 6, 0, 0, 0, 1, 0, 0, 1, 1, 0, -0.0, 0, -0.0, 1, 1, 0, 0, 1, 0, 0, 1, 2, 2, 3, 4, 5, 5}},
      // 1.00000001 and 1 are one float.
      {"equal_as_floats", "mesh_combine",
       {1, 1, 0, 0, 6, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1.00000001, 0, 0, 0, 1, 0, 0, 0, 2, 0, 1, 2, 2, 3, 4, 5, 5}},
      {"degenerate_triangle_keeps_repeated_index", "mesh_combine", {1, 1, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 2, 2}},
      {"quad_beside_triangle", "mesh_combine",
       {1, 1, 0, 0, 7, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 0, 2, 0, 0, 1, 1, 0, 0, 1, 2, 3, 4, 5, 6, 6}},
      // Normals: compared unless ignored, kept either way.
      {"different_normals_kept_apart", "mesh_combine",
       {0, 1, 1, 0, 6, 0, 0, 0, 1, 1, 0, 0, 1, 1, 1, 0, 1, 0, 0, 0, -1, 1, 1, 0, 1, 0, 1, 0, 1,
        0, 1, 2, 2, 3, 4, 5, 5}},
      {"different_normals_ignored", "mesh_combine",
       {1, 1, 1, 0, 6, 0, 0, 0, 1, 1, 0, 0, 1, 1, 1, 0, 1, 0, 0, 0, -1, 1, 1, 0, 1, 0, 1, 0, 1,
        0, 1, 2, 2, 3, 4, 5, 5}},
      // Colours: compared unless ignored; ignored, they are dropped.
      {"different_colours_kept_apart", "mesh_combine",
       {1, 0, 0, 1, 6, 0, 0, 0, 10, 1, 0, 0, 10, 1, 1, 0, 10, 0, 0, 0, 20, 1, 1, 0, 10, 0, 1, 0, 10,
        0, 1, 2, 2, 3, 4, 5, 5}},
      {"different_colours_ignored_and_dropped", "mesh_combine",
       {1, 1, 0, 1, 6, 0, 0, 0, 10, 1, 0, 0, 10, 1, 1, 0, 10, 0, 0, 0, 20, 1, 1, 0, 10, 0, 1, 0, 10,
        0, 1, 2, 2, 3, 4, 5, 5}},
      {"colours_stay_when_nothing_merges", "mesh_combine",
       {1, 1, 0, 1, 3, 0, 0, 0, 10, 1, 0, 0, 10, 0, 1, 0, 10, 0, 1, 2, 2}},
  };
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, MeshIsValid) {
  const std::vector<Case> cases = {
      {"triangle", "mesh_valid", {0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 2, 2}},
      {"two_corners_at_one_location", "mesh_valid", {0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 2, 2}},
      {"negative_zero_at_zero", "mesh_valid", {0, 0, 0, 3, 0, 0, 0, -0.0, 0, 0, 0, 1, 0, 0, 1, 2, 2}},
      {"collinear_corners", "mesh_valid", {0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 2, 2}},
      {"repeated_index", "mesh_valid", {0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 2, 2}},
      {"index_outside", "mesh_valid", {0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 7, 7}},
      {"negative_index", "mesh_valid", {0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, -1, 2, 2}},
      {"no_faces", "mesh_valid", {0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0}},
      {"infinite_coordinate", "mesh_valid", {0, 0, 0, 3, kInf, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 2, 2}},
      {"quad", "mesh_valid", {0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 2, 3}},
      {"quad_closing_on_its_first_corner", "mesh_valid", {0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 2, 0}},
      {"quad_with_diagonal_corners_at_one_location", "mesh_valid",
       {0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 2, 3}},
      {"one_normal_for_three_vertices", "mesh_valid", {1, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 2, 2}},
      {"a_normal_per_vertex", "mesh_valid", {3, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 2, 2}},
      {"one_texture_coordinate", "mesh_valid", {0, 1, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 2, 2}},
      // The colour list is not judged: a single entry for the whole mesh passes.
      {"one_colour_for_three_vertices", "mesh_valid", {0, 0, 1, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 2, 2}},
  };
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, TopologyEdgesOfDegenerateFaces) {
  const std::vector<Case> cases = {
      {"triangle", "mesh_topology_edges", {3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 2, 2}},
      {"two_corners_at_one_location", "mesh_topology_edges", {3, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 2, 2}},
      {"three_corners_at_one_location", "mesh_topology_edges", {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 2}},
      {"quad_whose_last_corner_is_its_first", "mesh_topology_edges",
       {4, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1, 2, 3}},
      {"square_of_separate_triangles", "mesh_topology_edges",
       {6, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 2, 2, 3, 4, 5, 5}},
      {"index_outside", "mesh_topology_edges", {3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 7, 7}},
  };
  reference::Compare(cases, Subset);
}

TEST(OpennurbsReference, Colors) {
  const std::vector<Case> cases = {
      {"white_has_alpha_zero", "color_rgb", {255, 255, 255}},
      {"rgb_clamped", "color_rgb", {300, -5, 128}},
      {"rgba", "color_rgba", {255, 127, 0, 64}},
      {"rgba_clamped_high_and_low", "color_rgba", {300, -5, 128, 1000}},
      {"rgba_just_outside", "color_rgba", {256, 511, -1, -5}},
      {"rgba_limits", "color_rgba", {0, 255, 0, 255}},
  };
  reference::Compare(cases, Subset);
}

}  // namespace
