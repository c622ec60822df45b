// Speed of the sketch builders against a host that only counts its calls:
// - Curves/<kind>: CreateSketchCurves on 1000 curves of one kind, each tested as
//   a line, an arc and a polyline before it is drawn: lines, quarter arcs in the
//   world plane, open cubics of 10 CVs (NURBS data) and periodic cubics of 10
//   points (sampled every 15 degrees of turning, drawn through the points);
// - IsoCurves/N: CreateIsoCurveSketch on a gently curved bicubic surface of N x N
//   CVs: 2 N + 2 to 2 N + 4 iso-curves of N CVs each.
// Counters: curves drawn and host calls per call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ZTKSWON.h"
#include "counting_host.h"
#include "curves.h"

namespace {

enum class Kind { Lines, Arcs, Cubics, Periodic };

ON_NurbsCurve MakeCurve(Kind kind, int i) {
  const double d = 0.01 * i;
  switch (kind) {
    case Kind::Lines: return testcurve::Make(2, {{d, 0, 0}, {d + 1, 2, 3}}, {0, 1});
    case Kind::Arcs: return testcurve::NurbForm(ON_Arc(ON_Circle(ON_3dPoint(d, 0, 0), 1.0 + d), ON_PI / 2));
    case Kind::Cubics:
    case Kind::Periodic: {
      std::vector<ON_3dPoint> p;
      for (int k = 0; k < 10; ++k) p.emplace_back(k + d, std::sin(k + d), 0.1 * k * k);
      ON_NurbsCurve c;
      if (kind == Kind::Cubics) c.CreateClampedUniformNurbs(3, 4, 10, p.data());
      else c.CreatePeriodicUniformNurbs(3, 4, 10, p.data());
      return c;
    }
  }
  return ON_NurbsCurve();
}

HostDocument* Document() {
  HostDocument* doc = nullptr;
  HostOp::ActiveDocument(countinghost::Application(), &doc);
  return doc;
}

void Curves(benchmark::State& state, Kind kind) {
  ON_ClassArray<ON_NurbsCurve> curves;
  for (int i = 0; i < 1000; ++i) curves.Append(MakeCurve(kind, i));
  HostDocument* doc = Document();
  const uint64_t calls = countinghost::Count().calls;
  for (auto _ : state) benchmark::DoNotOptimize(CreateSketchCurves(doc, curves, 0.001, 0));
  const double n = static_cast<double>(state.iterations());
  state.counters["hostcalls"] = static_cast<double>(countinghost::Count().calls - calls) / n;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * curves.Count());
}

void IsoCurves(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  ON_NurbsSurface s(3, false, 4, 4, n, n);
  for (int dir = 0; dir < 2; ++dir)
    for (int k = 0; k < s.KnotCount(dir); ++k) s.SetKnot(dir, k, std::clamp(k - 2, 0, n - 3));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) s.SetCV(i, j, ON_3dPoint(i, j, 0.05 * ((i * j) % 7)));
  HostDocument* doc = Document();
  const countinghost::Counters before = countinghost::Count();
  for (auto _ : state) benchmark::DoNotOptimize(CreateIsoCurveSketch(doc, s, 0.001, 0));
  const countinghost::Counters& after = countinghost::Count();
  const double iterations = static_cast<double>(state.iterations());
  const double curves = static_cast<double>(after.entities - before.entities + after.lines - before.lines);
  state.counters["curves"] = curves / iterations;
  state.counters["hostcalls"] = static_cast<double>(after.calls - before.calls) / iterations;
  state.SetItemsProcessed(static_cast<int64_t>(curves));
}

}  // namespace

BENCHMARK_CAPTURE(Curves, Lines, Kind::Lines)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Curves, Arcs, Kind::Arcs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Curves, Cubics, Kind::Cubics)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Curves, Periodic, Kind::Periodic)->Unit(benchmark::kMillisecond);
BENCHMARK(IsoCurves)->Arg(10)->Arg(40)->Arg(160)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
