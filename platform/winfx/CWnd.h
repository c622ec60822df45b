// A minimal framework window object for the Windows build: a C++ object that
// stands for a window handle. Windows the framework did not create are reached
// through FromHandle, which gives a framework-owned wrapper: permanent when some
// CWnd was attached to the handle, otherwise a temporary one that the framework
// keeps in a per-thread map, reuses for the same handle and frees in
// DeleteTempMap or when the module unloads. The caller never deletes either kind.
#pragma once

#ifdef _WIN32
#include <windows.h>

class CWnd {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  // Leaves the window alone: only the handle's link to this object goes.
  virtual ~CWnd();

  // The framework's object for the handle: the permanent one when a CWnd is
  // attached, else a temporary one of the calling thread. NULL for a null handle.
  static CWnd* FromHandle(HWND hWnd);
  // Only the attached object, NULL when there is none.
  static CWnd* FromHandlePermanent(HWND hWnd);
  // Frees the calling thread's temporary objects; earlier FromHandle results of
  // this thread are invalid afterwards.
  static void DeleteTempMap();

  // Links this object to the handle; FALSE for a null handle, when this object
  // holds a handle already, or when another object is attached to it.
  BOOL Attach(HWND hWnd);
  HWND Detach();

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }  // NOLINT: implicit like the original

  HWND m_hWnd = nullptr;

 private:
  bool m_bTemporary = false;
};

#endif  // _WIN32
