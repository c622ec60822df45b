#include "PlymoraModule.h"

#include "BitmapHandler.h"
#include "Plymora.h"

namespace {
ComObjectMapEntry g_objectMap[] = {
    ObjectMapEntry<CBitmapHandler>(),
    ObjectMapEntry<CPlymora>(),
    {nullptr, nullptr, nullptr, nullptr},
};
}  // namespace

CPlymoraModule::CPlymoraModule() : CComDllModule(LIBID_PlymoraLib, g_objectMap) {}

CPlymoraApp::CPlymoraApp() : CWinApp(L"Plymora") {}

// Built in this order when the DLL loads, destroyed in the reverse order.
CPlymoraApp theApp;
CPlymoraModule theModule;
