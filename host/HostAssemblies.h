// Assemblies read back: an assembly document's component tree, its components with
// their documents, placements, material values and children, and the objects of
// a chain that tests hand to the bridge's chain walk. LONG is 32 bits.
//
// What the methods take:
//   HostApplication 165 (HostDocument** doc): the active document, as method 8;
//   HostDocument 13 (LONG* unit): the length-unit code (a document nobody set a
//       unit on reports millimetres, 0, the unit a new document starts in);
//   HostDocument 321 (HostComponentTree** tree): an assembly's tree; S_OK and null
//       for parts and drawings, which have none;
//   HostAssemblyDocument 62 (LONG option, LONG* result): recorded; writes 0;
//   HostComponentTree 32 (HostComponent** root): the root component, whose
//       document is the assembly and which has no bodies of its own;
//   HostComponent 69 (BSTR* name), 31 (HostDocument** doc: null for none),
//       11 (double* values: 16), 16 (double* values: 9; E_FAIL without values),
//       9 (LONG* count), 8 (HostComponent** children: writes `count` entries),
//       119 (LONG type, HostBodyEnumerator** out: the bodies of the component's
//       document when that is a part, of the type; none otherwise; E_INVALIDARG
//       for a type other than 0 and 1).
// Every interface handed out carries one reference for the client; a null
// out-pointer or array gives E_POINTER.
//
// A component's 16 placement values put it in the assembly's space: t[0..8] the
// rotation column by column, t[9..11] the translation in metres, t[12] a scale of
// 1, t[13..15] zero. Children's placements are relative to the assembly too, not
// to their parent, so nothing composes them.
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HostContract.h"
#include "HostCore.h"
#include "HostFaces.h"

namespace standin {

inline const RoleInfo kRoleComponent{
    "HostComponent", {0x5354414E, 0x0012, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x12}}};
inline const RoleInfo kRoleComponentTree{
    "HostComponentTree", {0x5354414E, 0x0013, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x13}}};
inline const RoleInfo kRoleChainObject{
    "HostChainObject", {0x5354414E, 0x0014, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x14}}};

class ComponentTree;
class Document;

using TransformValues = std::array<double, 16>;
inline constexpr TransformValues kIdentityPlacement = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};

// The host's values for a rotation (row by row) and a translation in metres.
TransformValues Placement(const std::array<double, 9>& rotationRows, const std::array<double, 3>& translation);

class Component : public Object {
 public:
  Component(HostCore& core, ComponentTree& tree, Document* document, std::optional<std::wstring> name);

  std::optional<std::wstring> name;  // component 69; none: a null text
  Document* document;                // component 31; null: none
  TransformValues transform = kIdentityPlacement;
  std::optional<MaterialValues> material;

  const std::vector<Component*>& Children() const { return m_children; }
  // A new component below this one, placed in the assembly's space.
  Component& AddChild(Document* childDocument, std::wstring childName,
                      const TransformValues& placement = kIdentityPlacement);
  // An existing component as a further child, so that a test can make a tree that
  // is not a tree (a component below itself).
  void AddChild(Component& existing) { m_children.push_back(&existing); }
  HostComponent* Interface() { return m_face.As<HostComponent>(); }
  Face& FaceOf() { return m_face; }

 private:
  friend struct AssemblyEntries;
  ComponentTree* m_tree;
  std::vector<Component*> m_children;
  std::deque<BodyEnumerator> m_enumerators;
  Face m_face;
};

// The component tree of one assembly document, with its root.
class ComponentTree : public Object {
 public:
  explicit ComponentTree(Document& assembly);
  Component& Root() { return m_components.front(); }
  HostComponentTree* Interface() { return m_face.As<HostComponentTree>(); }
  Face& FaceOf() { return m_face; }

 private:
  friend class Component;
  std::deque<Component> m_components;  // the root first
  Face m_face;
};

// What a document gives when it is read back.
struct DocumentReadBack {
  // Document method 90; unset: "Part1", "Assem1", "Draw1", numbered by kind in
  // the order the documents were made, as the host names new documents.
  std::optional<std::wstring> title;
  std::optional<MaterialValues> material;  // part method 88

 private:
  friend struct AssemblyEntries;
  friend ComponentTree& Components(Document& assembly);
  friend struct FaceEntries;
  std::unique_ptr<ComponentTree> m_tree;
  std::deque<BodyEnumerator> m_enumerators;  // handed out by part method 141
};

// The component tree of an assembly document, made on first use (throws
// std::logic_error for any other document).
ComponentTree& Components(Document& assembly);

// The title document method 90 gives.
std::wstring Title(const Document& doc);

// An object of the chain the bridge's chain walk follows. Every link is optional.
class ChainObject : public Object {
 public:
  explicit ChainObject(HostCore& core);
  ChainObject* first = nullptr;   // method 21
  ChainObject* second = nullptr;  // method 92
  ChainObject* third = nullptr;   // method 10
  LONG count = 0;                 // method 25
  ChainObject* next = nullptr;    // method 8, written over the slot it is given
  IDispatch* Interface() { return m_face.As<IDispatch>(); }
  Face& FaceOf() { return m_face; }

 private:
  Face m_face;
};

// The entries StandInHost.cpp puts in the tables of its roles, and the tables of
// the roles of this file.
struct AssemblyEntries {
  static HRESULT STDMETHODCALLTYPE AppActiveModel(Face* self, HostDocument** doc);
  static HRESULT STDMETHODCALLTYPE DocLengthUnit(Face* self, LONG* unit);
  static HRESULT STDMETHODCALLTYPE DocComponentTree(Face* self, HostComponentTree** tree);
  static HRESULT STDMETHODCALLTYPE AssemblyResolve(Face* self, LONG option, LONG* result);
  static HRESULT STDMETHODCALLTYPE TreeRoot(Face* self, HostComponent** root);
  static HRESULT STDMETHODCALLTYPE ComponentChildren(Face* self, HostComponent** children);
  static HRESULT STDMETHODCALLTYPE ComponentChildCount(Face* self, LONG* count);
  static HRESULT STDMETHODCALLTYPE ComponentTransform(Face* self, double* values);
  static HRESULT STDMETHODCALLTYPE ComponentMaterial(Face* self, double* values);
  static HRESULT STDMETHODCALLTYPE ComponentDocument(Face* self, HostDocument** doc);
  static HRESULT STDMETHODCALLTYPE ComponentName(Face* self, BSTR* name);
  static HRESULT STDMETHODCALLTYPE ComponentBodies(Face* self, LONG type, HostBodyEnumerator** out);
  static HRESULT STDMETHODCALLTYPE ChainMark(Face* self, LONG* value);
  static HRESULT STDMETHODCALLTYPE ChainCount(Face* self, LONG* count);

  static const MethodTable& ComponentTable();
  static const MethodTable& TreeTable();
  static const MethodTable& ChainTable();
};

}  // namespace standin
