// The geometry bridge: openNURBS meshes built in host part documents, as one solid
// body of planar faces per mesh or as 3D-sketch lines along the mesh edges.
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

namespace ZTKSWON {

// A copy of the module's last-error text; empty until one of its functions fails.
CString GetLastErrorText();
void SetLastErrorText(const CString& text);

}  // namespace ZTKSWON
