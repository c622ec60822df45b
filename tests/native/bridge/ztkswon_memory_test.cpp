// Memory running out inside the import: whichever allocation fails, the import
// ends with a clear failure, every host interface released, every 3D sketch it
// entered left again, every part it got a document of finished (document 349),
// and nothing thrown at the caller. Allocation number N after arming fails, once, for every N until an
// import goes through without reaching it. The host only counts and never
// allocates, so every failure is the import's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "counting_host.h"
#include "ZTKSWON.h"
#include "meshes.h"

namespace {
long g_failAt = 0;  // 0: off; N: the Nth allocation from now fails
bool Fails() { return g_failAt > 0 && --g_failAt == 0; }
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
  for (const Case c : {Case{ImportAsSolid, 1}, Case{ImportAsSolid, 0}, Case{ImportAs3DSketch, 1},
                       Case{ImportAs3DSketch, 0}}) {
    int failures = 0;
    for (long n = 1;; ++n) {
      ASSERT_LT(n, 5000) << "the import never got through";
      ZTKSWON::SetLastErrorText(L"");
      meshes[0].DestroyTopology();
      meshes[1].DestroyTopology();
      const countinghost::Counters before = countinghost::Count();
      g_failAt = n;
      const BOOL result = ImportMeshes(countinghost::Application(), meshes, 2, c.kind, c.multiBody, 1);
      const bool reached = g_failAt == 0;
      g_failAt = 0;
      const countinghost::Counters& after = countinghost::Count();
      EXPECT_EQ(after.refs, 0) << n;
      EXPECT_EQ((after.sketchCalls - before.sketchCalls) % 2, 0u) << "a 3D sketch left open, allocation " << n;
      EXPECT_EQ(after.finishes - before.finishes, after.documents - before.documents)
          << "a part left unfinished, allocation " << n;
      if (!reached) {
        EXPECT_EQ(result, 1);
        break;
      }
      ++failures;
      EXPECT_EQ(result, 0) << n;
      EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Not enough memory to import the meshes") << n;
    }
    EXPECT_GT(failures, 0) << c.kind << c.multiBody;
  }
}

}  // namespace
