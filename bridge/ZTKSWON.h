// The geometry bridge: openNURBS meshes built in host part documents, as one solid
// body of planar faces per mesh or as 3D-sketch lines along the mesh edges; NURBS
// and plane surfaces as faces of host bodies; and host bodies read back as meshes.
//
// Every function returns 1 for success and 0 for failure. A function that fails
// stores one fixed text in the module's last-error text and returns 0; one that
// passes on a callee's 0 stores nothing, so the callee's text stands; success
// stores nothing, so the text of an earlier failure stays. Nothing built in the
// host before a failure is undone.
#pragma once

#include "CString.h"
#include "HostContract.h"
#include "opennurbs.h"

// Import kinds.
inline constexpr int ImportAsSolid = 0;
inline constexpr int ImportAs3DSketch = 1;

// Builds the meshes in new part documents: all in one part when `multiBody` is
// nonzero, otherwise one part per mesh (ImportMeshAsPart). `unitsIndex` sets each
// part's length unit and the scale into metres; an import kind other than the two
// above makes the parts and builds nothing. The caller's meshes are not changed:
// the solid path builds a private copy on which four-corner faces that are not
// planar are split; the sketch path reads each mesh's topology, which the mesh
// caches. Stops at the first mesh that fails.
BOOL ImportMeshes(HostApplication* app, const ON_ClassArray<ON_Mesh>& meshes, int unitsIndex, int importKind,
                  BOOL multiBody, BOOL progress);

// One mesh in one new part.
BOOL ImportMeshAsPart(HostApplication* app, const ON_Mesh& mesh, int unitsIndex, int importKind, BOOL progress);

// One sketch line per topology edge of the mesh, in the topology's order, into the
// 3D sketch open in `doc`; coordinates times `scale`. Lines the host refuses are
// missing, which is not a failure; a null document gets none. Always 1.
BOOL CreateSketchFromMesh(HostDocument* doc, const ON_Mesh& mesh, double scale, BOOL progress);

// CreateSketchFromMesh for every mesh, under one progress window.
BOOL CreateSketchFromMeshes(HostDocument* doc, const ON_ClassArray<ON_Mesh>& meshes, double scale, BOOL progress);

// One temporary body with one planar face per mesh face (corners times `scale`,
// the unit normal of the first three corners), then one body built from them.
// A mesh with a face index outside its vertices is refused before any host call
// ("Unable to create body from surfaces"), as is a null part ("Unable to create
// new body").
BOOL CreateSolidFromMesh(HostPartDocument* part, const ON_Mesh& mesh, double scale, BOOL progress);

// --- Sketch builders ---------------------------------------------------------------
// Points, lines, polylines, arcs and NURBS curves drawn as entities of the sketch
// open in `doc`, one host call per entity. Positions and lengths are multiplied by
// `scale` (metres per model unit); directions, knots and counts are not. They only
// add entities: they open, close and select nothing, store no last-error text, and
// what they drew before a failure stays. A null document gets no call and counts as
// a failure (E_POINTER or 0; the list builders still give 1).

// One sketch point. Returns the host's result unchanged: S_OK (0) when it was added.
HRESULT CreateSketchPoint(HostDocument* doc, const ON_3dPoint& point, double scale);

// One sketch line from the line's start to its end; 1 when the host added it.
BOOL CreateSketchLine(HostDocument* doc, const ON_Line& line, double scale);

// One sketch point per point, every one tried whatever the host answers, under the
// "Creating points" progress window. Always 1.
BOOL CreateSketchPoints(HostDocument* doc, const ON_3dPointArray& points, double scale, BOOL progress);

// One line per segment, point i to point i + 1; stops with 0 at the first segment
// the host refuses. Fewer than two points draw nothing and give 1.
BOOL CreateSketchPolyline(HostDocument* doc, const ON_Polyline& polyline, double scale);

// One spline through the points (an empty list is still handed to the host); 1
// when the host added it. 0 without a host call when memory for the coordinates
// cannot be had.
BOOL CreateSketchSplineThroughPoints(HostDocument* doc, const ON_3dPointArray& points, double scale);

// A closed curve (periodic ones included) as a spline through points sampled every
// 15 degrees of turning; an open one as a spline from its NURBS data: dimension 3,
// order, CV count, periodic flag; the first and the last knot repeated once more
// than openNURBS stores them; the Euclidean CVs, weights dropped. 1 when the host
// added it. An open curve that is no NURBS curve the host could be given (an order
// below 2, fewer CVs than its order, storage that does not hold its counts, a CV
// of weight 0) is refused with 0 before any host call.
BOOL CreateSketchSpline(HostDocument* doc, const ON_NurbsCurve& curve, double scale);

// An arc in the world x-y plane (within 1e-12) as a circle or an arc of the host,
// direction 1 when its normal points to +z, else -1; any other arc as the spline
// of its NURBS form. 1 when the host added it.
BOOL CreateSketchArc(HostDocument* doc, const ON_Arc& arc, double scale);

// Each curve as the first shape it has: a line, an arc, a polyline, else a spline;
// every curve tried whatever the host answers, under the "Creating curves"
// progress window. Always 1.
BOOL CreateSketchCurves(HostDocument* doc, const ON_ClassArray<ON_NurbsCurve>& curves, double scale, BOOL progress);

// --- Surface and boundary curves, and the geometry import --------------------------

// The surface as a grid of iso-curves drawn by CreateSketchCurves: in each
// direction one at every station from the domain's start, advancing by repeated
// addition of the domain's length over that direction's CV count while below the
// end, and one at the end; first the curves along direction 0, then along
// direction 1. A station that gives no iso-curve (an invalid surface) is left out,
// and a step too small to move the station on ends that direction's run at its
// end. Always 1.
BOOL CreateIsoCurveSketch(HostDocument* doc, const ON_NurbsSurface& surface, double scale, BOOL progress);

// CreateIsoCurveSketch for every surface under one "Creating surface curves"
// progress window; 0 as soon as one surface gives 0, else 1.
BOOL CreateSurfaceCurveSketches(HostDocument* doc, const ON_ClassArray<ON_NurbsSurface>& surfaces, double scale,
                                BOOL progress);

// The brep's edge curves drawn by CreateSketchCurves. Always 1.
BOOL CreateBrepEdgeSketch(HostDocument* doc, const ON_Brep& brep, double scale, BOOL progress);

// CreateBrepEdgeSketch for every brep under one "Creating brep curves" progress
// window; 0 as soon as one gives 0, else 1.
BOOL CreateBrepCurveSketches(HostDocument* doc, const ON_ClassArray<ON_Brep>& breps, double scale, BOOL progress);

// A new document of `documentType` (0 part, 1 assembly, 2 drawing; any other value
// makes none and uses the active document) with the length unit of `unitsIndex`,
// into which every kind given (a null pointer is a kind absent) is drawn as sketch
// entities: points, curves, surfaces, breps, meshes, in that order. A part or an
// assembly gets one 3D sketch around all of it. 0 with a stored text when no
// document could be had; else 1, whatever the builders gave (memory running out
// while one kind is drawn ends that kind only).
BOOL ImportGeometry(HostApplication* app, int documentType, int unitsIndex, const ON_3dPointArray* points,
                    const ON_ClassArray<ON_NurbsCurve>* curves, const ON_ClassArray<ON_NurbsSurface>* surfaces,
                    const ON_ClassArray<ON_Brep>* breps, const ON_ClassArray<ON_Mesh>* meshes, BOOL progress);

// --- Surface bodies ------------------------------------------------------------------
// Surfaces and faces of a temporary host body from openNURBS surfaces, and solid
// bodies built of them. Control points and plane origins go to the host times
// `scale` (metres per model unit); knots, normals and parameter ranges unscaled.
// NURBS data goes with its first and last knot each repeated once more (order +
// CV count knots per direction or curve) and with Euclidean control points: a
// rational surface or curve arrives as the non-rational one on those points. A
// surface or curve that is not a valid B-spline (or whose control points cannot
// be read) is refused before any host call, with the text a host refusal gives.

// A B-spline surface on the body (body method 50). On 1, `surface` holds the new
// host surface with one reference for the caller; on 0 it is null, and whatever
// the host handed out with its failure has been released: "Unable to create nurbs
// surface" when the host fails, "Unable to create valid nurbs surface" when it
// succeeds without a surface.
BOOL CreateNurbsSurface(HostBody* body, HostSurface*& surface, const ON_NurbsSurface* nurbs, double scale);

// A plane on the body through the plane surface's scaled origin with its unit
// normal (body method 46); nothing else of the plane surface is sent. The same
// contract, with "Unable to create plane surface" and "Unable to create valid plane
// surface".
BOOL CreatePlaneSurface(HostBody* body, HostSurface*& surface, const ON_PlaneSurface* plane, double scale);

// The curves, in array order, as one trimming loop of the surface (surface method
// 57): the first curve's dimension entry is -3, every other one's 3. "Unable to add
// trimming loop" when the host fails; an empty array makes no host call and fails
// with "Unable to add empty trimming loop".
BOOL AddTrimmingLoop(HostSurface*& surface, const ON_ClassArray<ON_NurbsCurve>& curves, double scale);

// One face on the body: a host surface for the plane or NURBS surface (the plane
// test first), then, without trim curves, the face over the surface's domain
// (body method 53, "Unable to create bounded surface"), or with them, one loop of
// all of them and the trimmed face (body method 19, "Unable to create trimmed
// surface" when it fails or makes no face). The host surface interface is
// released before returning; the face stays with the body. A surface of any other
// kind (or none) makes no host call: "Unable to create surface that is neither a
// plane nor a nurbs surface".
BOOL CreateTrimmedSurface(HostBody* body, const ON_Surface* surface, const ON_ClassArray<ON_NurbsCurve>& trims,
                          double scale);

// A new part with the surface in it, the part's length unit and scale from
// `unitsIndex`: import kind ImportAsSolid builds a body (CreateBodyFromSurface),
// ImportAs3DSketch draws the surface's iso-curves (CreateIsoCurveSketch, with
// `progress`) in a 3D sketch of the active document, entered before and left
// after, any other kind nothing (1). The document is redrawn and zoomed to fit
// whatever the result. "Unable to create part", "Unable to retrieve active
// model"; a null surface makes no part: "No surface to import".
BOOL ImportSurface(HostApplication* app, const ON_NurbsSurface* surface, int unitsIndex, int importKind,
                   double thickness, BOOL flatBase, BOOL progress);

// A temporary body of the part with the surface as its top face, bounded by its
// domain; for a thickness above 0 (not 0, a negative one or NaN) closed downwards
// into a slab (CreateSlabFromSurface, whose result is not consulted: faces made
// before a failure stay). Then the host builds the body from the faces: "Unable to
// create new body" when the part gives no body, "Unable to create body from
// surface" when the build fails. After a failed slab the result is the build's, and
// the slab's text stays even when the build succeeds.
BOOL CreateBodyFromSurface(HostPartDocument* part, const ON_NurbsSurface* surface, double thickness, BOOL flatBase,
                           double scale);

// The five faces under the top face of a relief z = f(x, y) over an axis-parallel
// rectangle, u along +x and v along +y: four vertical side planes with fixed world
// normals (-y, +x, +y, -x), each through the start of its top edge (the boundary
// iso-curves v = vmin, u = umax, v = vmax, u = umin) and trimmed by that edge, two
// vertical corner lines and its bottom edge, every curve in its own direction; and
// the bottom: with `flatBase`, the plane of normal -z at the bottom of the
// surface's bounding box (the box of its control points) less the thickness,
// trimmed by straight bottom edges; otherwise the surface moved down by the
// thickness, bounded by its domain. Any other surface gets the same faces. Stops
// at the first face that fails (its text stands); faces made stay.
BOOL CreateSlabFromSurface(HostBody* body, const ON_NurbsSurface* surface, double thickness, BOOL flatBase,
                           double scale);

// --- Meshes from the host -----------------------------------------------------------
// Host bodies, parts, assembly components and whole documents read back as meshes
// of triangles. Every mesh is in metres, the host's own unit: the tessellation is
// taken as the host gives it, and a component's placement is applied as the host
// gives it, translation included, whatever length unit its document shows (so the
// meshes of one assembly share one unit). Each mesh's vertices at identical
// locations are merged; it has no normals and no texture coordinates. Appended
// meshes and names are copies; the host objects passed in stay the caller's.

// Appends the triangle a, b, c to `mesh`. Refused (0, mesh unchanged) when two
// corners lie at one location as floats, which the triangle's topology test
// refuses, or a corner is not a finite number.
BOOL AppendTriangle(ON_Mesh& mesh, const ON_3dPoint& a, const ON_3dPoint& b, const ON_3dPoint& c);

// Replaces `mesh` with the tessellation of the body, face by face, triangle by
// triangle (refused triangles and faces whose triangles cannot be had are left
// out). 0, mesh unchanged, when the body gives no first face ("Unable to get first
// face of body") or nothing valid is left ("[ZTKSWON::GetMeshFromBody] Invalid mesh").
BOOL GetMeshFromBody(HostBody* body, ON_Mesh& mesh);

// Appends one mesh per body of the part, bodies of type 0 first, then type 1
// (`flag` goes to the host's enumeration unchanged), each with the part's colour as
// the single entry of its colour array (white with alpha 0 when the part has no
// material values) and, when `names` is given, the name "<title>-<body name>": the
// document title up to its last "." ("Part" when the part has no document role).
// 1 when at least one mesh was appended, else "Unable to get part bodies".
BOOL GetPartMeshes(HostPartDocument* part, ON_ClassArray<ON_Mesh>& meshes, CStringArray* names, VARIANT_BOOL flag);

// The same for the bodies of one assembly component, without colour, named
// "<component name>-<body name>" ("Component" when the name cannot be had); else
// "Unable to get component bodies".
BOOL GetComponentMeshes(HostComponent* component, ON_ClassArray<ON_Mesh>& meshes, CStringArray* names);

// Appends the meshes of the component and of every component below it, in
// pre-order: each component's meshes moved by its own placement (relative to the
// assembly, so parents' placements are not composed) and coloured by its material
// values or else its document's; a component with one mesh names it by its own
// name, one with several as GetComponentMeshes does. A child that is one of its own
// ancestors is not walked again. Returns the component's child count.
int GetAssemblyMeshes(HostComponent* component, ON_ClassArray<ON_Mesh>& meshes, CStringArray* names);

// Empties the outputs, then collects the meshes of the assembly's component tree
// (`doc` and `assembly` are two roles of one document). Always 1.
BOOL GetAssemblyDocMeshes(HostDocument* doc, HostAssemblyDocument* assembly, ON_ClassArray<ON_Mesh>& meshes,
                          CStringArray* names);

// Empties the outputs, then collects the meshes of a part (GetPartMeshes, flag
// true) or an assembly. 0 when none was collected: "Unable to extract meshes from
// document".
BOOL GetDocumentMeshes(HostDocument* doc, ON_ClassArray<ON_Mesh>& meshes, CStringArray* names);

// GetDocumentMeshes on the active document; 0 without one ("Unable to retrieve
// active model"), the outputs then untouched.
BOOL GetActiveDocumentMeshes(HostApplication* app, ON_ClassArray<ON_Mesh>& meshes, CStringArray* names);

// Walks the chain of host objects that starts at the object's position 21 (see
// HostContract.h), keeping nothing. A link that gives no second or third object is
// passed over; the walk stops when the next link is null or the current one
// again. Always 1.
BOOL VisitHostObjectChain(IDispatch* object);

// --- Host sketches read back as curves -------------------------------------------------
// The lines, polylines, splines and arcs of a host sketch, read from the flat
// records the sketch hands out, coordinates as the host gives them (metres). The
// sketch stays the caller's. Nothing is reported: no progress, no last-error text.
// Counts stored in the records are read by truncation toward zero; a record is
// never read past the array the host filled. Each reader returns 0 when the
// sketch is null, a count it reports is below 1, the data call fails, the records
// do not fit the size reported (a count that is negative, not a number, or runs
// past the array) or memory runs out; the output is then empty (lines, polylines,
// splines) or as it was (arcs).

// Replaces `lines` with the sketch's lines, start to end.
BOOL GetSketchLines(HostSketch* sketch, ON_ClassArray<ON_Line>& lines);

// Replaces `polylines` with the sketch's polylines, one per record, also one of
// no points.
BOOL GetSketchPolylines(HostSketch* sketch, ON_ClassArray<ON_Polyline>& polylines);

// Replaces `splines` with one curve per spline record: its points as the control
// points of a clamped uniform curve of order 3, knots 1 apart; of order 2 for two
// points; an empty (not valid) curve for fewer.
BOOL GetSketchSplines(HostSketch* sketch, ON_ClassArray<ON_NurbsCurve>& splines);

// Appends the sketch's arcs to `arcs`. Start and end at most 0.0001 apart make a
// full circle about the centre, parallel to the world XY plane, of the radius from
// the centre to the start. Any other arc runs from the start, in the plane of the
// start and the end about the centre, with that radius, towards the end:
// counter-clockwise seen from +Z, or clockwise for the direction -1.0. A start and
// an end on opposite sides of the centre take the plane whose second axis is the
// start's direction turned a quarter turn about Z. Values no arc has (a start on
// the centre, a NaN, a half circle about the Z axis) still give one arc per
// record, one that is not valid.
BOOL GetSketchArcs(HostSketch* sketch, ON_ClassArray<ON_Arc>& arcs);

// Replaces the curves of `curves` (deleting them) with new curves: all lines, then
// all polylines, all splines and all arcs, each kind in the host's order; a kind
// whose reader gives 0 adds nothing. 1, or 0 with `curves` empty when memory runs
// out.
BOOL GetSketchCurves(HostSketch* sketch, ON_CurveArray& curves);

namespace ZTKSWON {

// A copy of the module's last-error text; empty until one of its functions fails.
CString GetLastErrorText();
void SetLastErrorText(const CString& text);

}  // namespace ZTKSWON
