// Meshes from arbitrary bytes: coordinates from a small palette (so that vertices
// coincide, with -0, NaN and infinities among them), faces with indices that may
// lie outside the vertices. Checks that the topology is valid exactly when every
// face is (its sides on distinct edges), that its lists check out, that it has one
// edge per distinct pair, and that BreakQuads keeps a valid mesh and is idempotent.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <utility>

#include "ByteReader.h"
#include "ZTKMesh.h"

namespace {

using fuzzinput::Reader;

float Coordinate(uint8_t b) {
  static const float palette[16] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 2.0f, 1e-30f, 1e30f, 3.0f, 0.25f, -2.0f,
                                    std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                    1.0000001f, 7.0f, 0.1f};
  return palette[b & 15];
}

void Check(bool ok) {
  if (!ok) std::abort();
}

// A location as the topology tells locations apart: the coordinates' bits, with
// -0 taken as +0.
using Location = std::array<uint32_t, 3>;
Location LocationOf(const ON_3fPoint& p) {
  Location l;
  for (int i = 0; i < 3; ++i) {
    float f = p[i];
    if (f == 0.0f) f = 0.0f;
    std::memcpy(&l[static_cast<size_t>(i)], &f, sizeof f);
  }
  return l;
}

// Whether a face's sides run along distinct edges, worked out from its corners'
// locations alone: the rule ON_MeshTopologyFace::IsValid applies to the edges.
bool FaceIsValid(const ON_Mesh& m, const ON_MeshFace& f) {
  if (!f.IsValid(m.VertexCount())) return false;
  const int n = f.IsTriangle() ? 3 : 4;
  using Edge = std::pair<Location, Location>;
  const Edge none{{1, 1, 1}, {0, 0, 0}};  // no real edge has its ends in this order
  Edge e[4];
  for (int k = 0; k < n; ++k) {
    const Location a = LocationOf(m.m_V[f.vi[k]]), b = LocationOf(m.m_V[f.vi[(k + 1) % n]]);
    e[k] = a == b ? none : (a < b ? Edge{a, b} : Edge{b, a});
  }
  if (n == 3) e[3] = e[2];
  if (e[0] == e[1] || e[1] == e[2] || e[0] == e[2]) return false;
  return e[3] == e[2] || (e[3] != e[0] && e[3] != e[1]);
}

void CheckTopology(const ON_Mesh& m) {
  const ON_MeshTopology& t = m.Topology();
  Check(t.m_mesh == &m);
  bool facesValid = true;
  for (int i = 0; i < m.FaceCount(); ++i) facesValid = facesValid && FaceIsValid(m, m.m_F[i]);
  Check(t.IsValid() == facesValid);
  std::set<std::pair<int, int>> pairs;
  for (int e = 0; e < t.TopEdgeCount(); ++e) {
    const int a = t.m_tope[e].m_topvi[0], b = t.m_tope[e].m_topvi[1];
    Check(pairs.insert(a < b ? std::make_pair(a, b) : std::make_pair(b, a)).second);
  }
  // Without the faces that are not valid, the lists must check out.
  if (!facesValid) {
    ON_Mesh kept;
    kept.m_V = m.m_V;
    for (int i = 0; i < m.FaceCount(); ++i)
      if (FaceIsValid(m, m.m_F[i])) kept.m_F.Append(m.m_F[i]);
    Check(kept.Topology().IsValid());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader r{data, size};
  ON_Mesh m;
  const int nv = r.Byte() % 40;
  for (int i = 0; i < nv; ++i) {
    const float x = Coordinate(r.Byte()), y = Coordinate(r.Byte()), z = Coordinate(r.Byte());
    m.SetVertex(i, ON_3fPoint(x, y, z));
  }
  while (r.n >= 4) {
    int vi[4];
    for (int& v : vi) v = static_cast<int8_t>(r.Byte()) % (nv + 2);  // some out of range, some negative
    if (r.Byte() & 1) vi[3] = vi[2];
    m.SetQuad(m.FaceCount(), vi[0], vi[1], vi[2], vi[3]);
  }
  CheckTopology(m);

  // Merging identical vertices keeps every face's corners where they were and
  // leaves no two vertices at one location.
  {
    ON_Mesh merged(m);
    const bool any = merged.CombineIdenticalVertices(true, true);
    Check(merged.FaceCount() == m.FaceCount() && merged.VertexCount() <= m.VertexCount());
    Check(any == (merged.VertexCount() < m.VertexCount()));
    std::set<Location> seen;
    for (int v = 0; v < merged.VertexCount(); ++v) Check(seen.insert(LocationOf(merged.m_V[v])).second);
    for (int i = 0; i < m.FaceCount(); ++i)
      for (int k = 0; k < 4; ++k) {
        const int before = m.m_F[i].vi[k], after = merged.m_F[i].vi[k];
        if (before < 0 || before >= nv) Check(after == before);
        else
          Check(after >= 0 && after < merged.VertexCount() &&
                LocationOf(merged.m_V[after]) == LocationOf(m.m_V[before]));
      }
    CheckTopology(merged);
  }

  for (int mode : {1, 0}) {
    ON_Mesh work(m);
    const int faces = work.FaceCount();
    int count = -1;
    const int broken = ZTKMesh::BreakQuads(work, mode, &count);
    Check(broken >= 0 && broken == count && work.FaceCount() >= faces && work.FaceCount() <= faces + broken);
    for (int i = 0; i < work.FaceCount(); ++i)
      if (i >= faces || m.m_F[i].IsValid(nv)) Check(work.m_F[i].IsValid(nv));
    Check(ZTKMesh::BreakQuads(work, mode, nullptr) == 0);
    CheckTopology(work);
  }
  Check(ZTKMesh::BreakQuads(m, 5, nullptr) == -1);
  return 0;
}
