#include "Caption.h"

// The commands' bodies land with the caption module; until then they do nothing.
void ShowHelp(HostApplication* /*app*/) {}
void ShowAbout(HostApplication* /*app*/) {}
