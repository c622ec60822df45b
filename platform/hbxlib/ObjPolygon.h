// Triangulation of the faces of more than four corners.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "opennurbs_point.h"

namespace hbx {

// Cuts the polygon whose corners are the vertices points[corners[0..count)] into
// triangles by ear clipping in the polygon's best-fit plane (its Newell normal), so
// concave polygons come out right. Each triangle keeps the polygon's winding and is
// appended to `triangles` as three entries of `corners`. Triangles that would use one
// vertex twice (the bridge of a polygon that runs around a hole) are left out.
// Self-intersecting or flat-to-a-line polygons still give count - 2 triangles at
// most, and the work is bounded, so no input makes it run for long.
void TriangulatePolygon(const int32_t* corners, size_t count, const ON_3fPoint* points,
                        std::vector<int32_t>& triangles);

}  // namespace hbx
