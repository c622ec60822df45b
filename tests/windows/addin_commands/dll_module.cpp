// The add-in's code in this program plays Plymora.dll: its module state names the
// built DLL, loaded as data for its resources, while the program, the host, holds
// no resources of the add-in. So, as in the host, the options dialog's template is
// found only under the module state the add-in switches to.
#include <gtest/gtest.h>
#include <windows.h>

#include "PlymoraModule.h"

namespace {

class DllModule : public ::testing::Environment {
 public:
  void SetUp() override {
    m_dll = LoadLibraryExW(PLYMORA_DLL, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(m_dll, nullptr) << "the built add-in: " << GetLastError();
    theApp.SetModuleInstance(m_dll);
  }
  void TearDown() override {
    if (m_dll) FreeLibrary(m_dll);
  }

 private:
  HMODULE m_dll = nullptr;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new DllModule);

}  // namespace
