// Host sketches read back as openNURBS curves, from the flat records of doubles
// that the sketch hands out for each kind of entity.
#include <cstdint>
#include <memory>
#include <new>

#include "ZTKSWON.h"
#include "ZTKVector.h"

namespace {

// Doubles per line and per arc record; the fixed head of a spline record (its
// point count at 6) and of a polyline record past its count k (its point count at
// k + 8).
constexpr int64_t kLineRecord = 12;
constexpr int64_t kArcRecord = 16;
constexpr int64_t kSplineHead = 7;
constexpr int64_t kPolylineHead = 9;

// Start and end this close make a full circle.
constexpr double kFullCircleGap = 0.0001;

// The array of one kind's records, `size` doubles, filled by its data call; null
// when the data call does not return S_OK. The array starts zeroed, so that a host
// that writes less than it reported leaves zeros instead of what the memory held.
// Memory running out throws.
std::unique_ptr<double[]> FetchRecords(HostSketch* sketch, int64_t size, HRESULT (*dataCall)(HostSketch*, double*)) {
  std::unique_ptr<double[]> records(new double[static_cast<size_t>(size)]());
  if (dataCall(sketch, records.get()) != S_OK) records.reset();
  return records;
}

// The size and the count of the splines or the polylines, both preset to 0; false
// when either is below 1. The count call's own result is not judged.
bool SizeAndCount(HostSketch* sketch, HRESULT (*countCall)(HostSketch*, LONG*, LONG*), LONG& size, LONG& count) {
  size = 0;
  count = 0;
  countCall(sketch, &size, &count);
  return size >= 1 && count >= 1;
}

// A count stored as a double, truncated toward zero, when it is one: not a NaN,
// not negative, and no more than `limit`. Otherwise -1. The range is tested on the
// double, before any conversion, which for a value outside the integers would be
// undefined.
int64_t StoredCount(double value, int64_t limit) {
  if (!(value > -1.0) || !(value < static_cast<double>(limit) + 1.0)) return -1;
  return static_cast<int64_t>(value);
}

ON_3dPoint PointAt(const double* xyz) { return ON_3dPoint(xyz[0], xyz[1], xyz[2]); }

// Walks the records of a spline or polyline array: each record must fit in what
// is left of the array, else the walk has failed.
class RecordWalk {
 public:
  RecordWalk(const double* data, int64_t size) : m_data(data), m_size(size) {}
  // The record's position `at`, when the array holds it.
  bool Has(int64_t at) const { return at >= 0 && at < m_size - m_pos; }
  double Value(int64_t at) const { return m_data[m_pos + at]; }
  const double* Address(int64_t at) const { return m_data + m_pos + at; }
  // Doubles left from position `at` on.
  int64_t LeftFrom(int64_t at) const { return m_size - m_pos - at; }
  void Advance(int64_t length) { m_pos += length; }

 private:
  const double* m_data;
  int64_t m_size;
  int64_t m_pos = 0;
};

// The arc of one record. When start and end are parallel seen from the centre
// (a half circle) the first frame fails and the second one is taken, whose normal
// always leans to +Z; the angle about N then keeps or changes its sign with N, so
// that the half circle runs the way its direction says. With the first frame the
// normal is start x end, which leans to N exactly when the angle about N is below
// pi, so angles of pi and more are negated, turning the arc about the reversed
// plane.
ON_Arc ArcOf(const ON_3dPoint& start, const ON_3dPoint& end, const ON_3dPoint& centre, double direction) {
  ON_Arc arc;
  const double radius = centre.DistanceTo(start);
  if (start.DistanceTo(end) <= kFullCircleGap) {
    arc.Create(ON_Circle(centre, radius), 2.0 * ON_PI);
    return arc;
  }
  const ON_3dVector toStart = start - centre, toEnd = end - centre;
  ON_Plane plane;
  const bool firstFrame = plane.CreateFromFrame(centre, toStart, toEnd);
  if (!firstFrame) {
    ON_3dVector turned = toStart;
    turned.Rotate(0.5 * ON_PI, ON_zaxis);
    plane.CreateFromFrame(centre, toStart, turned);
  }
  const bool clockwise = direction == -1.0;
  const ON_3dVector normal(0.0, 0.0, clockwise ? -1.0 : 1.0);
  double angle = ZTKVector::Angle(toStart, toEnd, normal, 0);
  if (firstFrame ? angle >= ON_PI : clockwise) angle = -angle;
  arc.Create(plane, centre, radius, angle);
  return arc;
}

// A NURBS curve reports running out of memory only by coming out empty, when it is
// made or copied; such a curve is a failure, not a curve of the sketch.
void CheckMade(bool made) {
  if (!made) throw std::bad_alloc();
}
void CheckCopy(const ON_NurbsCurve& copy, const ON_NurbsCurve& source) {
  CheckMade(copy.CVCount() == source.CVCount());
}

// The curve of one spline record's points: order 3, or 2 for two points, the
// points as control points; empty for fewer. With two points or more only memory
// can fail it.
void SplineOf(const ON_3dPointArray& points, ON_NurbsCurve& curve) {
  const int n = points.Count();
  if (n < 2) {
    curve.Destroy();
    return;
  }
  CheckMade(curve.CreateClampedUniformNurbs(3, n < 3 ? 2 : 3, n, points.Array(), 1.0));
}

// The readers themselves. Memory running out throws std::bad_alloc out of them,
// with the output empty (arcs: as it was); the module's functions turn that into
// 0, and GetSketchCurves into a failure of its own rather than a shorter list.

BOOL ReadLines(HostSketch* sketch, ON_ClassArray<ON_Line>& lines) {
  lines.Destroy();
  if (!sketch) return 0;
  LONG count = 0;
  HostOp::SketchLineCount(sketch, &count);
  if (count < 1) return 0;
  const std::unique_ptr<double[]> data = FetchRecords(sketch, kLineRecord * count, HostOp::SketchLines);
  if (!data) return 0;
  try {
    lines.Reserve(count);
    for (int64_t i = 0; i < count; ++i) {
      const double* record = data.get() + kLineRecord * i;
      lines.Append(ON_Line(PointAt(record + 6), PointAt(record + 9)));
    }
  } catch (const std::bad_alloc&) {
    lines.Destroy();
    throw;
  }
  return 1;
}

BOOL ReadPolylines(HostSketch* sketch, ON_ClassArray<ON_Polyline>& polylines) {
  polylines.Destroy();
  if (!sketch) return 0;
  LONG size, count;
  if (!SizeAndCount(sketch, HostOp::SketchPolylineSize, size, count)) return 0;
  const std::unique_ptr<double[]> data = FetchRecords(sketch, size, HostOp::SketchPolylines);
  if (!data) return 0;
  try {
    RecordWalk walk(data.get(), size);
    ON_Polyline work;
    for (LONG i = 0; i < count; ++i) {
      // k at 1, the point count at k + 8, the points from k + 9.
      const int64_t k = walk.Has(1) ? StoredCount(walk.Value(1), size) : -1;
      const int64_t at = k + kPolylineHead - 1;
      const int64_t n = k >= 0 && walk.Has(at) ? StoredCount(walk.Value(at), walk.LeftFrom(at + 1) / 3) : -1;
      if (n < 0) {
        polylines.Destroy();
        return 0;
      }
      work.Empty();
      const double* xyz = walk.Address(at + 1);
      for (int64_t p = 0; p < n; ++p) work.Append(PointAt(xyz + 3 * p));
      polylines.Append(work);
      walk.Advance(at + 1 + 3 * n);
    }
  } catch (const std::bad_alloc&) {
    polylines.Destroy();
    throw;
  }
  return 1;
}

BOOL ReadSplines(HostSketch* sketch, ON_ClassArray<ON_NurbsCurve>& splines) {
  splines.Destroy();
  if (!sketch) return 0;
  LONG size, count;
  if (!SizeAndCount(sketch, HostOp::SketchSplineSize, size, count)) return 0;
  const std::unique_ptr<double[]> data = FetchRecords(sketch, size, HostOp::SketchSplines);
  if (!data) return 0;
  try {
    RecordWalk walk(data.get(), size);
    ON_3dPointArray points;
    ON_NurbsCurve work;
    for (LONG i = 0; i < count; ++i) {
      // The point count at 6, the points from 7.
      const int64_t at = kSplineHead - 1;
      const int64_t n = walk.Has(at) ? StoredCount(walk.Value(at), walk.LeftFrom(kSplineHead) / 3) : -1;
      if (n < 0) {
        splines.Destroy();
        return 0;
      }
      points.Empty();
      const double* xyz = walk.Address(kSplineHead);
      for (int64_t p = 0; p < n; ++p) points.Append(PointAt(xyz + 3 * p));
      SplineOf(points, work);
      splines.Append(work);
      CheckCopy(*splines.Last(), work);
      walk.Advance(kSplineHead + 3 * n);
    }
  } catch (const std::bad_alloc&) {
    splines.Destroy();
    throw;
  }
  return 1;
}

BOOL ReadArcs(HostSketch* sketch, ON_ClassArray<ON_Arc>& arcs) {
  if (!sketch) return 0;
  LONG count = 0;
  HostOp::SketchArcCount(sketch, &count);
  if (count < 1) return 0;
  const std::unique_ptr<double[]> data = FetchRecords(sketch, kArcRecord * count, HostOp::SketchArcs);
  if (!data) return 0;
  const int before = arcs.Count();
  try {
    for (int64_t i = 0; i < count; ++i) {
      const double* record = data.get() + kArcRecord * i;
      arcs.Append(ArcOf(PointAt(record + 6), PointAt(record + 9), PointAt(record + 12), record[15]));
    }
  } catch (const std::bad_alloc&) {
    while (arcs.Count() > before) arcs.Remove();
    throw;
  }
  return 1;
}

template <class Read, class Output>
BOOL Guarded(Read read, HostSketch* sketch, Output& output) {
  try {
    return read(sketch, output);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

}  // namespace

BOOL GetSketchLines(HostSketch* sketch, ON_ClassArray<ON_Line>& lines) { return Guarded(ReadLines, sketch, lines); }

BOOL GetSketchPolylines(HostSketch* sketch, ON_ClassArray<ON_Polyline>& polylines) {
  return Guarded(ReadPolylines, sketch, polylines);
}

BOOL GetSketchSplines(HostSketch* sketch, ON_ClassArray<ON_NurbsCurve>& splines) {
  return Guarded(ReadSplines, sketch, splines);
}

BOOL GetSketchArcs(HostSketch* sketch, ON_ClassArray<ON_Arc>& arcs) { return Guarded(ReadArcs, sketch, arcs); }

BOOL GetSketchCurves(HostSketch* sketch, ON_CurveArray& curves) {
  curves.Destroy();
  try {
    ON_ClassArray<ON_Line> lines;
    ON_ClassArray<ON_Polyline> polylines;
    ON_ClassArray<ON_NurbsCurve> splines;
    ON_ClassArray<ON_Arc> arcs;
    ReadLines(sketch, lines);
    ReadPolylines(sketch, polylines);
    ReadSplines(sketch, splines);
    ReadArcs(sketch, arcs);
    const int64_t total = int64_t{lines.Count()} + polylines.Count() + splines.Count() + arcs.Count();
    if (total > INT32_MAX) throw std::bad_alloc();
    // Room for every curve first: then no Append allocates, and each new curve is
    // owned by the array the moment it is made.
    curves.Reserve(static_cast<int>(total));
    for (int i = 0; i < lines.Count(); ++i) curves.Append(new ON_LineCurve(lines[i]));
    for (int i = 0; i < polylines.Count(); ++i) curves.Append(new ON_PolylineCurve(polylines[i]));
    for (int i = 0; i < splines.Count(); ++i) {
      ON_NurbsCurve* copy = new ON_NurbsCurve(splines[i]);
      curves.Append(copy);
      CheckCopy(*copy, splines[i]);
    }
    for (int i = 0; i < arcs.Count(); ++i) curves.Append(new ON_ArcCurve(arcs[i]));
  } catch (const std::bad_alloc&) {
    curves.Destroy();
    return 0;
  }
  return 1;
}
