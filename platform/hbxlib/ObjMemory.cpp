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

// Blocks at or above kMapped are mappings of whole pages, starting on a huge-page
// boundary; below, heap blocks.
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

// A range of address space of `bytes` (whole pages) that starts on a huge-page
// boundary, reserved but not usable yet; nullptr when there is none.
void* ReserveAligned(size_t bytes) {
  const size_t span = bytes + kHuge;
  void* p = mmap(nullptr, span, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(p);
  const uintptr_t aligned = (start + kHuge - 1) & ~(kHuge - 1);
  if (aligned > start) munmap(p, aligned - start);
  const uintptr_t tail = aligned + bytes, end = start + span;
  if (end > tail) munmap(reinterpret_cast<void*>(tail), end - tail);
  return reinterpret_cast<void*>(aligned);
}

void* AllocateBlock(size_t bytes) {
  if (bytes < kMapped) return std::malloc(bytes ? bytes : 1);
  void* a = ReserveAligned(Pages(bytes));
  if (!a) return nullptr;
  void* p = mmap(a, Pages(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
  if (p == MAP_FAILED) {
    munmap(a, Pages(bytes));
    return nullptr;
  }
  AdviseHugePages(p, Pages(bytes));
  return p;
}

void* ResizeBlock(void* p, size_t oldBytes, size_t newBytes) {
  if (!p) return AllocateBlock(newBytes);
  if (oldBytes < kMapped && newBytes < kMapped) return std::realloc(p, newBytes ? newBytes : 1);
  if (oldBytes >= kMapped && newBytes >= kMapped) {
    const size_t from = Pages(oldBytes), to = Pages(newBytes);
    if (to == from) return p;
    // In place when the address space behind is free (and always when shrinking);
    // otherwise the pages move, without being copied, to a range that starts on a
    // huge-page boundary, so that huge pages can still back them.
    void* q = mremap(p, from, to, 0);
    if (q == MAP_FAILED) {
      void* a = ReserveAligned(to);
      if (!a) return nullptr;
      q = mremap(p, from, to, MREMAP_MAYMOVE | MREMAP_FIXED, a);
      if (q == MAP_FAILED) {
        munmap(a, to);
        return nullptr;
      }
    }
    if (to > from) AdviseHugePages(q, to);
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
