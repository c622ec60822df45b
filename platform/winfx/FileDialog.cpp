#include "FileDialog.h"

#include <shobjidl.h>

#include <vector>

#include "ComHolders.h"

#include "CWnd.h"

namespace {

HWND ParentHandle(CWnd* parent) { return parent ? parent->GetSafeHwnd() : nullptr; }

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
    return IDCANCEL;

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

  if (dialog->Show(ParentHandle(m_parent)) != S_OK) return IDCANCEL;
  CountedPtr<IShellItem> item;
  if (FAILED(dialog->GetResult(item.Out())) || !item) return IDCANCEL;
  LPWSTR path = nullptr;
  if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path) return IDCANCEL;
  m_path = path;
  CoTaskMemFree(path);
  return IDOK;
}
