// The COM object machinery of the add-in's classes: reference counting, the
// interface map, the object wrapper that makes a class creatable, the class
// factory and the object map that the DLL module serves. Windows only.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <new>

// Reference counts for objects that are only ever used on one thread: plain
// increments and decrements, no interlocked operations.
struct CComSingleThreadModel {
  static ULONG Increment(ULONG* count) { return ++*count; }
  static ULONG Decrement(ULONG* count) { return --*count; }
};

// One row of a class's interface map: the interface id and how to reach that
// interface from the object.
struct ComMapEntry {
  const IID* piid;  // null ends the map
  IUnknown* (*cast)(void* object);
};

template <class T, class I>
IUnknown* ComMapCast(void* object) {
  return static_cast<I*>(static_cast<T*>(object));
}

// A map row for interface I of class T, answered for `iid`.
template <class T, class I>
constexpr ComMapEntry ComMapItem(const IID& iid) {
  return ComMapEntry{&iid, &ComMapCast<T, I>};
}

// The DLL's lock count, kept by the module (AtlModule.h). Every live object and
// every client's hold on a class object counts.
LONG ComModuleLock();
LONG ComModuleUnlock();
// The module whose resources and file the classes use: the DLL, or the program
// that links the classes in directly.
HINSTANCE ComModuleInstance();

class CComObjectRootBase {
 public:
  HRESULT FinalConstruct() { return S_OK; }
  void FinalRelease() {}
  ULONG RefCount() const { return m_dwRef; }

  // QueryInterface from a class's interface map. IUnknown is answered with the
  // map's first row, so that every query for IUnknown gives the same pointer.
  static HRESULT InternalQueryInterface(void* object, const ComMapEntry* map, REFIID iid, void** ppv);

 protected:
  ULONG m_dwRef = 0;
};

template <class ThreadModel>
class CComObjectRootEx : public CComObjectRootBase {
 public:
  ULONG InternalAddRef() { return ThreadModel::Increment(&m_dwRef); }
  ULONG InternalRelease() { return ThreadModel::Decrement(&m_dwRef); }
};

// The creatable form of a class T: IUnknown for all of T's interfaces over one
// count. A live object holds a lock on the module, so the DLL stays loaded.
template <class T>
class CComObject final : public T {
 public:
  CComObject() { ComModuleLock(); }
  ~CComObject() {
    this->m_dwRef = 1;  // a query made while tearing down must not destroy twice
    this->FinalRelease();
    ComModuleUnlock();
  }
  CComObject(const CComObject&) = delete;
  CComObject& operator=(const CComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    return CComObjectRootBase::InternalQueryInterface(static_cast<T*>(this), T::GetComMap(), iid, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return this->InternalAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG count = this->InternalRelease();
    if (count == 0) delete this;
    return count;
  }

  // A new object with a count of 0; the caller takes the first reference.
  static HRESULT CreateInstance(CComObject<T>** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    auto* p = new (std::nothrow) CComObject<T>();
    if (!p) return E_OUTOFMEMORY;
    p->InternalAddRef();
    const HRESULT hr = p->FinalConstruct();
    p->InternalRelease();
    if (FAILED(hr)) {
      delete p;
      return hr;
    }
    *object = p;
    return S_OK;
  }
};

// The IUnknown of an object of class T: its interface map's first row.
template <class T>
IUnknown* ComObjectUnknown(T* object) {
  return T::GetComMap()[0].cast(object);
}

// Gives a class its class id and the creation function that its class object
// calls. The classes of this DLL cannot be aggregated.
template <class T, const CLSID* pclsid>
class CComCoClass {
 public:
  static const CLSID& GetObjectCLSID() { return *pclsid; }

  static HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    CComObject<T>* object = nullptr;
    HRESULT hr = CComObject<T>::CreateInstance(&object);
    if (FAILED(hr)) return hr;
    hr = object->QueryInterface(iid, ppv);  // the first reference
    if (FAILED(hr)) delete object;
    return hr;
  }
};

// The class object of one class. The module keeps one reference for the life of
// the DLL; every further reference is a client's and locks the module.
class CComClassFactory final : public IClassFactory {
 public:
  using Creator = HRESULT (*)(IUnknown* outer, REFIID iid, void** ppv);
  explicit CComClassFactory(Creator creator) : m_creator(creator) {}
  CComClassFactory(const CComClassFactory&) = delete;
  CComClassFactory& operator=(const CComClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  ~CComClassFactory() = default;
  Creator m_creator;
  ULONG m_ref = 0;
};

// One row of the module's object map.
struct ComObjectMapEntry {
  const CLSID* pclsid;  // null ends the map
  HRESULT (*pfnUpdateRegistry)(BOOL bRegister);
  CComClassFactory::Creator pfnCreateInstance;
  IClassFactory* pCF;  // made on the first request, kept by the module
};

template <class T>
ComObjectMapEntry ObjectMapEntry() {
  return ComObjectMapEntry{&T::GetObjectCLSID(), &T::UpdateRegistry, &T::CreateInstance, nullptr};
}
