// The COM types that portable code uses. The Windows build takes them from the
// system headers; the Linux build gets a small equivalent here, with the same
// names, sizes and method order, so that the same code compiles in both.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#else

#include <cstdint>
#include <cstring>
#include <cwchar>

#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT
#define __stdcall

typedef int32_t HRESULT;
typedef int32_t LONG;         // 32 bits, as on Windows; never `long` in portable code
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef int32_t INT;
typedef uint32_t UINT;
typedef int BOOL;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef int16_t VARIANT_BOOL;
typedef wchar_t WCHAR;
typedef wchar_t OLECHAR;
typedef OLECHAR* BSTR;
typedef const OLECHAR* LPCOLESTR;
typedef OLECHAR* LPOLESTR;
typedef const wchar_t* LPCWSTR;
typedef wchar_t* LPWSTR;
typedef int32_t DISPID;
typedef uint32_t LCID;
typedef int64_t LONG_PTR;
typedef uint64_t ULONG_PTR;
typedef uint64_t UINT_PTR;
typedef int64_t INT_PTR;
struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_ABORT ((HRESULT)0x80004004L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_UNEXPECTED ((HRESULT)0x8000FFFFL)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110L)
#define CLASS_E_CLASSNOTAVAILABLE ((HRESULT)0x80040111L)
#define DISP_E_UNKNOWNNAME ((HRESULT)0x80020006L)
#define DISP_E_MEMBERNOTFOUND ((HRESULT)0x80020003L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool IsEqualIID(REFIID a, REFIID b) { return IsEqualGUID(a, b); }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
inline bool operator!=(REFGUID a, REFGUID b) { return !IsEqualGUID(a, b); }
extern const IID IID_IUnknown;
extern const IID IID_IDispatch;
extern const GUID GUID_NULL;

// Opaque in the Linux build: portable code passes these through, never builds them.
struct ITypeInfo;
struct DISPPARAMS;
struct VARIANT;
struct EXCEPINFO;

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;
};

struct IDispatch : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                                  DISPID* ids) = 0;
  virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                           VARIANT* result, EXCEPINFO* excep, UINT* argErr) = 0;
};

// BSTR: a length-prefixed wide string; the 32-bit prefix before the first character
// holds the length in bytes, and a terminating zero follows the characters.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

#endif  // _WIN32

static_assert(sizeof(LONG) == 4, "LONG is 32 bits in both builds");
static_assert(sizeof(VARIANT_BOOL) == 2, "VARIANT_BOOL is 16 bits in both builds");
