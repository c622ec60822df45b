#include "HostAssemblies.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "StandInHost.h"

namespace standin {

namespace {

HRESULT GiveText(const std::optional<std::wstring>& text, BSTR* out) {
  if (!text) {
    *out = nullptr;
    return S_OK;
  }
  *out = SysAllocStringLen(text->c_str(), static_cast<UINT>(text->size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

const wchar_t* KindName(DocumentKind kind) {
  switch (kind) {
    case DocumentKind::Part: return L"Part";
    case DocumentKind::Assembly: return L"Assem";
    case DocumentKind::Drawing: return L"Draw";
  }
  return L"Document";
}

}  // namespace

TransformValues Placement(const std::array<double, 9>& r, const std::array<double, 3>& t) {
  return {r[0], r[3], r[6], r[1], r[4], r[7], r[2], r[5], r[8], t[0], t[1], t[2], 1, 0, 0, 0};
}

Component::Component(HostCore& core, ComponentTree& tree, Document* document_, std::optional<std::wstring> name_)
    : Object(core),
      name(std::move(name_)),
      document(document_),
      m_tree(&tree),
      m_face(*this, AssemblyEntries::ComponentTable()) {}

Component& Component::AddChild(Document* childDocument, std::wstring childName, const TransformValues& placement) {
  Component& child = m_tree->m_components.emplace_back(Core(), *m_tree, childDocument, std::move(childName));
  child.transform = placement;
  m_children.push_back(&child);
  return child;
}

ComponentTree::ComponentTree(Document& assembly)
    : Object(assembly.Core()), m_face(*this, AssemblyEntries::TreeTable()) {
  m_components.emplace_back(assembly.Core(), *this, &assembly, std::wstring());
}

ComponentTree& Components(Document& assembly) {
  if (assembly.Kind() != DocumentKind::Assembly)
    throw std::logic_error("stand-in host: only an assembly has components");
  auto& tree = assembly.ReadBack().m_tree;
  if (!tree) tree = std::make_unique<ComponentTree>(assembly);
  return *tree;
}

std::wstring Title(const Document& doc) {
  if (doc.ReadBack().title) return *doc.ReadBack().title;
  const auto& host = static_cast<const StandInHost&>(doc.Core());
  int n = 0;
  for (const auto& d : host.Documents()) {
    if (d->Kind() == doc.Kind()) ++n;
    if (d.get() == &doc) break;
  }
  return KindName(doc.Kind()) + std::to_wstring(n);
}

ChainObject::ChainObject(HostCore& core) : Object(core), m_face(*this, AssemblyEntries::ChainTable()) {}

ChainObject& StandInHost::AddChainObject() { return m_chainObjects.emplace_back(*this); }

// --- HostApplication, HostDocument, HostAssemblyDocument, HostComponentTree -----------------

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::AppActiveModel(Face* self, HostDocument** doc) {
  CallScope call(self, 165);
  call.Args(OutArg{doc});
  if (call.Faulted(doc)) return call.Result();
  if (!doc) return call.Return(E_POINTER);
  Document* active = static_cast<StandInHost&>(call.Core()).ActiveDocument();
  *doc = active ? active->m_docFace.Give<HostDocument>() : nullptr;
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::DocLengthUnit(Face* self, LONG* unit) {
  CallScope call(self, 13);
  call.Args(OutArg{unit});
  if (call.Faulted(unit)) return call.Result();
  if (!unit) return call.Return(E_POINTER);
  const LONG set = self->OwnerAs<Document>()->LengthUnit();
  *unit = set == kUnitAsCreated ? 0 : set;
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::DocComponentTree(Face* self, HostComponentTree** tree) {
  CallScope call(self, 321);
  call.Args(OutArg{tree});
  if (call.Faulted(tree)) return call.Result();
  if (!tree) return call.Return(E_POINTER);
  Document& doc = *self->OwnerAs<Document>();
  *tree = doc.Kind() == DocumentKind::Assembly ? Components(doc).FaceOf().Give<HostComponentTree>() : nullptr;
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::AssemblyResolve(Face* self, LONG option, LONG* result) {
  CallScope call(self, 62);
  call.Args(option, OutArg{result});
  if (call.Faulted(result)) return call.Result();
  if (result) *result = 0;
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::TreeRoot(Face* self, HostComponent** root) {
  CallScope call(self, 32);
  call.Args(OutArg{root});
  if (call.Faulted(root)) return call.Result();
  if (!root) return call.Return(E_POINTER);
  *root = self->OwnerAs<ComponentTree>()->Root().FaceOf().Give<HostComponent>();
  return call.Return(S_OK);
}

// --- HostComponent ------------------------------------------------------------------------

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::ComponentChildren(Face* self, HostComponent** children) {
  CallScope call(self, 8);
  call.Args(OutArg{children});
  if (call.Faulted()) return call.Result();
  if (!children) return call.Return(E_POINTER);
  for (Component* c : self->OwnerAs<Component>()->m_children) *children++ = c->FaceOf().Give<HostComponent>();
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::ComponentChildCount(Face* self, LONG* count) {
  CallScope call(self, 9);
  call.Args(OutArg{count});
  if (call.Faulted(count)) return call.Result();
  if (!count) return call.Return(E_POINTER);
  *count = static_cast<LONG>(self->OwnerAs<Component>()->m_children.size());
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::ComponentTransform(Face* self, double* values) {
  CallScope call(self, 11);
  call.Args(OutArg{values});
  if (call.Faulted()) return call.Result();
  if (!values) return call.Return(E_POINTER);
  const TransformValues& t = self->OwnerAs<Component>()->transform;
  std::copy(t.begin(), t.end(), values);
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::ComponentMaterial(Face* self, double* values) {
  CallScope call(self, 16);
  call.Args(OutArg{values});
  if (call.Faulted()) return call.Result();
  if (!values) return call.Return(E_POINTER);
  const auto& material = self->OwnerAs<Component>()->material;
  if (!material) return call.Return(E_FAIL);
  std::copy(material->begin(), material->end(), values);
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::ComponentDocument(Face* self, HostDocument** doc) {
  CallScope call(self, 31);
  call.Args(OutArg{doc});
  if (call.Faulted(doc)) return call.Result();
  if (!doc) return call.Return(E_POINTER);
  Document* d = self->OwnerAs<Component>()->document;
  *doc = d ? d->m_docFace.Give<HostDocument>() : nullptr;
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::ComponentName(Face* self, BSTR* name) {
  CallScope call(self, 69);
  call.Args(OutArg{name});
  if (call.Faulted(name)) return call.Result();
  if (!name) return call.Return(E_POINTER);
  return call.Return(GiveText(self->OwnerAs<Component>()->name, name));
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::ComponentBodies(Face* self, LONG type,
                                                                         HostBodyEnumerator** out) {
  CallScope call(self, 119);
  call.Args(type, OutArg{out});
  if (call.Faulted(out)) return call.Result();
  if (!out) return call.Return(E_POINTER);
  *out = nullptr;
  if (type != kSolidBody && type != kSheetBody) return call.Return(E_INVALIDARG);
  Component& c = *self->OwnerAs<Component>();
  std::vector<Body*> bodies;
  if (c.document && c.document->Kind() == DocumentKind::Part) bodies = BodiesOfType(*c.document, type);
  *out = FaceEntries::GiveEnumerator(c.m_enumerators, call.Core(), std::move(bodies));
  return call.Return(S_OK);
}

// --- the chain's objects ---------------------------------------------------------------------

namespace {

// Method N writes the object's link `Link` through its out-pointer, with one
// reference for the client, or null. Method 8 is given the slot that holds the
// object itself: it writes the next link over it, and what the slot held stays
// the caller's.
template <int N, ChainObject* ChainObject::*Link>
STANDIN_ENTRY HRESULT STDMETHODCALLTYPE ChainLink(Face* self, IDispatch** out) {
  CallScope call(self, N);
  call.Args(OutArg{out});
  if (call.Faulted(out)) return call.Result();
  if (!out) return call.Return(E_POINTER);
  ChainObject* link = self->OwnerAs<ChainObject>()->*Link;
  *out = link ? link->FaceOf().Give<IDispatch>() : nullptr;
  return call.Return(S_OK);
}

}  // namespace

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::ChainCount(Face* self, LONG* count) {
  CallScope call(self, 25);
  call.Args(OutArg{count});
  if (call.Faulted(count)) return call.Result();
  if (!count) return call.Return(E_POINTER);
  *count = self->OwnerAs<ChainObject>()->count;
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE AssemblyEntries::ChainMark(Face* self, LONG* value) {
  CallScope call(self, 9);
  call.Args(OutArg{value});
  if (call.Faulted(value)) return call.Result();
  if (value) *value = 0;
  return call.Return(S_OK);
}

// --- the tables ------------------------------------------------------------------------------

const MethodTable& AssemblyEntries::ComponentTable() {
  static const MethodTable table = MethodTable::For<HostComponent>(kRoleComponent)
                                       .Set(8, &ComponentChildren)
                                       .Set(9, &ComponentChildCount)
                                       .Set(11, &ComponentTransform)
                                       .Set(16, &ComponentMaterial)
                                       .Set(31, &ComponentDocument)
                                       .Set(69, &ComponentName)
                                       .Set(119, &ComponentBodies);
  return table;
}

const MethodTable& AssemblyEntries::TreeTable() {
  static const MethodTable table = MethodTable::For<HostComponentTree>(kRoleComponentTree).Set(32, &TreeRoot);
  return table;
}

const MethodTable& AssemblyEntries::ChainTable() {
  static const MethodTable table = MethodTable::For<IDispatch>(kRoleChainObject)
                                       .Set(8, &ChainLink<8, &ChainObject::next>)
                                       .Set(9, &ChainMark)
                                       .Set(10, &ChainLink<10, &ChainObject::third>)
                                       .Set(21, &ChainLink<21, &ChainObject::first>)
                                       .Set(25, &ChainCount)
                                       .Set(92, &ChainLink<92, &ChainObject::second>);
  return table;
}

}  // namespace standin
