// Counts the heap allocations of this process while counting is on. The C
// allocation functions are replaced (operator new draws on them too), so the
// storage of the openNURBS arrays is counted as well as that of C++ objects.
#pragma once

#include <cstddef>
#include <cstdint>

namespace alloccount {

struct Counts {
  uint64_t calls = 0;  // malloc, calloc and growing realloc calls
  uint64_t bytes = 0;  // bytes asked for by them
};

void Start();
Counts Stop();

}  // namespace alloccount
