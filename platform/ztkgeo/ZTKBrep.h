// Brep helpers on openNURBS breps.
#pragma once

#include "opennurbs.h"

class ZTKBrep {
 public:
  // Appends the edge curves of `brep` to `curves` as NURBS curves, one per edge
  // in the order of brep.m_E, and returns how many it appended.
  //
  // Each curve is the NURBS form of its edge in the brep's coordinates: the
  // edge's 3D curve over the part of it the edge uses, reversed where the edge
  // runs against its curve, so that it starts at the edge's start vertex and
  // ends at its end vertex, with the edge's own domain. An edge shared by several
  // faces, a seam included, is one edge and gives one curve. An edge without a
  // valid 3D curve, or whose curve has no NURBS form, is left out (so the count
  // tells how many edges gave none); the curves already in the list are kept.
  static int GetEdgeCurves(const ON_Brep& brep, ON_ClassArray<ON_NurbsCurve>& curves);
};
