// Whether a set of planar faces closes into shells, the test a modeller makes
// before it turns a temporary body into a solid.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <vector>

namespace standin {

// A planar face as the host received it: 3 or 4 corners in metres, and the normal.
struct PlanarFace {
  int count;
  std::array<double, 12> corners;  // x, y, z per corner; the fourth unused when count is 3
  std::array<double, 3> normal;
};

// A body's faces; a deque, so that a million of them grow without moving.
using FaceList = std::deque<PlanarFace>;

// Corners closer than this (in every coordinate) are the same point: 1e-9 of the
// largest absolute corner coordinate, and never less than 1e-12 m.
double ShellTolerance(const FaceList& faces);

// Empty when the faces form closed shells: every side of every face is shared with
// exactly one other face, which runs along it in the opposite direction. Otherwise
// the reason. No faces, a face with the same corner twice (within the tolerance),
// a corner that is not a finite number, or a count other than 3 or 4 do not close. Runs in O(n log n): corners are matched through a hash of their grid cell,
// sides through a sort.
std::string ShellProblem(const FaceList& faces);

}  // namespace standin
