// Recognising curves as lines, arcs and polylines.
//
// Each test takes any openNURBS curve, judges its exact NURBS form
// (ON_Curve::GetNurbForm; an ON_NurbsCurve is judged as it is) and returns 1 when
// the curve has the shape asked about, writing that shape into the output, or 0,
// leaving the output as it was. A curve that is not valid, has no NURBS form, has
// a weight of zero or below, or collapses to a point is none of the three.
//
// Tolerance: a curve's size is the diagonal of the box of its Euclidean control
// points, and it "lies on" a shape when it is within kRelativeTolerance of that
// size from it, so the tests mean the same whatever the model's units.
#pragma once

#include "opennurbs.h"

class ZTKCurve {
 public:
  static constexpr double kRelativeTolerance = 1e-9;

  // A line: the curve runs straight from its start to its end, never turning
  // back: every control point lies on the line through the ends and they advance
  // along it in order (so the curve itself does, the convex hull and variation
  // diminishing properties of positive weights). `line` receives the start and
  // the end; a closed curve has no line.
  static int IsLine(const ON_Curve* curve, ON_Line& line);

  // An arc: the curve lies on one circle and runs round it in one sense, by more
  // than nothing and at most one full turn. The circle is the one through the
  // points at 0, 1/3 and 2/3 of the domain; the curve is checked against it at
  // the ends of every span and 32 points within each, for its distance from the
  // circle's plane and centre and for an angle that never decreases. The arc is
  // written counter-clockwise about its plane's normal (the normal is chosen so),
  // starting at the curve's start: its plane's origin is the centre, its x axis
  // points at the start, its angle interval is [0, angle] (2 pi for a closed
  // curve). Curves of degree 1 are never arcs.
  static int IsArc(const ON_Curve* curve, ON_Arc& arc);

  // A polyline: every span of the curve is straight (its control points on the
  // line through its ends, in order) and consecutive spans meet. `polyline`
  // receives the corners in order along the curve: the start, every point where
  // the direction changes (a turn back included), and the end; points where the
  // curve goes on straight, and spans of no length, give no corner. At least two
  // points; a straight curve gives its two ends.
  static int IsPolyline(const ON_Curve* curve, ON_Polyline& polyline);
};
