#include "ImportCommand.h"

// The command's body lands with the options dialog and the mesh reader; until then
// it imports nothing and says so in its result.
int RunImportCommand(HostApplication* /*app*/, CString /*path*/) { return 0; }
