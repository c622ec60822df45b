// Builds a closed torus of about a million faces in the stand-in host and prints
// how long adding the faces (body method 72) and building the body (method 12)
// take, for each log mode, as triangles and as quads.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "ComHolders.h"
#include "StandInHost.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

struct Torus {
  int around, along;  // quads around the tube and along the ring
  std::vector<double> xyz;
  int Index(int i, int j) const { return (i % along) * around + (j % around); }
};

Torus MakeTorus(int around, int along) {
  Torus t{around, along, {}};
  const double pi = std::acos(-1.0);
  for (int i = 0; i < along; ++i)
    for (int j = 0; j < around; ++j) {
      const double u = 2 * pi * i / along, v = 2 * pi * j / around;
      const double r = 1.0 + 0.3 * std::cos(v);
      t.xyz.push_back(r * std::cos(u));
      t.xyz.push_back(r * std::sin(u));
      t.xyz.push_back(0.3 * std::sin(v));
    }
  return t;
}

void Run(const char* label, standin::LogMode mode, bool triangles, const Torus& t) {
  standin::StandInHost host;
  host.SetLogMode(mode);
  CountedPtr<HostPartDocument> part;
  HostOp::Call<19>(host.Application(), part.Out());
  CountedPtr<HostBody> body;
  HostOp::Call<31>(part.Get(), body.Out());
  double corners[12];
  const double normal[3] = {0, 0, 1};
  auto put = [&](int slot, int vertex) {
    for (int a = 0; a < 3; ++a) corners[3 * slot + a] = t.xyz[static_cast<size_t>(3 * vertex + a)];
  };
  long faces = 0;
  const auto start = Clock::now();
  for (int i = 0; i < t.along; ++i)
    for (int j = 0; j < t.around; ++j) {
      const int a = t.Index(i, j), b = t.Index(i + 1, j), c = t.Index(i + 1, j + 1), d = t.Index(i, j + 1);
      if (triangles) {
        put(0, a), put(1, b), put(2, c);
        HostOp::Call<72>(body.Get(), LONG{3}, static_cast<const double*>(corners), normal);
        put(0, a), put(1, c), put(2, d);
        HostOp::Call<72>(body.Get(), LONG{3}, static_cast<const double*>(corners), normal);
        faces += 2;
      } else {
        put(0, a), put(1, b), put(2, c), put(3, d);
        HostOp::Call<72>(body.Get(), LONG{4}, static_cast<const double*>(corners), normal);
        faces += 1;
      }
    }
  const double add = Seconds(start);
  const auto buildStart = Clock::now();
  CountedPtr<IDispatch> built;
  const HRESULT hr = HostOp::Call<12>(body.Get(), built.Out());
  const double build = Seconds(buildStart);
  std::printf("%-28s %8ld faces  add %.3f s  build %.3f s  %s\n", label, faces, add, build,
              hr == S_OK ? "built" : "FAILED");
}

// One sketch line per torus edge (two per quad), each handing out a segment the
// client releases.
void RunSketch(const char* label, standin::LogMode mode, const Torus& t) {
  standin::StandInHost host;
  host.SetLogMode(mode);
  CountedPtr<HostPartDocument> part;
  HostOp::Call<19>(host.Application(), part.Out());
  CountedPtr<HostDocument> doc;
  HostOp::Call<8>(host.Application(), doc.Out());
  HostOp::Call<656>(doc.Get(), LONG{0});
  auto at = [&](int v, int a) { return t.xyz[static_cast<size_t>(3 * v + a)]; };
  long lines = 0;
  const auto start = Clock::now();
  for (int i = 0; i < t.along; ++i)
    for (int j = 0; j < t.around; ++j) {
      const int a = t.Index(i, j), b = t.Index(i + 1, j), d = t.Index(i, j + 1);
      for (int e : {b, d}) {
        CountedPtr<IDispatch> segment;
        HostOp::Call<542>(doc.Get(), at(a, 0), at(a, 1), at(a, 2), at(e, 0), at(e, 1), at(e, 2), segment.Out());
        ++lines;
      }
    }
  HostOp::Call<656>(doc.Get(), LONG{0});
  std::printf("%-28s %8ld lines  %.3f s\n", label, lines, Seconds(start));
}

}  // namespace

int main() {
  const Torus t = MakeTorus(500, 1000);  // 500k quads, 1M triangles
  Run("triangles, log off", standin::LogMode::Off, true, t);
  Run("triangles, no arguments", standin::LogMode::NoArguments, true, t);
  Run("triangles, full log", standin::LogMode::Full, true, t);
  const Torus q = MakeTorus(1000, 1000);  // 1M quads
  Run("quads, log off", standin::LogMode::Off, false, q);
  RunSketch("sketch lines, log off", standin::LogMode::Off, t);
  RunSketch("sketch lines, full log", standin::LogMode::Full, t);
  return 0;
}
