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

namespace {

// Writes `bitmap` as a complete 24-bit BMP file (file header, info header, bottom-up
// rows) into `stream` and gives the number of bytes. Used when the picture object
// reports success but saves nothing, as Wine's does: the file must still be whole.
HRESULT EncodeBmp(IStream* stream, HBITMAP bitmap, LONG* size) {
  BITMAP info = {};
  if (!GetObjectW(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return E_FAIL;
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = info.bmWidth;
  header.biHeight = info.bmHeight;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = ((static_cast<DWORD>(info.bmWidth) * 24 + 31) / 32) * 4;
  const ULONGLONG pixelBytes = static_cast<ULONGLONG>(stride) * static_cast<ULONGLONG>(info.bmHeight);
  if (pixelBytes > 0x7FFFFFFFull - sizeof(BITMAPFILEHEADER) - sizeof header) return E_FAIL;
  header.biSizeImage = static_cast<DWORD>(pixelBytes);
  HGLOBAL pixels = GlobalAlloc(GMEM_FIXED, header.biSizeImage);
  if (!pixels) return E_OUTOFMEMORY;
  HRESULT hr = E_FAIL;
  HDC dc = GetDC(nullptr);
  BITMAPINFO request = {};
  request.bmiHeader = header;
  if (dc && GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels, &request, DIB_RGB_COLORS) ==
                info.bmHeight) {
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    ULONG written = 0;
    hr = stream->Write(&file, sizeof file, &written);
    if (SUCCEEDED(hr)) hr = stream->Write(&header, sizeof header, &written);
    if (SUCCEEDED(hr)) hr = stream->Write(pixels, header.biSizeImage, &written);
    if (SUCCEEDED(hr)) *size = static_cast<LONG>(file.bfSize);
  }
  if (dc) ReleaseDC(nullptr, dc);
  GlobalFree(pixels);
  return hr;
}

}  // namespace

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
    HRESULT saved = picture->SaveAsFile(stream, TRUE, &size);
    if (SUCCEEDED(saved) && size <= 0) {
      const ULARGE_INTEGER empty = {};
      const LARGE_INTEGER start = {};
      stream->SetSize(empty);
      stream->Seek(start, STREAM_SEEK_SET, nullptr);
      saved = EncodeBmp(stream, bitmap, &size);
    }
    if (SUCCEEDED(saved) && size > 0) {
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
