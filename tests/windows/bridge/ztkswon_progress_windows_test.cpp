// The progress windows of the sketch builders and the geometry import under Wine:
// real windows with their titles, one per kind drawn when the flag is on, none when
// it is off, and none left open afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ComHolders.h"
#include "StandInHostTest.h"
#include "WindowsCreated.h"
#include "ZTKSWON.h"

namespace {

using Titles = std::vector<std::wstring>;
using testwin::WindowsCreated;

// Progress windows of this thread still there (other test programs may show
// their own meanwhile).
int OpenProgressWindows() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM found) -> BOOL {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (std::wstring(name) == L"ZTKProgressWindow") ++*reinterpret_cast<int*>(found);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

class ProgressWindows : public standin::StandInHostTest {
 protected:
  ProgressWindows() {
    points.Append(1, 2, 3);
    ON_NurbsCurve& c = curves.AppendNew();
    c.Create(3, false, 2, 3);
    c.SetCV(0, ON_3dPoint(0, 0, 0));
    c.SetCV(1, ON_3dPoint(1, 0, 0));
    c.SetCV(2, ON_3dPoint(1, 1, 0));
    for (int k = 0; k < 3; ++k) c.SetKnot(k, k);
    ON_NurbsSurface& s = surfaces.AppendNew();
    s.Create(3, false, 2, 2, 2, 2);
    for (int k = 0; k < 2; ++k) s.SetKnot(0, k, k), s.SetKnot(1, k, k);
    for (int i = 0; i < 2; ++i)
      for (int j = 0; j < 2; ++j) s.SetCV(i, j, ON_3dPoint(i, j, 0));
    ON_3dPoint corners[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    ON_BrepBox(corners, &breps.AppendNew());
    ON_Mesh& m = meshes.AppendNew();
    m.SetVertex(0, ON_3fPoint(0, 0, 0));
    m.SetVertex(1, ON_3fPoint(1, 0, 0));
    m.SetVertex(2, ON_3fPoint(0, 1, 0));
    m.SetQuad(0, 0, 1, 2, 2);
  }
  ON_3dPointArray points;
  ON_ClassArray<ON_NurbsCurve> curves;
  ON_ClassArray<ON_NurbsSurface> surfaces;
  ON_ClassArray<ON_Brep> breps;
  ON_ClassArray<ON_Mesh> meshes;
};

TEST_F(ProgressWindows, ImportShowsOneWindowPerKindWithItsTitle) {
  {
    WindowsCreated windows(L"ZTKProgressWindow");
    EXPECT_EQ(ImportGeometry(host.Application(), 0, 0, &points, &curves, &surfaces, &breps, &meshes, 1), 1);
    EXPECT_EQ(windows.titles, (Titles{L"Creating points", L"Creating curves", L"Creating surface curves",
                                      L"Creating brep curves", L"Creating meshes"}));
  }
  EXPECT_EQ(OpenProgressWindows(), 0);
  EXPECT_EQ(host.Documents().back()->Sketches()[0].lines.size(), 2u + 6u + 12u + 3u);

  WindowsCreated windows(L"ZTKProgressWindow");
  EXPECT_EQ(ImportGeometry(host.Application(), 1, 0, &points, &curves, &surfaces, &breps, &meshes, 0), 1);
  EXPECT_TRUE(windows.titles.empty());
}

TEST_F(ProgressWindows, EachBuilderShowsItsOwnTitle) {
  EXPECT_EQ(ImportGeometry(host.Application(), 0, 2, nullptr, nullptr, nullptr, nullptr, nullptr, 0), 1);
  CountedPtr<HostDocument> doc;
  HostOp::ActiveDocument(host.Application(), doc.Out());
  HostOp::Insert3DSketch(doc.Get(), 0);
  WindowsCreated windows(L"ZTKProgressWindow");
  CreateSketchPoints(doc.Get(), points, 1.0, 1);
  CreateSketchCurves(doc.Get(), curves, 1.0, 1);
  CreateIsoCurveSketch(doc.Get(), surfaces[0], 1.0, 1);
  CreateBrepEdgeSketch(doc.Get(), breps[0], 1.0, 1);
  CreateSurfaceCurveSketches(doc.Get(), surfaces, 1.0, 1);
  CreateBrepCurveSketches(doc.Get(), breps, 1.0, 1);
  EXPECT_EQ(windows.titles, (Titles{L"Creating points", L"Creating curves", L"Creating curves", L"Creating curves",
                                    L"Creating surface curves", L"Creating brep curves"}));
  EXPECT_EQ(OpenProgressWindows(), 0);
}

}  // namespace
