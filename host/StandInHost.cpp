#include "StandInHost.h"

#include <cmath>

#include "FaceCheck.h"

namespace standin {

// Every role's real entries. The positions are written out here, not taken from the
// host contract, so that a wrong position on the client's side shows as a trap.
struct HostEntries {
  // --- HostApplication ---------------------------------------------------------------
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE AppActiveDocument(Face* self, HostDocument** doc) {
    CallScope call(self, 8);
    call.Args(OutArg{doc});
    if (call.Faulted(doc)) return call.Result();
    if (!doc) return call.Return(E_POINTER);
    Document* active = self->OwnerAs<ApplicationObject>()->m_host->ActiveDocument();
    *doc = active ? active->m_docFace.Give<HostDocument>() : nullptr;
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE AppFrame(Face* self, HostFrame** frame) {
    CallScope call(self, 15);
    call.Args(OutArg{frame});
    if (call.Faulted(frame)) return call.Result();
    if (!frame) return call.Return(E_POINTER);
    StandInHost& host = *self->OwnerAs<ApplicationObject>()->m_host;
    *frame = host.FramePresent() ? host.MainFrame().m_face.Give<HostFrame>() : nullptr;
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE AppNewPart(Face* self, HostPartDocument** part) {
    CallScope call(self, 19);
    call.Args(OutArg{part});
    if (call.Faulted(part)) return call.Result();
    if (!part) return call.Return(E_POINTER);
    Document& made = self->OwnerAs<ApplicationObject>()->m_host->AddDocument(DocumentKind::Part);
    *part = made.m_partFace->Give<HostPartDocument>();
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE AppRevisionNumber(Face* self, BSTR* revision) {
    CallScope call(self, 25);
    call.Args(OutArg{revision});
    if (call.Faulted(revision)) return call.Result();
    if (!revision) return call.Return(E_POINTER);
    const auto& text = self->OwnerAs<ApplicationObject>()->m_host->m_revision;
    *revision = text ? SysAllocStringLen(text->c_str(), static_cast<UINT>(text->size())) : nullptr;
    return call.Return(S_OK);
  }

  // --- HostFrame -------------------------------------------------------------------------
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE FrameWindowHandle(Face* self, LONG* handle) {
    CallScope call(self, 17);
    call.Args(OutArg{handle});
    if (call.Faulted(handle)) return call.Result();
    if (!handle) return call.Return(E_POINTER);
    *handle = self->OwnerAs<FrameObject>()->m_host->MainWindow();
    return call.Return(S_OK);
  }

  // --- HostDocument ----------------------------------------------------------------------
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocSetUnits(Face* self, LONG unit) {
    CallScope call(self, 14);
    call.Args(unit);
    if (call.Faulted()) return call.Result();
    if (unit < kUnitMillimetres || unit > kUnitFeet) return call.Return(E_INVALIDARG);  // a unit the host lacks
    self->OwnerAs<Document>()->m_unit = unit;
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocClearSelection(Face* self) {
    CallScope call(self, 82);
    if (call.Faulted()) return call.Result();
    ++self->OwnerAs<Document>()->m_clearSelection;
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocViewZoomToFit(Face* self) {
    CallScope call(self, 349);
    if (call.Faulted()) return call.Result();
    ++self->OwnerAs<Document>()->m_zoomToFit;
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocGraphicsRedraw(Face* self) {
    CallScope call(self, 560);
    if (call.Faulted()) return call.Result();
    ++self->OwnerAs<Document>()->m_redraw;
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocSetAddToDatabase(Face* self, LONG on) {
    CallScope call(self, 237);
    call.Args(on);
    if (call.Faulted()) return call.Result();
    self->OwnerAs<Document>()->m_addToDatabase.push_back(on);
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocSetDisplayWhenAdded(Face* self, LONG on) {
    CallScope call(self, 235);
    call.Args(on);
    if (call.Faulted()) return call.Result();
    self->OwnerAs<Document>()->m_displayWhenAdded.push_back(on);
    return call.Return(S_OK);
  }

  // Enters a 3D sketch when none is open, else leaves the open one. A drawing has
  // no 3D sketch: it refuses.
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE DocInsert3DSketch(Face* self, LONG updateEditRebuild) {
    CallScope call(self, 656);
    call.Args(updateEditRebuild);
    if (call.Faulted()) return call.Result();
    Document& doc = *self->OwnerAs<Document>();
    doc.m_sketchCalls.push_back(updateEditRebuild);
    if (doc.m_kind == DocumentKind::Drawing) return call.Return(E_FAIL);
    if (doc.InSketch()) doc.m_sketches.back().open = false;
    else doc.m_sketches.emplace_back(call.Core());
    return call.Return(S_OK);
  }

  // --- HostPartDocument ------------------------------------------------------------------
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE PartCreateTemporaryBody(Face* self, HostBody** body) {
    CallScope call(self, 31);
    call.Args(OutArg{body});
    if (call.Faulted(body)) return call.Result();
    if (!body) return call.Return(E_POINTER);
    Document& part = *self->OwnerAs<Document>();
    part.m_temporaryBodies.push_back(std::make_unique<Body>(call.Core(), part, true));
    *body = part.m_temporaryBodies.back()->m_face.Give<HostBody>();
    return call.Return(S_OK);
  }

  // --- HostBody ----------------------------------------------------------------------------
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE BodyCreateBodyFromSurfaces(Face* self, IDispatch** built) {
    CallScope call(self, 12);
    call.Args(OutArg{built});
    if (call.Faulted(built)) return call.Result();
    if (built) *built = nullptr;
    Body& body = *self->OwnerAs<Body>();
    if (!body.m_temporary) {
      body.m_buildProblem = "not a temporary body";
      return call.Return(E_UNEXPECTED);
    }
    std::optional<SolidVerdict> verdict;
    body.m_buildProblem = body.m_surfaces.Faces().empty()
                              ? ShellProblem(body.m_faces)
                              : SurfaceEntries::BuildProblem(body.m_faces, body.m_surfaces, verdict);
    if (!body.m_buildProblem.empty()) return call.Return(E_FAIL);
    Document& part = *body.m_part;
    auto made = std::make_unique<Body>(call.Core(), part, false);
    made->m_faces = std::move(body.m_faces);
    body.m_faces.clear();
    SurfaceEntries::MoveTo(body.m_surfaces, made->m_surfaces, verdict);
    part.m_bodies.push_back(std::move(made));
    if (built) *built = part.m_bodies.back()->m_face.Give<IDispatch>();
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE BodyCreatePlanarSurface(Face* self, LONG count, const double* corners,
                                                                        const double* normal) {
    CallScope call(self, 72);
    const bool countOk = count == 3 || count == 4;
    call.Args(count, DoublesArg{corners, countOk ? 3 * count : 0}, DoublesArg{normal, 3});
    if (call.Faulted()) return call.Result();
    Body& body = *self->OwnerAs<Body>();
    if (!countOk || !corners || !normal) return call.Return(E_INVALIDARG);
    if (!body.m_temporary) return call.Return(E_UNEXPECTED);
    PlanarFace face{count, {}, {}};
    for (int i = 0; i < 3 * count; ++i) {
      if (!std::isfinite(corners[i])) return call.Return(E_INVALIDARG);
      face.corners[static_cast<size_t>(i)] = corners[i];
    }
    for (int i = 0; i < 3; ++i) {
      if (!std::isfinite(normal[i])) return call.Return(E_INVALIDARG);
      face.normal[static_cast<size_t>(i)] = normal[i];
    }
    // What a modeller refuses: no normal, no plane, or a normal that is not the plane's.
    if (!PlanarFaceProblem(face).empty()) return call.Return(E_INVALIDARG);
    body.m_faces.push_back(face);
    return call.Return(S_OK);
  }

  // --- the tables ----------------------------------------------------------------------------
  static const MethodTable& ApplicationTable() {
    static const MethodTable table = MethodTable::For<HostApplication>(kRoleApplication)
                                         .Set(8, &AppActiveDocument)
                                         .Set(15, &AppFrame)
                                         .Set(19, &AppNewPart)
                                         .Set(21, &DocumentEntries::AppNewAssembly)
                                         .Set(25, &AppRevisionNumber)
                                         .Set(47, &DocumentEntries::AppNewDrawing)
                                         .Set(58, &HostFiles::AppLoadFile)
                                         .Set(155, &HostConnection::AppSetAddinCallbackInfo)
                                         .Set(165, &AssemblyEntries::AppActiveModel)
                                         .Set(178, &HostConnection::AppRemoveFileOpenItem)
                                         .Set(231, &HostConnection::AppCommandManager)
                                         .Set(247, &HostConnection::AppAddFileOpenItem);
    return table;
  }
  static const MethodTable& FrameTable() {
    static const MethodTable table = MethodTable::For<HostFrame>(kRoleFrame).Set(17, &FrameWindowHandle);
    return table;
  }
  static const MethodTable& DocumentTable() {
    static const MethodTable table = MethodTable::For<HostDocument>(kRoleDocument)
                                         .Set(13, &AssemblyEntries::DocLengthUnit)
                                         .Set(14, &DocSetUnits)
                                         .Set(90, &FaceEntries::DocTitle)
                                         .Set(321, &AssemblyEntries::DocComponentTree)
                                         .Set(82, &DocClearSelection)
                                         .Set(235, &DocSetDisplayWhenAdded)
                                         .Set(237, &DocSetAddToDatabase)
                                         .Set(349, &DocViewZoomToFit)
                                         .Set(509, &HostFiles::DocExtractSolidData)
                                         .Set(540, &SketchEntries::DocCreatePoint)
                                         .Set(542, &SketchEntries::DocCreateLine)
                                         .Set(551, &SketchEntries::DocCreateCircle)
                                         .Set(553, &SketchEntries::DocCreateArc)
                                         .Set(559, &SketchEntries::DocCreateSplineThroughPoints)
                                         .Set(560, &DocGraphicsRedraw)
                                         .Set(578, &SketchEntries::DocCreateSplineFromNurbs)
                                         .Set(656, &DocInsert3DSketch);
    return table;
  }
  static const MethodTable& PartDocumentTable() {
    static const MethodTable table = MethodTable::For<HostPartDocument>(kRolePartDocument)
                                         .Set(31, &PartCreateTemporaryBody)
                                         .Set(88, &FaceEntries::PartMaterialValues)
                                         .Set(141, &FaceEntries::PartBodies);
    return table;
  }
  static const MethodTable& AssemblyDocumentTable() {
    static const MethodTable table = MethodTable::For<HostAssemblyDocument>(kRoleAssemblyDocument)
                                         .Set(62, &AssemblyEntries::AssemblyResolve);
    return table;
  }
  static const MethodTable& DrawingDocumentTable() {
    static const MethodTable table = MethodTable::For<HostDrawingDocument>(kRoleDrawingDocument);
    return table;
  }
  static const MethodTable& BodyTable() {
    static const MethodTable table = MethodTable::For<HostBody>(kRoleBody)
                                         .Set(8, &FaceEntries::BodyFirstFace)
                                         .Set(12, &BodyCreateBodyFromSurfaces)
                                         .Set(19, &SurfaceEntries::BodyTrimmedFace)
                                         .Set(46, &SurfaceEntries::BodyPlaneSurface)
                                         .Set(50, &SurfaceEntries::BodyBSplineSurface)
                                         .Set(53, &SurfaceEntries::BodyBoundedFace)
                                         .Set(72, &BodyCreatePlanarSurface)
                                         .Set(173, &FaceEntries::BodyName);
    return table;
  }
};

// --- the objects --------------------------------------------------------------------------

Body::Body(HostCore& core, Document& part, bool temporary)
    : Object(core), m_part(&part), m_temporary(temporary), m_face(*this, HostEntries::BodyTable()) {}

Document::Document(StandInHost& host, DocumentKind kind)
    : Object(host), m_kind(kind), m_docFace(*this, HostEntries::DocumentTable()) {
  switch (kind) {
    case DocumentKind::Part: m_partFace.emplace(*this, HostEntries::PartDocumentTable()); break;
    case DocumentKind::Assembly: m_assemblyFace.emplace(*this, HostEntries::AssemblyDocumentTable()); break;
    case DocumentKind::Drawing:
      m_drawingFace.emplace(*this, HostEntries::DrawingDocumentTable());
      m_sketches.emplace_back(host);  // a drawing takes sketch entities without entering a sketch
      break;
  }
}

size_t Document::LineCount() const {
  size_t n = 0;
  for (const Sketch3D& s : m_sketches) n += s.lines.size();
  return n;
}

FrameObject::FrameObject(StandInHost& host) : Object(host), m_host(&host), m_face(*this, HostEntries::FrameTable()) {}

ApplicationObject::ApplicationObject(StandInHost& host)
    : Object(host), m_host(&host), m_face(*this, HostEntries::ApplicationTable()) {}

StandInHost::StandInHost() : m_revision(L"20.0.0") {
  for (const RoleInfo* role : {&kRoleApplication, &kRoleFrame, &kRoleDocument, &kRolePartDocument,
                               &kRoleAssemblyDocument, &kRoleDrawingDocument, &kRoleBody, &kRoleSketchSegment,
                               &kRoleSketchPoint, &kRoleSketch, &kRoleSurface})
    DeclareRole(*role);
  for (const RoleInfo* role :
       {&kRoleFace, &kRoleBodyEnumerator, &kRoleComponent, &kRoleComponentTree, &kRoleChainObject})
    DeclareRole(*role);
  m_app = std::make_unique<ApplicationObject>(*this);
  m_frame = std::make_unique<FrameObject>(*this);
  m_connection = std::make_unique<HostConnection>(*this);
}

StandInHost::~StandInHost() = default;

void StandInHost::SetRevision(const wchar_t* text) {
  if (text) m_revision = std::wstring(text);
  else m_revision.reset();
}

Document& StandInHost::AddDocument(DocumentKind kind) {
  m_documents.push_back(std::make_unique<Document>(*this, kind));
  m_active = m_documents.back().get();
  return *m_active;
}

}  // namespace standin
