// Meshes from arbitrary bytes: coordinates from a small palette (so that vertices
// coincide, with -0, NaN and infinities among them), faces with indices that may
// lie outside the vertices. Checks that the topology is valid and has one edge
// per distinct pair, and that BreakQuads keeps a valid mesh and is idempotent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <utility>

#include "ZTKMesh.h"

namespace {

struct Reader {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() {
    if (!n) return 0;
    --n;
    return *p++;
  }
};

float Coordinate(uint8_t b) {
  static const float palette[16] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 2.0f, 1e-30f, 1e30f, 3.0f, 0.25f, -2.0f,
                                    std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                    1.0000001f, 7.0f, 0.1f};
  return palette[b & 15];
}

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckTopology(const ON_Mesh& m) {
  const ON_MeshTopology& t = m.Topology();
  Check(t.m_mesh == &m);
  Check(t.IsValid());
  std::set<std::pair<int, int>> pairs;
  for (int e = 0; e < t.TopEdgeCount(); ++e) {
    const int a = t.m_tope[e].m_topvi[0], b = t.m_tope[e].m_topvi[1];
    Check(pairs.insert(a < b ? std::make_pair(a, b) : std::make_pair(b, a)).second);
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
