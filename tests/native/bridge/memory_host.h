// A body for benchmarks: its faces and their triangles are held in memory, made
// before any call, and handed out by body method 8 and face methods 48, 46 and 18
// without allocating; body and face references are counted, not acted on.
#pragma once

#include <cstdint>
#include <vector>

#include "HostContract.h"

namespace memoryhost {

class Body {
 public:
  // A grid of about `triangles` triangles, shared corners given once per triangle as
  // a tessellator gives them, in faces of `perFace` triangles (the last may have fewer).
  Body(int triangles, int perFace);
  Body(const Body&) = delete;
  Body& operator=(const Body&) = delete;
  HostBody* Interface();
  int Triangles() const { return m_triangles; }
  int64_t References() const;  // handed out less released

 private:
  struct Object {
    void* const* vtbl;
    Body* body;
    int face;
  };
  static HRESULT STDMETHODCALLTYPE FirstFace(Object* self, HostFace** face);
  static HRESULT STDMETHODCALLTYPE NextFace(Object* self, HostFace** next);
  static HRESULT STDMETHODCALLTYPE Count(Object* self, LONG* count);
  static HRESULT STDMETHODCALLTYPE Corners(Object* self, LONG option, float* corners);
  static ULONG STDMETHODCALLTYPE AddRef(Object* self);
  static ULONG STDMETHODCALLTYPE Release(Object* self);
  static HRESULT STDMETHODCALLTYPE QueryInterface(Object* self, const IID&, void** out);
  HostFace* Give(int face);

  int m_triangles = 0;
  std::vector<float> m_corners;  // 9 per triangle
  std::vector<int> m_first;      // first triangle of each face, and the end
  std::vector<Object> m_faces;
  Object m_body;
  int64_t m_refs = 0;
};

}  // namespace memoryhost
