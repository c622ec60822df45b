// The add-in's caption and the Help and About commands.
#pragma once

#include "HostContract.h"

// The Help command: opens the help file beside the DLL.
void ShowHelp(HostApplication* app);
// The About command: shows the about box.
void ShowAbout(HostApplication* app);
