// The framework's file dialog: the newer (item-based) open or save dialog with a
// filter of "label|pattern|...|" pairs, a default extension and OFN_* flags.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "CString.h"

class CWnd;

class CFileDialog {
 public:
  CFileDialog(BOOL openFileDialog, LPCWSTR defaultExtension = nullptr, LPCWSTR fileName = nullptr,
              DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR filter = nullptr,
              CWnd* parent = nullptr, DWORD size = 0, BOOL vistaStyle = TRUE);
  virtual ~CFileDialog() = default;

  // IDOK with the chosen file, IDCANCEL when the user cancels or the dialog cannot run.
  virtual INT_PTR DoModal();
  CString GetPathName() const { return m_path; }

  // What the dialog was set up with, for tests of the callers.
  const CString& DefaultExtension() const { return m_defaultExtension; }
  const CString& Filter() const { return m_filter; }
  DWORD Flags() const { return m_flags; }
  CWnd* Parent() const { return m_parent; }

 private:
  INT_PTR DoModalClassic();
  BOOL m_open;
  CString m_defaultExtension;
  CString m_fileName;
  DWORD m_flags;
  CString m_filter;
  CWnd* m_parent;
  CString m_path;
};
