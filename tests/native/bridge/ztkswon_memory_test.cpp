// Memory running out inside the import: whichever allocation fails, the import
// ends with a clear failure, every host interface released, every 3D sketch it
// entered left again, every part it got a document of finished (document 349),
// and nothing thrown at the caller. Allocation number N after arming fails, for
// every N until an import goes through without reaching it: once, and then
// again with every later allocation failing too, as when memory is gone for good,
// so that the failure's own handling must not allocate. The host only counts and
// never allocates, so every failure is the import's own. The readers of host
// sketches are run the same way.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "counting_host.h"
#include "ZTKSWON.h"
#include "curves.h"
#include "memory_host.h"
#include "meshes.h"
#include "relief.h"

namespace {
long g_countdown = 0;   // armed when above 0: the allocation that brings it to 0 fails
bool g_ranOut = false;  // that allocation came
bool g_forGood = false; // once it came, every later allocation fails as well
bool Fails() {
  if (g_ranOut) return g_forGood;
  if (g_countdown <= 0 || --g_countdown > 0) return false;
  g_ranOut = true;
  return true;
}
void Arm(long n, bool forGood) {
  g_ranOut = false;
  g_forGood = forGood;
  g_countdown = n;
}
// Whether the armed allocation came; allocations succeed again from here.
bool Disarm() {
  const bool reached = g_ranOut;
  g_countdown = 0;
  g_ranOut = false;
  g_forGood = false;
  return reached;
}

// One import with allocation n armed: its result, whether an exception left it
// (told once allocations work again) and whether the armed allocation came.
struct ArmedRun {
  BOOL result = -1;
  bool thrown = false;
  bool reached = false;
};
template <class Import>
ArmedRun RunArmed(long n, bool forGood, Import import) {
  ArmedRun run;
  Arm(n, forGood);
  try {
    run.result = import();
  } catch (...) {
    run.thrown = true;
  }
  run.reached = Disarm();
  return run;
}

// What an import leaves behind whichever allocation failed: every host interface
// released, every 3D sketch it entered left again, every part it made finished.
void ExpectEndedCleanly(const countinghost::Counters& before, long n) {
  const countinghost::Counters& after = countinghost::Count();
  EXPECT_EQ(after.refs, 0) << n;
  EXPECT_EQ((after.sketchCalls - before.sketchCalls) % 2, 0u) << "a 3D sketch left open, allocation " << n;
  EXPECT_EQ(after.finishes - before.finishes, after.documents - before.documents)
      << "a part left unfinished, allocation " << n;
}
}  // namespace

// These are the program's replacements of the global allocation functions, so
// the pairing of new with free is by design.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(size_t n) {
  if (Fails()) throw std::bad_alloc();
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return ::operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
  if (Fails()) return nullptr;
  return std::malloc(n ? n : 1);
}
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return ::operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

TEST(OutOfMemory, EveryFailedAllocationEndsTheImportCleanly) {
  ON_ClassArray<ON_Mesh> meshes;
  meshes.AppendNew() = testmesh::Tetrahedron();
  meshes.AppendNew() = testmesh::Cube(0.2f);
  struct Case {
    int kind;
    BOOL multiBody;
  };
  std::vector<std::pair<Case, bool>> runs;
  for (const Case c : {Case{ImportAsSolid, 1}, Case{ImportAsSolid, 0}, Case{ImportAs3DSketch, 1},
                       Case{ImportAs3DSketch, 0}})
    for (bool forGood : {false, true}) runs.emplace_back(c, forGood);
  for (const auto& [c, forGood] : runs) {
    SCOPED_TRACE(forGood ? "every allocation from the Nth on fails" : "the Nth allocation fails");
    int failures = 0;
    for (long n = 1;; ++n) {
      ASSERT_LT(n, 5000) << "the import never got through";
      ZTKSWON::SetLastErrorText(L"");
      meshes[0].DestroyTopology();
      meshes[1].DestroyTopology();
      const countinghost::Counters before = countinghost::Count();
      const ArmedRun run = RunArmed(
          n, forGood, [&] { return ImportMeshes(countinghost::Application(), meshes, 2, c.kind, c.multiBody, 1); });
      ASSERT_FALSE(run.thrown) << "an exception left the import, allocation " << n;
      ExpectEndedCleanly(before, n);
      if (!run.reached) {
        EXPECT_EQ(run.result, 1);
        break;
      }
      ++failures;
      EXPECT_EQ(run.result, 0) << n;
      EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Not enough memory to import the meshes") << n;
    }
    EXPECT_GT(failures, 0) << c.kind << c.multiBody;
  }
}

// The geometry import draws every kind given; memory running out while one kind
// is drawn ends that kind only. Whichever allocation fails, nothing is thrown at
// the caller, every interface is released, the 3D sketch is left again, the
// document gets its redraw, and the result is 1, as for any builder failure.
TEST(OutOfMemory, EveryFailedAllocationLeavesTheGeometryImportFinished) {
  const ON_3dPointArray points = testcurve::Points({{1, 2, 3}});
  ON_ClassArray<ON_NurbsCurve> curves;
  curves.Append(testcurve::Make(2, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {0, 1, 2}));
  curves.Append(testcurve::NurbForm(ON_Arc(ON_Circle(ON_3dPoint(0, 0, 0), 1.0), ON_PI / 2)));
  curves.Append(testcurve::NurbForm(ON_Arc(ON_Circle(ON_3dPoint(0, 0, 1), 1.0), 2 * ON_PI)));
  curves.Append(testcurve::OpenCubic());
  ON_ClassArray<ON_NurbsSurface> surfaces;
  ON_NurbsSurface& s = surfaces.AppendNew();
  s.Create(3, false, 2, 2, 2, 2);
  for (int k = 0; k < 2; ++k) s.SetKnot(0, k, k), s.SetKnot(1, k, k);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) s.SetCV(i, j, ON_3dPoint(i, j, i * j));
  ON_ClassArray<ON_Brep> breps;
  const ON_3dPoint corners[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  ON_BrepBox(corners, &breps.AppendNew());
  ON_ClassArray<ON_Mesh> meshes;
  meshes.AppendNew() = testmesh::Tetrahedron();

  for (bool forGood : {false, true}) {
    SCOPED_TRACE(forGood ? "every allocation from the Nth on fails" : "the Nth allocation fails");
    int failures = 0;
    uint64_t drawnInFull = 0;
    for (long n = 1;; ++n) {
      ASSERT_LT(n, 20000) << "the import never got through";
      meshes[0].DestroyTopology();
      const countinghost::Counters before = countinghost::Count();
      const ArmedRun run = RunArmed(n, forGood, [&] {
        return ImportGeometry(countinghost::Application(), 0, 2, &points, &curves, &surfaces, &breps, &meshes, 1);
      });
      const BOOL result = run.result;
      const bool thrown = run.thrown, reached = run.reached;
      ASSERT_FALSE(thrown) << "an exception left the import, allocation " << n;
      const countinghost::Counters& after = countinghost::Count();
      EXPECT_EQ(after.refs, 0) << n;
      EXPECT_EQ(after.sketchCalls - before.sketchCalls, 2u) << "the 3D sketch not entered and left, allocation " << n;
      EXPECT_EQ(after.redraws - before.redraws, 1u) << n;
      EXPECT_EQ(result, 1) << n;
      const uint64_t drawn = after.entities - before.entities + after.lines - before.lines;
      if (!reached) {
        drawnInFull = drawn;
        break;
      }
      ++failures;
    }
    EXPECT_GT(failures, 0);
    EXPECT_EQ(drawnInFull, 1u + 2u + 1u + 1u + 1u + 6u + 12u + 6u);  // point, curves, iso-curves, edges, mesh
  }
}

// The surface import: whichever allocation fails, nothing is thrown at the
// caller, every interface is released, a 3D sketch entered is left, the part is
// finished, and a failure comes with a text.
TEST(OutOfMemory, EveryFailedAllocationLeavesTheSurfaceImportFinished) {
  const ON_NurbsSurface relief = bridgetest::ReliefSurface();
  struct Case {
    const char* name;
    int kind;
    BOOL flat;
  };
  for (const Case& c : {Case{"flat slab", ImportAsSolid, 1}, Case{"offset slab", ImportAsSolid, 0},
                        Case{"iso-curves", ImportAs3DSketch, 0}})
    for (bool forGood : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (forGood ? ", every allocation from the Nth on fails" : ", the Nth fails"));
      int failures = 0;
      for (long n = 1;; ++n) {
        ASSERT_LT(n, 5000) << "the import never got through";
        ZTKSWON::SetLastErrorText(L"");
        const countinghost::Counters before = countinghost::Count();
        const ArmedRun run = RunArmed(
            n, forGood, [&] { return ImportSurface(countinghost::Application(), &relief, 0, c.kind, 2.0, c.flat, 1); });
        ASSERT_FALSE(run.thrown) << "an exception left the import, allocation " << n;
        ExpectEndedCleanly(before, n);
        if (run.result == 0) {
          EXPECT_FALSE(ZTKSWON::GetLastErrorText().IsEmpty()) << n;
        }
        if (!run.reached) {
          EXPECT_EQ(run.result, 1);
          EXPECT_EQ(countinghost::Count().finishes - before.finishes, 1u);
          break;
        }
        ++failures;
      }
      EXPECT_GT(failures, 0);
    }
}

// Reading a body back: whichever allocation fails, the call fails with its own
// text, every face handed out is released, and nothing is thrown at the caller.
TEST(OutOfMemory, EveryFailedAllocationEndsReadingABodyCleanly) {
  memoryhost::Body body(200, 16);  // made before arming: the host never allocates
  for (bool forGood : {false, true}) {
    SCOPED_TRACE(forGood ? "every allocation from the Nth on fails" : "the Nth allocation fails");
    int failures = 0;
    for (long n = 1;; ++n) {
      ASSERT_LT(n, 5000) << "the read never got through";
      ZTKSWON::SetLastErrorText(L"");
      ON_Mesh mesh;
      const ArmedRun run = RunArmed(n, forGood, [&] { return GetMeshFromBody(body.Interface(), mesh); });
      ASSERT_FALSE(run.thrown) << "an exception left the read, allocation " << n;
      EXPECT_EQ(body.References(), 0) << n;
      if (!run.reached) {
        EXPECT_EQ(run.result, 1);
        EXPECT_EQ(mesh.FaceCount(), body.Triangles());
        break;
      }
      ++failures;
      EXPECT_EQ(run.result, 0) << n;
      EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Not enough memory to read the meshes") << n;
    }
    EXPECT_GT(failures, 0);
  }
}

}  // namespace

namespace {

// The sketch readers under the same failures: each ends with 0, its output empty
// (arcs: as it was) and nothing thrown, and GetSketchCurves with 0 and no curve,
// never with a shorter list; LeakSanitizer sees any curve or array left behind. A
// reader that the Nth allocation does not reach reads the whole sketch.
TEST(OutOfMemory, EveryFailedAllocationEndsTheSketchReadersCleanly) {
  HostSketch* sketch = countinghost::Sketch();
  constexpr int n2 = countinghost::kSketchRecords;
  struct Reader {
    const char* name;
    // Reads into outputs made before the failures are armed; gives the result and
    // the output's element count.
    std::pair<BOOL, int> (*read)(HostSketch*);
    int full;   // the count when nothing fails
    int empty;  // the count after a failure
    // When nothing failed: the spline curves are whole, with their 3 and 2 CVs.
    bool (*whole)();
  };
  static ON_ClassArray<ON_Line> lines;
  static ON_ClassArray<ON_Polyline> polylines;
  static ON_ClassArray<ON_NurbsCurve> splines;
  static ON_ClassArray<ON_Arc> arcs;
  static ON_CurveArray curves;
  auto any = [] { return true; };
  const Reader readers[] = {
      {"lines", [](HostSketch* s) { return std::pair{GetSketchLines(s, lines), lines.Count()}; }, n2, 0, any},
      {"polylines", [](HostSketch* s) { return std::pair{GetSketchPolylines(s, polylines), polylines.Count()}; },
       n2, 0, any},
      {"splines", [](HostSketch* s) { return std::pair{GetSketchSplines(s, splines), splines.Count()}; }, n2, 0,
       [] { return splines[0].CVCount() == 3 && splines[1].CVCount() == 2; }},
      {"arcs", [](HostSketch* s) { return std::pair{GetSketchArcs(s, arcs), arcs.Count()}; }, 1 + n2, 1, any},
      {"curves", [](HostSketch* s) { return std::pair{GetSketchCurves(s, curves), curves.Count()}; }, 4 * n2, 0,
       [] {
         const auto* a = dynamic_cast<const ON_NurbsCurve*>(curves[2 * n2]);
         const auto* b = dynamic_cast<const ON_NurbsCurve*>(curves[2 * n2 + 1]);
         return a && b && a->CVCount() == 3 && b->CVCount() == 2;
       }},
  };
  for (const Reader& r : readers) {
    for (bool forGood : {false, true}) {
      SCOPED_TRACE(std::string(r.name) + (forGood ? ", every allocation from the Nth on" : ", the Nth allocation"));
      int failures = 0;
      for (long n = 1;; ++n) {
        ASSERT_LT(n, 1000) << "the reader never got through";
        // What the outputs hold before: one element each, one arc to keep.
        lines.Destroy();
        lines.AppendNew();
        polylines.Destroy();
        polylines.AppendNew().Append(1, 1, 1);
        splines.Destroy();
        splines.AppendNew();
        arcs.Destroy();
        arcs.AppendNew();
        curves.Destroy();
        curves.Append(new ON_LineCurve());
        const int64_t refs = countinghost::Count().refs;
        std::pair<BOOL, int> got{-1, -1};
        bool thrown = false;
        Arm(n, forGood);
        try {
          got = r.read(sketch);
        } catch (...) {
          thrown = true;
        }
        const bool reached = Disarm();
        ASSERT_FALSE(thrown) << "an exception left the reader, allocation " << n;
        EXPECT_EQ(countinghost::Count().refs, refs);
        if (!reached) {
          EXPECT_EQ(got, (std::pair<BOOL, int>{1, r.full}));
          EXPECT_TRUE(r.whole()) << "a curve that memory left empty";
          break;
        }
        ++failures;
        EXPECT_EQ(got, (std::pair<BOOL, int>{0, r.empty})) << n;
      }
      EXPECT_GT(failures, 0);
    }
  }
  lines.Destroy();
  polylines.Destroy();
  splines.Destroy();
  arcs.Destroy();
  curves.Destroy();
}

}  // namespace
