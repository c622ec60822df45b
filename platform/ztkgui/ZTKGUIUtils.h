// Small interface services: the about box.
#pragma once

#include <windows.h>

#include "CString.h"

class ZTKGUIUtils {
 public:
  // Shows the modal about box titled `caption`, owned by *owner when given.
  static void About(const CString& caption, HWND* owner);
};
