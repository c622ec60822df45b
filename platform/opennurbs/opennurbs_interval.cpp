#include "opennurbs_interval.h"

const ON_Interval ON_Interval::EmptyInterval;
const ON_Interval ON_Interval::ZeroToOne(0.0, 1.0);
