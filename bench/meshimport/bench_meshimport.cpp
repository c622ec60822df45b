// Speed and heap use of the mesh import on grid meshes of 10k, 100k and 1M
// triangles or quads, against a host that only counts its calls:
// - Topology: building the topology that the sketch path reads;
// - SolidImport / SketchImport: ImportMeshes as the Import command calls it
//   (work copy and BreakQuads, or the topology, included);
// - SolidBuilder / SketchBuilder: the builders alone (the sketch builder with its
//   topology cached), whose allocation count must not grow with the mesh;
// - TopologyWarmHeap (run last): the topology again with the C heap told to keep
//   freed memory, so that pages are reused instead of faulted in afresh each time.
//   Topology itself shows what a first build in a fresh process pays (glibc hands
//   large freed blocks back to the system, so every iteration touches new pages);
//   the difference is the operating system's cost of first touches.
// Counters: allocs and bytes per call (C and C++ heap), host calls per call.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cmath>

#include "ZTKSWON.h"
#include "alloc_count.h"
#include "counting_host.h"

namespace {

// A gently curved grid (so quads are not planar and BreakQuads has work) or a
// flat one, with about `faces` faces.
ON_Mesh Grid(int faces, bool quads, bool curved) {
  const int g = static_cast<int>(std::lround(std::sqrt(quads ? faces : faces / 2.0)));
  ON_Mesh m(quads ? g * g : 2 * g * g, (g + 1) * (g + 1), false, false);
  for (int j = 0; j <= g; ++j)
    for (int i = 0; i <= g; ++i) {
      const float z = curved ? 0.001f * static_cast<float>((i * i + j * j) % 97) : 0.0f;
      m.m_V.Append(ON_3fPoint(static_cast<float>(i), static_cast<float>(j), z));
    }
  for (int j = 0; j < g; ++j)
    for (int i = 0; i < g; ++i) {
      const int a = j * (g + 1) + i, b = a + 1, c = a + g + 2, d = a + g + 1;
      if (quads) {
        m.m_F.Append(ON_MeshFace{{a, b, c, d}});
      } else {
        m.m_F.Append(ON_MeshFace{{a, b, c, c}});
        m.m_F.Append(ON_MeshFace{{a, c, d, d}});
      }
    }
  return m;
}

struct Heap {
  alloccount::Counts total;
  uint64_t hostCalls = 0;
};

void Report(benchmark::State& state, const Heap& heap, int faces) {
  const double n = static_cast<double>(state.iterations());
  state.counters["allocs"] = static_cast<double>(heap.total.calls) / n;
  state.counters["MB"] = static_cast<double>(heap.total.bytes) / n / (1024.0 * 1024.0);
  state.counters["hostcalls"] = static_cast<double>(heap.hostCalls) / n;
  state.counters["faces"] = faces;
  state.SetComplexityN(faces);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * faces);
}

template <class Body>
void Run(benchmark::State& state, int faces, Body body) {
  Heap heap;
  for (auto _ : state) {
    const uint64_t calls = countinghost::Count().calls;
    alloccount::Start();
    body();
    const alloccount::Counts c = alloccount::Stop();
    heap.total.calls += c.calls;
    heap.total.bytes += c.bytes;
    heap.hostCalls += countinghost::Count().calls - calls;
  }
  Report(state, heap, faces);
}

void Topology(benchmark::State& state, bool quads) {
  ON_Mesh mesh = Grid(static_cast<int>(state.range(0)), quads, false);
  Run(state, mesh.FaceCount(), [&] {
    mesh.DestroyTopology();
    benchmark::DoNotOptimize(mesh.Topology().TopEdgeCount());
  });
}

void TopologyWarmHeap(benchmark::State& state, bool quads) {
  static const bool keep = [] {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    return true;
  }();
  (void)keep;
  Topology(state, quads);
}

void SolidImport(benchmark::State& state, bool quads) {
  ON_ClassArray<ON_Mesh> meshes;
  meshes.Append(Grid(static_cast<int>(state.range(0)), quads, true));
  HostApplication* app = countinghost::Application();
  Run(state, meshes[0].FaceCount(),
      [&] { benchmark::DoNotOptimize(ImportMeshes(app, meshes, 2, ImportAsSolid, 1, 0)); });
}

void SketchImport(benchmark::State& state, bool quads) {
  ON_ClassArray<ON_Mesh> meshes;
  meshes.Append(Grid(static_cast<int>(state.range(0)), quads, true));
  HostApplication* app = countinghost::Application();
  Run(state, meshes[0].FaceCount(), [&] {
    meshes[0].DestroyTopology();  // each call builds it anew, as a fresh import would
    benchmark::DoNotOptimize(ImportMeshes(app, meshes, 2, ImportAs3DSketch, 1, 0));
  });
}

HostPartDocument* Part() {
  HostPartDocument* part = nullptr;
  HostOp::NewPart(countinghost::Application(), &part);
  return part;
}

HostDocument* Document() {
  HostDocument* doc = nullptr;
  HostOp::ActiveDocument(countinghost::Application(), &doc);
  return doc;
}

void SolidBuilder(benchmark::State& state, bool quads) {
  const ON_Mesh mesh = Grid(static_cast<int>(state.range(0)), quads, false);
  HostPartDocument* part = Part();
  Run(state, mesh.FaceCount(), [&] { benchmark::DoNotOptimize(CreateSolidFromMesh(part, mesh, 0.001, 1)); });
}

void SketchBuilder(benchmark::State& state, bool quads) {
  const ON_Mesh mesh = Grid(static_cast<int>(state.range(0)), quads, false);
  mesh.Topology();
  HostDocument* doc = Document();
  Run(state, mesh.FaceCount(), [&] { benchmark::DoNotOptimize(CreateSketchFromMesh(doc, mesh, 0.001, 1)); });
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

}  // namespace

BENCHMARK_CAPTURE(Topology, triangles, false)->Apply(Sizes);
BENCHMARK_CAPTURE(Topology, quads, true)->Apply(Sizes);
BENCHMARK_CAPTURE(SolidImport, triangles, false)->Apply(Sizes);
BENCHMARK_CAPTURE(SolidImport, quads, true)->Apply(Sizes);
BENCHMARK_CAPTURE(SketchImport, triangles, false)->Apply(Sizes);
BENCHMARK_CAPTURE(SketchImport, quads, true)->Apply(Sizes);
BENCHMARK_CAPTURE(SolidBuilder, triangles, false)->Apply(Sizes);
BENCHMARK_CAPTURE(SolidBuilder, quads, true)->Apply(Sizes);
BENCHMARK_CAPTURE(SketchBuilder, triangles, false)->Apply(Sizes);
BENCHMARK_CAPTURE(SketchBuilder, quads, true)->Apply(Sizes);

BENCHMARK_CAPTURE(TopologyWarmHeap, triangles, false)->Apply(Sizes);
BENCHMARK_CAPTURE(TopologyWarmHeap, quads, true)->Apply(Sizes);

BENCHMARK_MAIN();
