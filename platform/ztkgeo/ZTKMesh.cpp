#include "ZTKMesh.h"

#include <cmath>

namespace {

constexpr double kPlanarTolerance = 1e-6;  // relative to the longer diagonal

enum class QuadAction { Keep, Split02, Split13, Reduce };

// Decides what to do with one four-corner face; for Reduce, `drop` receives the
// corner that repeats its predecessor.
QuadAction Judge(const ON_3dPoint p[4], bool allQuads, int* drop) {
  int repeats = 0;
  for (int k = 0; k < 4; ++k) {
    if (p[k] == p[(k + 3) % 4]) {
      ++repeats;
      *drop = k;
    }
  }
  if (repeats == 1) return QuadAction::Reduce;
  if (repeats > 1 || p[0] == p[2] || p[1] == p[3]) return QuadAction::Keep;

  const ON_3dVector d02 = p[2] - p[0], d13 = p[3] - p[1];
  const double l02 = d02.Length(), l13 = d13.Length();
  const QuadAction split = l02 <= l13 ? QuadAction::Split02 : QuadAction::Split13;
  if (allQuads) return split;

  ON_3dVector n = ON_CrossProduct(d02, d13);
  if (!n.Unitize()) return QuadAction::Keep;  // parallel diagonals: no area to speak of
  const ON_3dPoint c((p[0].x + p[1].x + p[2].x + p[3].x) * 0.25, (p[0].y + p[1].y + p[2].y + p[3].y) * 0.25,
                     (p[0].z + p[1].z + p[2].z + p[3].z) * 0.25);
  double twist = 0.0;
  for (int k = 0; k < 4; ++k) {
    const double d = std::fabs(ON_DotProduct(p[k] - c, n));
    if (d > twist) twist = d;
  }
  const double tol = kPlanarTolerance * (l02 > l13 ? l02 : l13);
  // A NaN twist fails this comparison, so a face with non-finite corners stays whole.
  return twist > tol ? split : QuadAction::Keep;
}

}  // namespace

int ZTKMesh::BreakQuads(ON_Mesh& mesh, int mode, int* count) {
  if (count) *count = 0;
  if (mode != BreakAllQuads && mode != BreakNonPlanarQuads) return -1;

  const int nV = mesh.m_V.Count();
  const int nF = mesh.m_F.Count();
  int changed = 0;
  for (int i = 0; i < nF; ++i) {
    const ON_MeshFace f = mesh.m_F[i];
    if (f.IsTriangle() || !f.IsValid(nV)) continue;
    ON_3dPoint p[4];
    for (int k = 0; k < 4; ++k) p[k] = ON_3dPoint(mesh.m_V[f.vi[k]]);
    int drop = 0;
    switch (Judge(p, mode == BreakAllQuads, &drop)) {
      case QuadAction::Keep:
        continue;
      case QuadAction::Reduce: {
        int v[3], n = 0;
        for (int k = 0; k < 4; ++k)
          if (k != drop) v[n++] = f.vi[k];
        mesh.SetTriangle(i, v[0], v[1], v[2]);
        break;
      }
      case QuadAction::Split02:
        mesh.SetTriangle(i, f.vi[0], f.vi[1], f.vi[2]);
        mesh.SetTriangle(mesh.m_F.Count(), f.vi[0], f.vi[2], f.vi[3]);
        break;
      case QuadAction::Split13:
        mesh.SetTriangle(i, f.vi[0], f.vi[1], f.vi[3]);
        mesh.SetTriangle(mesh.m_F.Count(), f.vi[1], f.vi[2], f.vi[3]);
        break;
    }
    ++changed;
  }
  if (count) *count = changed;
  return changed;
}
