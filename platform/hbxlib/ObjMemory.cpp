#include "ObjMemory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace hbx {

#if defined(__linux__)
namespace {

constexpr size_t kHuge = size_t{2} << 20;  // the size of a huge page
constexpr size_t kMapped = size_t{1} << 20;  // smaller blocks stay on the heap

// Blocks at or above kMapped are mappings of whole pages; below, heap blocks.
size_t Pages(size_t bytes) { return (bytes + 4095) & ~size_t{4095}; }

}  // namespace

// The advice covers whole pages around the block: advice on part of a mapping would
// split it in two, and a split mapping can no longer grow with mremap.
void AdviseHugePages(void* p, size_t bytes) {
  if (!p || bytes < kHuge) return;
  const uintptr_t a = reinterpret_cast<uintptr_t>(p);
  const uintptr_t from = a & ~uintptr_t{4095}, to = (a + bytes + 4095) & ~uintptr_t{4095};
  madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

void* AllocateBlock(size_t bytes) {
  if (bytes < kMapped) return std::malloc(bytes ? bytes : 1);
  void* p = mmap(nullptr, Pages(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  AdviseHugePages(p, Pages(bytes));
  return p;
}

void* ResizeBlock(void* p, size_t oldBytes, size_t newBytes) {
  if (!p) return AllocateBlock(newBytes);
  if (oldBytes < kMapped && newBytes < kMapped) return std::realloc(p, newBytes ? newBytes : 1);
  if (oldBytes >= kMapped && newBytes >= kMapped) {
    void* q = mremap(p, Pages(oldBytes), Pages(newBytes), MREMAP_MAYMOVE);
    if (q == MAP_FAILED) return nullptr;
    AdviseHugePages(q, Pages(newBytes));
    return q;
  }
  void* q = AllocateBlock(newBytes);
  if (!q) return nullptr;
  std::memcpy(q, p, oldBytes < newBytes ? oldBytes : newBytes);
  FreeBlock(p, oldBytes);
  return q;
}

void FreeBlock(void* p, size_t bytes) {
  if (!p) return;
  if (bytes < kMapped) std::free(p);
  else munmap(p, Pages(bytes));
}

#else

void AdviseHugePages(void*, size_t) {}
void* AllocateBlock(size_t bytes) { return std::malloc(bytes ? bytes : 1); }
void* ResizeBlock(void* p, size_t, size_t newBytes) { return std::realloc(p, newBytes ? newBytes : 1); }
void FreeBlock(void* p, size_t) { std::free(p); }

#endif

}  // namespace hbx
