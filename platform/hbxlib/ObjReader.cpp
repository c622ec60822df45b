#include "ObjReader.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <type_traits>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ObjMemory.h"
#include "ObjNumber.h"
#include "ObjPolygon.h"

// How the reader works. The text is cut at line boundaries into one piece per
// worker. A first parallel pass counts the v, vt, vn and f statements of each piece,
// so every piece then knows how many of each come before it; a second parallel pass
// parses each piece completely, vertices straight into their final place in one
// array, faces as checked 0-based vertex indices, group and object names as events.
// Every check that needs to know what came before (relative indices, references to
// missing data) is thus made while the line is at hand, and the first failing line
// of the file is found whatever the number of workers. Then, in file order, the
// names are mapped to meshes, the text is let go, and each mesh gathers its faces
// and the vertices they use.

namespace hbx {
namespace {

size_t g_minimumChunk = size_t{1} << 18;
uint64_t g_largeMesh = uint64_t{1} << 20;  // corners from which one mesh is built on all threads
size_t g_blockPerThread = size_t{2} << 20;  // text read per round and thread
constexpr size_t kMaximumChunk = size_t{1} << 30;  // keeps offsets within a piece in 32 bits

// A growable array of plain data. Large blocks grow in place in the address space
// (ObjMemory), without a second copy alive at the same time.
template <class T>
class PodVec {
 public:
  PodVec() = default;
  PodVec(const PodVec&) = delete;
  PodVec& operator=(const PodVec&) = delete;
  PodVec& operator=(PodVec&& o) noexcept {
    if (this != &o) {
      release();
      m_p = o.m_p, m_size = o.m_size, m_cap = o.m_cap;
      o.m_p = nullptr, o.m_size = o.m_cap = 0;
    }
    return *this;
  }
  PodVec(PodVec&& o) noexcept : m_p(o.m_p), m_size(o.m_size), m_cap(o.m_cap) { o.m_p = nullptr, o.m_size = o.m_cap = 0; }
  ~PodVec() { FreeBlock(m_p, m_cap * sizeof(T)); }
  size_t size() const { return m_size; }
  size_t capacity() const { return m_cap; }
  T* data() { return m_p; }
  const T* data() const { return m_p; }
  T& operator[](size_t i) { return m_p[i]; }
  const T& operator[](size_t i) const { return m_p[i]; }
  T& back() { return m_p[m_size - 1]; }
  void reserve(size_t n) {
    if (n > m_cap) Resize(n);
  }
  void push_back(T v) {
    if (m_size == m_cap) Resize(m_cap < 64 ? 64 : m_cap * 2);
    m_p[m_size++] = v;
  }
  void pop_back() { --m_size; }
  void truncate(size_t n) { m_size = n; }
  void set_size(size_t n) {
    reserve(n);
    m_size = n;
  }
  // Shrinks the block to what is used: spare room in a large block may cost whole
  // huge pages.
  void shrink_to_fit() {
    if (m_size < m_cap && m_size > 0) Resize(m_size, true);
  }

  void release() {
    FreeBlock(m_p, m_cap * sizeof(T));
    m_p = nullptr;
    m_size = m_cap = 0;
  }

 private:
  void Resize(size_t n, bool exact = false) {
    if (n > SIZE_MAX / sizeof(T) - kBlockGrain) throw std::bad_alloc();
    // Large blocks grow in whole huge pages.
    if (!exact && n * sizeof(T) >= kBlockGrain / 2) n = (n * sizeof(T) + kBlockGrain - 1) / kBlockGrain * kBlockGrain / sizeof(T);
    void* p = ResizeBlock(m_p, m_cap * sizeof(T), n * sizeof(T));
    if (!p) throw std::bad_alloc();
    m_p = static_cast<T*>(p);
    m_cap = n;
  }
  T* m_p = nullptr;
  size_t m_size = 0, m_cap = 0;
};

// ---------------------------------------------------------------------------------
// Lines and tokens. A statement is one line; a backslash right before a line end
// joins the next line to it as a blank would. A '#' begins a comment that runs to
// the end of its own line, also after a backslash.

// p is at a line end: "\n", "\r\n" or "\r".
inline const char* SkipLineEnd(const char* p, const char* end) {
  if (p < end && *p == '\r') {
    ++p;
    if (p < end && *p == '\n') ++p;
    return p;
  }
  if (p < end && *p == '\n') ++p;
  return p;
}

inline const char* SkipPhysicalLine(const char* p, const char* end) {
  while (p < end && !IsLineEnd(*p)) ++p;
  if (p == end) return end;
  if (*p == '\r') return (p + 1 < end && p[1] == '\n') ? p + 2 : p + 1;
  return p + 1;
}

template <bool kEnded = false>
[[gnu::always_inline]] inline const char* SkipBlanks(const char* p, const char* end) {
  for (;;) {
    while (More<kEnded>(p, end) && IsBlank(*p)) ++p;
    if (More<kEnded>(p, end) && *p == '\\' && (p + 1 == end || IsLineEnd(p[1]))) {
      p = SkipLineEnd(p + 1, end);
      continue;
    }
    return p;
  }
}

// Characters that need a look while the rest of a statement is skipped.
struct SkipTable {
  bool stop[256] = {};
  SkipTable() { stop[static_cast<unsigned char>('\n')] = stop[static_cast<unsigned char>('\r')] = stop[static_cast<unsigned char>('#')] = stop[static_cast<unsigned char>('\\')] = true; }
};
const SkipTable kSkip;

// The first character at or after p that needs a look, or end.
inline const char* FindStop(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i nl = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), hash = _mm_set1_epi8('#'), bs = _mm_set1_epi8('\\');
  while (end - p >= 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, nl), _mm_cmpeq_epi8(x, cr)),
                                   _mm_or_si128(_mm_cmpeq_epi8(x, hash), _mm_cmpeq_epi8(x, bs)));
    const int mask = _mm_movemask_epi8(m);
    if (mask) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p < end && !kSkip.stop[static_cast<unsigned char>(*p)]) ++p;
  return p;
}

// Moves past the rest of the statement that p is in, its line end included.
inline const char* SkipStatement(const char* p, const char* end) {
  for (;;) {
    p = FindStop(p, end);
    if (p == end) return end;
    const char c = *p;
    if (c == '#') return SkipPhysicalLine(p, end);
    if (c == '\\') {
      if (p + 1 == end) return end;
      if (IsLineEnd(p[1])) {
        p = SkipLineEnd(p + 1, end);
        continue;
      }
      ++p;
      continue;
    }
    return SkipLineEnd(p, end);
  }
}

// After the last token of a statement (p already past blanks): true at its end.
template <bool kEnded = false>
inline bool AtStatementEnd(const char* p, const char* end) { return !More<kEnded>(p, end) || IsLineEnd(*p) || *p == '#'; }
inline const char* FinishStatement(const char* p, const char* end) {
  if (p == end) return end;
  if (*p == '#') return SkipPhysicalLine(p, end);
  return SkipLineEnd(p, end);
}

enum class Kind { Vertex, TexCoord, Normal, Face, Name, Other };

// p is at the first character of a statement that is not a blank.
template <bool kEnded = false>
inline Kind Classify(const char* p, const char* end, const char*& after) {
  const char c = *p;
  if (c == 'v') {
    if (IsTokenEnd<kEnded>(p + 1, end)) return after = p + 1, Kind::Vertex;
    if (p[1] == 't' && IsTokenEnd<kEnded>(p + 2, end)) return after = p + 2, Kind::TexCoord;
    if (p[1] == 'n' && IsTokenEnd<kEnded>(p + 2, end)) return after = p + 2, Kind::Normal;
  } else if (c == 'f') {
    if (IsTokenEnd<kEnded>(p + 1, end)) return after = p + 1, Kind::Face;
    if (p[1] == 'o' && IsTokenEnd<kEnded>(p + 2, end)) return after = p + 2, Kind::Face;  // the old spelling of f
  } else if (c == 'g' || c == 'o') {
    if (IsTokenEnd<kEnded>(p + 1, end)) return after = p + 1, Kind::Name;
  }
  return Kind::Other;
}

// ---------------------------------------------------------------------------------

struct NameEvent {
  uint32_t face;  // the name holds from this face of the piece on
  uint32_t offset, length;  // in the piece's names
};

// What the faces between two name statements of a piece need in a mesh.
struct Segment {
  uint64_t faceBound = 0;  // faces once polygons are cut into triangles, at most
  int32_t lowest = INT32_MAX, highest = -1;  // vertex indices used
  bool polygons = false;
};

struct Chunk {
  const char* begin = nullptr;
  const char* end = nullptr;
  uint64_t nV = 0, nVt = 0, nVn = 0, nF = 0;  // statements in this piece
  uint64_t baseV = 0, baseVt = 0, baseVn = 0;  // statements before it
  PodVec<int32_t> corners;                     // 0-based vertex indices
  // Where each face ends in corners. While every face has the same number of
  // corners (a file of triangles, or of quads) that number says it all, and the
  // array is only made when a face of another size comes.
  uint32_t faces = 0, uniform = 0;
  bool ragged = false;
  PodVec<uint32_t> faceEnd;
  uint32_t End(uint32_t f) const { return ragged ? faceEnd[f] : (f + 1) * uniform; }
  uint32_t Begin(uint32_t f) const { return f ? End(f - 1) : 0; }
  void AddFace(uint32_t corners, uint32_t end) {
    if (!ragged) {
      if (faces == 0) uniform = corners;
      if (corners == uniform) {
        ++faces;
        return;
      }
      faceEnd.reserve(nF > faces ? nF : faces + 1);
      for (uint32_t f = 0; f < faces; ++f) faceEnd.push_back((f + 1) * uniform);
      ragged = true;
    }
    faceEnd.push_back(end);
    ++faces;
  }
  std::vector<NameEvent> events;
  std::vector<Segment> segments;  // one before each event, and one after the last
  std::string names;
  const char* errorAt = nullptr;
  std::string error;
};

std::string Plural(uint64_t n, const char* one, const char* many) {
  if (n == 0) return std::string("no ") + many + " are defined";
  if (n == 1) return std::string("only 1 ") + one + " is defined";
  return "only " + std::to_string(n) + " " + many + " are defined";
}

void CountChunk(Chunk& ch) {
  const char* p = ch.begin;
  const char* const end = ch.end;
  while (p < end) {
    p = SkipBlanks(p, end);
    if (p == end) break;
    const char* after;
    switch (Classify(p, end, after)) {
      case Kind::Vertex: ++ch.nV; break;
      case Kind::TexCoord: ++ch.nVt; break;
      case Kind::Normal: ++ch.nVn; break;
      case Kind::Face: ++ch.nF; break;
      default: break;
    }
    p = SkipStatement(p, end);
  }
}

// An index as written: optional sign and digits. Large values saturate; they are
// out of range anyway, and the error quotes the text as written.
template <bool kEnded>
[[gnu::always_inline]] inline bool ParseIndex(const char*& p, const char* end, int64_t& value) {
  const char* s = p;
  bool negative = false;
  if (More<kEnded>(s, end) && (*s == '-' || *s == '+')) negative = *s++ == '-';
  const char* const digits = s;
  uint64_t exact = 0;
  s = detail::ScanDigits<kEnded>(s, end, exact);
  if (s == digits) return false;
  int64_t v = static_cast<int64_t>(exact);
  // Twelve digits stay below 2^40; longer ones (leading zeros, or out of range) are
  // taken again, saturating.
  if (s - digits > 12) {
    v = 0;
    for (const char* d = digits; d < s; ++d)
      if (v < (int64_t{1} << 40)) v = v * 10 + (*d - '0');
  }
  value = negative ? -v : v;
  p = s;
  return true;
}

// The end of the last complete statement in [text, text + size), or 0 when there is
// none: a line end that no backslash continues and that cannot be the first half of
// a CR LF pair still to come.
size_t LastBoundary(const char* text, size_t size) {
  for (size_t q = size; q-- > 0;) {
    const char c = text[q];
    if (!IsLineEnd(c)) continue;
    if (c == '\r' && q + 1 == size) continue;
    size_t start = q, after = q + 1;
    if (c == '\r' && text[q + 1] == '\n') after = q + 2;
    if (c == '\n' && q > 0 && text[q - 1] == '\r') start = q - 1;
    if (start > 0 && text[start - 1] == '\\') {
      q = start;
      continue;
    }
    return after;
  }
  return 0;
}

class ChunkParser {
 public:
  // With `counted`, the piece's vertices go to their counted place in `vertices`;
  // otherwise (the whole text in one piece, not counted first) they are appended.
  ChunkParser(Chunk& ch, PodVec<ON_3fPoint>& vertices, bool counted)
      : m_ch(ch), m_vertices(vertices), m_counted(counted), m_next(ch.baseV), m_limit(ch.baseV + ch.nV) {}

  void Run() {
    Chunk& ch = m_ch;
    ch.corners.reserve(ch.nF * 3);
    m_v = ch.baseV;
    m_vt = ch.baseVt;
    m_vn = ch.baseVn;
    // The piece up to its last line end that no backslash continues is read
    // without tests for its end (see More); what follows, if anything, with them.
    const char* const ended = ch.begin + LastBoundary(ch.begin, static_cast<size_t>(ch.end - ch.begin));
    if (!Statements<true>(ch.begin, ended) || !Statements<false>(ended, ch.end)) return;  // the piece failed
    ch.segments.push_back(m_segment);
    ch.nV = m_v - ch.baseV;
    ch.nVt = m_vt - ch.baseVt;
    ch.nVn = m_vn - ch.baseVn;
  }

 private:
  template <bool kEnded>
  bool Statements(const char* p, const char* const end) {
    m_end = end;
    while (p < end) {
      p = SkipBlanks<kEnded>(p, end);
      if (p == end) break;
      const char* after;
      switch (Classify<kEnded>(p, end, after)) {
        case Kind::Vertex: p = Vertex<kEnded>(after); break;
        case Kind::Face: p = Face<kEnded>(after); break;
        case Kind::TexCoord:
          ++m_vt;
          p = SkipStatement(after, end);
          break;
        case Kind::Normal:
          ++m_vn;
          p = SkipStatement(after, end);
          break;
        case Kind::Name: p = Name<kEnded>(after); break;
        default: p = SkipStatement(p, end); break;
      }
      if (!p) return false;
    }
    return true;
  }

  [[gnu::noinline, gnu::cold]] const char* Fail(const char* at, std::string text) {
    m_ch.errorAt = at;
    m_ch.error = std::move(text);
    return nullptr;
  }
  // The token in quotes, cut short when it is long.
  static std::string Quote(const char* a, const char* b) {
    const size_t n = static_cast<size_t>(b - a);
    std::string q(1, '"');
    q.append(a, n > 60 ? 60 : n);
    if (n > 60) q.append("...");
    q.push_back('"');
    return q;
  }

  const char* NumberError(const char* at, NumberStatus status) {
    const std::string token = Quote(at, TokenEnd(at, m_ch.end));
    switch (status) {
      case NumberStatus::NotFinite: return Fail(at, "vertex coordinate " + token + " is not a finite number");
      case NumberStatus::Overflow: return Fail(at, "vertex coordinate " + token + " is too large for a float");
      default: return Fail(at, "vertex coordinate " + token + " is not a number");
    }
  }

  template <bool kEnded>
  const char* Vertex(const char* p) {
    const char* const end = m_end;
    float xyz[3];
    for (int i = 0; i < 3; ++i) {
      p = SkipBlanks<kEnded>(p, end);
      if (AtStatementEnd<kEnded>(p, end))
        return Fail(p, "a vertex needs three coordinates (x y z), but this one has " + std::to_string(i));
      const NumberStatus status = ParseFloat<kEnded>(p, end, xyz[i]);
      if (status != NumberStatus::Ok) return NumberError(p, status);
    }
    // Up to four more values: w, or a colour r g b (and a).
    for (int extra = 0;; ++extra) {
      p = SkipBlanks<kEnded>(p, end);
      if (AtStatementEnd<kEnded>(p, end)) break;
      if (extra == 4) return Fail(p, "a vertex has at most seven values (x y z and w or a colour), but this one has more");
      float ignored;
      const NumberStatus status = ParseFloat<kEnded>(p, end, ignored);
      if (status != NumberStatus::Ok) return NumberError(p, status);
    }
    if (m_counted) {
      if (m_next == m_limit) return Fail(p, "internal error: more vertices than counted");
      m_vertices[m_next++] = ON_3fPoint(xyz[0], xyz[1], xyz[2]);
    } else {
      if (m_v >= static_cast<uint64_t>(INT_MAX)) return Fail(p, "the file defines more vertices than a mesh can hold");
      m_vertices.push_back(ON_3fPoint(xyz[0], xyz[1], xyz[2]));
    }
    ++m_v;
    return FinishStatement(p, end);
  }

  // Resolves one reference of a face corner; `count` elements come before the line.
  [[gnu::always_inline]] bool Resolve(int64_t raw, uint64_t count, const char* text, const char* textEnd, const char* one, const char* many,
               uint64_t& index) {
    if (raw > 0 && static_cast<uint64_t>(raw) <= count) {
      index = static_cast<uint64_t>(raw) - 1;
      return true;
    }
    if (raw < 0 && static_cast<uint64_t>(-raw) <= count) {
      index = count - static_cast<uint64_t>(-raw);
      return true;
    }
    BadReference(raw, count, text, textEnd, one, many);
    return false;
  }

  [[gnu::noinline, gnu::cold]] void BadReference(int64_t raw, uint64_t count, const char* text, const char* textEnd, const char* one,
                    const char* many) {
    const std::string written(text, static_cast<size_t>(textEnd - text));
    std::string why = "face refers to ";
    why += one;
    if (raw == 0) {
      why += " 0, but indices start at 1 (or at -1 for the last one)";
    } else {
      why += " " + written;
      if (raw < 0) why += " (counted back from the face)";
      why += ", but " + Plural(count, one, many);
      if (raw < 0) why += " before it";
    }
    Fail(text, why);
  }

  template <bool kEnded>
  const char* Face(const char* p) {
    Chunk& ch = m_ch;
    const char* const end = m_end;
    const size_t start = ch.corners.size();
    uint64_t written = 0;
    for (;;) {
      p = SkipBlanks<kEnded>(p, end);
      if (AtStatementEnd<kEnded>(p, end)) break;
      // The corner's form first, then what it refers to.
      const char* const token = p;
      int64_t rawV;
      if (!ParseIndex<kEnded>(p, end, rawV)) return BadCorner(token);
      uint64_t v = 0;
      if (More<kEnded>(p, end) && *p == '/') {
        p = SlashedCorner<kEnded>(token, p, rawV, v);
        if (!p) return nullptr;
      } else {
        if (!IsTokenEnd<kEnded>(p, end)) return BadCorner(token);
        if (!Resolve(rawV, m_v, token, p, "vertex", "vertices", v)) return nullptr;
      }
      if (ch.corners.size() >= UINT32_MAX) return Fail(token, "the faces of the file have too many corners");
      ++written;
      const int32_t index = static_cast<int32_t>(v);
      // A corner that repeats the one before it adds nothing to the polygon.
      if (ch.corners.size() == start || ch.corners.back() != index) ch.corners.push_back(index);
    }
    if (written < 3)
      return Fail(p, "a face needs at least three corners, but this one has " + std::to_string(written));
    while (ch.corners.size() - start > 1 && ch.corners.back() == ch.corners[start]) ch.corners.pop_back();
    const size_t n = ch.corners.size() - start;
    const int32_t* c = ch.corners.data() + start;
    // Fewer than three distinct corners, or four corners that run back and forth
    // (a b a c): no area, no face.
    if (n < 3 || (n == 4 && (c[0] == c[2] || c[1] == c[3]))) {
      ch.corners.truncate(start);
    } else {
      ch.AddFace(static_cast<uint32_t>(n), static_cast<uint32_t>(ch.corners.size()));
      m_segment.faceBound += n <= 4 ? 1 : n - 2;
      m_segment.polygons = m_segment.polygons || n > 4;
      // In locals: the corners are int32_t as the bounds are, so the compiler would
      // store and load the bounds again for every corner.
      int32_t lowest = std::min({m_segment.lowest, c[0], c[1], c[2]});
      int32_t highest = std::max({m_segment.highest, c[0], c[1], c[2]});
      for (size_t i = 3; i < n; ++i) {
        lowest = c[i] < lowest ? c[i] : lowest;
        highest = c[i] > highest ? c[i] : highest;
      }
      m_segment.lowest = lowest;
      m_segment.highest = highest;
    }
    return FinishStatement(p, end);
  }

  // The rest of a corner with a slash after its vertex index (at p): v/vt, v//vn
  // or v/vt/vn. Checks its form, then resolves the vertex into v and checks the
  // other references; the position after the corner, or nullptr on failure.
  template <bool kEnded>
  const char* SlashedCorner(const char* token, const char* p, int64_t rawV, uint64_t& v) {
    const char* const end = m_end;
    const char* const vEnd = p;
    int64_t rawT = 0, rawN = 0;
    const char *t = nullptr, *tEnd = nullptr, *n = nullptr, *nEnd = nullptr;
    ++p;
    // A digit is the usual start of an index, and neither a slash nor a token end.
    if (More<kEnded>(p, end) && (detail::IsDigit(*p) || (*p != '/' && !IsTokenEnd<kEnded>(p, end)))) {
      t = p;
      if (!ParseIndex<kEnded>(p, end, rawT)) return BadCorner(token);
      tEnd = p;
    }
    if (More<kEnded>(p, end) && *p == '/') {
      ++p;
      if ((More<kEnded>(p, end) && detail::IsDigit(*p)) || !IsTokenEnd<kEnded>(p, end)) {
        n = p;
        if (!ParseIndex<kEnded>(p, end, rawN)) return BadCorner(token);
        nEnd = p;
      }
    }
    if (!IsTokenEnd<kEnded>(p, end)) return BadCorner(token);
    uint64_t ignored;
    if (!Resolve(rawV, m_v, token, vEnd, "vertex", "vertices", v)) return nullptr;
    if (t && !Resolve(rawT, m_vt, t, tEnd, "texture coordinate", "texture coordinates", ignored)) return nullptr;
    if (n && !Resolve(rawN, m_vn, n, nEnd, "normal", "normals", ignored)) return nullptr;
    return p;
  }

  const char* BadCorner(const char* token) {
    return Fail(token, "face corner " + Quote(token, TokenEnd(token, m_ch.end)) +
                           " is not of the form v, v/vt, v//vn or v/vt/vn with whole numbers");
  }

  // g and o: the name is the rest of the line, its words joined by single blanks.
  template <bool kEnded>
  const char* Name(const char* p) {
    Chunk& ch = m_ch;
    const char* const end = m_end;
    const size_t offset = ch.names.size();
    bool first = true;
    for (;;) {
      p = SkipBlanks<kEnded>(p, end);
      if (AtStatementEnd<kEnded>(p, end)) break;
      const char* const t = p;
      p = TokenEnd(p, end);
      if (!first) ch.names += ' ';
      ch.names.append(t, p);
      first = false;
    }
    if (ch.names.size() > UINT32_MAX) return Fail(p, "the names in the file are too long");
    ch.events.push_back({ch.faces, static_cast<uint32_t>(offset),
                         static_cast<uint32_t>(ch.names.size() - offset)});
    ch.segments.push_back(m_segment);
    m_segment = Segment();
    return FinishStatement(p, end);
  }

  Chunk& m_ch;
  const char* m_end = nullptr;  // of the part being read
  PodVec<ON_3fPoint>& m_vertices;
  const bool m_counted;
  uint64_t m_next, m_limit;
  uint64_t m_v = 0, m_vt = 0, m_vn = 0;  // statements before the current line
  Segment m_segment;                     // since the last name statement
};

// Where a piece may end: right after a line end that no backslash continues.
const char* NextBoundary(const char* text, const char* p, const char* end) {
  while (p < end) {
    const char c = *p;
    if (IsLineEnd(c)) {
      const char* lineEnd = (c == '\n' && p > text && p[-1] == '\r') ? p - 1 : p;
      const char* after = (c == '\r' && p + 1 < end && p[1] == '\n') ? p + 2 : p + 1;
      if (lineEnd > text && lineEnd[-1] == '\\') {
        p = after;
        continue;
      }
      return after;
    }
    ++p;
  }
  return end;
}

// The threads of one read. A read hands out a dozen lists of tasks, and starting
// threads for each would cost about as much as the work: seven threads take about a
// millisecond to start and join on a virtual machine, against some 30 ms for a whole
// file of a million faces. So they are started once, at the first list that can use
// them, wait between lists, and are joined when the read ends: no thread outlives
// the call that reads the file.
class Crew {
 public:
  explicit Crew(int threads) : m_threads(threads > 1 ? static_cast<size_t>(threads) : 1) {}
  Crew(const Crew&) = delete;
  Crew& operator=(const Crew&) = delete;
  size_t Threads() const { return m_threads; }
  ~Crew() {
    {
      std::lock_guard<std::mutex> guard(m_lock);
      m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_helpers) t.join();
  }

  // Runs task(i) for i in [0, tasks), the calling thread among the workers; a task
  // may also take the number of the worker that runs it, below the thread count
  // given. The first exception of a task ends the list and is thrown here. Not
  // re-entrant: a task must not hand out a list of its own.
  template <class F>
  void Run(size_t tasks, F&& task) {
    auto call = [](void* f, size_t i, size_t w) {
      F& fn = *static_cast<std::remove_reference_t<F>*>(f);
      if constexpr (std::is_invocable_v<F, size_t, size_t>) fn(i, w);
      else fn(i);
    };
    if (tasks == 0) return;
    if (tasks == 1 || m_threads == 1) {
      for (size_t i = 0; i < tasks; ++i) call(&task, i, 0);
      return;
    }
    Start();
    {
      std::lock_guard<std::mutex> guard(m_lock);
      m_call = call;
      m_task = const_cast<void*>(static_cast<const void*>(&task));
      m_tasks = tasks;
      m_next.store(0, std::memory_order_relaxed);
      m_failure = nullptr;
      m_busy = m_helpers.size();
      ++m_round;
    }
    m_wake.notify_all();
    Work(0);
    std::unique_lock<std::mutex> guard(m_lock);
    m_done.wait(guard, [&] { return m_busy == 0; });
    if (m_failure) {
      std::exception_ptr failure = m_failure;
      m_failure = nullptr;
      std::rethrow_exception(failure);
    }
  }

 private:
  void Start() {
    if (m_started) return;
    m_started = true;
    m_helpers.reserve(m_threads - 1);
    for (size_t w = 1; w < m_threads; ++w) {
      try {
        m_helpers.emplace_back([this, w] { Help(w); });
      } catch (...) {
        break;  // no more threads to be had: the others share the work
      }
    }
  }

  void Work(size_t worker) {
    try {
      for (size_t i; (i = m_next.fetch_add(1)) < m_tasks;) m_call(m_task, i, worker);
    } catch (...) {
      std::lock_guard<std::mutex> guard(m_lock);
      if (!m_failure) m_failure = std::current_exception();
      m_next.store(m_tasks);
    }
  }

  void Help(size_t worker) {
    uint64_t seen = 0;
    std::unique_lock<std::mutex> guard(m_lock);
    for (;;) {
      m_wake.wait(guard, [&] { return m_stop || m_round != seen; });
      if (m_stop) return;
      seen = m_round;
      guard.unlock();
      Work(worker);
      guard.lock();
      if (--m_busy == 0) m_done.notify_one();
    }
  }

  const size_t m_threads;
  bool m_started = false;
  std::vector<std::thread> m_helpers;
  std::mutex m_lock;
  std::condition_variable m_wake, m_done;
  // The list at hand; written under the lock before the round's number moves on.
  void (*m_call)(void*, size_t, size_t) = nullptr;
  void* m_task = nullptr;
  size_t m_tasks = 0;
  std::atomic<size_t> m_next{0};
  std::exception_ptr m_failure;
  uint64_t m_round = 0;
  size_t m_busy = 0;  // helpers still at the round's list
  bool m_stop = false;
};

uint64_t LineNumber(const char* text, const char* at) {
  uint64_t line = 1;
  for (const char* p = text; p < at; ++p) {
    if (*p == '\n') ++line;
    else if (*p == '\r' && !(p + 1 < at && p[1] == '\n')) ++line;
  }
  return line;
}

struct Run {
  uint32_t chunk, first, last;  // faces [first, last) of a piece
  const Segment* segment;       // what they need
};

// What a mesh will need, from a first look at its faces.
struct Survey {
  uint64_t faceBound = 0, corners = 0;
  int32_t lowest = INT32_MAX, highest = 0;
  bool polygons = false;  // faces of more than four corners, to be cut into triangles
};

Survey SurveyMesh(const std::vector<Run>& runs, const std::vector<Chunk>& chunks) {
  Survey s;
  for (const Run& r : runs) {
    const Chunk& ch = chunks[r.chunk];
    s.corners += ch.End(r.last - 1) - ch.Begin(r.first);
    s.faceBound += r.segment->faceBound;
    s.polygons = s.polygons || r.segment->polygons;
    s.lowest = r.segment->lowest < s.lowest ? r.segment->lowest : s.lowest;
    s.highest = r.segment->highest > s.highest ? r.segment->highest : s.highest;
  }
  return s;
}

// Sizes the mesh's arrays for what the survey found.
bool PrepareMesh(const Survey& s, ON_Mesh& mesh, std::string& error) {
  if (s.faceBound > INT_MAX) {
    error = "one mesh would have more than 2147483647 faces";
    return false;
  }
  const uint64_t span = static_cast<uint64_t>(s.highest) - static_cast<uint64_t>(s.lowest) + 1;
  mesh.m_F.SetCapacity(static_cast<int>(s.faceBound));
  mesh.m_V.SetCapacity(static_cast<int>(s.corners < span ? s.corners : span));
  AdviseHugePages(mesh.m_F.Array(), static_cast<size_t>(mesh.m_F.Capacity()) * sizeof(ON_MeshFace));
  AdviseHugePages(mesh.m_V.Array(), static_cast<size_t>(mesh.m_V.Capacity()) * sizeof(ON_3fPoint));
  return true;
}

void FinishMesh(ON_Mesh& mesh, int vertexCount, int faceCount) {
  mesh.m_V.SetCount(vertexCount);
  mesh.m_F.SetCount(faceCount);
  mesh.m_V.Shrink();
  mesh.m_F.Shrink();
}

// Builds one mesh from its runs of faces, with the vertices it uses in first-use
// order. The map from the file's vertex indices to the mesh's own is an array over
// the span of indices the mesh uses, or a hash map when that span is sparse.
// The mesh's arrays are already sized for its survey `s` (PrepareMesh).
void BuildMesh(const std::vector<Run>& runs, const std::vector<Chunk>& chunks, const ON_3fPoint* vertices,
               const Survey& s, ON_Mesh& mesh, PodVec<int32_t>& local) {
  const uint64_t span = static_cast<uint64_t>(s.highest) - static_cast<uint64_t>(s.lowest) + 1;
  const int32_t lowest = s.lowest;
  ON_3fPoint* const outV = mesh.m_V.Array();
  ON_MeshFace* const outF = mesh.m_F.Array();
  int32_t nv = 0, nf = 0;
  const bool dense = span <= 4 * s.corners + 4096;
  local.set_size(dense ? static_cast<size_t>(span) : 0);
  std::fill_n(local.data(), local.size(), -1);
  std::unordered_map<int32_t, int32_t> sparse;
  if (!dense) sparse.reserve(static_cast<size_t>(s.corners));
  auto map = [&](int32_t g) {
    if (dense) {
      int32_t& l = local[static_cast<size_t>(g - lowest)];
      if (l < 0) {
        l = nv;
        outV[nv++] = vertices[g];
      }
      return l;
    }
    auto it = sparse.emplace(g, nv);
    if (it.second) outV[nv++] = vertices[g];
    return it.first->second;
  };
  std::vector<int32_t> triangles;
  for (const Run& r : runs) {
    const Chunk& ch = chunks[r.chunk];
    const int32_t* const corners = ch.corners.data();
    for (uint32_t f = r.first; f < r.last; ++f) {
      const uint32_t b = ch.Begin(f), n = ch.End(f) - b;
      const int32_t* c = corners + b;
      ON_MeshFace& face = outF[nf];
      if (n == 3) {
        face.vi[0] = map(c[0]);
        face.vi[1] = map(c[1]);
        face.vi[3] = face.vi[2] = map(c[2]);
        ++nf;
      } else if (n == 4) {
        face.vi[0] = map(c[0]);
        face.vi[1] = map(c[1]);
        face.vi[2] = map(c[2]);
        face.vi[3] = map(c[3]);
        ++nf;
      } else {
        triangles.clear();
        TriangulatePolygon(c, n, vertices, triangles);
        for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
          ON_MeshFace& tf = outF[nf++];
          tf.vi[0] = map(triangles[t]);
          tf.vi[1] = map(triangles[t + 1]);
          tf.vi[3] = tf.vi[2] = map(triangles[t + 2]);
        }
      }
    }
  }
  FinishMesh(mesh, nv, nf);
}

// The same for one large mesh of triangles and quads, on several threads. The
// first use of each vertex is the smallest corner position that names it; once
// every vertex knows it, each stretch of faces numbers its own first uses, after
// those of the stretches before it, and the faces are written out in parallel.
bool BuildLargeMesh(const std::vector<Run>& runs, const std::vector<Chunk>& chunks, const ON_3fPoint* vertices,
                    ON_Mesh& mesh, Crew& crew, std::string& error) {
  const Survey s = SurveyMesh(runs, chunks);  // again: cheap beside the rest
  if (!PrepareMesh(s, mesh, error)) return false;
  struct Stretch {
    uint32_t chunk, first, last;  // faces of a piece
    uint64_t position;            // of its first corner in the mesh
    uint64_t newVertices = 0, firstVertex = 0;
    uint32_t firstFace = 0;
  };
  std::vector<Stretch> stretches;
  const uint32_t step = static_cast<uint32_t>(std::max<uint64_t>(4096, s.faceBound / (8 * static_cast<uint64_t>(crew.Threads())) + 1));
  uint64_t position = 0;
  uint32_t faces = 0;
  for (const Run& r : runs) {
    const Chunk& ch = chunks[r.chunk];
    for (uint32_t f = r.first; f < r.last;) {
      const uint32_t l = r.last - f > step ? f + step : r.last;
      Stretch st{r.chunk, f, l, position};
      st.firstFace = faces;
      stretches.push_back(st);
      position += ch.End(l - 1) - ch.Begin(f);
      faces += l - f;
      f = l;
    }
  }
  const int32_t lowest = s.lowest;
  const size_t span = static_cast<size_t>(static_cast<uint64_t>(s.highest) - static_cast<uint64_t>(s.lowest) + 1);
  // first[g - lowest]: the smallest corner position naming g, later its number in
  // the mesh with the top bit set.
  constexpr uint64_t kNumbered = uint64_t{1} << 63;
  PodVec<uint64_t> first;
  first.set_size(span);
  const size_t blocks = (span + 65535) / 65536;
  crew.Run(blocks, [&](size_t b) {
    const size_t to = std::min(span, (b + 1) * 65536);
    for (size_t i = b * 65536; i < to; ++i) first[i] = UINT64_MAX;
  });
  auto forCorners = [&](const Stretch& st, auto&& f) {
    const Chunk& ch = chunks[st.chunk];
    const uint32_t from = ch.Begin(st.first), to = ch.End(st.last - 1);
    uint64_t p = st.position;
    for (uint32_t i = from; i < to; ++i, ++p) f(ch.corners[i], p);
  };
  crew.Run(stretches.size(), [&](size_t k) {
    forCorners(stretches[k], [&](int32_t g, uint64_t p) {
      std::atomic_ref<uint64_t> slot(first[static_cast<size_t>(g - lowest)]);
      uint64_t seen = slot.load(std::memory_order_relaxed);
      while (p < seen && !slot.compare_exchange_weak(seen, p, std::memory_order_relaxed)) {
      }
    });
  });
  crew.Run(stretches.size(), [&](size_t k) {
    uint64_t n = 0;
    forCorners(stretches[k], [&](int32_t g, uint64_t p) { n += first[static_cast<size_t>(g - lowest)] == p; });
    stretches[k].newVertices = n;
  });
  uint64_t total = 0;
  for (Stretch& st : stretches) {
    st.firstVertex = total;
    total += st.newVertices;
  }
  ON_3fPoint* const outV = mesh.m_V.Array();
  crew.Run(stretches.size(), [&](size_t k) {
    uint64_t id = stretches[k].firstVertex;
    forCorners(stretches[k], [&](int32_t g, uint64_t p) {
      std::atomic_ref<uint64_t> slot(first[static_cast<size_t>(g - lowest)]);
      if (slot.load(std::memory_order_relaxed) == p) {
        outV[id] = vertices[g];
        slot.store(id++ | kNumbered, std::memory_order_relaxed);
      }
    });
  });
  ON_MeshFace* const outF = mesh.m_F.Array();
  crew.Run(stretches.size(), [&](size_t k) {
    const Stretch& st = stretches[k];
    const Chunk& ch = chunks[st.chunk];
    auto id = [&](int32_t g) { return static_cast<int>(first[static_cast<size_t>(g - lowest)] & ~kNumbered); };
    ON_MeshFace* out = outF + st.firstFace;
    for (uint32_t f = st.first; f < st.last; ++f, ++out) {
      const uint32_t b = ch.Begin(f), n = ch.End(f) - b;
      const int32_t* c = ch.corners.data() + b;
      out->vi[0] = id(c[0]);
      out->vi[1] = id(c[1]);
      out->vi[2] = id(c[2]);
      out->vi[3] = n == 4 ? id(c[3]) : out->vi[2];
    }
  });
  FinishMesh(mesh, static_cast<int>(total), static_cast<int>(faces));
  return true;
}

// Counts the lines of [p, end), as LineNumber counts them: line feeds, and carriage
// returns that no line feed follows. A vector at a time: a file's worth of text
// passes through here, block by block.
uint64_t CountLines(const char* p, const char* end) {
  uint64_t lines = 0;
#if defined(__SSE2__)
  const __m128i nl = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
  if (!std::memchr(p, '\r', static_cast<size_t>(end - p))) {
    // Line feeds only, 64 bytes a round: up to four per byte lane, so 63 rounds
    // before the lanes are summed.
    while (end - p >= 64) {
      __m128i counts = zero;
      for (int round = 0; round < 63 && end - p >= 64; ++round, p += 64) {
        const __m128i* const q = reinterpret_cast<const __m128i*>(p);
        const __m128i a = _mm_add_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(q), nl), _mm_cmpeq_epi8(_mm_loadu_si128(q + 1), nl));
        const __m128i b = _mm_add_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(q + 2), nl), _mm_cmpeq_epi8(_mm_loadu_si128(q + 3), nl));
        counts = _mm_sub_epi8(counts, _mm_add_epi8(a, b));
      }
      const __m128i sums = _mm_sad_epu8(counts, zero);
      lines += static_cast<uint64_t>(_mm_cvtsi128_si32(sums)) + static_cast<uint64_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
    }
    for (; p < end; ++p) lines += *p == '\n';
    return lines;
  } else {
    // A line end is a line feed, or a carriage return that no line feed follows
    // (the last byte has no follower here); up to 255 rounds before the sums.
    while (end - p >= 17) {
      __m128i counts = zero;
      for (int round = 0; round < 255 && end - p >= 17; ++round, p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i lone = _mm_andnot_si128(_mm_cmpeq_epi8(next, nl), _mm_cmpeq_epi8(x, cr));
        counts = _mm_sub_epi8(counts, _mm_or_si128(_mm_cmpeq_epi8(x, nl), lone));
      }
      const __m128i sums = _mm_sad_epu8(counts, zero);
      lines += static_cast<uint64_t>(_mm_cvtsi128_si32(sums)) + static_cast<uint64_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
    }
  }
#endif
  for (; p < end; ++p) lines += *p == '\n' || (*p == '\r' && !(p + 1 < end && p[1] == '\n'));
  return lines;
}

// The reader's state across the blocks of one text: the pieces read so far, with
// their records, and how many vertices, texture coordinates, normals and lines came
// before the next block.
class Reader {
 public:
  explicit Reader(int threads) : m_threads(threads), m_crew(threads) {}

  // The threads of the read, also for the caller's own work between blocks.
  Crew& Workers() { return m_crew; }

  // Reads the next block of the text; it starts and, unless `last`, ends at a line
  // boundary. The block is not needed after the call.
  bool Block(const char* text, size_t size, bool last, std::string& error) {
    const char* const end = text + size;
    size_t pieces = 1;
    if (m_threads > 1)
      pieces = std::max<size_t>(1, std::min<size_t>(static_cast<size_t>(m_threads), size / g_minimumChunk));
    pieces = std::max(pieces, size / kMaximumChunk + 1);
    const size_t firstChunk = m_chunks.size();
    const char* from = text;
    for (size_t k = 1; k <= pieces && from < end; ++k) {
      const char* to = k == pieces ? end : NextBoundary(text, std::max(from, text + size / pieces * k), end);
      if (to <= from) continue;
      m_chunks.emplace_back();
      m_chunks.back().begin = from;
      m_chunks.back().end = to;
      from = to;
    }
    Chunk* const chunks = m_chunks.data() + firstChunk;
    const size_t n = m_chunks.size() - firstChunk;

    // One piece needs no counting first: what comes before a line is known as it
    // is read, and its vertices are appended.
    const bool counted = n > 1;
    if (counted) m_crew.Run(n, [&](size_t i) { CountChunk(chunks[i]); });
    uint64_t v = m_v, vt = m_vt, vn = m_vn;
    for (size_t i = 0; i < n; ++i) {
      chunks[i].baseV = v;
      chunks[i].baseVt = vt;
      chunks[i].baseVn = vn;
      v += chunks[i].nV;
      vt += chunks[i].nVt;
      vn += chunks[i].nVn;
    }
    if (counted) {
      if (v > static_cast<uint64_t>(INT_MAX)) {
        error = "the file defines " + std::to_string(v) + " vertices, more than a mesh can hold";
        return false;
      }
      m_vertices.set_size(static_cast<size_t>(v));
    } else {
      m_vertices.reserve(static_cast<size_t>(m_v) + size / 32);
    }
    std::vector<uint64_t> lines(n, 0);
    m_crew.Run(n, [&](size_t i) {
      ChunkParser(chunks[i], m_vertices, counted).Run();
      chunks[i].corners.shrink_to_fit();
      chunks[i].faceEnd.shrink_to_fit();
      if (!last && !chunks[i].errorAt) lines[i] = CountLines(chunks[i].begin, chunks[i].end);
    });
    for (size_t i = 0; i < n; ++i) {
      if (chunks[i].errorAt) {
        error = "Line " + std::to_string(m_line + LineNumber(text, chunks[i].errorAt) - 1) + ": " + chunks[i].error;
        return false;
      }
    }
    for (size_t i = 0; i < n; ++i) {
      m_v += chunks[i].nV;
      m_vt += chunks[i].nVt;
      m_vn += chunks[i].nVn;
      m_line += lines[i];
      chunks[i].begin = chunks[i].end = nullptr;
    }
    return true;
  }

  // The meshes, from everything read; appended to `meshes`.
  bool Finish(ON_ClassArray<ON_Mesh>& meshes, std::string& error) {
    std::vector<Chunk>& chunks = m_chunks;
    PodVec<ON_3fPoint>& vertices = m_vertices;
    const int threads = m_threads;
    // Names to meshes, in the order of their first face.
    std::vector<std::vector<Run>> plans;
    std::unordered_map<std::string, size_t> ids;
    std::string current;
    for (size_t k = 0; k < chunks.size(); ++k) {
      const Chunk& ch = chunks[k];
      uint32_t first = 0;
      size_t segment = 0;
      auto flush = [&](uint32_t upto) {
        if (upto > first) {
          auto it = ids.find(current);
          if (it == ids.end()) {
            it = ids.emplace(current, plans.size()).first;
            plans.emplace_back();
          }
          plans[it->second].push_back({static_cast<uint32_t>(k), first, upto, &ch.segments[segment]});
        }
        first = upto;
        ++segment;
      };
      for (const NameEvent& e : ch.events) {
        flush(e.face);
        current.assign(ch.names, e.offset, e.length);
      }
      flush(ch.faces);
    }
    ids.clear();
    for (Chunk& ch : chunks) {
      std::string().swap(ch.names);
      std::vector<NameEvent>().swap(ch.events);
    }
  
    // The meshes, each filled in place in the caller's array.
    const int before = meshes.Count();
    if (plans.size() > static_cast<size_t>(INT_MAX - before)) {
      error = "the file holds too many meshes";
      return false;
    }
    try {
      meshes.Reserve(before + static_cast<int>(plans.size()));
      for (size_t i = 0; i < plans.size(); ++i) meshes.AppendNew();
      // Large meshes of triangles and quads are built one after the other, each on all
      // threads; the others side by side, one thread each, each sized and filled by
      // the worker that builds it: the first touches of a file's worth of fresh
      // small arrays cost more than filling them, and so are spread over the workers.
      std::vector<std::string> errors(plans.size());
      std::vector<Survey> surveys(plans.size());
      m_crew.Run(plans.size(), [&](size_t i) {
        // Into a local first: neighbouring surveys share cache lines across workers.
        const Survey s = SurveyMesh(plans[i], chunks);
        surveys[i] = s;
      });
      std::vector<size_t> small;
      uint64_t widest = 0;
      for (size_t i = 0; i < plans.size(); ++i) {
        const Survey& s = surveys[i];
        ON_Mesh& mesh = meshes[before + static_cast<int>(i)];
        if (threads > 1 && s.corners >= g_largeMesh && !s.polygons) {
          BuildLargeMesh(plans[i], chunks, vertices.data(), mesh, m_crew, errors[i]);
        } else {
          small.push_back(i);
          const uint64_t span = static_cast<uint64_t>(s.highest) - static_cast<uint64_t>(s.lowest) + 1;
          if (s.faceBound <= INT_MAX && span <= 4 * s.corners + 4096 && span > widest) widest = span;
        }
      }
      // A block of its own per worker: as a large block it is backed by huge pages,
      // and a file's worth of fresh small pages costs more than the mapping itself.
      std::vector<PodVec<int32_t>> scratch(static_cast<size_t>(threads > 1 ? threads : 1));
      for (auto& v : scratch) v.reserve(static_cast<size_t>(widest));
      m_crew.Run(small.size(), [&](size_t k, size_t worker) {
        const size_t i = small[k];
        ON_Mesh& mesh = meshes[before + static_cast<int>(i)];
        if (PrepareMesh(surveys[i], mesh, errors[i]))
          BuildMesh(plans[i], chunks, vertices.data(), surveys[i], mesh, scratch[worker]);
      });
      for (const std::string& e : errors) {
        if (!e.empty()) {
          error = e;
          while (meshes.Count() > before) meshes.Remove();
          return false;
        }
      }
      // A mesh whose every face fell away as degenerate is no mesh. The others close
      // up in one pass: removing the empty ones one by one would move all that
      // follow each time, quadratic in a file of many names.
      int kept = before;
      for (int i = before; i < meshes.Count(); ++i) {
        if (meshes[i].FaceCount() == 0) continue;
        if (kept != i) meshes[kept] = meshes[i];
        ++kept;
      }
      while (meshes.Count() > kept) meshes.Remove();
    } catch (...) {
      while (meshes.Count() > before) meshes.Remove();
      throw;
    }
    return true;
  }

 private:
  const int m_threads;
  Crew m_crew;
  std::vector<Chunk> m_chunks;
  PodVec<ON_3fPoint> m_vertices;
  uint64_t m_v = 0, m_vt = 0, m_vn = 0;  // before the next block
  uint64_t m_line = 1;                   // the number of the next block's first line
};

}  // namespace

void SetMinimumChunkSize(size_t bytes) { g_minimumChunk = bytes < 1 ? 1 : bytes; }
void SetLargeMeshCorners(uint64_t corners) { g_largeMesh = corners; }
void SetBlockSize(size_t bytesPerThread) { g_blockPerThread = bytesPerThread < 16 ? 16 : bytesPerThread; }

bool ReadObjText(const char* text, size_t size, int threads, ON_ClassArray<ON_Mesh>& meshes, std::string& error,
                 const std::function<void()>& releaseText) {
  try {
    Reader reader(threads);
    if (!reader.Block(text, size, true, error)) return false;
    if (releaseText) releaseText();
    return reader.Finish(meshes, error);
  } catch (const std::bad_alloc&) {
    error = "there is not enough memory to read the file";
  } catch (const std::exception& e) {
    error = std::string("the file could not be read: ") + e.what();
  }
  return false;
}

bool ReadObjStream(const ReadAt& readAt, uint64_t size, uint64_t offset, int threads, ON_ClassArray<ON_Mesh>& meshes,
                   std::string& error) {
  try {
    Reader reader(threads);
    // A block per round: a few megabytes per thread, so that the text read stays in
    // the caches while it is parsed, and the whole file is never held at once.
    const uint64_t rest = size > offset ? size - offset : 0;
    size_t capacity = static_cast<size_t>(std::min<uint64_t>(rest + 1, (threads > 1 ? uint64_t(threads) : 1) * g_blockPerThread));
    PodVec<char> buffer;
    buffer.set_size(capacity);
    size_t carry = 0;
    for (;;) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size() - carry, size > offset ? size - offset : 0));
      // The block is read in slices, side by side.
      const size_t slices = threads > 1 && want >= (size_t{8} << 20) ? static_cast<size_t>(threads) : 1;
      std::vector<int64_t> got(slices, 0);
      std::vector<std::string> why(slices);
      reader.Workers().Run(slices, [&](size_t k) {
        const size_t from = want / slices * k, to = k + 1 == slices ? want : want / slices * (k + 1);
        size_t done = from;
        while (done < to) {
          const int64_t n = readAt(offset + done, buffer.data() + carry + done, to - done, why[k]);
          if (n < 0) {
            got[k] = -1;
            return;
          }
          if (n == 0) break;
          done += static_cast<size_t>(n);
        }
        got[k] = static_cast<int64_t>(done - from);
      });
      size_t read = 0;
      bool shorter = false;
      for (size_t k = 0; k < slices; ++k) {
        if (got[k] < 0) {
          error = why[k];
          return false;
        }
        const size_t expected = (k + 1 == slices ? want : want / slices * (k + 1)) - want / slices * k;
        read += static_cast<size_t>(got[k]);
        if (static_cast<size_t>(got[k]) != expected) {
          shorter = true;  // the file became shorter while it was read: it ends here
          break;
        }
      }
      offset += read;
      const bool last = shorter || offset >= size;
      const size_t filled = carry + read;
      const size_t end = last ? filled : LastBoundary(buffer.data(), filled);
      if (end == 0 && !last) {
        // A statement longer than the buffer: a larger one.
        PodVec<char> larger;
        larger.set_size(buffer.size() * 2);
        std::memcpy(larger.data(), buffer.data(), filled);
        buffer = std::move(larger);
        carry = filled;
        continue;
      }
      if (!reader.Block(buffer.data(), end, last, error)) return false;
      if (last) break;
      carry = filled - end;
      std::memmove(buffer.data(), buffer.data() + end, carry);
    }
    buffer.release();
    return reader.Finish(meshes, error);
  } catch (const std::bad_alloc&) {
    error = "there is not enough memory to read the file";
  } catch (const std::exception& e) {
    error = std::string("the file could not be read: ") + e.what();
  }
  return false;
}

}  // namespace hbx
