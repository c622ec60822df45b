// The add-in's caption, which titles every message box and the about box, and the
// Help and About commands.
#pragma once

#include "HostContract.h"

// "Plymora for <host release> version 1.0", rebuilt by every command that shows a window.
extern wchar_t AddinCaption[256];

void BuildCaption(HostApplication* app);
// Opens "Plymora.chm" beside this DLL with the shell; warns when the shell cannot.
void ShowHelp(HostApplication* app);
void ShowAbout(HostApplication* app);
