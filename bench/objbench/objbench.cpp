// objbench FILE... [--threads N] [--repeat N]
// Reads each file with HBXOBJ::OBJToMesh and with tinyobjloader (as a library, for
// comparison), each in a child process of its own so that its peak memory is its
// own, and prints per file:
//   FILE: meshes=M vertices=V faces=F triangles=T quads=Q seconds=S median=D MBps=X peakMB=P budgetMB=B
//   FILE: tinyobjloader: meshes=M vertices=V faces=F triangles=T quads=Q seconds=S median=D MBps=X peakMB=P
//   FILE: threads=N speed=Nx median-speed=Nx memory=Nx of tinyobjloader
// seconds is the best of the repeats, median their median, and speed and
// median-speed the ratios of those; peakMB the peak resident size of a child that
// reads the file once, the program itself included; budgetMB the file size plus 1.5 times the meshes' own size.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <tiny_obj_loader.h>

#include "HBXOBJ.h"

namespace {

struct Figures {
  bool ok = false;
  char error[512] = {};
  long long meshes = 0, vertices = 0, faces = 0, triangles = 0, quads = 0;
  double seconds = 0, median = 0, ownMB = 0, peakMB = 0;
};

// The best and the median of the repeats' times.
void Summarise(std::vector<double> times, Figures& f) {
  if (times.empty()) return;
  std::sort(times.begin(), times.end());
  const size_t n = times.size();
  f.seconds = times[0];
  f.median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void RunOurs(const char* path, int threads, int repeat, Figures& f) {
  HBXOBJ::SetThreadCount(threads);
  std::vector<double> times;
  for (int r = 0; r < repeat; ++r) {
    ON_ClassArray<ON_Mesh> meshes;
    const double t0 = Now();
    const int ok = HBXOBJ::OBJToMesh(CString(path), meshes);
    const double t = Now() - t0;
    if (!ok) {
      std::snprintf(f.error, sizeof f.error, "%s", HBXOBJ::GetError().ToUtf8().c_str());
      return;
    }
    times.push_back(t);
    if (r + 1 == repeat) {
      Summarise(times, f);
      f.ok = true;
      f.meshes = meshes.Count();
      double bytes = 0;
      for (int i = 0; i < meshes.Count(); ++i) {
        const ON_Mesh& m = meshes[i];
        f.vertices += m.VertexCount();
        f.faces += m.FaceCount();
        f.triangles += m.TriangleCount();
        f.quads += m.QuadCount();
        bytes += sizeof(ON_Mesh) + m.m_V.Capacity() * sizeof(ON_3fPoint) + m.m_F.Capacity() * sizeof(ON_MeshFace);
      }
      f.ownMB = bytes / 1048576.0;
    }
  }
}

void RunTiny(const char* path, int repeat, Figures& f) {
  std::vector<double> times;
  for (int r = 0; r < repeat; ++r) {
    tinyobj::ObjReaderConfig config;
    config.triangulate = false;  // it then keeps faces as written, as our reader keeps quads
    config.vertex_color = false;
    tinyobj::ObjReader reader;
    const double t0 = Now();
    const bool ok = reader.ParseFromFile(path, config);
    const double t = Now() - t0;
    if (!ok) {
      std::snprintf(f.error, sizeof f.error, "%s", reader.Error().c_str());
      return;
    }
    times.push_back(t);
    if (r + 1 == repeat) {
      Summarise(times, f);
      f.ok = true;
      f.meshes = static_cast<long long>(reader.GetShapes().size());
      f.vertices = static_cast<long long>(reader.GetAttrib().vertices.size() / 3);
      for (const auto& s : reader.GetShapes())
        for (auto n : s.mesh.num_face_vertices) {
          ++f.faces;
          f.triangles += n == 3;
          f.quads += n == 4;
        }
    }
  }
}

// Runs `body` in a child process; its figures come back through a pipe.
template <class F>
Figures InChild(F body) {
  Figures f;
  int fds[2];
  if (pipe(fds) != 0) return f;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    Figures mine;
    body(mine);
    ssize_t w = write(fds[1], &mine, sizeof mine);
    (void)w;
    _exit(0);
  }
  close(fds[1]);
  ssize_t got = read(fds[0], &f, sizeof f);
  close(fds[0]);
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  if (got != static_cast<ssize_t>(sizeof f)) {
    f = Figures();
    std::snprintf(f.error, sizeof f.error, "the reader's process ended abnormally (status %d)", status);
  }
  f.peakMB = usage.ru_maxrss / 1024.0;
  return f;
}

void Print(const char* path, const char* who, const Figures& f, double fileMB, bool budget) {
  if (!f.ok) {
    std::printf("%s: %serror: %s\n", path, who, f.error);
    return;
  }
  std::printf("%s: %smeshes=%lld vertices=%lld faces=%lld triangles=%lld quads=%lld seconds=%.4f median=%.4f MBps=%.1f peakMB=%.1f",
              path, who, f.meshes, f.vertices, f.faces, f.triangles, f.quads, f.seconds, f.median, fileMB / f.seconds, f.peakMB);
  if (budget) std::printf(" budgetMB=%.1f", fileMB + 1.5 * f.ownMB);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<const char*> files;
  int threads = 1, repeat = 3;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--threads") && i + 1 < argc) threads = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) repeat = std::atoi(argv[++i]);
    else files.push_back(argv[i]);
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: objbench FILE... [--threads N] [--repeat N]\n");
    return 2;
  }
  if (repeat < 1) repeat = 1;
  int status = 0;
  for (const char* path : files) {
    struct stat st {};
    const double fileMB = stat(path, &st) == 0 ? st.st_size / 1048576.0 : 0;
    // Speed: the best and the median of the repeats; peak memory: a child that reads the file once,
    // so that what earlier repeats left to the allocator does not count.
    Figures ours = InChild([&](Figures& f) { RunOurs(path, threads, repeat, f); });
    Figures tiny = InChild([&](Figures& f) { RunTiny(path, repeat, f); });
    ours.peakMB = InChild([&](Figures& f) { RunOurs(path, threads, 1, f); }).peakMB;
    tiny.peakMB = InChild([&](Figures& f) { RunTiny(path, 1, f); }).peakMB;
    Print(path, "", ours, fileMB, true);
    Print(path, "tinyobjloader: ", tiny, fileMB, false);
    if (ours.ok && tiny.ok)
      std::printf("%s: threads=%d speed=%.1fx median-speed=%.1fx memory=%.2fx of tinyobjloader\n", path, threads,
                  tiny.seconds / ours.seconds, tiny.median / ours.median, ours.peakMB / tiny.peakMB);
    if (!ours.ok) status = 1;
  }
  return status;
}
