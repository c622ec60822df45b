#include "counting_host.h"

namespace countinghost {
namespace {

constexpr int kTableSize = 1024;

Counters g_counters;

struct Object {
  void* const* vtbl;
};

HRESULT STDMETHODCALLTYPE QueryInterface(Object*, const IID&, void** out) {
  ++g_counters.calls;
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE AddRef(Object*) {
  ++g_counters.calls;
  return 2;
}
ULONG STDMETHODCALLTYPE Release(Object*) {
  ++g_counters.calls;
  return 1;
}
// Every position the import does not call: a call here would be a bridge fault.
HRESULT STDMETHODCALLTYPE Trap(Object*) { __builtin_trap(); }

Object g_doc, g_part, g_body, g_segment;

HRESULT STDMETHODCALLTYPE GiveDoc(Object*, void** out) {
  ++g_counters.calls;
  *out = &g_doc;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE GivePart(Object*, void** out) {
  ++g_counters.calls;
  *out = &g_part;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE GiveBody(Object*, void** out) {
  ++g_counters.calls;
  *out = &g_body;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Nothing(Object*) {
  ++g_counters.calls;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE NothingLong(Object*, LONG) {
  ++g_counters.calls;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Line(Object*, double, double, double, double, double, double, void** out) {
  ++g_counters.calls;
  ++g_counters.lines;
  if (out) *out = &g_segment;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Face(Object*, LONG, const double*, const double*) {
  ++g_counters.calls;
  ++g_counters.faces;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Build(Object*, void** out) {
  ++g_counters.calls;
  ++g_counters.builds;
  if (out) *out = &g_segment;
  return S_OK;
}

struct Table {
  void* entries[kTableSize];
  Table() {
    for (void*& e : entries) e = reinterpret_cast<void*>(&Trap);
    entries[0] = reinterpret_cast<void*>(&QueryInterface);
    entries[1] = reinterpret_cast<void*>(&AddRef);
    entries[2] = reinterpret_cast<void*>(&Release);
  }
  Table& Set(int position, void* entry) {
    entries[position] = entry;
    return *this;
  }
};

const Table& AppTable() {
  static const Table t = Table()
                             .Set(8, reinterpret_cast<void*>(&GiveDoc))
                             .Set(19, reinterpret_cast<void*>(&GivePart));
  return t;
}
const Table& DocTable() {
  static const Table t = Table()
                             .Set(14, reinterpret_cast<void*>(&NothingLong))
                             .Set(82, reinterpret_cast<void*>(&Nothing))
                             .Set(235, reinterpret_cast<void*>(&NothingLong))
                             .Set(237, reinterpret_cast<void*>(&NothingLong))
                             .Set(349, reinterpret_cast<void*>(&Nothing))
                             .Set(542, reinterpret_cast<void*>(&Line))
                             .Set(560, reinterpret_cast<void*>(&Nothing))
                             .Set(656, reinterpret_cast<void*>(&NothingLong));
  return t;
}
const Table& PartTable() {
  static const Table t = Table().Set(31, reinterpret_cast<void*>(&GiveBody));
  return t;
}
const Table& BodyTable() {
  static const Table t =
      Table().Set(12, reinterpret_cast<void*>(&Build)).Set(72, reinterpret_cast<void*>(&Face));
  return t;
}
const Table& PlainTable() {
  static const Table t;
  return t;
}

Object g_app;

}  // namespace

Counters& Count() { return g_counters; }

HostApplication* Application() {
  static const bool ready = [] {
    g_app.vtbl = AppTable().entries;
    g_doc.vtbl = DocTable().entries;
    g_part.vtbl = PartTable().entries;
    g_body.vtbl = BodyTable().entries;
    g_segment.vtbl = PlainTable().entries;
    return true;
  }();
  (void)ready;
  return reinterpret_cast<HostApplication*>(&g_app);
}

}  // namespace countinghost
