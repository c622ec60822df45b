#include "opennurbs_mesh.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

ON_Mesh::ON_Mesh(int initialFaceCapacity, int initialVertexCapacity, bool hasVertexNormals,
                 bool hasTextureCoordinates) {
  m_F.Reserve(initialFaceCapacity);
  m_V.Reserve(initialVertexCapacity);
  if (hasVertexNormals) m_N.Reserve(initialVertexCapacity);
  if (hasTextureCoordinates) m_T.Reserve(initialVertexCapacity);
}

ON_Mesh::ON_Mesh(const ON_Mesh& o)
    : ON_Geometry(o), m_V(o.m_V), m_F(o.m_F), m_N(o.m_N), m_T(o.m_T), m_C(o.m_C) {}

ON_Mesh& ON_Mesh::operator=(const ON_Mesh& o) {
  if (this != &o) {
    DestroyTopology();
    ON_Geometry::operator=(o);
    m_V = o.m_V;
    m_F = o.m_F;
    m_N = o.m_N;
    m_T = o.m_T;
    m_C = o.m_C;
  }
  return *this;
}

int ON_Mesh::TriangleCount() const {
  int n = 0;
  for (int i = 0; i < m_F.Count(); ++i) n += m_F[i].IsTriangle() ? 1 : 0;
  return n;
}

int ON_Mesh::QuadCount() const { return m_F.Count() - TriangleCount(); }

bool ON_Mesh::SetVertex(int i, const ON_3fPoint& p) {
  if (i < 0 || i > m_V.Count()) return false;
  DestroyTopology();
  if (i == m_V.Count()) m_V.Append(p);
  else m_V[i] = p;
  return true;
}

bool ON_Mesh::SetVertex(int i, const ON_3dPoint& p) { return SetVertex(i, ON_3fPoint(p)); }

bool ON_Mesh::SetTriangle(int i, int a, int b, int c) { return SetQuad(i, a, b, c, c); }

bool ON_Mesh::SetQuad(int i, int a, int b, int c, int d) {
  if (i < 0 || i > m_F.Count()) return false;
  DestroyTopology();
  ON_MeshFace& f = (i == m_F.Count()) ? m_F.AppendNew() : m_F[i];
  f.vi[0] = a;
  f.vi[1] = b;
  f.vi[2] = c;
  f.vi[3] = d;
  return true;
}

void ON_Mesh::Destroy() {
  DestroyTopology();
  m_V.Destroy();
  m_F.Destroy();
  m_N.Destroy();
  m_T.Destroy();
  m_C.Destroy();
}

bool ON_Mesh::IsValid() const {
  const int nV = m_V.Count(), nF = m_F.Count();
  if (nF < 1) return false;
  if ((m_N.Count() != 0 && m_N.Count() != nV) || (m_T.Count() != 0 && m_T.Count() != nV)) return false;
  const ON_3fPoint* V = m_V.Array();
  for (int f = 0; f < nF; ++f) {
    const ON_MeshFace& face = m_F[f];
    if (!face.IsValid(nV)) return false;
    const int n = face.IsTriangle() ? 3 : 4;
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j)
        if (face.vi[i] == face.vi[j] || V[face.vi[i]] == V[face.vi[j]]) return false;
  }
  return true;
}

bool ON_Mesh::Append(const ON_Mesh& other) {
  if (&other == this) {
    const ON_Mesh copy(other);
    return Append(copy);
  }
  const int nV = m_V.Count(), addV = other.m_V.Count(), addF = other.m_F.Count();
  if (addV > INT_MAX - nV || addF > INT_MAX - m_F.Count()) return false;
  if (addV == 0 && addF == 0) return true;
  DestroyTopology();
  // A per-vertex list survives only when both meshes have it for every vertex.
  auto keep = [&](auto& mine, const auto& theirs) {
    if (addV == 0) return;
    const bool whole = theirs.Count() == addV && (mine.Count() == nV || nV == 0);
    if (!whole || nV == 0) mine.Empty();
    if (whole) mine.Append(addV, theirs.Array());
  };
  keep(m_N, other.m_N);
  keep(m_T, other.m_T);
  keep(m_C, other.m_C);
  m_V.Append(addV, other.m_V.Array());
  const int first = m_F.Count();
  m_F.Append(addF, other.m_F.Array());
  ON_MeshFace* F = m_F.Array();
  // An index outside `other`'s vertices becomes -1, so that it cannot land on one
  // of this mesh's own vertices.
  for (int f = first; f < first + addF; ++f)
    for (int& v : F[f].vi) v = (v >= 0 && v < addV) ? v + nV : -1;
  return true;
}

const ON_MeshTopology& ON_Mesh::Topology() const {
  if (m_top.m_mesh != this || m_top.m_builtVertexCount != m_V.Count() || m_top.m_builtFaceCount != m_F.Count())
    m_top.Create(this);
  return m_top;
}

void ON_Mesh::DestroyTopology() { m_top.Destroy(); }

bool ON_Mesh::GetBBox(double* boxmin, double* boxmax, bool grow) const {
  const int n = m_V.Count();
  if (n == 0) return grow;
  int i = 0;
  if (!grow) {
    boxmin[0] = boxmax[0] = m_V[0].x;
    boxmin[1] = boxmax[1] = m_V[0].y;
    boxmin[2] = boxmax[2] = m_V[0].z;
    i = 1;
  }
  for (; i < n; ++i) {
    const ON_3fPoint& p = m_V[i];
    for (int k = 0; k < 3; ++k) {
      const double v = p[k];
      if (v < boxmin[k]) boxmin[k] = v;
      if (v > boxmax[k]) boxmax[k] = v;
    }
  }
  return true;
}

bool ON_Mesh::Transform(const ON_Xform& xform) {
  if (!xform.IsValid()) return false;
  DestroyTopology();
  for (int i = 0; i < m_V.Count(); ++i) m_V[i] = ON_3fPoint(xform * ON_3dPoint(m_V[i]));

  if (m_N.Count() > 0) {
    // Normals turn with the inverse transpose of the linear part. The cofactor
    // matrix is that times the determinant: unitizing removes its size, and its
    // sign is taken out here so that a mirror keeps normals on the mirrored side.
    const double(&m)[4][4] = xform.m_xform;
    double c[3][3];
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) {
        const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, k1 = (k + 1) % 3, k2 = (k + 2) % 3;
        c[r][k] = m[r1][k1] * m[r2][k2] - m[r1][k2] * m[r2][k1];
      }
    const double det = m[0][0] * c[0][0] + m[0][1] * c[0][1] + m[0][2] * c[0][2];
    if (det < 0.0)
      for (auto& row : c)
        for (double& v : row) v = -v;
    for (int i = 0; i < m_N.Count(); ++i) {
      const ON_3fVector& n = m_N[i];
      ON_3dVector v(c[0][0] * n.x + c[0][1] * n.y + c[0][2] * n.z, c[1][0] * n.x + c[1][1] * n.y + c[1][2] * n.z,
                    c[2][0] * n.x + c[2][1] * n.y + c[2][2] * n.z);
      if (!v.Unitize()) v.Zero();
      m_N[i] = ON_3fVector(v);
    }
  }
  return true;
}

// ---------------------------------------------------------------------------------
// Topology

namespace {

inline uint64_t Mix(uint64_t h) {
  h ^= h >> 30;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 27;
  h *= 0x94D049BB133111EBull;
  h ^= h >> 31;
  return h;
}

// The bits of a coordinate, with -0 folded onto +0 so that equal values match.
inline uint32_t KeyBits(float f) {
  if (f == 0.0f) f = 0.0f;
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

struct VertexKey {
  uint32_t x, y, z;
  bool operator==(const VertexKey& o) const { return x == o.x && y == o.y && z == o.z; }
};

inline VertexKey KeyOf(const ON_3fPoint& p) { return {KeyBits(p.x), KeyBits(p.y), KeyBits(p.z)}; }

// Seeded per build: the mixer is invertible, so without a seed a crafted file
// could put every vertex on one probe chain. The numbering does not depend on it.
inline uint64_t HashOf(const VertexKey& k, uint64_t seed) {
  return Mix((static_cast<uint64_t>(k.x) << 32 | k.y) ^ Mix(k.z ^ seed));
}

// A power of two at least 4/3 of n (load factor at most 3/4), at least 16.
size_t TableSize(size_t n) {
  size_t cap = 16;
  while (cap < n + n / 3 + 1) cap <<= 1;
  return cap;
}

// Turns per-item counts into start offsets (n + 1 entries; the last is the total).
void Offsets(int* counts, int n) {
  int sum = 0;
  for (int i = 0; i < n; ++i) {
    const int c = counts[i];
    counts[i] = sum;
    sum += c;
  }
  counts[n] = sum;
}

}  // namespace

bool ON_Mesh::CombineIdenticalVertices(bool bIgnoreVertexNormals, bool bIgnoreTextureCoordinates) {
  const int nV = m_V.Count();
  if (nV < 2) return false;
  // A list that is not one per vertex takes no part, and is left as it is.
  const bool normals = !bIgnoreVertexNormals && m_N.Count() == nV;
  const bool texture = !bIgnoreTextureCoordinates && m_T.Count() == nV;
  const bool colours = !bIgnoreTextureCoordinates && m_C.Count() == nV;
  const ON_3fPoint* V = m_V.Array();
  auto same = [&](int a, int b) {
    if (!(KeyOf(V[a]) == KeyOf(V[b]))) return false;
    if (normals && !(KeyBits(m_N[a].x) == KeyBits(m_N[b].x) && KeyBits(m_N[a].y) == KeyBits(m_N[b].y) &&
                     KeyBits(m_N[a].z) == KeyBits(m_N[b].z)))
      return false;
    if (texture && !(KeyBits(m_T[a].x) == KeyBits(m_T[b].x) && KeyBits(m_T[a].y) == KeyBits(m_T[b].y))) return false;
    if (colours && static_cast<unsigned int>(m_C[a]) != static_cast<unsigned int>(m_C[b])) return false;
    return true;
  };

  // Vertices are found by location alone; those that differ in what else counts
  // sit further along the probe chain, so a chain is walked to its end.
  const size_t tableSize = TableSize(static_cast<size_t>(nV));
  const size_t mask = tableSize - 1;
  std::unique_ptr<int[]> table(new int[tableSize]);
  std::memset(table.get(), 0xFF, tableSize * sizeof(int));
  std::unique_ptr<int[]> map(new int[static_cast<size_t>(nV)]);
  const uint64_t seed = Mix(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                            static_cast<uint64_t>(reinterpret_cast<uintptr_t>(table.get())));
  int kept = 0;
  constexpr int kAhead = 16;  // table slots are fetched this many vertices early
  for (int v = 0; v < nV; ++v) {
#if defined(__GNUC__)
    if (v + kAhead < nV) __builtin_prefetch(table.get() + (HashOf(KeyOf(V[v + kAhead]), seed) & mask));
#endif
    size_t slot = HashOf(KeyOf(V[v]), seed) & mask;
    for (;;) {
      const int rep = table[slot];
      if (rep < 0) {
        table[slot] = v;
        map[v] = kept++;
        break;
      }
      if (same(rep, v)) {
        map[v] = map[rep];
        break;
      }
      slot = (slot + 1) & mask;
    }
  }
  if (kept == nV) return false;

  // Each kept vertex moves to a lower or equal index, so the lists compact in place.
  DestroyTopology();
  auto compact = [&](auto& list, bool keep) {
    if (!keep) return;
    int written = 0;
    for (int v = 0; v < nV; ++v)
      if (map[v] == written) list[written++] = list[v];  // the first vertex of its location
    list.SetCount(kept);
  };
  compact(m_V, true);
  compact(m_N, m_N.Count() == nV);
  compact(m_T, texture);
  compact(m_C, colours);
  if (bIgnoreTextureCoordinates) {
    m_T.Destroy();
    m_C.Destroy();
  }
  ON_MeshFace* F = m_F.Array();
  for (int f = 0; f < m_F.Count(); ++f)
    for (int& i : F[f].vi)
      if (i >= 0 && i < nV) i = map[i];
  return true;
}

void ON_MeshTopology::Destroy() {
  m_mesh = nullptr;
  m_builtVertexCount = m_builtFaceCount = -1;
  m_topv_map.Destroy();
  m_topv.Destroy();
  m_tope.Destroy();
  m_topf.Destroy();
  m_vi_pool.Destroy();
}

bool ON_MeshTopology::Create(const ON_Mesh* mesh) {
  Destroy();
  if (!mesh) return false;
  const int nV = mesh->m_V.Count();
  const int nF = mesh->m_F.Count();
  if (nF > INT_MAX / 8) return false;  // side numbers (8 per face with a direction bit) must fit an int
  const ON_3fPoint* V = mesh->m_V.Array();
  const ON_MeshFace* F = mesh->m_F.Array();

  // One scratch block serves every step in turn, and it is the storage the edges
  // are finally written into: fresh memory costs a page fault per page on first
  // touch, which would otherwise dominate the build of a large mesh. The edges
  // are two ints each, so the block is used as ints until they are written.
  long long sideBound = 0;
  for (int f = 0; f < nF; ++f) sideBound += F[f].IsTriangle() ? 3 : 4;
  const size_t vertexTable = TableSize(static_cast<size_t>(nV));
  size_t scratchSize = vertexTable;
  const size_t edgeNeeds = 3 * static_cast<size_t>(nV) + static_cast<size_t>(sideBound) + 1;
  if (edgeNeeds > scratchSize) scratchSize = edgeNeeds;
  static_assert(sizeof(ON_MeshTopologyEdge) == 2 * sizeof(int), "an edge is two ints");
  std::unique_ptr<int[]> ownScratch;  // only when the block would not fit an int capacity
  int* scratch = nullptr;
  if ((scratchSize + 1) / 2 <= static_cast<size_t>(INT_MAX)) {
    m_tope.SetCapacity(static_cast<int>((scratchSize + 1) / 2));
    scratch = reinterpret_cast<int*>(m_tope.Array());
  } else {
    ownScratch.reset(new int[scratchSize]);
    scratch = ownScratch.get();
  }

  // 1. Topology vertices: one per distinct location, numbered as first met. The
  // table holds the first mesh vertex of each location.
  m_topv_map.SetCount(nV);
  int* map = m_topv_map.Array();
  int nT = 0;
  {
    const size_t mask = vertexTable - 1;
    const uint64_t seed =
        Mix(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
            static_cast<uint64_t>(reinterpret_cast<uintptr_t>(scratch)));
    int* table = scratch;
    std::memset(table, 0xFF, vertexTable * sizeof(int));
    constexpr int kAhead = 16;  // table slots are fetched this many vertices early
    for (int v = 0; v < nV; ++v) {
#if defined(__GNUC__)
      if (v + kAhead < nV) __builtin_prefetch(table + (HashOf(KeyOf(V[v + kAhead]), seed) & mask));
#endif
      const VertexKey k = KeyOf(V[v]);
      size_t s = HashOf(k, seed) & mask;
      for (;;) {
        const int rep = table[s];
        if (rep < 0) {
          table[s] = v;
          map[v] = nT++;
          break;
        }
        if (KeyOf(V[rep]) == k) {
          map[v] = map[rep];
          break;
        }
        s = (s + 1) & mask;
      }
    }
  }
  m_topv.SetCount(nT);
  ON_MeshTopologyVertex* topv = m_topv.Array();
  {
    int* start = scratch;
    std::memset(start, 0, sizeof(int) * (nT + 1));
    for (int v = 0; v < nV; ++v) ++start[map[v]];
    for (int t = 0; t < nT; ++t) topv[t].m_v_count = start[t];
    Offsets(start, nT);
    m_vi_pool.SetCount(nV);
    int* pool = m_vi_pool.Array();
    for (int t = 0; t < nT; ++t) topv[t].m_vi = pool + start[t];
    for (int v = 0; v < nV; ++v) pool[start[map[v]]++] = v;
  }

  // 2. Edges, in order of first appearance over faces and their sides. Sides are
  // grouped by their lower topology vertex; within a group a marker per upper
  // vertex finds the first side of every pair. Meshes number nearby vertices
  // alike, so this walks memory almost in order, and it is linear for any input.
  m_topf.SetCount(nF);
  ON_MeshTopologyFace* topf = m_topf.Array();
  int nE = 0;
  int nEdgeSides = 0;
  {
    // Side s = 4 * face + k. Faces with a bad index, and sides whose ends are one
    // topology vertex, get -1; the others first hold the side that opened their
    // group and then, in step 2c, the edge.
    int* start = scratch;
    std::memset(start, 0, sizeof(int) * (nT + 1));
    for (int f = 0; f < nF; ++f) {
      const ON_MeshFace& face = F[f];
      ON_MeshTopologyFace& tf = topf[f];
      for (int k = 0; k < 4; ++k) {
        tf.m_topei[k] = -1;
        tf.m_reve[k] = 0;
      }
      if (!face.IsValid(nV)) continue;
      const int n = face.IsTriangle() ? 3 : 4;
      for (int k = 0; k < n; ++k) {
        const int a = map[face.vi[k]], b = map[face.vi[k + 1 < n ? k + 1 : 0]];
        if (a == b) continue;
        tf.m_topei[k] = 0;  // a real side, filled in below
        ++start[a < b ? a : b];
        ++nEdgeSides;
      }
    }
    Offsets(start, nT);

    // 2a. Each group lists its sides in side order, each as its side number times
    // two, plus 1 when the side runs from the upper vertex down.
    int* grouped = scratch + (nT + 1);
    for (int f = 0; f < nF; ++f) {
      const ON_MeshFace& face = F[f];
      const ON_MeshTopologyFace& tf = topf[f];
      const int n = face.IsTriangle() ? 3 : 4;
      for (int k = 0; k < n; ++k) {
        if (tf.m_topei[k] < 0) continue;
        const int a = map[face.vi[k]], b = map[face.vi[k + 1 < n ? k + 1 : 0]];
        if (a < b) grouped[start[a]++] = 2 * (4 * f + k);
        else grouped[start[b]++] = 2 * (4 * f + k) + 1;
      }
    }
    // start[lo] now ends group lo, which begins where group lo-1 ends.

    // 2b. Within each group, every side learns the first side of its pair and
    // whether it runs against it.
    {
      int* mark = grouped + nEdgeSides;
      int* first = mark + nT;
      std::memset(mark, 0xFF, sizeof(int) * nT);
      int begin = 0;
      for (int lo = 0; lo < nT; ++lo) {
        const int end = start[lo];
        for (int j = begin; j < end; ++j) {
          const int sd = grouped[j], side = sd >> 1;
          const ON_MeshFace& face = F[side >> 2];
          const int k = side & 3, n = face.IsTriangle() ? 3 : 4;
          const int hi = map[face.vi[(sd & 1) ? k : (k + 1 < n ? k + 1 : 0)]];
          if (mark[hi] != lo) {
            mark[hi] = lo;
            first[hi] = sd;
            ++nE;
          }
          ON_MeshTopologyFace& tf = topf[side >> 2];
          tf.m_topei[k] = first[hi] >> 1;
          tf.m_reve[k] = static_cast<char>((sd ^ first[hi]) & 1);
        }
        begin = end;
      }
    }

    // 2c. In side order, the first side of a pair makes the edge; the later ones,
    // whose first side comes earlier, take its edge.
    m_tope.SetCount(nE);  // within the capacity: the scratch block stays where it is
    ON_MeshTopologyEdge* out = m_tope.Array();
    nE = 0;
    for (int f = 0; f < nF; ++f) {
      const ON_MeshFace& face = F[f];
      ON_MeshTopologyFace& tf = topf[f];
      const int n = face.IsTriangle() ? 3 : 4;
      for (int k = 0; k < n; ++k) {
        const int firstSide = tf.m_topei[k];
        if (firstSide < 0) continue;
        if (firstSide == 4 * f + k) {
          ON_MeshTopologyEdge& te = out[nE];
          te.m_topvi[0] = map[face.vi[k]];
          te.m_topvi[1] = map[face.vi[k + 1 < n ? k + 1 : 0]];
          tf.m_topei[k] = nE++;
        } else {
          tf.m_topei[k] = topf[firstSide >> 2].m_topei[firstSide & 3];
        }
      }
      if (n == 3) {
        tf.m_topei[3] = tf.m_topei[2];
        tf.m_reve[3] = tf.m_reve[2];
      }
    }
  }

  m_tope.Shrink();
  m_mesh = mesh;
  m_builtVertexCount = nV;
  m_builtFaceCount = nF;
  return true;
}

bool ON_MeshTopologyFace::IsValid() const {
  const int* e = m_topei;
  if (e[0] == e[1] || e[1] == e[2] || e[0] == e[2]) return false;
  return e[3] == e[2] || (e[3] != e[0] && e[3] != e[1]);
}

bool ON_MeshTopology::IsValid() const {
  if (!m_mesh) return false;
  const ON_Mesh& mesh = *m_mesh;
  const int nV = mesh.m_V.Count(), nF = mesh.m_F.Count();
  const int nT = m_topv.Count(), nE = m_tope.Count();
  if (m_topv_map.Count() != nV || m_topf.Count() != nF) return false;

  long long vsum = 0;
  for (int t = 0; t < nT; ++t) {
    const ON_MeshTopologyVertex& tv = m_topv[t];
    if (tv.m_v_count < 1 || !tv.m_vi) return false;
    const VertexKey k = KeyOf(mesh.m_V[tv.m_vi[0]]);
    for (int j = 0; j < tv.m_v_count; ++j) {
      const int v = tv.m_vi[j];
      if (v < 0 || v >= nV || m_topv_map[v] != t || !(KeyOf(mesh.m_V[v]) == k)) return false;
      if (j > 0 && v <= tv.m_vi[j - 1]) return false;
    }
    // The lowest mesh vertex of each location orders the topology vertices.
    if (t > 0 && tv.m_vi[0] <= m_topv[t - 1].m_vi[0]) return false;
    vsum += tv.m_v_count;
  }
  if (vsum != nV) return false;

  for (int e = 0; e < nE; ++e) {
    const ON_MeshTopologyEdge& te = m_tope[e];
    if (te.m_topvi[0] < 0 || te.m_topvi[0] >= nT || te.m_topvi[1] < 0 || te.m_topvi[1] >= nT ||
        te.m_topvi[0] == te.m_topvi[1])
      return false;
  }

  // Every side names the edge between its ends in the right direction; edges
  // come in order of first use, so each side uses an old edge or the next one.
  int nextEdge = 0;
  for (int f = 0; f < nF; ++f) {
    const ON_MeshFace& face = mesh.m_F[f];
    const ON_MeshTopologyFace& tf = m_topf[f];
    const int n = face.IsTriangle() ? 3 : 4;
    const bool valid = face.IsValid(nV);
    if (n == 3 && (tf.m_topei[3] != tf.m_topei[2] || tf.m_reve[3] != tf.m_reve[2])) return false;
    for (int k = 0; k < n; ++k) {
      const int e = tf.m_topei[k];
      if (!valid) {
        if (e != -1) return false;
        continue;
      }
      const int a = m_topv_map[face.vi[k]], b = m_topv_map[face.vi[k + 1 < n ? k + 1 : 0]];
      if (a == b) {
        if (e != -1) return false;
        continue;
      }
      if (e < 0 || e > nextEdge || e >= nE) return false;
      if (e == nextEdge) {
        if (tf.m_reve[k] != 0) return false;
        ++nextEdge;
      }
      const int from = m_tope[e].m_topvi[tf.m_reve[k] ? 1 : 0], to = m_tope[e].m_topvi[tf.m_reve[k] ? 0 : 1];
      if (from != a || to != b) return false;
    }
  }
  if (nextEdge != nE) return false;  // each edge is one distinct pair of topology vertices
  for (int f = 0; f < nF; ++f)
    if (!m_topf[f].IsValid()) return false;
  return true;
}
