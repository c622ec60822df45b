// The add-in's caption, which titles every message box and the about box, and the
// Help and About commands.
#pragma once

#include "HostContract.h"

// "Plymora for <host release> version 1.0", rebuilt by every command that shows a window.
extern wchar_t AddinCaption[256];

void BuildCaption(HostApplication* app);
// The add-in's warning: `text` in a box titled with the caption, owned by the
// host's main window when there is one.
void ShowWarning(HostApplication* app, const wchar_t* text);
// Opens "Plymora.chm" beside this DLL with the shell; warns when the shell cannot.
void ShowHelp(HostApplication* app);
void ShowAbout(HostApplication* app);
