// The whole mesh import against the stand-in host, with the fuzzer's bytes as the
// host's whims. The first bytes choose the import (kind, multibody, units index,
// progress flag, which small meshes); every later byte decides one host call, in
// the order the calls come: it succeeds, fails, hands out null or fails after
// doing its work (handing out what it made). Bytes run out: every later call
// succeeds. Each run must end with no reference left either way and no crash;
// a run in which no call was made to fail must import, and leave no sketch open.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>

#include "ByteReader.h"
#include "HostWhims.h"
#include "StandInHost.h"
#include "ZTKSWON.h"
#include "opennurbs.h"

namespace {

using fuzzsupport::FaultOf;

ON_Mesh Make(std::initializer_list<ON_3fPoint> v, std::initializer_list<std::array<int, 4>> f) {
  ON_Mesh m;
  for (const ON_3fPoint& p : v) m.SetVertex(m.VertexCount(), p);
  for (const auto& q : f) m.SetQuad(m.FaceCount(), q[0], q[1], q[2], q[3]);
  return m;
}

// The meshes a run picks from: closed ones of triangles, of planar quads and of
// bent quads that only build once split, and an open one that no solid takes.
const ON_Mesh& Pick(int which) {
  static const ON_Mesh meshes[] = {
      Make({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {0, 0, 2}}, {{0, 2, 1, 1}, {0, 1, 3, 3}, {0, 3, 2, 2}, {1, 2, 3, 3}}),
      Make({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}},
           {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}}),
      Make({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1.25f, 1.25f, 1.25f}},
           {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}}),
      Make({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5f, 0.5f, 1}}, {{0, 1, 4, 4}, {1, 2, 4, 4}, {2, 3, 4, 4}}),
  };
  return meshes[which];
}
constexpr int kOpenMesh = 3;

using fuzzinput::Reader;

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "fuzz_import: %s\n", what.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  const uint8_t setup = in.Byte();
  const int kind = setup & 1 ? ImportAs3DSketch : ImportAsSolid;
  const BOOL multiBody = (setup >> 1) & 1;
  const BOOL progress = (setup >> 2) & 1;
  // The host's five units, and indexes of none: the unit stays, the scale is 1.
  static const int kUnits[] = {0, 1, 2, 3, 4, -1, 5, 7};
  const int units = kUnits[(setup >> 3) & 7];
  const uint8_t pick = in.Byte();
  ON_ClassArray<ON_Mesh> meshes;
  bool anyOpen = false;
  const int count = 1 + (pick >> 6) % 3;
  for (int k = 0; k < count; ++k) {
    const int which = (pick >> (2 * k)) & 3;
    meshes.AppendNew() = Pick(which);
    anyOpen = anyOpen || which == kOpenMesh;
  }

  standin::StandInHost host;
  host.SetLogMode(standin::LogMode::Off);
  bool faulted = false;
  host.SetFaultChooser([&](const char*, int method) -> std::optional<standin::Fault> {
    if (method <= 6) return std::nullopt;  // IUnknown and IDispatch keep to the rules
    const std::optional<uint8_t> b = in.Next();
    if (!b) return std::nullopt;
    std::optional<standin::Fault> f = FaultOf(*b);
    faulted = faulted || f.has_value();
    return f;
  });
  const BOOL result = ImportMeshes(host.Application(), meshes, units, kind, multiBody, progress);
  host.SetFaultChooser(nullptr);

  if (result != 0 && result != 1) Finding("a result other than 0 and 1: " + std::to_string(result));
  for (const std::string& p : host.ReferenceProblems()) Finding(p);
  if (!faulted) {
    if (result != 1 && !(kind == ImportAsSolid && anyOpen))
      Finding("an import the host let be failed: " + std::string(ZTKSWON::GetLastErrorText().ToUtf8()));
    for (const auto& doc : host.Documents())
      if (doc->InSketch()) Finding("a 3D sketch left open");
  }
  return 0;
}
