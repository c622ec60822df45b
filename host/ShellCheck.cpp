#include "ShellCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace standin {

namespace {

struct CellKey {
  int64_t x, y, z;
  bool operator==(const CellKey& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct CellHash {
  size_t operator()(const CellKey& k) const {
    uint64_t h = static_cast<uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<uint64_t>(k.y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
    h ^= static_cast<uint64_t>(k.z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

// Welds corners into vertices. Cells are four tolerances wide, so a point can only
// match a vertex in a neighbouring cell when it lies near that side of its own cell;
// almost every lookup touches one cell.
class Welder {
 public:
  Welder(double tolerance, size_t expected) : m_tol(tolerance), m_cell(4 * tolerance) {
    m_cells.reserve(expected);
    m_points.reserve(expected);
    m_next.reserve(expected);
  }

  uint32_t Vertex(const double* p) {
    double scaled[3];
    int64_t cell[3];
    int lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
      scaled[a] = p[a] / m_cell;
      const double f = std::floor(scaled[a]);
      cell[a] = static_cast<int64_t>(f);
      const double frac = scaled[a] - f;
      lo[a] = frac < 0.3 ? -1 : 0;
      hi[a] = frac > 0.7 ? 1 : 0;
    }
    for (int dx = lo[0]; dx <= hi[0]; ++dx)
      for (int dy = lo[1]; dy <= hi[1]; ++dy)
        for (int dz = lo[2]; dz <= hi[2]; ++dz) {
          auto it = m_cells.find(CellKey{cell[0] + dx, cell[1] + dy, cell[2] + dz});
          if (it == m_cells.end()) continue;
          for (uint32_t v = it->second; v != kNone; v = m_next[v])
            if (Near(m_points[v], p)) return v;
        }
    const auto v = static_cast<uint32_t>(m_points.size());
    m_points.push_back({p[0], p[1], p[2]});
    auto [it, inserted] = m_cells.try_emplace(CellKey{cell[0], cell[1], cell[2]}, v);
    m_next.push_back(inserted ? kNone : it->second);
    if (!inserted) it->second = v;
    return v;
  }

 private:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;
  bool Near(const std::array<double, 3>& q, const double* p) const {
    return std::fabs(q[0] - p[0]) <= m_tol && std::fabs(q[1] - p[1]) <= m_tol && std::fabs(q[2] - p[2]) <= m_tol;
  }
  double m_tol, m_cell;
  std::unordered_map<CellKey, uint32_t, CellHash> m_cells;
  std::vector<std::array<double, 3>> m_points;
  std::vector<uint32_t> m_next;  // the next vertex in the same cell
};

}  // namespace

double ShellTolerance(const FaceList& faces) {
  double largest = 0;
  for (const PlanarFace& f : faces) {
    const int n = (f.count == 3 || f.count == 4) ? 3 * f.count : 0;
    for (int i = 0; i < n; ++i) largest = std::max(largest, std::fabs(f.corners[static_cast<size_t>(i)]));
  }
  return std::max(1e-12, 1e-9 * largest);
}

std::string ShellProblem(const FaceList& faces) {
  if (faces.empty()) return "no faces";
  for (size_t i = 0; i < faces.size(); ++i) {
    const PlanarFace& f = faces[i];
    if (f.count != 3 && f.count != 4) return "face " + std::to_string(i) + " has " + std::to_string(f.count) + " corners";
    for (int c = 0; c < 3 * f.count; ++c)
      if (!std::isfinite(f.corners[static_cast<size_t>(c)])) return "face " + std::to_string(i) + " has a corner that is not a number";
  }
  Welder welder(ShellTolerance(faces), faces.size() * 2);

  // Each side as (from << 32 | to).
  std::vector<uint64_t> sides;
  sides.reserve(faces.size() * 4);
  for (size_t i = 0; i < faces.size(); ++i) {
    const PlanarFace& f = faces[i];
    uint32_t v[4];
    for (int c = 0; c < f.count; ++c) {
      v[c] = welder.Vertex(&f.corners[static_cast<size_t>(3 * c)]);
      // A repeated corner makes a side of zero length, or folds the face onto
      // itself so that its own sides would pair up.
      for (int e = 0; e < c; ++e)
        if (v[e] == v[c]) return "face " + std::to_string(i) + " has the same corner twice";
    }
    for (int c = 0; c < f.count; ++c) sides.push_back(static_cast<uint64_t>(v[c]) << 32 | v[(c + 1) % f.count]);
  }
  std::sort(sides.begin(), sides.end());
  if (std::adjacent_find(sides.begin(), sides.end()) != sides.end())
    return "a side is used twice in the same direction (a face is flipped, or more than two faces meet)";
  std::vector<uint64_t> reversed(sides.size());
  std::transform(sides.begin(), sides.end(), reversed.begin(), [](uint64_t s) { return s << 32 | s >> 32; });
  std::sort(reversed.begin(), reversed.end());
  if (reversed != sides) return "a side has no face on its other side (the faces do not close)";
  return {};
}

}  // namespace standin
