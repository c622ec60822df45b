#include "BitmapHandler.h"

#include <olectl.h>

#include "AtlModule.h"
#include "resource.h"

HRESULT CBitmapHandler::UpdateRegistry(BOOL bRegister) {
  if (!g_pComModule) return E_UNEXPECTED;
  return g_pComModule->UpdateRegistryFromResource(IDR_BITMAPHANDLER, bRegister);
}

const ComMapEntry* CBitmapHandler::GetComMap() {
  static const ComMapEntry map[] = {
      ComMapItem<CBitmapHandler, IBitmapHandler>(IID_IBitmapHandler),
      ComMapItem<CBitmapHandler, IBitmapHandler>(IID_IDispatch),
      {nullptr, nullptr},
  };
  return map;
}

HRESULT STDMETHODCALLTYPE CBitmapHandler::CreateBitmapFileFromResource(ULONG resID, BSTR* retval) {
  if (!retval) return E_POINTER;
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(ComModuleInstance(), MAKEINTRESOURCEW(LOWORD(resID)),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BSTR path = MakeTempFileName();
  if (!path) {
    if (bitmap) DeleteObject(bitmap);
    return E_FAIL;
  }
  if (!SaveBitmapToFile(path, bitmap, nullptr)) {
    // The empty (or partly written) file would otherwise stay behind unlisted.
    DeleteFileW(path);
    SysFreeString(path);
    if (bitmap) DeleteObject(bitmap);
    return E_FAIL;
  }
  m_BitmapFiles.push_front(CString::FromBSTR(path));
  *retval = SysAllocString(path);
  SysFreeString(path);
  if (bitmap) DeleteObject(bitmap);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CBitmapHandler::Dispose() {
  DeleteBitmapFiles();
  return S_OK;
}

BSTR CBitmapHandler::MakeTempFileName() {
  wchar_t folder[MAX_PATH];
  const DWORD n = GetTempPathW(MAX_PATH, folder);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  wchar_t file[MAX_PATH];
  if (GetTempFileNameW(folder, L"swt", 0, file) == 0) return nullptr;
  return SysAllocString(file);
}

BOOL CBitmapHandler::SaveBitmapToFile(BSTR path, HBITMAP bitmap, HPALETTE palette) {
  // A missing bitmap would give a picture with nothing to save.
  if (!path || !bitmap) return FALSE;

  PICTDESC desc = {};
  desc.cbSizeofstruct = sizeof desc;
  desc.picType = PICTYPE_BITMAP;
  desc.bmp.hbitmap = bitmap;
  desc.bmp.hpal = palette;
  IPicture* picture = nullptr;
  if (FAILED(OleCreatePictureIndirect(&desc, IID_IPicture, FALSE, reinterpret_cast<void**>(&picture))) ||
      !picture)
    return FALSE;

  BOOL ok = FALSE;
  IStream* stream = nullptr;
  if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) && stream) {
    LONG size = 0;
    if (SUCCEEDED(picture->SaveAsFile(stream, TRUE, &size)) && size > 0) {
      HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        HGLOBAL memory = nullptr;
        if (SUCCEEDED(GetHGlobalFromStream(stream, &memory)) && memory) {
          if (const void* bytes = GlobalLock(memory)) {
            DWORD written = 0;
            ok = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) &&
                 written == static_cast<DWORD>(size);
            GlobalUnlock(memory);
          }
        }
        CloseHandle(file);
      }
    }
    stream->Release();
  }
  picture->Release();
  return ok;
}

BOOL CBitmapHandler::DeleteBitmapFiles() {
  while (!m_BitmapFiles.empty()) {
    const CString path = m_BitmapFiles.front();
    m_BitmapFiles.pop_front();
    DeleteFileW(path);
  }
  return TRUE;
}
