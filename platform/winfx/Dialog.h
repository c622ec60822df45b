// Modal dialogs built from a dialog template of the current module's resources, with
// data exchange between controls and members and the dialog-initialisation list
// (resource type 240 of the template's number) that fills list controls on opening.
#pragma once

#include <windows.h>

#include "CWnd.h"

class CDialog;

// Handed to DoDataExchange: which way the values go, and the dialog.
class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
  // The control's window; a missing control fails the exchange.
  HWND PrepareCtrl(int id);
  // Abandons the exchange: UpdateData then returns FALSE.
  [[noreturn]] void Fail();

  BOOL m_bSaveAndValidate;
  CDialog* m_pDlgWnd;
};

// Radio group starting at `firstId` (a control with WS_GROUP): index of the marked
// button, or -1 when none is; toward the controls, marks the button at `value`.
void DDX_Radio(CDataExchange* pDX, int firstId, int& value);
// Check box: 0 or 1.
void DDX_Check(CDataExchange* pDX, int id, int& value);
// Combo box selection index, -1 for none.
void DDX_CBIndex(CDataExchange* pDX, int id, int& value);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog; IDOK, IDCANCEL or the value given to EndDialog, -1 on failure.
  virtual INT_PTR DoModal();
  void EndDialog(int result);
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  // The framework's part: fills lists from the initialisation resource, then moves
  // the members into the controls.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  BOOL ExecuteDlgInit(UINT templateId);

  UINT m_nIDHelp;
  CWnd* m_pParentWnd;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
