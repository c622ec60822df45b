// The sketch builders and the geometry import on arbitrary NURBS curves, arcs and
// surfaces (NurbsInput.h in bench/fuzz_support), drawn into the open 3D sketch of a stand-in host part.
// The first byte chooses the builder, the second the scale; then come the
// geometry's bytes, and every byte after them decides one host call, as in
// fuzz_import (it succeeds, fails, hands out null or fails after its work).
// AddressSanitizer watches the arrays handed to the host, the fuzzer's timeout a
// station run that would never end. Every run must leave no reference problem;
// a closed curve never reaches the NURBS spline, and every NURBS spline the host
// took has its first and last knots repeated; a circle or an arc of the host
// comes only from an arc in the world x-y plane, with the sense of its normal;
// the list builders give 1, and an import into a new part leaves its sketch.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "NurbsInput.h"
#include "HostWhims.h"
#include "StandInHost.h"
#include "ZTKSWON.h"

namespace {

using fuzzsupport::FaultOf;
using namespace fuzzinput;

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "fuzz_sketch: %s\n", what.c_str());
  std::abort();
}

ON_Arc ReadArc(Reader& r) {
  const ON_3dPoint centre(Coordinate(r), Coordinate(r), (r.Byte() & 1) ? 0.0 : Coordinate(r));
  const bool flat = r.Byte() & 1;
  const ON_3dVector x = flat ? ON_3dVector(1, 0, 0) : ON_3dVector(Coordinate(r), Coordinate(r), Coordinate(r));
  const ON_3dVector y = flat ? ON_3dVector(0, (r.Byte() & 1) ? 1 : -1, 0)
                             : ON_3dVector(Coordinate(r), Coordinate(r), Coordinate(r));
  static const double angles[] = {1e-10, 1.0, 1.5707963267948966, 3.141592653589793, 4.0, 6.283185307179586,
                                  7.0, -1.0, kNaN};
  const double radius = Coordinate(r), angle = r.Pick(angles, sizeof angles / sizeof angles[0]);
  return ON_Arc(ON_Plane(ON_origin, x, y), centre, radius, angle);
}

// Every NURBS spline the host took: the knots of its order and CV count, the
// first and the last given twice.
void CheckSplines(const standin::Sketch3D& sketch) {
  for (const standin::SketchSpline& s : sketch.splines) {
    if (!s.fromNurbs) continue;
    const size_t n = s.knots.size();
    if (n != static_cast<size_t>(s.properties[1]) + static_cast<size_t>(s.properties[2]) || n < 4)
      Finding("knots of another count than order + CV count");
    if (s.knots[0] != s.knots[1] || s.knots[n - 1] != s.knots[n - 2]) Finding("end knots not repeated");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader r{data, size};
  const uint8_t what = r.Byte();
  static const double scales[] = {1.0, 0.001, 0.0254, 0.30479999999999996, 1e300, 0.0};
  const double scale = r.Pick(scales, sizeof scales / sizeof scales[0]);

  standin::StandInHost host;
  host.SetLogMode(standin::LogMode::Off);
  HostPartDocument* part = nullptr;
  HostDocument* doc = nullptr;
  HostOp::NewPart(host.Application(), &part);
  HostOp::ActiveDocument(host.Application(), &doc);
  HostOp::Insert3DSketch(doc, 0);
  bool faulted = false;
  const auto faultsFromHereOn = [&] {
    host.SetFaultChooser([&](const char*, int method) -> std::optional<standin::Fault> {
      if (method <= 6) return std::nullopt;  // IUnknown and IDispatch keep to the rules
      if (!r.n) return std::nullopt;
      const std::optional<standin::Fault> f = FaultOf(r.Byte());
      faulted = faulted || f.has_value();
      return f;
    });
  };
  const auto count = [&](int method) { return host.CallCount("HostDocument", method); };

  switch (what % 5) {
    case 0: {  // one curve as a spline
      ON_NurbsCurve c = ReadCurve(r);
      Corrupt(r, c);
      const bool closed = c.IsClosed();
      faultsFromHereOn();
      const BOOL result = CreateSketchSpline(doc, c, scale);
      if (result != 0 && result != 1) Finding("a spline result other than 0 and 1");
      if (closed && count(578)) Finding("a closed curve reached the NURBS spline");
      break;
    }
    case 1: {  // a list of curves, some of them corrupted in place
      ON_ClassArray<ON_NurbsCurve> curves;
      const int n = 1 + r.Byte() % 4;
      for (int i = 0; i < n; ++i) {
        if (r.Byte() & 1) {
          ON_NurbsCurve& c = curves.AppendNew();
          ReadArc(r).GetNurbForm(c);
        } else {
          curves.AppendNew() = ReadCurve(r);
        }
      }
      for (int i = 0; i < n; ++i) Corrupt(r, curves[i]);
      faultsFromHereOn();
      if (CreateSketchCurves(doc, curves, scale, r.Byte() & 1) != 1) Finding("the curve list gave other than 1");
      break;
    }
    case 2: {  // an arc
      const ON_Arc arc = ReadArc(r);
      const bool inPlane = arc.IsInPlane(ON_Plane::World_xy, 1e-12);
      const SHORT sense = arc.Normal().z > 0.0 ? 1 : -1;
      faultsFromHereOn();
      CreateSketchArc(doc, arc, scale);
      if (!inPlane && count(551) + count(553)) Finding("a host arc from an arc off the world plane");
      for (const standin::SketchArc& a : host.Documents()[0]->Sketch(0).arcs)
        if (!a.fullCircle && a.direction != sense) Finding("an arc of the other sense");
      break;
    }
    case 3: {  // a surface as its iso-curves
      ON_NurbsSurface s = ReadSurface(r);
      Corrupt(r, s);
      faultsFromHereOn();
      if (CreateIsoCurveSketch(doc, s, scale, r.Byte() & 1) != 1) Finding("the iso-curves gave other than 1");
      break;
    }
    default: {  // the whole import, into a new document of any type
      ON_ClassArray<ON_NurbsCurve> curves;
      curves.AppendNew() = ReadCurve(r);
      ON_ClassArray<ON_NurbsSurface> surfaces;
      surfaces.AppendNew() = ReadSurface(r);
      ON_3dPointArray points;
      points.Append(ON_3dPoint(Coordinate(r), Coordinate(r), Coordinate(r)));
      const int type = static_cast<int>(r.Byte() % 4);  // 3: no new document
      faultsFromHereOn();
      const BOOL result =
          ImportGeometry(host.Application(), type, r.Byte() % 6, &points, &curves, &surfaces, nullptr, nullptr, 1);
      if (result != 0 && result != 1) Finding("an import result other than 0 and 1");
      if (!faulted && result != 1) Finding("an import the host let be failed");
      for (size_t i = 1; !faulted && i < host.Documents().size(); ++i)
        if (host.Documents()[i]->InSketch() && host.Documents()[i]->Kind() != standin::DocumentKind::Drawing)
          Finding("the import left its 3D sketch open");
      break;
    }
  }
  host.SetFaultChooser(nullptr);
  for (const auto& d : host.Documents())
    for (const auto& sketch : d->Sketches()) CheckSplines(sketch);
  if (doc) doc->Release();
  if (part) part->Release();
  for (const std::string& p : host.ReferenceProblems()) Finding(p);
  return 0;
}
