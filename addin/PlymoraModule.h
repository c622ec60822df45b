// The DLL's module object and application object, built when the DLL loads.
#pragma once

#include "AfxWin.h"
#include "AtlModule.h"

// The COM server module: type library PlymoraLib and the object map
// (CBitmapHandler, then CPlymora: the order of registration).
class CPlymoraModule : public CComDllModule {
 public:
  CPlymoraModule();
};

// The application object of the DLL.
class CPlymoraApp : public CWinApp {
 public:
  CPlymoraApp();
};

extern CPlymoraApp theApp;
extern CPlymoraModule theModule;
