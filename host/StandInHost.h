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
//   the client, which must release it. That includes the sketch segment of document
//   method 542 and the built body of body method 12: both hand out an object (or
//   nothing when the caller passes a null out-pointer, or the call fails).
// - A part document answers both the document and the part-document role on one
//   object: application method 19 gives its part face, method 8 (the active
//   document) its document face; QueryInterface goes between the two.
// - Nothing is ever freed before the host itself: a release beyond zero is recorded
//   as a reference problem and changes nothing.
//
// Positions with real behaviour (all others record the call and return E_NOTIMPL):
//   HostApplication  8 active document, 15 frame, 19 new part, 25 revision text;
//                    155, 178, 231, 247 the add-in's connection (HostConnection.h)
//   HostFrame        17 main window handle
//   HostDocument     14 length unit, 82 clear selection, 235 display when added,
//                    237 add to database, 349 zoom to fit, 542 sketch line,
//                    560 redraw, 656 enter/leave the 3D sketch
//   HostPartDocument 31 new temporary body
//   HostBody         12 build the body from the faces, 72 add a planar face
//
// What the host refuses, as a modeller would (nothing refused is stored):
// - document 542 outside an open 3D sketch: E_FAIL; a coordinate that is not a
//   finite number: E_INVALIDARG;
// - document 14 with a length-unit code the host does not have: E_INVALIDARG, and
//   the unit stays; the host has the five units of the import's units list,
//   millimetres 0, centimetres 1, metres 2, inches 3 and feet 4;
// - body 72 with a count other than 3 or 4, a null array or a non-finite value:
//   E_INVALIDARG; so is a face a modeller would not take (FaceCheck.h): a zero
//   normal, corners that span no area or lie off one plane by more than 1e-5 of
//   the face's size, or a normal against the corners' winding or tilted out of
//   their plane;
// - body 12 when the faces do not form closed shells (see ShellCheck.h: corners
//   match within 1e-9 of the largest coordinate, at least 1e-12 m): E_FAIL, and the
//   part gets no body; on a body that was built, not temporary: E_UNEXPECTED.
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HostConnection.h"
#include "HostContract.h"
#include "HostCore.h"
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
inline const RoleInfo kRoleSketchSegment{
    "HostSketchSegment", {0x5354414E, 0x0005, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x05}}};

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

 private:
  friend struct HostEntries;
  Document* m_part;
  bool m_temporary;
  FaceList m_faces;
  std::string m_buildProblem;
  Face m_face;
};

struct SketchLine {
  std::array<double, 3> start;  // metres
  std::array<double, 3> end;
};

// One 3D sketch: entered and left by document method 656.
struct Sketch3D {
  std::vector<SketchLine> lines;
  bool open = true;
};

// The object document method 542 hands out for a line.
class SketchSegment : public Object {
 public:
  SketchSegment(HostCore& core, int sketch, size_t line);
  int SketchIndex() const { return m_sketch; }
  size_t LineIndex() const { return m_line; }
  Face& SegmentFace() { return m_face; }

 private:
  int m_sketch;
  size_t m_line;
  Face m_face;
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

  bool InSketch() const { return !m_sketches.empty() && m_sketches.back().open; }
  const std::vector<Sketch3D>& Sketches() const { return m_sketches; }
  // Lines over all sketches.
  size_t LineCount() const;
  // Calls of 542 refused because no 3D sketch was open.
  int RefusedLines() const { return m_refusedLines; }

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

 private:
  friend struct HostEntries;

  DocumentKind m_kind;
  LONG m_unit = kUnitAsCreated;
  std::vector<LONG> m_addToDatabase, m_displayWhenAdded, m_sketchCalls;
  int m_clearSelection = 0, m_redraw = 0, m_zoomToFit = 0, m_refusedLines = 0;
  std::vector<Sketch3D> m_sketches;
  std::deque<SketchSegment> m_segments;
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

 private:
  friend struct HostEntries;
  std::optional<std::wstring> m_revision;
  bool m_framePresent = true;
  LONG m_mainWindow = 0x00010010;
  std::vector<std::unique_ptr<Document>> m_documents;
  Document* m_active = nullptr;
  std::unique_ptr<FrameObject> m_frame;
  std::unique_ptr<ApplicationObject> m_app;
  // Goes first: releasing an add-in's callback object may release host interfaces.
  std::unique_ptr<HostConnection> m_connection;
};

}  // namespace standin
