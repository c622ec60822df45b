// Storage and single control points shared by the NURBS curves and surfaces: the
// owned blocks of doubles they keep their knots and CVs in, and the CV of dim
// numbers (plus the weight, last, when rational) read, written, boxed and
// transformed the way openNURBS does. Callers have checked that cv points at a
// whole CV.
#pragma once

#include "opennurbs_point.h"
#include "opennurbs_xform.h"

namespace on_detail {

// Grows a block of doubles owned by a curve or surface to `needed` (new ones
// zero; capacity 0: a block lent to it, copied but never freed). False when
// memory runs out, with the block unchanged.
bool ReserveDoubles(double*& p, int& capacity, int needed);
// Frees an owned block; forgets a lent one.
void ReleaseDoubles(double*& p, int& capacity);

// The Euclidean point (x, y, z), coordinates beyond dim dropped and missing ones
// 0; a rational CV gets the weight 1.
void SetCV(int dim, bool is_rat, double* cv, const ON_3dPoint& point);
// The homogeneous point; a non-rational CV gets (x/w, y/w, z/w), and refuses w 0.
bool SetCV(int dim, bool is_rat, double* cv, const ON_4dPoint& point);
// The Euclidean point; false (and the unset point) for a zero weight.
bool GetCV(int dim, bool is_rat, const double* cv, ON_3dPoint& point);
// The homogeneous point; weight 1 for a non-rational CV.
void GetCV(int dim, bool is_rat, const double* cv, ON_4dPoint& point);

// Grows boxmin/boxmax (dim numbers each) by the Euclidean CV, or starts them
// with it when `first`; false for a zero weight.
bool GrowBox(int dim, bool is_rat, const double* cv, bool first, double* boxmin, double* boxmax);

// True when the transformation has a projective row, which only a rational CV
// can carry.
bool IsProjective(const ON_Xform& xform);
// Transforms the CV as a homogeneous point (dim at most 3; the weight is kept
// when the CV is not rational, which IsProjective transformations rule out).
void TransformCV(const ON_Xform& xform, int dim, bool is_rat, double* cv);

}  // namespace on_detail
