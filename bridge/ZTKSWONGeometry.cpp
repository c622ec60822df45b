// Surfaces and breps drawn as sketch curves, and the import of a whole set of
// geometry into a new part, assembly or drawing.
#include <memory>
#include <new>

#include "ComHolders.h"
#include "ZTKBrep.h"
#include "ZTKSWON.h"
#include "ZTKSWONDocument.h"
#include "ZTKSWONProgress.h"
#include "ZTKSWUtils.h"

namespace {

// The iso-curves along direction `dir`, at the stations of the other direction's
// domain, appended to `list` through the working curve.
void AppendIsoCurves(const ON_NurbsSurface& surface, int dir, ON_NurbsCurve& work,
                     ON_ClassArray<ON_NurbsCurve>& list) {
  const int across = 1 - dir;
  const ON_Interval domain = surface.Domain(across);
  const double step = domain.Length() / surface.CVCount(across);
  const auto take = [&](double station) {
    const std::unique_ptr<ON_Curve> iso(surface.IsoCurve(dir, station));
    if (!iso) return;  // an invalid surface has none: nothing to draw there
    iso->GetNurbForm(work, 0.0, nullptr);
    list.Append(work);
  };
  // Stations by repeated addition, compared strictly with the end, so rounding may
  // leave one a hair below the end just before the end itself.
  double station = domain[0];
  while (domain[1] > station) {
    take(station);
    const double next = station + step;
    // A step lost in the station's rounding would never reach the end.
    if (!(next > station)) break;
    station = next;
  }
  take(domain[1]);
}

// The list builders' loop: one progress window over the items, each drawn
// without a window of its own.
template <class Item, class Draw>
BOOL DrawEach(const wchar_t* title, HostDocument* doc, const ON_ClassArray<Item>& items, double scale, BOOL progress,
              Draw draw) {
  BuilderProgress bar(title, progress, items.Count());
  for (int i = 0; i < items.Count(); ++i) {
    bar.Step();
    if (!draw(doc, items[i], scale, 0)) return 0;  // the window closes without its end
  }
  bar.End();
  return 1;
}

// Runs one kind's builder. Memory running out while a kind is drawn ends that
// kind like any builder failure: the import still closes the sketch and releases
// the host's documents, and no exception crosses the host's call.
template <class Draw>
void DrawKind(Draw&& draw) {
  try {
    draw();
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace

BOOL CreateIsoCurveSketch(HostDocument* doc, const ON_NurbsSurface& surface, double scale, BOOL progress) {
  ON_ClassArray<ON_NurbsCurve> list;
  ON_NurbsCurve work;
  AppendIsoCurves(surface, 0, work, list);
  AppendIsoCurves(surface, 1, work, list);
  return CreateSketchCurves(doc, list, scale, progress);
}

BOOL CreateSurfaceCurveSketches(HostDocument* doc, const ON_ClassArray<ON_NurbsSurface>& surfaces, double scale,
                                BOOL progress) {
  return DrawEach(L"Creating surface curves", doc, surfaces, scale, progress, CreateIsoCurveSketch);
}

BOOL CreateBrepEdgeSketch(HostDocument* doc, const ON_Brep& brep, double scale, BOOL progress) {
  ON_ClassArray<ON_NurbsCurve> list;
  ZTKBrep::GetEdgeCurves(brep, list);
  return CreateSketchCurves(doc, list, scale, progress);
}

BOOL CreateBrepCurveSketches(HostDocument* doc, const ON_ClassArray<ON_Brep>& breps, double scale, BOOL progress) {
  return DrawEach(L"Creating brep curves", doc, breps, scale, progress, CreateBrepEdgeSketch);
}

BOOL ImportGeometry(HostApplication* app, int documentType, int unitsIndex, const ON_3dPointArray* points,
                    const ON_ClassArray<ON_NurbsCurve>* curves, const ON_ClassArray<ON_NurbsSurface>* surfaces,
                    const ON_ClassArray<ON_Brep>* breps, const ON_ClassArray<ON_Mesh>* meshes, BOOL progress) {
  // The new document in the role its method gives; released after the active one.
  CountedPtr<HostPartDocument> part;
  CountedPtr<HostAssemblyDocument> assembly;
  CountedPtr<HostDrawingDocument> drawing;
  const wchar_t* noDocument = nullptr;
  switch (documentType) {
    case 0:
      if (app) HostOp::NewPart(app, part.Out());
      if (!part) noDocument = L"Unable to create part";
      break;
    case 1:
      if (app) HostOp::NewAssembly(app, assembly.Out());
      if (!assembly) noDocument = L"Unable to create assembly";
      break;
    case 2:
      if (app) HostOp::NewDrawing(app, 11, 0, 11, 0.0, 0.0, drawing.Out());
      if (!drawing) noDocument = L"Unable to create drawing";
      break;
    default:
      break;  // the active document receives everything
  }
  if (noDocument) {
    ZTKSWON::SetLastErrorText(noDocument);
    return 0;
  }

  CountedPtr<HostDocument> doc;
  if (!OpenActiveDocument(app, doc)) return 0;
  double scale = 1.0;
  SetDocumentUnits(doc.Get(), unitsIndex, &scale);
  const bool inSketch = documentType == 0 || documentType == 1;
  if (inSketch) HostOp::Insert3DSketch(doc.Get(), 0);
  HostOp::SetDisplayWhenAdded(doc.Get(), 0);

  // Every kind given is drawn, whatever the others gave.
  if (points) DrawKind([&] { CreateSketchPoints(doc.Get(), *points, scale, progress); });
  if (curves) DrawKind([&] { CreateSketchCurves(doc.Get(), *curves, scale, progress); });
  if (surfaces) DrawKind([&] { CreateSurfaceCurveSketches(doc.Get(), *surfaces, scale, progress); });
  if (breps) DrawKind([&] { CreateBrepCurveSketches(doc.Get(), *breps, scale, progress); });
  if (meshes) DrawKind([&] { CreateSketchFromMeshes(doc.Get(), *meshes, scale, progress); });

  HostOp::GraphicsRedraw(doc.Get());
  HostOp::ClearSelection(doc.Get());
  if (inSketch) HostOp::Insert3DSketch(doc.Get(), 0);
  doc.Reset();
  part.Reset();
  assembly.Reset();
  drawing.Reset();
  return 1;
}
