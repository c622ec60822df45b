// Whether one planar face, as body method 72 receives it, is a face a modeller
// would take: the test the host makes before it stores the face.
#pragma once

#include <string>

#include "ShellCheck.h"

namespace standin {

// Corners may lie off the face's plane by this much times the face's size (the
// largest distance between two of its corners), so that the test does not depend
// on the units. It is ten times the share up to which ZTKMesh::BreakQuads calls a
// four-corner face planar and leaves it whole, so that a face it kept is taken
// even after its corners were scaled and rounded again, and even though its
// normal comes from its first three corners only.
inline constexpr double kFacePlaneTolerance = 1e-5;

// Empty when the face is taken; otherwise the reason. Refused are:
// - a normal shorter than 1e-12 (the zero normal of a degenerate triangle);
// - corners that span no area (all on one line or at one point): the area vector
//   of the corner loop is shorter than 1e-12 times the face's size times the
//   larger of that size and the corners' largest coordinate (rounding grows with
//   the distance from the origin);
// - corners that do not lie in one plane: one is farther than the tolerance from
//   the plane through their centre normal to the area vector;
// - a normal on the other side than the corners' winding (right-handed: corners
//   counter-clockwise seen from the tip of the normal);
// - a normal tilted out of that plane's normal: a corner lies farther than the
//   tolerance from the plane through the centre normal to the given normal.
// The face's count, corners and normal are taken to be finite and complete.
std::string PlanarFaceProblem(const PlanarFace& face);

}  // namespace standin
