// Bodies read back as a modeller hands them out: face by face, each face as the
// triangles of its tessellation, and a part's bodies by body-type code. All
// lengths are metres; LONG is 32 bits.
//
// What the methods take:
//   HostBody 8 (HostFace** first): the body's first face, null when it has none;
//   HostBody 173 (BSTR* name): the body's name;
//   HostFace 48 (LONG* count): the number of triangles of the face;
//   HostFace 46 (LONG option, float* corners): writes 9 floats per triangle, x, y,
//       z of its first, second and third corner; `option` is recorded, not read;
//   HostFace 18 (HostFace** next): the next face of the body, null after the last;
//   HostPartDocument 141 (LONG type, VARIANT_BOOL flag, HostBodyEnumerator** out):
//       the part's built bodies of that body-type code, in the order they were made;
//       the flag is recorded, not read;
//   HostPartDocument 88 (double* values): the part's 9 material values;
//   HostBodyEnumerator 3 (LONG count, HostBody** bodies, LONG* fetched): the next
//       `count` bodies: S_OK when it gave that many, S_FALSE when fewer were left;
//       `fetched` may be null when `count` is 1, as COM has it;
//   HostDocument 90 (BSTR* title): the document's title.
// Every interface handed out carries one reference for the client.
//
// What a face's triangles are:
// - a planar face of body method 72: a triangle as it came; a quad as two
//   triangles split along the diagonal that lies inside it (0-2 unless the quad
//   is concave there, then 1-3), each keeping the quad's corner order;
// - a face a test gave as triangles: those triangles, floats as given (so a test
//   can hand out what a faulty tessellator would: repeated corners, NaN, none).
// The faces of a body run planar faces first, then the given ones.
//
// What the host refuses: 141 with a type other than 0 (solid) or 1 (sheet):
// E_INVALIDARG and a null enumerator; 88 on a part without material values:
// E_FAIL; a null out-pointer or array: E_POINTER; 3 with a negative count:
// E_INVALIDARG.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "HostContract.h"
#include "HostCore.h"
#include "ShellCheck.h"

namespace standin {

inline const RoleInfo kRoleFace{
    "HostFace", {0x5354414E, 0x0010, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x10}}};
inline const RoleInfo kRoleBodyEnumerator{
    "HostBodyEnumerator", {0x5354414E, 0x0011, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x11}}};

class Body;
class Document;

// The body-type codes of part method 141 and component method 119.
inline constexpr LONG kSolidBody = 0;
inline constexpr LONG kSheetBody = 1;

// The triangles of one face: 9 floats per triangle, metres.
using Tessellation = std::vector<float>;

// Red, green and blue fractions in entries 0-2, transparency in entry 7.
using MaterialValues = std::array<double, 9>;

// The triangles of a planar face (see the top of this file).
Tessellation TessellatePlanar(const PlanarFace& face);

// The HostFace of one face of a body, made when the client first reaches it.
class BodyFace : public Object {
 public:
  BodyFace(HostCore& core, Body& body, size_t index);
  Body& OwnerBody() const { return *m_body; }
  size_t Index() const { return m_index; }
  Face& FaceOf() { return m_face; }

 private:
  Body* m_body;
  size_t m_index;
  Face m_face;
};

// What part method 141 and component method 119 hand out: the bodies as they were
// when it was made.
class BodyEnumerator : public Object {
 public:
  BodyEnumerator(HostCore& core, std::vector<Body*> bodies);
  Face& FaceOf() { return m_face; }

 private:
  friend struct FaceEntries;
  std::vector<Body*> m_bodies;
  size_t m_next = 0;
  Face m_face;
};

// What a body gives when it is read back.
struct BodyReadBack {
  // Body method 173; unset: "Body<n>", n its place among its part's bodies from 1.
  std::optional<std::wstring> name;
  LONG type = kSolidBody;
  std::vector<Tessellation> givenFaces;  // after the planar faces

  size_t FaceCount(const Body& body) const;
  Tessellation Triangles(const Body& body, size_t face) const;

 private:
  friend struct FaceEntries;
  std::deque<BodyFace> m_handedOut;  // face k's object at k, made in order
};

// A built body of `part` whose faces a test gives as triangles, not checked for
// closing (a sheet body, or what a modeller's tessellator might hand out).
Body& AddBody(Document& part, std::vector<Tessellation> faces, LONG type = kSolidBody);

// The body's name as method 173 gives it.
std::wstring BodyName(const Body& body);

// Bodies of a document that is a part, of one body-type code, in order.
std::vector<Body*> BodiesOfType(const Document& part, LONG type);

// The entries StandInHost.cpp puts in the tables of its roles, and the tables of
// the roles of this file.
struct FaceEntries {
  static HRESULT STDMETHODCALLTYPE BodyFirstFace(Face* self, HostFace** face);
  static HRESULT STDMETHODCALLTYPE BodyName(Face* self, BSTR* name);
  static HRESULT STDMETHODCALLTYPE PartBodies(Face* self, LONG type, VARIANT_BOOL flag, HostBodyEnumerator** out);
  static HRESULT STDMETHODCALLTYPE PartMaterialValues(Face* self, double* values);
  static HRESULT STDMETHODCALLTYPE DocTitle(Face* self, BSTR* title);
  static HRESULT STDMETHODCALLTYPE FaceNext(Face* self, HostFace** next);
  static HRESULT STDMETHODCALLTYPE FaceTriangles(Face* self, LONG option, float* corners);
  static HRESULT STDMETHODCALLTYPE FaceTriangleCount(Face* self, LONG* count);
  static HRESULT STDMETHODCALLTYPE EnumeratorNext(Face* self, LONG count, HostBody** bodies, LONG* fetched);

  static const MethodTable& FaceTable();
  static const MethodTable& BodyEnumeratorTable();
  // An enumerator of `bodies`, kept in `keep`, with one reference for the client.
  static HostBodyEnumerator* GiveEnumerator(std::deque<BodyEnumerator>& keep, HostCore& core,
                                            std::vector<Body*> bodies);
  // Face k's object with one reference for the client, made on first use; null
  // past the last face.
  static HostFace* GiveFace(Body& body, size_t k);
  static Body& AddBody(Document& part, std::vector<Tessellation> faces, LONG type);
};

}  // namespace standin
