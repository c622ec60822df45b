#include "HostFaces.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "StandInHost.h"

namespace standin {

namespace {

using Point = std::array<double, 3>;

Point Corner(const PlanarFace& f, int k) {
  return {f.corners[3 * static_cast<size_t>(k)], f.corners[3 * static_cast<size_t>(k) + 1],
          f.corners[3 * static_cast<size_t>(k) + 2]};
}

// Which side of the line a -> b the point p lies on, seen along the normal n.
double Side(const Point& a, const Point& b, const Point& p, const std::array<double, 3>& n) {
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double v[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
  const double c[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  return c[0] * n[0] + c[1] * n[1] + c[2] * n[2];
}

void AddTriangle(Tessellation& out, const PlanarFace& f, int a, int b, int c) {
  for (int k : {a, b, c})
    for (const double v : Corner(f, k)) out.push_back(static_cast<float>(v));
}

HRESULT Text(const std::wstring& text, BSTR* out) {
  *out = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

Tessellation TessellatePlanar(const PlanarFace& face) {
  Tessellation out;
  if (face.count == 3) {
    AddTriangle(out, face, 0, 1, 2);
  } else if (face.count == 4) {
    // The diagonal 0-2 lies inside unless corners 1 and 3 are on one side of it.
    const Point p0 = Corner(face, 0), p2 = Corner(face, 2);
    const bool inside = Side(p0, p2, Corner(face, 1), face.normal) * Side(p0, p2, Corner(face, 3), face.normal) <= 0.0;
    if (inside) {
      AddTriangle(out, face, 0, 1, 2);
      AddTriangle(out, face, 0, 2, 3);
    } else {
      AddTriangle(out, face, 1, 2, 3);
      AddTriangle(out, face, 1, 3, 0);
    }
  }
  return out;
}

BodyFace::BodyFace(HostCore& core, Body& body, size_t index)
    : Object(core), m_body(&body), m_index(index), m_face(*this, FaceEntries::FaceTable()) {}

BodyEnumerator::BodyEnumerator(HostCore& core, std::vector<Body*> bodies)
    : Object(core), m_bodies(std::move(bodies)), m_face(*this, FaceEntries::BodyEnumeratorTable()) {}

size_t BodyReadBack::FaceCount(const Body& body) const { return body.Faces().size() + givenFaces.size(); }

Tessellation BodyReadBack::Triangles(const Body& body, size_t face) const {
  const size_t planar = body.Faces().size();
  if (face < planar) return TessellatePlanar(body.Faces()[face]);
  return face - planar < givenFaces.size() ? givenFaces[face - planar] : Tessellation{};
}

std::wstring BodyName(const Body& body) {
  if (body.ReadBack().name) return *body.ReadBack().name;
  const auto& bodies = body.Part().Bodies();
  for (size_t i = 0; i < bodies.size(); ++i)
    if (bodies[i].get() == &body) return L"Body" + std::to_wstring(i + 1);
  return L"Body";  // a temporary body, which is in no list
}

std::vector<Body*> BodiesOfType(const Document& part, LONG type) {
  std::vector<Body*> out;
  for (const auto& b : part.Bodies())
    if (b->ReadBack().type == type) out.push_back(b.get());
  return out;
}

Body& AddBody(Document& part, std::vector<Tessellation> faces, LONG type) {
  return FaceEntries::AddBody(part, std::move(faces), type);
}

Body& FaceEntries::AddBody(Document& part, std::vector<Tessellation> faces, LONG type) {
  if (part.Kind() != DocumentKind::Part) throw std::logic_error("stand-in host: bodies belong to parts");
  part.m_bodies.push_back(std::make_unique<Body>(part.Core(), part, false));
  Body& body = *part.m_bodies.back();
  body.m_readBack.givenFaces = std::move(faces);
  body.m_readBack.type = type;
  return body;
}

HostFace* FaceEntries::GiveFace(Body& body, size_t k) {
  BodyReadBack& rb = body.m_readBack;
  if (k >= rb.FaceCount(body)) return nullptr;
  while (rb.m_handedOut.size() <= k) rb.m_handedOut.emplace_back(body.Core(), body, rb.m_handedOut.size());
  return rb.m_handedOut[k].FaceOf().Give<HostFace>();
}

HostBodyEnumerator* FaceEntries::GiveEnumerator(std::deque<BodyEnumerator>& keep, HostCore& core,
                                                std::vector<Body*> bodies) {
  keep.emplace_back(core, std::move(bodies));
  return keep.back().FaceOf().Give<HostBodyEnumerator>();
}

// --- HostBody --------------------------------------------------------------------------

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE FaceEntries::BodyFirstFace(Face* self, HostFace** face) {
  CallScope call(self, 8);
  call.Args(OutArg{face});
  if (call.Faulted(face)) return call.Result();
  if (!face) return call.Return(E_POINTER);
  *face = GiveFace(*self->OwnerAs<Body>(), 0);
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE FaceEntries::BodyName(Face* self, BSTR* name) {
  CallScope call(self, 173);
  call.Args(OutArg{name});
  if (call.Faulted(name)) return call.Result();
  if (!name) return call.Return(E_POINTER);
  return call.Return(Text(standin::BodyName(*self->OwnerAs<Body>()), name));
}

// --- HostFace --------------------------------------------------------------------------

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE FaceEntries::FaceNext(Face* self, HostFace** next) {
  CallScope call(self, 18);
  call.Args(OutArg{next});
  if (call.Faulted(next)) return call.Result();
  if (!next) return call.Return(E_POINTER);
  const BodyFace& face = *self->OwnerAs<BodyFace>();
  *next = GiveFace(face.OwnerBody(), face.Index() + 1);
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE FaceEntries::FaceTriangles(Face* self, LONG option, float* corners) {
  CallScope call(self, 46);
  call.Args(option, OutArg{corners});
  if (call.Faulted()) return call.Result();
  if (!corners) return call.Return(E_POINTER);
  const BodyFace& face = *self->OwnerAs<BodyFace>();
  const Tessellation t = face.OwnerBody().ReadBack().Triangles(face.OwnerBody(), face.Index());
  std::copy(t.begin(), t.end(), corners);
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE FaceEntries::FaceTriangleCount(Face* self, LONG* count) {
  CallScope call(self, 48);
  call.Args(OutArg{count});
  if (call.Faulted(count)) return call.Result();
  if (!count) return call.Return(E_POINTER);
  const BodyFace& face = *self->OwnerAs<BodyFace>();
  *count = static_cast<LONG>(face.OwnerBody().ReadBack().Triangles(face.OwnerBody(), face.Index()).size() / 9);
  return call.Return(S_OK);
}

// --- HostPartDocument and HostDocument ---------------------------------------------------

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE FaceEntries::PartBodies(Face* self, LONG type, VARIANT_BOOL flag,
                                                                HostBodyEnumerator** out) {
  CallScope call(self, 141);
  call.Args(type, flag, OutArg{out});
  if (call.Faulted(out)) return call.Result();
  if (!out) return call.Return(E_POINTER);
  *out = nullptr;
  if (type != kSolidBody && type != kSheetBody) return call.Return(E_INVALIDARG);
  Document& part = *self->OwnerAs<Document>();
  *out = GiveEnumerator(part.m_readBack.m_enumerators, call.Core(), BodiesOfType(part, type));
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE FaceEntries::PartMaterialValues(Face* self, double* values) {
  CallScope call(self, 88);
  call.Args(OutArg{values});
  if (call.Faulted()) return call.Result();
  if (!values) return call.Return(E_POINTER);
  const auto& material = self->OwnerAs<Document>()->ReadBack().material;
  if (!material) return call.Return(E_FAIL);
  std::copy(material->begin(), material->end(), values);
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE FaceEntries::DocTitle(Face* self, BSTR* title) {
  CallScope call(self, 90);
  call.Args(OutArg{title});
  if (call.Faulted(title)) return call.Result();
  if (!title) return call.Return(E_POINTER);
  return call.Return(Text(Title(*self->OwnerAs<Document>()), title));
}

// --- HostBodyEnumerator ----------------------------------------------------------------

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE FaceEntries::EnumeratorNext(Face* self, LONG count, HostBody** bodies,
                                                                    LONG* fetched) {
  CallScope call(self, 3);
  call.Args(count, OutArg{bodies}, OutArg{fetched});
  if (call.Faulted(bodies, fetched)) return call.Result();
  if (count < 0) return call.Return(E_INVALIDARG);
  if (!bodies || (!fetched && count != 1)) return call.Return(E_POINTER);
  BodyEnumerator& e = *self->OwnerAs<BodyEnumerator>();
  LONG given = 0;
  for (; given < count && e.m_next < e.m_bodies.size(); ++given)
    bodies[given] = e.m_bodies[e.m_next++]->BodyFace().Give<HostBody>();
  if (fetched) *fetched = given;
  return call.Return(given == count ? S_OK : S_FALSE);
}

const MethodTable& FaceEntries::FaceTable() {
  static const MethodTable table = MethodTable::For<HostFace>(kRoleFace)
                                       .Set(18, &FaceNext)
                                       .Set(46, &FaceTriangles)
                                       .Set(48, &FaceTriangleCount);
  return table;
}

const MethodTable& FaceEntries::BodyEnumeratorTable() {
  static const MethodTable table =
      MethodTable::For<HostBodyEnumerator>(kRoleBodyEnumerator).Set(3, &EnumeratorNext);
  return table;
}

}  // namespace standin
