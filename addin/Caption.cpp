#include "Caption.h"

#include <shellapi.h>

#include <cstdlib>

#include "CString.h"
#include "ZTKGUIUtils.h"
#include "ZTKSWUtils.h"

wchar_t AddinCaption[256] = {};

namespace {
constexpr int kAddinMajorVersion = 1;
constexpr int kAddinMinorVersion = 0;
}  // namespace

void BuildCaption(HostApplication* app) {
  const CString product(L"Plymora for");
  const int index = app ? GetSWVersionIndex(app) : 0;
  CString caption;
  caption.Format(L"%s %s version %d.%d", product.GetString(), static_cast<const wchar_t*>(SWVersionNames[index]),
                 kAddinMajorVersion, kAddinMinorVersion);
  // The texts bound the caption far below the buffer; cut rather than overrun all the same.
  wcsncpy(AddinCaption, caption, std::size(AddinCaption) - 1);
  AddinCaption[std::size(AddinCaption) - 1] = 0;
}

void ShowWarning(HostApplication* app, const wchar_t* text) {
  HWND owner = app ? GetSWMainWindow(app) : nullptr;
  // A handle that names no window would make the box fail without showing: the
  // warning then goes out without an owner.
  if (owner && !IsWindow(owner)) owner = nullptr;
  MessageBoxW(owner, text, AddinCaption, MB_ICONWARNING);
}

void ShowHelp(HostApplication* app) {
  BuildCaption(app);
  wchar_t modulePath[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(L"Plymora.dll"), modulePath, MAX_PATH);
  wchar_t drive[_MAX_DRIVE], folder[_MAX_DIR], name[_MAX_FNAME], extension[_MAX_EXT];
  _wsplitpath(modulePath, drive, folder, name, extension);
  CString helpPath;
  helpPath.Format(L"%s%sPlymora.chm", drive, folder);
  HINSTANCE result = ShellExecuteW(nullptr, L"open", helpPath, L"", nullptr, SW_SHOW);
  if (reinterpret_cast<UINT_PTR>(result) <= 32) ShowWarning(app, L"Error displaying Plymora for SolidWorks help file.");
}

void ShowAbout(HostApplication* app) {
  BuildCaption(app);
  ZTKGUIUtils::About(CString(AddinCaption), nullptr);
}
