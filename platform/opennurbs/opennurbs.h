// The openNURBS subset this system uses, written with the library's names and
// meanings so that the real library could take its place.
#pragma once

#include "opennurbs_arc.h"
#include "opennurbs_arccurve.h"
#include "opennurbs_array.h"
#include "opennurbs_bounding_box.h"
#include "opennurbs_circle.h"
#include "opennurbs_color.h"
#include "opennurbs_curve.h"
#include "opennurbs_defines.h"
#include "opennurbs_geometry.h"
#include "opennurbs_interval.h"
#include "opennurbs_knot.h"
#include "opennurbs_line.h"
#include "opennurbs_linecurve.h"
#include "opennurbs_mesh.h"
#include "opennurbs_nurbscurve.h"
#include "opennurbs_plane.h"
#include "opennurbs_point.h"
#include "opennurbs_polylinecurve.h"
#include "opennurbs_xform.h"
