// GetMeshFromBody on bodies of 10k, 100k and 1M triangles in faces of 2 and of
// 1,000 triangles, against a host that hands out the tessellation from memory.
// Counters: allocs and MB per call (C and C++ heap), faces, the mesh's vertices
// after the merge. The complexity fit over the three sizes shows whether the time
// grows linearly. MeshFromBodyWarmHeap (run last) is the same with the C heap told
// to keep freed memory: glibc hands large freed blocks back to the system, so each
// call of MeshFromBody pays for faulting in its working memory afresh, which is the
// operating system's cost rather than the reading's.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>

#include "ZTKSWON.h"
#include "alloc_count.h"
#include "memory_host.h"

namespace {

void MeshFromBody(benchmark::State& state) {
  memoryhost::Body body(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  ON_Mesh mesh;
  alloccount::Counts total;
  for (auto _ : state) {
    mesh.Destroy();  // a fresh mesh each time, as a caller's first read would have
    alloccount::Start();
    const BOOL ok = GetMeshFromBody(body.Interface(), mesh);
    const alloccount::Counts c = alloccount::Stop();
    if (ok != 1) state.SkipWithError("GetMeshFromBody failed");
    total.calls += c.calls;
    total.bytes += c.bytes;
  }
  if (body.References() != 0) {
    std::fprintf(stderr, "references left: %lld\n", static_cast<long long>(body.References()));
    std::abort();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["allocs"] = static_cast<double>(total.calls) / n;
  state.counters["MB"] = static_cast<double>(total.bytes) / n / (1024.0 * 1024.0);
  state.counters["faces"] = (body.Triangles() + state.range(1) - 1) / state.range(1);
  state.counters["vertices"] = mesh.VertexCount();
  state.SetComplexityN(body.Triangles());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * body.Triangles());
}

void MeshFromBodyWarmHeap(benchmark::State& state) {
  static const bool keep = [] {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    return true;
  }();
  (void)keep;
  MeshFromBody(state);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"triangles", "perface"})->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

}  // namespace

// One family per face size, so that each gets a complexity fit of its own.
BENCHMARK(MeshFromBody)->Apply(Sizes)->ArgsProduct({{10000, 100000, 1000000}, {2}});
BENCHMARK(MeshFromBody)->Apply(Sizes)->ArgsProduct({{10000, 100000, 1000000}, {1000}});
BENCHMARK(MeshFromBodyWarmHeap)->Apply(Sizes)->ArgsProduct({{10000, 100000, 1000000}, {2}});
BENCHMARK(MeshFromBodyWarmHeap)->Apply(Sizes)->ArgsProduct({{10000, 100000, 1000000}, {1000}});

BENCHMARK_MAIN();
