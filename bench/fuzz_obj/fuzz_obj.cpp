// libFuzzer target for the OBJ reader, on its in-memory entry.
//
// Besides the sanitizers' checks it holds the reader to what its callers rely on: a
// failure leaves no mesh and says why; a success gives meshes whose faces index
// their own vertices, with distinct corners, and no vertex that no face uses; and
// the result is the same when the text is cut into many pieces for several threads.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "HBXOBJ.h"
#include "ObjReader.h"

namespace {

struct Outcome {
  int ok = 0;
  std::string error;
  std::vector<float> vertices;
  std::vector<int> faces;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

Outcome Run(const uint8_t* data, size_t size, int threads) {
  HBXOBJ::SetThreadCount(threads);
  ON_ClassArray<ON_Mesh> meshes;
  Outcome o;
  o.ok = HBXOBJ::OBJTextToMesh(data, size, CString(L"fuzz.obj"), meshes);
  if (!o.ok) {
    Check(meshes.Count() == 0);
    o.error = HBXOBJ::GetError().ToUtf8();
    Check(!o.error.empty());
    return o;
  }
  for (int i = 0; i < meshes.Count(); ++i) {
    const ON_Mesh& m = meshes[i];
    Check(m.FaceCount() > 0 && m.VertexCount() > 0);
    std::vector<char> used(static_cast<size_t>(m.VertexCount()), 0);
    for (int f = 0; f < m.FaceCount(); ++f) {
      const ON_MeshFace& face = m.m_F[f];
      Check(face.IsValid(m.VertexCount()));
      const int* v = face.vi;
      Check(v[0] != v[1] && v[1] != v[2] && v[0] != v[2]);
      if (face.IsQuad()) Check(v[3] != v[0] && v[3] != v[1]);
      for (int k = 0; k < 4; ++k) {
        used[static_cast<size_t>(v[k])] = 1;
        o.faces.push_back(v[k]);
      }
    }
    for (int k = 0; k < m.VertexCount(); ++k) {
      Check(used[static_cast<size_t>(k)] != 0);
      Check(std::isfinite(m.m_V[k].x) && std::isfinite(m.m_V[k].y) && std::isfinite(m.m_V[k].z));
      o.vertices.insert(o.vertices.end(), {m.m_V[k].x, m.m_V[k].y, m.m_V[k].z});
    }
    o.faces.push_back(-1);
  }
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  hbx::SetMinimumChunkSize(16);
  hbx::SetLargeMeshCorners(8);
  const Outcome one = Run(data, size, 1);
  // One input in sixteen again in pieces of 16 bytes and more, on three threads
  // (threads are slow to start under the sanitizers).
  if (size >= 48 && size % 16 == 0) {
    const Outcome three = Run(data, size, 3);
    Check(three.ok == one.ok && three.error == one.error && three.faces == one.faces);
    Check(three.vertices.size() == one.vertices.size());
    for (size_t i = 0; i < one.vertices.size(); ++i)  // bitwise, so -0 and 0 differ
      Check(std::signbit(one.vertices[i]) == std::signbit(three.vertices[i]) && one.vertices[i] == three.vertices[i]);
  }
  return 0;
}
