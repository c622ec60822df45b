// Speed of the surface bodies on bicubic surfaces of n x n control points (n = 25
// to 200, so 625 to 40,000 CVs), against a host that only counts its calls, so
// that the figures are the bridge's own work: the arrays built, filled and handed
// over.
// - NurbsSurface: CreateNurbsSurface alone (body method 50);
// - TopFace: CreateBodyFromSurface with thickness 0 (the top face, then the build);
// - FlatSlab / OffsetSlab: CreateBodyFromSurface with thickness 2 (top, four side
//   faces trimmed by the iso-curves, and the flat or the offset base).
// - the same with WarmHeap (run last): the C heap told to keep freed memory. Above
//   glibc's thresholds every iteration's arrays are pages faulted in afresh, which
//   is the operating system's cost of first touches, not the bridge's; the warm
//   figures show the bridge's own work, and its linearity, without that noise.
// Counters: CVs, host calls and doubles handed over per call; the complexity fit
// is against the CV count.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cmath>

#include "ZTKSWON.h"
#include "counting_host.h"

namespace {

ON_NurbsSurface Relief(int n) {
  ON_NurbsSurface s(3, false, 4, 4, n, n);
  for (int dir = 0; dir < 2; ++dir)
    for (int k = 0; k < n + 2; ++k) {
      const int t = k < 3 ? 0 : (k > n - 1 ? n - 3 : k - 2);
      s.SetKnot(dir, k, static_cast<double>(t));
    }
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) s.SetCV(i, j, ON_3dPoint(i, j, 5.0 + std::sin(0.3 * i) * std::cos(0.2 * j)));
  return s;
}

HostPartDocument* Part() {
  HostPartDocument* part = nullptr;
  HostOp::NewPart(countinghost::Application(), &part);
  return part;
}

HostBody* Body(HostPartDocument* part) {
  HostBody* body = nullptr;
  HostOp::CreateTemporaryBody(part, &body);
  return body;
}

template <class Work>
void Run(benchmark::State& state, int n, Work work) {
  countinghost::Counters& count = countinghost::Count();
  const uint64_t calls = count.calls, doubles = count.doubles;
  for (auto _ : state) benchmark::DoNotOptimize(work());
  const double iterations = static_cast<double>(state.iterations());
  const int cvs = n * n;
  state.counters["CVs"] = cvs;
  state.counters["hostcalls"] = static_cast<double>(count.calls - calls) / iterations;
  state.counters["doubles"] = static_cast<double>(count.doubles - doubles) / iterations;
  state.SetComplexityN(cvs);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * cvs);
}

void NurbsSurface(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const ON_NurbsSurface surface = Relief(n);
  HostBody* body = Body(Part());
  Run(state, n, [&] {
    HostSurface* made = nullptr;
    const BOOL ok = CreateNurbsSurface(body, made, &surface, 0.001);
    if (made) made->Release();
    return ok;
  });
}

void SurfaceBody(benchmark::State& state, double thickness, BOOL flat) {
  const int n = static_cast<int>(state.range(0));
  const ON_NurbsSurface surface = Relief(n);
  HostPartDocument* part = Part();
  Run(state, n, [&] { return CreateBodyFromSurface(part, &surface, thickness, flat, 0.001); });
}

void KeepFreedMemory() {
  static const bool keep = [] {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    return true;
  }();
  (void)keep;
}

void NurbsSurfaceWarmHeap(benchmark::State& state) {
  KeepFreedMemory();
  NurbsSurface(state);
}

void SurfaceBodyWarmHeap(benchmark::State& state, double thickness, BOOL flat) {
  KeepFreedMemory();
  SurfaceBody(state, thickness, flat);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(25)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);
}

}  // namespace

BENCHMARK(NurbsSurface)->Apply(Sizes);
BENCHMARK_CAPTURE(SurfaceBody, TopFace, 0.0, 1)->Apply(Sizes);
BENCHMARK_CAPTURE(SurfaceBody, FlatSlab, 2.0, 1)->Apply(Sizes);
BENCHMARK_CAPTURE(SurfaceBody, OffsetSlab, 2.0, 0)->Apply(Sizes);

BENCHMARK(NurbsSurfaceWarmHeap)->Apply(Sizes);
BENCHMARK_CAPTURE(SurfaceBodyWarmHeap, TopFace, 0.0, 1)->Apply(Sizes);
BENCHMARK_CAPTURE(SurfaceBodyWarmHeap, FlatSlab, 2.0, 1)->Apply(Sizes);
BENCHMARK_CAPTURE(SurfaceBodyWarmHeap, OffsetSlab, 2.0, 0)->Apply(Sizes);

BENCHMARK_MAIN();
