// Every operation this system makes on the host, named by role and by its position
// in the role's method table (counting IUnknown 0-2 and IDispatch 3-6). No other
// file computes a table position: code calls the typed functions below.
//
// Call contract, kept by every caller:
// - out-parameters start null (use CountedPtr::Out and BstrHolder::Out);
// - whoever receives an interface releases it, on every path;
// - a returned string is copied, then freed; a null string reads as empty;
// - where a result is judged, only S_OK is success.
#pragma once

#include <cstdint>

#include "ComBase.h"

// The host's roles. Each is an IDispatch-based interface whose methods are reached
// only through the positions below.
struct HostApplication : IDispatch {};
struct HostFrame : IDispatch {};
struct HostDocument : IDispatch {};
struct HostPartDocument : IDispatch {};
struct HostBody : IDispatch {};
struct HostCommandManager : IDispatch {};
struct HostCommandGroup : IDispatch {};
struct HostCommandTab : IDispatch {};
struct HostCommandTabBox : IDispatch {};
// The roles of the further conversions.
struct HostAssemblyDocument : IDispatch {};
struct HostDrawingDocument : IDispatch {};
struct HostFace : IDispatch {};
struct HostSurface : IDispatch {};
struct HostSketch : IDispatch {};
struct HostComponent : IDispatch {};
struct HostComponentTree : IDispatch {};
// An enumerator: IUnknown-based, so its Next is position 3.
struct HostBodyEnumerator : IUnknown {};

// The interface id under which the object handed to the add-in's connect method
// gives its HostApplication role.
inline constexpr IID IID_HostApplication = {
    0x83A33D22, 0x27C5, 0x11CE, {0xBF, 0xD4, 0x00, 0x40, 0x05, 0x13, 0xBB, 0x57}};
// The interface ids under which one document object gives its document, part and
// assembly roles.
inline constexpr IID IID_HostDocument = {
    0xB90793FB, 0xEF3D, 0x4B80, {0xA5, 0xC4, 0x99, 0x95, 0x9C, 0xDB, 0x6C, 0xEB}};
inline constexpr IID IID_HostPartDocument = {
    0x83A33D32, 0x27C5, 0x11CE, {0xBF, 0xD4, 0x00, 0x40, 0x05, 0x13, 0xBB, 0x57}};
inline constexpr IID IID_HostAssemblyDocument = {
    0x83A33D35, 0x27C5, 0x11CE, {0xBF, 0xD4, 0x00, 0x40, 0x05, 0x13, 0xBB, 0x57}};
// The host's application events, and the type library that describes them.
inline constexpr IID IID_HostAppEvents = {
    0x83A33D22, 0x37C5, 0x11CE, {0xBF, 0xD4, 0x00, 0x40, 0x05, 0x13, 0xBB, 0x57}};
inline constexpr GUID LIBID_HostTypeLibrary = {
    0x83A33D31, 0x27C5, 0x11CE, {0xBF, 0xD4, 0x00, 0x40, 0x05, 0x13, 0xBB, 0x57}};

// The host's type library under the name the add-in's event sink uses.
namespace SldWorks {
inline constexpr GUID LIBID_SldWorks = LIBID_HostTypeLibrary;
}  // namespace SldWorks

// The add-in interface that the host calls on an add-in object: position 3
// connects the add-in to the running host, position 4 disconnects it.
namespace SWPublished {
inline constexpr IID IID_ISwAddin = {
    0xDA306A0D, 0xEAC5, 0x4406, {0x86, 0x10, 0xB1, 0xDA, 0x80, 0x5D, 0x92, 0x70}};
struct ISwAddin : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE ConnectToSW(IDispatch* ThisSW, LONG Cookie, VARIANT_BOOL* IsConnected) = 0;
  virtual HRESULT STDMETHODCALLTYPE DisconnectFromSW(VARIANT_BOOL* IsDisconnected) = 0;
};
}  // namespace SWPublished

namespace HostOp {

// Calls entry N of the object's method table with the object as first argument,
// which is how both the Windows x64 and the Linux ABI pass `this` to a method.
template <int N, class Role, class... Args>
inline HRESULT Call(Role* object, Args... args) {
  using Method = HRESULT(STDMETHODCALLTYPE*)(Role*, Args...);
  Method method = reinterpret_cast<Method>((*reinterpret_cast<void***>(object))[N]);
  return method(object, args...);
}

// --- HostApplication ---------------------------------------------------------------
inline HRESULT ActiveDocument(HostApplication* a, HostDocument** doc) { return Call<8>(a, doc); }
// Has the host load a file by path; the second text is the host's own argument.
// The out value is the host's too: callers ignore it, and a LONG holds whatever
// the host writes there.
inline HRESULT LoadFile(HostApplication* a, BSTR path, BSTR argument, LONG* ignored) {
  return Call<58>(a, path, argument, ignored);
}
inline HRESULT Frame(HostApplication* a, HostFrame** frame) { return Call<15>(a, frame); }
inline HRESULT NewPart(HostApplication* a, HostPartDocument** part) { return Call<19>(a, part); }
inline HRESULT NewAssembly(HostApplication* a, HostAssemblyDocument** assembly) { return Call<21>(a, assembly); }
// The five values are the host's own: the geometry import passes 11, 0, 11, 0.0,
// 0.0. The second fills a whole 64-bit argument.
inline HRESULT NewDrawing(HostApplication* a, LONG first, int64_t second, LONG third, double fourth, double fifth,
                          HostDrawingDocument** drawing) {
  return Call<47>(a, first, second, third, fourth, fifth, drawing);
}
inline HRESULT RevisionNumber(HostApplication* a, BSTR* revision) { return Call<25>(a, revision); }
inline HRESULT SetAddinCallbackInfo(HostApplication* a, LONG moduleHandle, IDispatch* callbacks, LONG cookie,
                                    VARIANT_BOOL* ok) {
  return Call<155>(a, moduleHandle, callbacks, cookie, ok);
}
inline HRESULT RemoveFileOpenItem(HostApplication* a, LONG cookie, BSTR callback, BSTR filter, BSTR extension,
                                  VARIANT_BOOL* ok) {
  return Call<178>(a, cookie, callback, filter, extension, ok);
}
inline HRESULT CommandManager(HostApplication* a, LONG cookie, HostCommandManager** manager) {
  return Call<231>(a, cookie, manager);
}
inline HRESULT AddFileOpenItem(HostApplication* a, LONG cookie, BSTR callback, BSTR filter, BSTR extension,
                               BSTR description, BSTR hint, VARIANT_BOOL* ok) {
  return Call<247>(a, cookie, callback, filter, extension, description, hint, ok);
}

// --- HostFrame -------------------------------------------------------------------------
inline HRESULT WindowHandle(HostFrame* f, LONG* handle) { return Call<17>(f, handle); }

// --- HostDocument ----------------------------------------------------------------------
inline HRESULT SetUnits(HostDocument* d, LONG unitCode) { return Call<14>(d, unitCode); }
inline HRESULT ClearSelection(HostDocument* d) { return Call<82>(d); }
inline HRESULT ViewZoomToFit(HostDocument* d) { return Call<349>(d); }
// The out value is a sketch segment or null; the caller releases what it gets.
inline HRESULT CreateLine(HostDocument* d, double x1, double y1, double z1, double x2, double y2, double z2,
                          IDispatch** segment) {
  return Call<542>(d, x1, y1, z1, x2, y2, z2, segment);
}
inline HRESULT GraphicsRedraw(HostDocument* d) { return Call<560>(d); }
// The sketch entities, in metres, each into the sketch open in the document. The
// out value is the new sketch point or segment, or null; the caller releases what
// it gets.
inline HRESULT CreatePoint(HostDocument* d, double x, double y, double z, IDispatch** point) {
  return Call<540>(d, x, y, z, point);
}
inline HRESULT CreateCircle(HostDocument* d, double cx, double cy, double cz, double radius, IDispatch** segment) {
  return Call<551>(d, cx, cy, cz, radius, segment);
}
// Direction 1: counter-clockwise seen from +z; -1: clockwise.
inline HRESULT CreateArc(HostDocument* d, double cx, double cy, double cz, double sx, double sy, double sz, double ex,
                         double ey, double ez, SHORT direction, IDispatch** segment) {
  return Call<553>(d, cx, cy, cz, sx, sy, sz, ex, ey, ez, direction, segment);
}
// `count` points as x, y, z in turn.
inline HRESULT CreateSplineThroughPoints(HostDocument* d, LONG count, const double* xyz, IDispatch** segment) {
  return Call<559>(d, count, xyz, segment);
}
// Properties: dimension (3), order, CV count, periodic flag; order + CV count
// knots (the classic knot vector); x, y, z of each CV.
inline HRESULT CreateSplineFromNurbs(HostDocument* d, const LONG* properties, const double* knots,
                                     const double* cvs, IDispatch** segment) {
  return Call<578>(d, properties, knots, cvs, segment);
}
inline HRESULT SetAddToDatabase(HostDocument* d, LONG on) { return Call<237>(d, on); }
inline HRESULT SetDisplayWhenAdded(HostDocument* d, LONG on) { return Call<235>(d, on); }
inline HRESULT Insert3DSketch(HostDocument* d, LONG updateEditRebuild) { return Call<656>(d, updateEditRebuild); }
// Writes the document's solid data to a file. The three numbers mean what the host
// says they mean; the error value is 0 when the host reports no problem.
inline HRESULT ExtractSolidData(HostDocument* d, BSTR path, LONG option, SHORT first, SHORT second, LONG* error) {
  return Call<509>(d, path, option, first, second, error);
}

// --- HostPartDocument ------------------------------------------------------------------
inline HRESULT CreateTemporaryBody(HostPartDocument* p, HostBody** body) { return Call<31>(p, body); }

// --- HostBody --------------------------------------------------------------------------
// The out value is the built body or null; the caller releases what it gets.
inline HRESULT CreateBodyFromSurfaces(HostBody* b, IDispatch** built) { return Call<12>(b, built); }
inline HRESULT CreatePlanarSurface(HostBody* b, LONG cornerCount, const double* corners, const double* normal) {
  return Call<72>(b, cornerCount, corners, normal);
}
// The surfaces of a temporary body, in metres. The header: order u, order v, CV
// count v, CV count u, periodic u, periodic v, 3, 0; knots order + count per
// direction; points u fastest, 3 per CV. The out surface is the caller's to release.
inline HRESULT CreateBSplineSurface(HostBody* b, const LONG* header, const double* uKnots, const double* vKnots,
                                    const double* points, HostSurface** surface) {
  return Call<50>(b, header, uKnots, vKnots, points, surface);
}
inline HRESULT CreatePlane(HostBody* b, const double* origin, const double* normal, HostSurface** surface) {
  return Call<46>(b, origin, normal, surface);
}
// The face of the body's last surface: trimmed by its loop, or over a range
// (umin, umax, vmin, vmax) after the two leading 1s.
inline HRESULT CreateTrimmedFace(HostBody* b, VARIANT_BOOL* made) { return Call<19>(b, made); }
inline HRESULT CreateBoundedFace(HostBody* b, LONG first, LONG second, const double* range) {
  return Call<53>(b, first, second, range);
}

// --- HostSurface -----------------------------------------------------------------------
// One trimming loop of n curves: dimension entries -3 for the first, 3 for the
// others; knot counts order + CV count; knots and points (3 per CV) curve after
// curve; the last argument null.
inline HRESULT AddTrimLoop(HostSurface* s, LONG n, const LONG* orders, const LONG* dimensions, const LONG* periodic,
                           const LONG* knotCounts, const LONG* cvCounts, const double* knots, const double* points,
                           const void* reserved) {
  return Call<57>(s, n, orders, dimensions, periodic, knotCounts, cvCounts, knots, points, reserved);
}

// --- HostCommandManager ----------------------------------------------------------------
inline HRESULT CreateCommandGroup(HostCommandManager* m, LONG userId, BSTR title, BSTR tooltip, BSTR hint,
                                  LONG position, HostCommandGroup** group) {
  return Call<7>(m, userId, title, tooltip, hint, position, group);
}
inline HRESULT RemoveCommandGroup(HostCommandManager* m, LONG userId, VARIANT_BOOL* ok) {
  return Call<8>(m, userId, ok);
}
inline HRESULT CommandTabCount(HostCommandManager* m, LONG docType, LONG* count) {
  return Call<14>(m, docType, count);
}
inline HRESULT GetCommandTab(HostCommandManager* m, LONG docType, BSTR name, HostCommandTab** tab) {
  return Call<17>(m, docType, name, tab);
}
inline HRESULT AddCommandTab(HostCommandManager* m, LONG docType, BSTR name, HostCommandTab** tab) {
  return Call<18>(m, docType, name, tab);
}

// --- HostCommandGroup ------------------------------------------------------------------
inline HRESULT Activate(HostCommandGroup* g, VARIANT_BOOL* ok) { return Call<10>(g, ok); }
// The icon files, named as the host names its four slots. The main-icon names
// read the other way round from what the set-up hands them: position 12, the
// "small" main icon, receives the single 24-pixel image (resource 202), and
// position 14, the "large" one, the single 16-pixel image (resource 204).
inline HRESULT SetSmallMainIcon(HostCommandGroup* g, BSTR file) { return Call<12>(g, file); }  // 24-pixel image
inline HRESULT SetLargeMainIcon(HostCommandGroup* g, BSTR file) { return Call<14>(g, file); }  // 16-pixel image
// The strip of four 24-pixel images (resource 205).
inline HRESULT SetLargeIconList(HostCommandGroup* g, BSTR file) { return Call<16>(g, file); }
// The strip of four 16-pixel images (resource 208).
inline HRESULT SetSmallIconList(HostCommandGroup* g, BSTR file) { return Call<18>(g, file); }
inline HRESULT SetMaskColor(HostCommandGroup* g, LONG value) { return Call<20>(g, value); }
inline HRESULT SetHasToolbar(HostCommandGroup* g, LONG on) { return Call<27>(g, on); }
inline HRESULT SetHasMenu(HostCommandGroup* g, LONG on) { return Call<29>(g, on); }
inline HRESULT AddCommandItem(HostCommandGroup* g, BSTR name, LONG position, BSTR hint, BSTR tooltip,
                              LONG imageIndex, BSTR callback, BSTR enableMethod, LONG userId, LONG options,
                              LONG* index) {
  return Call<34>(g, name, position, hint, tooltip, imageIndex, callback, enableMethod, userId, options, index);
}
inline HRESULT CommandId(HostCommandGroup* g, LONG index, LONG* id) { return Call<36>(g, index, id); }

// --- HostCommandTab and HostCommandTabBox ----------------------------------------------
inline HRESULT AddCommandTabBox(HostCommandTab* t, HostCommandTabBox** box) { return Call<10>(t, box); }
inline HRESULT AddCommands(HostCommandTabBox* b, LONG count, const LONG* ids, const LONG* textTypes,
                           VARIANT_BOOL* ok) {
  return Call<8>(b, count, ids, textTypes, ok);
}

// --- Reading bodies, parts and assemblies back as meshes ---------------------------
inline HRESULT ActiveModel(HostApplication* a, HostDocument** doc) { return Call<165>(a, doc); }

inline HRESULT LengthUnit(HostDocument* d, LONG* unitCode) { return Call<13>(d, unitCode); }
inline HRESULT Title(HostDocument* d, BSTR* title) { return Call<90>(d, title); }
inline HRESULT ComponentTree(HostDocument* d, HostComponentTree** tree) { return Call<321>(d, tree); }

// Red, green and blue fractions in entries 0-2, transparency in entry 7, of 9 values.
inline HRESULT MaterialValues(HostPartDocument* p, double* values) { return Call<88>(p, values); }
inline HRESULT Bodies(HostPartDocument* p, LONG bodyType, VARIANT_BOOL flag, HostBodyEnumerator** bodies) {
  return Call<141>(p, bodyType, flag, bodies);
}

inline HRESULT ResolveComponents(HostAssemblyDocument* a, LONG option, LONG* result) {
  return Call<62>(a, option, result);
}

inline HRESULT FirstFace(HostBody* b, HostFace** face) { return Call<8>(b, face); }
inline HRESULT BodyName(HostBody* b, BSTR* name) { return Call<173>(b, name); }

inline HRESULT NextFace(HostFace* f, HostFace** next) { return Call<18>(f, next); }
// Triangles as 9 floats each (x, y, z of the three corners), for TriangleCount triangles.
inline HRESULT Triangles(HostFace* f, LONG option, float* corners) { return Call<46>(f, option, corners); }
inline HRESULT TriangleCount(HostFace* f, LONG* count) { return Call<48>(f, count); }

inline HRESULT NextBodies(HostBodyEnumerator* e, LONG count, HostBody** bodies, LONG* fetched) {
  return Call<3>(e, count, bodies, fetched);
}

inline HRESULT ChildComponents(HostComponent* c, HostComponent** children) { return Call<8>(c, children); }
inline HRESULT ChildCount(HostComponent* c, LONG* count) { return Call<9>(c, count); }
// 16 values: t[0..8] the rotation by columns, t[9..11] the translation, the rest unread.
inline HRESULT ComponentTransform(HostComponent* c, double* values) { return Call<11>(c, values); }
inline HRESULT ComponentMaterialValues(HostComponent* c, double* values) { return Call<16>(c, values); }
inline HRESULT ComponentDocument(HostComponent* c, HostDocument** doc) { return Call<31>(c, doc); }
inline HRESULT ComponentName(HostComponent* c, BSTR* name) { return Call<69>(c, name); }
inline HRESULT ComponentBodies(HostComponent* c, LONG bodyType, HostBodyEnumerator** bodies) {
  return Call<119>(c, bodyType, bodies);
}

inline HRESULT RootComponent(HostComponentTree* t, HostComponent** root) { return Call<32>(t, root); }

// The objects of the chain VisitHostObjectChain walks, which have no role of their
// own: the chain's first object, and per link a second object, its third object,
// the third's count, a mark and the next link (written over the current one).
inline HRESULT ChainFirst(IDispatch* o, IDispatch** first) { return Call<21>(o, first); }
inline HRESULT ChainNext(IDispatch* o, IDispatch** current) { return Call<8>(o, current); }
inline HRESULT ChainMark(IDispatch* o, LONG* value) { return Call<9>(o, value); }
inline HRESULT ChainLinkedObject(IDispatch* o, IDispatch** second) { return Call<92>(o, second); }
inline HRESULT ChainThirdObject(IDispatch* o, IDispatch** third) { return Call<10>(o, third); }
inline HRESULT ChainCount(IDispatch* o, LONG* count) { return Call<25>(o, count); }

// --- HostSketch: the sketch's entities as flat records of doubles --------------------
// Each kind in two calls: the count (lines, arcs) or the size in doubles and the
// count (splines, polylines), then the data call that fills the caller's array of
// 12 or 16 doubles per line or arc, or of the size.
inline HRESULT SketchLineCount(HostSketch* s, LONG* count) { return Call<33>(s, count); }
inline HRESULT SketchArcCount(HostSketch* s, LONG* count) { return Call<34>(s, count); }
inline HRESULT SketchSplineSize(HostSketch* s, LONG* size, LONG* count) { return Call<37>(s, size, count); }
inline HRESULT SketchPolylineSize(HostSketch* s, LONG* size, LONG* count) { return Call<187>(s, size, count); }
inline HRESULT SketchLines(HostSketch* s, double* records) { return Call<146>(s, records); }
inline HRESULT SketchArcs(HostSketch* s, double* records) { return Call<148>(s, records); }
inline HRESULT SketchSplines(HostSketch* s, double* records) { return Call<150>(s, records); }
inline HRESULT SketchPolylines(HostSketch* s, double* records) { return Call<186>(s, records); }

}  // namespace HostOp
