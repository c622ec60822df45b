// The Import command: from an OBJ file (given, or chosen in a file dialog) through
// the options dialog and the reader to new part documents in the host.
#pragma once

#include "CString.h"
#include "HostContract.h"

// 1 when the meshes were imported; 0 on a cancel (silent) or a failure (one warning box).
BOOL RunImportCommand(HostApplication* app, CString path);
// The options step on its own: 1 and the five settings after OK, 0 after Cancel.
BOOL RunOptionsDialog(int* units, int* importAs, int* multiBody, int* yUp, int* progress);
