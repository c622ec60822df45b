// Mesh helpers on openNURBS meshes.
#pragma once

#include "opennurbs.h"

class ZTKMesh {
 public:
  // What BreakQuads splits.
  enum BreakMode {
    BreakAllQuads = 0,      // every four-corner face
    BreakNonPlanarQuads = 1 // only four-corner faces whose corners are not coplanar
  };

  // Breaks four-corner faces of `mesh` into triangles in place.
  //
  // A face chosen by `mode` is cut along its shorter diagonal into two triangles
  // with the face's own corner order (so its orientation is kept): the first
  // replaces the face at its index, the second is appended after the mesh's last
  // face, so no other face moves. A corner lies off the plane when the quad's
  // twist (the distance of its corners from the plane through their centre,
  // normal to the cross product of the diagonals) exceeds 1e-6 times its longer
  // diagonal, which makes the test independent of the model's size and units.
  //
  // A four-corner face with exactly two consecutive corners at one location is a
  // triangle: it becomes the triangle of its three distinct corners, in order,
  // whatever the mode. Four-corner faces that degenerate otherwise (no area, or
  // repeated opposite corners) have no plane or diagonal to cut along and are
  // left whole, as are faces with a vertex index outside the mesh.
  //
  // Returns the number of four-corner faces replaced (split or reduced); when
  // `count` is not null it receives the same number. An unknown mode changes
  // nothing and gives -1 (and 0 in *count).
  static int BreakQuads(ON_Mesh& mesh, int mode, int* count);
};
