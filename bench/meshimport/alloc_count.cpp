#include "alloc_count.h"

#include <cstdlib>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
}

namespace {
bool g_on = false;
alloccount::Counts g_counts;
inline void Count(size_t bytes) {
  if (g_on) {
    ++g_counts.calls;
    g_counts.bytes += bytes;
  }
}
}  // namespace

namespace alloccount {
void Start() {
  g_counts = Counts{};
  g_on = true;
}
Counts Stop() {
  g_on = false;
  return g_counts;
}
}  // namespace alloccount

extern "C" {
void* malloc(size_t n) {
  Count(n);
  return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
  Count(n * size);
  return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
  if (n) Count(n);
  return __libc_realloc(p, n);
}
void free(void* p) { __libc_free(p); }
}
