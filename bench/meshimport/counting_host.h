// A host for benchmarks: the positions the mesh import calls, each counting its
// calls and doing nothing else; no allocation, no log. Interfaces handed out are
// the host's own static objects and reference counts are not kept.
#pragma once

#include <cstdint>

#include "HostContract.h"

namespace countinghost {

struct Counters {
  uint64_t calls = 0;       // every host call, IUnknown included
  uint64_t faces = 0;       // body 72
  uint64_t lines = 0;       // document 542
  uint64_t builds = 0;      // body 12
};

Counters& Count();
HostApplication* Application();

}  // namespace countinghost
