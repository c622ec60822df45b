// Small meshes for the bridge tests.
#pragma once

#include <cmath>
#include <vector>

#include "opennurbs.h"

namespace testmesh {

struct Face4 {
  int a, b, c, d;  // d == c for a triangle
};

inline ON_Mesh Make(const std::vector<ON_3fPoint>& v, const std::vector<Face4>& f) {
  ON_Mesh m;
  for (const ON_3fPoint& p : v) m.SetVertex(m.VertexCount(), p);
  for (const Face4& q : f) m.SetQuad(m.FaceCount(), q.a, q.b, q.c, q.d);
  return m;
}

// A closed tetrahedron, faces outward: 4 triangles, 6 edges.
inline ON_Mesh Tetrahedron(float s = 1.0f) {
  return Make({{0, 0, 0}, {s, 0, 0}, {0, s, 0}, {0, 0, s}}, {{0, 2, 1, 1}, {0, 1, 3, 3}, {0, 3, 2, 2}, {1, 2, 3, 3}});
}

// A closed unit cube of six planar quads, faces outward. `lift` moves corner 7
// out along the cube's diagonal, which makes its three quads non-planar.
inline ON_Mesh Cube(float lift = 0.0f) {
  std::vector<ON_3fPoint> v;
  for (int i = 0; i < 8; ++i) v.emplace_back(float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1));
  v[7] = ON_3fPoint(1 + lift, 1 + lift, 1 + lift);
  return Make(v, {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}});
}

// A closed triangulated sphere with shared vertices: `rings` bands of `segments`
// faces between the poles.
inline ON_Mesh Sphere(int rings, int segments, float radius) {
  ON_Mesh m;
  m.SetVertex(0, ON_3fPoint(0, 0, radius));
  for (int r = 1; r < rings; ++r) {
    const double t = ON_PI * r / rings;
    for (int s = 0; s < segments; ++s) {
      const double p = 2 * ON_PI * s / segments;
      m.SetVertex(m.VertexCount(), ON_3dPoint(radius * std::sin(t) * std::cos(p), radius * std::sin(t) * std::sin(p),
                                              radius * std::cos(t)));
    }
  }
  const int south = m.VertexCount();
  m.SetVertex(south, ON_3fPoint(0, 0, -radius));
  auto at = [segments](int r, int s) { return 1 + (r - 1) * segments + (s % segments); };
  for (int s = 0; s < segments; ++s) m.SetTriangle(m.FaceCount(), 0, at(1, s), at(1, s + 1));
  for (int r = 1; r + 1 < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      m.SetTriangle(m.FaceCount(), at(r, s), at(r + 1, s), at(r + 1, s + 1));
      m.SetTriangle(m.FaceCount(), at(r, s), at(r + 1, s + 1), at(r, s + 1));
    }
  for (int s = 0; s < segments; ++s) m.SetTriangle(m.FaceCount(), south, at(rings - 1, s + 1), at(rings - 1, s));
  return m;
}

inline ON_Mesh WithoutFace(const ON_Mesh& m, int face) {
  ON_Mesh out(m);
  out.m_F.Remove(face);
  out.DestroyTopology();
  return out;
}

}  // namespace testmesh
