// libFuzzer target for the OBJ reader, on its in-memory entry.
//
// Besides the sanitizers' checks it holds the reader to what its callers rely on: a
// failure leaves no mesh and says why; a success gives meshes whose faces index
// their own vertices, with distinct corners, and no vertex that no face uses; and
// the result is the same when the text is cut into many pieces for several threads,
// and when it is read block by block as a file is.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <algorithm>
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

// Checks what a reading gave and sums it up for comparisons.
Outcome Summarize(int ok, const std::string& error, const ON_ClassArray<ON_Mesh>& meshes) {
  Outcome o;
  o.ok = ok;
  if (!o.ok) {
    Check(meshes.Count() == 0);
    o.error = error;
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

Outcome Run(const uint8_t* data, size_t size, int threads) {
  HBXOBJ::SetThreadCount(threads);
  ON_ClassArray<ON_Mesh> meshes;
  const int ok = HBXOBJ::OBJTextToMesh(data, size, CString(L"fuzz.obj"), meshes);
  return Summarize(ok, ok ? std::string() : HBXOBJ::GetError().ToUtf8(), meshes);
}

void Same(const Outcome& a, const Outcome& b) {
  Check(a.ok == b.ok && a.error == b.error && a.faces == b.faces);
  Check(a.vertices.size() == b.vertices.size());
  for (size_t i = 0; i < a.vertices.size(); ++i)  // bitwise, so -0 and 0 differ
    Check(std::signbit(a.vertices[i]) == std::signbit(b.vertices[i]) && a.vertices[i] == b.vertices[i]);
}

// The text read at once, and read as a file is, in blocks of a few bytes.
void CompareBlocks(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  size_t offset = 0;
  if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) return;
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) offset = 3;
  ON_ClassArray<ON_Mesh> whole, blocks;
  std::string e1, e2;
  const bool ok1 = hbx::ReadObjText(text + offset, size - offset, 1, whole, e1);
  const hbx::ReadAt readAt = [&](uint64_t at, char* dst, size_t n, std::string&) -> int64_t {
    if (at >= size) return 0;
    const size_t m = std::min<size_t>(n, size - static_cast<size_t>(at));
    std::memcpy(dst, text + at, m);
    return static_cast<int64_t>(m);
  };
  hbx::SetBlockSize(16 + size % 23);
  const bool ok2 = hbx::ReadObjStream(readAt, size, offset, 1, blocks, e2);
  Same(Summarize(ok1, e1, whole), Summarize(ok2, e2, blocks));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  hbx::SetMinimumChunkSize(16);
  hbx::SetLargeMeshCorners(8);
  const Outcome one = Run(data, size, 1);
  // One input in sixteen again in pieces of 16 bytes and more, on three threads
  // (threads are slow to start under the sanitizers).
  if (size >= 48 && size % 16 == 0) Same(one, Run(data, size, 3));
  CompareBlocks(data, size);
  return 0;
}
