#include "counting_host.h"

#include <typeinfo>

namespace countinghost {
namespace {

constexpr int kTableSize = 1024;

Counters g_counters;

struct Object {
  void* const* vtbl;
};

HRESULT STDMETHODCALLTYPE QueryInterface(Object*, const IID&, void** out) {
  ++g_counters.calls;
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE AddRef(Object*) {
  ++g_counters.calls;
  ++g_counters.refs;
  return 2;
}
ULONG STDMETHODCALLTYPE Release(Object*) {
  ++g_counters.calls;
  --g_counters.refs;
  return 1;
}
// Every position the import does not call: a call here would be a bridge fault.
HRESULT STDMETHODCALLTYPE Trap(Object*) { __builtin_trap(); }

Object g_doc, g_part, g_body, g_segment, g_surface;

HRESULT STDMETHODCALLTYPE GiveDoc(Object*, void** out) {
  ++g_counters.calls;
  ++g_counters.documents;
  *out = &g_doc;
  ++g_counters.refs;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE GivePart(Object*, void** out) {
  ++g_counters.calls;
  *out = &g_part;
  ++g_counters.refs;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE GiveBody(Object*, void** out) {
  ++g_counters.calls;
  *out = &g_body;
  ++g_counters.refs;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Nothing(Object*) {
  ++g_counters.calls;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE NothingLong(Object*, LONG) {
  ++g_counters.calls;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Sketch(Object*, LONG) {
  ++g_counters.calls;
  ++g_counters.sketchCalls;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Finish(Object*) {
  ++g_counters.calls;
  ++g_counters.finishes;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Line(Object*, double, double, double, double, double, double, void** out) {
  ++g_counters.calls;
  ++g_counters.lines;
  if (out) {
    *out = &g_segment;
    ++g_counters.refs;
  }
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Redraw(Object*) {
  ++g_counters.calls;
  ++g_counters.redraws;
  return S_OK;
}
HRESULT Entity(void** out) {
  ++g_counters.calls;
  ++g_counters.entities;
  if (out) {
    *out = &g_segment;
    ++g_counters.refs;
  }
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Point(Object*, double, double, double, void** out) { return Entity(out); }
HRESULT STDMETHODCALLTYPE Circle(Object*, double, double, double, double, void** out) { return Entity(out); }
HRESULT STDMETHODCALLTYPE Arc(Object*, double, double, double, double, double, double, double, double, double, SHORT,
                              void** out) {
  return Entity(out);
}
HRESULT STDMETHODCALLTYPE SplineThrough(Object*, LONG, const double*, void** out) { return Entity(out); }
HRESULT STDMETHODCALLTYPE SplineNurbs(Object*, const LONG*, const double*, const double*, void** out) {
  return Entity(out);
}
HRESULT STDMETHODCALLTYPE Face(Object*, LONG, const double*, const double*) {
  ++g_counters.calls;
  ++g_counters.faces;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Build(Object*, void** out) {
  ++g_counters.calls;
  ++g_counters.builds;
  if (out) {
    *out = &g_segment;
    ++g_counters.refs;
  }
  return S_OK;
}

// Reads the last double of each array, so that the arrays must really be there.
double Touch(const double* values, size_t count) { return count ? values[count - 1] : 0.0; }
volatile double g_sink;

HRESULT STDMETHODCALLTYPE BSplineSurface(Object*, const LONG* header, const double* uKnots, const double* vKnots,
                                         const double* points, void** out) {
  ++g_counters.calls;
  ++g_counters.surfaces;
  const size_t ou = static_cast<size_t>(header[0]), ov = static_cast<size_t>(header[1]);
  const size_t cv = static_cast<size_t>(header[2]), cu = static_cast<size_t>(header[3]);
  g_counters.doubles += ou + cu + ov + cv + 3 * cu * cv;
  g_sink = Touch(uKnots, ou + cu) + Touch(vKnots, ov + cv) + Touch(points, 3 * cu * cv);
  *out = &g_surface;
  ++g_counters.refs;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE PlaneSurface(Object*, const double* origin, const double* normal, void** out) {
  ++g_counters.calls;
  ++g_counters.surfaces;
  g_counters.doubles += 6;
  g_sink = origin[2] + normal[2];
  *out = &g_surface;
  ++g_counters.refs;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TrimmedFace(Object*, VARIANT_BOOL* made) {
  ++g_counters.calls;
  ++g_counters.surfaceFaces;
  *made = VARIANT_TRUE;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE BoundedFace(Object*, LONG, LONG, const double* range) {
  ++g_counters.calls;
  ++g_counters.surfaceFaces;
  g_counters.doubles += 4;
  g_sink = range[3];
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TrimLoop(Object*, LONG n, const LONG*, const LONG*, const LONG*, const LONG* knotCounts,
                                   const LONG* cvCounts, const double* knots, const double* points, const void*) {
  ++g_counters.calls;
  ++g_counters.loops;
  size_t k = 0, c = 0;
  for (LONG i = 0; i < n; ++i) {
    k += static_cast<size_t>(knotCounts[i]);
    c += static_cast<size_t>(cvCounts[i]);
  }
  g_counters.doubles += k + 3 * c;
  g_sink = Touch(knots, k) + Touch(points, 3 * c);
  return S_OK;
}

// The sketch's records, positions no reader reads 0.
constexpr double kLines[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0,  //
                             0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0};
constexpr double kArcs[] = {0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1,  //
                            0, 0, 0, 0, 0, 0, 2, 0, 0, 2, 0, 0, 1, 0, 0, 1};
constexpr double kSplines[] = {0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 1, 0, 2, 0, 0,  //
                               0, 0, 0, 0, 0, 0, 2, 0, 0, 1, 1, 1, 1};
constexpr double kPolylines[] = {0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0,  //
                                 0, 0, 0, 0, 0, 0, 0, 0, 0};
template <const double* Records, LONG N>
HRESULT STDMETHODCALLTYPE Write(Object*, double* out) {
  ++g_counters.calls;
  for (LONG i = 0; i < N; ++i) out[i] = Records[i];
  return S_OK;
}
HRESULT STDMETHODCALLTYPE RecordCount(Object*, LONG* count) {
  ++g_counters.calls;
  *count = kSketchRecords;
  return S_OK;
}
template <LONG N>
HRESULT STDMETHODCALLTYPE SizeAndCount(Object*, LONG* size, LONG* count) {
  ++g_counters.calls;
  *size = N;
  *count = kSketchRecords;
  return S_OK;
}

// The storage carries the two words the Itanium C++ ABI puts before a virtual
// table (offset to top, type information), so that sanitizer type checks in the
// client see an object of the role's interface type.
struct Table {
  void* slots[kTableSize + 2];
  void** entries = slots + 2;
  explicit Table(const std::type_info& type) {
    slots[0] = nullptr;
    slots[1] = const_cast<void*>(static_cast<const void*>(&type));
    for (int i = 0; i < kTableSize; ++i) entries[i] = reinterpret_cast<void*>(&Trap);
    entries[0] = reinterpret_cast<void*>(&QueryInterface);
    entries[1] = reinterpret_cast<void*>(&AddRef);
    entries[2] = reinterpret_cast<void*>(&Release);
  }
  Table(const Table&) = delete;
  Table& Set(int position, void* entry) {
    entries[position] = entry;
    return *this;
  }
};

const Table& AppTable() {
  static Table t(typeid(HostApplication));
  static const bool set =
      (t.Set(8, reinterpret_cast<void*>(&GiveDoc)).Set(19, reinterpret_cast<void*>(&GivePart)), true);
  (void)set;
  return t;
}
const Table& DocTable() {
  static Table t(typeid(HostDocument));
  static const bool set = (t.Set(14, reinterpret_cast<void*>(&NothingLong))
                               .Set(82, reinterpret_cast<void*>(&Nothing))
                               .Set(235, reinterpret_cast<void*>(&NothingLong))
                               .Set(237, reinterpret_cast<void*>(&NothingLong))
                               .Set(349, reinterpret_cast<void*>(&Finish))
                               .Set(540, reinterpret_cast<void*>(&Point))
                               .Set(542, reinterpret_cast<void*>(&Line))
                               .Set(551, reinterpret_cast<void*>(&Circle))
                               .Set(553, reinterpret_cast<void*>(&Arc))
                               .Set(559, reinterpret_cast<void*>(&SplineThrough))
                               .Set(560, reinterpret_cast<void*>(&Redraw))
                               .Set(578, reinterpret_cast<void*>(&SplineNurbs))
                               .Set(656, reinterpret_cast<void*>(&Sketch)),
                           true);
  (void)set;
  return t;
}
const Table& PartTable() {
  static Table t(typeid(HostPartDocument));
  static const bool set = (t.Set(31, reinterpret_cast<void*>(&GiveBody)), true);
  (void)set;
  return t;
}
const Table& BodyTable() {
  static Table t(typeid(HostBody));
  static const bool set = (t.Set(12, reinterpret_cast<void*>(&Build))
                               .Set(19, reinterpret_cast<void*>(&TrimmedFace))
                               .Set(46, reinterpret_cast<void*>(&PlaneSurface))
                               .Set(50, reinterpret_cast<void*>(&BSplineSurface))
                               .Set(53, reinterpret_cast<void*>(&BoundedFace))
                               .Set(72, reinterpret_cast<void*>(&Face)),
                           true);
  (void)set;
  return t;
}
const Table& SurfaceTable() {
  static Table t(typeid(HostSurface));
  static const bool set = (t.Set(57, reinterpret_cast<void*>(&TrimLoop)), true);
  (void)set;
  return t;
}
const Table& SketchTable() {
  constexpr LONG splines = sizeof(kSplines) / sizeof(double), polylines = sizeof(kPolylines) / sizeof(double);
  static Table t(typeid(HostSketch));
  static const bool set = (t.Set(33, reinterpret_cast<void*>(&RecordCount))
                               .Set(34, reinterpret_cast<void*>(&RecordCount))
                               .Set(37, reinterpret_cast<void*>(&SizeAndCount<splines>))
                               .Set(187, reinterpret_cast<void*>(&SizeAndCount<polylines>))
                               .Set(146, reinterpret_cast<void*>(&Write<kLines, 24>))
                               .Set(148, reinterpret_cast<void*>(&Write<kArcs, 32>))
                               .Set(150, reinterpret_cast<void*>(&Write<kSplines, splines>))
                               .Set(186, reinterpret_cast<void*>(&Write<kPolylines, polylines>)),
                           true);
  (void)set;
  return t;
}
const Table& PlainTable() {
  static Table t(typeid(IDispatch));
  return t;
}

Object g_app, g_sketch;

}  // namespace

Counters& Count() { return g_counters; }

HostSketch* Sketch() {
  static const bool ready = [] {
    g_sketch.vtbl = SketchTable().entries;
    return true;
  }();
  (void)ready;
  return reinterpret_cast<HostSketch*>(&g_sketch);
}

HostApplication* Application() {
  static const bool ready = [] {
    g_app.vtbl = AppTable().entries;
    g_doc.vtbl = DocTable().entries;
    g_part.vtbl = PartTable().entries;
    g_body.vtbl = BodyTable().entries;
    g_segment.vtbl = PlainTable().entries;
    g_surface.vtbl = SurfaceTable().entries;
    return true;
  }();
  (void)ready;
  return reinterpret_cast<HostApplication*>(&g_app);
}

}  // namespace countinghost
