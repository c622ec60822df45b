// The readers of host sketches against arbitrary records. The fuzzer's bytes give,
// kind by kind (lines, arcs, splines, polylines), the count and size the sketch's
// count call reports and the doubles its data call writes (exactly the doubles the
// report implies, so any read past them is AddressSanitizer's); each double is one
// of a few telling values (small counts, fractions, NaN, infinities, huge values)
// or eight raw bytes. Every later byte decides one host call: it succeeds, fails,
// hands out null or fails after its work.
//
// Each run reads the sketch three ways: each reader with the host letting every
// call be, GetSketchCurves likewise, then each reader again under the faults.
// Findings: a result other than 0 and 1, a reader that gives 0 with output left
// (arcs: changed), lines that are not the records' values, a reader that gives 1
// with another element count than the host reported, curves that are not the
// readers' elements in their order, and any reference left or released too often.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "HostWhims.h"
#include "NurbsInput.h"
#include "StandInHost.h"
#include "ZTKSWON.h"
#include "opennurbs.h"

namespace {

using standin::SketchRecordKind;
using standin::SketchRecords;

using fuzzinput::Reader;

// One double: a telling value for most bytes, eight raw bytes after 0xFF.
double Double(Reader& in) {
  static const double kValues[] = {0.0, 1.0, 2.0, 3.0, 4.0, 3.9, 0.5, -0.5, -1.0, -3.0, 1e-4, 1.1e-4,
                                   7.0, 9.0, 1e9, 1e300, -1e300, 4294967297.0, 2147483648.0,
                                   std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(), -0.0, 1e-310};
  constexpr size_t kCount = sizeof(kValues) / sizeof(kValues[0]);
  const uint8_t b = in.Byte();
  if (b == 0xFF) {
    uint8_t raw[8] = {};
    for (uint8_t& r : raw) r = in.Byte();
    double v;
    std::memcpy(&v, raw, sizeof v);
    return v;
  }
  // Most bytes stand for a small coordinate or count, so records often fit.
  if (b >= 0x80) return static_cast<double>(b & 0x0F) - 4.0;
  return kValues[b % kCount];
}

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "fuzz_sketchread: %s\n", what.c_str());
  std::abort();
}

bool Same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool Same(const ON_3dPoint& p, const double* xyz) { return Same(p.x, xyz[0]) && Same(p.y, xyz[1]) && Same(p.z, xyz[2]); }

void CheckResult(const char* reader, BOOL result) {
  if (result != 0 && result != 1) Finding(std::string(reader) + " gave " + std::to_string(result));
}

// The four readers on outputs that hold one element each beforehand. With
// `expected`, the counts the host reports for lines and arcs, the results are
// checked against the records themselves.
struct Outputs {
  ON_ClassArray<ON_Line> lines;
  ON_ClassArray<ON_Polyline> polylines;
  ON_ClassArray<ON_NurbsCurve> splines;
  ON_ClassArray<ON_Arc> arcs;
  BOOL results[4] = {};
};

Outputs ReadAll(HostSketch* sketch) {
  Outputs o;
  o.lines.AppendNew();
  o.polylines.AppendNew().Append(1, 2, 3);
  o.splines.AppendNew();
  o.arcs.AppendNew();
  o.results[0] = GetSketchLines(sketch, o.lines);
  o.results[1] = GetSketchPolylines(sketch, o.polylines);
  o.results[2] = GetSketchSplines(sketch, o.splines);
  o.results[3] = GetSketchArcs(sketch, o.arcs);
  const char* names[] = {"GetSketchLines", "GetSketchPolylines", "GetSketchSplines", "GetSketchArcs"};
  for (int i = 0; i < 4; ++i) CheckResult(names[i], o.results[i]);
  if (!o.results[0] && o.lines.Count()) Finding("lines left after 0");
  if (!o.results[1] && o.polylines.Count()) Finding("polylines left after 0");
  if (!o.results[2] && o.splines.Count()) Finding("splines left after 0");
  if (!o.results[3] && o.arcs.Count() != 1) Finding("arcs changed after 0");
  return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  standin::StandInHost host;
  host.SetLogMode(standin::LogMode::Off);
  standin::Document& part = host.AddDocument(standin::DocumentKind::Part);
  if (HostOp::Call<656>(part.DocumentInterface(), LONG{0}) != S_OK) Finding("no sketch");
  standin::Sketch3D& sketch = part.Sketch(0);

  // Kind by kind: a count of -8..7 records and, for splines and polylines, a size
  // of -4..251 doubles; then the doubles the data call writes.
  const SketchRecordKind kinds[] = {SketchRecordKind::Lines, SketchRecordKind::Arcs, SketchRecordKind::Splines,
                                    SketchRecordKind::Polylines};
  SketchRecords reported[4];
  for (int k = 0; k < 4; ++k) {
    SketchRecords r;
    r.count = static_cast<int8_t>(in.Byte()) >> 4;
    const bool sized = kinds[k] == SketchRecordKind::Splines || kinds[k] == SketchRecordKind::Polylines;
    r.size = sized ? static_cast<LONG>(in.Byte()) - 4 : 0;
    const LONG length = sized ? r.size : (kinds[k] == SketchRecordKind::Lines ? 12 : 16) * r.count;
    for (LONG i = 0; i < length; ++i) r.data.push_back(Double(in));
    sketch.ReplaceRecords(kinds[k], r);
    reported[k] = sketch.Records(kinds[k]);
  }
  HostSketch* face = sketch.Interface();

  // The host lets every call be.
  const Outputs o = ReadAll(face);
  const LONG lineCount = reported[0].count, arcCount = reported[1].count;
  if (o.results[0] != (lineCount >= 1 ? 1 : 0)) Finding("lines read against their count");
  if (o.results[0]) {
    if (o.lines.Count() != lineCount) Finding("not one line per record");
    for (int i = 0; i < o.lines.Count(); ++i) {
      const double* r = reported[0].data.data() + 12 * i;
      if (!Same(o.lines[i].from, r + 6) || !Same(o.lines[i].to, r + 9)) Finding("a line that is not its record");
    }
  }
  if (o.results[3] != (arcCount >= 1 ? 1 : 0)) Finding("arcs read against their count");
  if (o.results[3] && o.arcs.Count() != 1 + arcCount) Finding("not one arc per record");
  if (o.results[1] && o.polylines.Count() != reported[3].count) Finding("not one polyline per record");
  if (o.results[2] && o.splines.Count() != reported[2].count) Finding("not one spline per record");

  ON_CurveArray curves;
  curves.Append(new ON_LineCurve());
  if (GetSketchCurves(face, curves) != 1) Finding("GetSketchCurves gave other than 1");
  const int arcsRead = o.results[3] ? o.arcs.Count() - 1 : 0;
  if (curves.Count() != o.lines.Count() + o.polylines.Count() + o.splines.Count() + arcsRead)
    Finding("curves that are not the readers' elements");
  int at = 0;
  for (int i = 0; i < o.lines.Count(); ++i, ++at)
    if (!dynamic_cast<const ON_LineCurve*>(curves[at])) Finding("a line curve out of place");
  for (int i = 0; i < o.polylines.Count(); ++i, ++at) {
    const auto* c = dynamic_cast<const ON_PolylineCurve*>(curves[at]);
    if (!c || c->PointCount() != o.polylines[i].Count()) Finding("a polyline curve out of place");
  }
  for (int i = 0; i < o.splines.Count(); ++i, ++at) {
    const auto* c = dynamic_cast<const ON_NurbsCurve*>(curves[at]);
    if (!c || c->CVCount() != o.splines[i].CVCount()) Finding("a spline curve out of place");
  }
  for (; at < curves.Count(); ++at)
    if (!dynamic_cast<const ON_ArcCurve*>(curves[at])) Finding("an arc curve out of place");

  // The host's whims, one byte per call.
  host.SetFaultChooser([&](const char*, int method) -> std::optional<standin::Fault> {
    if (method <= 6) return std::nullopt;
    if (!in.n) return std::nullopt;  // bytes run out: every later call succeeds
    return fuzzsupport::FaultOf(in.Byte());
  });
  ReadAll(face);
  GetSketchCurves(face, curves);
  host.SetFaultChooser(nullptr);

  for (const std::string& p : host.ReferenceProblems()) Finding(p);
  return 0;
}
