// Sampling NURBS curves.
#pragma once

#include "opennurbs.h"

class ZTKNurbsCurve {
 public:
  // Replaces `points` with points of the curve in order along it, close enough
  // that the curve's tangent turns by at most `angle_degrees` from one point to
  // the next: the start, then within every span (knot interval) the points where
  // halving the span's parameter interval, again and again, stops turning the
  // tangent by more than that between a piece's ends and its middle, ending with
  // the span's end; the last point is the curve's end (on a closed curve the
  // start again). A straight span gives only its ends, so the corners of a
  // polyline are kept exactly. Halving stops after 10 levels (1024 pieces per
  // span) and, once the list holds 2^20 points, for good, so that every curve gets
  // a bounded list.
  //
  // 1 on success; 0, with an empty list, for a curve that is not valid or cannot
  // be evaluated (a zero weight sum), or an angle outside (0, 180].
  static int GetPoints(const ON_NurbsCurve& curve, ON_3dPointArray& points, double angle_degrees);
};
