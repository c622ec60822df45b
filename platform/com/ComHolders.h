// Small owners that make the host call contract hard to get wrong: an interface
// pointer that is released on every path, and a BSTR that is freed after use.
#pragma once

#include <utility>

#include "ComBase.h"

// An owned reference to a COM interface. `Out()` hands the callee a null slot to
// fill, so out-parameters always start null, and the destructor releases what the
// slot received.
template <class T>
class CountedPtr {
 public:
  CountedPtr() = default;
  // Takes over a reference the caller already owns.
  static CountedPtr Attach(T* p) {
    CountedPtr c;
    c.m_p = p;
    return c;
  }
  // Adds a reference of its own.
  static CountedPtr Share(T* p) {
    if (p) p->AddRef();
    return Attach(p);
  }
  CountedPtr(const CountedPtr& o) : m_p(o.m_p) {
    if (m_p) m_p->AddRef();
  }
  CountedPtr(CountedPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
  CountedPtr& operator=(CountedPtr o) noexcept {
    std::swap(m_p, o.m_p);
    return *this;
  }
  ~CountedPtr() { Reset(); }

  void Reset() {
    if (T* p = std::exchange(m_p, nullptr)) p->Release();
  }
  T* Detach() { return std::exchange(m_p, nullptr); }
  T** Out() {
    Reset();
    return &m_p;
  }
  T* Get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }

 private:
  T* m_p = nullptr;
};

// An owned BSTR: `Out()` gives the callee a null slot, the destructor frees it.
// `Text()` reads a null BSTR as the empty text, as the host contract wants.
class BstrHolder {
 public:
  BstrHolder() = default;
  explicit BstrHolder(const OLECHAR* text) : m_s(text ? SysAllocString(text) : nullptr) {}
  BstrHolder(const BstrHolder&) = delete;
  BstrHolder& operator=(const BstrHolder&) = delete;
  BstrHolder(BstrHolder&& o) noexcept : m_s(std::exchange(o.m_s, nullptr)) {}
  ~BstrHolder() { Reset(); }

  void Reset() {
    if (BSTR s = std::exchange(m_s, nullptr)) SysFreeString(s);
  }
  BSTR* Out() {
    Reset();
    return &m_s;
  }
  BSTR Get() const { return m_s; }
  BSTR Detach() { return std::exchange(m_s, nullptr); }
  const OLECHAR* Text() const { return m_s ? m_s : L""; }
  UINT Length() const { return m_s ? SysStringLen(m_s) : 0; }

 private:
  BSTR m_s = nullptr;
};
