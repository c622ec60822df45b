// Knot vectors and B-spline basis functions, shared by the NURBS curves and
// surfaces.
//
// openNURBS stores order + cv_count - 2 knots per direction: the classic knot
// vector without its first and its last knot, which no basis function on the
// domain depends on. With d = order - 1, span i (0 <= i <= cv_count - order) is
// [knot[i + d - 1], knot[i + d]]; its basis functions depend on the 2d knots
// knot[i] .. knot[i + 2d - 1] and act on the CVs i .. i + d. The domain is
// [knot[order - 2], knot[cv_count - 1]].
#pragma once

// The number of knots openNURBS stores: order + cv_count - 2.
int ON_KnotCount(int order, int cv_count);

// A valid knot vector: order >= 2, cv_count >= order, every knot a valid number,
// non-decreasing, no knot repeated more than order - 1 times, and non-empty first
// and last spans (knot[order-2] < knot[order-1], knot[cv_count-2] < knot[cv_count-1]).
bool ON_IsValidKnotVector(int order, int cv_count, const double* knot);

// Clamped at the start (end 0), the end (end 1) or both (end 2): the first (last)
// order - 1 knots are equal.
bool ON_IsKnotVectorClamped(int order, int cv_count, const double* knot, int end = 2);

// Periodic: order at least 3, enough CVs for a periodic curve (at least order + 2
// and 2 order - 2), and the knot spacing at the end repeats that at the start,
// knot[i + cv_count - order + 1] - knot[i] equal to the domain's length within
// 1.49e-8 of that length.
bool ON_IsKnotVectorPeriodic(int order, int cv_count, const double* knot);

// Uniform knots with spacing delta > 0 from 0: clamped, the first and the last
// order - 1 knots equal (order 3, 5 CVs: 0, 0, 1, 2, 3, 3); periodic, evenly
// spaced throughout with knot[order-2] = 0 (order 4, 7 CVs: -2 .. 6). False
// (and the knots untouched) for impossible arguments.
bool ON_MakeClampedUniformKnotVector(int order, int cv_count, double* knot, double delta = 1.0);
bool ON_MakePeriodicUniformKnotVector(int order, int cv_count, double* knot, double delta = 1.0);

// The span (0 .. cv_count - order) to evaluate at t: the one whose interval
// holds t, taken from the right (side >= 0: knot[i+d-1] <= t < knot[i+d]) or from
// the left (side < 0: knot[i+d-1] < t <= knot[i+d]), so that at a repeated knot
// the span chosen is never empty. A t before the domain gives the first span,
// after it (or NaN) the last or the first. `hint` is ignored: the search is a
// bisection. Assumes a non-decreasing knot vector, but stays within the knots
// for any values.
int ON_NurbsSpanIndex(int order, int cv_count, const double* knot, double t, int side = 0, int hint = 0);

// Turns the homogeneous point and derivatives in v (der_count + 1 entries of
// dim + 1 numbers, v_stride apart, the weight last) into the Euclidean point and
// derivatives of the rational function, in place (the first dim numbers of each
// entry). False, and v unchanged, when the weight is zero.
bool ON_EvaluateQuotientRule(int dim, int der_count, int v_stride, double* v);

namespace on_detail {

// The order basis functions of one span and their derivatives at t. `knot`
// points at the span's 2 (order - 1) knots (knot + span index); N receives
// (der_count + 1) * order numbers, N[k * order + j] the k-th derivative of the
// function of CV j of the span. Derivatives above the degree are zero. False when
// the span is empty, which a valid knot vector rules out.
bool NurbsBasis(int order, const double* knot, double t, int der_count, double* N);

// The point and der_count derivatives at t of the span whose knots and first CV
// are given (cv holds order CVs, cv_stride apart, of dim + is_rat numbers, the
// homogeneous ones with the weight last). v receives der_count + 1 entries of dim
// numbers, v_stride apart: the Euclidean values, the quotient rule applied for a
// rational span. False for an empty span or a zero weight.
bool EvaluateNurbsSpan(int dim, bool is_rat, int order, const double* knot, int cv_stride, const double* cv,
                       int der_count, double t, int v_stride, double* v);

}  // namespace on_detail
