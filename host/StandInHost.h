// The stand-in CAD host: an application, its main frame and its documents, reached
// by the client only through COM method tables (see HostCore.h for the machinery).
//
// A test makes a StandInHost, hands `host.Application()` to the code under test and
// then looks at the call log, the documents and the reference problems:
//
//   standin::StandInHost host;
//   host.SetRevision(L"20.0.0");
//   host.InjectFault("HostApplication", 19, standin::Fault::NullOut(S_OK, 3));  // third new part is null
//   RunTheCode(host.Application());
//   EXPECT_EQ(host.Log().Args("HostDocument", 14), (std::vector<std::string>{"3"}));
//   standin::Document* part = host.ActiveDocument();
//   EXPECT_EQ(part->Bodies().size(), 1u);
//   EXPECT_TRUE(host.ReferenceProblems().empty());
//
// StandInHostTest.h has a gtest fixture that makes the last check for every test.
//
// What the host hands out:
// - Application() is the host's own reference: the client neither needs nor may
//   release it unless it took one of its own (AddRef, QueryInterface).
// - Every interface that comes out of an out-parameter carries one reference for
//   the client, which must release it. That includes the sketch point of document
//   method 540, the sketch segment of 542, 551, 553, 559 and 578 and the built body
//   of body method 12: each hands out an object (or nothing when the caller passes
//   a null out-pointer, or the call fails).
// - A part document answers both the document and the part-document role on one
//   object: application method 19 gives its part face, method 8 (the active
//   document) its document face; QueryInterface goes between the two. An assembly
//   (application method 21) and a drawing (47) likewise answer the document role and
//   a role of their own, which is the face methods 21 and 47 hand out.
// - Nothing is ever freed before the host itself: a release beyond zero is recorded
//   as a reference problem and changes nothing.
//
// Positions with real behaviour (all others record the call and return E_NOTIMPL):
//   HostApplication  8 active document, 15 frame, 19 new part, 21 new assembly,
//                    25 revision text, 47 new drawing;
//                    155, 178, 231, 247 the add-in's connection (HostConnection.h)
//                    58 load a file (HostFiles.h)
//   HostFrame        17 main window handle
//   HostDocument     14 length unit, 82 clear selection, 235 display when added,
//                    237 add to database, 349 zoom to fit, 540 sketch point,
//                    542 sketch line, 551 circle, 553 arc, 559 spline through
//                    points, 560 redraw, 578 spline from NURBS data, 656 enter/leave
//                    the 3D sketch; 509 solid data to a file (HostFiles.h)
//   HostPartDocument 31 new temporary body
//   HostBody         12 build the body from the faces, 72 add a planar face;
//                    19, 46, 50, 53 surfaces and their faces (HostSurfaces.h)
//   HostSurface      57 add a trimming loop (HostSurfaces.h)
//   HostSketch       33 line count, 34 arc count, 37 spline size and count,
//                    187 polyline size and count; 146, 148, 150, 186 their records
// and, for reading bodies, parts and assemblies back as meshes, the positions
// HostFaces.h and HostAssemblies.h list.
//
// Documents and sketches (HostDocuments.h, HostSketch.h):
// - Application 21 (out) makes an assembly, 47 (LONG, 64-bit integer, LONG, double,
//   double, out) a drawing, whose five values Document::DrawingValues() keeps; each
//   becomes the active document. A null out-pointer: E_POINTER.
// - The entity methods store their arguments, in metres, in the document's open 3D
//   sketch (part or assembly, between the calls of 656) or in a drawing's one sketch,
//   which is there from the start and needs no 656: 540 (x, y, z, out) a point;
//   542 (start xyz, end xyz, out) a line; 551 (centre xyz, radius, out) a circle;
//   553 (centre xyz, start xyz, end xyz, SHORT direction, out) an arc, direction 1
//   counter-clockwise seen from +z, -1 clockwise; 559 (LONG count, xyz of each
//   point, out) a spline through the points; 578 (LONG properties[4]: dimension,
//   order, CV count, periodic flag; order + CV count knots; xyz of each CV, out) a
//   spline from NURBS data. 656 on a drawing: E_FAIL.
// - A sketch's HostSketch face (Document::Sketch(i).Interface(), no client
//   reference) hands out its entities as flat records of doubles, each kind in the
//   order drawn, through a count call and a data call that fills the caller's array:
//     33 (LONG* count), 146 (double*): lines, 12 doubles: 6-8 start, 9-11 end;
//     34 (LONG* count), 148 (double*): arcs, 16 doubles: 6-8 start, 9-11 end,
//       12-14 centre, 15 direction 1.0 or -1.0; a circle of 551 as start = end =
//       centre + (radius, 0, 0) and direction 1;
//     37 (LONG* size, LONG* count), 150 (double*): splines, 7 + 3n doubles: 6 n,
//       then n points: those of 559, the control points of 578;
//     187 (LONG* size, LONG* count), 186 (double*): polylines (only those a test
//       puts in Sketch3D::polylines), k + 9 + 3n doubles: 1 k, always 2 here, k + 8 n,
//       then n points.
//   Sizes count doubles. Positions a reader does not read hold 1.0, 2.0, 3.0 or 4.0
//   at 0 (line, arc, spline, polyline) and 0.0 everywhere else. Points of 540 are
//   not handed out. A data call writes exactly the doubles its count call reports
//   at that moment (12 or 16 per line or arc, the size for splines and polylines),
//   never more; Sketch3D::ReplaceRecords puts a test's records, hostile ones too, in
//   place of a kind's entities. A null pointer: E_POINTER. A fault on a data call
//   writes nothing into the array; a NullOut fault on a count call sets its counts
//   to 0.
//
// What the host refuses, as a modeller would (nothing refused is stored):
// - document 14 with a length-unit code the host does not have: E_INVALIDARG, and
//   the unit stays; the host has the five units of the import's units list,
//   millimetres 0, centimetres 1, metres 2, inches 3 and feet 4;
// - document 540, 542, 551, 553, 559 and 578 outside an open sketch (a part or an
//   assembly between two calls of 656): E_FAIL (RefusedLines() counts those of 542);
//   then with bad data, E_INVALIDARG: any value that is not a finite number; 551 a
//   radius not above 0; 553 a direction other than 1 and -1, a start on the centre,
//   or a start and an end not equally far from the centre, within 1e-9 of the
//   larger distance; 559 fewer than 2 points or a null array; 578 a null array, a
//   dimension other than 3, an order below 2, fewer CVs than the order, a periodic
//   flag other than 0 and 1, knots that decrease, or an empty domain (knot order - 1
//   not below knot CV count, counting from 0);
// - body 72 with a count other than 3 or 4, a null array or a non-finite value:
//   E_INVALIDARG; so is a face a modeller would not take (FaceCheck.h): a zero
//   normal, corners that span no area or lie off one plane by more than 1e-5 of
//   the face's size, or a normal against the corners' winding or tilted out of
//   their plane;
// - body 12 when the faces do not form closed shells (see ShellCheck.h: corners
//   match within 1e-9 of the largest coordinate, at least 1e-12 m): E_FAIL, and the
//   part gets no body; on a body that was built, not temporary: E_UNEXPECTED. A
//   body with faces of surfaces is sewn by a real kernel instead (HostSurfaces.h).
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HostAssemblies.h"
#include "HostConnection.h"
#include "HostContract.h"
#include "HostCore.h"
#include "HostDocuments.h"
#include "HostFaces.h"
#include "HostFiles.h"
#include "HostSketch.h"
#include "HostSurfaces.h"
#include "ShellCheck.h"

namespace standin {

// The roles' names and the ids QueryInterface answers to. The application and the
// document roles have the ids the real host gives them; the others are the
// stand-in's own.
inline const RoleInfo kRoleApplication{
    "HostApplication", {0x83A33D22, 0x27C5, 0x11CE, {0xBF, 0xD4, 0x00, 0x40, 0x05, 0x13, 0xBB, 0x57}}};
inline const RoleInfo kRoleFrame{
    "HostFrame", {0x5354414E, 0x0001, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x01}}};
inline const RoleInfo kRoleDocument{"HostDocument", IID_HostDocument};
inline const RoleInfo kRolePartDocument{"HostPartDocument", IID_HostPartDocument};
inline const RoleInfo kRoleAssemblyDocument{"HostAssemblyDocument", IID_HostAssemblyDocument};
inline const RoleInfo kRoleDrawingDocument{
    "HostDrawingDocument", {0x5354414E, 0x0006, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x06}}};
inline const RoleInfo kRoleBody{
    "HostBody", {0x5354414E, 0x0004, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x04}}};

class StandInHost;
struct HostEntries;  // the entry functions of every role
class Document;

// The host's document type codes.
enum class DocumentKind : LONG { Part = 1, Assembly = 2, Drawing = 3 };

// The length unit of a document nobody has set one on.
inline constexpr LONG kUnitAsCreated = -1;
// The first and the last of the host's length-unit codes (millimetres to feet).
inline constexpr LONG kUnitMillimetres = 0;
inline constexpr LONG kUnitFeet = 4;

// A temporary body (part method 31) or a built one (body method 12).
class Body : public Object {
 public:
  Body(HostCore& core, Document& part, bool temporary);
  bool Temporary() const { return m_temporary; }
  const FaceList& Faces() const { return m_faces; }
  // Why the last build of this temporary body failed; empty when it did not.
  const std::string& BuildProblem() const { return m_buildProblem; }
  Document& Part() const { return *m_part; }
  HostBody* Interface() { return m_face.As<HostBody>(); }
  Face& BodyFace() { return m_face; }
  // What reading the body back gives: its name, type and faces (HostFaces.h).
  BodyReadBack& ReadBack() { return m_readBack; }
  const BodyReadBack& ReadBack() const { return m_readBack; }
  // Its surfaces and the faces made of them (HostSurfaces.h).
  const BodySurfaces& Surfaces() const { return m_surfaces; }

 private:
  friend struct HostEntries;
  friend struct FaceEntries;
  friend struct SurfaceEntries;
  Document* m_part;
  bool m_temporary;
  FaceList m_faces;
  BodySurfaces m_surfaces;
  std::string m_buildProblem;
  Face m_face;
  BodyReadBack m_readBack;
};

class Document : public Object {
 public:
  Document(StandInHost& host, DocumentKind kind);

  DocumentKind Kind() const { return m_kind; }
  // kUnitAsCreated until method 14 sets one; then the last code given.
  LONG LengthUnit() const { return m_unit; }
  // The arguments of every call of 237, 235 and 656, in order, and the calls of
  // 82, 560 and 349.
  const std::vector<LONG>& AddToDatabaseCalls() const { return m_addToDatabase; }
  const std::vector<LONG>& DisplayWhenAddedCalls() const { return m_displayWhenAdded; }
  const std::vector<LONG>& SketchCalls() const { return m_sketchCalls; }
  int ClearSelectionCount() const { return m_clearSelection; }
  int RedrawCount() const { return m_redraw; }
  int ZoomToFitCount() const { return m_zoomToFit; }

  // A part or assembly is in a sketch between the two calls of 656; a drawing
  // always, in its one sketch, which is the only element of Sketches().
  bool InSketch() const { return !m_sketches.empty() && m_sketches.back().open; }
  const std::deque<Sketch3D>& Sketches() const { return m_sketches; }
  Sketch3D& Sketch(size_t index) { return m_sketches.at(index); }
  // Lines over all sketches.
  size_t LineCount() const;
  // Calls of 542 refused because no 3D sketch was open.
  int RefusedLines() const { return m_refusedLines; }
  // The values of method 47 for a drawing it made; none for any other document.
  const std::optional<NewDrawingValues>& DrawingValues() const { return m_drawingValues; }

  // Temporary bodies from part method 31, and bodies built by body method 12.
  const std::vector<std::unique_ptr<Body>>& TemporaryBodies() const { return m_temporaryBodies; }
  const std::vector<std::unique_ptr<Body>>& Bodies() const { return m_bodies; }

  // The host's own interfaces of this document (no client reference). Every
  // document has the document role; a part also the part role, an assembly the
  // assembly role and a drawing the drawing role (the others are null).
  HostDocument* DocumentInterface() { return m_docFace.As<HostDocument>(); }
  HostPartDocument* PartInterface() { return m_partFace ? m_partFace->As<HostPartDocument>() : nullptr; }
  HostAssemblyDocument* AssemblyInterface() {
    return m_assemblyFace ? m_assemblyFace->As<HostAssemblyDocument>() : nullptr;
  }
  HostDrawingDocument* DrawingInterface() {
    return m_drawingFace ? m_drawingFace->As<HostDrawingDocument>() : nullptr;
  }
  // What reading the document back gives: its title, a part's material values
  // and an assembly's components (HostAssemblies.h).
  DocumentReadBack& ReadBack() { return m_readBack; }
  const DocumentReadBack& ReadBack() const { return m_readBack; }

 private:
  friend struct HostEntries;
  friend struct FaceEntries;
  friend struct AssemblyEntries;
  friend struct SketchEntries;
  friend struct DocumentEntries;
  DocumentReadBack m_readBack;

  DocumentKind m_kind;
  LONG m_unit = kUnitAsCreated;
  std::vector<LONG> m_addToDatabase, m_displayWhenAdded, m_sketchCalls;
  int m_clearSelection = 0, m_redraw = 0, m_zoomToFit = 0, m_refusedLines = 0;
  std::deque<Sketch3D> m_sketches;  // stable addresses: each sketch has a face
  std::optional<NewDrawingValues> m_drawingValues;
  std::vector<std::unique_ptr<Body>> m_temporaryBodies, m_bodies;
  Face m_docFace;
  std::optional<Face> m_partFace;
  std::optional<Face> m_assemblyFace;
  std::optional<Face> m_drawingFace;
};

class FrameObject : public Object {
 public:
  explicit FrameObject(StandInHost& host);
  HostFrame* Interface() { return m_face.As<HostFrame>(); }
  Face& FrameFace() { return m_face; }

 private:
  friend struct HostEntries;
  StandInHost* m_host;
  Face m_face;
};

class ApplicationObject : public Object {
 public:
  explicit ApplicationObject(StandInHost& host);
  HostApplication* Interface() { return m_face.As<HostApplication>(); }

 private:
  friend struct HostEntries;
  StandInHost* m_host;
  Face m_face;
};

class StandInHost : public HostCore {
 public:
  StandInHost();
  ~StandInHost() override;

  // The application as the host itself holds it (see the top of this file).
  HostApplication* Application() { return m_app->Interface(); }

  // The text of application method 25; null makes it hand out a null BSTR.
  // Starts as "20.0.0".
  void SetRevision(const wchar_t* text);
  // Without a frame, application method 15 gives S_OK and a null frame. Starts present.
  void SetFramePresent(bool present) { m_framePresent = present; }
  bool FramePresent() const { return m_framePresent; }
  // What frame method 17 gives, a 32-bit value as on Windows. Starts as 0x00010010.
  void SetMainWindow(LONG handle) { m_mainWindow = handle; }
  LONG MainWindow() const { return m_mainWindow; }

  // Documents in the order they were made; the active one is the last made unless
  // a test says otherwise. Method 19 makes a part and makes it active.
  const std::vector<std::unique_ptr<Document>>& Documents() const { return m_documents; }
  Document* ActiveDocument() const { return m_active; }
  void SetActiveDocument(Document* document) { m_active = document; }
  Document& AddDocument(DocumentKind kind);

  FrameObject& MainFrame() { return *m_frame; }

  // What add-ins set up when they connect: callbacks, File Open items, commands.
  HostConnection& Connection() { return *m_connection; }

  // A new object for a test to link into a chain (HostAssemblies.h).
  ChainObject& AddChainObject();

  // Files loaded by application method 58 and solid data asked of document 509.
  HostFiles& Files() { return m_files; }
  const HostFiles& Files() const { return m_files; }

 private:
  friend struct HostEntries;
  std::optional<std::wstring> m_revision;
  bool m_framePresent = true;
  LONG m_mainWindow = 0x00010010;
  std::vector<std::unique_ptr<Document>> m_documents;
  Document* m_active = nullptr;
  std::unique_ptr<FrameObject> m_frame;
  std::unique_ptr<ApplicationObject> m_app;
  std::deque<ChainObject> m_chainObjects;
  HostFiles m_files;
  // Goes first: releasing an add-in's callback object may release host interfaces.
  std::unique_ptr<HostConnection> m_connection;
};

}  // namespace standin
