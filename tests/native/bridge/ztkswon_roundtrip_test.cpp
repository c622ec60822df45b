// An OBJ file read, imported as solid bodies into the stand-in host and read back
// as meshes: the same vertex counts, the same triangles, the same surface where
// the file has quads, and, in an assembly, the same meshes moved by each
// component's placement.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "HBXOBJ.h"
#include "StandInHostTest.h"
#include "ZTKSWON.h"

namespace {

using Point = std::array<double, 3>;

constexpr double kMillimetre = 0.001;  // the file's unit in these imports

ON_ClassArray<ON_Mesh> ReadFixture(const char* name) {
  ON_ClassArray<ON_Mesh> meshes;
  const CString path((std::string(PLYMORA_FIXTURES) + "/import/" + name).c_str());
  EXPECT_NE(HBXOBJ::OBJToMesh(path, meshes), 0) << name;
  return meshes;
}

// A file vertex as the host holds it: in metres, as a float.
Point InMetres(const ON_3fPoint& p) {
  return {static_cast<float>(p.x * kMillimetre), static_cast<float>(p.y * kMillimetre),
          static_cast<float>(p.z * kMillimetre)};
}

Point At(const ON_Mesh& m, int v) { return {m.m_V[v].x, m.m_V[v].y, m.m_V[v].z}; }

double Area(const Point& a, const Point& b, const Point& c) {
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  const double x = u[1] * v[2] - u[2] * v[1], y = u[2] * v[0] - u[0] * v[2], z = u[0] * v[1] - u[1] * v[0];
  return 0.5 * std::sqrt(x * x + y * y + z * z);
}

bool Near(const Point& a, const Point& b) {
  for (int i = 0; i < 3; ++i)
    if (std::fabs(a[i] - b[i]) > 1e-9) return false;
  return true;
}

// Face by face: a file triangle comes back as the same triangle (same corners in
// the same order); a file quad as two triangles whose corners are the quad's and
// whose areas add up to the quad's.
void ExpectSameSurface(const ON_Mesh& file, const ON_Mesh& back, const std::string& what) {
  EXPECT_EQ(back.VertexCount(), file.VertexCount()) << what;
  int t = 0;
  for (int f = 0; f < file.FaceCount(); ++f) {
    const ON_MeshFace& face = file.m_F[f];
    const int n = face.IsTriangle() ? 3 : 4;
    std::vector<Point> corners;
    for (int k = 0; k < n; ++k) corners.push_back(InMetres(file.m_V[face.vi[k]]));
    ASSERT_LE(t + (n == 3 ? 1 : 2), back.FaceCount()) << what;
    if (n == 3) {
      for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(Near(At(back, back.m_F[t].vi[k]), corners[static_cast<size_t>(k)])) << what << " face " << f;
      ++t;
      continue;
    }
    double area = 0;
    for (int half = 0; half < 2; ++half, ++t) {
      std::array<Point, 3> tri;
      for (int k = 0; k < 3; ++k) {
        tri[static_cast<size_t>(k)] = At(back, back.m_F[t].vi[k]);
        bool ofTheQuad = false;
        for (const Point& c : corners) ofTheQuad = ofTheQuad || Near(c, tri[static_cast<size_t>(k)]);
        EXPECT_TRUE(ofTheQuad) << what << " face " << f;
      }
      area += Area(tri[0], tri[1], tri[2]);
    }
    EXPECT_NEAR(area, Area(corners[0], corners[1], corners[2]) + Area(corners[0], corners[2], corners[3]), 1e-15)
        << what << " face " << f;
  }
  EXPECT_EQ(t, back.FaceCount()) << what;
}

class RoundTrip : public standin::StandInHostTest {};

TEST_F(RoundTrip, SolidsImportedFromAFileComeBackAsTheFilesMeshes) {
  for (const char* name : {"two_closed.obj", "cube.obj"}) {
    SCOPED_TRACE(name);
    const ON_ClassArray<ON_Mesh> file = ReadFixture(name);
    ASSERT_GT(file.Count(), 0);
    ASSERT_EQ(ImportMeshes(host.Application(), file, 0, ImportAsSolid, 1, 0), 1);
    ON_ClassArray<ON_Mesh> back;
    CStringArray names;
    ASSERT_EQ(GetActiveDocumentMeshes(host.Application(), back, &names), 1);
    ASSERT_EQ(back.Count(), file.Count());
    for (int i = 0; i < file.Count(); ++i) {
      ExpectSameSurface(file[i], back[i], std::string(name) + " mesh " + std::to_string(i));
      EXPECT_EQ(names[i].ToUtf8(), "-Body" + std::to_string(i + 1));  // a new part's title has no extension
    }
  }
}

TEST_F(RoundTrip, AnAssemblyOfPlacedPartsComesBackMoved) {
  const ON_ClassArray<ON_Mesh> file = ReadFixture("two_closed.obj");
  ASSERT_EQ(ImportMeshes(host.Application(), file, 0, ImportAsSolid, 1, 0), 1);
  standin::Document& part = *host.ActiveDocument();
  standin::Document& assembly = host.AddDocument(standin::DocumentKind::Assembly);
  standin::Component& root = standin::Components(assembly).Root();
  // A quarter turn about z and a shift, and a plain shift, in metres.
  const std::array<double, 9> quarter = {0, -1, 0, 1, 0, 0, 0, 0, 1};
  root.AddChild(&part, L"Left", standin::Placement(quarter, {1, 2, 3}));
  root.AddChild(&part, L"Right", standin::Placement({1, 0, 0, 0, 1, 0, 0, 0, 1}, {-0.25, 0, 0}));

  ON_ClassArray<ON_Mesh> alone, placed;
  host.SetActiveDocument(&part);
  ASSERT_EQ(GetActiveDocumentMeshes(host.Application(), alone, nullptr), 1);
  host.SetActiveDocument(&assembly);
  CStringArray names;
  ASSERT_EQ(GetActiveDocumentMeshes(host.Application(), placed, &names), 1);
  ASSERT_EQ(placed.Count(), 2 * alone.Count());
  EXPECT_EQ(names[0].ToUtf8(), "Left-Body1");
  EXPECT_EQ(names[alone.Count()].ToUtf8(), "Right-Body1");
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < alone.Count(); ++i) {
      const ON_Mesh& a = alone[i];
      const ON_Mesh& p = placed[c * alone.Count() + i];
      ASSERT_EQ(p.VertexCount(), a.VertexCount());
      for (int v = 0; v < a.VertexCount(); ++v) {
        const Point q = At(a, v);
        const Point expected = c == 0 ? Point{-q[1] + 1, q[0] + 2, q[2] + 3} : Point{q[0] - 0.25, q[1], q[2]};
        EXPECT_TRUE(Near(At(p, v), {static_cast<float>(expected[0]), static_cast<float>(expected[1]),
                                    static_cast<float>(expected[2])}))
            << "component " << c << " mesh " << i << " vertex " << v;
      }
    }
}

}  // namespace
