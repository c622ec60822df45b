// Memory running out inside the import: a clear failure, every host interface
// released, nothing thrown at the caller. Large requests fail while armed; the
// import's largest one is the scratch block of the topology build.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "StandInHostTest.h"
#include "ZTKSWON.h"
#include "meshes.h"

namespace {
bool g_failLarge = false;
constexpr size_t kLarge = 1 << 20;
}  // namespace

// These are the program's replacements of the global allocation functions, so
// the pairing of new with free is by design.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(size_t n) {
  if (g_failLarge && n >= kLarge) throw std::bad_alloc();
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return ::operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
  if (g_failLarge && n >= kLarge) return nullptr;
  return std::malloc(n ? n : 1);
}
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return ::operator new(n, t); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

class OutOfMemory : public standin::StandInHostTest {};

TEST_F(OutOfMemory, TopologyThatCannotBeBuiltFailsTheImport) {
  ON_ClassArray<ON_Mesh> meshes;
  meshes.AppendNew() = testmesh::Sphere(300, 400, 1.0f);  // about 240k faces
  for (BOOL multi : {1, 0}) {
    ZTKSWON::SetLastErrorText(L"");
    g_failLarge = true;
    const BOOL result = ImportMeshes(host.Application(), meshes, 2, ImportAs3DSketch, multi, 1);
    g_failLarge = false;
    EXPECT_EQ(result, 0) << multi;
    EXPECT_EQ(ZTKSWON::GetLastErrorText(), L"Not enough memory to import the meshes") << multi;
    EXPECT_EQ(host.CallCount("HostDocument", 542), 0u) << multi;
    CheckReferences();
  }
  // With memory back, the same meshes import.
  EXPECT_EQ(ImportMeshes(host.Application(), meshes, 2, ImportAs3DSketch, 1, 0), 1);
  EXPECT_TRUE(meshes[0].Topology().IsValid());
}

}  // namespace
