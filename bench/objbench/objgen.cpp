// Writes the large OBJ files of the benchmark:
//   objgen sphere FILE [TRIANGLES]      closed UV sphere, v and f only
//   objgen sphere-uvn FILE [TRIANGLES]  the same with vt and vn, corners v/vt/vn
//   objgen grid FILE [QUADS]            a flat grid of quads
//   objgen objects FILE [COUNT]         COUNT small spheres, each an object of its own,
//                                       faces with relative (negative) indices
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const double kPi = 3.14159265358979323846;

struct Out {
  FILE* f;
  char buf[256];
  void Line(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
};
void Out::Line(const char* fmt, ...) {
  va_list a;
  va_start(a, fmt);
  vfprintf(f, fmt, a);
  va_end(a);
}

// A UV sphere of `slices` around and `stacks` from pole to pole: 2*slices*(stacks-1)
// triangles, slices*(stacks-1)+2 vertices. `base` is the number of vertices written
// before it; with `relative` the faces count back from the last vertex.
void Sphere(Out& o, int slices, int stacks, double cx, double radius, bool uvn, bool relative, long long base) {
  const long long count = static_cast<long long>(slices) * (stacks - 1) + 2;
  o.Line("v %.6f %.6f %.6f\n", cx, radius, 0.0);
  for (int i = 1; i < stacks; ++i) {
    const double phi = kPi * i / stacks;
    for (int j = 0; j < slices; ++j) {
      const double th = 2 * kPi * j / slices;
      const double x = std::sin(phi) * std::cos(th), y = std::cos(phi), z = std::sin(phi) * std::sin(th);
      o.Line("v %.6f %.6f %.6f\n", cx + radius * x, radius * y, radius * z);
      if (uvn) {
        o.Line("vt %.6f %.6f\n", static_cast<double>(j) / slices, 1.0 - static_cast<double>(i) / stacks);
        o.Line("vn %.6f %.6f %.6f\n", x, y, z);
      }
    }
  }
  o.Line("v %.6f %.6f %.6f\n", cx, -radius, 0.0);
  if (uvn) {  // the poles' texture coordinates and normals, after the ring ones
    o.Line("vt 0.5 1\nvt 0.5 0\nvn 0 1 0\nvn 0 -1 0\n");
  }
  // Vertex k (0-based within the sphere): 0 = north pole, 1 + (i-1)*slices + j, count-1 = south.
  auto ring = [&](int i, int j) { return 1 + static_cast<long long>(i - 1) * slices + (j % slices); };
  auto ref = [&](long long k, char* s, long long uvIndex) {
    long long v = relative ? k - count : base + k + 1;  // relative: -1 is the last vertex
    if (!uvn) return std::sprintf(s, "%lld", v);
    const long long t = base + uvIndex + 1;
    return std::sprintf(s, "%lld/%lld/%lld", v, t, t);
  };
  // With vt/vn the poles sit at uv/normal indices count-2 and count-1 (written last).
  auto uvOf = [&](long long k) { return k == 0 ? count - 2 : k == count - 1 ? count - 1 : k - 1; };
  char a[64], b[64], c[64];
  auto tri = [&](long long x, long long y, long long z) {
    ref(x, a, uvOf(x));
    ref(y, b, uvOf(y));
    ref(z, c, uvOf(z));
    o.Line("f %s %s %s\n", a, b, c);
  };
  for (int j = 0; j < slices; ++j) tri(0, ring(1, j + 1), ring(1, j));
  for (int i = 1; i + 1 < stacks; ++i)
    for (int j = 0; j < slices; ++j) {
      tri(ring(i, j), ring(i, j + 1), ring(i + 1, j + 1));
      tri(ring(i, j), ring(i + 1, j + 1), ring(i + 1, j));
    }
  for (int j = 0; j < slices; ++j) tri(count - 1, ring(stacks - 1, j), ring(stacks - 1, j + 1));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: objgen sphere|sphere-uvn|grid|objects FILE [SIZE]\n");
    return 2;
  }
  const std::string kind = argv[1];
  Out o{std::fopen(argv[2], "wb"), {}};
  if (!o.f) {
    std::perror(argv[2]);
    return 1;
  }
  static char buffer[1 << 20];
  std::setvbuf(o.f, buffer, _IOFBF, sizeof buffer);
  const long long n = argc > 3 ? std::atoll(argv[3]) : 0;
  if (kind == "sphere" || kind == "sphere-uvn") {
    const long long tris = n > 0 ? n : 1000000;
    const int slices = 1000;
    const int stacks = static_cast<int>(tris / (2 * slices)) + 1;
    o.Line("# UV sphere, %d slices, %d stacks\no sphere\n", slices, stacks);
    Sphere(o, slices, stacks, 0.0, 1.0, kind == "sphere-uvn", false, 0);
  } else if (kind == "grid") {
    const long long quads = n > 0 ? n : 1000000;
    const int side = static_cast<int>(std::sqrt(static_cast<double>(quads)) + 0.5);
    o.Line("# grid of %d x %d quads\ng grid\n", side, side);
    for (int i = 0; i <= side; ++i)
      for (int j = 0; j <= side; ++j) o.Line("v %.6f %.6f 0\n", static_cast<double>(j) / side, static_cast<double>(i) / side);
    for (int i = 0; i < side; ++i)
      for (int j = 0; j < side; ++j) {
        const long long a = static_cast<long long>(i) * (side + 1) + j + 1;
        o.Line("f %lld %lld %lld %lld\n", a, a + 1, a + side + 2, a + side + 1);
      }
  } else if (kind == "objects") {
    const long long count = n > 0 ? n : 10000;
    for (long long k = 0; k < count; ++k) {
      o.Line("o object_%lld\n", k);
      Sphere(o, 10, 6, 3.0 * static_cast<double>(k), 1.0, false, true, 0);
    }
  } else {
    std::fprintf(stderr, "objgen: unknown kind %s\n", kind.c_str());
    return 2;
  }
  return std::fclose(o.f) == 0 ? 0 : 1;
}
