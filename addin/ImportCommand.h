// The Import command: reads an OBJ file and hands its meshes to the mesh import.
#pragma once

#include "CString.h"
#include "HostContract.h"

// Runs the Import command for `path` (empty: the user picks the file). Returns 1
// when the import succeeded, 0 otherwise; failures are reported to the user.
int RunImportCommand(HostApplication* app, CString path);
