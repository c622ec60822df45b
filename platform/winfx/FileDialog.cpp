#include "FileDialog.h"

#include <shobjidl.h>

#include <vector>

#include "ComHolders.h"

#include "CWnd.h"

namespace {

// A parent that is no window (any more) would make the dialog fail to open: it
// then opens without one.
HWND ParentHandle(CWnd* parent) {
  HWND handle = parent ? parent->GetSafeHwnd() : nullptr;
  return handle && IsWindow(handle) ? handle : nullptr;
}

// "Label|*.a|Other|*.b||" -> (label, pattern) pairs.
std::vector<std::pair<CString, CString>> ParseFilter(const CString& filter) {
  std::vector<CString> parts;
  CString current;
  for (int i = 0; i < filter.GetLength(); ++i) {
    if (filter[i] == L'|') {
      parts.push_back(current);
      current.Empty();
    } else {
      current += filter[i];
    }
  }
  if (!current.IsEmpty()) parts.push_back(current);
  std::vector<std::pair<CString, CString>> pairs;
  for (size_t i = 0; i + 1 < parts.size(); i += 2)
    if (!parts[i].IsEmpty() || !parts[i + 1].IsEmpty()) pairs.emplace_back(parts[i], parts[i + 1]);
  return pairs;
}

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, LPCWSTR defaultExtension, LPCWSTR fileName, DWORD flags,
                         LPCWSTR filter, CWnd* parent, DWORD, BOOL)
    : m_open(openFileDialog),
      m_defaultExtension(defaultExtension),
      m_fileName(fileName),
      m_flags(flags),
      m_filter(filter),
      m_parent(parent) {}

INT_PTR CFileDialog::DoModal() {
  CountedPtr<IFileDialog> dialog;
  const CLSID& clsid = m_open ? CLSID_FileOpenDialog : CLSID_FileSaveDialog;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IFileDialog,
                              reinterpret_cast<void**>(dialog.Out()))) ||
      !dialog)
    return DoModalClassic();  // no item dialog on this thread (COM not started): the older one

  const auto pairs = ParseFilter(m_filter);
  std::vector<COMDLG_FILTERSPEC> specs;
  for (const auto& [label, pattern] : pairs) specs.push_back({label.GetString(), pattern.GetString()});
  if (!specs.empty()) dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
  if (!m_defaultExtension.IsEmpty()) dialog->SetDefaultExtension(m_defaultExtension);
  if (!m_fileName.IsEmpty()) dialog->SetFileName(m_fileName);

  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  options |= FOS_FORCEFILESYSTEM;
  if (m_flags & OFN_OVERWRITEPROMPT) options |= FOS_OVERWRITEPROMPT;
  if (m_flags & OFN_FILEMUSTEXIST) options |= FOS_FILEMUSTEXIST;
  if (m_flags & OFN_PATHMUSTEXIST) options |= FOS_PATHMUSTEXIST;
  if (m_flags & OFN_NOCHANGEDIR) options |= FOS_NOCHANGEDIR;
  dialog->SetOptions(options);

  const HRESULT shown = dialog->Show(ParentHandle(m_parent));
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return IDCANCEL;
  if (shown != S_OK) return DoModalClassic();  // the item dialog could not run: the older one can
  CountedPtr<IShellItem> item;
  if (FAILED(dialog->GetResult(item.Out())) || !item) return IDCANCEL;
  LPWSTR path = nullptr;
  if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path) return IDCANCEL;
  m_path = path;
  CoTaskMemFree(path);
  return IDOK;
}

INT_PTR CFileDialog::DoModalClassic() {
  // The filter in the older dialog's form: label and pattern each end in a zero,
  // and an empty pair ends the list.
  std::wstring filter;
  for (const auto& [label, pattern] : ParseFilter(m_filter)) {
    filter += label.Str() + L'\0' + pattern.Str() + L'\0';
  }
  filter += L'\0';
  std::wstring file(m_fileName.Str());
  file.resize(32768, L'\0');  // room for any path the user may pick
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = ParentHandle(m_parent);
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = m_defaultExtension.IsEmpty() ? nullptr : m_defaultExtension.GetString();
  ofn.Flags = m_flags | OFN_EXPLORER;
  const BOOL chosen = m_open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  if (!chosen) return IDCANCEL;
  m_path = file.c_str();
  return IDOK;
}
