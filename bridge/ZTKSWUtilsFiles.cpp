// The host file utilities: the active document's solid data out to a file, and DXF
// files into the host, one by path or every one that belongs to a path, consumed.
#include <windows.h>

#include <io.h>
#include <stdlib.h>
#include <wchar.h>

#include "ComHolders.h"
#include "ZTKSWUtils.h"

namespace {

const wchar_t kNoActiveModel[] = L"Unable to retrieve active model";
const wchar_t kNotExtracted[] = L"Unable to extract solid data";
const wchar_t kNotLoaded[] = L"Unable to load DXF file\n";
const wchar_t kNo2DData[] = L"Unable to read 2D data\n";
const wchar_t kPathTooLong[] = L"Path too long to read 2D data\n";

// The longest drive, folder, file name and extension a path may have.
constexpr size_t kMaxDrive = 2;
constexpr size_t kMaxPart = 255;
// The four parts split the path without gap or overlap, so a longer path always has
// a part beyond its limit, and a buffer of this size holds any part of a shorter one.
constexpr size_t kMaxPath = kMaxDrive + 3 * kMaxPart;

bool HostLoadsFile(HostApplication* app, const CString& path) {
  if (!app) return false;
  BstrHolder file(path);
  BstrHolder argument(L"");
  LONG ignored = 0;
  return HostOp::LoadFile(app, file.Get(), argument.Get(), &ignored) == S_OK;
}

// The folder of the path (drive and folder, ending in the separator, or empty) and
// its base (the same with the file name, without the extension). False when the
// path or a part of it is longer than its limit.
bool SplitForSearch(const CString& path, CString& folder, CString& base) {
  const wchar_t* text = path.GetString();
  if (wcslen(text) > kMaxPath) return false;
  wchar_t drive[kMaxPath + 1], dir[kMaxPath + 1], name[kMaxPath + 1], ext[kMaxPath + 1];
  // Every buffer is as long as the whole path may be, so the split never runs out
  // of room; the safe form is told the sizes all the same.
  if (_wsplitpath_s(text, drive, kMaxPath + 1, dir, kMaxPath + 1, name, kMaxPath + 1, ext, kMaxPath + 1) != 0)
    return false;
  if (wcslen(drive) > kMaxDrive || wcslen(dir) > kMaxPart || wcslen(name) > kMaxPart || wcslen(ext) > kMaxPart)
    return false;
  folder.Format(L"%s%s", drive, dir);
  base.Format(L"%s%s%s", drive, dir, name);
  return true;
}

}  // namespace

BOOL ExtractSolidData(HostApplication* app, const CString& path) {
  CountedPtr<HostDocument> document;
  if (app) HostOp::ActiveDocument(app, document.Out());  // only the document counts, not the result
  if (!document) {
    ZTKSWUtils::SetLastErrorText(kNoActiveModel);
    return FALSE;
  }
  BstrHolder file(path);
  LONG error = 0;
  const HRESULT hr = HostOp::ExtractSolidData(document.Get(), file.Get(), 0, -1, -1, &error);
  document.Reset();
  if (hr == S_OK && error == 0) return TRUE;
  ZTKSWUtils::SetLastErrorText(kNotExtracted);
  return FALSE;
}

BOOL LoadDXFFile(HostApplication* app, const CString& path) {
  if (HostLoadsFile(app, path)) return TRUE;
  ZTKSWUtils::SetLastErrorText(kNotLoaded);
  return FALSE;
}

BOOL LoadDXFFiles(HostApplication* app, const CString& path, int& count) {
  count = 0;
  // Without a host every file would be deleted unloaded.
  if (!app) {
    ZTKSWUtils::SetLastErrorText(kNotLoaded);
    return FALSE;
  }
  CString folder, base;
  if (!SplitForSearch(path, folder, base)) {
    ZTKSWUtils::SetLastErrorText(kPathTooLong);
    return FALSE;
  }
  CString pattern;
  pattern.Format(L"%s*.dxf", base.GetString());
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) {
    ZTKSWUtils::SetLastErrorText(kNo2DData);
    return FALSE;
  }
  BOOL result = TRUE;
  do {
    CString file;
    file.Format(L"%s%s", folder.GetString(), found.cFileName);
    if (HostLoadsFile(app, file)) {
      ++count;
    } else {
      ZTKSWUtils::SetLastErrorText(kNotLoaded);
      result = FALSE;
    }
    // The files are the caller's to consume, loaded or not.
    _wunlink(file);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return result;
}
