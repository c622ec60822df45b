// The openNURBS subset this system uses, written with the library's names and
// meanings so that the real library could take its place.
#pragma once

#include "opennurbs_array.h"
#include "opennurbs_bounding_box.h"
#include "opennurbs_color.h"
#include "opennurbs_geometry.h"
#include "opennurbs_mesh.h"
#include "opennurbs_point.h"
#include "opennurbs_xform.h"
