#include "ZTKGUIUtils.h"

void ZTKGUIUtils::About(const CString& caption, HWND* owner) {
  const CString text =
      caption + L"\n\nImports Wavefront OBJ meshes into part documents, as solid bodies or as "
                L"3D-sketch lines.\n\nZENTIK";
  MessageBoxW(owner ? *owner : nullptr, text, caption, MB_OK | MB_ICONINFORMATION);
}
