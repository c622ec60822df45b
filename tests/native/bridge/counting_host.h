// A host for benchmarks and for tests that fail allocations: the positions the
// mesh import, the geometry import and the surface bodies call, each counting its
// calls and doing nothing else (surfaces are made, loops added and faces made
// whatever the data); it never allocates and keeps no log. Interfaces handed out
// are static objects; `refs` is the balance of references handed out and released.
#pragma once

#include <cstdint>

#include "HostContract.h"

namespace countinghost {

struct Counters {
  uint64_t calls = 0;       // every host call, IUnknown included
  uint64_t faces = 0;       // body 72
  uint64_t lines = 0;       // document 542
  uint64_t builds = 0;      // body 12
  uint64_t surfaces = 0;    // body 50 and 46, each handing out the surface
  uint64_t loops = 0;       // surface 57
  uint64_t surfaceFaces = 0;  // body 19 and 53
  uint64_t doubles = 0;     // doubles handed over by 50, 46, 53 and 57
  uint64_t documents = 0;   // application 8, each handing out the document
  uint64_t sketchCalls = 0; // document 656, which enters and leaves the 3D sketch in turn
  uint64_t finishes = 0;    // document 349, the last call of every import into a part
  uint64_t redraws = 0;     // document 560, which every import makes once per document
  uint64_t entities = 0;    // document 540, 551, 553, 559 and 578: points, circles, arcs, splines
  int64_t refs = 0;         // references handed out less references released
};

Counters& Count();
HostApplication* Application();

// A sketch whose count and data calls hand out two records of each kind: lines
// (0,0,0)-(1,0,0) and (1,0,0)-(1,1,0); a quarter arc and a full circle; splines of
// 3 and 2 points; polylines of 2 points and of none.
HostSketch* Sketch();
inline constexpr int kSketchRecords = 2;

}  // namespace countinghost
