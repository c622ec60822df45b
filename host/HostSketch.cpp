#include "HostSketch.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

#include "StandInHost.h"

namespace standin {

namespace {

// Start and end of an arc must lie this close to one distance from its centre,
// relative to the larger of the two: far above the rounding of a computed arc, far
// below any mistake in its arguments.
constexpr double kArcRadiusTolerance = 1e-9;

bool AllFinite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The n points of a flat xyz array; false at the first value that is not finite.
bool ReadPoints(const double* xyz, size_t n, std::vector<Point3>& points) {
  points.resize(n);
  for (size_t i = 0; i < n; ++i) {
    for (size_t a = 0; a < 3; ++a) {
      points[i][a] = xyz[3 * i + a];
      if (!std::isfinite(points[i][a])) return false;
    }
  }
  return true;
}

double Distance(const Point3& a, const Point3& b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }

// How many doubles of an array the log shows: those the call reads, none when that
// many do not fit the log's count.
int Shown(int64_t n) { return n >= 0 && n <= std::numeric_limits<int>::max() ? static_cast<int>(n) : 0; }

LONG ClampedLong(size_t n) {
  return static_cast<LONG>(std::min<size_t>(n, static_cast<size_t>(std::numeric_limits<LONG>::max())));
}

// --- records ------------------------------------------------------------------------

void Put(std::vector<double>& out, const Point3& p) { out.insert(out.end(), p.begin(), p.end()); }

// Position 0 the kind code, then `unread` zeros.
void PutHeader(std::vector<double>& out, double code, size_t unread) {
  out.push_back(code);
  out.insert(out.end(), unread, 0.0);
}

SketchRecords Encode(const Sketch3D& s, SketchRecordKind kind) {
  SketchRecords r;
  switch (kind) {
    case SketchRecordKind::Lines:
      for (const SketchLine& l : s.lines) {
        PutHeader(r.data, kLineRecordCode, 5);
        Put(r.data, l.start);
        Put(r.data, l.end);
      }
      r.count = ClampedLong(s.lines.size());
      break;
    case SketchRecordKind::Arcs:
      for (const SketchArc& a : s.arcs) {
        PutHeader(r.data, kArcRecordCode, 5);
        Put(r.data, a.start);
        Put(r.data, a.end);
        Put(r.data, a.centre);
        r.data.push_back(static_cast<double>(a.direction));
      }
      r.count = ClampedLong(s.arcs.size());
      break;
    case SketchRecordKind::Splines:
      for (const SketchSpline& sp : s.splines) {
        PutHeader(r.data, kSplineRecordCode, 5);
        r.data.push_back(static_cast<double>(sp.points.size()));
        for (const Point3& p : sp.points) Put(r.data, p);
      }
      r.count = ClampedLong(s.splines.size());
      break;
    case SketchRecordKind::Polylines:
      for (const auto& pl : s.polylines) {
        PutHeader(r.data, kPolylineRecordCode, 0);
        r.data.push_back(kPolylineHeaderCount);  // k at 1; 2 to k + 7 unread; k + 8 the point count
        r.data.insert(r.data.end(), kPolylineHeaderCount + 6, 0.0);
        r.data.push_back(static_cast<double>(pl.size()));
        for (const Point3& p : pl) Put(r.data, p);
      }
      r.count = ClampedLong(s.polylines.size());
      break;
  }
  r.size = ClampedLong(r.data.size());
  return r;
}

// The doubles a data call writes: what its count call reported implies.
int64_t DataLength(SketchRecordKind kind, const SketchRecords& r) {
  switch (kind) {
    case SketchRecordKind::Lines: return 12 * static_cast<int64_t>(std::max<LONG>(r.count, 0));
    case SketchRecordKind::Arcs: return 16 * static_cast<int64_t>(std::max<LONG>(r.count, 0));
    case SketchRecordKind::Splines:
    case SketchRecordKind::Polylines: return std::max<LONG>(r.size, 0);
  }
  return 0;
}

// --- the HostSketch entries -------------------------------------------------------------

HRESULT ReportCount(Face* self, int method, SketchRecordKind kind, LONG* count) {
  CallScope call(self, method);
  call.Args(OutArg{count});
  if (call.Faulted(count)) return call.Result();
  if (!count) return call.Return(E_POINTER);
  *count = self->OwnerAs<Sketch3D>()->Records(kind).count;
  return call.Return(S_OK);
}

HRESULT ReportSizeAndCount(Face* self, int method, SketchRecordKind kind, LONG* size, LONG* count) {
  CallScope call(self, method);
  call.Args(OutArg{size}, OutArg{count});
  if (call.Faulted(size, count)) return call.Result();
  if (!size || !count) return call.Return(E_POINTER);
  const SketchRecords r = self->OwnerAs<Sketch3D>()->Records(kind);
  *size = r.size;
  *count = r.count;
  return call.Return(S_OK);
}

// A fault writes nothing into the array, whatever it says about out-parameters.
HRESULT WriteRecords(Face* self, int method, SketchRecordKind kind, double* array) {
  CallScope call(self, method);
  call.Args(OutArg{array});
  if (call.Faulted()) return call.Result();
  if (!array) return call.Return(E_POINTER);
  const SketchRecords r = self->OwnerAs<Sketch3D>()->Records(kind);
  const int64_t length = DataLength(kind, r);
  const int64_t copied = std::min<int64_t>(length, static_cast<int64_t>(r.data.size()));
  std::copy_n(r.data.data(), copied, array);
  std::fill_n(array + copied, length - copied, 0.0);
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchLineCount(Face* self, LONG* count) {
  return ReportCount(self, 33, SketchRecordKind::Lines, count);
}
STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchArcCount(Face* self, LONG* count) {
  return ReportCount(self, 34, SketchRecordKind::Arcs, count);
}
STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchSplineSize(Face* self, LONG* size, LONG* count) {
  return ReportSizeAndCount(self, 37, SketchRecordKind::Splines, size, count);
}
STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchPolylineSize(Face* self, LONG* size, LONG* count) {
  return ReportSizeAndCount(self, 187, SketchRecordKind::Polylines, size, count);
}
STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchLines(Face* self, double* array) {
  return WriteRecords(self, 146, SketchRecordKind::Lines, array);
}
STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchArcs(Face* self, double* array) {
  return WriteRecords(self, 148, SketchRecordKind::Arcs, array);
}
STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchSplines(Face* self, double* array) {
  return WriteRecords(self, 150, SketchRecordKind::Splines, array);
}
STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchPolylines(Face* self, double* array) {
  return WriteRecords(self, 186, SketchRecordKind::Polylines, array);
}

}  // namespace

// --- the document's entity methods ------------------------------------------------------
// Each refuses outside a sketch with E_FAIL and bad data with E_INVALIDARG, storing
// nothing and handing out null; a fault hands out what the fault says.

HRESULT SketchEntries::HandOut(CallScope& call, Document& doc, SketchSegment::Kind kind, size_t index,
                               IDispatch** out) {
  Sketch3D& sketch = doc.m_sketches.back();
  SketchSegment& made =
      sketch.m_handedOut.emplace_back(call.Core(), kind, static_cast<int>(doc.m_sketches.size() - 1), index);
  if (out) *out = made.SegmentFace().Give<IDispatch>();
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchEntries::DocCreatePoint(Face* self, double x, double y, double z,
                                                                      IDispatch** point) {
  CallScope call(self, 540);
  call.Args(x, y, z, OutArg{point});
  if (call.Faulted(point)) return call.Result();
  if (point) *point = nullptr;
  Document& doc = *self->OwnerAs<Document>();
  if (!doc.InSketch()) return call.Return(E_FAIL);
  if (!AllFinite({x, y, z})) return call.Return(E_INVALIDARG);
  Sketch3D& sketch = doc.m_sketches.back();
  sketch.points.push_back({x, y, z});
  return HandOut(call, doc, SketchSegment::Kind::Point, sketch.points.size() - 1, point);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchEntries::DocCreateLine(Face* self, double x1, double y1, double z1,
                                                                     double x2, double y2, double z2,
                                                                     IDispatch** segment) {
  CallScope call(self, 542);
  call.Args(x1, y1, z1, x2, y2, z2, OutArg{segment});
  if (call.Faulted(segment)) return call.Result();
  if (segment) *segment = nullptr;
  Document& doc = *self->OwnerAs<Document>();
  if (!doc.InSketch()) {
    ++doc.m_refusedLines;
    return call.Return(E_FAIL);
  }
  if (!AllFinite({x1, y1, z1, x2, y2, z2})) return call.Return(E_INVALIDARG);
  Sketch3D& sketch = doc.m_sketches.back();
  sketch.lines.push_back(SketchLine{{x1, y1, z1}, {x2, y2, z2}});
  return HandOut(call, doc, SketchSegment::Kind::Line, sketch.lines.size() - 1, segment);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchEntries::DocCreateCircle(Face* self, double cx, double cy, double cz,
                                                                       double radius, IDispatch** segment) {
  CallScope call(self, 551);
  call.Args(cx, cy, cz, radius, OutArg{segment});
  if (call.Faulted(segment)) return call.Result();
  if (segment) *segment = nullptr;
  Document& doc = *self->OwnerAs<Document>();
  if (!doc.InSketch()) return call.Return(E_FAIL);
  if (!AllFinite({cx, cy, cz, radius}) || !(radius > 0.0)) return call.Return(E_INVALIDARG);
  const Point3 onCircle = {cx + radius, cy, cz};
  if (!std::isfinite(onCircle[0])) return call.Return(E_INVALIDARG);
  Sketch3D& sketch = doc.m_sketches.back();
  sketch.arcs.push_back(SketchArc{{cx, cy, cz}, onCircle, onCircle, 1, true, radius});
  return HandOut(call, doc, SketchSegment::Kind::Arc, sketch.arcs.size() - 1, segment);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchEntries::DocCreateArc(Face* self, double cx, double cy, double cz,
                                                                    double sx, double sy, double sz, double ex,
                                                                    double ey, double ez, SHORT direction,
                                                                    IDispatch** segment) {
  CallScope call(self, 553);
  call.Args(cx, cy, cz, sx, sy, sz, ex, ey, ez, direction, OutArg{segment});
  if (call.Faulted(segment)) return call.Result();
  if (segment) *segment = nullptr;
  Document& doc = *self->OwnerAs<Document>();
  if (!doc.InSketch()) return call.Return(E_FAIL);
  if (!AllFinite({cx, cy, cz, sx, sy, sz, ex, ey, ez}) || (direction != 1 && direction != -1))
    return call.Return(E_INVALIDARG);
  const Point3 centre = {cx, cy, cz}, start = {sx, sy, sz}, end = {ex, ey, ez};
  const double toStart = Distance(centre, start), toEnd = Distance(centre, end);
  if (!std::isfinite(toStart) || !std::isfinite(toEnd) || !(toStart > 0.0) ||
      !(std::fabs(toStart - toEnd) <= kArcRadiusTolerance * std::max(toStart, toEnd)))
    return call.Return(E_INVALIDARG);
  Sketch3D& sketch = doc.m_sketches.back();
  sketch.arcs.push_back(SketchArc{centre, start, end, direction, false, toStart});
  return HandOut(call, doc, SketchSegment::Kind::Arc, sketch.arcs.size() - 1, segment);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchEntries::DocCreateSplineThroughPoints(Face* self, LONG count,
                                                                                    const double* xyz,
                                                                                    IDispatch** segment) {
  CallScope call(self, 559);
  const bool shaped = count >= 2 && xyz;
  call.Args(count, DoublesArg{xyz, shaped ? Shown(3 * static_cast<int64_t>(count)) : 0}, OutArg{segment});
  if (call.Faulted(segment)) return call.Result();
  if (segment) *segment = nullptr;
  Document& doc = *self->OwnerAs<Document>();
  if (!doc.InSketch()) return call.Return(E_FAIL);
  if (!shaped) return call.Return(E_INVALIDARG);
  SketchSpline spline;
  if (!ReadPoints(xyz, static_cast<size_t>(count), spline.points)) return call.Return(E_INVALIDARG);
  Sketch3D& sketch = doc.m_sketches.back();
  sketch.splines.push_back(std::move(spline));
  return HandOut(call, doc, SketchSegment::Kind::Spline, sketch.splines.size() - 1, segment);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE SketchEntries::DocCreateSplineFromNurbs(Face* self, const LONG* properties,
                                                                                const double* knots,
                                                                                const double* cvs,
                                                                                IDispatch** segment) {
  CallScope call(self, 578);
  // Dimension 3, order 2 or more, at least as many CVs as the order, periodic 0 or 1.
  const bool shaped = properties && properties[0] == 3 && properties[1] >= 2 && properties[2] >= properties[1] &&
                      (properties[3] == 0 || properties[3] == 1);
  const int64_t order = shaped ? properties[1] : 0, cvCount = shaped ? properties[2] : 0;
  const int64_t knotCount = order + cvCount;
  call.Args(LongsArg{properties, 4}, DoublesArg{knots, Shown(knotCount)}, DoublesArg{cvs, Shown(3 * cvCount)},
            OutArg{segment});
  if (call.Faulted(segment)) return call.Result();
  if (segment) *segment = nullptr;
  Document& doc = *self->OwnerAs<Document>();
  if (!doc.InSketch()) return call.Return(E_FAIL);
  if (!shaped || !knots || !cvs) return call.Return(E_INVALIDARG);
  SketchSpline spline;
  spline.fromNurbs = true;
  std::copy_n(properties, 4, spline.properties.begin());
  spline.knots.assign(knots, knots + knotCount);
  for (size_t i = 0; i < spline.knots.size(); ++i)
    if (!std::isfinite(spline.knots[i]) || (i > 0 && spline.knots[i] < spline.knots[i - 1]))
      return call.Return(E_INVALIDARG);
  // The curve's domain, from knot order - 1 to knot CV count, must not be empty.
  if (!(spline.knots[static_cast<size_t>(order - 1)] < spline.knots[static_cast<size_t>(cvCount)]))
    return call.Return(E_INVALIDARG);
  if (!ReadPoints(cvs, static_cast<size_t>(cvCount), spline.points)) return call.Return(E_INVALIDARG);
  Sketch3D& sketch = doc.m_sketches.back();
  sketch.splines.push_back(std::move(spline));
  return HandOut(call, doc, SketchSegment::Kind::Spline, sketch.splines.size() - 1, segment);
}

// --- tables and objects -------------------------------------------------------------------

const MethodTable& SketchEntries::SketchTable() {
  static const MethodTable table = MethodTable::For<HostSketch>(kRoleSketch)
                                       .Set(33, &SketchLineCount)
                                       .Set(34, &SketchArcCount)
                                       .Set(37, &SketchSplineSize)
                                       .Set(146, &SketchLines)
                                       .Set(148, &SketchArcs)
                                       .Set(150, &SketchSplines)
                                       .Set(186, &SketchPolylines)
                                       .Set(187, &SketchPolylineSize);
  return table;
}

const MethodTable& SketchEntries::SegmentTable() {
  static const MethodTable table = MethodTable::For<IDispatch>(kRoleSketchSegment);
  return table;
}

const MethodTable& SketchEntries::PointTable() {
  static const MethodTable table = MethodTable::For<IDispatch>(kRoleSketchPoint);
  return table;
}

SketchSegment::SketchSegment(HostCore& core, Kind kind, int sketch, size_t index)
    : Object(core),
      m_kind(kind),
      m_sketch(sketch),
      m_index(index),
      m_face(*this, kind == Kind::Point ? SketchEntries::PointTable() : SketchEntries::SegmentTable()) {}

Sketch3D::Sketch3D(HostCore& core) : Object(core), m_face(*this, SketchEntries::SketchTable()) {}

SketchRecords Sketch3D::Records(SketchRecordKind kind) const {
  const auto& replaced = m_replaced[static_cast<size_t>(kind)];
  if (!replaced) return Encode(*this, kind);
  SketchRecords r = *replaced;
  // The size of lines and arcs follows from their count, as the data call sees it.
  if (kind == SketchRecordKind::Lines || kind == SketchRecordKind::Arcs)
    r.size = static_cast<LONG>(std::min<int64_t>(DataLength(kind, r), std::numeric_limits<LONG>::max()));
  return r;
}

void Sketch3D::ReplaceRecords(SketchRecordKind kind, SketchRecords records) {
  m_replaced[static_cast<size_t>(kind)] = std::move(records);
}

void Sketch3D::RestoreRecords(SketchRecordKind kind) { m_replaced[static_cast<size_t>(kind)].reset(); }

}  // namespace standin
