// CBitmapHandler: the icon writer. Writes a bitmap resource of the DLL into a new
// temporary BMP file, remembers every file it wrote and deletes them on request.
#pragma once

#include <windows.h>

#include <list>

#include "AtlBase.h"
#include "AtlCom.h"
#include "CString.h"
#include "PlymoraLib.h"

class CBitmapHandler : public CComObjectRootEx<CComSingleThreadModel>,
                       public CComCoClass<CBitmapHandler, &CLSID_BitmapHandler>,
                       public IDispatchImpl<IBitmapHandler, &IID_IBitmapHandler, &LIBID_PlymoraLib, 1, 0> {
 public:
  CBitmapHandler() = default;
  CBitmapHandler(const CBitmapHandler&) = delete;
  CBitmapHandler& operator=(const CBitmapHandler&) = delete;

  static HRESULT UpdateRegistry(BOOL bRegister);
  static const ComMapEntry* GetComMap();

  // IBitmapHandler
  // Writes bitmap resource LOWORD(resID) to a new temporary file; S_OK and the
  // file's path (owned by the caller), or E_FAIL with *retval untouched.
  HRESULT STDMETHODCALLTYPE CreateBitmapFileFromResource(ULONG resID, BSTR* retval) override;
  // Deletes every file written so far, newest first. Always S_OK.
  HRESULT STDMETHODCALLTYPE Dispose() override;

  // A new, empty, uniquely named file in the temporary folder ("swt" prefix), as a
  // new BSTR; null when none could be made.
  BSTR MakeTempFileName();
  // Writes the bitmap as a BMP file to `path`; TRUE only when every byte went out.
  BOOL SaveBitmapToFile(BSTR path, HBITMAP bitmap, HPALETTE palette);
  // Deletes every listed file (a failed deletion is dropped from the list too).
  BOOL DeleteBitmapFiles();

  // The files written so far, newest first.
  std::list<CString> m_BitmapFiles;
};
