// The constants and number tests openNURBS code shares: the "unset" markers that
// stand for a value nobody has set, and the tolerances of its comparisons.
#pragma once

#include <cmath>

#ifndef ON_PI
#define ON_PI 3.141592653589793238462643
#endif

// A value that has not been set; a failed evaluation returns points made of it.
#define ON_UNSET_VALUE (-1.23432101234321e+308)
#define ON_UNSET_POSITIVE_VALUE 1.23432101234321e+308

// Differences up to these count as zero: absolute, and relative to the size of the
// numbers compared.
#define ON_ZERO_TOLERANCE 2.3283064365386962890625e-10
#define ON_RELATIVE_TOLERANCE 2.27373675443232059478759765625e-13
#define ON_EPSILON 2.2204460492503131e-16
#define ON_SQRT_EPSILON 1.490116119385000000e-8

// A number is valid when it is finite and not one of the unset markers.
inline bool ON_IsValid(double x) { return x > ON_UNSET_VALUE && x < ON_UNSET_POSITIVE_VALUE; }
