#include "Dialog.h"

#include <cstring>
#include <string>

#include "AfxWin.h"


namespace {

// Thrown by CDataExchange::Fail and caught in UpdateData: the exchange stops where it is.
struct ExchangeFailed {};

// The list-filling codes of the initialisation resource, as the resource compiler
// of the framework writes them.
constexpr WORD kInitListAddString = 0x0401;
constexpr WORD kInitComboAddString = 0x0403;

bool IsRadioButton(HWND control) {
  return (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

// A parent that is no window (any more) would make the dialog fail to open: it
// then opens without one.
HWND ParentHandle(CWnd* parent) {
  HWND handle = parent ? parent->GetSafeHwnd() : nullptr;
  return handle && IsWindow(handle) ? handle : nullptr;
}

}  // namespace

HWND CDataExchange::PrepareCtrl(int id) {
  HWND control = m_pDlgWnd->GetDlgItem(id);
  if (!control) Fail();
  return control;
}

void CDataExchange::Fail() { throw ExchangeFailed{}; }

void DDX_Radio(CDataExchange* pDX, int firstId, int& value) {
  HWND control = pDX->PrepareCtrl(firstId);
  if (pDX->m_bSaveAndValidate) value = -1;
  int index = 0;
  // The group runs from its first control to the next one that starts a group.
  do {
    if (IsRadioButton(control)) {
      if (pDX->m_bSaveAndValidate) {
        if (SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
      } else {
        SendMessageW(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      ++index;
    }
    control = GetWindow(control, GW_HWNDNEXT);
  } while (control && !(GetWindowLongW(control, GWL_STYLE) & WS_GROUP));
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
  HWND control = pDX->PrepareCtrl(id);
  if (pDX->m_bSaveAndValidate) {
    value = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  } else {
    SendMessageW(control, BM_SETCHECK, value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED, 0);
  }
}

void DDX_CBIndex(CDataExchange* pDX, int id, int& value) {
  HWND control = pDX->PrepareCtrl(id);
  if (pDX->m_bSaveAndValidate) {
    value = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
  } else {
    // An index outside the list leaves it without a selection.
    SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
  }
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
  return DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDHelp), ParentHandle(m_pParentWnd),
                         &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result) {
  if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const ExchangeFailed&) {
    return FALSE;
  }
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
  ExecuteDlgInit(m_nIDHelp);
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;  // the dialog stays open
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::ExecuteDlgInit(UINT templateId) {
  HINSTANCE module = AfxGetResourceHandle();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(240));
  if (!found) return TRUE;  // nothing to fill
  HGLOBAL loaded = LoadResource(module, found);
  const auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
  const DWORD size = SizeofResource(module, found);
  if (!data) return FALSE;
  // Records: control id (16 bits), message (16 bits), data length (32 bits), data;
  // a zero word ends the list. Records are packed, so read them bytewise.
  DWORD at = 0;
  while (at + 2 <= size) {
    WORD id, message;
    DWORD length;
    std::memcpy(&id, data + at, 2);
    if (id == 0) break;
    if (at + 8 > size) return FALSE;
    std::memcpy(&message, data + at + 2, 2);
    std::memcpy(&length, data + at + 4, 4);
    at += 8;
    if (length > size - at) return FALSE;
    const std::string text(reinterpret_cast<const char*>(data + at), strnlen(reinterpret_cast<const char*>(data + at), length));
    at += length;
    HWND control = GetDlgItem(id);
    if (!control) continue;
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring item(wide > 0 ? wide : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, item.data(), wide);
    if (message == kInitComboAddString) SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    else if (message == kInitListAddString) SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      self = reinterpret_cast<CDialog*>(lParam);
      SetWindowLongPtrW(window, DWLP_USER, lParam);
      self->m_hWnd = window;
      return self->OnInitDialog();
    case WM_COMMAND:
      if (!self) return FALSE;
      if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
        self->OnOK();
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {  // Cancel, Escape and the close box
        self->OnCancel();
        return TRUE;
      }
      return FALSE;
    case WM_NCDESTROY:
      if (self) self->m_hWnd = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}
