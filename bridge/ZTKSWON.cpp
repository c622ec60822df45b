#include "ZTKSWON.h"

#include <new>

#include "ComHolders.h"
#include "ZTKMesh.h"
#include "ZTKProgress.h"
#include "ZTKSWONDocument.h"
#include "ZTKSWONMemory.h"
#include "ZTKSWUtils.h"

namespace {

CString LastErrorText;

// The texts for memory running out (ZTKSWONMemory.h): when one is set, it is the
// module's text instead of LastErrorText.
const CString* NoMemory = nullptr;

const CString NoMemoryText(L"Not enough memory to import the meshes");

void SetNoMemoryText() noexcept { ZTKSWON::SetNoMemoryText(NoMemoryText); }

// Builds one mesh. Memory running out while a very large mesh is copied, split or
// has its topology built fails that mesh like a refused build: the exception must
// not cross the host's COM call, and the caller still leaves the 3D sketch and
// finishes the part, so the host is not left inside an open sketch.
template <class Build>
BOOL BuildOne(Build&& build) {
  try {
    return build();
  } catch (const std::bad_alloc&) {
    SetNoMemoryText();
    return 0;
  }
}

// The 3D sketch is entered and left by the same host operation.
void LeaveSketch(HostDocument* doc) {
  HostOp::ClearSelection(doc);
  HostOp::Insert3DSketch(doc, 0);
}

// The new part and its active document, with the length unit set. False (and the
// text stored) when the host gives no part or no document.
bool MakePart(HostApplication* app, const wchar_t* noPartText, CountedPtr<HostPartDocument>& part,
              CountedPtr<HostDocument>& doc, int unitsIndex, double* scale) {
  if (app) HostOp::NewPart(app, part.Out());
  if (!part) {
    ZTKSWON::SetLastErrorText(noPartText);
    return false;
  }
  if (!OpenActiveDocument(app, doc)) return false;
  HostOp::SetDisplayWhenAdded(doc.Get(), 0);
  SetDocumentUnits(doc.Get(), unitsIndex, scale);
  return true;
}

// A face whose indices all lie within the mesh's vertices.
bool FacesAreValid(const ON_Mesh& mesh) {
  const int n = mesh.VertexCount();
  for (int i = 0; i < mesh.FaceCount(); ++i)
    if (!mesh.m_F[i].IsValid(n)) return false;
  return true;
}

}  // namespace

CString ZTKSWON::GetLastErrorText() { return NoMemory ? *NoMemory : LastErrorText; }

void ZTKSWON::SetLastErrorText(const CString& text) {
  LastErrorText = text;
  NoMemory = nullptr;
}

void ZTKSWON::SetNoMemoryText(const CString& text) noexcept { NoMemory = &text; }

static BOOL ImportMeshesUnguarded(HostApplication* app, const ON_ClassArray<ON_Mesh>& meshes, int unitsIndex,
                                  int importKind, BOOL multiBody, BOOL progress) {
  if (!multiBody) {
    for (int i = 0; i < meshes.Count(); ++i)
      if (!ImportMeshAsPart(app, meshes[i], unitsIndex, importKind, progress)) return 0;
    return 1;
  }

  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
  double scale = 1.0;
  if (!MakePart(app, L"Unable to create part", part, doc, unitsIndex, &scale)) return 0;
  if (importKind == ImportAs3DSketch) HostOp::Insert3DSketch(doc.Get(), 0);

  // One work mesh for all meshes: assignment reuses its storage from mesh to mesh.
  ON_Mesh work;
  BOOL result = 1;
  for (int i = 0; i < meshes.Count() && result; ++i) {
    if (importKind == ImportAsSolid) {
      result = BuildOne([&] {
        work = meshes[i];
        ZTKMesh::BreakQuads(work, 1, nullptr);
        return CreateSolidFromMesh(part.Get(), work, scale, progress);
      });
    } else if (importKind == ImportAs3DSketch) {
      result = BuildOne([&] { return CreateSketchFromMesh(doc.Get(), meshes[i], scale, progress); });
    }
  }
  if (importKind == ImportAs3DSketch) LeaveSketch(doc.Get());
  HostOp::GraphicsRedraw(doc.Get());
  HostOp::ViewZoomToFit(doc.Get());
  doc.Reset();
  part.Reset();
  work.Destroy();
  return result;
}

// The import's entry. Each mesh's build catches memory running out on its own
// (BuildOne); this is the last guard for whatever else might throw it, so that no
// exception crosses the host's COM call and the host interfaces are released.
BOOL ImportMeshes(HostApplication* app, const ON_ClassArray<ON_Mesh>& meshes, int unitsIndex, int importKind,
                  BOOL multiBody, BOOL progress) {
  try {
    return ImportMeshesUnguarded(app, meshes, unitsIndex, importKind, multiBody, progress);
  } catch (const std::bad_alloc&) {
    SetNoMemoryText();
    return 0;
  }
}

BOOL ImportMeshAsPart(HostApplication* app, const ON_Mesh& mesh, int unitsIndex, int importKind, BOOL progress) {
  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
  double scale = 1.0;
  if (!MakePart(app, L"Unable to create new part", part, doc, unitsIndex, &scale)) return 0;
  if (importKind == ImportAs3DSketch) HostOp::Insert3DSketch(doc.Get(), 0);

  BOOL result = 1;
  if (importKind == ImportAsSolid) {
    result = BuildOne([&] {
      ON_Mesh copy(mesh);
      ZTKMesh::BreakQuads(copy, 1, nullptr);
      return CreateSolidFromMesh(part.Get(), copy, scale, progress);
    });
  } else if (importKind == ImportAs3DSketch) {
    result = BuildOne([&] { return CreateSketchFromMesh(doc.Get(), mesh, scale, progress); });
    LeaveSketch(doc.Get());
  }
  HostOp::GraphicsRedraw(doc.Get());
  HostOp::ViewZoomToFit(doc.Get());
  doc.Reset();
  part.Reset();
  return result;
}

BOOL CreateSketchFromMesh(HostDocument* doc, const ON_Mesh& mesh, double scale, BOOL progress) {
  ZTKProgress bar(L"Creating mesh", L"", 0.0, 100.0, nullptr);
  const ON_MeshTopology& top = mesh.Topology();
  const int edgeCount = top.TopEdgeCount();
  if (progress) {
    bar.SetMax(static_cast<double>(edgeCount));
    bar.StartProgress();
  }
  if (doc) {
    const ON_3fPoint* V = mesh.m_V.Array();
    CountedPtr<IDispatch> segment;  // not read; each one is released by the next Out()
    for (int i = 0; i < edgeCount; ++i) {
      if (progress) bar.StepIt(1.0);
      const ON_MeshTopologyEdge& e = top.m_tope[i];
      const ON_3dPoint a(V[top.m_topv[e.m_topvi[0]].m_vi[0]]);
      const ON_3dPoint b(V[top.m_topv[e.m_topvi[1]].m_vi[0]]);
      HostOp::CreateLine(doc, a.x * scale, a.y * scale, a.z * scale, b.x * scale, b.y * scale, b.z * scale,
                         segment.Out());
    }
  }
  if (progress) bar.EndProgress();
  return 1;
}

BOOL CreateSketchFromMeshes(HostDocument* doc, const ON_ClassArray<ON_Mesh>& meshes, double scale, BOOL progress) {
  ZTKProgress bar(L"Creating meshes", L"", 0.0, 100.0, nullptr);
  if (progress) {
    bar.SetMax(static_cast<double>(meshes.Count()));
    bar.StartProgress();
  }
  for (int i = 0; i < meshes.Count(); ++i) {
    if (progress) bar.StepIt(1.0);
    if (!CreateSketchFromMesh(doc, meshes[i], scale, 0)) return 0;
  }
  if (progress) bar.EndProgress();
  return 1;
}

BOOL CreateSolidFromMesh(HostPartDocument* part, const ON_Mesh& mesh, double scale, BOOL progress) {
  // A face that names a vertex the mesh does not have cannot be built; it is
  // refused here rather than read out of bounds.
  if (!FacesAreValid(mesh)) {
    ZTKSWON::SetLastErrorText(L"Unable to create body from surfaces");
    return 0;
  }
  CountedPtr<HostBody> body;
  const HRESULT made = part ? HostOp::CreateTemporaryBody(part, body.Out()) : E_POINTER;
  if (made != S_OK || !body) {
    ZTKSWON::SetLastErrorText(L"Unable to create new body");
    return 0;
  }

  ZTKProgress bar(L"Creating solid", L"", 0.0, 100.0, nullptr);
  const int faceCount = mesh.FaceCount();
  if (progress) {
    bar.SetMax(static_cast<double>(faceCount));
    bar.StartProgress();
  }
  // Set up once and refilled for every face.
  const ON_3fPoint* V = mesh.m_V.Array();
  double corners[12];
  double normal[3];
  ON_3dPoint p[4];
  ON_3dVector n;
  for (int i = 0; i < faceCount; ++i) {
    if (progress) bar.StepIt(1.0);
    const ON_MeshFace& f = mesh.m_F[i];
    const int count = f.IsTriangle() ? 3 : 4;
    for (int k = 0; k < count; ++k) p[k] = ON_3dPoint(V[f.vi[k]]);
    n.PerpendicularTo(p[0], p[1], p[2]);  // the zero vector for a degenerate triangle
    for (int k = 0; k < count; ++k) {
      corners[3 * k] = p[k].x * scale;
      corners[3 * k + 1] = p[k].y * scale;
      corners[3 * k + 2] = p[k].z * scale;
    }
    normal[0] = n.x;
    normal[1] = n.y;
    normal[2] = n.z;
    HostOp::CreatePlanarSurface(body.Get(), count, corners, normal);
  }
  if (progress) bar.SetStatus(L"Creating body from surfaces. This may take several minutes...");

  BOOL result = 1;
  CountedPtr<IDispatch> built;  // not used
  if (HostOp::CreateBodyFromSurfaces(body.Get(), built.Out()) != S_OK) {
    ZTKSWON::SetLastErrorText(L"Unable to create body from surfaces");
    result = 0;
  }
  if (progress) bar.EndProgress();
  built.Reset();
  body.Reset();
  return result;
}
