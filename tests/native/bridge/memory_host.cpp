#include "memory_host.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <typeinfo>

namespace memoryhost {
namespace {

constexpr int kTableSize = 1024;

HRESULT STDMETHODCALLTYPE Trap(void*) { __builtin_trap(); }

// Two words before the entries, as the Itanium C++ ABI lays out a virtual table,
// so that sanitizer type checks see an object of the role's type.
struct Table {
  void* slots[kTableSize + 2];
  explicit Table(const std::type_info& type) {
    slots[0] = nullptr;
    slots[1] = const_cast<void*>(static_cast<const void*>(&type));
    for (int i = 0; i < kTableSize; ++i) slots[2 + i] = reinterpret_cast<void*>(&Trap);
  }
  template <class F>
  Table& Set(int position, F entry) {
    slots[2 + position] = reinterpret_cast<void*>(entry);
    return *this;
  }
  void* const* Entries() const { return slots + 2; }
};

}  // namespace

Body::Body(int triangles, int perFace) {
  const int g = std::max(1, static_cast<int>(std::lround(std::sqrt(triangles / 2.0))));
  m_triangles = 2 * g * g;
  m_corners.reserve(9 * static_cast<size_t>(m_triangles));
  auto corner = [&](int i, int j) {
    m_corners.push_back(0.001f * static_cast<float>(i));
    m_corners.push_back(0.001f * static_cast<float>(j));
    m_corners.push_back(0.0001f * static_cast<float>((i * i + j * j) % 7));
  };
  for (int j = 0; j < g; ++j)
    for (int i = 0; i < g; ++i) {
      corner(i, j), corner(i + 1, j), corner(i + 1, j + 1);
      corner(i, j), corner(i + 1, j + 1), corner(i, j + 1);
    }
  for (int t = 0; t < m_triangles; t += perFace) m_first.push_back(t);
  m_first.push_back(m_triangles);

  static Table bodyTable = Table(typeid(HostBody))
                               .Set(0, &QueryInterface)
                               .Set(1, &AddRef)
                               .Set(2, &Release)
                               .Set(8, &FirstFace);
  static Table faceTable = Table(typeid(HostFace))
                               .Set(0, &QueryInterface)
                               .Set(1, &AddRef)
                               .Set(2, &Release)
                               .Set(18, &NextFace)
                               .Set(46, &Corners)
                               .Set(48, &Count);
  m_body = Object{bodyTable.Entries(), this, -1};
  m_faces.resize(m_first.size() - 1);
  for (size_t f = 0; f < m_faces.size(); ++f) m_faces[f] = Object{faceTable.Entries(), this, static_cast<int>(f)};
}

HostBody* Body::Interface() { return reinterpret_cast<HostBody*>(&m_body); }
int64_t Body::References() const { return m_refs; }

HostFace* Body::Give(int face) {
  if (face < 0 || face >= static_cast<int>(m_faces.size())) return nullptr;
  ++m_refs;
  return reinterpret_cast<HostFace*>(&m_faces[static_cast<size_t>(face)]);
}

HRESULT STDMETHODCALLTYPE Body::FirstFace(Object* self, HostFace** face) {
  *face = self->body->Give(0);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Body::NextFace(Object* self, HostFace** next) {
  *next = self->body->Give(self->face + 1);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Body::Count(Object* self, LONG* count) {
  const auto& first = self->body->m_first;
  *count = first[static_cast<size_t>(self->face) + 1] - first[static_cast<size_t>(self->face)];
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Body::Corners(Object* self, LONG, float* corners) {
  const auto& first = self->body->m_first;
  const size_t from = 9 * static_cast<size_t>(first[static_cast<size_t>(self->face)]);
  const size_t to = 9 * static_cast<size_t>(first[static_cast<size_t>(self->face) + 1]);
  std::memcpy(corners, self->body->m_corners.data() + from, (to - from) * sizeof(float));
  return S_OK;
}
ULONG STDMETHODCALLTYPE Body::AddRef(Object* self) { return static_cast<ULONG>(++self->body->m_refs); }
ULONG STDMETHODCALLTYPE Body::Release(Object* self) { return static_cast<ULONG>(--self->body->m_refs); }
HRESULT STDMETHODCALLTYPE Body::QueryInterface(Object*, const IID&, void** out) {
  *out = nullptr;
  return E_NOINTERFACE;
}

}  // namespace memoryhost
